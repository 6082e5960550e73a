// The installed program in a real window server under a window manager,
// driven from outside as a person would: real X input through xdotool,
// titles, pictures, focus and stacking read back from the X server. Only
// what the offscreen tests cannot show is checked here.
#include "support/TestImages.h"

#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include <utility>

namespace {

// Runs a tool to its end and gives its output; one still running after
// timeoutMs is ended by its QProcess.
QByteArray run(const QString& program, const QStringList& arguments, int timeoutMs = 10000)
{
    QProcess process;
    process.start(program, arguments);
    process.waitForFinished(timeoutMs);
    return process.readAllStandardOutput();
}

QString xdotool(const QStringList& arguments)
{
    return QString::fromUtf8(run("xdotool", arguments)).trimmed();
}

} // namespace

// The processes this test starts end with their QProcess, by their id.
TEST(RealWindow, TheInstalledProgramTakesRealKeysWheelAndClicksKeepsThePreviewAboveAndSavesThroughRealDialogs)
{
    QTemporaryDir prefix, home, folder;
    QProcess openbox, pavisto;
    openbox.setStandardOutputFile(QProcess::nullDevice());
    openbox.setStandardErrorFile(QProcess::nullDevice());
    openbox.start("openbox", {"--sm-disable"});
    // Openbox names its process on the root window once it manages the screen.
    ASSERT_TRUE(openbox.waitForStarted(5000));
    const QByteArray named = "= " + QByteArray::number(openbox.processId());
    const auto managed = [&] { return run("xprop", {"-root", "_OPENBOX_PID"}).trimmed().endsWith(named); };
    ASSERT_TRUE(QTest::qWaitFor(managed, 20000));
    run(CMAKE_COMMAND, {"--install", PAVISTO_BUILD_DIR, "--prefix", prefix.path()}, 60000);
    // The installed program with its own settings, desktop and cache folders,
    // on "photos.wall" in a folder of 60 pictures of one colour each, 15 to a
    // column.
    QStringList paths;
    QByteArray wall;
    for (int i = 0; i < 60; ++i) {
        paths << folder.filePath(QString("photo%1.jpg").arg(i, 3, 10, QChar('0')));
        const QColor colour = QColor::fromHsv((i * 37) % 360, 200, 220);
        TestImages::write(paths.last(), TestImages::encode(TestImages::filled({320, 240}, colour)));
        wall += QString("%1,%2,%3\r\n").arg(i % 15).arg(i / 15).arg(paths[i]).toLocal8Bit();
    }
    TestImages::write(folder.filePath("photos.wall"), wall);
    qunsetenv("QT_QPA_PLATFORM");  // the test display, not the tests' offscreen one
    for (const char* name : {"XDG_DATA_HOME", "XDG_CONFIG_HOME", "XDG_CACHE_HOME"})
        qputenv(name, home.filePath(name).toUtf8());
    pavisto.setWorkingDirectory(folder.path());
    pavisto.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    pavisto.start(prefix.filePath("bin/pavisto"), {"photos.wall"});
    // A shown window of the program whose name matches; "" when none comes.
    const auto window = [&](const QString& pattern) {
        QString found;
        const auto shown = [&] {
            for (const QString& id :
                 xdotool({"search", "--all", "--onlyvisible", "--pid", QString::number(pavisto.processId())})
                     .split('\n'))
                if (!id.isEmpty() && QRegularExpression(pattern).match(xdotool({"getwindowname", id})).hasMatch())
                    return !(found = id).isEmpty();
            return false;
        };
        return QTest::qWaitFor(shown, 10000) ? found : QString();
    };
    const QString main = window("^Pavisto");
    // The title once a command on cell (r, c) has finished, up to the free memory figure.
    const auto reaches = [&](int r, int c, int zoomLevel, int timeoutMs = 20000) {
        const QString caption = QString("Pavisto %1-%2  %3  [Zoom Level %4]   60 Images [10,000 cells]   ")
                                    .arg(r + 1).arg(c + 1).arg(paths.value(c * 15 + r)).arg(zoomLevel);
        if (QTest::qWaitFor([&] { return xdotool({"getwindowname", main}).startsWith(caption); }, timeoutMs))
            return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure()
            << "the title is \"" << xdotool({"getwindowname", main}).toStdString() << "\"";
    };
    const auto click = [&](QPoint at, int button = 1) {
        xdotool({"mousemove", "--window", main, QString::number(at.x()), QString::number(at.y()), "click",
                 QString::number(button)});
    };
    ASSERT_TRUE(reaches(0, 0, 0, 60000));
    EXPECT_TRUE(run("xprop", {"-id", main, "_NET_WM_ICON"}).contains("Icon ("));  // found beside the installed copy

    xdotool({"windowfocus", "--sync", main});
    xdotool({"key", "--delay", "30", "Down", "Right"});
    ASSERT_TRUE(reaches(1, 1, 0));
    // A notch away zooms in one step and brings the current cell to the top
    // left: the wall's last cell shows its picture, the cell beyond it none.
    click({100, 300}, 4);  // left of the preview, over the main window's lower right
    ASSERT_TRUE(reaches(1, 1, 1));
    constexpr int Cell = 24;  // pixels at level 1
    // The picture once two grabs in a row agree, so that a repaint still owed
    // cannot be mistaken for the result; else the last one.
    const auto grab = [&] { return QImage::fromData(run("import", {"-window", main, "ppm:-"}, 20000), "ppm"); };
    QImage shot = grab();
    static_cast<void>(QTest::qWaitFor([&] { return std::exchange(shot, grab()) == shot; }, 5000));
    int top = 1;  // where the grid begins: below the menu bar, whose right end is plain
    while (top < shot.height() && shot.pixel(shot.width() - 30, top) == shot.pixel(shot.width() - 30, 0))
        ++top;
    EXPECT_GT(shot.pixelColor(2 * Cell + 12, top + 13 * Cell + 12).value(), 24);
    EXPECT_EQ(shot.pixelColor(3 * Cell + 12, top + 14 * Cell + 12), QColor(Qt::black));

    // A click shows the cell in the preview, which leaves the keys with the
    // main window (Up moves its cell) and, owned by it, stays above it.
    click({2 * Cell + 12, top + Cell + 12});
    ASSERT_TRUE(reaches(2, 3, 1));
    const QString preview = window("^" + QRegularExpression::escape(paths[47]) + "$");
    const QString mainId = "0x" + QString::number(main.toULongLong(), 16);
    const QString stack = QString::fromUtf8(run("xprop", {"-root", "_NET_CLIENT_LIST_STACKING"}));  // bottom to top
    EXPECT_GT(stack.indexOf("0x" + QString::number(preview.toULongLong(), 16)), stack.indexOf(mainId))
        << qPrintable(stack);
    xdotool({"key", "Up"});
    ASSERT_TRUE(reaches(1, 3, 1));

    // Save Wall through the menu, the file dialog and the message box, then Exit.
    const auto menu = [&](const QStringList& keys) {
        click({20, 10});
        xdotool(QStringList{"key", "--delay", "30"} + keys);
    };
    menu({"Down", "Down", "Down", "Return"});
    ASSERT_FALSE(window("^Save File$").isEmpty());
    const QString saved = folder.filePath("saved.wall");
    xdotool({"type", "--delay", "5", saved});
    xdotool({"key", "Return"});
    ASSERT_FALSE(window("^Pavisto \\d+\\.\\d+\\.\\d+$").isEmpty());  // "File saved."
    xdotool({"key", "Return"});
    EXPECT_EQ(TestImages::read(saved).count('\n'), 61);  // a line a cell, then an empty one
    menu({"Up", "Return"});  // Exit, the menu's last item
    ASSERT_TRUE(pavisto.waitForFinished(10000));
    EXPECT_TRUE(pavisto.exitStatus() == QProcess::NormalExit && pavisto.exitCode() == 0);
}
