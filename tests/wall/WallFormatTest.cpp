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

TEST(WallFormat, WhatIsWrittenIsReadBackByteForByte)
{
    const QString latin1 = QString::fromUtf8("/photos/caf") + QChar(0xDCE9) + ".jpg";  // the byte E9 alone
    const QList<WallRecord> written{{0, 0, latin1},
                                    {3, MaxWallIndex, QString::fromUtf8("/Paris, 2019/\xC3\xA4 b.jpg")},
                                    {MaxWallIndex, 1, "a, b"}};
    QByteArray bytes;
    for (const WallRecord& record : written)
        AppendWallRecord(bytes, record.row, record.col, record.value);
    EXPECT_TRUE(bytes.startsWith("0,0,/photos/caf\xE9.jpg\r\n3,2147483646,/Paris, 2019/\xC3\xA4 b.jpg\r\n"));
    EXPECT_EQ(readAll(bytes + "\r\n"), std::vector<WallRecord>(written.begin(), written.end()));
    EXPECT_TRUE(WallValueWritable(latin1) && !WallValueWritable("/a\nb.jpg") && !WallValueWritable("a\rb"));
    // An emoji whose second half looks like an escaped byte is kept whole.
    const QString skull = QString::fromUtf8("/\xF0\x9F\x92\x80.jpg");
    QByteArray emoji;
    AppendWallRecord(emoji, 0, 0, skull);
    EXPECT_EQ(emoji, "0,0,/\xF0\x9F\x92\x80.jpg\r\n");
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
    const QByteArray file = "0,0,a\r\n\r\nbad\r\n" + longest + "\r\n" + tooLong + "\r\n3,4,b\n" + many + "5,6,last";
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
}
