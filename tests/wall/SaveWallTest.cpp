#include "WallFixture.h"
#include "wall/SaveWall.h"

namespace {

struct SaveFixture : WallFixture {
    const QString path = dir.filePath("W.WALL");
    void save(const QString& answer) { mnuSave_Click(wall.ctx, dialog(answer)); }
};

} // namespace

TEST_F(SaveFixture, RecordsFollowTheGridRowByRowAndOnlyAWallReallyWrittenIsCalledSaved)
{
    save(write("kept.wall", "old"));  // an empty wall
    const QString a = write("a.jpg", "x"), b = write("b.jpg", "x");
    place(3, 1, b);
    place(0, 0, a);
    wall.cells.setCellText(0, 0, "text of an image");  // the path is what counts
    wall.cells.setCellText(0, 9, "a, b,c");
    wall.cells.setCellText(1, 2, ",");  // not empty before its commas go
    place(2, 2, dir.filePath("gone.jpg"));
    // A cell that a search hides holds its picture in the data slot.
    wall.cells.setCellData(4, 4, QImage(4, 4, QImage::Format_RGB32));
    wall.cells.setCellText(4, 4, a);
    save("");
    save(dir.filePath("w.wal"));
    const QString unwritable = dir.filePath("no/such/folder/w.wall");
    save(unwritable);
    save(path);
    EXPECT_EQ(TestImages::read(path), ("0,0," + a + "\r\n0,9,a bc\r\n1,2,\r\n3,1," + b + "\r\n\r\n").toUtf8());
    EXPECT_TRUE(TestImages::read(dir.filePath("kept.wall")) == "old" && !QFile::exists(dir.filePath("w.wal")));
    // The wrong extension's message and the failed write's own report come between.
    const QStringList told = platform.texts();
    EXPECT_EQ(told.value(0), "Nothing was saved: no cell holds an image or a text.");
    EXPECT_EQ(told.mid(3), (QStringList{"The wall was not saved to " + unwritable + ".",
                                        "File saved.\nNote: only the image paths are saved so the file will only "
                                        "work on this computer."}));
    EXPECT_TRUE(platform.messages.last().icon == MsgIcon::Information && wall.state.StopSlideshow);
}

TEST_F(SaveFixture, ACommaInAnImagePathRenamesTheFileAndTheCellFollowsUnlessTheNameIsTaken)
{
    const QString comma = write("a,b.jpg", "x"), plain = dir.filePath("ab.jpg");
    place(1, 1, comma);
    save(path);
    EXPECT_EQ(TestImages::read(path), ("1,1," + plain + "\r\n\r\n").toUtf8());
    EXPECT_TRUE(!QFile::exists(comma) && TestImages::read(plain) == "x" && wall.cells.CellData(1, 1) == plain);

    const QString taken = write("c,d.jpg", "x");
    write("cd.jpg", "other");
    place(0, 0, taken);
    save(path);
    EXPECT_TRUE(TestImages::read(dir.filePath("cd.jpg")) == "other" && wall.cells.CellData(0, 0) == taken);
    EXPECT_TRUE(reported("mnuSave_Click", 58));
}
