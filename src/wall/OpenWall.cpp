#include "wall/OpenWall.h"

#include "grid/CellStore.h"
#include "grid/GridWidget.h"
#include "grid/WallImages.h"
#include "image/ThumbnailMaker.h"
#include "shell/Caption.h"
#include "shell/CommandContext.h"
#include "shell/FileNames.h"
#include "shell/LoadingRun.h"
#include "shell/MainState.h"
#include "shell/Utilities.h"
#include "shell/WorkerPool.h"
#include "wall/WallDigest.h"
#include "wall/WallFormat.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

#include <deque>
#include <future>
#include <memory>

namespace {

// The records read ahead of the one being placed: the workers decode the
// images among them meanwhile. Bounded, so that a wall of any size is read
// in the same little memory.
constexpr std::size_t ImagesAhead = 64;
constexpr std::size_t RecordsAhead = 1024;

// Only an absolute path counts as an image: a text is never taken for a
// file that happens to lie in the program's working folder, and paths
// written on Windows are texts here.
bool namesImageFile(const QString& value)
{
    return QDir::isAbsolutePath(value) && FileExists(value);
}

void growToHold(CellStore& cells, const WallRecord& record)
{
    if (record.row >= cells.Rows())
        cells.setRows(record.row + 1);
    if (record.col >= cells.Cols())
        cells.setCols(record.col + 1);
}

void placeText(CommandContext& ctx, const WallRecord& record)
{
    ctx.cells.setCellText(record.row, record.col, record.value);
    ctx.cells.setCellForeColor(record.row, record.col, Qt::white);
}

// A record, and whether its value named an image file when it was read.
struct QueuedRecord {
    WallRecord record;
    bool image;
};

// The records of a wall file in file order, with the images among the next
// ones queued for decoding.
class RecordQueue {
public:
    RecordQueue(WallReader& reader, DecodingAhead& ahead, const Settings& settings)
        : m_reader(reader), m_ahead(ahead), m_settings(settings)
    {
    }

    bool atEnd() const { return m_records.empty() && m_reader.atEnd(); }
    // The next record; nullopt after a long stretch of lines that are no
    // records, so that the caller yields before it asks again.
    std::optional<QueuedRecord> next()
    {
        // Topped up by half a window at a time: the workers are woken once
        // for many images, not once an image.
        if (m_records.empty() || (m_images < ImagesAhead / 2 && m_records.size() < RecordsAhead / 2)) {
            QStringList images;
            while (m_records.size() < RecordsAhead && m_images < ImagesAhead && !m_reader.atEnd()) {
                std::optional<WallRecord> record = m_reader.next();
                if (!record)
                    break;
                const bool image = namesImageFile(record->value);
                m_records.push_back({std::move(*record), image});
                if (image) {
                    ++m_images;
                    images.append(m_records.back().record.value);
                }
            }
            m_ahead.enqueue(images, m_settings.ThumbMaxWidth, m_settings.ThumbMaxHeight);
        }
        if (m_records.empty())
            return std::nullopt;
        QueuedRecord front = std::move(m_records.front());
        m_records.pop_front();
        m_images -= front.image ? 1 : 0;
        return front;
    }
private:
    WallReader& m_reader;
    DecodingAhead& m_ahead;
    const Settings& m_settings;
    std::deque<QueuedRecord> m_records;
    std::size_t m_images = 0;
};

// Puts one record's value into its cell: an image through the thumbnail
// maker, anything else, and a file it cannot decode (or that has gone since
// it was read), as white text. False when a stop request kept the image out.
bool placeValue(CommandContext& ctx, const WallRecord& record, bool image)
{
    MainState& s = ctx.state;
    if (!image) {
        placeText(ctx, record);
        return true;
    }
    const std::optional<Picture> picture = ctx.thumbnails.CellPicture(record.value, ctx.cells.isMonochrome());
    if (!picture) {
        if (s.StopLoading)
            return false;
        placeText(ctx, record);
        return true;
    }
    // A second image for a cell replaces the first: the wall holds no more.
    PlaceImage(ctx.cells, s, record.row, record.col, *picture, record.value);
    ctx.window.setTitle(QStringLiteral("Loading files. ") + FormatCount(s.ImageCount)
                        + QStringLiteral(" Images found. Please wait...   ") + AvailableMemoryText(FreeMemory(s)));
    QCoreApplication::processEvents();
    StopOnLowMemory(s);
    return true;
}

// Counts the records of a wall file on a worker while the open places
// them: an open that ends early tells at once how many records it did not
// place, however large the rest of the file. Posted with the load's
// decodes, and before them, so it starts at once. Its end cancels the
// count and waits for it.
class RecordCount {
public:
    explicit RecordCount(const QString& path) : m_jobs(WorkerPool::shared())
    {
        // The job holds only what it owns: nothing of this object.
        auto counted = std::make_shared<std::promise<qint64>>();
        m_counted = counted->get_future();
        m_jobs.post(WorkerPool::Priority::Load, [path, counted](const std::stop_token& stop) {
            qint64 total = -1;
            QFile file;
            if (OpenForReading(file, path))
                SkipErrors([&] { total = WallReader(file).countRest(stop); });
            counted->set_value(total);
        });
    }
    RecordCount(const RecordCount&) = delete;
    RecordCount& operator=(const RecordCount&) = delete;

