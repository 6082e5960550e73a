#include "WallFixture.h"
#include "wall/OpenWall.h"
#include "wall/SaveWall.h"
#include "wall/UnsavedWall.h"
#include "wall/WallFormat.h"

#include <QDir>

#include <sys/stat.h>

namespace {

struct WallFile : WallFixture {
    QString jpeg(const QString& name) { return write(name, TestImages::jpeg(40, 30)); }
    void open(const QString& path) { OpenWallFile(wall.ctx, path, dialog({})); }
    void save(const QString& path) { SaveWall(wall.ctx, dialog(path)); }
    bool isText(int r, int c, const QString& text) const
    {
        return wall.cells.CellText(r, c) == text && wall.cells.CellForeColor(r, c) == QColor(Qt::white)
               && !wall.cells.holdsImage(r, c);
    }
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
    // A name whose last bytes are one character is written and read whole.
    QByteArray emoji;
    AppendWallRecord(emoji, 3, MaxWallIndex, QString::fromUtf8("/\xF0\x9F\x92\x80"));
    EXPECT_EQ(emoji, "3,2147483646,/\xF0\x9F\x92\x80\r\n");
    EXPECT_EQ(WallFixture::records(emoji), (QList<WallRecord>{{3, MaxWallIndex, QString::fromUtf8("/\xF0\x9F\x92\x80")}}));
    EXPECT_TRUE(WallValueWritable("a, b") && !WallValueWritable("/a\nb.jpg") && !WallValueWritable("a\rb"));
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
    const QByteArray file = head + longest + "\r\n" + tooLong + "\r\n3,4,b\n" + many + "5,6,last";
    ASSERT_TRUE(head.size() < 1 << 20 && head.size() + longest.size() > 1 << 20);
    const QList<WallRecord> records = WallFixture::records(file);
    ASSERT_EQ(records.size(), 40004);
    EXPECT_TRUE(records[0] == (WallRecord{0, 0, "a"}) && records[2] == (WallRecord{3, 4, "b"}));
    EXPECT_EQ(records[1], (WallRecord{1, 1, QString(MaxWallLineBytes - 4, 'x')}));
    EXPECT_TRUE(records[40002] == (WallRecord{4, 39999, "some text"}) && records.last() == (WallRecord{5, 6, "last"}));
    QBuffer buffer;
    buffer.setData(file);
    buffer.open(QIODevice::ReadOnly);
    WallReader reader(buffer);
    ASSERT_TRUE(reader.next() && reader.next());
    EXPECT_TRUE(reader.countRest() == 40002 && reader.atEnd());
    // A stop asked of a count gives no count.
    std::stop_source stop;
    stop.request_stop();
    buffer.seek(0);
    EXPECT_EQ(WallReader(buffer).countRest(stop.get_token()), -1);
}

TEST_F(WallFile, ASaveWritesRowByRowTellsWhatItCouldNotKeepAndRenamesCommasOutOfFreeNames)
{
    save(write("kept.wall", "old"));  // an empty wall
    const QString a = write("a.jpg", "x"), comma = write("c,d.jpg", "x"), taken = write("e,f.jpg", "x");
    write("ef.jpg", "other");
    const QString inFolder = write("Paris, 2019/g,h.jpg", "x");
    place(3, 1, comma), place(0, 0, a), place(0, 1, comma), place(2, 0, taken), place(2, 1, inFolder);
    wall.cells.setCellText(0, 0, "text of an image");
    wall.cells.setCellText(0, 9, "a, b,c");
    place(2, 2, dir.filePath("gone,g.jpg"));  // gone: kept as it stands
    wall.cells.hideImage(2, 2);
    place(4, 0, write("two\nlines.jpg", "x"));  // a line break cannot be written
    wall.cells.setCellText(4, 1, "a\rb");
    save(dir.filePath("w.wal"));
    const QString unwritable = dir.filePath("no/such/folder/w.wall");
    save(unwritable);
    EXPECT_TRUE(QFile::exists(comma));  // renamed only for a wall that is written
    save(dir.filePath("W.WALL"));
    const QString cd = dir.filePath("cd.jpg");
    EXPECT_EQ(TestImages::read(dir.filePath("W.WALL")),
              ("0,0," + a + "\r\n0,1," + cd + "\r\n0,9,a, b,c\r\n2,0," + taken + "\r\n2,1," + inFolder + "\r\n2,2,"
               + dir.filePath("gone,g.jpg") + "\r\n3,1," + cd + "\r\n\r\n")
                  .toUtf8());
    EXPECT_TRUE(!QFile::exists(comma) && TestImages::read(dir.filePath("ef.jpg")) == "other" && QFile::exists(taken));
    EXPECT_TRUE(TestImages::read(dir.filePath("kept.wall")) == "old" && !QFile::exists(dir.filePath("w.wal")));
    EXPECT_EQ(platform.texts(), (QStringList{"Nothing was saved: no cell holds an image or a text.",
                                             "The file must have the .wall extension.",
                                             "The wall was not saved to " + unwritable + ".",
                                             "File saved.\nNote: only the image paths are saved so the file will "
                                             "only work on this computer.\n\n2 cells were left out: a line break in a "
                                             "file name or text cannot be written into a wall file.\n\n1 texts "
                                             "written on images are not kept in a wall file."}));
    EXPECT_TRUE(platform.messages.last().icon == MsgIcon::Exclamation && wall.state.StopSlideshow);
}

TEST_F(WallFile, AnOpenPlacesEveryRecordPastTheReadAheadAndNoValueThatDecodesNoImageIsAnImage)
{
    const QString a = jpeg("a.jpg");
    ASSERT_EQ(::mkfifo(QFile::encodeName(dir.filePath("pipe.jpg")).constData(), 0600), 0);
    const QStringList texts{"notes.txt", dir.filePath("pipe.jpg"), "/dev/zero", write("notes.jpg", "plain text")};
    // More records and images than the reader holds ahead, and cells far out.
    QByteArray records = "2147483646,0,far\r\n0,2147483646," + a.toUtf8() + "\r\n";
    for (int c = 0; c < texts.size(); ++c)
        records += "1," + QByteArray::number(c) + "," + texts[c].toUtf8() + "\r\n";
    for (int i = 0; i < 1200; ++i)
        records += QByteArray::number(i + 2) + ",0," + (i % 15 ? "t" : a.toUtf8()) + "\r\n";
    const QString here = QDir::currentPath();
    QDir::setCurrent(dir.path());  // a text that names a file in the working folder stays a text
    open(write("w.wall", records));
    QDir::setCurrent(here);
    EXPECT_TRUE(wall.cells.Rows() == 2147483647 && wall.cells.Cols() == 2147483647);
    EXPECT_TRUE(isText(MaxWallIndex, 0, "far") && wall.cells.CellData(0, MaxWallIndex) == a);
    for (int c = 0; c < texts.size(); ++c)
        EXPECT_TRUE(isText(1, c, texts[c])) << c;
    EXPECT_TRUE(wall.state.ImageCount == 81 && wall.cells.occupiedCount() == 1206u && wall.cells.CellData(1187, 0) == a);
    EXPECT_TRUE(wall.captions == 1 && wall.previews == 1 && wall.state.SlideshowReady && platform.messages.isEmpty());
    EXPECT_EQ(wall.titles.value(0), "Loading files. 1 Images found. Please wait...   Available memory: 4.00 GB");
}

TEST_F(WallFile, AnOpenThatAReadErrorLowMemoryOrClosingEndsIsPartialAndAFileThatCannotOpenChangesNothing)
{
    const QString a = jpeg("a.jpg");
    jpeg("b.jpg");
    wall.cells.setCellText(3, 3, "kept");
    QFile::link("/proc/1/mem", dir.filePath("locked.wall"));
    open(dir.filePath("locked.wall"));
    EXPECT_TRUE(reported("mnuOpenWall_Click", 75) && wall.cells.CellText(3, 3) == "kept");
    wall.grid.Select(2, 2);
    OpenWallFile(wall.ctx, "", dialog(""));  // cancelled: only the end steps run
    EXPECT_EQ(wall.grid.Row(), 0);
    wall.grid.Select(2, 2);
    open(write("w.wal", "0,0,x\r\n"));
    QDir().mkpath(dir.filePath("folder.wall"));
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
    EXPECT_EQ(platform.texts().mid(platform.messages.size() - 2),
              (QStringList{"Out of memory. Please adjust the thumb quality settings from the options menu then try "
                           "again.",
                           "The wall was opened only in part: 2 records of " + dir.filePath("images.wall")
                               + " were not placed."}));
    platform.freeMemory = 4LL << 30;
    // As many records as the file holds cut nothing: no question.
    wall.cells.setCellText(5, 5, "t2"), wall.cells.setCellText(6, 6, "t3");
    const qsizetype before = platform.messages.size();
    save(dir.filePath("images.wall"));
    EXPECT_TRUE(platform.messages.size() == before + 1 && lastMessage().startsWith("File saved."));
    // Another wall since: its file may be saved over without the question.
    platform.folderAnswers = {dir.path()};
    AddImagesAsNewWall(wall.ctx, dialog({}));
    const qsizetype asked = platform.messages.size();
    save(dir.filePath("images.wall"));
    EXPECT_TRUE(platform.messages.size() == asked + 1 && lastMessage().startsWith("File saved."));
    // Closing ends it without a word, and then the program.
    const qsizetype told = platform.messages.size();
    inYield(3, [&] { wall.state.StopLoading = wall.state.IsClosing = true, wall.shown = false; });
    open(write("texts.wall", QByteArray("0,0,t\r\n").repeated(1000)));
    EXPECT_TRUE(wall.cells.occupiedCount() == 1u && wall.ended && platform.messages.size() == told);
    EXPECT_FALSE(wall.state.StopLoading || wall.state.IsLoading || wall.state.StopEnabled);
}
