#include "image/Decode.h"
#include "image/ThumbnailMaker.h"
#include "shell/MainState.h"
#include "support/TestImages.h"

#include <QFile>
#include <QImageReader>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {
struct Scratch {
    QTemporaryDir dir;
    MainState state;
    Thumbnailer thumbs{state};
    Scratch() { QFile::remove(Thumbnailer::ThumbFile()); }
    QString put(const QString& name, const QByteArray& bytes)
    {
        TestImages::write(dir.filePath(name), bytes);
        return dir.filePath(name);
    }
};
} // namespace

TEST(Thumbnail, SizeKeepsAspectRoundsHalvesToEvenAndNeverReachesZero)
{
    using S = std::optional<QSize>;
    EXPECT_EQ(ThumbnailSize({1600, 1200}, 200, 200), S(QSize(200, 150)));
    EXPECT_EQ(ThumbnailSize({1200, 1600}, 200, 200), S(QSize(150, 200)));
    EXPECT_EQ(ThumbnailSize({201, 200}, 200, 200), S(QSize(200, 199)));
    EXPECT_TRUE(!ThumbnailSize({200, 200}, 200, 200) && !ThumbnailSize({5000, 5000}, 0, 0));
    EXPECT_EQ(ThumbnailSize({3, 1000}, 100, 100), S(QSize(1, 100)));
    EXPECT_EQ(ThumbnailSize({200, 101}, 100, 100), S(QSize(100, 50)));
    EXPECT_EQ(ThumbnailSize({200, 103}, 100, 100), S(QSize(100, 52)));
}

TEST(Thumbnail, CellPictureIsUprightAndGoesThroughTheThumbFileOnlyWhenScaled)
{
    Scratch s;
    const QString big = s.put("big.jpg", TestImages::jpeg(1600, 1200));
    s.state.ThumbMaxWidth = s.state.ThumbMaxHeight = 0;
    EXPECT_TRUE(s.thumbs.MakeThumbnail(big) && s.state.UseFullImage);
    EXPECT_FALSE(QFile::exists(Thumbnailer::ThumbFile()));
    s.state.ThumbMaxWidth = s.state.ThumbMaxHeight = 200;
    const auto scaled = s.thumbs.CellPicture(big);
    ASSERT_TRUE(scaled && scaled->size() == QSize(200, 150) && !s.state.UseFullImage);
    EXPECT_EQ(QImageReader(Thumbnailer::ThumbFile()).format(), "bmp");
    EXPECT_EQ(*scaled, QImage(Thumbnailer::ThumbFile()).convertToFormat(scaled->format()));
    const auto turned = s.thumbs.CellPicture(s.put("turned.jpg", TestImages::jpeg(400, 200, 6)));
    ASSERT_TRUE(turned && turned->size() == QSize(100, 200));
    EXPECT_TRUE(turned->pixelColor(50, 20).red() > 200 && turned->pixelColor(50, 180).blue() > 200);
    const auto fits = s.thumbs.CellPicture(s.put("small.jpg", TestImages::jpeg(40, 30)));
    EXPECT_TRUE(fits && fits->size() == QSize(40, 30) && s.state.UseFullImage);
    // A truncated file shows what decodes.
    const QByteArray whole = TestImages::jpeg(800, 600);
    const auto cut = s.thumbs.CellPicture(s.put("cut.jpg", whole.left(whole.size() * 3 / 5)));
    EXPECT_TRUE(cut && cut->size() == QSize(200, 150) && cut->pixelColor(20, 20).red() > 200);

    const QImage before(Thumbnailer::ThumbFile());
    EXPECT_FALSE(s.thumbs.MakeThumbnail(s.put("x.jpg", "not a picture")));
    EXPECT_EQ(QImage(Thumbnailer::ThumbFile()), before);
    s.state.StopLoading = true;
    EXPECT_FALSE(s.thumbs.MakeThumbnail(big));
    EXPECT_TRUE(s.thumbs.MakeThumbnail(s.put("small.jpg", TestImages::jpeg(40, 30))));  // needs no thumb file
}

TEST(Thumbnail, CraftedHeadersAreRefusedAndAWholeLargeImageDecodesAtFullSize)
{
    Scratch s;
    // 1.4 KB that claim 225 megapixels: passed over unread.
    for (const bool progressive : {false, true}) {
        const QByteArray crafted = TestImages::jpegClaiming(15000, 15000, progressive);
        ASSERT_LT(crafted.size(), 2000);
        const QString path = s.put(progressive ? "p.jpg" : "b.jpg", crafted);
        EXPECT_FALSE(DecodeThumbnail(path, 200, 200).decoded) << progressive;
        EXPECT_EQ(EstimatedDecodeBytes(path, 200, 200), 0) << progressive;
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
    EXPECT_EQ(DecodeThumbnail(large, 200, 200).image.size(), QSize(200, 150));
}
