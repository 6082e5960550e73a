#pragma once

// Mouse events go through the window, as the desktop's would: a widget
// holding the mouse gets them, and a second click is a double-click.
#define QTEST_QPA_MOUSE_HANDLING

#include "support/CellPoint.h"
#include "support/FakePlatform.h"
#include "support/TestImages.h"
#include "support/TestWall.h"
#include "view/DragOverlay.h"
#include "view/GridInput.h"

#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

// A shown colour wall of 100 x 100 cells whose presses reach the drag's
// handling as the main window connects them, with scripted dialogs and
// launches, and image files in a folder of its own.
struct ViewWall : TestWall {
    FakePlatform platform;
    QTemporaryDir dir;
    GridInput* input = new GridInput(ctx);
    DragOverlay& overlay = input->Picture1();
    QWidget* vp = grid.viewport();

    ViewWall()
    {
        QObject::connect(&grid, &GridWidget::BeforeMouseDown, input, &GridInput::fg_BeforeMouseDown);
        QObject::connect(&grid, &GridWidget::MouseDown, input, &GridInput::fg_MouseDown);
        cells.setPictureType(CellStore::Colour);
        grid.resize(400, 300);
        grid.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&grid));
    }
    // A JPEG file of 400 x 300 in cell (row, col); the cell's picture a solid colour.
    QString put(int row, int col, const QString& name, QColor colour = Qt::gray)
    {
        TestImages::write(dir.filePath(name), TestImages::jpeg(400, 300));
        QImage picture(8, 6, QImage::Format_RGB32);
        picture.fill(colour);
        cells.setImage(row, col, picture, dir.filePath(name));
        return dir.filePath(name);
    }
    QPoint at(int row, int col) const { return CellPoint(grid, row, col); }
    void mouse(QTest::MouseAction action, int row, int col, Qt::MouseButton button = Qt::LeftButton)
    {
        QTest::mouseEvent(action, vp, button, {}, at(row, col));
    }
};
