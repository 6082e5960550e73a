#include "WallFixture.h"
#include "shell/FileNames.h"
#include "shell/MainState.h"
#include "wall/SaveWall.h"

namespace {

struct SaveFixture : WallFixture {
    const QString path = dir.filePath("W.WALL");
    void save(const QString& answer) { SaveWall(wall.ctx, dialog(answer)); }
};

} // namespace

TEST_F(SaveFixture, RecordsFollowTheGridRowByRowAndOnlyAWallReallyWrittenIsCalledSaved)
{
    save(write("kept.wall", "old"));  // an empty wall
    const QString a = write("a.jpg", "x"), b = write("b.jpg", "x");
    place(3, 1, b);
    place(0, 0, a);
    wall.cells.setCellText(0, 0, "text of an image");  // the path is what counts
    wall.cells.setCellText(0, 9, "a, b,c");  // read back whole: the value runs to the line's end
    wall.cells.setCellText(1, 2, ",");
    // A file gone since it was placed keeps its record: it comes back as text.
    place(2, 2, dir.filePath("gone.jpg"));
    // An image that a search hides keeps its record too.
    place(4, 4, b);
    wall.cells.hideImage(4, 4);
    save("");
    save(dir.filePath("w.wal"));
    const QString unwritable = dir.filePath("no/such/folder/w.wall");
    save(unwritable);
    save(path);
    EXPECT_EQ(TestImages::read(path), ("0,0," + a + "\r\n0,9,a, b,c\r\n1,2,,\r\n2,2," + dir.filePath("gone.jpg")
                                       + "\r\n3,1," + b + "\r\n4,4," + b + "\r\n\r\n")
                                          .toUtf8());
    EXPECT_TRUE(TestImages::read(dir.filePath("kept.wall")) == "old" && !QFile::exists(dir.filePath("w.wal")));
    EXPECT_EQ(platform.texts(), (QStringList{"Nothing was saved: no cell holds an image or a text.",
                                             "The file must have the .wall extension.",
                                             "The wall was not saved to " + unwritable + ".",
                                             "File saved.\nNote: only the image paths are saved so the file will "
                                             "only work on this computer.\n\n1 texts written on images are not "
                                             "kept in a wall file."}));
    EXPECT_TRUE(platform.messages.last().icon == MsgIcon::Exclamation && wall.state.StopSlideshow);
}

TEST_F(SaveFixture, ACommaLeavesAFileNameWhereThatNameIsFreeAndEveryOtherPathIsWrittenAsItStands)
{
    const QString comma = write("a,b.jpg", "x"), plain = dir.filePath("ab.jpg");
    place(1, 1, comma);
    place(1, 2, comma);  // the same file twice: both cells follow it
    const QString taken = write("c,d.jpg", "x");
    write("cd.jpg", "other");
    place(2, 0, taken);
    const QString inFolder = write("Paris, 2019/e,f.jpg", "x");
    place(3, 0, inFolder);
    place(4, 0, dir.filePath("gone,g.jpg"));
    // Renamed only for a wall that is written.
    save(dir.filePath("no/such/folder/w.wall"));
    platform.messageAnswers = {MsgAnswer::No};
    wall.state.PartialWallPath = CanonicalPath(write("part.wall", "")), wall.state.PartialWallRecords = 9;
    save(dir.filePath("part.wall"));
    EXPECT_TRUE(QFile::exists(comma) && wall.cells.CellData(1, 1) == comma && platform.messages.size() == 2);
    save(path);
    EXPECT_EQ(TestImages::read(path), ("1,1," + plain + "\r\n1,2," + plain + "\r\n2,0," + taken + "\r\n3,0," + inFolder
                                       + "\r\n4,0," + dir.filePath("gone,g.jpg") + "\r\n\r\n")
                                          .toUtf8());
    EXPECT_TRUE(!QFile::exists(comma) && TestImages::read(plain) == "x" && wall.cells.CellData(1, 2) == plain);
    EXPECT_TRUE(TestImages::read(dir.filePath("cd.jpg")) == "other" && QFile::exists(taken) && QFile::exists(inFolder));
    EXPECT_TRUE(wall.cells.CellData(2, 0) == taken && lastMessage().startsWith("File saved."));
}

TEST_F(SaveFixture, AValueWithALineBreakIsLeftOutAndTheUserToldHowMany)
{
    const QString broken = write("two\nlines.jpg", "x");
    place(0, 0, broken);
    place(0, 1, write("fine.jpg", "x"));
    wall.cells.setCellText(1, 0, "a\rb");
    save(path);
    EXPECT_EQ(TestImages::read(path), ("0,1," + dir.filePath("fine.jpg") + "\r\n\r\n").toUtf8());
    EXPECT_EQ(lastMessage(), "File saved.\nNote: only the image paths are saved so the file will only work on this "
                             "computer.\n\n2 cells were left out: a line break in a file name or text cannot be "
                             "written into a wall file.");
    EXPECT_EQ(platform.messages.last().icon, MsgIcon::Exclamation);
}
