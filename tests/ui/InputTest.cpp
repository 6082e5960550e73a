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
    const struct {
        const char* name;
        std::function<void()> run;
    } commands[] = {
        {"a click", [&] { click(1, 1); }},
        {"a click on another cell of the row", [&] { click(1, 3); }},
        {"Left", [&] { key(Qt::Key_Left); }},
        {"Down", [&] { key(Qt::Key_Down); }},
        {"Page Down", [&] { key(Qt::Key_PageDown); }},
        {"Page Up", [&] { key(Qt::Key_PageUp); }},
        {"End", [&] { key(Qt::Key_End); }},
        {"Home", [&] { key(Qt::Key_Home); }},
        {"Ctrl+End", [&] { key(Qt::Key_End, Qt::ControlModifier); }},
        {"Ctrl+Home", [&] { key(Qt::Key_Home, Qt::ControlModifier); }},
        {"Right", [&] { key(Qt::Key_Right); }},
        {"Up", [&] { key(Qt::Key_Up); }},
        {"a right press on another cell", [&] { click(3, 3, Qt::RightButton); }},
        {"a drag that swaps", [&] { drag(3, 3, 0, 0); }},
        {"a drag that moves", [&] { drag(0, 0, 6, 6); }},
        {"Move", [&] { platform.folderAnswers = {dir.filePath("moved")}, w.mnuRightMove->trigger(); }},
        {"Refresh Image", [&] { w.mnuRightReload->trigger(); }},
        {"a click on an empty cell", [&] { click(8, 8); }},
        {"Add Single File", [&] { platform.fileAnswers = {dir.filePath("single.jpg")}, w.mnuRightAddSingleFile->trigger(); }},
        {"Delete", [&] { w.mnuRightDelete->trigger(); }},
        {"a middle click", [&] { click(2, 1, Qt::MiddleButton); }},
        {"the Delete key", [&] { key(Qt::Key_Delete); }},
        {"the preview's Delete", [&] {
             click(1, 2);
             w.previewIfOpen()->findChild<QPushButton*>("cmd(1)")->click();
         }},
        {"Search Grid", [&] { platform.inputAnswers = {QString("r2")}, w.mnuFindFile->trigger(); }},
        {"Show All", [&] { w.mnuShowAll->trigger(); }},
        {"Sort by Create Date", [&] { w.mnuSortCreateDate->trigger(); }},
        {"Reset Zoom", [&] { w.mnuRightReset->trigger(); }},
        {"Add Images From Here", [&] {
             grid.Select(5, 0);
             platform.folderAnswers = {dir.filePath("more")}, w.mnuAddImagesFromHere->trigger();
         }},
        {"a slideshow's step", [&] {
             put(99, 0, "last.jpg");
             grid.Select(98, 0);
             inYield(1, [&] { agree("in a slideshow's step"), w.mnuSlideshow->trigger(); });
             w.mnuSlideshow->trigger();
         }},
    };
    for (const auto& command : commands) {
        command.run();
        agree(command.name);
    }
    EXPECT_TRUE(grid.Row() == 99 && previewed() == dir.filePath("last.jpg"));
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
    QTest::keyClick(&grid, Qt::Key_Escape);  // nothing to stop: no stale stop request for the next load
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

TEST_F(Input, ThePreviewsDeleteDeletesOnlyTheFileItShowsAndADoubleClickOnlyOnce)
{
    const QString a = put(1, 3, "a.jpg"), b = put(2, 2, "b.jpg"), c = put(3, 1, "c.jpg");
    w.state().ImageCount = 3;
    // As the user did it: A clicked, B right-clicked, the popup closed.
    click(1, 3);
    click(2, 2, Qt::RightButton);
    ASSERT_EQ(previewed(), b);
    QPushButton* erase = w.previewIfOpen()->findChild<QPushButton*>("cmd(1)");
    erase->click();
    grid.Select(3, 1);  // the second click of a double-click finds C shown
    w.PreviewCurrentCell();
    erase->click();
    EXPECT_TRUE(QFile::exists(a) && !QFile::exists(b) && QFile::exists(c) && platform.messages.isEmpty());
    const int interval = QGuiApplication::styleHints()->mouseDoubleClickInterval();
    QGuiApplication::styleHints()->setMouseDoubleClickInterval(20);
    QTest::qWait(40);
    erase->click();
    QGuiApplication::styleHints()->setMouseDoubleClickInterval(interval);
    EXPECT_TRUE(!QFile::exists(c) && !w.cells().holdsImage(3, 1) && w.state().ImageCount == 1);
}

TEST_F(Input, ThePreviewShownWhileTheUserWorksInAnotherWindowActivatesNone)
{
    const QString a = put(0, 0, "a.jpg"), b = put(1, 0, "b.jpg");
    click(0, 0);
    QWidget other;  // another program's window
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
}

TEST_F(Input, KeysMoveTheCursorToEveryEdgeOfTheWallAndTheViewFollowsCellByCell)
{
    w.cells().setRows(500), w.cells().setCols(40);
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
