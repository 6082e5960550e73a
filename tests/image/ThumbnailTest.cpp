#include "image/Decode.h"
#include "image/ThumbnailCache.h"
#include "image/ThumbnailMaker.h"
#include "shell/MainState.h"
#include "support/TestImages.h"

#include <QDir>
#include <QPainter>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {
struct Scratch {
    QTemporaryDir dir;
    MainState state;
    Thumbnailer thumbs{state, state};
    QString put(const QString& name, const QByteArray& bytes)
    {
        TestImages::write(dir.filePath(name), bytes);
        return dir.filePath(name);
    }
    // What a placed picture shows when the view zooms in: made again.
    QImage whole(const std::optional<Picture>& picture) const
    {
        return picture && picture->source() ? thumbs.Version(*picture->source(), 256, false) : QImage();
    }
};
} // namespace

TEST(Thumbnail, SizeKeepsAspectRoundsHalvesToEvenAndNeverReachesZero)
{
    const QList<std::pair<QSize, QSize>> cases{{{1200, 1600}, {75, 100}}, {{3, 1000}, {1, 100}},
                                               {{200, 101}, {100, 50}},   {{200, 103}, {100, 52}}};
    for (const auto& [image, thumbnail] : cases)
        EXPECT_EQ(ThumbnailSize(image, 100, 100), thumbnail) << image.width() << 'x' << image.height();
    EXPECT_TRUE(!ThumbnailSize({100, 100}, 100, 100) && !ThumbnailSize({5000, 5000}, 0, 0));
}

TEST(Thumbnail, CellPictureIsUprightAndKeepsOnlyASmallVersionWhenScaled)
{
    Scratch s;
    const QString big = s.put("big.jpg", TestImages::jpeg(1600, 1200));
    const QString small = s.put("small.jpg", TestImages::jpeg(40, 30));
    const auto scaled = s.thumbs.CellPicture(big, false);
    ASSERT_TRUE(scaled && scaled->size() == QSize(200, 150));
    // Only its small version stays in memory; the whole is made again.
    const QImage shown = s.whole(scaled);
    EXPECT_TRUE(scaled->whole().isNull() && scaled->small().size() == QSize(48, 48) && shown.size() == QSize(200, 150));
    EXPECT_TRUE(shown.pixelColor(20, 75).red() > 200 && shown.pixelColor(180, 75).blue() > 200);
    const auto turned = s.thumbs.CellPicture(s.put("turned.jpg", TestImages::jpeg(400, 200, 6)), true);
    ASSERT_TRUE(turned && turned->size() == QSize(100, 200) && turned->isGrey());
    const QImage upright = s.whole(turned);
    EXPECT_TRUE(upright.pixelColor(50, 20).red() > 200 && upright.pixelColor(50, 180).blue() > 200);
    EXPECT_EQ(turned->small().format(), QImage::Format_Grayscale8);
    const auto fits = s.thumbs.CellPicture(small, false);
    EXPECT_TRUE(fits && fits->size() == QSize(40, 30) && !fits->whole().isNull());
    // A truncated file shows what decodes.
    const QByteArray whole = TestImages::jpeg(800, 600);
    const auto cut = s.thumbs.CellPicture(s.put("cut.jpg", whole.left(whole.size() * 3 / 5)), false);
    EXPECT_TRUE(cut && cut->size() == QSize(200, 150) && s.whole(cut).pixelColor(20, 20).red() > 200);

    EXPECT_FALSE(s.thumbs.MakeThumbnail(s.put("x.jpg", "not a picture")));
    s.state.StopLoading = true;
    EXPECT_FALSE(s.thumbs.MakeThumbnail(big) || s.thumbs.MakeThumbnail(small));
}

