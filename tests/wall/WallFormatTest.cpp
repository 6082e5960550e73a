#include "wall/WallFormat.h"

#include <QBuffer>
#include <gtest/gtest.h>

TEST(WallFormat, ExtensionsAndLines)
{
    EXPECT_TRUE(HasWallExtension("/a/B.WaLL") && !HasWallExtension("/a/b.wal") && !HasWallExtension("/a/bwall"));
    EXPECT_EQ(ParseWallLine(" 2 ,\t5,  Hello"), (WallRecord{2, 5, "Hello"}));
    // The value runs to the end of the line as it stands.
    EXPECT_EQ(ParseWallLine("007,0,\"q\" a,b "), (WallRecord{7, 0, "\"q\" a,b "}));
    EXPECT_EQ(ParseWallLine("9999999,9999999,"), (WallRecord{MaxWallIndex, MaxWallIndex, ""}));
    for (const char* line : {"", "2,5", ",5,x", "a,5,x", "2,-5,x", "+2,5,x", "2 3,1,x", "10000000,0,x",
                             "0,4294967297,x", "99999999999999999999,0,x"})
        EXPECT_EQ(ParseWallLine(line), std::nullopt) << line;
    EXPECT_EQ(ParseWallLine(QByteArrayView("1,1,a\0b", 7)), std::nullopt);
}

TEST(WallFormat, AFileIsReadLineByLineAndOverlongLinesArePassedOver)
{
    const QByteArray longest = "1,1," + QByteArray(MaxWallLineBytes - 4, 'x');
    // Its tail, past what the longest line may hold, is no record of its own.
    const QByteArray tooLong = "2,2," + QByteArray(MaxWallLineBytes - 2, 'y') + "9,9,tail";
    QBuffer file;
    file.setData("0,0,a\r\n\r\nbad\r\n" + longest + "\r\n" + tooLong + "\r\n3,4,b\n5,6,last");
    file.open(QIODevice::ReadOnly);
    const std::vector<WallRecord> records = ReadWallRecords(file);
    ASSERT_EQ(records.size(), 4u);
    EXPECT_EQ(records[0], (WallRecord{0, 0, "a"}));
    EXPECT_EQ(records[1].value.size(), MaxWallLineBytes - 4);
    EXPECT_TRUE(records[2] == (WallRecord{3, 4, "b"}) && records[3] == (WallRecord{5, 6, "last"}));
}
