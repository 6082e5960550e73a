#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

// Files for the picture tests, written into a folder the test owns.
namespace TestImages {

// A picture of one colour.
QImage filled(QSize size, QColor colour, QImage::Format format = QImage::Format_RGB32);
// A picture as the bytes of a file, JPEG unless told.
QByteArray encode(const QImage& image, const char* format = "jpeg", bool progressive = false);
// A JPEG of the given stored size, left half red, right half blue; an
// orientation of 2 to 8 adds an EXIF Orientation tag.
QByteArray jpeg(int width, int height, int orientation = 1);
// What an EXIF header holds; empty fields are left out.
struct Exif {
    bool bigEndian = false;
    int orientation = 0;
    QByteArray taken{};      // DateTimeOriginal, "YYYY:MM:DD HH:MM:SS"
    QByteArray offset{};     // OffsetTimeOriginal, "+HH:MM"
    QByteArray digitized{};  // DateTimeDigitized
    QByteArray thumbnail{};  // IFD1's JPEG, the last bytes of the segment
};
// The APP1 segment of such a header.
QByteArray exif(const Exif& fields);
// The JPEG with that segment inserted at `at` (right after its start).
QByteArray withExif(const QByteArray& jpeg, const Exif& fields, qsizetype at = 2);
// A JPEG whose header claims width x height pixels but holds no such data.
QByteArray jpegClaiming(int width, int height, bool progressive = false);
// Writes bytes at path, creating folders on the way; gives the path.
QString write(const QString& path, const QByteArray& bytes);
// The bytes of a file; "<none>" when it cannot be read.
QByteArray read(const QString& path);

}
