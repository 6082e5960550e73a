#include "support/FakePlatform.h"

namespace {
template <class T>
T takeFront(std::deque<T>& queue, T fallback)
{
    if (queue.empty())
        return fallback;
    T value = std::move(queue.front());
    queue.pop_front();
    return value;
}
} // namespace

FakePlatform::FakePlatform()
{
    Platform::setPrompts(this);
    Platform::setLauncher(this);
    Platform::setMemory(this);
}

FakePlatform::~FakePlatform()
{
    Platform::setPrompts(nullptr);
    Platform::setLauncher(nullptr);
    Platform::setMemory(nullptr);
}

MsgAnswer FakePlatform::message(QWidget*, const QString& text, const QString& title, MsgIcon icon,
                                MsgButtons buttons)
{
    messages.append({text, title, icon, buttons});
    if (onMessage)
        onMessage();
    return takeFront(messageAnswers, MsgAnswer::Ok);
}

std::optional<QString> FakePlatform::input(QWidget*, const QString&, const QString&, const QString&)
{
    return std::nullopt;
}

QString FakePlatform::folder(QWidget*, const QString& prompt)
{
    folderPrompts.append(prompt);
    return takeFront(folderAnswers, QString());
}

QString FakePlatform::file(QWidget*, const FileRequest& request)
{
    fileRequests.append(request);
    return takeFront(fileAnswers, QString());
}

bool FakePlatform::openUrl(const QUrl& url)
{
    opened.append(url);
    return true;
}
