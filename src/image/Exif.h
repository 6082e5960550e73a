#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <optional>

// What a photograph's EXIF header says about it.
struct ExifInfo {
    int orientation = 1;             // EXIF Orientation 1..8; 1 when absent or invalid
    std::optional<QDateTime> taken;  // DateTimeOriginal with OffsetTimeOriginal where present, else DateTimeDigitized; whole seconds
    QByteArray thumbnail;            // the embedded JPEG thumbnail of IFD1, empty when none or out of bounds
};

// Parses the start of a JPEG file up to and including its APP1 "Exif"
// segment; anything malformed gives the defaults, never a crash or an
// over-read.
ExifInfo ParseExif(const QByteArray& jpegHead);
// Reads only the segments before the picture data of the file at path (a
// name in the form of shell/FileNames) and parses them.
ExifInfo ReadExif(const QString& path);
