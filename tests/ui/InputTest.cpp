#include "ShownWindow.h"
#include "support/TestWall.h"

#include <QApplication>
#include <QDir>
#include <QPushButton>
#include <QScrollBar>
#include <QStyleHints>
#include <QWheelEvent>

#include <functional>

namespace {

struct Input : ShownWindow {
    // The caption, the preview and the grid's highlight name one cell: the
    // current one, its image shown when its file is there.
    void agree(const char* after)
    {
        const int r = grid.Row(), c = grid.Col();
        const QString path = w.cells().CellData(r, c);
        EXPECT_TRUE(w.windowTitle().startsWith(QString("Pavisto %1-%2  %3").arg(r + 1).arg(c + 1).arg(path)))
            << after << ": " << qPrintable(w.windowTitle());
        EXPECT_EQ(previewed(), QFile::exists(path) ? path : QString()) << after;
    }
    QWidget& overlay() { return *vp->findChild<QWidget*>("Picture1"); }
};

} // namespace

TEST_F(Input, TheCaptionThePreviewAndTheHighlightNameTheSameCellAfterEveryCommand)
{
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            put(r, c, QString("r%1c%2.jpg").arg(r).arg(c));
    TestImages::write(dir.filePath("more/m1.jpg"), TestImages::jpeg(40, 30));
    TestImages::write(dir.filePath("single.jpg"), TestImages::jpeg(40, 30));
    QDir().mkpath(dir.filePath("moved"));
    const auto drag = [&](int fromRow, int fromCol, int toRow, int toCol) {
        mouse(QTest::MousePress, fromRow, fromCol);  // on the current cell: lifts it
        mouse(QTest::MouseMove, toRow, toCol);
        mouse(QTest::MouseRelease, toRow, toCol);
    };
    w.resize(400, 300);
    const int page = vp->height() / 7;
    // Each command, and the cell it leaves current.
    const struct {
        const char* name;
        std::function<void()> run;
        int row, col;
    } commands[] = {
        {"a click", [&] { click(1, 1); }, 1, 1},
        {"a click on another cell of the row", [&] { click(1, 3); }, 1, 3},
        {"Left", [&] { key(Qt::Key_Left); }, 1, 2},
        {"Down", [&] { key(Qt::Key_Down); }, 2, 2},
        {"Page Down", [&] { key(Qt::Key_PageDown); }, 2 + page, 2},
        {"Page Up", [&] { key(Qt::Key_PageUp); }, 2, 2},
        {"End", [&] { key(Qt::Key_End); }, 2, 99},
        {"Home", [&] { key(Qt::Key_Home); }, 2, 0},
        {"Ctrl+End", [&] { key(Qt::Key_End, Qt::ControlModifier); }, 99, 99},
        {"Ctrl+Home", [&] { key(Qt::Key_Home, Qt::ControlModifier); }, 0, 0},
        {"Shift+Page Down: a larger selection", [&] { key(Qt::Key_PageDown, Qt::ShiftModifier); }, 0, 0},
        {"Right", [&] { key(Qt::Key_Right); }, 0, 1},
        {"Up at the top edge", [&] { key(Qt::Key_Up); }, 0, 1},
        {"a right press on another cell", [&] { click(3, 3, Qt::RightButton); }, 3, 3},
        {"a drag that swaps", [&] { drag(3, 3, 0, 0); }, 0, 0},
        {"a drag that moves", [&] { drag(0, 0, 6, 6); }, 6, 6},
        {"Move", [&] { platform.folderAnswers = {dir.filePath("moved")}, w.mnuRightMove->trigger(); }, 6, 6},
        {"Refresh Image", [&] { w.mnuRightReload->trigger(); }, 6, 6},
        {"a click on an empty cell", [&] { click(8, 8); }, 8, 8},
        {"Add Single File",
         [&] { platform.fileAnswers = {dir.filePath("single.jpg")}, w.mnuRightAddSingleFile->trigger(); }, 8, 8},
        {"Delete", [&] { w.mnuRightDelete->trigger(); }, 8, 8},
        {"a middle click", [&] { click(2, 1, Qt::MiddleButton); }, 8, 8},
        {"the Delete key on a selection", [&] { click(1, 1, Qt::LeftButton, Qt::ShiftModifier), key(Qt::Key_Delete); }, 8, 8},
        {"the preview's Delete", [&] {
             click(3, 0);
             w.previewIfOpen()->findChild<QPushButton*>("cmd(1)")->click();
         }, 3, 0},
        {"Search Grid", [&] { platform.inputAnswers = {QString("r0")}, w.mnuFindFile->trigger(); }, 3, 0},
        {"Show All", [&] { w.mnuShowAll->trigger(); }, 3, 0},
        {"Sort by Create Date", [&] { w.mnuSortCreateDate->trigger(); }, 3, 0},
        {"Reset Zoom", [&] { w.mnuRightReset->trigger(); }, 0, 0},
        {"Add Images From Here", [&] {
             grid.Select(5, 0);
             platform.folderAnswers = {dir.filePath("more")}, w.mnuAddImagesFromHere->trigger();
         }, 0, 0},
        {"a slideshow's step", [&] {
             put(99, 0, "last.jpg");
             grid.Select(98, 0);
             inYield(1, [&] { agree("in a slideshow's step"), w.mnuSlideshow->trigger(); });
             w.mnuSlideshow->trigger();
         }, 99, 0},
    };
    for (const auto& command : commands) {
        command.run();
        EXPECT_TRUE(grid.Row() == command.row && grid.Col() == command.col) << command.name;
        agree(command.name);
    }
    EXPECT_EQ(previewed(), dir.filePath("last.jpg"));
    EXPECT_TRUE(platform.messages.size() == 3 && !overlay().isVisible());  // two deletes, a move
}

