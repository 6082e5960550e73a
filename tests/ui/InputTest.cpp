#define QTEST_QPA_MOUSE_HANDLING  // through the window, as the desktop's mouse

#include "grid/GridWidget.h"
#include "support/FakePlatform.h"
#include "support/TestImages.h"
#include "ui/frmMain.h"
#include "view/frmPreview.h"

#include <QApplication>
#include <QMenu>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QWheelEvent>
#include <gtest/gtest.h>

namespace {

// The shown main window with images in its cells; the input table between
// the grid's events and their commands.
struct Input : ::testing::Test {
    FakePlatform platform;
    QTemporaryDir dir;
    frmMain w;
    GridWidget& grid = w.fg();
    QWidget* vp = grid.viewport();

    Input()
    {
        w.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&w));
    }
    QString put(int row, int col, const QString& name)
    {
        TestImages::write(dir.filePath(name), TestImages::jpeg(40, 30));
        w.cells().setImage(row, col, QImage(4, 4, QImage::Format_RGB32), dir.filePath(name));
        return dir.filePath(name);
    }
    QPoint at(int row, int col) const
    {
        const double px = grid.ColWidth() / 15.0;
        return QPoint(int((col - grid.LeftCol() + 0.5) * px), int((row - grid.TopRow() + 0.5) * px));
    }
    void click(int row, int col, Qt::MouseButton button = Qt::LeftButton)
    {
        QTest::mouseClick(vp, button, {}, at(row, col));
    }
    bool previewShows(const QString& path) const
    {
        return w.previewIfOpen() && w.previewIfOpen()->isVisible() && w.previewIfOpen()->windowTitle() == path;
    }
    QList<int> cursor() const
    {
        const CellRect s = grid.GetSelection();
        return {grid.Row(), grid.Col(), s.row1, s.col1, s.row2, s.col2};
    }
};

} // namespace

TEST_F(Input, ButtonsAndKeysReachTheirCommandsAndALoadHoldsThemBack)
{
    const QString a = put(2, 3, "a.jpg"), b = put(5, 6, "b.jpg");
    click(2, 3);
    EXPECT_TRUE(previewShows(a) && w.windowTitle().startsWith("Pavisto 3-4  " + a));
    click(5, 6, Qt::MiddleButton);  // shows the current cell, where the left click left it
    EXPECT_TRUE(previewShows(a));
    click(5, 6, Qt::RightButton);
    EXPECT_TRUE(w.rightMenu()->isVisible() && w.windowTitle().startsWith("Pavisto 6-7  " + b));
    w.rightMenu()->hide();
    QTest::keyClick(&grid, Qt::Key_Up);
    EXPECT_TRUE(!w.previewIfOpen()->isVisible() && w.windowTitle().startsWith("Pavisto 5-7  "));
    QTest::keyClick(&grid, Qt::Key_Down);
    EXPECT_TRUE(previewShows(b));
    platform.messageAnswers = {MsgAnswer::No};
    QTest::keyClick(&grid, Qt::Key_Delete);
    EXPECT_EQ(platform.texts(), QStringList{"Delete all selected files?"});
    QTest::keyClick(&grid, Qt::Key_Escape);  // nothing to stop: no stale stop request for the next load
    EXPECT_FALSE(w.state().StopLoading);

    // While a load runs the cursor still moves, but only Escape has a command.
    w.state().IsLoading = true;
    click(2, 3, Qt::RightButton);
    QTest::keyClick(&grid, Qt::Key_Down);
    QTest::keyClick(&grid, Qt::Key_Delete);
    EXPECT_TRUE(cursor() == (QList<int>{3, 3, 3, 3, 3, 3}) && !w.rightMenu()->isVisible() && previewShows(b));
    EXPECT_TRUE(platform.messages.size() == 1 && w.windowTitle().startsWith("Pavisto 6-7"));
    QTest::keyClick(&grid, Qt::Key_Escape);
    EXPECT_TRUE(w.state().StopLoading);
    w.state().IsLoading = false;
    w.cells().setRows(0);  // no current cell, no menu
    click(0, 0, Qt::RightButton);
    EXPECT_FALSE(w.rightMenu()->isVisible());
}

