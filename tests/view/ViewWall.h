#pragma once

#include "support/FakePlatform.h"
#include "support/TestImages.h"
#include "support/TestWall.h"
#include "view/DragOverlay.h"
#include "view/GridInput.h"
#include "view/WheelZoom.h"

#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

// A shown wall of 100 x 100 cells with the grid's handlers connected as the
// main window connects them, the wheel taken for zoom, scripted dialogs and
// launches, and image files in a folder the test owns.
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
        QObject::connect(&grid, &GridWidget::MouseUp, input, &GridInput::fg_MouseUp);
        QObject::connect(&grid, &GridWidget::DblClick, input, &GridInput::fg_DblClick);
        QObject::connect(&grid, &GridWidget::KeyUp, input, &GridInput::fg_KeyUp);
        new WheelZoom(ctx);
        cells.setPictureType(CellStore::Colour);
        grid.resize(400, 300);
        grid.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&grid));
    }
    // A JPEG file in cell (row, col), its picture a small solid copy.
    QString put(int row, int col, const QString& name, QColor colour = Qt::gray, QSize size = {40, 30})
    {
        const QString path = dir.filePath(name);
        TestImages::write(path, TestImages::jpeg(size.width(), size.height()));
        QImage picture(8, 6, QImage::Format_RGB32);
        picture.fill(colour);
        cells.setImage(row, col, picture, path);
        return path;
    }
    // The middle of a cell in the viewport, at the present cell size.
    QPoint at(int row, int col) const
    {
        const double px = grid.ColWidth() / 15.0;
        return QPoint(int((col - grid.LeftCol() + 0.5) * px), int((row - grid.TopRow() + 0.5) * px));
    }
    // The mouse goes through the window, as the desktop's would: a widget
    // that holds the mouse gets it, and a second click is a double-click.
    QWindow* window() { return grid.windowHandle(); }
    QPoint inWindow(int row, int col) const { return vp->mapTo(&grid, at(row, col)); }
    void press(int row, int col, Qt::MouseButton button = Qt::LeftButton)
    {
        QTest::mousePress(window(), button, {}, inWindow(row, col));
    }
    void moveTo(int row, int col) { QTest::mouseMove(window(), inWindow(row, col)); }
    void moveTo(QPoint inViewport) { QTest::mouseMove(window(), vp->mapTo(&grid, inViewport)); }
    void release(int row, int col, Qt::MouseButton button = Qt::LeftButton)
    {
        QTest::mouseRelease(window(), button, {}, inWindow(row, col));
    }
    void release(QPoint inViewport) { QTest::mouseRelease(window(), Qt::LeftButton, {}, vp->mapTo(&grid, inViewport)); }
    void click(int row, int col, Qt::MouseButton button = Qt::LeftButton)
    {
        QTest::mouseClick(window(), button, {}, inWindow(row, col));
    }
    void doubleClick(int row, int col) { QTest::mouseDClick(window(), Qt::LeftButton, {}, inWindow(row, col)); }
};
