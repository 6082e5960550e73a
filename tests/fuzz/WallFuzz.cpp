#include "FuzzSeeds.h"
#include "wall/WallFormat.h"

#include <QBuffer>

#include <cstdlib>

// Walls as Save Wall writes them, and as people and old programs wrote them.
extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    WriteSeedsIfEmpty(*argc, *argv,
                      {"0,0,/home/me/photos/beach.jpg\r\n0,1,/home/me/photos/Paris, 2019/dunes.jpg\r\n2,5,Hello\r\n\r\n",
                       "0,0,/photos/caf\xE9.jpg\r\n3,2147483646,/\xC3\xA4 b.jpg\r\n2147483646,1,a, b\r\n",
                       " 2 ,\t5,  Hello\nnot a record\n007,0,\"q\" a,b \n2147483647,0,x\n1,1,a\0b\n5,6,last"});
    return 0;
}

namespace {

QBuffer* opened(QBuffer& buffer, const QByteArray& bytes)
{
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    return &buffer;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    QBuffer file;
    WallReader reader(*opened(file, bytes));
    qint64 records = 0;
    while (!reader.atEnd()) {
        const std::optional<WallRecord> record = reader.next();
        if (!record)
            continue;
        ++records;
        if (record->row < 0 || record->row > MaxWallIndex || record->col < 0 || record->col > MaxWallIndex)
            std::abort();
        // A record that can be written again comes back as it was read, so
        // opening and saving a wall never changes its paths.
        if (WallValueWritable(record->value)) {
            QByteArray line;
            AppendWallRecord(line, record->row, record->col, record->value);
            line.chop(2);
            if (ParseWallLine(line) != record)
                std::abort();
        }
    }
    // The count that an interrupted open reports agrees with what a whole
    // read places.
    QBuffer again;
    if (WallReader(*opened(again, bytes)).countRest() != records)
        std::abort();
    return 0;
}
