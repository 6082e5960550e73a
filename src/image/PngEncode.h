#pragma once

#include <QByteArray>
#include <QImage>
#include <QList>

#include <utility>

// Text chunks of a PNG file: key and Latin-1 value.
using PngKeys = QList<std::pair<QByteArray, QByteArray>>;

// The picture as PNG bytes: 8-bit grey, RGB or RGBA as it has colour and
// alpha, the keys as tEXt chunks ahead of the pixels, and no colour profile
// (which would make every read slow). Compressed for photographs at a small
// cost to write and to read back. Empty when libpng refuses the picture.
// Safe on any thread.
QByteArray EncodePng(const QImage& picture, const PngKeys& keys);
