#include "WallFixture.h"

namespace {

struct WallFile : WallFixture {
    void open(const QString& path) { OpenWallFile(wall.ctx, path, dialog({})); }
    void save(const QString& path) { SaveWall(wall.ctx, dialog(path)); }
};

} // namespace

TEST(WallFormat, LinesAreRecordsOnlyWithPlainIndexesAndAValueToTheLineEnd)
{
    EXPECT_TRUE(HasWallExtension("/a/B.WaLL") && !HasWallExtension("/a/b.wal") && !HasWallExtension("/a/bwall"));
    EXPECT_EQ(ParseWallLine(" 2 ,\t5,  Hello"), (WallRecord{2, 5, "Hello"}));
    EXPECT_EQ(ParseWallLine("007,0,\"q\" a,b "), (WallRecord{7, 0, "\"q\" a,b "}));
    EXPECT_EQ(ParseWallLine("2147483646,2147483646,"), (WallRecord{MaxWallIndex, MaxWallIndex, ""}));
    for (const char* line : {"", "2,5", ",5,x", "a,5,x", "2,-5,x", "+2,5,x", "2 3,1,x", "2147483647,0,x",
                             "0,4294967297,x", "99999999999999999999,0,x"})
        EXPECT_EQ(ParseWallLine(line), std::nullopt) << line;
    EXPECT_EQ(ParseWallLine(QByteArrayView("1,1,a\0b", 7)), std::nullopt);
}

