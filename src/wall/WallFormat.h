#pragma once

#include <QByteArrayView>
#include <QString>

#include <optional>
#include <vector>

class QIODevice;

// The .wall format: one line "row,column,value" ended by CR LF for every
// occupied cell, in row-major order, text in the locale's 8-bit encoding.
// The value is an image path or a cell text and never holds a comma.

// Rows and columns a wall file may name: 0 to 9,999,999. The cell store is
// sparse, so a record far out costs nothing but its cell; the bound keeps
// every count far from int's limit.
constexpr int MaxWallIndex = 9'999'999;

// A line longer than this is passed over, read in pieces: no line of a
// saved wall comes near it (paths end at 4,096 bytes, input-box texts at
// 32,767 characters), so a file that is not text costs no more memory.
constexpr qsizetype MaxWallLineBytes = 128 * 1024;

struct WallRecord {
    int row = 0;
    int col = 0;
    QString value;
    bool operator==(const WallRecord&) const = default;
};

// ".wall" in any case at the end of the path.
bool HasWallExtension(const QString& path);

// Appends one record with its line end.
void AppendWallRecord(QString& text, int row, int col, const QString& value);

// One line without its line end. Blanks before a field are skipped and the
// value runs to the end of the line as it stands. nullopt for a line that is
// no record: blank, a missing field, a row or column that is not a plain
// number within MaxWallIndex, or a NUL byte.
std::optional<WallRecord> ParseWallLine(QByteArrayView line);

// Every record of a wall file in file order; lines that are no record are
// passed over. A last line without its line end still counts.
std::vector<WallRecord> ReadWallRecords(QIODevice& file);
