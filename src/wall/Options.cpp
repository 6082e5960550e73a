#include "wall/Options.h"

#include "grid/CellStore.h"
#include "grid/GridWidget.h"
#include "shell/Caption.h"
#include "shell/CommandContext.h"
#include "shell/MainState.h"
#include "shell/Utilities.h"
#include "wall/WallDigest.h"

#include <QLocale>

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

constexpr int StartUpLimit = 200;  // what a fresh start holds before any OK

struct Dropped {
    qint64 images = 0;
    qint64 texts = 0;
};

// What a grid of rows x cols would leave out of the wall; an image hidden
// by a search is an image.
Dropped droppedBy(const CellStore& cells, int rows, int cols)
{
    Dropped dropped;
    cells.forEachOccupied(cells.wholeGrid(), [&](int row, int col, const Cell& cell) {
        if (row < rows && col < cols)
            return;
        if (!cell.imagePath().isEmpty())
            ++dropped.images;
        else if (!OwnText(cell).isEmpty())
            ++dropped.texts;
    });
    return dropped;
}

// The typed size, or the grid's side when the box was left alone or holds
// no size.
int typedSize(const std::optional<QString>& typed, int side)
{
    return typed ? GridSizeFromText(*typed).value_or(side) : side;
}

// Whether the grid may take the new size: asked only when it leaves
// something out, and No unless the user says otherwise.
bool mayResize(const CommandContext& ctx, int rows, int cols, Dropped& dropped)
{
    dropped = droppedBy(ctx.cells, rows, cols);
    return (dropped.images == 0 && dropped.texts == 0)
           || MsgBox(QStringLiteral("A grid of ") + FormatCount(cols) + QStringLiteral(" columns and ")
                         + FormatCount(rows) + QStringLiteral(" rows leaves out ") + FormatCount(dropped.images)
                         + QStringLiteral(" images and ") + FormatCount(dropped.texts)
                         + QStringLiteral(" texts of the wall.\n\nMake the grid smaller?"),
                     MsgIcon::Question, MsgButtons::YesNoDefaultNo)
                  == MsgAnswer::Yes;
}

} // namespace

const std::array<ThumbQuality, 5> ThumbQualities{{
    {"Very Low (Fastest)", 100}, {"Low", 500}, {"Medium", 1500}, {"High", 3000}, {"Perfect (Slowest)", 0},
}};

int QualityEntryFor(int limit)
{
    if (limit == StartUpLimit)
        return 0;
    for (int entry = 0; entry < int(ThumbQualities.size()); ++entry)
        if (ThumbQualities[std::size_t(entry)].limit == limit)
            return entry;
    return -1;
}

std::optional<int32_t> GridSizeFromText(const QString& text)
{
    bool ok = false;
    const double value = QLocale().toDouble(text.trimmed(), &ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    // The rounding of the current mode, to nearest with halves to even.
    const double rounded = std::nearbyint(value);
    if (rounded < 1 || rounded > double(std::numeric_limits<int32_t>::max()))
        return std::nullopt;
    return int32_t(rounded);
}

int ShownGridCols(const Settings& settings, const CellStore& cells)
{
    return std::max(settings.GridCols, cells.Cols());
}

int ShownGridRows(const Settings& settings, const CellStore& cells)
{
    return std::max(settings.GridRows, cells.Rows());
}

bool ApplyOptions(CommandContext& ctx, const OptionsAnswers& answers)
{
    MainState& s = ctx.state;
    if (answers.quality == PerfectQuality
        && MsgBox(QStringLiteral("This will consume a VAST amount of memory and may lock up your computer if you "
                                 "have a lot of images.\n\nContinue?"),
                  MsgIcon::Question, MsgButtons::YesNo, QStringLiteral("WARNING"))
               != MsgAnswer::Yes)
        return false;
    // Compared with the wall itself: a grid that a wall file grew is larger
    // than the settings, and a box left as shown keeps its side.
    const int cols = typedSize(answers.cols, ctx.cells.Cols());
    const int rows = typedSize(answers.rows, ctx.cells.Rows());
    Dropped dropped;
    if (mayResize(ctx, rows, cols, dropped)) {
        if (answers.cols && GridSizeFromText(*answers.cols))
            s.GridCols = cols;
        if (answers.rows && GridSizeFromText(*answers.rows))
            s.GridRows = rows;
        // In place: the cells outside the new size go, as the user agreed.
        // Every cell stretches its picture already.
        ctx.cells.setCols(cols);
        ctx.cells.setRows(rows);
        s.ImageCount -= int32_t(dropped.images);
    }
    // A count of cells beyond 32 bits leaves the old one.
    const qint64 cellCount = qint64(s.GridCols) * s.GridRows;
    if (cellCount <= std::numeric_limits<int32_t>::max())
        s.CellCount = int32_t(cellCount);
    const int entry = answers.quality;
    s.ThumbMaxHeight = s.ThumbMaxWidth =
        entry >= 0 && entry < int(ThumbQualities.size()) ? ThumbQualities[std::size_t(entry)].limit : 0;
    s.HidePreview = answers.hidePreview;
    s.MonoImages = answers.mono;
    s.HideGridLines = answers.hideGridLines;
    if (s.HidePreview)
        ctx.window.hidePreview();
    ctx.grid.GridLines(!s.HideGridLines);
    ctx.cells.setPictureType(s.MonoImages ? CellStore::Monochrome : CellStore::Colour);
    // A smaller grid may have taken the current cell's image.
    ctx.window.PreviewCurrentCell();
    return true;
}