TEST_F(Input, KeysMoveTheCursorToEveryEdgeOfTheWallAndTheViewFollowsCellByCell)
{
    w.cells().setRows(500), w.cells().setCols(40);
    const auto key = [&](Qt::Key k, Qt::KeyboardModifiers mods = {}) { QTest::keyClick(&grid, k, mods); };
    key(Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(cursor(), (QList<int>{499, 39, 499, 39, 499, 39}));
    for (Qt::Key k : {Qt::Key_Down, Qt::Key_Right, Qt::Key_PageDown, Qt::Key_End})  // at the edges: no further
        key(k);
    EXPECT_EQ(cursor(), (QList<int>{499, 39, 499, 39, 499, 39}));
    key(Qt::Key_Home);
    key(Qt::Key_PageUp);
    EXPECT_TRUE(cursor()[0] < 499 && cursor()[1] == 0);
    key(Qt::Key_Home, Qt::ControlModifier);
    for (Qt::Key k : {Qt::Key_Up, Qt::Key_Left, Qt::Key_PageUp, Qt::Key_Home})
        key(k);
    EXPECT_EQ(cursor(), (QList<int>{0, 0, 0, 0, 0, 0}));
    key(Qt::Key_PageDown, Qt::ShiftModifier);  // Shift extends the selection
    key(Qt::Key_End, Qt::ShiftModifier);
    const int page = vp->height() * 15 / grid.RowHeight();
    EXPECT_EQ(cursor(), (QList<int>{0, 0, 0, 0, page, 39}));
    for (int i = 0; i < 10; ++i)
        key(Qt::Key_PageDown, Qt::ShiftModifier);
    EXPECT_EQ(cursor()[4], 499);

    // Ten-pixel cells in a view of a few rows: one past the last row shown
    // scrolls by one row, one before the first shown scrolls back by one.
    grid.setColWidth(150), grid.setRowHeight(150);
    key(Qt::Key_Home, Qt::ControlModifier);
    const int shown = vp->height() / 10;
    for (int i = 0; i < shown - 1; ++i)
        key(Qt::Key_Down);
    EXPECT_EQ(grid.TopRow(), 0);
    key(Qt::Key_Down);
    EXPECT_EQ(grid.TopRow(), 1);
    for (int i = 0; i < shown; ++i)
        key(Qt::Key_Up);
    EXPECT_EQ(grid.TopRow(), 0);
}

TEST_F(Input, EveryNotchOfTurnOverTheGridOrItsScrollBarsIsOneZoomStepAndNothingScrolls)
{
    grid.Select(70, 72);
    const auto view = [&] { return QList<int>{grid.ColWidth(), w.state().ZoomLevel, grid.TopRow(), grid.LeftCol()}; };
    quint64 clock = 0;  // the events' own time, in ms
    const auto turn = [&](QWidget* over, QList<QPoint> angles, quint64 gap = 10) {
        for (QPoint angle : angles) {
            QWheelEvent event({5, 5}, {5, 5}, {}, angle, {}, {}, Qt::NoScrollPhase, false);
            event.setTimestamp(clock += gap);
            QApplication::sendEvent(over, &event);
        }
    };
    turn(vp, {{0, 120}});
    turn(vp, QList<QPoint>(12, {0, 30}));  // a touchpad's swipe of three notches
    EXPECT_EQ(view(), (QList<int>{1105, 4, 70, 72}));
    // What is left over is dropped when the wheel turns back or after a
    // pause: the notch back is one step, the small turn after the pause none.
    turn(vp, {{0, 100}, {0, -120}});
    turn(vp, {{0, 100}});
    turn(vp, {{0, 30}}, 1000);
    EXPECT_EQ(view(), (QList<int>{855, 3, 70, 72}));
    turn(vp, {{0, 90}, {120, 0}});  // sideways: eaten
    EXPECT_EQ(view(), (QList<int>{1105, 4, 70, 72}));

    // The scroll bars and the corner zoom too, and none of them scrolls.
    turn(grid.verticalScrollBar(), {{0, 120}});
    turn(grid.horizontalScrollBar(), {{0, 120}});
    turn(&grid, {{0, -120}});
    EXPECT_EQ(view(), (QList<int>{1355, 5, 70, 72}));
    w.state().IsLoading = true;  // zoom refused: the wheel does not scroll either
    turn(vp, {{0, -120}});
    turn(grid.verticalScrollBar(), {{0, -120}});
    EXPECT_EQ(view(), (QList<int>{1355, 5, 70, 72}));
}
