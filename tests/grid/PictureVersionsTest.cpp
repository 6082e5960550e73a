#include "grid/GridWidget.h"
#include "picture/PictureScaling.h"

#include <QPainter>
#include <QTest>
#include <gtest/gtest.h>

#include <atomic>
#include <mutex>

namespace {

QImage filled(QColor colour)
{
    QImage image(200, 150, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

// Pictures of "/p/<name>.jpg", red, whose larger versions are green. The
// maker records what it was asked for; "gone" makes none.
struct Versions : ::testing::Test {
    std::mutex lock;  // what the maker uses outlives the grid whose workers run it
    QStringList asked;
    CellStore cells{100, 100};
    GridWidget grid{cells};
    PictureVersions::Maker maker = [this](const PictureSource& source, int side, bool grey) {
        const std::lock_guard held(lock);
        asked << source.path.mid(3, 1) + QString::number(side) + (grey ? "g" : "");
        return source.path.contains("gone") ? QImage() : Picture::fitted(filled(Qt::green), side, grey);
    };
    static QRgb greyOf(QColor colour) { return filled(colour).convertToFormat(QImage::Format_Grayscale8).pixel(0, 0); }
    static Picture picture(const QString& name, bool grey = false)
    {
        return Picture::fromSource(filled(Qt::red), grey, {"/p/" + name + ".jpg", 200, 200});
    }
    // What the middle of each cell shows once every version asked for is in, at cells of `pixels`:
    // 'v' the version, 's' the small version, in capitals when grey (green the lighter).
    QString shown(int pixels, const QList<QPoint>& cellsAt)
    {
        grid.setColWidth(pixels * 15), grid.setRowHeight(pixels * 15);
        grid.viewport()->repaint();
        EXPECT_TRUE(QTest::qWaitFor([&] { return grid.versions().busy() == 0; }));
        QCoreApplication::processEvents();
        const QImage shot = grid.viewport()->grab().toImage();
        QString seen;
        for (const QPoint cell : cellsAt) {
            const QColor c = shot.pixelColor(cell.x() * pixels + pixels / 2, cell.y() * pixels + pixels / 2);
            const bool greener = std::abs(c.red() - qGray(greyOf(Qt::green))) < std::abs(c.red() - qGray(greyOf(Qt::red)));
            seen += c.red() == c.green() && c.green() == c.blue() ? (greener ? 'V' : 'S') : (c.green() > c.red() ? 'v' : 's');
        }
        return seen;
    }
};

} // namespace

TEST_F(Versions, CellsOnScreenShowTheirLargerVersionOnceItIsMadeAndOnlyThoseAreAsked)
{
    grid.versions().setMaker(maker);
    grid.resize(400, 300), grid.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&grid));
    cells.setImage(0, 0, picture("a"), "/p/a.jpg");
    cells.setImage(1, 1, picture("b", true), "/p/b.jpg");
    cells.setImage(60, 60, picture("far"), "/p/far.jpg");  // off the screen
    cells.setImage(1, 0, picture("gone"), "/p/gone.jpg");
    const QList<QPoint> three{{0, 0}, {1, 1}, {0, 1}};
    EXPECT_EQ(shown(40, three) + asked.join(' '), "sSs");  // small cells draw the small version and ask for nothing
    // A grey picture's version is grey too: the maker was told. A source that makes nothing is not asked again.
    EXPECT_EQ(shown(100, three), "vVs");
    EXPECT_EQ(shown(100, three), "vVs");
    EXPECT_EQ(shown(140, three), "vVs");  // larger cells need the whole thumbnail
    asked.sort();
    EXPECT_EQ(asked.join(' '), "a128 a256 b128g b256g g128 g256");
    // Moved cells take their pictures along: nothing is made again.
    const Picture moved = cells.CellPicture(0, 0);
    cells.clearImage(0, 0);
    cells.setImage(0, 2, moved, "/p/a.jpg");
    EXPECT_EQ(shown(140, {{2, 0}}) + QString::number(asked.size()), "v6");
}

TEST_F(Versions, TheLeastRecentlyShownVersionLeavesTheBudgetFirstAndIsMadeAfreshWhenAskedForAgain)
{
    PictureVersions versions(nullptr, qint64{128} * 128 * 4 * 2);  // room for two versions
    versions.setMaker(maker);
    const auto madeFor = [&](const Picture& picture) {
        versions.best(picture, 128);
        EXPECT_TRUE(QTest::qWaitFor([&] { return versions.busy() == 0; }));
        return versions.best(picture, 128).pixelColor(0, 0) == QColor(Qt::green);
    };
    const Picture a = picture("a"), b = picture("b"), c = picture("c");
    EXPECT_TRUE(madeFor(a) && madeFor(b) && madeFor(a) && madeFor(c));  // a shown again before c came
    EXPECT_TRUE(versions.isReady(a, 128) && !versions.isReady(b, 128) && madeFor(b));
    EXPECT_EQ(asked.join(' '), "a128 b128 c128 b128");
}

namespace {
// Grey pixels, 10 times their index row by row.
QImage grey(int width, int height)
{
    QImage picture(width, height, QImage::Format_Grayscale8);
    for (int i = 0; i < width * height; ++i)
        picture.scanLine(i / width)[i % width] = uchar(10 * i);
    return picture;
}
QList<int> greys(const QImage& copy)
{
    QList<int> values;
    for (int i = 0; i < copy.width() * copy.height(); ++i)
        values << qGray(copy.pixel(i % copy.width(), i / copy.width()));
    return values;
}
} // namespace

TEST(PictureScaling, AveragedCopiesAverageWhatLiesUnderEachPixelSampledOnesTakeItsMiddle)
{
    // Uneven spans: 5 columns into 2 (2 and 3 wide), 3 rows into 2 (1 and 2).
    EXPECT_EQ(greys(AveragedCopy(grey(5, 3), {2, 2})), (QList<int>{5, 30, 80, 105}));
    EXPECT_EQ(greys(AveragedCopy(grey(2, 1), {4, 1}, QImage::Format_Grayscale8)), (QList<int>{0, 0, 10, 10}));
    EXPECT_EQ(greys(SampledCopy(grey(6, 3), {3, 1})), (QList<int>{70, 90, 110}));
    QImage halves = filled(Qt::blue).convertToFormat(QImage::Format_RGB888);  // colour channels apart, in any format
    QPainter(&halves).fillRect(0, 0, 100, 150, Qt::red);
    const QImage small = AveragedCopy(halves, {24, 24}, QImage::Format_Grayscale8);
    EXPECT_TRUE(small.pixelColor(11, 5) == Qt::red && small.pixelColor(12, 5) == Qt::blue);
    EXPECT_EQ(AveragedCopy(halves, {1, 1}).pixelColor(0, 0), QColor(128, 0, 128));
}
