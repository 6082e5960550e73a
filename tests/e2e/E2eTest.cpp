// The installed program in a real window server under a window manager,
// driven from outside as a person would: real X input through xdotool,
// titles, pictures, focus and stacking read back from the X server. Only
// what the offscreen tests cannot show is checked here.
#include <QColor>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>

#include <csignal>
#include <functional>
#include <utility>

namespace {

// Runs a tool to its end (at most timeoutMs) and gives its output.
QByteArray run(const QString& program, const QStringList& arguments, int timeoutMs = 10000)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(timeoutMs))
        process.kill(), process.waitForFinished(1000);
    return process.readAllStandardOutput();
}

bool waitFor(const std::function<bool()>& condition, int timeoutMs = 20000)
{
    QElapsedTimer clock;
    clock.start();
    while (!condition()) {
        if (clock.elapsed() > timeoutMs)
            return false;
        QThread::msleep(50);
    }
    return true;
}

// Ends a process this test started, by its id: asked first, then forced.
void end(QProcess& process)
{
    const auto pid = pid_t(process.processId());
    if (process.state() == QProcess::NotRunning)
        return;
    ::kill(pid, SIGTERM);
    if (!process.waitForFinished(3000))
        ::kill(pid, SIGKILL), process.waitForFinished(3000);
}

QString windowName(const QString& window)
{
    return QString::fromUtf8(run("xdotool", {"getwindowname", window})).trimmed();
}

// What xprop says of a window's property ("" for the root window).
QString property(const QString& window, const QString& name)
{
    const QStringList which = window.isEmpty() ? QStringList{"-root"} : QStringList{"-id", window};
    return QString::fromUtf8(run("xprop", which + QStringList{name})).trimmed();
}

// The picture once two grabs in a row agree, so that a repaint still owed
// cannot be mistaken for the result.
QImage settledGrab(const QString& window)
{
    const auto grab = [&] { return QImage::fromData(run("import", {"-window", window, "ppm:-"}, 20000), "ppm"); };
    QImage last = grab();
    waitFor([&] { return std::exchange(last, grab()) == last; }, 5000);
    return last;
}

void keys(const QStringList& names)
{
    run("xdotool", QStringList{"key", "--delay", "30"} + names);
}

void click(const QString& window, QPoint at, int button = 1)
{
    run("xdotool", {"mousemove", "--window", window, QString::number(at.x()), QString::number(at.y()), "click",
                    QString::number(button)});
}

QByteArray contents(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

// Pictures of one colour each and "photos.wall" beside them, which names
// them column by column, `rows` to a column.
struct GeneratedWall {
    QTemporaryDir folder;
    int rows;
    QStringList paths;
    GeneratedWall(int count, int rowCount) : rows(rowCount)
    {
        QByteArray text;
        for (int i = 0; i < count; ++i) {
            QImage picture(320, 240, QImage::Format_RGB32);
            picture.fill(QColor::fromHsv((i * 37) % 360, 200, 220));
            paths.append(folder.filePath(QString("photo%1.jpg").arg(i, 3, 10, QChar('0'))));
            picture.save(paths.last(), "jpeg", 85);
            text += QString("%1,%2,%3\r\n").arg(i % rows).arg(i / rows).arg(paths[i]).toLocal8Bit();
        }
        QFile file(folder.filePath("photos.wall"));
        if (file.open(QIODevice::WriteOnly))
            file.write(text);
    }
    QString path(int r, int c) const { return paths.value(c * rows + r); }
    // The caption once a command has finished, up to the free memory figure.
    QString caption(int r, int c, int zoomLevel) const
    {
        return QString("Pavisto %1-%2  %3  [Zoom Level %4]   %5 Images [10,000 cells]   ")
            .arg(r + 1).arg(c + 1).arg(path(r, c)).arg(zoomLevel).arg(paths.size());
    }
};

// One run of the program with its own settings, desktop and cache folders.
struct Pavisto {
    QTemporaryDir home;
    QProcess process;
    QString main;

    Pavisto(const QStringList& arguments, const QString& workingFolder, const QString& program)
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove("QT_QPA_PLATFORM");  // the test display, not the tests' offscreen one
        for (const char* name : {"XDG_DATA_HOME", "XDG_CONFIG_HOME", "XDG_CACHE_HOME"})
            environment.insert(name, home.filePath(name));
        process.setProcessEnvironment(environment);
        process.setWorkingDirectory(workingFolder);
        process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process.start(program, arguments);
        main = window("^Pavisto");
    }
    ~Pavisto() { end(process); }
    // A shown window of this run whose name matches; "" when none comes.
    QString window(const QString& pattern) const
    {
        const QRegularExpression name(pattern);
        QString found;
        waitFor([&] {
            for (const QByteArray& id : run("xdotool", {"search", "--all", "--onlyvisible", "--pid",
                                                        QString::number(process.processId())}).split('\n'))
                if (!id.isEmpty() && name.match(windowName(QString::fromLatin1(id))).hasMatch())
                    return !(found = QString::fromLatin1(id)).isEmpty();
            return false;
        }, 10000);
        return found;
    }
    ::testing::AssertionResult reaches(const QString& prefix, int timeoutMs = 20000) const
    {
        if (waitFor([&] { return windowName(main).startsWith(prefix); }, timeoutMs))
            return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << "the title is \"" << windowName(main).toStdString() << "\"";
    }
};