    // The file's records, once counted; -1 when it could not be read.
    qint64 total()
    {
        if (m_counted.valid()) {
            try {
                m_total = m_counted.get();
            } catch (const std::future_error&) {
                m_total = -1;  // the pool dropped the count: it is ending
            }
        }
        return m_total;
    }

private:
    std::future<qint64> m_counted;
    qint64 m_total = -1;
    WorkerJobs m_jobs;  // last: it ends first
};

struct Outcome {
    qint64 placed = 0;
    qint64 notPlaced = 0;
};

// Places the records in file order, yielding before each one, until the
// end of the file or a stop request; `outcome` counts them as they go.
void placeRecords(CommandContext& ctx, WallReader& reader, RecordCount& counted, Outcome& outcome)
{
    MainState& s = ctx.state;
    DecodingAhead ahead(ctx.thumbnails);
    RecordQueue records(reader, ahead, s);
    while (!records.atEnd() && !s.StopLoading) {
        QCoreApplication::processEvents();
        const std::optional<QueuedRecord> next = records.next();
        if (!next)
            continue;
        const WallRecord& record = next->record;
        growToHold(ctx.cells, record);
        if (!record.value.isEmpty() && !placeValue(ctx, record, next->image)) {
            ++outcome.notPlaced;
            break;
        }
        ++outcome.placed;
    }
    // Counted only when the user is to be told.
    if (s.StopLoading && !s.IsClosing)
        outcome.notPlaced = std::max<qint64>(counted.total() - outcome.placed, outcome.notPlaced);
}

// The wall on screen from here on is the file's: its guard against a
// smaller save ends with the old wall, and one starts when the file was
// not placed whole.
void markOpened(CommandContext& ctx, const QString& path, qint64 placed, qint64 notPlaced)
{
    WallState& s = ctx.state;
    WallIsSaved(ctx.cells, ctx.state);
    s.PartialWallPath = notPlaced > 0 ? CanonicalPath(path) : QString();
    s.PartialWallRecords = placed + notPlaced;
}

void readWall(CommandContext& ctx, LoadingRun& run, const QString& path)
{
    MainState& s = ctx.state;
    // Opened before the old wall goes: a file that cannot be read leaves
    // the wall on screen as it was.
    QFile file;
    if (!OpenForReading(file, path))
        throw AppError(ErrorNumber::PathFileAccess, ErrorText(errno));
    s.LowMemory = false;
    run.showBusy();
    EmptyGrid(ctx.cells, ctx.cells.Rows(), ctx.cells.Cols());
    // The preview's cell is gone with the old wall.
    ctx.window.hidePreview();
    ctx.grid.Select(0, 0);
    s.ImageCount = 0;
    markOpened(ctx, path, 0, 0);
    run.offerStop();
    WallReader reader(file);
    RecordCount counted(path);
    Outcome outcome;
    try {
        placeRecords(ctx, reader, counted, outcome);
    } catch (...) {
        // A read error ends the open early as a stop does: the file holds
        // more than the wall now shows.
        markOpened(ctx, path, outcome.placed, std::max<qint64>(counted.total() - outcome.placed, 1));
        throw;
    }
    s.SlideshowReady = true;
    markOpened(ctx, path, outcome.placed, outcome.notPlaced);
    if (outcome.notPlaced == 0 || s.IsClosing)
        return;
    ShowDefaultPointer();
    MsgBox(QStringLiteral("The wall was opened only in part: ") + FormatCount(outcome.notPlaced)
               + QStringLiteral(" records of ") + path + QStringLiteral(" were not placed."),
           MsgIcon::Exclamation);
}

} // namespace

void OpenWallFile(CommandContext& ctx, const QString& strPath, const AskWallFile& ask)
{
    ctx.state.StopSlideshow = true;
    std::optional<LoadingRun> run;
    try {
        const QString path = strPath.isEmpty() ? ask(QStringLiteral("Open File"), false) : strPath;
        if (!path.isEmpty()) {
            if (!WallExtensionAccepted(path) || !FileExists(path))
                return;
            readWall(ctx, run.emplace(ctx), path);
        }
    } catch (...) {
        ReportError(QStringLiteral("frmMain"), QStringLiteral("mnuOpenWall_Click"), AppError::current());
    }
    // How every Open Wall ends, whether it read a file, was cancelled or
    // failed; selected first, so that the caption names the current cell.
    ctx.grid.Select(0, 0);
    ctx.window.UpdateCaption();
    if (run)
        run->end();
    if (ctx.window.isShown())
        ctx.window.PreviewCurrentCell();
}
