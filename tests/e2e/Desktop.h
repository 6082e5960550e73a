#pragma once

#include <QImage>
#include <QProcess>
#include <QRect>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <functional>

// Drives the real program in the test display from outside, as a person
// would: real X input events through xdotool, window titles and pictures
// read back from the X server. Nothing reaches into the program.
namespace Desktop {

// Runs a tool to its end (at most timeoutMs) and gives its output.
QByteArray run(const QString& program, const QStringList& arguments, int timeoutMs = 10000);
// Polls until the condition holds or the time is up.
bool waitFor(const std::function<bool()>& condition, int timeoutMs = 20000);
// Ends a process this test started, by its process id: asked first, then
// forced.
void end(QProcess& process);

QString windowName(const QString& window);
// Where the inside of a window lies on the screen.
QRect windowGeometry(const QString& window);
// What xprop says of one property of a window ("" for the root window).
QString property(const QString& window, const QString& name);
// The managed windows, bottom to top, as the window manager stacks them.
QStringList stacking();
// The window's picture as the X server shows it ("root" for the screen).
QImage grab(const QString& window);
// The picture once two grabs in a row agree, so that a repaint the program
// still owes cannot be mistaken for its result.
QImage settledGrab(const QString& window);
// Real key presses and clicks (XTEST), to whichever window has the focus or
// lies under the pointer.
void keys(const QStringList& names);
void type(const QString& text);
void click(const QString& window, QPoint at, int button = 1);

} // namespace Desktop

// One run of the program under test, with folders of its own for its
// settings, desktop files and thumbnail cache. Ended by its process id.
// What it asks the desktop to open is recorded, never opened.
class Pavisto {
public:
    explicit Pavisto(const QStringList& arguments = {}, const QString& workingFolder = {},
                     const QString& program = PAVISTO_BINARY);
    ~Pavisto();
    Pavisto(const Pavisto&) = delete;
    Pavisto& operator=(const Pavisto&) = delete;

    qint64 pid() const { return m_process.processId(); }
    const QString& mainWindow() const { return m_main; }
    QString title() const { return Desktop::windowName(m_main); }
    bool waitForTitle(const std::function<bool(const QString&)>& wanted, int timeoutMs = 20000) const;
    // A shown window of this run whose name matches (a regular expression);
    // "" when none appears in time.
    QString waitForWindow(const QString& namePattern, int timeoutMs = 10000) const;
    // Puts the keyboard focus on the main window.
    void focus() const;
    // Opens a menu-bar entry of the main window by its caption's position
    // and picks an item with the keys.
    void chooseFromMenu(int x, const QStringList& keys) const;
    bool waitForExit(int timeoutMs = 10000);
    int exitCode() const { return m_process.exitStatus() == QProcess::NormalExit ? m_process.exitCode() : -1; }
    QString home(const QString& name) const { return m_home.filePath(name); }
    // The addresses the program handed to the desktop's opener.
    QStringList opened() const;

private:
    QTemporaryDir m_home;
    QProcess m_process;
    QString m_main;
};

// A small window manager (openbox) in the test display while it lives.
class WindowManager {
public:
    WindowManager();
    ~WindowManager();
    WindowManager(const WindowManager&) = delete;
    WindowManager& operator=(const WindowManager&) = delete;

    // Whether it manages the screen (it has announced itself on the root).
    bool managing() const { return m_managing; }

private:
    QProcess m_process;
    bool m_managing = false;
};
