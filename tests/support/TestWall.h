#pragma once

#include "grid/CellStore.h"
#include "grid/GridWidget.h"
#include "image/ThumbnailMaker.h"
#include "shell/CommandContext.h"
#include "shell/FileNames.h"
#include "shell/MainState.h"

#include <QStringList>
#include <QTimer>

#include <fstream>
#include <functional>

// Runs `step` in the n-th yield to the event loop from now: a load yields
// before it starts and after each image it places.
inline void inYield(int n, std::function<void()> step)
{
    QTimer::singleShot(0, [n, step = std::move(step)] { n > 1 ? inYield(n - 1, step) : step(); });
}

// Writes a file through its name's bytes, which need not be UTF-8.
inline void WriteRaw(const QString& path, const QByteArray& bytes)
{
    std::ofstream(FileNameBytes(path).toStdString(), std::ios::binary) << bytes.toStdString();
}

// The paths of a wall's cells, column by column.
inline QStringList ColumnPaths(const CellStore& cells)
{
    QStringList paths;
    for (int c = 0; c < cells.Cols(); ++c)
        for (int r = 0; r < cells.Rows(); ++r)
            paths.append(cells.CellData(r, c));
    paths.removeAll(QString());
    return paths;
}

// A command context without a main window: a wall of rows x cols with its
// grid and thumbnail maker (with a shared thumbnail cache when given one),
// and a window port that records what commands ask of it.
struct TestWall : MainWindowPort {
    MainState state;
    CellStore cells;
    GridWidget grid{cells};
    Thumbnailer thumbnails;
    CommandContext ctx{state, cells, grid, thumbnails, *this};

    QStringList titles;
    int captions = 0, previews = 0, previewHides = 0;
    bool shown = true, ended = false;

    explicit TestWall(int rows = 100, int cols = 100, const ThumbnailCache* cache = nullptr)
        : cells(rows, cols), thumbnails(state, state, cache)
    {
        state.GridRows = rows;
        state.GridCols = cols;
    }
    void UpdateCaption() override { ++captions; }
    void setTitle(const QString& title) override { titles.append(title); }
    void PreviewCurrentCell() override { ++previews; }
    void hidePreview() override { ++previewHides; }
    void resetPreview() override { ++previewHides; }
    void setMenuStates() override {}
    bool isShown() const override { return shown; }
    void bringToFront() override {}
    void endProgram() override { ended = true; }
};
