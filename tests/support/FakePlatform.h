#pragma once

#include "shell/Platform.h"

#include <QList>
#include <QStringList>

// Scripted stand-ins for every dialog, launch and memory reading. Installing
// one replaces the real seams until it goes out of scope.
struct AskedMessage {
    QString text, title;
    MsgIcon icon;
    MsgButtons buttons = MsgButtons::Ok;
};

struct AskedInput {
    QString prompt, title, value;
};

class FakePlatform final : public Prompts, public Launcher, public MemoryStatus, public Progress {
public:
    FakePlatform() { install(this); }
    ~FakePlatform() override { install(nullptr); }

    // Answers used in order; when they run out: OK (or Yes, or the default
    // No), cancel, "" (cancel).
    QList<MsgAnswer> messageAnswers;
    QList<std::optional<QString>> inputAnswers;
    QStringList folderAnswers, fileAnswers;
    qint64 freeMemory = 4LL << 30;
    QList<AskedMessage> messages;
    QList<AskedInput> inputs;
    QStringList folderPrompts, folderStarts;
    QList<FileRequest> fileRequests;
    QList<QUrl> opened;
    // Progress runs as "label/total", and the step at which the user
    // presses Cancel (none when -1).
    QStringList progressRuns;
    int cancelAtStep = -1;
    int progressEnds = 0;

    MsgAnswer message(const QString& text, const QString& title, MsgIcon icon, MsgButtons buttons) override
    {
        messages.append({text, title, icon, buttons});
        const bool yesNo = buttons == MsgButtons::YesNo || buttons == MsgButtons::YesNoCancel;
        return next(messageAnswers, buttons == MsgButtons::YesNoDefaultNo ? MsgAnswer::No
                                    : yesNo                               ? MsgAnswer::Yes
                                                                          : MsgAnswer::Ok);
    }
    std::optional<QString> input(const QString& prompt, const QString& title, const QString& value) override
    {
        inputs.append({prompt, title, value});
        return next(inputAnswers, std::optional<QString>());
    }
    QString folder(const QString& prompt, const QString& startFolder) override
    {
        folderPrompts.append(prompt);
        folderStarts.append(startFolder);
        return next(folderAnswers, QString());
    }
    QString file(const FileRequest& request) override
    {
        fileRequests.append(request);
        return next(fileAnswers, QString());
    }
    QStringList texts() const
    {
        QStringList shown;
        for (const AskedMessage& message : messages)
            shown.append(message.text);
        return shown;
    }
    bool openUrl(const QUrl& url) override
    {
        opened.append(url);
        return true;
    }
    qint64 availablePhysical() override { return freeMemory; }
    void begin(const QString& label, int total) override { progressRuns.append(label + '/' + QString::number(total)); }
    bool advance(int done) override { return cancelAtStep >= 0 && done >= cancelAtStep; }
    void end() override { ++progressEnds; }

private:
    template <class T> static T next(QList<T>& answers, const T& otherwise)
    {
        return answers.isEmpty() ? otherwise : answers.takeFirst();
    }
    static void install(FakePlatform* fake)
    {
        Platform::setPrompts(fake);
        Platform::setLauncher(fake);
        Platform::setMemory(fake);
        Platform::setProgress(fake);
    }
};
