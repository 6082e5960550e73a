#include "wall/Sort.h"

#include "grid/SortTable.h"
#include "grid/GridWidget.h"
#include "grid/WallImages.h"
#include "image/Exif.h"
#include "shell/CommandContext.h"
#include "shell/FileNames.h"
#include "shell/MainState.h"
#include "shell/Utilities.h"
#include "shell/Caption.h"
#include "wall/Search.h"
#include "wall/WallDigest.h"

#include <QDateTime>

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>

namespace {

// Work-table columns.
enum { FromRowCol, FromColCol, DateCol, PathCol, WorkCols };

void fillWorkTable(const CellStore& cells, SortTable& fgTop, const CreationTimeReader& creationTime)
{
    CellStore& table = fgTop.cells();
    table.Clear();
    table.setCols(WorkCols);
    table.setRows(0);
    table.setPictureType(cells.PictureType());
    fgTop.setColDataType(DateCol, SortTable::ColumnType::Date);
    cells.forEachOccupied(cells.wholeGrid(), [&](int r, int c, const Cell& cell) {
        const QString path = cell.path();
        if (path.isEmpty())
            return;
        const std::optional<qint64> created = creationTime(path);
        const QString date =
            created ? QDateTime::fromSecsSinceEpoch(*created, Qt::UTC).toString(Qt::ISODate) : QString();
        const QChar tab = QLatin1Char('\t');
        fgTop.AddItem(QString::number(r) + tab + QString::number(c) + tab + date + tab + path);
        table.setCellPicture(table.Rows() - 1, FromRowCol, cell.picture);
    });
}

void orderWorkTable(SortTable& fgTop)
{
    using ColumnSort = SortTable::ColumnSort;
    fgTop.setColSort(FromRowCol, ColumnSort::None);
    fgTop.setColSort(FromColCol, ColumnSort::None);
    fgTop.setColSort(DateCol, ColumnSort::GenericAscending);
    fgTop.setColSort(PathCol, ColumnSort::StringAscendingCaseSensitive);
    if (fgTop.cells().Rows() > 0)
        fgTop.Sort(fgTop.cells().wholeGrid());
}

// Column by column from (0, 0), a new column after GridRows images; the
// grid grows where the images need more room than it has.
void placeSorted(CellStore& cells, const CellStore& table, const Settings& settings, WallState& wall)
{
    const int wrap = std::max(settings.GridRows, 1);
    wall.ImageCount = 0;  // the wall was emptied into the work table
    int row = 0;
    int col = 0;
    for (int i = 0; i < table.Rows(); ++i) {
        if (row >= cells.Rows())
            cells.setRows(row + 1);
        if (col >= cells.Cols())
            cells.setCols(col + 1);
        PlaceImage(cells, wall, row, col, table.CellPicture(i, FromRowCol), table.CellText(i, PathCol));
        if (++row >= wrap) {
            row = 0;
            ++col;
        }
    }
}

// The sort keeps images only: a wall with texts asks first.
bool mayClearTexts(const CellStore& cells)
{
    qint64 texts = 0;
    cells.forEachOccupied(cells.wholeGrid(), [&](int, int, const Cell& cell) { texts += OwnText(cell).isEmpty() ? 0 : 1; });
    return texts == 0
           || MsgBox(QStringLiteral("Sort by Create Date clears the ") + FormatCount(texts)
                         + QStringLiteral(" texts of the wall.\n\nSort anyway?"),
                     MsgIcon::Question, MsgButtons::YesNoDefaultNo)
                  == MsgAnswer::Yes;
}

} // namespace

std::optional<qint64> FileCreationTime(const QString& path)
{
    if (const std::optional<QDateTime> taken = ReadExif(path).taken)
        return taken->toSecsSinceEpoch();
    struct statx st {};
    if (path.isEmpty() || ::statx(AT_FDCWD, FileNameBytes(path).constData(), 0, STATX_BTIME | STATX_MTIME, &st) != 0)
        return std::nullopt;
    return (st.stx_mask & STATX_BTIME) ? st.stx_btime.tv_sec : st.stx_mtime.tv_sec;
}

void mnuSortCreateDate_Click(CommandContext& ctx, SortTable& fgTop, const CreationTimeReader& creationTime)
{
    RunReported(QStringLiteral("frmMain"), QStringLiteral("mnuSortCreateDate_Click"), [&] {
        ctx.state.StopSlideshow = true;
        if (!mayClearTexts(ctx.cells))
            return;
        ShowBusyPointer();
        const RedrawSuspended quiet(ctx.grid);
        ShowHiddenCells(ctx.cells);
        fillWorkTable(ctx.cells, fgTop, creationTime);
        // Every image now waits in the work table, so nothing is lost here.
        ctx.cells.Clear();
        orderWorkTable(fgTop);
        placeSorted(ctx.cells, fgTop.cells(), ctx.state, ctx.state);
        // The table's pictures would otherwise outlive the wall's.
        fgTop.cells().Clear();
        fgTop.cells().setRows(0);
        ShowDefaultPointer();
    });
}
