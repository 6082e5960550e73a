#include "grid/Thumbnail.h"
#include "grid/ThumbnailPrefetcher.h"
#include "shell/MainState.h"
#include "support/TestImages.h"

#include <QFile>
#include <QImageReader>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <thread>

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

TEST(Thumbnail, ThumbFileIsWrittenOnlyForScaledImages)
{
    Scratch s;
    const QString big = s.put("big.jpg", TestImages::jpeg(400, 300));
    s.state.ThumbMaxWidth = s.state.ThumbMaxHeight = 0;
    EXPECT_TRUE(s.thumbs.MakeThumbnail(big) && s.state.UseFullImage);
    EXPECT_FALSE(QFile::exists(Thumbnailer::ThumbFile()));
    s.state.ThumbMaxWidth = s.state.ThumbMaxHeight = 100;
    EXPECT_TRUE(s.thumbs.MakeThumbnail(big) && !s.state.UseFullImage);
    QImageReader written(Thumbnailer::ThumbFile());
    EXPECT_TRUE(written.format() == "bmp" && written.size() == QSize(100, 75));

    const QImage before(Thumbnailer::ThumbFile());
    EXPECT_FALSE(s.thumbs.MakeThumbnail(s.put("x.jpg", "not a picture")));
    EXPECT_FALSE(s.thumbs.MakeThumbnail(s.put("empty.jpg", "")));
    EXPECT_EQ(QImage(Thumbnailer::ThumbFile()), before);
    s.state.StopLoading = true;
    EXPECT_FALSE(s.thumbs.MakeThumbnail(big));
    EXPECT_TRUE(s.thumbs.MakeThumbnail(s.put("small.jpg", TestImages::jpeg(40, 30))));
}

TEST(Thumbnail, CellPictureIsUprightAndHostileFilesAreRefused)
{
    Scratch s;
    const auto turned = s.thumbs.CellPicture(s.put("turned.jpg", TestImages::jpeg(400, 200, 6)));
    ASSERT_TRUE(turned && turned->size() == QSize(100, 200));
    EXPECT_TRUE(turned->pixelColor(50, 20).red() > 200 && turned->pixelColor(50, 180).blue() > 200);
    const auto scaled = s.thumbs.CellPicture(s.put("big.jpg", TestImages::jpeg(1600, 1200)));
    ASSERT_TRUE(scaled && scaled->size() == QSize(200, 150));
    EXPECT_EQ(*scaled, QImage(Thumbnailer::ThumbFile()));
    const auto fits = s.thumbs.CellPicture(s.put("small.jpg", TestImages::jpeg(40, 30)));
    EXPECT_TRUE(fits && fits->size() == QSize(40, 30));
    // Headers claiming far more pixels than the file holds, over the reader's own limit and under it.
    EXPECT_FALSE(s.thumbs.CellPicture(s.put("bomb.jpg", TestImages::jpegClaiming(65535, 65535))));
    EXPECT_FALSE(s.thumbs.CellPicture(s.put("bomb2.jpg", TestImages::jpegClaiming(30000, 30000))));
    const QByteArray whole = TestImages::jpeg(800, 600);
    s.thumbs.CellPicture(s.put("cut.jpg", whole.left(whole.size() / 2)));  // any outcome but a crash
}

TEST(Thumbnail, PrefetcherHandsOutTheSameDecodesInOrder)
{
    Scratch s;
    const QStringList paths{s.put("a.jpg", TestImages::jpeg(400, 300)), s.put("b.jpg", "junk"),
                            s.put("c.jpg", TestImages::jpeg(60, 300, 6)), s.put("d.jpg", TestImages::jpeg(30, 20))};
    ThumbnailPrefetcher ahead(2);
    ahead.enqueue(paths, 50, 40);
    std::this_thread::sleep_for(std::chrono::milliseconds(200));  // so the workers have taken the jobs up
    for (const QString& path : paths) {
        const auto taken = ahead.take(path, 50, 40);
        const DecodedThumbnail direct = DecodeThumbnail(path, 50, 40);
        ASSERT_TRUE(taken) << path.toStdString();
        EXPECT_TRUE(taken->decoded == direct.decoded && taken->fits == direct.fits && taken->image == direct.image);
    }
    EXPECT_FALSE(ahead.take(s.dir.filePath("never.jpg"), 50, 40));
}
