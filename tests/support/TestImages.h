#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

// Files for the picture tests, written into a folder the test owns.
namespace TestImages {

// A JPEG of the given stored size; orientation (1 to 8) adds an EXIF
// Orientation tag. Left half red, right half blue, to tell sides apart.
QByteArray jpeg(int width, int height, int orientation = 1, bool progressive = false);
// The same JPEG with an EXIF Orientation tag (1 to 8) right after its start.
QByteArray withOrientation(const QByteArray& jpeg, int orientation);
// A JPEG whose header claims width x height pixels but holds no such data.
QByteArray jpegClaiming(int width, int height);
void write(const QString& path, const QByteArray& bytes);
// Writes a small JPEG at path, creating folders on the way.
void writeJpeg(const QString& path, int width = 40, int height = 30);

}
