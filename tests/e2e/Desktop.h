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

QString windowName(const QString& window);
QRect windowGeometry(const QString& window);
// The window's picture as the X server shows it.
QImage grab(const QString& window);
// Real key presses and clicks (XTEST), to whichever window has the focus or
// lies under the pointer.
void keys(const QStringList& names);
void type(const QString& text);
void click(const QString& window, QPoint at, int button = 1);

} // namespace Desktop

// One run of the program under test, with folders of its own for its
// settings, desktop files and thumbnail cache. Ended by its process id.
class Pavisto {
public:
    explicit Pavisto(const QStringList& arguments = {}, const QString& workingFolder = {});
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
    // Clicks a menu-bar entry of the main window by its caption's position.
    void openMenu(int x) const;
    bool waitForExit(int timeoutMs = 10000);
    QString home(const QString& name) const { return m_home.filePath(name); }

private:
    QTemporaryDir m_home;
    QProcess m_process;
    QString m_main;
};
