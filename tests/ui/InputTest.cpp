#include "ShownWindow.h"
#include "image/ThumbnailCache.h"
#include "view/Zoom.h"

#include <QApplication>
#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QPushButton>
#include <QStyleHints>
#include <QWheelEvent>

#include <algorithm>
#include <functional>
#include <rapidcheck/gtest.h>

// Every command in turn on a wall wider than high, in a window higher than
// wide, on files whose names are not UTF-8 (as an old camera card has them):
// the cell it leaves current, what it did, and that the screen agrees.
// Each zoom step also leaves the cell width, the level, the top row and the
// left column given: one step from the grid's cell width, with a floor; from
// level 3 the current cell stays at the top left, below it the view goes
// home.
TEST_F(ShownWindow, EveryCommandActsOnTheCellItShouldAndTheScreenThenNamesTheCurrentCell)
{
    w.cells().setRows(100);
    w.cells().setCols(150);
    w.resize(300, 460);
    const QString e = QChar(0xDCE9);  // the Latin-1 byte of "é"
    const auto file = [&](int r, int c) { return dir.filePath(QString("r%1c%2").arg(r).arg(c) + e + ".jpg"); };
    const auto uri = [&](const QByteArray& name) {
        return QUrl::fromEncoded("file://" + QFile::encodeName(dir.path()) + name);
    };
    for (int i = 0; i < 16; ++i)
        put(i / 4, i % 4, QString("r%1c%2").arg(i / 4).arg(i % 4) + e + ".jpg");
    for (const char* folder : {"moved", "copies", "f"})
        QDir().mkpath(dir.filePath(folder));
    for (const QString& name : QStringList{"f/a.jpg", "f/b" + e + ".jpg", "f/c.jpg"})
        WriteRaw(dir.filePath(name), TestImages::jpeg(400, 300));
    const auto onRightPress = [&](QAction* item, int row, int col) {
        grid.Select(1, 1);
        click(row, col, Qt::RightButton);
        item->trigger();
    };
    quint64 clock = 0;  // the wheel events' own time, in ms
    const auto turn = [&](QList<QPoint> angles, quint64 gap = 10) {
        for (QPoint angle : angles) {
            QWheelEvent event({5, 5}, {5, 5}, {}, angle, {}, {}, Qt::NoScrollPhase, false);
            event.setTimestamp(clock += gap);
            QApplication::sendEvent(vp, &event);
        }
    };
    const auto refused = [&] {  // the commands shown but disabled
        const auto disabled = [](const QAction* item) { return item->isVisible() && !item->isEnabled(); };
        return std::ranges::count_if(w.findChildren<QAction*>(), disabled);
    };
    const auto selectCell = [&](int row, int col) {  // as a click would
        grid.Select(row, col);
        w.PreviewCurrentCell();
    };
    const struct {
        const char* name;
        std::function<void()> run;
        int row, col;
        QList<int> view{};  // when given: cell width, zoom level, top row, left column
    } commands[] = {
        {"a click", [&] { click(1, 1); }, 1, 1},
        {"a press on another cell of the row selects from there",
         [&] { drag(1, 3, 2, 3); EXPECT_EQ(cursor(), (QList<int>{1, 3, 1, 3, 2, 3})); }, 1, 3},
        {"Left", [&] { key(Qt::Key_Left); }, 1, 2},
        {"Down", [&] { key(Qt::Key_Down); }, 2, 2},
        {"Page Down: a page of 7-pixel rows", [&] { key(Qt::Key_PageDown); }, 2 + vp->height() / 7, 2},
        {"Page Up", [&] { key(Qt::Key_PageUp); }, 2, 2},
        {"End", [&] { key(Qt::Key_End); }, 2, 149},
        {"Home", [&] { key(Qt::Key_Home); }, 2, 0},
        {"Ctrl+End", [&] { key(Qt::Key_End, Qt::ControlModifier); }, 99, 149},
        {"Ctrl+Home", [&] { key(Qt::Key_Home, Qt::ControlModifier); }, 0, 0},
        {"Shift+Page Down", [&] { key(Qt::Key_PageDown, Qt::ShiftModifier); }, 0, 0},
        {"Right", [&] { key(Qt::Key_Right); }, 0, 1},
        {"Up at the top edge", [&] { key(Qt::Key_Up); }, 0, 1},
        {"About, twice: one modeless window, which Escape closes", [&] {
             w.mnuAbout->trigger();
             w.mnuAbout->trigger();
             const QList<QWidget*> abouts = w.findChildren<QWidget*>("frmAbout");
             ASSERT_TRUE(abouts.size() == 1 && abouts[0]->isVisible() && abouts[0]->windowModality() == Qt::NonModal);
             QTest::keyClick(abouts[0], Qt::Key_Escape);
             EXPECT_FALSE(abouts[0]->isVisible());
         }, 0, 1},
        {"Open on a selection: row by row", [&] {
             click(2, 3);
             click(3, 2, Qt::LeftButton, Qt::ShiftModifier);
             click(3, 3, Qt::RightButton);
             w.mnuRightOpen->trigger();
             EXPECT_EQ(platform.opened, (QList<QUrl>{uri("/r2c2%E9.jpg"), uri("/r2c3%E9.jpg"), uri("/r3c2%E9.jpg"),
                                                     uri("/r3c3%E9.jpg")}));
         }, 2, 3},
        {"Save As, Refresh Image and Move, each on the cell pressed", [&] {
             platform.folderAnswers = {dir.filePath("copies"), dir.filePath("moved")};
             onRightPress(w.mnuRightSaveAs, 3, 2);
             EXPECT_TRUE(exists(dir.filePath("copies/r3c2" + e + ".jpg"))
                         && !exists(dir.filePath("copies/r1c1" + e + ".jpg")));
             onRightPress(w.mnuRightReload, 3, 2);
             EXPECT_TRUE(w.cells().CellPicture(3, 2).size() == QSize(40, 30)
                         && w.cells().CellPicture(1, 1).size() == QSize(8, 6));
             onRightPress(w.mnuRightMove, 3, 2);
             EXPECT_TRUE(exists(dir.filePath("moved/r3c2" + e + ".jpg")) && !exists(file(3, 2)));
         }, 3, 2},
        {"a middle click", [&] { click(5, 1, Qt::MiddleButton); }, 3, 2},
        {"a right press inside a one-row selection, and Delete", [&] {
             click(0, 1);
             click(0, 3, Qt::LeftButton, Qt::ShiftModifier);
             click(0, 2, Qt::RightButton);
             w.mnuRightDelete->trigger();
             EXPECT_TRUE(!exists(file(0, 1)) && !exists(file(0, 3)) && exists(file(1, 1)));
         }, 0, 1},
        {"the Delete key on a selection", [&] {
             click(2, 1, Qt::LeftButton, Qt::ShiftModifier);
             key(Qt::Key_Delete);
         }, 0, 1},
        {"the preview's Delete, whose second click of a double-click finds the next image shown", [&] {
             click(3, 0);
             QPushButton* erase = w.previewIfOpen()->findChild<QPushButton*>("cmd(1)");
             erase->click();
             selectCell(3, 1);
             erase->click();
             EXPECT_TRUE(!exists(file(3, 0)) && exists(file(3, 1)));
             QTest::qWait(QGuiApplication::styleHints()->mouseDoubleClickInterval() + 10);  // then a click of its own
             erase->click();
             EXPECT_FALSE(exists(file(3, 1)));
         }, 3, 1},
        {"Search Grid", [&] { platform.inputAnswers = {QString("r3")}; key(Qt::Key_F, Qt::ControlModifier); }, 3, 1},
        {"Show All", [&] { w.mnuShowAll->trigger(); }, 3, 1},
        {"Sort by Create Date", [&] { w.mnuSortCreateDate->trigger(); }, 3, 1},
        {"a double-click on an image opens it", [&] {
             const QString d = put(10, 10, "d.jpg");
             click(10, 10);
             mouse(QTest::MouseDClick, 10, 10);
             EXPECT_EQ(platform.opened.value(4), QUrl::fromLocalFile(d));
         }, 10, 10},
        // The tiny cells painted at level 0 show no image moved while zoomed in.
        {"a drag while zoomed in, a double-click on the image a search hides, then on an empty cell", [&] {
             w.mnuZoomIn->trigger();
             drag(10, 10, 10, 12);
             platform.inputAnswers = {QString("r1")};
             key(Qt::Key_F, Qt::ControlModifier);
             click(10, 12);
             mouse(QTest::MouseDClick, 10, 12);
             EXPECT_EQ(w.state().ZoomLevel, 1);  // left alone
             w.mnuShowAll->trigger();
             click(11, 11);
             mouse(QTest::MouseDClick, 11, 11);
         }, 11, 11, {105, 0, 0, 0}},
        {"Ctrl++", [&] { selectCell(60, 61); key(Qt::Key_Plus, Qt::ControlModifier); }, 60, 61, {355, 1, 60, 61}},
        {"Ctrl+=", [&] { key(Qt::Key_Equal, Qt::ControlModifier); }, 60, 61, {605, 2, 60, 61}},
        {" + ", [&] { w.mnuZoomIn->trigger(); }, 60, 61, {855, 3, 60, 61}},
        {" - from level 3", [&] { selectCell(70, 72); w.mnuZoomOut->trigger(); }, 70, 72, {605, 2, 70, 72}},
        {"Ctrl+- below it", [&] { key(Qt::Key_Minus, Qt::ControlModifier); }, 70, 72, {355, 1, 0, 0}},
        {"the floor", [&] { turn({{0, -120}, {0, -120}}); }, 70, 72, {100, 0, 0, 0}},
        {"a notch and a swipe of three", [&] { turn({{0, 120}}); turn(QList<QPoint>(12, {0, 30})); }, 70, 72,
         {1100, 4, 70, 72}},
        {"turned back: what is left over is dropped", [&] { turn({{0, 100}, {0, -120}, {0, 100}}); }, 70, 72,
         {850, 3, 70, 72}},
        {"after a pause", [&] { turn({{0, 30}}, 1000); turn({{0, 90}, {120, 0}}); }, 70, 72, {1100, 4, 70, 72}},
        {"Zoom to Image", [&] { selectCell(40, 50); w.mnuRightZoomToImage->trigger(); }, 40, 50, {12600, 50, 40, 50}},
        {"Zoom to Image at the level", [&] { grid.setTopRow(30); w.mnuRightZoomToImage->trigger(); }, 40, 50,
         {12600, 50, 30, 50}},
        {"Zoom to Image from above it", [&] { w.state().ZoomLevel = 53; w.mnuRightZoomToImage->trigger(); }, 40, 50,
         {11850, 50, 40, 50}},
        {"zoom refused while a load runs", [&] {
             w.state().IsLoading = true;
             w.setMenuStates();
             turn({{0, -120}});
             key(Qt::Key_Plus, Qt::ControlModifier);
             key(Qt::Key_Minus, Qt::ControlModifier);
             w.state().ZoomLevel = 47;
             w.state().StopSlideshow = false;
             mnuRightZoomToImage_Click(w.commands());  // counted steps: never stuck
             EXPECT_TRUE(w.state().StopSlideshow);
         }, 40, 50, {11850, 47, 40, 50}},
        {"Reset Zoom", [&] {
             w.state().IsLoading = false;
             w.setMenuStates();
             w.mnuRightReset->trigger();
         }, 0, 0, {105, 0, 40, 50}},
        // Then a new wall, from here on in the settings' size.
        {"Add Images, the changed wall not saved", [&] {
             platform.messageAnswers = {MsgAnswer::No};
             platform.folderAnswers = {dir.filePath("f")};
             inYield(1, [&] { EXPECT_EQ(refused(), 10); });  // Stop, and all a load refuses
             w.mnuAddFiles->trigger();
             EXPECT_EQ(refused(), 0);
             // Its thumbnail's entry is named after the name's bytes.
             const QByteArray hash = QCryptographicHash::hash(uri("/f/b%E9.jpg").toEncoded(), QCryptographicHash::Md5);
             EXPECT_TRUE(QFile::exists(ThumbnailCache::DefaultRoot() + "/normal/" + hash.toHex() + ".png"));
         }, 0, 0},
        // The preview never takes the keyboard from the program the user
        // works in; after a press on it the wall gets the keyboard back.
        {"a slideshow's step behind another window", [&] {
             put(59, 0, "last.jpg");
             grid.Select(58, 0);
             QWidget other;
             other.show();
             other.activateWindow();
             ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
             inYield(1, [&] { EXPECT_EQ(disagreement(), ""); w.mnuSlideshow->trigger(); });
             w.mnuSlideshow->trigger();
             EXPECT_TRUE(!QTest::qWaitForWindowActive(&w, 100) && QApplication::activeWindow() == &other);
             w.previewIfOpen()->activateWindow();
             ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::activeWindow() == w.previewIfOpen(); }));
             w.PreviewCurrentCell();
             EXPECT_TRUE(QTest::qWaitFor([&] { return QApplication::activeWindow() == &w; }));
         }, 59, 0},
        {"Add Images From Here over two", [&] {
             grid.Select(1, 0);
             platform.folderAnswers = {dir.filePath("f")};
             w.mnuAddImagesFromHere->trigger();
             EXPECT_EQ(w.state().ImageCount, 5);  // the wall's count, as the loop checks
         }, 0, 0},
        {"Add Single File onto a file gone and onto an empty cell", [&] {
             QFile::remove(dir.filePath("f/c.jpg"));
             platform.fileAnswers = {dir.filePath("f/a.jpg"), dir.filePath("f/b" + e + ".jpg")};
             grid.Select(3, 0);
             w.mnuRightAddSingleFile->trigger();
             grid.Select(5, 5);
             w.mnuRightAddSingleFile->trigger();
             EXPECT_EQ(w.state().ImageCount, 6);
         }, 5, 5},
        {"Delete with a file gone", [&] { grid.Select(0, 0, 1, 1); w.mnuRightDelete->trigger(); }, 0, 0},
        {"Save Wall and Open Wall: byte for byte", [&] {
             platform.fileAnswers = {dir.filePath("w.wall"), dir.filePath("w.wall")};
             w.mnuSave->trigger();
             w.mnuOpenWall->trigger();
             const FileRequest save = platform.fileRequests.value(platform.fileRequests.size() - 2);
             const FileRequest open = platform.fileRequests.last();
             EXPECT_TRUE(save.save && !open.save && open.defaultExt == "wall"
                         && open.filter == "Wall Files (*.wall);;All Files (*)");
             const QByteArray record = "5,5," + QFile::encodeName(dir.path()) + "/f/b\xE9.jpg\r\n";
             EXPECT_TRUE(TestImages::read(dir.filePath("w.wall")).contains(record));
             EXPECT_EQ(w.cells().CellData(5, 5), dir.filePath("f/b" + e + ".jpg"));
         }, 0, 0},
        // A load's counting captions reach the title bar at most ten times a
        // second, the last one always; a command's caption then shows at once,
        // and the count never after it.
        {"a thousand counting captions, then Right", [&] {
             w.setTitle("0");
             ASSERT_TRUE(QTest::qWaitFor([&] { return w.windowTitle() == "0"; }, 1000));
             const QDeadlineTimer tooSoon(90);  // from at most the wait's poll after "0" was shown
             for (int image = 1; image <= 1000; ++image)
                 w.setTitle(QString::number(image));
             EXPECT_TRUE(QTest::qWaitFor([&] { return w.windowTitle() == "1000"; }, 1000) && tooSoon.hasExpired());
             w.setTitle("a count");
             key(Qt::Key_Right);
             QTest::qWait(150);  // a count still pending would be shown by now
         }, 0, 1},
    };
    for (const auto& command : commands) {
        command.run();
        EXPECT_TRUE(grid.Row() == command.row && grid.Col() == command.col)
            << command.name << ": " << grid.Row() << ',' << grid.Col();
        EXPECT_EQ(disagreement(), "") << command.name;
        const QList<int> view{grid.ColWidth(), w.state().ZoomLevel, grid.TopRow(), grid.LeftCol()};
        const bool levelShown = w.state().IsLoading || w.windowTitle().contains(QString("Zoom Level %1]").arg(view[1]));
        EXPECT_TRUE(command.view.isEmpty()
                    || (view == command.view && grid.RowHeight() == grid.ColWidth() && levelShown))
            << command.name << ": " << view[0] << ' ' << view[1] << ' ' << view[2] << ' ' << view[3];
    }
    EXPECT_EQ(platform.texts().count("Delete all selected files?"), 3);  // not the preview's, which asks nothing
    // A running load ends with the window, as ever, without asking about the changed wall.
    w.state().StopSlideshow = false;
    w.state().IsLoading = true;
    w.cells().setCellText(0, 0, "mine");
    const qsizetype asked = platform.messages.size();
    w.mnuExit->trigger();
    EXPECT_TRUE(platform.messages.size() == asked && w.state().StopSlideshow && w.state().StopLoading
                && w.state().IsClosing);
    for (QWidget* window : QApplication::topLevelWidgets())
        EXPECT_FALSE(window->isVisible()) << window->objectName().toStdString();
}