TEST_F(Input, ALoadHoldsClicksKeysAndDragsBackAndClicksBesideTheCellsRunNothing)
{
    const QString a = put(1, 1, "a.jpg"), b = put(2, 2, "b.jpg");
    w.cells().setRows(5), w.cells().setCols(5);  // a black area beyond the wall's last row and column
    click(1, 1);
    mouse(QTest::MouseClick, 1, 8, Qt::RightButton);
    mouse(QTest::MouseDClick, 8, 1);
    click(8, 8);
    EXPECT_TRUE(!w.rightMenu()->isVisible() && platform.opened.isEmpty() && !overlay().isVisible());
    EXPECT_TRUE(cursor() == (QList<int>{1, 1, 1, 1, 1, 1}) && previewed() == a && w.state().ZoomLevel == 0);
    key(Qt::Key_Escape);  // nothing to stop: no stale stop request for the next load
    EXPECT_FALSE(w.state().StopLoading);

    // While a load runs the cursor still moves, but only Escape has a
    // command, and no image is lifted that the load might overwrite.
    w.state().IsLoading = true;
    mouse(QTest::MouseClick, 2, 2, Qt::RightButton);
    mouse(QTest::MousePress, 2, 2);
    EXPECT_FALSE(overlay().isVisible());
    mouse(QTest::MouseMove, 3, 3);
    mouse(QTest::MouseRelease, 3, 3);
    key(Qt::Key_Left);
    key(Qt::Key_Delete);
    EXPECT_TRUE(cursor() == (QList<int>{2, 1, 2, 1, 2, 1}) && !w.rightMenu()->isVisible() && previewed() == a);
    EXPECT_TRUE(platform.messages.isEmpty() && w.cells().CellData(2, 2) == b && w.windowTitle().contains(a));
    key(Qt::Key_Escape);
    EXPECT_TRUE(w.state().StopLoading);
    w.state().IsLoading = false;
    w.cells().setRows(0);  // no current cell, no menu
    mouse(QTest::MouseClick, 0, 0, Qt::RightButton);
    EXPECT_FALSE(w.rightMenu()->isVisible());
}

TEST_F(Input, ThePreviewTakesNoKeyboardFromAnotherWindowAndADoubleClickOnItsDeleteDeletesOnce)
{
    const QString a = put(0, 0, "a.jpg"), b = put(1, 0, "b.jpg"), c = put(2, 0, "c.jpg");
    w.state().ImageCount = 3;
    click(0, 0);
    QWidget other;  // the window of the program the user works in
    other.show();
    other.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
    grid.Select(1, 0);  // as a slideshow's step
    w.PreviewCurrentCell();
    EXPECT_FALSE(QTest::qWaitForWindowActive(&w, 100));
    EXPECT_TRUE(previewed() == b && QApplication::activeWindow() == &other);
    // After a press on the preview the wall gets the keyboard back.
    w.previewIfOpen()->activateWindow();
    ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::activeWindow() == w.previewIfOpen(); }));
    grid.Select(0, 0);
    w.PreviewCurrentCell();
    EXPECT_TRUE(QTest::qWaitFor([&] { return QApplication::activeWindow() == &w; }) && previewed() == a);

    QPushButton* erase = w.previewIfOpen()->findChild<QPushButton*>("cmd(1)");
    erase->click();
    grid.Select(1, 0);  // the second click of a double-click finds B shown
    w.PreviewCurrentCell();
    erase->click();
    EXPECT_TRUE(!QFile::exists(a) && QFile::exists(b) && platform.messages.isEmpty());
    const int interval = QGuiApplication::styleHints()->mouseDoubleClickInterval();
    QGuiApplication::styleHints()->setMouseDoubleClickInterval(20);
    QTest::qWait(40);
    erase->click();
    QGuiApplication::styleHints()->setMouseDoubleClickInterval(interval);
    EXPECT_TRUE(!QFile::exists(b) && QFile::exists(c) && w.state().ImageCount == 1 && previewed().isEmpty());
}

TEST_F(Input, EveryNotchOfTurnAndEveryZoomKeyOrCommandIsOneStepAndNothingScrolls)
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
    key(Qt::Key_Plus, Qt::ControlModifier);
    key(Qt::Key_Equal, Qt::ControlModifier);
    w.mnuZoomIn->trigger();
    key(Qt::Key_Minus, Qt::ControlModifier);
    w.mnuZoomOut->trigger();
    EXPECT_EQ(view(), (QList<int>{1605, 6, 70, 72}));
    w.state().IsLoading = true;  // zoom refused: the wheel does not scroll either
    w.setMenuStates();
    turn(vp, {{0, -120}});
    turn(grid.verticalScrollBar(), {{0, -120}});
    key(Qt::Key_Plus, Qt::ControlModifier);
    key(Qt::Key_Minus, Qt::ControlModifier);
    EXPECT_EQ(view(), (QList<int>{1605, 6, 70, 72}));
}
