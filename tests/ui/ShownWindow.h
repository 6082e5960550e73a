#pragma once

// Mouse events go through the window, as the desktop's would: a widget
// holding the mouse gets them, and a second click is a double-click.
#define QTEST_QPA_MOUSE_HANDLING

#include "grid/GridWidget.h"
#include "support/CellPoint.h"
#include "support/FakePlatform.h"
#include "support/RawFolder.h"
#include "support/TestImages.h"
#include "support/TestWall.h"
#include "ui/frmMain.h"
#include "view/frmPreview.h"

#include <QFile>
#include <QMenu>
#include <QTest>
#include <gtest/gtest.h>

// The main window, shown, with scripted dialogs and launches and a folder
// of its own for image files.
struct ShownWindow : ::testing::Test {
    FakePlatform platform;
    RawFolder dir;
    frmMain w;
    GridWidget& grid = w.fg();
    QWidget* vp = grid.viewport();
    QWidget& overlay = *vp->findChild<QWidget*>("Picture1");  // a lifted image

    ShownWindow()
    {
        w.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&w));
    }
    // A JPEG file of 40 x 30 in cell (row, col), with a small picture, counted.
    QString put(int row, int col, const QString& name, QColor colour = Qt::gray)
    {
        WriteRaw(dir.filePath(name), TestImages::jpeg(40, 30));
        w.cells().setImage(row, col, TestImages::filled({8, 6}, colour), dir.filePath(name));
        ++w.state().ImageCount;
        return dir.filePath(name);
    }
    // Whether a file is there, found by its name's bytes.
    static bool exists(const QString& path) { return std::filesystem::exists(FileNameBytes(path).toStdString()); }
    QPoint at(int row, int col) const { return CellPoint(grid, row, col); }
    void mouse(QTest::MouseAction action, int row, int col, Qt::MouseButton button = Qt::LeftButton,
               Qt::KeyboardModifiers modifiers = {})
    {
        QTest::mouseEvent(action, vp, button, modifiers, at(row, col));
    }
    // A click; a popup it opens is closed again, as Escape would.
    void click(int row, int col, Qt::MouseButton button = Qt::LeftButton, Qt::KeyboardModifiers modifiers = {})
    {
        mouse(QTest::MouseClick, row, col, button, modifiers);
        w.rightMenu()->hide();
    }
    // A move and a release: where a lifted image is dropped.
    void dropOn(int row, int col)
    {
        mouse(QTest::MouseMove, row, col);
        mouse(QTest::MouseRelease, row, col);
    }
    // A press, a move and a release: on the current cell it drags the image.
    void drag(int fromRow, int fromCol, int toRow, int toCol)
    {
        mouse(QTest::MousePress, fromRow, fromCol);
        dropOn(toRow, toCol);
    }
    void key(Qt::Key key, Qt::KeyboardModifiers modifiers = {}) { QTest::keyClick(&grid, key, modifiers); }
    // The current cell, then the selection.
    QList<int> cursor() const
    {
        const CellRect s = grid.GetSelection();
        return {grid.Row(), grid.Col(), s.row1, s.col1, s.row2, s.col2};
    }
    // After a command the caption and the preview (unless the settings hide
    // it) name the current cell, the highlight covers the selection of
    // several cells (seen on its empty cells in view) and the image count is
    // the wall's: "" when they do.
    std::string disagreement()
    {
        const int r = grid.Row(), c = grid.Col();
        const QString path = w.cells().CellData(r, c);
        if (!w.windowTitle().startsWith(QString("Pavisto %1-%2  %3").arg(r + 1).arg(c + 1).arg(path)))
            return "the caption " + w.windowTitle().toStdString();
        const frmPreview* preview = w.previewIfOpen();
        const QString previewed = preview && preview->isVisible() ? preview->windowTitle() : QString();
        if (previewed != (exists(path) && !w.state().HidePreview ? path : QString()))
            return "the preview " + previewed.toStdString();
        int images = 0;
        w.cells().forEachOccupied(w.cells().wholeGrid(),
                                  [&](int, int, const Cell& cell) { images += !cell.imagePath().isEmpty(); });
        if (w.state().ImageCount != images)
            return "the image count " + std::to_string(w.state().ImageCount);
        const QImage shot = vp->grab().toImage();
        const CellRect s = grid.GetSelection();
        const bool several = s.row1 != s.row2 || s.col1 != s.col2;
        for (int row = grid.TopRow(); at(row, 0).y() < shot.height() && row < w.cells().Rows(); ++row)
            for (int col = grid.LeftCol(); at(0, col).x() < shot.width() && col < w.cells().Cols(); ++col)
                if (w.cells().CellData(row, col).isEmpty() && w.cells().CellText(row, col).isEmpty()
                    && (shot.pixelColor(at(row, col)) != Qt::black)
                           != (several && row >= s.row1 && row <= s.row2 && col >= s.col1 && col <= s.col2))
                    return "the highlight at " + std::to_string(row) + "," + std::to_string(col);
        return {};
    }
};