// Random clicks, drags, keys and double-clicks, some while a load runs, on a
// wall wider than high with images in a third of its cells. After each the
// screen agrees with the wall, every file still there is in one cell and no
// cell names one that is not, none stays lifted and no stop request is left
// for the next load; a load's wall, a drag from another cell and a drop above
// the view move no image; a click beside the cells runs nothing, the popup
// included.
RC_GTEST_FIXTURE_PROP(ShownWindow, AnyInputKeepsTheScreenAndTheWallTrue, ())
{
    w.resize(500, 400);
    w.cells().setRows(6);
    w.cells().setCols(9);
    for (int r = 0; r < 6; ++r)
        for (int c = r % 3; c < 9; c += 3)
            put(r, c, QString("%1-%2.jpg").arg(r).arg(c));
    w.PreviewCurrentCell();
    const auto steps = *rc::gen::resize(24, rc::gen::arbitrary<std::vector<std::tuple<int, int, int>>>());
    const Qt::Key keys[] = {Qt::Key_Left, Qt::Key_Right, Qt::Key_Up, Qt::Key_Down, Qt::Key_Home,
                            Qt::Key_End, Qt::Key_PageUp, Qt::Key_PageDown, Qt::Key_Delete, Qt::Key_Escape};
    for (const auto& [kind, a, b] : steps) {
        const int row = grid.TopRow() + std::abs(a % 8), col = grid.LeftCol() + std::abs(b % 11);
        const bool current = row == grid.Row() && col == grid.Col(), above = b < 0;
        const bool beside = row >= w.cells().Rows() || col >= w.cells().Cols();
        const QList<int> cursorBefore = cursor();
        const int zoom = w.state().ZoomLevel, what = std::abs(kind % 7);
        const QStringList before = ColumnPaths(w.cells());
        const Qt::KeyboardModifiers shift = a < 0 ? Qt::ShiftModifier : Qt::NoModifier;
        switch (what) {
        case 0: click(row, col, Qt::LeftButton, shift); break;
        case 1:
            mouse(QTest::MouseClick, row, col, Qt::RightButton);
            RC_ASSERT(w.rightMenu()->isVisible() == (!beside && !w.state().IsLoading));
            w.rightMenu()->hide();
            break;
        case 2:  // from the current cell: its image is lifted, unless a load runs
            mouse(QTest::MousePress, grid.Row(), grid.Col());
            RC_ASSERT(overlay.isVisible()
                      == (!w.state().IsLoading && exists(w.cells().CellData(grid.Row(), grid.Col()))));
            dropOn(above ? grid.TopRow() - 1 : row, col);
            break;
        case 3: drag(row, col, row, col + 1); break;
        case 4: key(keys[std::abs(b % 10)], shift); break;
        case 5: mouse(QTest::MouseDClick, row, col); break;
        default:  // a load starts or ends
            if (!(w.state().IsLoading = !w.state().IsLoading)) {
                w.state().StopLoading = false;
                w.PreviewCurrentCell();
            }
            w.setMenuStates();
        }
        RC_ASSERT(!overlay.isVisible());
        if (beside && (what == 0 || what == 5))  // a click beside the wall's cells runs nothing
            RC_ASSERT(cursor() == cursorBefore && w.state().ZoomLevel == zoom);
        if (w.state().IsLoading || (what == 3 && !current) || (what == 2 && above))
            RC_ASSERT(ColumnPaths(w.cells()) == before);
        if (!w.state().IsLoading) {
            RC_ASSERT(!w.state().StopLoading);
            QStringList inCells = ColumnPaths(w.cells()), there;
            for (const QString& name : QDir(dir.path()).entryList(QDir::Files))
                there << dir.filePath(name);
            inCells.sort();
            RC_ASSERT(inCells == there);
            RC_ASSERT(disagreement() == "");
        }
    }
}
