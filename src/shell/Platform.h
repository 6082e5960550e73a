#pragma once

#include <QString>
#include <QUrl>
#include <QtGlobal>
#include <optional>

class QWidget;

// The seams between Pavisto and the desktop: every dialog, every launch and
// the free-memory readout go through one of these, so tests can script them.

enum class MsgIcon { None, Information, Exclamation, Critical, Question };
// YesNoDefaultNo: Return answers No, for a question whose Yes loses something.
enum class MsgButtons { Ok, OkCancel, YesNo, YesNoCancel, YesNoDefaultNo };
enum class MsgAnswer { Ok, Cancel, Yes, No };

struct FileRequest {
    QString title;
    QString filter;      // Qt's syntax: "Desc (*.a *.b);;Desc (*)"
    QString defaultExt;  // added to a typed name that has none
    bool save = false;
    QString startName;
};

class Prompts {
public:
    virtual ~Prompts() = default;
    virtual MsgAnswer message(const QString& text, const QString& title, MsgIcon icon, MsgButtons buttons) = 0;
    // std::nullopt when the user cancels.
    virtual std::optional<QString> input(const QString& prompt, const QString& title, const QString& value) = 0;
    // "" when cancelled.
    virtual QString folder(const QString& prompt) = 0;
    virtual QString file(const FileRequest& request) = 0;
};

class Launcher {
public:
    virtual ~Launcher() = default;
    virtual bool openUrl(const QUrl& url) = 0;
};

// The progress of a long file operation. Shown only once the operation has
// run about a second, so short ones never flash a window.
class Progress {
public:
    virtual ~Progress() = default;
    virtual void begin(const QString& label, int total) = 0;
    // `done` of the total are finished; true when the user asked to cancel.
    virtual bool advance(int done) = 0;
    virtual void end() = 0;
};

class MemoryStatus {
public:
    virtual ~MemoryStatus() = default;
    // Free physical memory in bytes, capped at 2,147,483,647.
    virtual qint64 availablePhysical() = 0;
};

namespace Platform {
// The window that owns every dialog, set by the main window.
void setDialogOwner(QWidget* owner);
QWidget* dialogOwner();

Prompts& prompts();
Launcher& launcher();
MemoryStatus& memory();
Progress& progress();

// Tests put scripted stand-ins in place; nullptr restores the real ones.
// The caller keeps ownership.
void setPrompts(Prompts* prompts);
void setLauncher(Launcher* launcher);
void setMemory(MemoryStatus* memory);
void setProgress(Progress* progress);

// MemAvailable of a /proc/meminfo text, in bytes, capped; nullopt if absent.
std::optional<qint64> parseMemAvailable(const QByteArray& meminfo);
}
