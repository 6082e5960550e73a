#include "grid/PictureScaling.h"

#include <QPainter>
#include <gtest/gtest.h>

namespace {

// Grey values of a copy, row by row.
QList<int> greys(const QImage& copy)
{
    QList<int> values;
    for (int y = 0; y < copy.height(); ++y)
        for (int x = 0; x < copy.width(); ++x)
            values << qGray(copy.pixel(x, y));
    return values;
}

QImage grey(int width, int height, const QList<int>& values)
{
    QImage picture(width, height, QImage::Format_Grayscale8);
    for (int i = 0; i < values.size(); ++i)
        picture.scanLine(i / width)[i % width] = uchar(values[i]);
    return picture;
}

} // namespace

TEST(PictureScaling, AveragedCopiesAverageWhatLiesUnderEachPixel)
{
    // Uneven spans: 5 columns into 2 (2 and 3 wide), 3 rows into 2 (1 and 2).
    const QImage picture = grey(5, 3, {0, 10, 20, 30, 40, 50, 60, 70, 80, 90, 100, 110, 120, 130, 140});
    const QImage copy = AveragedCopy(picture, {2, 2});
    EXPECT_EQ(copy.format(), QImage::Format_RGB32);
    EXPECT_EQ(greys(copy), (QList<int>{5, 30, 80, 105}));
    EXPECT_EQ(AveragedCopy(picture, {2, 2}, QImage::Format_Grayscale8).format(), QImage::Format_Grayscale8);
    // A larger copy repeats pixels; a copy of the same size is the picture.
    EXPECT_EQ(greys(AveragedCopy(grey(2, 1, {0, 200}), {4, 2})), (QList<int>{0, 0, 200, 200, 0, 0, 200, 200}));
    EXPECT_EQ(greys(AveragedCopy(picture, picture.size())), greys(picture));

    // Colour channels are averaged apart, and a colour picture stays in colour.
    QImage halves(200, 150, QImage::Format_RGB32);
    halves.fill(Qt::blue);
    QPainter(&halves).fillRect(0, 0, 100, 150, QColor(255, 0, 0));
    const QImage small = AveragedCopy(halves, {24, 24}, QImage::Format_Grayscale8);
    EXPECT_EQ(small.format(), QImage::Format_RGB32);
    EXPECT_TRUE(small.pixelColor(11, 5) == QColor(Qt::red) && small.pixelColor(12, 5) == QColor(Qt::blue));
    EXPECT_EQ(AveragedCopy(halves, {1, 1}).pixelColor(0, 0), QColor(128, 0, 128));
    // Other formats are read as well.
    EXPECT_EQ(AveragedCopy(halves.convertToFormat(QImage::Format_RGB888), {2, 1}).pixelColor(1, 0), QColor(Qt::blue));
}

TEST(PictureScaling, SampledCopiesTakeTheMiddleOfEachArea)
{
    const QImage picture = grey(6, 3, {0, 1, 2, 3, 4, 5, 10, 11, 12, 13, 14, 15, 20, 21, 22, 23, 24, 25});
    EXPECT_EQ(greys(SampledCopy(picture, {3, 1})), (QList<int>{11, 13, 15}));
    EXPECT_EQ(greys(SampledCopy(picture, {2, 3})), (QList<int>{1, 4, 11, 14, 21, 24}));
    QImage colour(4, 4, QImage::Format_ARGB32);
    colour.fill(QColor(10, 20, 30, 0));
    EXPECT_EQ(SampledCopy(colour, {2, 2}).pixel(1, 1), qRgb(10, 20, 30));
}
