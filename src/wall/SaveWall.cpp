#include "wall/SaveWall.h"

#include "grid/CellStore.h"
#include "shell/CommandContext.h"
#include "shell/MainState.h"
#include "shell/Utilities.h"
#include "wall/WallFormat.h"

#include <QFile>

#include <vector>

namespace {

constexpr int FileAlreadyExists = 58;

struct SavedCell {
    int row;
    int col;
    QString path;  // empty for a cell without an image
    QString text;
};

// The occupied cells that may give a record. A cell that a search hides
// holds a picture, not a path, in its data slot: it names no file and is
// left out.
std::vector<SavedCell> candidates(const CellStore& cells)
{
    std::vector<SavedCell> found;
    cells.forEachOccupied(cells.wholeGrid(), [&](int row, int col, const Cell& cell) {
        if (const QString* path = std::get_if<QString>(&cell.data))
            found.push_back({row, col, *path, cell.text});
    });
    return found;
}

// A comma in an image path would split its record, so the file takes the
// name without commas. The cell follows it: keeping the old name would leave
// it pointing at a file that is gone.
QString renamedWithoutCommas(CellStore& cells, const SavedCell& cell)
{
    QString target = cell.path;
    target.remove(QLatin1Char(','));
    if (QFile::exists(target))
        throw AppError(FileAlreadyExists, QStringLiteral("File already exists"));
    QFile file(cell.path);
    if (!file.rename(target))
        throw AppError(ErrorNumber::PathFileAccess, file.errorString());
    cells.setCellData(cell.row, cell.col, target);
    return target;
}

// The file holds exactly what was meant to be written: WriteNewFile reports
// its own failure but does not pass it back.
bool holdsText(const QString& path, const QString& text)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) && file.readAll() == text.toLocal8Bit() + "\r\n";
}

} // namespace

QString WallRecordText(CellStore& cells)
{
    QString records;
    for (const SavedCell& cell : candidates(cells)) {
        if (cell.path.isEmpty()) {
            if (!cell.text.isEmpty())
                AppendWallRecord(records, cell.row, cell.col, QString(cell.text).remove(QLatin1Char(',')));
        } else if (FileExists(cell.path)) {
            const QString path = cell.path.contains(QLatin1Char(',')) ? renamedWithoutCommas(cells, cell) : cell.path;
            AppendWallRecord(records, cell.row, cell.col, path);
        }
    }
    return records;
}

void mnuSave_Click(CommandContext& ctx, const AskWallFile& ask)
{
    RunReported(QStringLiteral("frmMain"), QStringLiteral("mnuSave_Click"), [&] {
        ctx.state.StopSlideshow = true;
        const QString path = ask(QStringLiteral("Save File"), true);
        if (path.isEmpty() || !WallExtensionAccepted(path))
            return;
        ShowBusyPointer();
        const QString records = WallRecordText(ctx.cells);
        if (!records.isEmpty())
            WriteNewFile(path, records);
        ShowDefaultPointer();
        if (records.isEmpty())
            MsgBox(QStringLiteral("Nothing was saved: no cell holds an image or a text."), MsgIcon::Information);
        else if (!holdsText(path, records))
            MsgBox(QStringLiteral("The wall was not saved to ") + path + QLatin1Char('.'), MsgIcon::Exclamation);
        else
            MsgBox(QStringLiteral("File saved.\nNote: only the image paths are saved so the file will only work "
                                  "on this computer."),
                   MsgIcon::Information);
    });
}
