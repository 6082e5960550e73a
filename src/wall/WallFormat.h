#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <climits>
#include <optional>
#include <stop_token>

class QIODevice;

// The .wall format: one line "row,column,value" ended by CR LF for every
// occupied cell, in row-major order. The value is an image path or a cell
// text and runs to the end of its line, so it may hold commas. Values are
// written as the file system's bytes (UTF-8, and any stray byte of a name
// that is not), so a name comes back byte for byte.

// Rows and columns a wall file may name: every cell a grid can have. The
// cell store is sparse, so a record far out costs nothing but its cell.
constexpr int MaxWallIndex = INT_MAX - 1;

// A line longer than this is passed over, read in pieces: no line of a
// saved wall comes near it (paths end at 4,096 bytes, input-box texts at
// 32,767 characters), so a file that is not text costs no more memory.
constexpr qsizetype MaxWallLineBytes = qsizetype{128} * 1024;

struct WallRecord {
    int row = 0;
    int col = 0;
    QString value;
    bool operator==(const WallRecord&) const = default;
};

// ".wall" in any case at the end of the path.
bool HasWallExtension(const QString& path);

// Whether a value can stand in a record: a line break would split it.
bool WallValueWritable(const QString& value);
// Appends one record with its line end; the value must be writable.
void AppendWallRecord(QByteArray& records, int row, int col, const QString& value);

// One line without its line end. Blanks before a field are skipped and the
// value runs to the end of the line as it stands. nullopt for a line that is
// no record: blank, a missing field, a row or column that is not a plain
// number within MaxWallIndex, or a NUL byte.
std::optional<WallRecord> ParseWallLine(QByteArrayView line);

// Reads a wall file record by record, holding one line at a time.
class WallReader {
public:
    explicit WallReader(QIODevice& file);

    bool atEnd() const;
    // The next record; nullopt at the end of the file, and also after a
    // long stretch of lines that are no records, so that a reader can let
    // events run between stretches. A last line without its line end still
    // counts. Throws when the file cannot be read.
    std::optional<WallRecord> next();
    // The records from here to the end, read but not kept; -1 when a stop
    // was requested meanwhile.
    qint64 countRest(const std::stop_token& stop = {});

private:
    // More of the file behind what is left of the block; false at its end.
    bool fill();
    // The next line without its line end, and whether it was short enough
    // to be a record; false at the end of the file.
    bool readLine(QByteArrayView& line, bool& whole);

    QIODevice& m_file;
    QByteArray m_buffer;
    qsizetype m_begin = 0;  // the unread bytes of the block
    qsizetype m_end = 0;
    bool m_fileEnded = false;
    bool m_overlong = false;  // inside a line that was too long
};
