#include "wall/Search.h"

#include "grid/CellStore.h"
#include "grid/GridWidget.h"
#include "shell/CommandContext.h"
#include "shell/MainState.h"
#include "shell/Utilities.h"

#include <QLocale>

#include <utility>
#include <vector>

namespace {

using CellList = std::vector<std::pair<int, int>>;

const QString SearchPrompt = QStringLiteral(
    "Enter text to search for. If any part of the filename matches your text the image will remain visible. All "
    "other images will be hidden. Choose Tools | Show All to reset the grid.");

} // namespace

void ShowHiddenCells(CellStore& cells)
{
    CellList hidden, texts;
    cells.forEachOccupied(cells.wholeGrid(), [&](int r, int c, const Cell& cell) {
        if (std::holds_alternative<Picture>(cell.data))
            hidden.emplace_back(r, c);
        else if (cell.path().isEmpty() && !cell.text.isEmpty())
            texts.emplace_back(r, c);
    });
    for (const auto& [r, c] : hidden)
        cells.showImage(r, c);
    for (const auto& [r, c] : texts)
        cells.setCellForeColor(r, c, Qt::white);
}

void ResetCells(CommandContext& ctx)
{
    RunReported(QStringLiteral("frmMain"), QStringLiteral("ResetCells"), [&] {
        const RedrawSuspended quiet(ctx.grid);
        ShowHiddenCells(ctx.cells);
    });
}

void SearchGrid(CommandContext& ctx, const QString& text)
{
    RunReported(QStringLiteral("frmMain"), QStringLiteral("mnuFindFile_Click"), [&] {
        ShowBusyPointer();
        if (text.isEmpty()) {
            ShowDefaultPointer();
            return;
        }
        const QLocale locale;
        const QString wanted = locale.toUpper(text);
        ctx.window.hidePreview();
        ResetCells(ctx);
        const RedrawSuspended quiet(ctx.grid);
        // Only an image's file name is searched, never its folder or its
        // text. A text cell that lacks the text turns black; its data slot
        // is left alone, so a cell that is still hidden keeps its picture.
        CellList images, texts;
        ctx.cells.forEachOccupied(ctx.cells.wholeGrid(), [&](int r, int c, const Cell& cell) {
            if (const QString path = cell.path(); !path.isEmpty()) {
                if (!locale.toUpper(FileNameFromPath(path)).contains(wanted))
                    images.emplace_back(r, c);
            } else if (!cell.text.isEmpty() && !locale.toUpper(cell.text).contains(wanted)) {
                texts.emplace_back(r, c);
            }
        });
        for (const auto& [r, c] : images)
            ctx.cells.hideImage(r, c);
        for (const auto& [r, c] : texts)
            ctx.cells.setCellForeColor(r, c, Qt::black);
        ShowDefaultPointer();
    });
}

void mnuFindFile_Click(CommandContext& ctx)
{
    const std::optional<QString> answer =
        Platform::prompts().input(SearchPrompt, QStringLiteral("Filename Search"), QString());
    SearchGrid(ctx, answer.value_or(QString()));
}

void mnuShowAll_Click(CommandContext& ctx)
{
    SkipErrors([&] { ResetCells(ctx); });
}
