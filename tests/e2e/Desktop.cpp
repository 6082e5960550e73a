#include "Desktop.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
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

void end(QProcess& process)
{
    if (process.state() == QProcess::NotRunning)
        return;
    const auto pid = pid_t(process.processId());
    ::kill(pid, SIGTERM);
    if (!process.waitForFinished(3000)) {
        ::kill(pid, SIGKILL);
        process.waitForFinished(3000);
    }
}

QString windowName(const QString& window)
{
    return QString::fromUtf8(run("xdotool", {"getwindowname", window})).trimmed();
}

QRect windowGeometry(const QString& window)
{
    // xwininfo's "Absolute upper-left X:  288" and so on: right also when a
    // window manager has put a frame around the window.
    QRect rect;
    for (const QByteArray& line : run("xwininfo", {"-id", window}).split('\n')) {
        const int value = line.mid(line.indexOf(':') + 1).trimmed().toInt();
        if (line.contains("Absolute upper-left X:"))
            rect.moveLeft(value);
        else if (line.contains("Absolute upper-left Y:"))
            rect.moveTop(value);
        else if (line.trimmed().startsWith("Width:"))
            rect.setWidth(value);
        else if (line.trimmed().startsWith("Height:"))
            rect.setHeight(value);
    }
    return rect;
}

QString property(const QString& window, const QString& name)
{
    const QStringList which = window.isEmpty() ? QStringList{"-root"} : QStringList{"-id", window};
    return QString::fromUtf8(run("xprop", which + QStringList{name})).trimmed();
}

QStringList stacking()
{
    // "_NET_CLIENT_LIST_STACKING(WINDOW): window id # 0x400006, 0x400101"
    QStringList windows;
    const QString list = property({}, "_NET_CLIENT_LIST_STACKING");
    for (const QString& id : list.section('#', 1).split(',', Qt::SkipEmptyParts))
        windows.append(QString::number(id.trimmed().toULongLong(nullptr, 16)));
    return windows;
}

QImage grab(const QString& window)
{
    // A portable pixmap: the same pixels as PNG, without colour profiles.
    return QImage::fromData(run("import", {"-window", window, "ppm:-"}, 20000), "ppm");
}

QImage settledGrab(const QString& window)
{
    QImage last = grab(window);
    waitFor(
        [&] {
            QImage next = grab(window);
            std::swap(next, last);
            return next == last;
        },
        5000);
    return last;
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

Pavisto::Pavisto(const QStringList& arguments, const QString& workingFolder, const QString& program)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    // The real window server of the test display, not the tests' offscreen one.
    environment.remove("QT_QPA_PLATFORM");
    for (const char* name : {"XDG_DATA_HOME", "XDG_CONFIG_HOME", "XDG_CACHE_HOME"})
        environment.insert(name, m_home.filePath(name));
    // The desktop's opener, found first on the path, only notes its address.
    QDir().mkpath(m_home.filePath("bin"));
    QFile opener(m_home.filePath("bin/xdg-open"));
    if (opener.open(QIODevice::WriteOnly)) {
        opener.write("#!/bin/sh\nprintf '%s\\n' \"$*\" >> '" + QFile::encodeName(m_home.filePath("opened")) + "'\n");
        opener.close();
        opener.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    environment.insert("PATH", m_home.filePath("bin") + ":" + environment.value("PATH"));
    m_process.setProcessEnvironment(environment);
    m_process.setWorkingDirectory(workingFolder.isEmpty() ? m_home.path() : workingFolder);
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_process.start(program, arguments);
    m_main = waitForWindow("^Pavisto");
}

Pavisto::~Pavisto()
{
    Desktop::end(m_process);
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

void Pavisto::chooseFromMenu(int x, const QStringList& keys) const
{
    Desktop::click(m_main, {x, 10});
    Desktop::keys(keys);
}

bool Pavisto::waitForExit(int timeoutMs)
{
    return m_process.waitForFinished(timeoutMs);
}

QStringList Pavisto::opened() const
{
    QFile file(m_home.filePath("opened"));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll()).split('\n', Qt::SkipEmptyParts);
}

WindowManager::WindowManager()
{
    m_process.setStandardOutputFile(QProcess::nullDevice());
    m_process.setStandardErrorFile(QProcess::nullDevice());
    m_process.start("openbox", {"--sm-disable"});
    if (!m_process.waitForStarted(5000))
        return;
    // Openbox names its process on the root window once it manages the screen.
    const QString announced = "= " + QString::number(m_process.processId());
    m_managing = Desktop::waitFor([&] { return Desktop::property({}, "_OPENBOX_PID").endsWith(announced); });
}

WindowManager::~WindowManager()
{
    Desktop::end(m_process);
}
