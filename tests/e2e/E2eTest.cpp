#include "Desktop.h"

#include <QColor>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QLinearGradient>
#include <QPainter>
#include <QRadialGradient>
#include <QRegularExpression>
#include <gtest/gtest.h>

namespace {

// The title of the program's own message boxes: "Pavisto 1.0.0".
const QString MessageBoxTitle = "^Pavisto \\d+\\.\\d+\\.\\d+$";
// Positions of the menu-bar entries "File" and " + ".
constexpr int FileMenu = 20;
constexpr int ZoomInCommand = 97;
// Cell sizes in pixels at zoom levels 0, 1 and 2.
constexpr int CellSize[] = {7, 24, 40};

// A folder tree of photograph-like pictures, one hue each, so that a
// screenshot shows which image lies where.
QStringList makeTree(const QString& root, int count)
{
    QStringList paths;
    for (int i = 0; i < count; ++i) {
        const QString folder = root + (i < count / 2 ? "" : "/later");
        QDir().mkpath(folder);
        QImage picture(320, 240, QImage::Format_RGB32);
        QPainter painter(&picture);
        const QColor sky = QColor::fromHsv((i * 37) % 360, 120, 240);
        const QColor ground = QColor::fromHsv((i * 37 + 120) % 360, 200, 120);
        QLinearGradient fade(0, 0, 0, 240);
        fade.setColorAt(0, sky);
        fade.setColorAt(1, ground);
        painter.fillRect(picture.rect(), fade);
        QRadialGradient sun(80 + (i * 53) % 160, 70, 40);
        sun.setColorAt(0, Qt::white);
        sun.setColorAt(1, Qt::transparent);
        painter.fillRect(picture.rect(), sun);
        painter.end();
        paths.append(folder + QString("/photo%1.jpg").arg(i, 3, 10, QChar('0')));
        picture.save(paths.last(), "jpeg", 85);
    }
    return paths;
}

// Generated pictures and "photos.wall" beside them, which names them column
// by column as a load lays them out, `rows` to a column.
struct GeneratedWall {
    GeneratedWall(int count, int rowCount) : rows(rowCount), paths(makeTree(folder.path(), count))
    {
        QByteArray text;
        for (int i = 0; i < count; ++i)
            text += QString("%1,%2,%3\r\n").arg(i % rows).arg(i / rows).arg(paths[i]).toLocal8Bit();
        QFile file(folder.filePath("photos.wall"));
        if (file.open(QIODevice::WriteOnly))
            file.write(text);
    }

    QString path(int r, int c) const { return paths.value(c * rows + r); }

    // What Save Wall writes for it: the cells row by row, then an empty line.
    QByteArray savedText() const
    {
        QByteArray text;
        const int columns = int((paths.size() + rows - 1) / rows);
        for (int r = 0; r < rows; ++r)
            for (int c = 0; c < columns; ++c)
                if (!path(r, c).isEmpty())
                    text += QString("%1,%2,%3\r\n").arg(r).arg(c).arg(path(r, c)).toLocal8Bit();
        return text + "\r\n";
    }

