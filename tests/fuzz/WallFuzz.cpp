#include "wall/WallFormat.h"

#include <QBuffer>

#include <cstdlib>

namespace {

QBuffer* opened(QBuffer& buffer, const QByteArray& bytes)
{
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    return &buffer;
}

} // namespace

// Any bytes as a wall file; the seeds in regressions/ are walls as Save Wall
// writes them, and as people and old programs wrote them.
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
