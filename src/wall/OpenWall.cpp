#include "wall/OpenWall.h"

#include "grid/CellStore.h"
#include "grid/GridWidget.h"
#include "image/DecodeAhead.h"
#include "image/ThumbnailMaker.h"
#include "shell/Caption.h"
#include "shell/CommandContext.h"
#include "shell/MainState.h"
#include "shell/Utilities.h"
#include "wall/WallFormat.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QStringList>

namespace {

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

// Puts one record's value into its cell: an image through the thumbnail
// maker (a file it refuses leaves no trace), anything else as white text.
// True when the wall holds as many images as the grid has cells.
bool placeValue(CommandContext& ctx, const WallRecord& record)
{
    MainState& s = ctx.state;
    if (!namesImageFile(record.value)) {
        ctx.cells.setCellText(record.row, record.col, record.value);
        ctx.cells.setCellForeColor(record.row, record.col, Qt::white);
        return false;
    }
    const std::optional<QImage> picture = ctx.thumbnails.CellPicture(record.value);
    if (!picture)
        return false;
    // A second image for a cell replaces the first: the wall holds no more.
    if (!ctx.cells.holdsImage(record.row, record.col))
        ++s.ImageCount;
    ctx.cells.setImage(record.row, record.col, *picture, record.value);
    if (s.ImageCount >= qint64(s.GridRows) * s.GridCols)
        return true;
    ctx.window.setTitle(QStringLiteral("Loading files. ") + FormatCount(s.ImageCount)
                        + QStringLiteral(" Images found. Please wait...   ") + AvailableMemoryText(s));
    QCoreApplication::processEvents();
    return false;
}

// Places the records in file order, yielding before each one; workers
// decode the images ahead of placing.
void placeRecords(CommandContext& ctx, const std::vector<WallRecord>& records)
{
    MainState& s = ctx.state;
    QStringList images;
    for (const WallRecord& record : records)
        if (namesImageFile(record.value))
            images.append(record.value);
    DecodeAhead ahead(DecodeAhead::defaultThreads(), ctx.thumbnails.cache());
    const UseReadyDecodes use(ctx.thumbnails, ahead);
    ahead.enqueue(images, s.ThumbMaxWidth, s.ThumbMaxHeight);

    for (const WallRecord& record : records) {
        QCoreApplication::processEvents();
        growToHold(ctx.cells, record);
        if (!record.value.isEmpty() && placeValue(ctx, record))
            return;
        if (s.StopLoading)
            return;
    }
}

void readWall(CommandContext& ctx, const QString& path)
{
    MainState& s = ctx.state;
    s.IsLoading = true;
    ShowBusyPointer();
    EmptyGrid(ctx.cells, ctx.cells.Rows(), ctx.cells.Cols());
    // The preview's cell is gone with the old wall.
    ctx.window.hidePreview();
    ctx.grid.Select(0, 0);
    s.ImageCount = 0;
    std::vector<WallRecord> records;
    {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            throw AppError(ErrorNumber::PathFileAccess, file.errorString());
        records = ReadWallRecords(file);
    }
    s.StopEnabled = true;
    ctx.window.setMenuStates();
    placeRecords(ctx, records);
}

// How every Open Wall ends, whether it read a file, was cancelled or failed.
void endSteps(CommandContext& ctx)
{
    MainState& s = ctx.state;
    // Selected first, so that the caption names the cell that is current.
    ctx.grid.Select(0, 0);
    ctx.window.UpdateCaption();
    s.StopEnabled = false;
    s.StopLoading = false;
    s.IsLoading = false;
    ctx.window.setMenuStates();
    if (ctx.window.isShown())
        ctx.window.PreviewCurrentCell();
    ShowDefaultPointer();
    if (s.IsClosing)
        ctx.window.endProgram();
}

} // namespace

void OpenFile(CommandContext& ctx, const QString& strPath, const AskWallFile& ask)
{
    ctx.state.StopSlideshow = true;
    try {
        const QString path = strPath.isEmpty() ? ask(QStringLiteral("Open File"), false) : strPath;
        if (!path.isEmpty()) {
            if (!WallExtensionAccepted(path) || !FileExists(path))
                return;
            readWall(ctx, path);
        }
    } catch (...) {
        ReportError(QStringLiteral("frmMain"), QStringLiteral("mnuOpenWall_Click"), AppError::current());
    }
    endSteps(ctx);
}
