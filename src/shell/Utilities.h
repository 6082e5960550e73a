#pragma once

#include "shell/AppError.h"
#include "shell/Platform.h"

#include <QString>

class QWidget;

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
QString GetTempFolder();
// `text` in the locale's encoding; a CR LF follows it.
QString WriteNewFile(const QString& path, const QByteArray& text);

// The folder picker, owned by the main window.
QString BrowseForFolder(const QString& title);
// "Desc|pattern|Desc|pattern" as Qt's file dialogs take it.
QString QtFileFilter(const QString& filter);
bool ShellOpenFile(const QString& file);
void DragForm(QWidget* window);
// Lets events run until dMs milliseconds have passed or bCancel is set by
// one of them. Sleeps between events instead of spinning.
void Pause(double dMs, const bool& bCancel);
