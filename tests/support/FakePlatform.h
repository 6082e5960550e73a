#pragma once

#include "shell/Platform.h"

#include <QList>
#include <QStringList>
#include <deque>
#include <functional>

// Scripted stand-ins for every dialog, launch and memory reading. Installing
// one replaces the real seams until it goes out of scope.
struct AskedMessage {
    QString text;
    QString title;
    MsgIcon icon;
    MsgButtons buttons;
};

class FakePlatform final : public Prompts, public Launcher, public MemoryStatus {
public:
    FakePlatform();
    ~FakePlatform() override;

    // Answers, used in order; when a queue is empty: Ok, "" and cancel.
    std::deque<MsgAnswer> messageAnswers;
    std::deque<QString> folderAnswers;
    std::deque<QString> fileAnswers;
    qint64 freeMemory = 4LL * 1024 * 1024 * 1024;
    // Run while a message box would be up (to act during a load's message).
    std::function<void()> onMessage;

    QList<AskedMessage> messages;
    QStringList folderPrompts;
    QList<FileRequest> fileRequests;
    QList<QUrl> opened;

    MsgAnswer message(QWidget* owner, const QString& text, const QString& title, MsgIcon icon,
                      MsgButtons buttons) override;
    std::optional<QString> input(QWidget* owner, const QString& prompt, const QString& title,
                                 const QString& value) override;
    QString folder(QWidget* owner, const QString& prompt) override;
    QString file(QWidget* owner, const FileRequest& request) override;
    bool openUrl(const QUrl& url) override;
    qint64 availablePhysical() override { return freeMemory; }
};
