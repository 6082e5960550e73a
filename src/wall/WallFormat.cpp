#include "wall/WallFormat.h"

#include "shell/AppError.h"

#include <QIODevice>

namespace {

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

// Reads up to the end of the line: true when the whole line (line end
// included) fitted into `buffer`, false when it was longer and was passed over.
bool readLine(QIODevice& file, QByteArray& buffer, QByteArrayView& line)
{
    bool whole = true;
    for (;;) {
        const qint64 count = file.readLine(buffer.data(), buffer.size());
        if (count < 0)
            throw AppError(ErrorNumber::PathFileAccess, file.errorString());
        line = QByteArrayView(buffer.constData(), count);
        if (line.endsWith('\n') || file.atEnd())
            return whole;
        whole = false;
    }
}

} // namespace

bool HasWallExtension(const QString& path)
{
    return path.right(5).toLower() == QLatin1String(".wall");
}

void AppendWallRecord(QString& text, int row, int col, const QString& value)
{
    text += QString::number(row) + QLatin1Char(',') + QString::number(col) + QLatin1Char(',') + value
            + QLatin1String("\r\n");
}

std::optional<WallRecord> ParseWallLine(QByteArrayView line)
{
    if (line.contains('\0'))
        return std::nullopt;
    qsizetype at = 0;
    const auto skipBlanks = [&] {
        while (at < line.size() && isBlank(line[at]))
            ++at;
    };
    // A row or column and the comma after it.
    const auto index = [&]() -> std::optional<int> {
        skipBlanks();
        const qsizetype first = at;
        int value = 0;
        for (; at < line.size() && line[at] >= '0' && line[at] <= '9'; ++at) {
            value = value * 10 + (line[at] - '0');
            if (value > MaxWallIndex)
                return std::nullopt;
        }
        skipBlanks();
        if (at == first || at >= line.size() || line[at] != ',')
            return std::nullopt;
        ++at;
        return value;
    };
    const std::optional<int> row = index();
    const std::optional<int> col = row ? index() : std::nullopt;
    if (!col)
        return std::nullopt;
    skipBlanks();
    return WallRecord{*row, *col, QString::fromLocal8Bit(line.sliced(at))};
}

std::vector<WallRecord> ReadWallRecords(QIODevice& file)
{
    std::vector<WallRecord> records;
    // Room for the longest line, its CR LF and readLine's closing NUL.
    QByteArray buffer(MaxWallLineBytes + 3, Qt::Uninitialized);
    QByteArrayView line;
    while (!file.atEnd()) {
        if (!readLine(file, buffer, line))
            continue;
        if (line.endsWith('\n'))
            line.chop(1);
        if (line.endsWith('\r'))
            line.chop(1);
        if (std::optional<WallRecord> record = ParseWallLine(line))
            records.push_back(std::move(*record));
    }
    return records;
}