TEST(Thumbnail, AnEmbeddedThumbnailStandsInOnlyWhenItIsTheSamePictureAndIsTurnedUpright)
{
    Scratch s;
    // Green above yellow as stored, in black bars; the photographs are red and blue.
    const auto camera = [](int width, int height, int bars) {
        QImage picture(width, height, QImage::Format_RGB32);
        picture.fill(Qt::black);
        QPainter(&picture).fillRect(0, bars, width, height / 2 - bars, Qt::green);
        QPainter(&picture).fillRect(0, height / 2, width, height / 2 - bars, Qt::yellow);
        return TestImages::encode(picture);
    };
    struct Case { QSize photo; int orientation; QByteArray embedded; bool used; };
    const QList<Case> cases{{{800, 600}, 1, camera(160, 120, 0), true},   {{1600, 900}, 1, camera(160, 120, 15), true},
                            {{800, 600}, 6, camera(160, 120, 0), true},   {{800, 600}, 1, camera(160, 90, 0), false},
                            {{800, 600}, 1, camera(160, 120, 15), false}, {{800, 600}, 1, camera(80, 60, 0), false}};
    for (const Case& c : cases) {
        const QByteArray photo = TestImages::jpeg(c.photo.width(), c.photo.height());
        const auto picture = s.thumbs.CellPicture(
            s.put("e.jpg", TestImages::withExif(photo, {.orientation = c.orientation, .thumbnail = c.embedded})), false);
        ASSERT_TRUE(picture);
        // Upright, the stored top is on the right when the photograph is turned.
        const QImage small = picture->small();
        const QColor green = small.pixelColor(small.width() * 3 / 4, small.height() / 4);
        const QColor yellow = small.pixelColor(small.width() / 4, small.height() * 3 / 4);
        EXPECT_EQ(green.green() > 200 && green.red() < 60 && yellow.red() > 200 && yellow.green() > 200, c.used)
            << c.photo.width() << ' ' << c.orientation << ' ' << c.embedded.size();
        EXPECT_LT(s.whole(picture).pixelColor(2, 2).green(), 100);  // a larger version is the photograph's
    }
}

TEST(Thumbnail, AStopRaisedWhileAFileIsReadEndsItsDecodeWithNothingMadeNorHeldAgainstTheFile)
{
    Scratch s;
    QImage noise(1200, 900, QImage::Format_RGB32);
    for (int y = 0; y < noise.height(); ++y)
        for (int x = 0; x < noise.width(); ++x)
            noise.setPixel(x, y, uint(x * 7919 ^ y * 104729) * 2654435761U);
    const QString busy = s.put("busy.jpg", TestImages::encode(noise));
    const ThumbnailCache cache(s.dir.filePath("thumbnails"));
    int asked = 0;
    const DecodedThumbnail stopped = DecodeThumbnail(busy, 200, 200, &cache, [&] { return ++asked > 4; });
    EXPECT_TRUE(stopped.stopped && !stopped.decoded && stopped.image.isNull() && stopped.small.isNull());
    EXPECT_FALSE(cache.failedBefore(*cache.original(busy)));
    EXPECT_TRUE(DecodeThumbnail(busy, 200, 200, &cache, [] { return false; }).decoded);
}

TEST(Thumbnail, CraftedHeadersAreRefusedAndAWholeLargeImageDecodesAtFullSize)
{
    Scratch s;
    // 1.4 KB that claim 225 megapixels: passed over unread.
    for (const bool progressive : {false, true}) {
        const QString path = s.put("crafted.jpg", TestImages::jpegClaiming(15000, 15000, progressive));
        EXPECT_TRUE(!DecodeThumbnail(path, 200, 200).decoded && EstimatedDecodeBytes(path, 200, 200) == 0)
            << progressive;
    }
    // Padded until its size could hold that many blocks: the decoder's own
    // cap refuses the gigabyte a progressive file would need.
    QByteArray padded = TestImages::jpegClaiming(15000, 15000, true);
    padded.append(QByteArray(1200 * 1024, '\0'));
    const QString heavy = s.put("heavy.jpg", padded);
    EXPECT_GT(EstimatedDecodeBytes(heavy, 200, 200), 600'000'000);
    EXPECT_FALSE(DecodeThumbnail(heavy, 200, 200).decoded);

    // A real 40-megapixel progressive photograph, kept whole: far beyond
    // Qt's default allocation limit of 128 MB.
    QImage photograph(7300, 5480, QImage::Format_RGB32);
    photograph.fill(Qt::darkGreen);
    const QString large = s.put("large.jpg", TestImages::encode(photograph, true));
    const DecodedThumbnail whole = DecodeThumbnail(large, 0, 0);
    EXPECT_TRUE(whole.decoded && whole.fits && whole.image.size() == QSize(7300, 5480));
}
