#include "picture/PictureScaling.h"

#include <QPainter>
#include <gtest/gtest.h>

namespace {

QList<int> greys(const QImage& copy)
{
    QList<int> values;
    for (int i = 0; i < copy.width() * copy.height(); ++i)
        values << qGray(copy.pixel(i % copy.width(), i / copy.width()));
    return values;
}

// Grey pixels, 10 times their index row by row.
QImage grey(int width, int height)
{
    QImage picture(width, height, QImage::Format_Grayscale8);
    for (int i = 0; i < width * height; ++i)
        picture.scanLine(i / width)[i % width] = uchar(10 * i);
    return picture;
}

} // namespace

TEST(PictureScaling, AveragedCopiesAverageWhatLiesUnderEachPixelSampledOnesTakeItsMiddle)
{
    // Uneven spans: 5 columns into 2 (2 and 3 wide), 3 rows into 2 (1 and 2).
    EXPECT_EQ(greys(AveragedCopy(grey(5, 3), {2, 2})), (QList<int>{5, 30, 80, 105}));
    EXPECT_EQ(greys(AveragedCopy(grey(2, 1), {4, 1}, QImage::Format_Grayscale8)), (QList<int>{0, 0, 10, 10}));
    EXPECT_EQ(greys(SampledCopy(grey(6, 3), {3, 1})), (QList<int>{70, 90, 110}));
    QImage halves(200, 150, QImage::Format_RGB888);  // colour channels apart, in any format
    halves.fill(Qt::blue);
    QPainter(&halves).fillRect(0, 0, 100, 150, Qt::red);
    const QImage small = AveragedCopy(halves, {24, 24}, QImage::Format_Grayscale8);
    EXPECT_TRUE(small.pixelColor(11, 5) == Qt::red && small.pixelColor(12, 5) == Qt::blue);
    EXPECT_EQ(AveragedCopy(halves, {1, 1}).pixelColor(0, 0), QColor(128, 0, 128));
}
