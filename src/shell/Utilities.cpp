#include "shell/Utilities.h"

#include "shell/FileNames.h"
#include "shell/MainModule.h"
#include "shell/MainState.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>
#include <QThread>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>

namespace {

const QString& trimSet()
{
    // Control characters, the blank, and what the old 8-bit code page had at
    // 144 and 147 (the latter a left double quotation mark).
    static const QString set = [] {
        QString s;
        for (char16_t c : {u'\0', u'\b', u'\t', u'\n', u'\r', u' ', u'\u0090', u'\u201C', u'\x04', u'\x05'})
            s.append(QChar(c));
        return s;
    }();
    return set;
}

void writeOnce(const QString& path, const QByteArray& bytes)
{
    // Written beside the target and renamed over it, so a failed write never
    // costs the old file.
    QSaveFile file(path);
    errno = 0;
    // flush() is checked on its own: commit() does not see a failed flush.
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.flush() || !file.commit()) {
        const int reason = errno;
        throw AppError(ErrorNumber::PathFileAccess,
                       reason ? QString::fromLocal8Bit(std::strerror(reason)) : file.errorString());
    }
}

QString startFolder(const QString& purpose)
{
    QString last = Platform::lastFolder(purpose);
    if (!last.isEmpty())
        return last;
    const QString pictures = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    return !pictures.isEmpty() && QFileInfo(pictures).isDir() ? pictures : QDir::homePath();
}

} // namespace

void ReportError(const QString& formName, const QString& procName, const AppError& error)
{
    ShowDefaultPointer();
    if (!error.isError())
        return;
    MsgBox(QStringLiteral("An error has occurred in form: ") + formName + QStringLiteral(" and procedure: ")
               + procName + QStringLiteral(" (") + error.source() + QStringLiteral(")\nNumber: ")
               + QString::number(error.number()) + QStringLiteral("\nDescription: ") + error.description(),
           MsgIcon::Exclamation);
}

MsgAnswer MsgBox(const QString& text, MsgIcon icon, MsgButtons buttons, const QString& title)
{
    return Platform::prompts().message(text, title.isEmpty() ? AppTitle : title, icon, buttons);
}

void ReportFolderNotAccessible(const QString& folder)
{
    MsgBox(QStringLiteral("The folder selected is not accessible or access is denied.\n\n") + folder
               + QStringLiteral("\n\nWhen you click OK a webpage will open that should help you resolve this issue."),
           MsgIcon::Exclamation);
    Platform::launcher().openUrl(QUrl::fromLocalFile(HelpPagePath()));
}

void ShowBusyPointer()
{
    if (QGuiApplication::overrideCursor())
        QGuiApplication::changeOverrideCursor(Qt::WaitCursor);
    else
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
}

void ShowDefaultPointer()
{
    while (QGuiApplication::overrideCursor())
        QGuiApplication::restoreOverrideCursor();
}

bool FileExists(const QString& path)
{
    struct stat st {};
    return StatPath(path, st) && S_ISREG(st.st_mode);
}

bool FolderExists(const QString& path)
{
    QString p = path;
    while (p.size() > 1 && p.endsWith(QLatin1Char('/')))
        p.chop(1);
    // Hidden entries are not matched, as the folder search never shows them.
    if (FileNameFromPath(p).startsWith(QLatin1Char('.')))
        return false;
    struct stat st {};
    return StatPath(p, st);
}

QString FileNameFromPath(const QString& path)
{
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    return slash < 0 ? path : path.mid(slash + 1);
}

QString TrimAll(const QString& text)
{
    const QString& set = trimSet();
    qsizetype first = 0;
    qsizetype last = text.size();
    while (first < last && set.contains(text.at(first)))
        ++first;
    while (last > first && set.contains(text.at(last - 1)))
        --last;
    return text.mid(first, last - first);
}

QString WriteNewFile(const QString& path, const QByteArray& text)
{
    const QByteArray bytes = text + "\r\n";
    try {
        writeOnce(path, bytes);
    } catch (const AppError&) {
        try {
            writeOnce(path, bytes);
        } catch (const AppError& again) {
            MsgBox(QStringLiteral("WriteNewFile: ") + QString::number(again.number()) + QLatin1Char(' ')
                       + again.description(),
                   MsgIcon::Critical);
        }
    }
    return path;
}

QString BrowseForFolder(const QString& title)
{
    QString chosen = NameFromDialog(Platform::prompts().folder(title, startFolder(title)));
    if (!chosen.isEmpty())
        Platform::rememberFolder(title, chosen);
    return chosen;
}

QString AskForFile(FileRequest request)
{
    request.startFolder = startFolder(request.title);
    QString chosen = NameFromDialog(Platform::prompts().file(request));
    if (!chosen.isEmpty())
        Platform::rememberFolder(request.title, chosen.left(std::max<qsizetype>(chosen.lastIndexOf(u'/'), 1)));
    return chosen;
}

QString QtFileFilter(const QString& filter)
{
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString description = parts.at(i).trimmed();
        // Qt reads the patterns from the last parentheses, so the description
        // keeps its words and gets the converted patterns.
        const qsizetype open = description.lastIndexOf(QLatin1Char('('));
        if (open > 0 && description.endsWith(QLatin1Char(')')))
            description = description.left(open).trimmed();
        QStringList patterns = parts.at(i + 1).split(QLatin1Char(';'), Qt::SkipEmptyParts);
        for (QString& pattern : patterns) {
            pattern = pattern.trimmed();
            if (pattern == QLatin1String("*.*"))
                pattern = QStringLiteral("*");  // every file, with or without a dot
        }
        filters.append(description + QStringLiteral(" (") + patterns.join(QLatin1Char(' ')) + QLatin1Char(')'));
    }
    return filters.join(QStringLiteral(";;"));
}

bool ShellOpenFile(const QString& file)
{
    return Platform::launcher().openUrl(QUrl::fromEncoded(FileUri(file)));
}

void DragForm(QWidget* window)
{
    if (window && window->window()->windowHandle())
        window->window()->windowHandle()->startSystemMove();
}

std::function<bool()> LoadStopCheck(const LoadFlags& load)
{
    return [&load, sinceEvents = QElapsedTimer()]() mutable {
        constexpr qint64 EventsEveryMs = 100;
        static bool inEvents = false;  // a decode in those events does not let more run
        const QCoreApplication* app = QCoreApplication::instance();
        if (app && QThread::currentThread() == app->thread() && load.IsLoading && !inEvents) {
            if (!sinceEvents.isValid()) {
                sinceEvents.start();
            } else if (sinceEvents.elapsed() >= EventsEveryMs) {
                inEvents = true;
                QCoreApplication::processEvents();
                inEvents = false;
                sinceEvents.start();
            }
        }
        return load.StopLoading.load();
    };
}

void Pause(double dMs, const bool& bCancel)
{
    QElapsedTimer clock;
    clock.start();
    // The timer only wakes the event loop at the deadline; between events the
    // thread sleeps.
    QTimer wake;
    wake.setSingleShot(true);
    wake.setTimerType(Qt::PreciseTimer);
    do {
        const double remaining = dMs - double(clock.elapsed());
        if (remaining >= 0 && !wake.isActive())
            wake.start(int(std::min(std::ceil(remaining), 1e9)) + 1);
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    } while (!bCancel && double(clock.elapsed()) <= dMs);
}
