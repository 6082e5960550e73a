#include "WallFixture.h"
#include "wall/SaveWall.h"

namespace {

struct SaveFixture : WallFixture {
    const QString path = dir.filePath("W.WALL");
    void save(const QString& answer) { mnuSave_Click(wall.ctx, dialog(answer)); }
};

} // namespace

TEST_F(SaveFixture, RecordsFollowTheGridRowByRowOnlyExistingFilesCountAndASaveReplacesTheFile)
{
    wall.cells.setCellText(2, 5, "Hello");
    save(path);
    EXPECT_EQ(TestImages::read(path), "2,5,Hello\r\n\r\n");
    const QString a = write("a.jpg", "x"), b = write("b.jpg", "x");
    wall.cells.setCellText(2, 5, "");
    place(3, 1, b);
    place(0, 0, a);
    wall.cells.setCellText(0, 0, "text of an image");  // the path is what counts
    wall.cells.setCellText(0, 9, "a, b,c");
    wall.cells.setCellText(1, 2, ",");  // not empty before its commas go
    place(2, 2, dir.filePath("gone.jpg"));
    // A cell that a search hides holds its picture in the data slot.
    wall.cells.setCellData(4, 4, QImage(4, 4, QImage::Format_RGB32));
    wall.cells.setCellText(4, 4, a);
    save(path);
    EXPECT_EQ(TestImages::read(path), ("0,0," + a + "\r\n0,9,a bc\r\n1,2,\r\n3,1," + b + "\r\n\r\n").toUtf8());
    EXPECT_EQ(asked, QStringList(2, "Save File (save)"));
    EXPECT_EQ(platform.texts(), QStringList(2, "File saved.\nNote: only the image paths are saved so the file will "
                                             "only work on this computer."));
    EXPECT_TRUE(platform.messages[0].icon == MsgIcon::Information && wall.state.StopSlideshow);
}

TEST_F(SaveFixture, ACommaInAnImagePathRenamesTheFileAndTheCellFollowsUnlessTheNameIsTaken)
{
    const QString comma = write("a,b.jpg", "x"), plain = dir.filePath("ab.jpg");
    place(1, 1, comma);
    save(path);
    save(path);  // finds the image under its new name
    EXPECT_EQ(TestImages::read(path), ("1,1," + plain + "\r\n\r\n").toUtf8());
    EXPECT_TRUE(!QFile::exists(comma) && TestImages::read(plain) == "x" && wall.cells.CellData(1, 1) == plain);

    const QString taken = write("c,d.jpg", "x");
    write("cd.jpg", "other");
    place(0, 0, taken);
    save(path);
    EXPECT_EQ(TestImages::read(path), ("1,1," + plain + "\r\n\r\n").toUtf8());
    EXPECT_TRUE(TestImages::read(dir.filePath("cd.jpg")) == "other" && wall.cells.CellData(0, 0) == taken);
    EXPECT_TRUE(platform.texts().value(2).startsWith(
        "An error has occurred in form: frmMain and procedure: mnuSave_Click (Pavisto)\nNumber: 58\n"));
}

TEST_F(SaveFixture, AWrongExtensionACancelAnEmptyWallOrAFailedWriteAreNotCalledSaved)
{
    wall.cells.setCellText(5, 5, "t");
    save("");
    save(dir.filePath("w.wal"));
    const QString unwritable = dir.filePath("no/such/folder/w.wall");
    save(unwritable);
    wall.cells.setCellText(5, 5, "");
    save(write("kept.wall", "old"));
    EXPECT_TRUE(TestImages::read(dir.filePath("kept.wall")) == "old" && !QFile::exists(dir.filePath("w.wal")));
    ASSERT_EQ(platform.messages.size(), 4);
    EXPECT_EQ(platform.messages[0].text, "The file must have the .wall extension.");
    EXPECT_TRUE(platform.messages[1].text.startsWith("WriteNewFile: 75 "));
    EXPECT_EQ(platform.messages[2].text, "The wall was not saved to " + unwritable + ".");
    EXPECT_EQ(platform.messages[3].text, "Nothing was saved: no cell holds an image or a text.");
}
