#pragma once

// Mouse events go through the window, as the desktop's would: a widget
// holding the mouse gets them, and a second click is a double-click.
#define QTEST_QPA_MOUSE_HANDLING

#include "grid/GridWidget.h"
#include "support/CellPoint.h"
#include "support/FakePlatform.h"
#include "support/RawFolder.h"
#include "support/TestImages.h"
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

    ShownWindow()
    {
        w.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&w));
    }
    // A JPEG file of 40 x 30 in cell (row, col), with a small grey picture.
    QString put(int row, int col, const QString& name)
    {
        TestImages::write(dir.filePath(name), TestImages::jpeg(40, 30));
        w.cells().setImage(row, col, QImage(4, 4, QImage::Format_Grayscale8), dir.filePath(name));
        return dir.filePath(name);
    }
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
    void key(Qt::Key key, Qt::KeyboardModifiers modifiers = {}) { QTest::keyClick(&grid, key, modifiers); }
    // The path the preview shows; "" when it is hidden.
    QString previewed() const
    {
        const frmPreview* preview = w.previewIfOpen();
        return preview && preview->isVisible() ? preview->windowTitle() : QString();
    }
    // The current cell, then the selection.
    QList<int> cursor() const
    {
        const CellRect s = grid.GetSelection();
        return {grid.Row(), grid.Col(), s.row1, s.col1, s.row2, s.col2};
    }
};
