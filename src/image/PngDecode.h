#pragma once

#include <QByteArray>
#include <QImage>

#include <optional>

// Decodes the PNGs thumbnail caches hold (8-bit grey, RGB or RGBA, not
// interlaced) into what Qt's reader makes of them (Grayscale8, RGB32,
// ARGB32) with their tEXt keys, in about half its time. A null image for a
// broken file or one with a side over `maxSide`; nullopt for any other kind
// of PNG, which is left to Qt's reader.
std::optional<QImage> DecodePlainPng(const QByteArray& png, int maxSide);
