#include "grid/Thumbnail.h"
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
    EXPECT_EQ(*scaled, QImage(Thumbnailer::ThumbFile()));
    const auto turned = s.thumbs.CellPicture(s.put("turned.jpg", TestImages::jpeg(400, 200, 6)));
    ASSERT_TRUE(turned && turned->size() == QSize(100, 200));
    EXPECT_TRUE(turned->pixelColor(50, 20).red() > 200 && turned->pixelColor(50, 180).blue() > 200);
    const auto fits = s.thumbs.CellPicture(s.put("small.jpg", TestImages::jpeg(40, 30)));
    EXPECT_TRUE(fits && fits->size() == QSize(40, 30) && s.state.UseFullImage);

    const QImage before(Thumbnailer::ThumbFile());
    EXPECT_FALSE(s.thumbs.MakeThumbnail(s.put("x.jpg", "not a picture")));
    EXPECT_EQ(QImage(Thumbnailer::ThumbFile()), before);
    const QByteArray whole = TestImages::jpeg(800, 600);
    s.thumbs.CellPicture(s.put("cut.jpg", whole.left(whole.size() / 2)));  // any outcome but a crash
    s.state.StopLoading = true;
    EXPECT_FALSE(s.thumbs.MakeThumbnail(big));
    EXPECT_TRUE(s.thumbs.MakeThumbnail(s.put("small.jpg", TestImages::jpeg(40, 30))));  // needs no thumb file
}
