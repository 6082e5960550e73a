#include "image/Decode.h"
#include "image/ThumbnailMaker.h"
#include "shell/MainState.h"
#include "support/TestImages.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImageReader>
#include <QTemporaryDir>
#include <QTimer>
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

bool redLeftBlueRight(const QImage& picture)
{
    const QColor left = picture.pixelColor(picture.width() / 8, picture.height() / 4);
    const QColor right = picture.pixelColor(picture.width() * 7 / 8, picture.height() / 4);
    return left.red() > 200 && left.blue() < 60 && right.blue() > 200 && right.red() < 60;
}

QByteArray plainJpeg(int width, int height, Qt::GlobalColor color, bool progressive)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(color);
    return TestImages::encode(image, progressive);
}
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

    const QImage before(Thumbnailer::ThumbFile());
    EXPECT_FALSE(s.thumbs.MakeThumbnail(s.put("x.jpg", "not a picture")));
    EXPECT_EQ(QImage(Thumbnailer::ThumbFile()), before);
    s.state.StopLoading = true;
    EXPECT_FALSE(s.thumbs.MakeThumbnail(big));
    EXPECT_TRUE(s.thumbs.MakeThumbnail(s.put("small.jpg", TestImages::jpeg(40, 30))));  // needs no thumb file
}

TEST(Thumbnail, ATruncatedJpegShowsWhatDecodes)
{
    Scratch s;
    const QByteArray whole = TestImages::jpeg(800, 600);
    const auto cut = s.thumbs.CellPicture(s.put("cut.jpg", whole.left(whole.size() * 3 / 5)));
    ASSERT_TRUE(cut);
    EXPECT_EQ(cut->size(), QSize(200, 150));
    EXPECT_TRUE(redLeftBlueRight(*cut));
}

TEST(Thumbnail, AScratchFileThatCannotBeReplacedNeverGivesAnotherImagesPicture)
{
    Scratch s;
    // A folder where the scratch file belongs: it can be neither removed
    // nor written, even by root.
    ASSERT_TRUE(QDir().mkpath(Thumbnailer::ThumbFile() + "/x"));
    bool waited = false;
    QTimer::singleShot(50, [&] { waited = true; });  // runs only inside the wait
    const auto first = s.thumbs.CellPicture(s.put("a.jpg", TestImages::jpeg(800, 600)));
    EXPECT_TRUE(waited);
    const auto second = s.thumbs.CellPicture(s.put("b.jpg", plainJpeg(800, 600, Qt::blue, false)));
    QDir(Thumbnailer::ThumbFile()).removeRecursively();
    ASSERT_TRUE(first && second);
    EXPECT_TRUE(first->size() == QSize(200, 150) && redLeftBlueRight(*first));
    EXPECT_GT(second->pixelColor(20, 20).blue(), 200);
    EXPECT_LT(second->pixelColor(20, 20).red(), 60);
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
    const QString large = s.put("large.jpg", plainJpeg(7300, 5480, Qt::darkGreen, true));
    const DecodedThumbnail whole = DecodeThumbnail(large, 0, 0);
    EXPECT_TRUE(whole.decoded && whole.fits);
    EXPECT_EQ(whole.image.size(), QSize(7300, 5480));
    const DecodedThumbnail small = DecodeThumbnail(large, 200, 200);
    EXPECT_TRUE(small.decoded && small.image.size() == QSize(200, 150));
}

TEST(Thumbnail, JpegFrameFromTheHeader)
{
    const auto frame = [](const QByteArray& bytes) {
        QBuffer buffer;
        buffer.setData(bytes);
        buffer.open(QIODevice::ReadOnly);
        return ReadJpegFrame(buffer);
    };
    const auto baseline = frame(TestImages::jpeg(40, 30, 6));  // behind an EXIF segment
    ASSERT_TRUE(baseline);
    EXPECT_EQ(baseline->size, QSize(40, 30));
    EXPECT_FALSE(baseline->progressive || baseline->wholeImageBuffer || baseline->arithmetic);
    // 4:2:0 in 16 x 16 blocks of luma: 3 x 2 of them, each with 4 luma and 2 colour blocks.
    EXPECT_EQ(baseline->blocks, 3 * 2 * 6);
    const auto progressive = frame(plainJpeg(64, 64, Qt::darkGreen, true));
    ASSERT_TRUE(progressive);
    EXPECT_TRUE(progressive->progressive && progressive->wholeImageBuffer);
    EXPECT_FALSE(frame("not a jpeg") || frame(QByteArray("\xFF\xD8\xFF", 3)));
}
