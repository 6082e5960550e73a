#include "image/PngDecode.h"
#include "support/TestImages.h"

#include <gtest/gtest.h>
#include <rapidcheck.h>

using TestImages::encode;

// Other programs' entries use every row filter (libpng picks one a row):
// the fast reader makes of them what Qt's reader makes, pixel for pixel and
// key for key, and leaves other kinds of PNG to Qt's reader.
TEST(PngDecode, ReadsWhatQtsReaderReadsAndLeavesItTheRest)
{
    const bool held = rc::check([] {
        const int width = *rc::gen::inRange(1, 90), height = *rc::gen::inRange(1, 30);
        const auto format = *rc::gen::element(QImage::Format_Grayscale8, QImage::Format_RGB32, QImage::Format_ARGB32);
        // Ramps, blocks and grain, so that every filter wins some rows.
        const int slope = *rc::gen::inRange(0, 9), grain = *rc::gen::inRange(1, 64), block = *rc::gen::inRange(1, 9);
        const auto seed = *rc::gen::arbitrary<unsigned>();
        QImage image(width, height, format);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                const unsigned noise = (seed ^ unsigned(x * 7919 + y * 104729)) * 2654435761u >> 8;
                const int v = (slope * (x / block + 2 * (y / block)) + int(noise % unsigned(grain))) & 255;
                image.setPixel(x, y,
                               format == QImage::Format_Grayscale8
                                   ? uint(v)
                                   : qRgba(v, 255 - v, int(noise & 255), int(noise >> 8 & 255)));
            }
        image.setText("Thumb::URI", "file:///photos/a%20b.jpg");
        const QByteArray png = encode(image, "png");
        const std::optional<QImage> mine = DecodePlainPng(png, 1024);
        const QImage theirs = QImage::fromData(png, "png");
        RC_ASSERT(mine && *mine == theirs);  // in the same format too
        RC_ASSERT(mine->text("Thumb::URI") == QString("file:///photos/a%20b.jpg"));
        // A side over the limit, a cut-off file and a changed byte are refused.
        RC_ASSERT(DecodePlainPng(png, std::max(width, height) - 1).value_or(QImage()).isNull());
        RC_ASSERT(DecodePlainPng(png.left(png.size() - 20), 1024).value_or(QImage()).isNull());
        // The header (the first chunk, 25 bytes) of a picture a row taller: it claims more than the data holds.
        const QByteArray taller
            = png.left(8) + encode(image.copy(0, 0, width, height + 1), "png").mid(8, 25) + png.mid(33);
        RC_ASSERT(DecodePlainPng(taller, 1024).value_or(QImage()).isNull());
        QByteArray changed = png;
        changed[*rc::gen::inRange<qsizetype>(8, png.size() - 12)] ^= char(1 << *rc::gen::inRange(0, 8));
        const std::optional<QImage> damaged = DecodePlainPng(changed, 1024);
        RC_ASSERT(!damaged || damaged->isNull() || *damaged == theirs);  // only a note's byte may change
    });
    EXPECT_TRUE(held);
    // A palette, and 16 bits a channel.
    for (const QImage::Format other : {QImage::Format_Indexed8, QImage::Format_RGBA64})
        EXPECT_FALSE(DecodePlainPng(encode(TestImages::filled({20, 10}, Qt::red).convertToFormat(other), "png"), 1024))
            << int(other);
}