    QTemporaryDir folder;
    int rows;
    QStringList paths;
};

// The caption once a command has finished, up to the free memory figure.
QString caption(const GeneratedWall& wall, int r, int c, int zoomLevel)
{
    return QString("Pavisto %1-%2  %3  [Zoom Level %4]   %5 Images [10,000 cells]   ")
        .arg(r + 1)
        .arg(c + 1)
        .arg(wall.path(r, c))
        .arg(zoomLevel)
        .arg(wall.paths.size());
}

// Whether the main window's title comes to begin with `prefix` in time.
::testing::AssertionResult reaches(const Pavisto& pavisto, const QString& prefix, int timeoutMs = 20000)
{
    if (pavisto.waitForTitle([&](const QString& title) { return title.startsWith(prefix); }, timeoutMs))
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "the title is \"" << pavisto.title().toStdString() << "\"";
}

// The share of a part of the screen showing pictures: pixels neither black
// nor the grey of the grid lines.
double pictureShare(const QImage& shot, const QRect& part)
{
    const QColor line(96, 96, 96);
    qint64 shown = 0;
    for (int y = part.top(); y <= part.bottom(); ++y)
        for (int x = part.left(); x <= part.right(); ++x) {
            const QColor c = shot.pixelColor(x, y);
            shown += c.value() > 24 && c != line;
        }
    return double(shown) / (qint64(part.width()) * part.height());
}

// Where the grid begins in a grab of the main window: below the menu bar,
// whose right end is plain.
int gridTop(const QImage& shot)
{
    const int x = shot.width() - 30;
    int y = 1;
    while (y < shot.height() && shot.pixel(x, y) == shot.pixel(x, 0))
        ++y;
    return y;
}

// Checks a grab of the main window at a zoom level whose top-left cell is the
// wall's (r, c): the wall's cells from there on show pictures, the cells
// beyond it none.
void expectPicturesFrom(const GeneratedWall& wall, const QImage& shot, int zoomLevel, int r, int c)
{
    const int top = gridTop(shot), size = CellSize[zoomLevel];
    const int rows = wall.rows - r, columns = int(wall.paths.size() / wall.rows) - c;
    const QRect pictures(1, top + 1, columns * size - 2, rows * size - 2);
    EXPECT_GT(pictureShare(shot, pictures), 0.5) << "zoom level " << zoomLevel;
    EXPECT_LT(pictureShare(shot, {pictures.right() + size, pictures.bottom() + size, 200, 200}), 0.05)
        << "zoom level " << zoomLevel;
}

QByteArray contents(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

// A window with the frame that the window manager puts around it.
QRect framed(const QString& window)
{
    // "_NET_FRAME_EXTENTS(CARDINAL) = 1, 1, 21, 5": left, right, top, bottom.
    const QStringList sides = Desktop::property(window, "_NET_FRAME_EXTENTS").section('=', 1).split(',');
    return Desktop::windowGeometry(window).adjusted(-sides.value(0).toInt(), -sides.value(2).toInt(),
                                                    sides.value(1).toInt(), sides.value(3).toInt());
}

} // namespace

TEST(RealWindow, AddImagesThroughTheMenuAndTheFolderDialogLoadsTheTreeAndShowsThePreview)
{
    QTemporaryDir photos;
    const QStringList paths = makeTree(photos.path(), 30);
    Pavisto pavisto;
    ASSERT_FALSE(pavisto.mainWindow().isEmpty());
    pavisto.focus();
    pavisto.chooseFromMenu(FileMenu, {"Down", "Return"});  // Add Images (jpg only)
    ASSERT_FALSE(pavisto.waitForWindow("^Select Folder with images in it").isEmpty());
    Desktop::type(photos.path());
    Desktop::keys({"Return"});
    ASSERT_TRUE(reaches(pavisto, "Pavisto 1-1  " + paths[0] + "  [Zoom Level 0]   30 Images [10,000 cells]"));
    EXPECT_FALSE(pavisto.waitForWindow("^" + QRegularExpression::escape(paths[0]) + "$").isEmpty());
    // Thirty images fill the first column: 210 pixels of 7-pixel cells.
    const QImage shot = Desktop::settledGrab(pavisto.mainWindow());
    const int top = gridTop(shot);
    EXPECT_GT(pictureShare(shot, {0, top + 1, 6, 200}), 0.5);
    EXPECT_LT(pictureShare(shot, {300, 300, 100, 100}), 0.05);  // empty cells
}

TEST(RealWindow, AWallOnTheCommandLineOpensAndTheKeysMoveAndTheWheelZoomsWithoutScrolling)
{
    const GeneratedWall wall(24, 6);  // 6 rows, 4 columns
    Pavisto pavisto({"photos.wall"}, wall.folder.path());
    ASSERT_TRUE(reaches(pavisto, caption(wall, 0, 0, 0)));
    const QString main = pavisto.mainWindow();
    expectPicturesFrom(wall, Desktop::settledGrab(main), 0, 0, 0);

    pavisto.focus();
    const struct {
        const char* key;
        int r, c;
    } moves[] = {{"Down", 1, 0}, {"Down", 2, 0}, {"Right", 2, 1}, {"Right", 2, 2}, {"Up", 1, 2}, {"Left", 1, 1}};
    for (const auto& move : moves) {
        Desktop::keys({move.key});
        ASSERT_TRUE(reaches(pavisto, caption(wall, move.r, move.c, 0))) << "after " << move.key;
    }

    // Each notch away zooms in one step and brings the current cell (1, 1)
    // to the top left; towards zooms out.
    const QPoint overGrid(120, 200);  // left of where the preview stands
    QImage levelTwo;
    for (int level : {1, 2}) {
        Desktop::click(main, overGrid, 4);
        ASSERT_TRUE(reaches(pavisto, caption(wall, 1, 1, level)));
        levelTwo = Desktop::settledGrab(main);
        expectPicturesFrom(wall, levelTwo, level, 1, 1);
    }
    for (int level : {1, 0}) {
        Desktop::click(main, overGrid, 5);
        ASSERT_TRUE(reaches(pavisto, caption(wall, 1, 1, level)));
    }
    // " + " twice from the same start: a wheel that also scrolled would show
    // another part of the wall.
    for (int level : {1, 2}) {
        Desktop::click(main, {ZoomInCommand, 10});
        ASSERT_TRUE(reaches(pavisto, caption(wall, 1, 1, level)));
    }
    const QRect grid(0, gridTop(levelTwo), levelTwo.width(), levelTwo.height() - gridTop(levelTwo));
    EXPECT_TRUE(Desktop::waitFor([&] { return Desktop::grab(main).copy(grid) == levelTwo.copy(grid); }, 5000));
}

TEST(RealWindow, SaveWallThroughTheMenuWritesTheCellsRowByRowAndExitEndsTheProgram)
{
    const GeneratedWall wall(10, 4);  // named column by column, saved row by row
    Pavisto pavisto({"photos.wall"}, wall.folder.path());
    ASSERT_TRUE(reaches(pavisto, caption(wall, 0, 0, 0)));
    pavisto.focus();
    pavisto.chooseFromMenu(FileMenu, {"Down", "Down", "Down", "Return"});  // Save Wall
    ASSERT_FALSE(pavisto.waitForWindow("^Save File$").isEmpty());
    const QString saved = wall.folder.filePath("saved.wall");
    Desktop::type(saved);
    Desktop::keys({"Return"});
    ASSERT_FALSE(pavisto.waitForWindow(MessageBoxTitle).isEmpty());  // "File saved."
    Desktop::keys({"Return"});
    EXPECT_EQ(contents(saved), wall.savedText());

    pavisto.chooseFromMenu(FileMenu, {"Up", "Return"});  // Exit, the menu's last item
    ASSERT_TRUE(pavisto.waitForExit());
    EXPECT_EQ(pavisto.exitCode(), 0);
}

TEST(RealWindow, WithAWindowManagerThePreviewStaysAboveTheMainWindowAfterAClickOnTheWall)
{
    const WindowManager openbox;
    ASSERT_TRUE(openbox.managing());
    const GeneratedWall wall(300, 15);
    Pavisto pavisto({"photos.wall"}, wall.folder.path());
    ASSERT_TRUE(reaches(pavisto, caption(wall, 0, 0, 0), 60000));
    const QString main = pavisto.mainWindow();
    // Left of the preview, which lies over the main window's lower right.
    const QPoint overGrid(100, 300);
    Desktop::click(main, overGrid, 4);
    Desktop::click(main, overGrid, 4);
    ASSERT_TRUE(reaches(pavisto, caption(wall, 0, 0, 2)));

    const int top = gridTop(Desktop::settledGrab(main));
    Desktop::click(main, {3 * CellSize[2] + 20, top + 2 * CellSize[2] + 20});
    ASSERT_TRUE(reaches(pavisto, caption(wall, 2, 3, 2)));
    const QString preview = pavisto.waitForWindow("^" + QRegularExpression::escape(wall.path(2, 3)) + "$");
    ASSERT_FALSE(preview.isEmpty());
    // The preview raised the main window so that the grid keeps the keys;
    // being owned by it, the preview stays above it.
    const QString mainId = "0x" + QString::number(main.toULongLong(), 16);
    ASSERT_TRUE(Desktop::waitFor([&] { return Desktop::property({}, "_NET_ACTIVE_WINDOW").endsWith(mainId); }, 5000));
    const QStringList stack = Desktop::stacking();
    EXPECT_GE(stack.indexOf(main), 0) << stack.join(' ').toStdString();
    EXPECT_GT(stack.indexOf(preview), stack.indexOf(main)) << stack.join(' ').toStdString();

    // The picture of the program for its README.
    const QImage screen = Desktop::settledGrab("root");
    screen.copy(framed(main).united(framed(preview))).save(PAVISTO_SCREENSHOT);
}

TEST(RealWindow, AnInstalledCopyShowsItsIconAndShipsItsHelpPage)
{
    QTemporaryDir prefix;
    Desktop::run(CMAKE_COMMAND, {"--install", PAVISTO_BUILD_DIR, "--prefix", prefix.path()}, 60000);
    const QString share = prefix.filePath("share");
    EXPECT_TRUE(contents(share + "/applications/pavisto.desktop")
                    .contains("\nExec=" + prefix.filePath("bin/pavisto").toUtf8() + " %f\n"));
    EXPECT_TRUE(contents(share + "/mime/packages/pavisto-wall.xml").contains("<glob pattern=\"*.wall\"/>"));
    EXPECT_EQ(contents(share + "/icons/hicolor/scalable/apps/pavisto.svg"), contents(RESOURCES "/pavisto.svg"));

    // Started from a folder of its own, far from the build.
    QTemporaryDir elsewhere;
    Pavisto pavisto({}, elsewhere.path(), prefix.filePath("bin/pavisto"));
    ASSERT_FALSE(pavisto.mainWindow().isEmpty());
    EXPECT_TRUE(Desktop::property(pavisto.mainWindow(), "_NET_WM_ICON").contains("Icon ("));

    // The page that explains folder access ships beside it.
    EXPECT_EQ(contents(share + "/pavisto/folder-access.html"), contents(RESOURCES "/folder-access.html"));
}

int main(int argc, char** argv)
{
    // The tests' own pictures need no display; the program gets the real one.
    const QByteArray display = qgetenv("DISPLAY");
    qputenv("QT_QPA_PLATFORM", "offscreen");
    ::testing::InitGoogleTest(&argc, argv);
    QGuiApplication app(argc, argv);
    if (display.isEmpty()) {
        std::fprintf(stderr, "These tests need an X display: run them under xvfb-run.\n");
        return 1;
    }
    return RUN_ALL_TESTS();
}