TEST(WallFormat, LinesAcrossTheReadersBlocksAreWholeOverlongOnesArePassedOverAndTheRestCounted)
{
    const QByteArray longest = "1,1," + QByteArray(MaxWallLineBytes - 4, 'x');
    // Its tail, past what the longest line may hold, is no record of its own.
    const QByteArray tooLong = "2,2," + QByteArray(MaxWallLineBytes - 2, 'y') + "9,9,tail";
    QByteArray many;
    for (int i = 0; i < 40000; ++i)
        many += "4," + QByteArray::number(i) + ",some text\r\nnot a record\r\n";
    // The longest line begins just before the end of the reader's first 1 MB block.
    const QByteArray head = "0,0,a\r\n\r\nbad\r\n" + QByteArray("no record\r\n").repeated(95'000);
    ASSERT_TRUE(head.size() < 1 << 20 && head.size() + longest.size() > 1 << 20);
    QBuffer file;
    file.setData(head + longest + "\r\n" + tooLong + "\r\n3,4,b\n" + many + "5,6,last");
    const QList<WallRecord> records = WallFixture::records(file.data());
    ASSERT_EQ(records.size(), 40004);
    EXPECT_TRUE(records[0] == (WallRecord{0, 0, "a"}) && records[2] == (WallRecord{3, 4, "b"})
                && records.last() == (WallRecord{5, 6, "last"}));
    EXPECT_TRUE(records[1] == (WallRecord{1, 1, QString(MaxWallLineBytes - 4, 'x')})
                && records[40002] == (WallRecord{4, 39999, "some text"}));
    file.open(QIODevice::ReadOnly);
    WallReader reader(file);
    ASSERT_TRUE(reader.next() && reader.next());
    EXPECT_TRUE(reader.countRest() == 40002 && reader.atEnd());
    // A line cut where the first block ends: what follows the cut is no record of its own, the next line is.
    EXPECT_EQ(WallFixture::records(QByteArray(1 << 20, 'x') + "9,9,tail\n1,2,next"),
              (QList<WallRecord>{{1, 2, "next"}}));
    std::stop_source stop;  // a stop asked of a count gives no count
    stop.request_stop();
    file.seek(0);
    EXPECT_EQ(WallReader(file).countRest(stop.get_token()), -1);
}

TEST_F(WallFile, ASaveWritesRowByRowTellsWhatItCouldNotKeepAndRenamesCommasOutOfFreeNames)
{
    const QString a = write("a.jpg", "x"), comma = write("c,d.jpg", "x"), taken = write("e,f.jpg", "x"),
                  cd = dir.filePath("cd.jpg");
    const QString inFolder = write("Paris, 2019/g,h.jpg", "x"), gone = dir.filePath("gone,g.jpg"),
                  unwritable = dir.filePath("no/such/folder/w.wall");
    write("ef.jpg", "other");
    place(3, 1, comma);
    place(0, 0, a);
    place(0, 1, comma);
    place(2, 0, taken);
    place(2, 1, inFolder);
    place(2, 2, gone);
    wall.cells.setCellText(0, 0, "text of an image");
    wall.cells.setCellText(0, 9, "a, b,c");
    wall.cells.hideImage(2, 2);  // gone: kept as it stands
    place(4, 0, write("two\nlines.jpg", "x"));  // a line break cannot be written
    wall.cells.setCellText(4, 1, "a\rb");
    save(dir.filePath("w.wal"));
    save(unwritable);
    EXPECT_TRUE(QFile::exists(comma));  // renamed only for a wall that is written
    save(dir.filePath("W.WALL"));
    EXPECT_EQ(TestImages::read(dir.filePath("W.WALL")),
              ("0,0," + a + "\r\n0,1," + cd + "\r\n0,9,a, b,c\r\n2,0," + taken + "\r\n2,1," + inFolder + "\r\n2,2,"
               + gone + "\r\n3,1," + cd + "\r\n\r\n")
                  .toUtf8());
    EXPECT_TRUE(!QFile::exists(comma) && TestImages::read(dir.filePath("ef.jpg")) == "other" && QFile::exists(taken));
    EXPECT_FALSE(QFile::exists(dir.filePath("w.wal")));
    EXPECT_EQ(platform.texts(),
              (QStringList{"The file must have the .wall extension.", "The wall was not saved to " + unwritable + ".",
                           "File saved.\nNote: only the image paths are saved so the file will only work on this "
                           "computer.\n\n2 cells were left out: a line break in a "
                           "file name or text cannot be written into a wall file.\n\n1 texts written on images are not "
                           "kept in a wall file."}));
    EXPECT_TRUE(platform.messages.last().icon == MsgIcon::Exclamation && wall.state.StopSlideshow);
}

TEST_F(
    WallFile,
    AnOpenPlacesEveryRecordPastTheReadAheadAndOneThatAReadErrorLowMemoryOrClosingEndsIsPartialAndAFileThatCannotOpenChangesNothing)
{
    const QString a = write("a.jpg", TestImages::jpeg(40, 30));
    // Over a megabyte of lines that are no records, then more records and images than the reader holds ahead,
    // and cells far out.
    QByteArray records = QByteArray("no record\r\n").repeated(110'000) + "2147483646,0,far\r\n0,2147483646,"
        + a.toUtf8() + "\r\n";
    for (int i = 0; i < 1200; ++i)
        records += QByteArray::number(i + 2) + ",0," + (i % 15 ? "t" : a.toUtf8()) + "\r\n";
    open(write("w.wall", records));
    EXPECT_TRUE(wall.cells.Rows() == 2147483647 && wall.cells.Cols() == 2147483647
                && wall.cells.CellData(0, MaxWallIndex) == a);
    EXPECT_TRUE(wall.cells.CellText(MaxWallIndex, 0) == "far"
                && wall.cells.CellForeColor(MaxWallIndex, 0) == QColor(Qt::white)
                && !wall.cells.holdsImage(MaxWallIndex, 0));
    EXPECT_TRUE(wall.state.ImageCount == 81 && wall.cells.occupiedCount() == 1202u
                && wall.cells.CellData(1187, 0) == a);
    EXPECT_TRUE(wall.captions == 1 && wall.previews == 1 && wall.state.SlideshowReady && platform.messages.isEmpty());

    wall.state.SlideshowReady = false;  // for the opens that fail, which must not set it
    wall.cells.setCellText(3, 3, "kept");
    QFile::link("/proc/1/mem", dir.filePath("locked.wall"));
    open(dir.filePath("locked.wall"));
    EXPECT_TRUE(reported("mnuOpenWall_Click", 75) && wall.cells.CellText(3, 3) == "kept");
    wall.grid.Select(2, 2);
    OpenWallFile(wall.ctx, "", dialog(""));  // cancelled: only the end steps run
    EXPECT_EQ(wall.grid.Row(), 0);
    wall.grid.Select(2, 2);
    QDir().mkpath(dir.filePath("folder.wall"));
    open(write("w.wal", "0,0,x\r\n"));
    open(dir.filePath("folder.wall"));
    EXPECT_EQ(platform.texts().mid(1), QStringList{"The file must have the .wall extension."});
    EXPECT_TRUE(wall.cells.CellText(3, 3) == "kept" && wall.grid.Row() == 2 && !wall.state.SlideshowReady);

    QFile::link("/proc/self/mem", dir.filePath("error.wall"));
    open(dir.filePath("error.wall"));
    EXPECT_TRUE(reported("mnuOpenWall_Click", 75) && wall.cells.occupiedCount() == 0u);
    platform.messageAnswers = {MsgAnswer::No};
    save(dir.filePath("error.wall"));
    EXPECT_TRUE(lastMessage().startsWith("This wall was opened only in part from "));
    const QByteArray image = "0,0," + a.toUtf8() + "\r\n";
    platform.freeMemory = 100 << 20;
    open(write("images.wall", image + image + "0,1,t\r\n"));
    EXPECT_EQ(
        platform.texts().mid(platform.messages.size() - 2),
        (QStringList{"Out of memory. Please adjust the thumb quality settings from the options menu then try again.",
                     "The wall was opened only in part: 2 records of " + dir.filePath("images.wall")
                         + " were not placed."}));
    platform.freeMemory = 4LL << 30;
    // As many records as the file holds cut nothing: no question.
    wall.cells.setCellText(5, 5, "t2");
    wall.cells.setCellText(6, 6, "t3");
    const qsizetype before = platform.messages.size();
    save(dir.filePath("images.wall"));
    EXPECT_TRUE(platform.messages.size() == before + 1 && lastMessage().startsWith("File saved."));
    // Opened in part again, then another wall: its file may be saved over without the question.
    platform.freeMemory = 100 << 20;
    open(dir.filePath("images.wall"));
    platform.freeMemory = 4LL << 30;
    platform.folderAnswers = {dir.path()};
    AddImagesAsNewWall(wall.ctx, dialog({}));
    const qsizetype asked = platform.messages.size();
    save(dir.filePath("images.wall"));
    EXPECT_TRUE(platform.messages.size() == asked + 1 && lastMessage().startsWith("File saved."));
    // Closing ends it without a word, and then the program.
    const qsizetype told = platform.messages.size();
    inYield(3, [&] {
        wall.state.StopLoading = wall.state.IsClosing = true;
        wall.shown = false;
    });
    open(write("texts.wall", QByteArray("0,0,t\r\n").repeated(1000)));
    EXPECT_TRUE(wall.cells.occupiedCount() == 1u && wall.ended && platform.messages.size() == told);
    EXPECT_FALSE(wall.state.StopLoading || wall.state.IsLoading || wall.state.StopEnabled);
}
