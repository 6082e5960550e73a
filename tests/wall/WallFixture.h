#pragma once

#include "support/FakePlatform.h"
#include "support/TestImages.h"
#include "support/TestWall.h"
#include "wall/WallDialog.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

// A 10 x 10 wall with scripted dialogs and a folder for its files.
struct WallFixture : ::testing::Test {
    FakePlatform platform;
    QTemporaryDir dir;
    TestWall wall{10, 10};
    QStringList asked;  // the wall file dialogs shown

    // A wall file dialog that answers `answer`.
    AskWallFile dialog(const QString& answer)
    {
        return [this, answer](const QString& title, bool save) {
            asked.append(title + (save ? " (save)" : " (open)"));
            return answer;
        };
    }
    QString write(const QString& name, const QByteArray& bytes)
    {
        TestImages::write(dir.filePath(name), bytes);
        return dir.filePath(name);
    }
    static QByteArray bytes(const QString& path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<none>");
    }
    QStringList messageTexts() const
    {
        QStringList texts;
        for (const AskedMessage& message : platform.messages)
            texts.append(message.text);
        return texts;
    }
};
