#include "wall/SaveWall.h"

#include "grid/CellStore.h"
#include "shell/CommandContext.h"
#include "shell/FileNames.h"
#include "shell/MainState.h"
#include "shell/Utilities.h"
#include "wall/WallDigest.h"
#include "wall/WallFormat.h"

#include <QFile>
#include <QSaveFile>
#include <QSet>

#include <sys/stat.h>

#include <vector>

namespace {

struct SavedCell {
    int row;
    int col;
    QString value;  // the image's path, or the cell's text
    bool image;
    bool textOnImage;  // which the record cannot hold
};

// Every occupied cell that gives a record: an image cell (its picture shown
// or hidden by a search) by its path, whether its file is there or not, a
// cell without an image by its text.
std::vector<SavedCell> candidates(const CellStore& cells)
{
    std::vector<SavedCell> found;
    cells.forEachOccupied(cells.wholeGrid(), [&](int row, int col, const Cell& cell) {
        const QString text = OwnText(cell);
        if (const QString path = cell.imagePath(); !path.isEmpty())
            found.push_back({row, col, path, true, !text.isEmpty()});
        else if (!text.isEmpty())
            found.push_back({row, col, text, false, false});
    });
    return found;
}

// The comma-free names the images whose file names hold commas would take:
// only where that name is free in the same folder, since the old readers
// split a record at every comma. A path whose folders hold commas stands as
// it is: renaming the file would not help those readers, and this program
// reads commas back exactly.
QHash<QString, QString> commaFreeNames(const std::vector<SavedCell>& cells)
{
    QHash<QString, QString> planned;
    QSet<QString> taken;
    for (const SavedCell& cell : cells) {
        const QString& path = cell.value;
        const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
        if (!cell.image || planned.contains(path) || !path.mid(slash + 1).contains(QLatin1Char(','))
            || path.left(std::max<qsizetype>(slash, 0)).contains(QLatin1Char(',')) || !FileExists(path))
            continue;
        const QString target = path.left(slash + 1) + path.mid(slash + 1).remove(QLatin1Char(','));
        struct stat st {};
        if (taken.contains(target) || LstatPath(target, st))
            continue;
        planned.insert(path, target);
        taken.insert(target);
    }
    return planned;
}

// The renames that happened; a name taken meanwhile keeps its file.
QHash<QString, QString> renameFiles(const QHash<QString, QString>& planned)
{
    QHash<QString, QString> renamed;
    for (auto it = planned.constBegin(); it != planned.constEnd(); ++it)
        if (RenameNoReplace(it.key(), it.value()))
            renamed.insert(it.key(), it.value());
    return renamed;
}

void undoRenames(const QHash<QString, QString>& renamed)
{
    for (auto it = renamed.constBegin(); it != renamed.constEnd(); ++it)
        RenameNoReplace(it.value(), it.key());
}

// Whether a file can be written at the path: the writer's own way of
// writing is tried and nothing is left behind.
bool writable(const QString& path)
{
    QSaveFile probe(path);
    const bool opened = probe.open(QIODevice::WriteOnly);
    probe.cancelWriting();
    return opened;
}

// What the user is told besides "saved": what a wall file could not keep.
QString notKept(const WallRecords& records)
{
    QString told;
    if (records.leftOut > 0)
        told += QStringLiteral("\n\n") + QString::number(records.leftOut)
                + QStringLiteral(" cells were left out: a line break in a file name or text cannot be written into "
                                 "a wall file.");
    if (records.textsOnImages > 0)
        told += QStringLiteral("\n\n") + QString::number(records.textsOnImages)
                + QStringLiteral(" texts written on images are not kept in a wall file.");
    return told;
}

// The file holds exactly what was meant to be written: WriteNewFile reports
// its own failure but does not pass it back.
bool holdsText(const QString& path, const QByteArray& text)
{
    QFile file;
    return OpenForReading(file, path) && file.readAll() == text + "\r\n";
}

// A wall that was opened only in part is not cut down by saving it over
// its own file without the user's word.
bool mayReplace(const WallState& s, const QString& path, qint64 records)
{
    if (s.PartialWallPath.isEmpty() || CanonicalPath(path) != s.PartialWallPath || records >= s.PartialWallRecords)
        return true;
    return MsgBox(QStringLiteral("This wall was opened only in part from ") + path + QStringLiteral(", which holds ")
                      + QString::number(s.PartialWallRecords) + QStringLiteral(" records. Saving writes ")
                      + QString::number(records) + QStringLiteral(" records over them.\n\nSave anyway?"),
                  MsgIcon::Question, MsgButtons::YesNo)
           == MsgAnswer::Yes;
}

} // namespace

WallRecords WallRecordText(const CellStore& cells, const QHash<QString, QString>& renamed)
{
    WallRecords records;
    for (const SavedCell& cell : candidates(cells)) {
        const QString value = cell.image ? renamed.value(cell.value, cell.value) : cell.value;
        records.textsOnImages += cell.textOnImage ? 1 : 0;
        if (!WallValueWritable(value)) {
            ++records.leftOut;
            continue;
        }
        AppendWallRecord(records.text, cell.row, cell.col, value);
        ++records.count;
    }
    return records;
}

bool SaveWall(CommandContext& ctx, const AskWallFile& ask)
{
    MainState& s = ctx.state;
    bool saved = false;
    RunReported(QStringLiteral("frmMain"), QStringLiteral("mnuSave_Click"), [&] {
        s.StopSlideshow = true;
        const QString path = ask(QStringLiteral("Save File"), true);
        if (path.isEmpty() || !WallExtensionAccepted(path))
            return;
        ShowBusyPointer();
        const std::vector<SavedCell> cells = candidates(ctx.cells);
        const QHash<QString, QString> planned = commaFreeNames(cells);
        WallRecords records = WallRecordText(ctx.cells, planned);
        const bool agreed = mayReplace(s, path, records.count);
        ShowDefaultPointer();
        if (!agreed)
            return;
        if (records.count == 0) {
            MsgBox(QStringLiteral("Nothing was saved: no cell holds an image or a text.") + notKept(records),
                   MsgIcon::Information);
            return;
        }
        const QString notSaved = QStringLiteral("The wall was not saved to ") + path + QLatin1Char('.');
        if (!writable(path)) {
            MsgBox(notSaved, MsgIcon::Exclamation);
            return;
        }
        // Files are renamed only for a wall that is written.
        const QHash<QString, QString> renamed = renameFiles(planned);
        if (renamed != planned)
            records = WallRecordText(ctx.cells, renamed);
        WriteNewFile(path, records.text);
        if (!holdsText(path, records.text)) {
            undoRenames(renamed);
            MsgBox(notSaved, MsgIcon::Exclamation);
            return;
        }
        ctx.cells.replacePaths(renamed);
        WallIsSaved(ctx.cells, s);
        // The file holds this wall now, whatever it held before.
        if (s.PartialWallPath == CanonicalPath(path))
            s.PartialWallPath.clear();
        saved = true;
        const QString notes = notKept(records);
        MsgBox(QStringLiteral("File saved.\nNote: only the image paths are saved so the file will only work "
                              "on this computer.")
                   + notes,
               notes.isEmpty() ? MsgIcon::Information : MsgIcon::Exclamation);
    });
    return saved;
}
