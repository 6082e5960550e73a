#pragma once

#include <QString>
#include <QUrl>
#include <QtGlobal>
#include <optional>

class QWidget;

// The seams between Pavisto and the desktop: every dialog, every launch and
// the free-memory readout go through one of these, so tests can script them.

enum class MsgIcon { None, Information, Exclamation, Critical, Question };
enum class MsgButtons { Ok, OkCancel, YesNo, YesNoCancel };
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
    virtual MsgAnswer message(QWidget* owner, const QString& text, const QString& title, MsgIcon icon,
                              MsgButtons buttons) = 0;
    // std::nullopt when the user cancels.
    virtual std::optional<QString> input(QWidget* owner, const QString& prompt, const QString& title,
                                         const QString& value) = 0;
    // "" when cancelled.
    virtual QString folder(QWidget* owner, const QString& prompt) = 0;
    virtual QString file(QWidget* owner, const FileRequest& request) = 0;
};

class Launcher {
public:
    virtual ~Launcher() = default;
    virtual bool openUrl(const QUrl& url) = 0;
};

class MemoryStatus {
public:
    virtual ~MemoryStatus() = default;
    // Free physical memory in bytes, capped at 2,147,483,647.
    virtual qint64 availablePhysical() = 0;
};

namespace Platform {
Prompts& prompts();
Launcher& launcher();
MemoryStatus& memory();

// Tests put scripted stand-ins in place; nullptr restores the real ones.
// The caller keeps ownership.
void setPrompts(Prompts* prompts);
void setLauncher(Launcher* launcher);
void setMemory(MemoryStatus* memory);

// MemAvailable of a /proc/meminfo text, in bytes, capped; nullopt if absent.
std::optional<qint64> parseMemAvailable(const QByteArray& meminfo);
}
