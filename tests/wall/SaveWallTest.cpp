#include "shell/MainModule.h"
#include "support/FakePlatform.h"
#include "support/TestImages.h"
#include "support/TestWall.h"
#include "wall/SaveWall.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

const QString Saved =
    "File saved.\nNote: only the image paths are saved so the file will only work on this computer.";

struct SaveFixture : ::testing::Test {
    FakePlatform platform;
    QTemporaryDir dir;
    TestWall wall{10, 10};
    QStringList asked;

    // Saves through a dialog that answers `answer`.
    void save(const QString& answer)
    {
        mnuSave_Click(wall.ctx, [&](const QString& title, bool forSaving) {
            asked.append(title + (forSaving ? " (save)" : " (open)"));
            return answer;
        });
    }
    QString image(const QString& name)
    {
        const QString path = dir.filePath(name);
        TestImages::write(path, "x");
        return path;
    }
    static QByteArray bytes(const QString& path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<none>");
    }
    QStringList texts() const
    {
        QStringList found;
        for (const AskedMessage& message : platform.messages)
            found.append(message.text);
        return found;
    }
};

} // namespace

TEST_F(SaveFixture, ALoneTextGivesThirteenBytesAndTheSavedMessage)
{
    wall.cells.setCellText(2, 5, "Hello");
    const QString path = dir.filePath("hello.wall");
    save(path);
    EXPECT_EQ(bytes(path), "2,5,Hello\r\n\r\n");
    EXPECT_EQ(asked, QStringList{"Save File (save)"});
    ASSERT_EQ(platform.messages.size(), 1);
    EXPECT_EQ(platform.messages[0].text, Saved);
    EXPECT_TRUE(platform.messages[0].icon == MsgIcon::Information && platform.messages[0].title == AppTitle);
    EXPECT_TRUE(wall.state.StopSlideshow);
}

TEST_F(SaveFixture, RecordsFollowTheGridRowByRowAndOnlyExistingFilesCount)
{
    const QString a = image("a.jpg"), b = image("b.jpg"), gone = image("gone.jpg");
    const QImage picture(4, 4, QImage::Format_RGB32);
    wall.cells.setImage(3, 1, picture, b);
    wall.cells.setImage(0, 0, picture, a);
    wall.cells.setCellText(0, 0, "text of an image");  // the path is what counts
    wall.cells.setCellText(0, 9, "a, b,c");
    wall.cells.setCellText(1, 2, ",");  // not empty before its commas go
    wall.cells.setImage(2, 2, picture, gone);
    QFile::remove(gone);
    // A cell that a search hides keeps its picture in the data slot.
    wall.cells.setCellData(4, 4, picture);
    wall.cells.setCellText(4, 4, a);
    wall.cells.setCellForeColor(9, 9, Qt::white);  // coloured but empty
    const QString path = dir.filePath("wall.wall");
    save(path);
    EXPECT_EQ(bytes(path), ("0,0," + a + "\r\n0,9,a bc\r\n1,2,\r\n3,1," + b + "\r\n\r\n").toUtf8());
    EXPECT_EQ(texts(), QStringList{Saved});
}

TEST_F(SaveFixture, ACommaInAnImagePathRenamesTheFileAndTheCellFollows)
{
    const QString comma = image("a,b.jpg");
    const QString plain = dir.filePath("ab.jpg");
    wall.cells.setImage(1, 1, QImage(4, 4, QImage::Format_RGB32), comma);
    const QString path = dir.filePath("w.wall");
    save(path);
    EXPECT_EQ(bytes(path), ("1,1," + plain + "\r\n\r\n").toUtf8());
    EXPECT_FALSE(QFile::exists(comma));
    EXPECT_EQ(bytes(plain), "x");
    EXPECT_EQ(wall.cells.CellData(1, 1), plain);
    EXPECT_FALSE(wall.cells.CellPicture(1, 1).isNull());

    // A second save finds the image under its new name.
    save(path);
    EXPECT_EQ(bytes(path), ("1,1," + plain + "\r\n\r\n").toUtf8());
}

TEST_F(SaveFixture, ARenameThatWouldReplaceAFileIsReportedAndNothingIsWritten)
{
    const QString comma = image("c,d.jpg");
    TestImages::write(dir.filePath("cd.jpg"), "other");
    wall.cells.setImage(0, 0, QImage(4, 4, QImage::Format_RGB32), comma);
    const QString path = dir.filePath("w.wall");
    TestImages::write(path, "old");
    save(path);
    EXPECT_EQ(bytes(path), "old");
    EXPECT_EQ(bytes(dir.filePath("cd.jpg")), "other");
    EXPECT_EQ(bytes(comma), "x");
    EXPECT_EQ(wall.cells.CellData(0, 0), comma);
    ASSERT_EQ(platform.messages.size(), 1);
    EXPECT_TRUE(platform.messages[0].text.startsWith(
        "An error has occurred in form: frmMain and procedure: mnuSave_Click (Pavisto)\nNumber: 58\n"));
}

TEST_F(SaveFixture, TheExtensionIsCheckedInAnyCaseAndACancelSaysNothing)
{
    wall.cells.setCellText(0, 0, "t");
    save("");
    EXPECT_TRUE(platform.messages.isEmpty());
    EXPECT_TRUE(wall.state.StopSlideshow);

    const QString shortName = dir.filePath("w.wal");
    save(shortName);
    EXPECT_FALSE(QFile::exists(shortName));
    ASSERT_EQ(platform.messages.size(), 1);
    EXPECT_EQ(platform.messages[0].text, "The file must have the .wall extension.");
    EXPECT_EQ(platform.messages[0].icon, MsgIcon::Information);

    const QString capitals = dir.filePath("W.WALL");
    save(capitals);
    EXPECT_EQ(bytes(capitals), "0,0,t\r\n\r\n");
}

TEST_F(SaveFixture, SavingAgainReplacesTheWholeFile)
{
    for (int c = 0; c < 10; ++c)
        wall.cells.setCellText(0, c, "long text number " + QString::number(c));
    const QString path = dir.filePath("w.wall");
    save(path);
    wall.cells.Clear();
    wall.cells.setCellText(9, 9, "z");
    save(path);
    EXPECT_EQ(bytes(path), "9,9,z\r\n\r\n");
}

TEST_F(SaveFixture, AnEmptyWallOrAFailedWriteIsNotCalledSaved)
{
    const QString path = dir.filePath("w.wall");
    TestImages::write(path, "old");
    wall.cells.setCellText(5, 5, "");
    save(path);
    EXPECT_EQ(bytes(path), "old");
    EXPECT_EQ(texts(), QStringList{"Nothing was saved: no cell holds an image or a text."});

    platform.messages.clear();
    wall.cells.setCellText(5, 5, "t");
    const QString unwritable = dir.filePath("no/such/folder/w.wall");
    save(unwritable);
    ASSERT_EQ(platform.messages.size(), 2);
    EXPECT_TRUE(platform.messages[0].text.startsWith("WriteNewFile: 75 "));
    EXPECT_EQ(platform.messages[1].text, "The wall was not saved to " + unwritable + ".");
    EXPECT_EQ(platform.messages[1].icon, MsgIcon::Exclamation);
}
