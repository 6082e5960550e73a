#include "wall/WallFormat.h"

#include <QBuffer>
#include <gtest/gtest.h>

namespace {

std::vector<WallRecord> readAll(const QByteArray& bytes)
{
    QBuffer file;
    file.setData(bytes);
    file.open(QIODevice::ReadOnly);
    WallReader reader(file);
    std::vector<WallRecord> records;
    while (!reader.atEnd())
        if (std::optional<WallRecord> record = reader.next())
            records.push_back(std::move(*record));
    return records;
}

} // namespace

TEST(WallFormat, ExtensionsAndLines)
{
    EXPECT_TRUE(HasWallExtension("/a/B.WaLL") && !HasWallExtension("/a/b.wal") && !HasWallExtension("/a/bwall"));
    EXPECT_EQ(ParseWallLine(" 2 ,\t5,  Hello"), (WallRecord{2, 5, "Hello"}));
    // The value runs to the end of the line as it stands.
    EXPECT_EQ(ParseWallLine("007,0,\"q\" a,b "), (WallRecord{7, 0, "\"q\" a,b "}));
    EXPECT_EQ(ParseWallLine("2147483646,2147483646,"), (WallRecord{MaxWallIndex, MaxWallIndex, ""}));
    for (const char* line : {"", "2,5", ",5,x", "a,5,x", "2,-5,x", "+2,5,x", "2 3,1,x", "2147483647,0,x",
                             "0,4294967297,x", "99999999999999999999,0,x"})
        EXPECT_EQ(ParseWallLine(line), std::nullopt) << line;
    EXPECT_EQ(ParseWallLine(QByteArrayView("1,1,a\0b", 7)), std::nullopt);
}

// Written and read back whole walls: see the round trip.
TEST(WallFormat, AValueIsWrittenAsItsBytesUnlessALineBreakWouldSplitIt)
{
    // An emoji whose second half looks like an escaped byte is kept whole.
    QByteArray emoji;
    AppendWallRecord(emoji, 3, MaxWallIndex, QString::fromUtf8("/\xF0\x9F\x92\x80.jpg"));
    EXPECT_EQ(emoji, "3,2147483646,/\xF0\x9F\x92\x80.jpg\r\n");
    EXPECT_TRUE(WallValueWritable("a, b") && !WallValueWritable("/a\nb.jpg") && !WallValueWritable("a\rb"));
}

TEST(WallFormat, AFileIsReadLineByLineOverlongLinesArePassedOverAndTheRestCanBeCounted)
{
    const QByteArray longest = "1,1," + QByteArray(MaxWallLineBytes - 4, 'x');
    // Its tail, past what the longest line may hold, is no record of its own.
    const QByteArray tooLong = "2,2," + QByteArray(MaxWallLineBytes - 2, 'y') + "9,9,tail";
    // Records across the reader's blocks.
    QByteArray many;
    for (int i = 0; i < 40000; ++i)
        many += "4," + QByteArray::number(i) + ",some text\r\nnot a record\r\n";
    // The longest line begins just before the end of the reader's first 1 MB block.
    const QByteArray head = "0,0,a\r\n\r\nbad\r\n" + QByteArray("no record\r\n").repeated(95'000);
    const QByteArray file = head + longest + "\r\n" + tooLong + "\r\n3,4,b\n" + many + "5,6,last";
    ASSERT_TRUE(head.size() < 1 << 20 && head.size() + longest.size() > 1 << 20);
    const std::vector<WallRecord> records = readAll(file);
    ASSERT_EQ(records.size(), 40004u);
    EXPECT_EQ(records[0], (WallRecord{0, 0, "a"}));
    EXPECT_EQ(records[1].value.size(), MaxWallLineBytes - 4);
    EXPECT_TRUE(records[2] == (WallRecord{3, 4, "b"}) && records[40002] == (WallRecord{4, 39999, "some text"}));
    EXPECT_EQ(records.back(), (WallRecord{5, 6, "last"}));

    QBuffer buffer;
    buffer.setData(file);
    buffer.open(QIODevice::ReadOnly);
    WallReader reader(buffer);
    ASSERT_TRUE(reader.next() && reader.next());
    EXPECT_EQ(reader.countRest(), 40002);
    EXPECT_TRUE(reader.atEnd());
    // A stop asked of a count gives no count.
    std::stop_source stop;
    stop.request_stop();
    buffer.seek(0);
    EXPECT_EQ(WallReader(buffer).countRest(stop.get_token()), -1);
}
