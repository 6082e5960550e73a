#include "wall/WallFormat.h"

#include <QBuffer>

#include <cstdlib>

// Any bytes as a wall file; the seeds in regressions/ are walls as Save Wall
// writes them, and as people and old programs wrote them.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    QBuffer file(&bytes), again(&bytes);
    file.open(QIODevice::ReadOnly);
    again.open(QIODevice::ReadOnly);
    WallReader reader(file);
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
    if (WallReader(again).countRest() != records)
        std::abort();
    return 0;
}