// Where the grid begins in a grab of the main window: below the menu bar,
// whose right end is plain.
int gridTop(const QImage& shot)
{
    int y = 1;
    while (y < shot.height() && shot.pixel(shot.width() - 30, y) == shot.pixel(shot.width() - 30, 0))
        ++y;
    return y;
}

} // namespace

TEST(RealWindow, TheInstalledProgramTakesRealKeysWheelAndClicksKeepsThePreviewAboveAndSavesThroughRealDialogs)
{
    QProcess openbox;
    openbox.setStandardOutputFile(QProcess::nullDevice()), openbox.setStandardErrorFile(QProcess::nullDevice());
    openbox.start("openbox", {"--sm-disable"});
    // Openbox names its process on the root window once it manages the screen.
    ASSERT_TRUE(openbox.waitForStarted(5000) && waitFor([&] {
        return property({}, "_OPENBOX_PID").endsWith("= " + QString::number(openbox.processId()));
    }));
    QTemporaryDir prefix;
    run(CMAKE_COMMAND, {"--install", PAVISTO_BUILD_DIR, "--prefix", prefix.path()}, 60000);
    const GeneratedWall wall(60, 15);  // 15 rows, 4 columns
    Pavisto pavisto({"photos.wall"}, wall.folder.path(), prefix.filePath("bin/pavisto"));
    ASSERT_TRUE(pavisto.reaches(wall.caption(0, 0, 0), 60000));
    const QString main = pavisto.main;
    // Its icon, found beside the installed copy.
    EXPECT_TRUE(property(main, "_NET_WM_ICON").contains("Icon ("));

    run("xdotool", {"windowfocus", "--sync", main});
    keys({"Down", "Right"});
    ASSERT_TRUE(pavisto.reaches(wall.caption(1, 1, 0)));
    // A notch away zooms in one step and brings the current cell to the top
    // left: the wall's last cell shows its picture, the cell beyond it none.
    click(main, {100, 300}, 4);  // left of the preview, over the main window's lower right
    ASSERT_TRUE(pavisto.reaches(wall.caption(1, 1, 1)));
    constexpr int Cell = 24;  // pixels at level 1
    const QImage shot = settledGrab(main);
    const int top = gridTop(shot);
    EXPECT_GT(shot.pixelColor(2 * Cell + 12, top + 13 * Cell + 12).value(), 24);
    EXPECT_EQ(shot.pixelColor(3 * Cell + 12, top + 14 * Cell + 12), QColor(Qt::black));

    // A click shows the cell in the preview, which leaves the keys with the
    // main window and, owned by it, stays above it.
    click(main, {2 * Cell + 12, top + Cell + 12});
    ASSERT_TRUE(pavisto.reaches(wall.caption(2, 3, 1)));
    const QString preview = pavisto.window("^" + QRegularExpression::escape(wall.path(2, 3)) + "$");
    ASSERT_FALSE(preview.isEmpty());
    const QString mainId = "0x" + QString::number(main.toULongLong(), 16);
    EXPECT_TRUE(waitFor([&] { return property({}, "_NET_ACTIVE_WINDOW").endsWith(mainId); }, 5000));
    const QString stack = property({}, "_NET_CLIENT_LIST_STACKING");  // bottom to top
    EXPECT_GT(stack.indexOf("0x" + QString::number(preview.toULongLong(), 16)), stack.indexOf(mainId)) << qPrintable(stack);
    keys({"Up"});
    ASSERT_TRUE(pavisto.reaches(wall.caption(1, 3, 1)));

    // Save Wall through the menu, the file dialog and the message box, then Exit.
    const auto menu = [&](const QStringList& keyNames) { click(main, {20, 10}), keys(keyNames); };
    menu({"Down", "Down", "Down", "Return"});
    ASSERT_FALSE(pavisto.window("^Save File$").isEmpty());
    const QString saved = wall.folder.filePath("saved.wall");
    run("xdotool", {"type", "--delay", "5", saved}, 30000);
    keys({"Return"});
    ASSERT_FALSE(pavisto.window("^Pavisto \\d+\\.\\d+\\.\\d+$").isEmpty());  // "File saved."
    keys({"Return"});
    EXPECT_EQ(contents(saved).count('\n'), 61);  // a line a cell, then an empty one
    menu({"Up", "Return"});  // Exit, the menu's last item
    ASSERT_TRUE(pavisto.process.waitForFinished(10000));
    EXPECT_TRUE(pavisto.process.exitStatus() == QProcess::NormalExit && pavisto.process.exitCode() == 0);
    end(openbox);
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
