#include "wall/WallFormat.h"

#include <QBuffer>
#include <gtest/gtest.h>

namespace {

std::vector<WallRecord> read(const QByteArray& bytes)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    return ReadWallRecords(buffer);
}

} // namespace

TEST(WallFormat, RecordsAreRowCommaColumnCommaValueWithCrLf)
{
    QString text;
    AppendWallRecord(text, 0, 0, "/photos/a.jpg");
    AppendWallRecord(text, 12, 3456, "Hello there");
    EXPECT_EQ(text, "0,0,/photos/a.jpg\r\n12,3456,Hello there\r\n");
}

TEST(WallFormat, TheExtensionCheckTakesAnyCaseButAllFiveCharacters)
{
    EXPECT_TRUE(HasWallExtension("/a/b.wall"));
    EXPECT_TRUE(HasWallExtension("/a/B.WALL"));
    EXPECT_TRUE(HasWallExtension("/a/b.WaLl"));
    EXPECT_FALSE(HasWallExtension("/a/b.wal"));
    EXPECT_FALSE(HasWallExtension("/a/bwall"));
    EXPECT_FALSE(HasWallExtension("/a/b.wall.txt"));
    EXPECT_FALSE(HasWallExtension(""));
}

TEST(WallFormat, ALineGivesRowColumnAndTheRestOfTheLineAsValue)
{
    EXPECT_EQ(ParseWallLine("2,5,Hello"), (WallRecord{2, 5, "Hello"}));
    EXPECT_EQ(ParseWallLine(" 2,\t5,  Hello"), (WallRecord{2, 5, "Hello"}));
    EXPECT_EQ(ParseWallLine("2 ,5 ,x"), (WallRecord{2, 5, "x"}));
    // Leading zeros are harmless; the value is taken as it stands.
    EXPECT_EQ(ParseWallLine("007,0,\"quoted\" "), (WallRecord{7, 0, "\"quoted\" "}));
    EXPECT_EQ(ParseWallLine("3,4,"), (WallRecord{3, 4, ""}));
    EXPECT_EQ(ParseWallLine("1,1,C:\\photos\\a.jpg"), (WallRecord{1, 1, "C:\\photos\\a.jpg"}));
    EXPECT_EQ(ParseWallLine("1,1,a,b"), (WallRecord{1, 1, "a,b"}));
    EXPECT_EQ(ParseWallLine("1,1,caf\xc3\xa9"), (WallRecord{1, 1, QString::fromUtf8("caf\xc3\xa9")}));
}

TEST(WallFormat, LinesThatAreNoRecordArePassedOver)
{
    for (const char* line : {"", "   ", "2,5", "2", ",5,x", "2,,x", "a,5,x", "2,b,x", "-1,5,x", "2,-5,x", "+2,5,x",
                             "2.5,1,x", "2 3,1,x", "0x1,1,x"})
        EXPECT_EQ(ParseWallLine(line), std::nullopt) << line;
    EXPECT_EQ(ParseWallLine(QByteArrayView("1,1,a\0b", 7)), std::nullopt);
}

TEST(WallFormat, RowsAndColumnsStopAtTheBoundWithoutOverflow)
{
    EXPECT_EQ(ParseWallLine("9999999,9999999,x"), (WallRecord{MaxWallIndex, MaxWallIndex, "x"}));
    for (const char* line : {"10000000,0,x", "0,10000000,x", "2147483648,0,x", "99999999999999999999999,0,x",
                             "0,4294967297,x"})
        EXPECT_EQ(ParseWallLine(line), std::nullopt) << line;
}

TEST(WallFormat, AFileIsReadLineByLineWhateverItsLineEnds)
{
    const auto records = read("0,0,a\r\n\r\nbad line\r\n1,2,b\n3,4,c\r\n\r\n5,6,last");
    ASSERT_EQ(records.size(), 4u);
    EXPECT_EQ(records[0], (WallRecord{0, 0, "a"}));
    EXPECT_EQ(records[1], (WallRecord{1, 2, "b"}));
    EXPECT_EQ(records[2], (WallRecord{3, 4, "c"}));
    EXPECT_EQ(records[3], (WallRecord{5, 6, "last"}));
    EXPECT_TRUE(read("").empty());
    EXPECT_TRUE(read("\r\n").empty());
}

TEST(WallFormat, AnOverlongLineIsPassedOverAndTheNextOneStillCounts)
{
    const QByteArray longest = "1,1," + QByteArray(MaxWallLineBytes - 4, 'x');
    const QByteArray tooLong = "2,2," + QByteArray(MaxWallLineBytes, 'y');
    const auto records = read(longest + "\r\n" + tooLong + "\r\n3,3,z\r\n" + tooLong);
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].value.size(), MaxWallLineBytes - 4);
    EXPECT_EQ(records[1], (WallRecord{3, 3, "z"}));
}

TEST(WallFormat, BinaryDataGivesNothingUseful)
{
    QByteArray noise;
    for (int i = 0; i < 200000; ++i)
        noise.append(char((i * 7919) % 256));
    for (const WallRecord& record : read(noise))
        EXPECT_LE(std::max(record.row, record.col), MaxWallIndex);
    EXPECT_TRUE(read(QByteArray("\xff\xd8\xff\xe0\0\x10JFIF\0", 11) + QByteArray(5000, '\0')).empty());
}
