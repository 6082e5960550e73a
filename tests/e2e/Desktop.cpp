#include "Desktop.h"

#include <QElapsedTimer>
#include <QRegularExpression>
#include <QThread>

#include <csignal>

namespace Desktop {

QByteArray run(const QString& program, const QStringList& arguments, int timeoutMs)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(timeoutMs)) {
        process.kill();
        process.waitForFinished(1000);
    }
    return process.readAllStandardOutput();
}

bool waitFor(const std::function<bool()>& condition, int timeoutMs)
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

QString windowName(const QString& window)
{
    return QString::fromUtf8(run("xdotool", {"getwindowname", window})).trimmed();
}

QRect windowGeometry(const QString& window)
{
    // "X=…\nY=…\nWIDTH=…\nHEIGHT=…" of the window's inside on the screen.
    QRect rect;
    for (const QByteArray& line : run("xdotool", {"getwindowgeometry", "--shell", window}).split('\n')) {
        const int value = line.mid(line.indexOf('=') + 1).toInt();
        if (line.startsWith("X="))
            rect.moveLeft(value);
        else if (line.startsWith("Y="))
            rect.moveTop(value);
        else if (line.startsWith("WIDTH="))
            rect.setWidth(value);
        else if (line.startsWith("HEIGHT="))
            rect.setHeight(value);
    }
    return rect;
}

QImage grab(const QString& window)
{
    return QImage::fromData(run("import", {"-window", window, "png:-"}, 20000), "png");
}

void keys(const QStringList& names)
{
    run("xdotool", QStringList{"key", "--delay", "30"} + names);
}

void type(const QString& text)
{
    run("xdotool", {"type", "--delay", "5", text}, 30000);
}

void click(const QString& window, QPoint at, int button)
{
    run("xdotool", {"mousemove", "--window", window, QString::number(at.x()), QString::number(at.y()), "click",
                    QString::number(button)});
}

} // namespace Desktop

Pavisto::Pavisto(const QStringList& arguments, const QString& workingFolder)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    // The real window server of the test display, not the tests' offscreen one.
    environment.remove("QT_QPA_PLATFORM");
    for (const char* name : {"XDG_DATA_HOME", "XDG_CONFIG_HOME", "XDG_CACHE_HOME"})
        environment.insert(name, m_home.filePath(name));
    m_process.setProcessEnvironment(environment);
    m_process.setWorkingDirectory(workingFolder.isEmpty() ? m_home.path() : workingFolder);
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_process.start(PAVISTO_BINARY, arguments);
    m_main = waitForWindow("^Pavisto");
}

Pavisto::~Pavisto()
{
    if (m_process.state() == QProcess::NotRunning)
        return;
    ::kill(pid_t(pid()), SIGTERM);
    if (!m_process.waitForFinished(3000)) {
        ::kill(pid_t(pid()), SIGKILL);
        m_process.waitForFinished(3000);
    }
}

bool Pavisto::waitForTitle(const std::function<bool(const QString&)>& wanted, int timeoutMs) const
{
    return Desktop::waitFor([&] { return wanted(title()); }, timeoutMs);
}

QString Pavisto::waitForWindow(const QString& namePattern, int timeoutMs) const
{
    const QRegularExpression name(namePattern);
    QString found;
    Desktop::waitFor(
        [&] {
            const QList<QByteArray> windows =
                Desktop::run("xdotool", {"search", "--all", "--onlyvisible", "--pid", QString::number(pid())})
                    .split('\n');
            for (const QByteArray& window : windows)
                if (!window.isEmpty() && name.match(Desktop::windowName(QString::fromLatin1(window))).hasMatch())
                    return !(found = QString::fromLatin1(window)).isEmpty();
            return false;
        },
        timeoutMs);
    return found;
}

void Pavisto::focus() const
{
    Desktop::run("xdotool", {"windowfocus", "--sync", m_main});
}

void Pavisto::openMenu(int x) const
{
    Desktop::click(m_main, {x, 10});
}

bool Pavisto::waitForExit(int timeoutMs)
{
    return m_process.waitForFinished(timeoutMs);
}
