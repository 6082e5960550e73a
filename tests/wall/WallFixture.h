#pragma once

#include "grid/SortTable.h"
#include "shell/Caption.h"
#include "shell/Utilities.h"
#include "support/FakePlatform.h"
#include "support/RawFolder.h"
#include "support/TestImages.h"
#include "support/TestWall.h"
#include "wall/CellText.h"
#include "wall/CopyMove.h"
#include "wall/FileOperations.h"
#include "wall/OpenWall.h"
#include "wall/Options.h"
#include "wall/SaveWall.h"
#include "wall/Search.h"
#include "wall/Sort.h"
#include "wall/UnsavedWall.h"
#include "wall/WallDigest.h"
#include "wall/WallFormat.h"

#include <QBuffer>
#include <QDateTime>
#include <QDir>
#include <QLocale>
#include <QStorageInfo>
#include <gtest/gtest.h>

#include <sys/stat.h>

// A 10 x 10 wall with scripted dialogs and a folder for its files.
struct WallFixture : ::testing::Test {
    FakePlatform platform;
    QTemporaryDir dir;
    TestWall wall{10, 10};

    // A wall file dialog that answers `answer`.
    static AskWallFile dialog(const QString& answer) { return [answer](const QString&, bool) { return answer; }; }
    // The records of a wall file in its order.
    static QList<WallRecord> records(const QByteArray& bytes)
    {
        QBuffer file;
        file.setData(bytes);
        file.open(QIODevice::ReadOnly);
        WallReader reader(file);
        QList<WallRecord> found;
        while (!reader.atEnd())
            if (std::optional<WallRecord> record = reader.next())
                found.append(*record);
        return found;
    }
    // Every entry of a folder, hidden ones too, as "name=content".
    static QString entries(const QString& folder)
    {
        QStringList seen;
        for (const QFileInfo& entry : QDir(folder).entryInfoList(
                 QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name))
            seen.append(entry.fileName() + (entry.isFile() ? "=" + TestImages::read(entry.filePath()) : ""));
        return seen.join(' ');
    }
    QString write(const QString& name, const QByteArray& bytes)
    {
        return TestImages::write(dir.filePath(name), bytes);
    }
    // An image in a cell: a small picture and its file's path.
    void place(int r, int c, const QString& path)
    {
        wall.cells.setImage(r, c, QImage(4, 4, QImage::Format_RGB32), path);
    }
    QString lastMessage() const { return platform.texts().value(platform.messages.size() - 1); }
    // Whether the last message is the standard report of a failure in `proc`.
    bool reported(const QString& proc, int number) const
    {
        return lastMessage().startsWith("An error has occurred in form: frmMain and procedure: " + proc
                                        + " (Pavisto)\nNumber: " + QString::number(number) + "\n");
    }
};
