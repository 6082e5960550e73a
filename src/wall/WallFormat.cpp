#include "wall/WallFormat.h"

#include "shell/AppError.h"
#include "shell/FileNames.h"

#include <QIODevice>

#include <cstring>

namespace {

// Read in blocks of this size; a line that does not fit is passed over.
constexpr qsizetype BlockBytes = 1 << 20;
static_assert(BlockBytes > MaxWallLineBytes + 2);
// next() gives the caller a turn after this many bytes without a record.
constexpr qsizetype StretchBytes = 1 << 20;

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

struct Prefix {
    int row;
    int col;
    qsizetype value;  // where the value begins
};

// The row and column of a record line and where its value begins.
std::optional<Prefix> parsePrefix(QByteArrayView line)
{
    if (std::memchr(line.data(), 0, size_t(line.size())))
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
        qint64 value = 0;
        for (; at < line.size() && line[at] >= '0' && line[at] <= '9'; ++at) {
            value = value * 10 + (line[at] - '0');
            if (value > MaxWallIndex)
                return std::nullopt;
        }
        skipBlanks();
        if (at == first || at >= line.size() || line[at] != ',')
            return std::nullopt;
        ++at;
        return int(value);
    };
    const std::optional<int> row = index();
    const std::optional<int> col = row ? index() : std::nullopt;
    if (!col)
        return std::nullopt;
    skipBlanks();
    return Prefix{*row, *col, at};
}

} // namespace

bool HasWallExtension(const QString& path)
{
    return path.right(5).toLower() == QLatin1String(".wall");
}

bool WallValueWritable(const QString& value)
{
    return !value.contains(QLatin1Char('\n')) && !value.contains(QLatin1Char('\r'))
           && !value.contains(QChar(u'\0'));
}

void AppendWallRecord(QByteArray& records, int row, int col, const QString& value)
{
    records += QByteArray::number(row) + ',' + QByteArray::number(col) + ',' + FileNameBytes(value) + "\r\n";
}

std::optional<WallRecord> ParseWallLine(QByteArrayView line)
{
    const std::optional<Prefix> prefix = parsePrefix(line);
    if (!prefix)
        return std::nullopt;
    return WallRecord{prefix->row, prefix->col, FileNameFromBytes(line.sliced(prefix->value))};
}

WallReader::WallReader(QIODevice& file) : m_file(file) {}

bool WallReader::atEnd() const
{
    return m_begin == m_end && m_fileEnded;
}

bool WallReader::fill()
{
    if (m_fileEnded)
        return false;
    if (m_buffer.isEmpty())
        m_buffer.resize(BlockBytes);
    std::memmove(m_buffer.data(), m_buffer.constData() + m_begin, size_t(m_end - m_begin));
    m_end -= m_begin;
    m_begin = 0;
    const qint64 got = m_file.read(m_buffer.data() + m_end, m_buffer.size() - m_end);
    if (got < 0)
        throw AppError(ErrorNumber::PathFileAccess, m_file.errorString());
    m_fileEnded = got == 0;
    m_end += got;
    return got > 0;
}

bool WallReader::readLine(QByteArrayView& line, bool& whole)
{
    for (;;) {
        const char* start = m_buffer.constData() + m_begin;
        const auto* newline = static_cast<const char*>(std::memchr(start, '\n', size_t(m_end - m_begin)));
        if (newline || (m_fileEnded && m_begin < m_end)) {
            const qsizetype length = newline ? newline - start + 1 : m_end - m_begin;
            line = QByteArrayView(start, length);
            whole = !m_overlong && length <= MaxWallLineBytes + 2;
            m_overlong = false;
            m_begin += length;
            if (line.endsWith('\n'))
                line.chop(1);
            if (line.endsWith('\r'))
                line.chop(1);
            return true;
        }
        if (m_end - m_begin > MaxWallLineBytes + 2) {
            // Too long to be a record: what is read of it goes.
            m_overlong = true;
            m_begin = m_end;
        }
        if (!fill() && m_begin == m_end)
            return false;
    }
}

std::optional<WallRecord> WallReader::next()
{
    qsizetype passed = 0;
    QByteArrayView line;
    bool whole = false;
    while (passed < StretchBytes && readLine(line, whole)) {
        if (whole) {
            if (std::optional<WallRecord> record = ParseWallLine(line))
                return record;
        }
        passed += line.size() + 1;
    }
    return std::nullopt;
}

qint64 WallReader::countRest(const std::stop_token& stop)
{
    qint64 count = 0;
    QByteArrayView line;
    bool whole = false;
    for (qint64 lines = 1; readLine(line, whole); ++lines) {
        count += whole && parsePrefix(line) ? 1 : 0;
        if (lines % 4096 == 0 && stop.stop_requested())
            return -1;
    }
    return count;
}
