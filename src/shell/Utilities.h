#pragma once

#include "shell/AppError.h"
#include "shell/Platform.h"

#include <QString>

#include <functional>

class QWidget;
struct LoadFlags;

// The standard ending of a failed command: default pointer, then (when there
// is an error) the message naming the window, the procedure and the error.
void ReportError(const QString& formName, const QString& procName, const AppError& error);

// The two ways a handler treats errors. Skip: the failing step is passed over
// and the handler goes on. Report: the standard report ends the handler.
template <class Step>
void SkipErrors(Step&& step) noexcept
{
    try {
        step();
    } catch (...) {
    }
}

template <class Body>
bool RunReported(const QString& formName, const QString& procName, Body&& body)
{
    try {
        body();
        return true;
    } catch (...) {
        ReportError(formName, procName, AppError::current());
        return false;
    }
}

// A message box owned by the main window (the dialogs' owner), titled with the program's title
// unless another is given.
MsgAnswer MsgBox(const QString& text, MsgIcon icon, MsgButtons buttons = MsgButtons::Ok,
                 const QString& title = {});

// The message for a folder that cannot be read, then the help page on it.
void ReportFolderNotAccessible(const QString& folder);

// Hourglass while a command works; the default pointer removes every
// override, however many were set.
void ShowBusyPointer();
void ShowDefaultPointer();

bool FileExists(const QString& path);
bool FolderExists(const QString& path);
QString FileNameFromPath(const QString& path);
QString TrimAll(const QString& text);
// `text` in the locale's encoding; a CR LF follows it.
QString WriteNewFile(const QString& path, const QByteArray& text);

// The folder picker and the file dialog, owned by the main window. Each
// starts in the folder last chosen for the same prompt or title in this
// run; the first time in the user's Pictures folder, else at home. A name
// the dialog could not read back to its bytes is mapped to the entry on
// disk it shows.
QString BrowseForFolder(const QString& title);
QString AskForFile(FileRequest request);
// "Desc|pattern|Desc|pattern" as Qt's file dialogs take it.
QString QtFileFilter(const QString& filter);
bool ShellOpenFile(const QString& file);
void DragForm(QWidget* window);
// Whether the running load was asked to stop, as a decode asks on any
// thread. Asked on the window's thread during a load, once the decode has
// gone on a while it lets queued events run now and then, so Stop or a
// close is seen in the middle of a large picture.
std::function<bool()> LoadStopCheck(const LoadFlags& load);
// Lets events run until dMs milliseconds have passed or bCancel is set by
// one of them. Sleeps between events instead of spinning.
void Pause(double dMs, const bool& bCancel);
