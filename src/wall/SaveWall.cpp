#include "wall/SaveWall.h"

#include "grid/CellStore.h"
#include "shell/CommandContext.h"
#include "shell/FileNames.h"
#include "shell/MainState.h"
#include "shell/Utilities.h"
#include "wall/WallFormat.h"

#include <QFile>

#include <vector>

namespace {

struct SavedCell {
    int row;
    int col;
    QString value;  // the image's path, or the cell's text
    bool image;
};

// Every occupied cell that gives a record: an image cell (its picture shown
// or hidden by a search) by its path, whether its file is there or not, a
// cell without an image by its text.
std::vector<SavedCell> candidates(const CellStore& cells)
{
    std::vector<SavedCell> found;
    cells.forEachOccupied(cells.wholeGrid(), [&](int row, int col, const Cell& cell) {
        if (const QString path = cell.imagePath(); !path.isEmpty())
            found.push_back({row, col, path, true});
        else if (!cell.text.isEmpty())
            found.push_back({row, col, cell.text, false});
    });
    return found;
}

// An image whose file name holds commas takes the name without them, where
// that name is free in the same folder; the old readers split a record at
// every comma. Any other path stands as it is: the value runs to the end of
// its line, so this program reads commas back exactly.
QString withoutCommas(const QString& path, QHash<QString, QString>& renamed)
{
    if (const auto done = renamed.constFind(path); done != renamed.constEnd())
        return *done;  // a second cell of the same file
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    if (!path.mid(slash + 1).contains(QLatin1Char(',')) || path.left(std::max<qsizetype>(slash, 0)).contains(',')
        || !FileExists(path))
        return path;
    QString target = path.left(slash + 1) + path.mid(slash + 1).remove(QLatin1Char(','));
    if (!RenameNoReplace(path, target))
        return path;
    renamed.insert(path, target);
    return target;
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
bool mayReplace(const MainState& s, const QString& path, qint64 records)
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

WallRecords WallRecordText(CellStore& cells)
{
    WallRecords records;
    QHash<QString, QString> renamed;
    for (const SavedCell& cell : candidates(cells)) {
        const QString value = cell.image ? withoutCommas(cell.value, renamed) : cell.value;
        if (!WallValueWritable(value)) {
            ++records.leftOut;
            continue;
        }
        AppendWallRecord(records.text, cell.row, cell.col, value);
        ++records.count;
    }
    // The cells follow their renamed files.
    cells.replacePaths(renamed);
    return records;
}

void SaveWall(CommandContext& ctx, const AskWallFile& ask)
{
    RunReported(QStringLiteral("frmMain"), QStringLiteral("mnuSave_Click"), [&] {
        ctx.state.StopSlideshow = true;
        const QString path = ask(QStringLiteral("Save File"), true);
        if (path.isEmpty() || !WallExtensionAccepted(path))
            return;
        ShowBusyPointer();
        const WallRecords records = WallRecordText(ctx.cells);
        if (!mayReplace(ctx.state, path, records.count)) {
            ShowDefaultPointer();
            return;
        }
        if (records.count > 0)
            WriteNewFile(path, records.text);
        ShowDefaultPointer();
        const QString leftOut = records.leftOut == 0
                                    ? QString()
                                    : QStringLiteral("\n\n") + QString::number(records.leftOut)
                                          + QStringLiteral(" cells were left out: a line break in a file name or "
                                                           "text cannot be written into a wall file.");
        if (records.count == 0)
            MsgBox(QStringLiteral("Nothing was saved: no cell holds an image or a text.") + leftOut,
                   MsgIcon::Information);
        else if (!holdsText(path, records.text))
            MsgBox(QStringLiteral("The wall was not saved to ") + path + QLatin1Char('.'), MsgIcon::Exclamation);
        else
            MsgBox(QStringLiteral("File saved.\nNote: only the image paths are saved so the file will only work "
                                  "on this computer.")
                       + leftOut,
                   leftOut.isEmpty() ? MsgIcon::Information : MsgIcon::Exclamation);
    });
}
