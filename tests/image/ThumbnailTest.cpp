#include "image/Decode.h"
#include "image/ThumbnailCache.h"
#include "image/ThumbnailMaker.h"
#include "shell/MainState.h"
#include "support/TestImages.h"

#include <QDir>
#include <QPainter>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <random>
#include <tuple>

namespace {

QImage filled(QSize size, QColor colour, QImage::Format format = QImage::Format_RGB32)
{
    QImage image(size, format);
    image.fill(colour);
    return image;
}

// Green or yellow in the middle, as the planted entries and embedded
// thumbnails are; the photographs are red and blue.
bool isColour(const QImage& picture, Qt::GlobalColor color)
{
    const QColor seen = picture.pixelColor(picture.width() / 2, picture.height() / 2);
    return seen.green() > 200 && seen.blue() < 60 && (seen.red() > 200) == (color == Qt::yellow);
}

// A photograph a.jpg in one folder, the shared cache in another, and
// thumbnail makers with and without it at the start-up limits of 200 x 200.
struct Photos : ::testing::Test {
    QTemporaryDir photos, home;
    ThumbnailCache cache{home.filePath("thumbnails")};
    MainState state;
    Thumbnailer thumbs{state, state, &cache}, plain{state, state};
    const QString path = put("a.jpg");

    QString put(const QString& name, const QByteArray& bytes = TestImages::jpeg(800, 600))
    {
        TestImages::write(photos.filePath(name), bytes);
        return photos.filePath(name);
    }
    QString entryPath(const QString& file, const QString& folder = "large") const
    {
        return cache.root() + '/' + folder + '/' + ThumbnailCache::EntryName(file);
    }
    // An entry as another program writes it: any picture, the two keys.
    void plant(const QString& file, QImage picture, const QString& uri = {}, qint64 age = 0, const QString& folder = "large")
    {
        QDir().mkpath(QFileInfo(entryPath(file, folder)).path());
        picture.setText("Thumb::URI", uri.isEmpty() ? "file://" + file : uri);
        picture.setText("Thumb::MTime", QString::number(mtime(file) - age));
        ASSERT_TRUE(picture.save(entryPath(file, folder), "png"));
    }
    static qint64 mtime(const QString& file) { return QFileInfo(file).lastModified().toSecsSinceEpoch(); }
    // The whole thumbnail a placed picture shows when the view zooms in: made again.
    QImage whole(const std::optional<Picture>& picture) const
    {
        return picture && picture->source() ? thumbs.Version(*picture->source(), 256, false) : QImage();
    }
};

} // namespace

TEST(ThumbnailNames, SizesKeepAspectRoundHalvesToEvenAndUrisAreEscapedHashedAndFiledByTheLimits)
{
    const QList<std::pair<QSize, QSize>> sizes{{{1200, 1600}, {75, 100}}, {{3, 1000}, {1, 100}},
                                               {{200, 101}, {100, 50}},   {{200, 103}, {100, 52}}};
    for (const auto& [image, thumbnail] : sizes)
        EXPECT_EQ(ThumbnailSize(image, 100, 100), thumbnail) << image.width() << 'x' << image.height();
    EXPECT_TRUE(!ThumbnailSize({100, 100}, 100, 100) && !ThumbnailSize({5000, 5000}, 0, 0));
    const QString odd = QString::fromUtf8("/tmp/a b/#1 100%/caf\xC3\xA9.jpg");
    EXPECT_EQ(ThumbnailCache::FileUri(odd), "file:///tmp/a%20b/%231%20100%25/caf%C3%A9.jpg");
    EXPECT_EQ(ThumbnailCache::EntryName(odd), "af722cdc9c08c09fe6b239e360a2e810.png");
    EXPECT_EQ(ThumbnailCache::FileUri("/p/./q/../a;b=c&d+e'(1)!~.jpg"), "file:///p/a%3Bb=c&d+e'(1)!~.jpg");
    for (const auto& [limit, size] :
         QList<QPair<int, int>>{{128, 128}, {129, 256}, {512, 512}, {1024, 1024}, {1025, 0}, {0, 0}})
        EXPECT_EQ(ThumbnailCache::EntrySize(limit, limit), size) << limit;
    const QByteArray saved = qgetenv("XDG_CACHE_HOME");
    qputenv("XDG_CACHE_HOME", "relative/ignored");
    EXPECT_EQ(ThumbnailCache::DefaultRoot(), QDir::homePath() + "/.cache/thumbnails");
    qputenv("XDG_CACHE_HOME", saved);
}

TEST_F(Photos, CellPicturesAreUprightAndKeepOnlyASmallVersionWhenScaled)
{
    const QString small = put("small.jpg", TestImages::jpeg(40, 30));
    const auto scaled = plain.CellPicture(path, false);
    ASSERT_TRUE(scaled && scaled->size() == QSize(200, 150));
    const QImage shown = whole(scaled);  // made again: only the small version stays in memory
    EXPECT_TRUE(scaled->whole().isNull() && scaled->small().size() == QSize(48, 48) && shown.size() == QSize(200, 150));
    EXPECT_TRUE(shown.pixelColor(20, 75).red() > 200 && shown.pixelColor(180, 75).blue() > 200);
    const auto turned = plain.CellPicture(put("turned.jpg", TestImages::jpeg(400, 200, 6)), true);
    ASSERT_TRUE(turned && turned->size() == QSize(100, 200) && turned->isGrey());
    const QImage upright = whole(turned);
    EXPECT_TRUE(upright.pixelColor(50, 20).red() > 200 && upright.pixelColor(50, 180).blue() > 200);
    EXPECT_EQ(turned->small().format(), QImage::Format_Grayscale8);
    const auto fits = plain.CellPicture(small, false);
    EXPECT_TRUE(fits && fits->size() == QSize(40, 30) && !fits->whole().isNull());
    const QByteArray photo = TestImages::jpeg(800, 600);  // a truncated file shows what decodes
    const auto cut = plain.CellPicture(put("cut.jpg", photo.left(photo.size() * 3 / 5)), false);
    EXPECT_TRUE(cut && cut->size() == QSize(200, 150) && whole(cut).pixelColor(20, 20).red() > 200);
    EXPECT_FALSE(plain.MakeThumbnail(put("x.jpg", "not a picture")));
    EXPECT_TRUE(thumbs.MakeThumbnail(path));  // into the cache, from where no decode stops
    state.StopLoading = true;
    EXPECT_FALSE(plain.MakeThumbnail(path) || plain.MakeThumbnail(small) || thumbs.MakeThumbnail(path));
}

TEST_F(Photos, AnEmbeddedThumbnailStandsInOnlyWhenItIsTheSamePictureAndIsTurnedUpright)
{
    // Green above yellow as stored, in black bars.
    const auto camera = [](int width, int height, int bars) {
        QImage picture = filled({width, height}, Qt::black);
        QPainter(&picture).fillRect(0, bars, width, height / 2 - bars, Qt::green);
        QPainter(&picture).fillRect(0, height / 2, width, height / 2 - bars, Qt::yellow);
        return TestImages::encode(picture);
    };
    struct Case { QSize photo; int orientation; QByteArray embedded; bool used; };
    const QList<Case> cases{{{800, 600}, 1, camera(160, 120, 0), true},   {{1600, 900}, 1, camera(160, 120, 15), true},
                            {{800, 600}, 6, camera(160, 120, 0), true},   {{800, 600}, 1, camera(160, 90, 0), false},
                            {{800, 600}, 1, camera(160, 120, 15), false}, {{800, 600}, 1, camera(80, 60, 0), false},
                            {{800, 600}, 1, camera(160, 121, 0), true},   {{800, 600}, 1, camera(160, 122, 0), false}};
    for (const Case& c : cases) {
        const QByteArray photo = TestImages::jpeg(c.photo.width(), c.photo.height());
        const auto picture = plain.CellPicture(
            put("e.jpg", TestImages::withExif(photo, {.orientation = c.orientation, .thumbnail = c.embedded})), false);
        ASSERT_TRUE(picture);
        // Upright, the stored top is on the right when the photograph is turned.
        const QImage small = picture->small();
        const QColor green = small.pixelColor(small.width() * 3 / 4, small.height() / 4);
        const QColor yellow = small.pixelColor(small.width() / 4, small.height() * 3 / 4);
        EXPECT_EQ(green.green() > 200 && green.red() < 60 && yellow.red() > 200 && yellow.green() > 200, c.used)
            << c.photo.width() << ' ' << c.orientation << ' ' << c.embedded.size();
        EXPECT_LT(whole(picture).pixelColor(2, 2).green(), 100);  // a larger version is the photograph's
    }
}

TEST_F(Photos, AStopRaisedWhileAFileIsReadEndsItsDecodeWithNothingMadeNorHeldAgainstTheFile)
{
    QImage noise(1200, 900, QImage::Format_RGB32);
    for (int y = 0; y < noise.height(); ++y)
        for (int x = 0; x < noise.width(); ++x)
            noise.setPixel(x, y, uint(x * 7919 ^ y * 104729) * 2654435761U);
    const QString busy = put("busy.jpg", TestImages::encode(noise));
    int asked = 0;
    const DecodedThumbnail stopped = DecodeThumbnail(busy, 200, 200, &cache, [&] { return ++asked > 4; });
    EXPECT_TRUE(stopped.stopped && !stopped.decoded && stopped.image.isNull() && stopped.small.isNull());
    EXPECT_FALSE(cache.failedBefore(*cache.original(busy)));
    EXPECT_TRUE(DecodeThumbnail(busy, 200, 200, &cache, [] { return false; }).decoded);
}

TEST_F(Photos, CraftedHeadersAreRefusedAndAWholeLargeImageDecodesAtFullSize)
{
    // 1.4 KB that claim 225 megapixels: passed over unread.
    for (const bool progressive : {false, true}) {
        const QString crafted = put("crafted.jpg", TestImages::jpegClaiming(15000, 15000, progressive));
        EXPECT_TRUE(!DecodeThumbnail(crafted, 200, 200).decoded && EstimatedDecodeBytes(crafted, 200, 200) == 0) << progressive;
    }
    // Padded until its size could hold that many blocks: the decoder's own
    // cap refuses the gigabyte a progressive file would need.
    const QString heavy = put("heavy.jpg", TestImages::jpegClaiming(15000, 15000, true) + QByteArray(1200 * 1024, '\0'));
    EXPECT_GT(EstimatedDecodeBytes(heavy, 200, 200), 600'000'000);
    EXPECT_FALSE(DecodeThumbnail(heavy, 200, 200).decoded);
    // A real 40-megapixel progressive photograph, kept whole: far beyond Qt's default allocation limit of 128 MB.
    const QString large = put("large.jpg", TestImages::encode(filled({7300, 5480}, Qt::darkGreen), true));
    const DecodedThumbnail decoded = DecodeThumbnail(large, 0, 0);
    EXPECT_TRUE(decoded.decoded && decoded.fits && decoded.image.size() == QSize(7300, 5480));
}

TEST_F(Photos, OnlyAScaledFileOutsideTheCacheGetsPrivateEntriesAndAPlacedPictureIsMadeAgainFromThemOrItsFile)
{
    EXPECT_TRUE(thumbs.MakeThumbnail(put("small.jpg", TestImages::jpeg(150, 100))));  // used whole
    const auto picture = thumbs.CellPicture(path, true);
    ASSERT_TRUE(picture && picture->size() == QSize(200, 150) && picture->whole().isNull());
    EXPECT_EQ(QImage(entryPath(path)).size(), QSize(256, 192));  // decoded anyway: a zoom will want it
    const QImage normal(entryPath(path, "normal"));
    EXPECT_TRUE(normal.size() == QSize(128, 96) && normal.text("Thumb::Image::Width") == "800"
                && normal.text("Thumb::Image::Height") == "600");
    const PictureSource& source = *picture->source();
    const QImage grey = thumbs.Version(source, 256, true);  // the zoom needs the large entry
    EXPECT_TRUE(grey.size() == QSize(200, 150) && grey.format() == QImage::Format_Grayscale8);
    EXPECT_EQ(QImage(entryPath(path)).size(), QSize(256, 192));
    for (const QString& own :
         {entryPath(path), entryPath(path, "normal"), cache.root(), cache.root() + "/large", cache.root() + "/normal"})
        EXPECT_EQ(QFile::permissions(own) & 0x00FF, 0);  // nothing for group or others
    TestImages::write(cache.root() + "/inside.jpg", TestImages::jpeg(800, 600));
    EXPECT_TRUE(thumbs.MakeThumbnail(cache.root() + "/inside.jpg"));
    EXPECT_EQ(QDir(cache.root()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
              (QStringList{"inside.jpg", "large", "normal"}));
    for (const char* folder : {"/large", "/normal"})
        EXPECT_EQ(QDir(cache.root() + folder).entryList(QDir::Files | QDir::Hidden),
                  QStringList{ThumbnailCache::EntryName(path)});
    // Smaller versions come from the entry of the next size up (planted here).
    plant(path, filled({128, 96}, Qt::green), {}, 0, "normal");
    plant(path, filled({256, 192}, Qt::yellow));
    EXPECT_TRUE(isColour(thumbs.Version(source, 128, false), Qt::green));
    const QImage between = thumbs.Version(source, 174, false);
    EXPECT_TRUE(between.size() == QSize(174, 130) && isColour(between, Qt::yellow));
    // With the cache gone, the photograph makes both again.
    QDir(cache.root()).removeRecursively();
    EXPECT_EQ(thumbs.Version(source, 256, true), grey);
    const QImage fitted = thumbs.Version(source, 128, false);
    EXPECT_TRUE(fitted.size() == QSize(128, 96) && fitted.pixelColor(10, 48).red() > 200);
    QFile::remove(path);
    EXPECT_TRUE(thumbs.Version(source, 256, true).isNull());
}

TEST_F(Photos, EntriesAreCompressedPngsWithTheirKeysInTextChunksAndReadBackUnchanged)
{
    // Photo-like: gradients under a little noise. Grey stays grey and only
    // a picture with alpha keeps it (PNG colour types 0, 2 and 6).
    QImage photo(256, 192, QImage::Format_RGB32);
    std::minstd_rand noise(7);
    for (int y = 0; y < photo.height(); ++y)
        for (int x = 0; x < photo.width(); ++x)
            photo.setPixel(x, y, qRgb(x / 2 + int(noise() % 4), y + int(noise() % 4), (x + y) / 3));
    QImage clear = photo.convertToFormat(QImage::Format_ARGB32);
    clear.setPixel(5, 5, qRgba(1, 2, 3, 4));
    const auto file = cache.original(path);
    const QList<QByteArray> keys{"Thumb::URI", "file://" + path.toUtf8(), "Thumb::MTime", QByteArray::number(mtime(path)),
                                 "Software", "Pavisto 1.0.0", "Thumb::Size", QByteArray::number(file->bytes),
                                 "Thumb::Image::Width", "800", "Thumb::Image::Height", "600"};
    const QList<std::tuple<QImage, int, int>> pictures{// colour type, bytes a pixel
                                                       {photo, 2, 3},
                                                       {photo.convertToFormat(QImage::Format_Grayscale8), 0, 1},
                                                       {clear, 6, 4}};
    for (const auto& [picture, colourType, pixelBytes] : pictures) {
        cache.store(*file, 256, picture, QSize(800, 600));
        for (const char* folder : {"large", "normal"}) {
            const QByteArray png = TestImages::read(entryPath(path, folder));
            EXPECT_TRUE(png.startsWith("\x89PNG\r\n\x1a\n") && png[24] == 8 && png[25] == colourType) << folder;
            for (int k = 0; k < keys.size(); k += 2)
                EXPECT_TRUE(png.contains("tEXt" + keys[k] + '\0' + keys[k + 1])) << folder << keys[k].constData();
        }
        QFile::remove(entryPath(path, "normal"));  // else the next picture leaves it as it is
        EXPECT_EQ(QImage(entryPath(path)).convertToFormat(picture.format()), picture) << colourType;
        EXPECT_LT(QFileInfo(entryPath(path)).size(), 256 * 192 * pixelBytes / 2) << colourType;
    }
}

TEST_F(Photos, TheNormalEntryFitsTheImageInto128NeverEnlargedAndADecodeWritesItAfresh)
{
    const auto file = cache.original(path);
    const QList<std::tuple<int, QSize, QSize, QSize>> cases{// entry size, image, picture, normal entry
                                                            {256, {4000, 2667}, {256, 171}, {128, 85}},
                                                            {512, {2000, 3000}, {341, 512}, {85, 128}},
                                                            {256, {120, 90}, {120, 90}, {120, 90}}};
    for (const auto& [entrySize, image, size, normal] : cases) {
        QFile::remove(entryPath(path, "normal"));
        cache.store(*file, entrySize, filled(size, Qt::red), image);
        EXPECT_EQ(cache.find(*file, 128).size(), normal) << image.width();
        EXPECT_EQ(cache.find(*file, 128).text("Thumb::Image::Width"), QString::number(image.width()));
    }
    // Even one its time calls valid (the file may have changed within that
    // second), and the decode forgets that the file was broken.
    plant(path, filled({100, 75}, Qt::green), {}, 0, "normal");
    plant(path, QImage(1, 1, QImage::Format_ARGB32), {}, 0, "fail/pavisto-1.0.0");
    ASSERT_TRUE(cache.failedBefore(*cache.original(path)));
    EXPECT_TRUE(DecodeThumbnail(path, 200, 200, &cache).decoded);
    EXPECT_EQ(QImage(entryPath(path, "normal")).size(), QSize(128, 96));
    EXPECT_FALSE(cache.failedBefore(*cache.original(path)));
}

TEST_F(Photos, EntriesThatDoNotDescribeTheFileAreMadeAgain)
{
    // Stale, another file's, too small to use; the first two large enough otherwise.
    for (const auto& [width, uri, age] :
         QList<std::tuple<int, QString, qint64>>{{240, {}, 5}, {240, "file:///other.jpg", 0}, {20, {}, 0}}) {
        const QImage green = filled({width, width * 3 / 4}, Qt::green);
        plant(path, green, uri, age);  // both sizes a placed picture may be read from
        plant(path, green.scaledToWidth(width / 2), uri, age, "normal");
        const auto picture = thumbs.CellPicture(path, false);
        EXPECT_TRUE(picture && picture->size() == QSize(200, 150) && picture->small().pixelColor(4, 24).red() > 200) << width;
        EXPECT_EQ(QImage(entryPath(path, "normal")).size(), QSize(128, 96)) << width;
    }
}

TEST_F(Photos, EntriesOfOtherProgramsComeOutUprightAndTheFileIsNotDecodedAlsoAhead)
{
    // Stored 400 x 200, shown 200 x 400 (EXIF orientation 6); green and yellow, so a decode of the file would show.
    const QString turned = put("turned.jpg", TestImages::jpeg(400, 200, 6));
    QImage stored = filled({256, 128}, Qt::yellow);
    QPainter(&stored).fillRect(0, 0, 128, 128, Qt::green);
    const auto isUpright = [&](const std::optional<Picture>& picture) {
        const QImage shown = whole(picture);
        return picture && picture->size() == QSize(100, 200) && shown.size() == QSize(100, 200)
               && isColour(shown.copy(0, 0, 100, 60), Qt::green) && isColour(shown.copy(0, 140, 100, 60), Qt::yellow)
               && isColour(picture->small().copy(0, 0, 24, 14), Qt::green);
    };
    // Written by a program that does not turn pictures, then by one that does.
    for (const QImage& entry : {stored, stored.transformed(QTransform().rotate(90))}) {
        plant(turned, entry);
        EXPECT_TRUE(isUpright(thumbs.CellPicture(turned, false)));
    }
    DecodingAhead ahead(thumbs);
    ahead.enqueue({turned, path}, 200, 200);
    EXPECT_TRUE(isUpright(thumbs.CellPicture(turned, false)));
    EXPECT_TRUE(thumbs.CellPicture(path, false) && QFile::exists(entryPath(path, "normal")));  // a miss makes the entry
}

TEST_F(Photos, FailuresAreRememberedUntilTheFileChangesAndAnUnwritableCacheIsPassedBy)
{
    const QDateTime when = QFileInfo(path).lastModified();
    const auto rewrite = [&](const QByteArray& bytes, const QDateTime& time) {
        TestImages::write(path, bytes);
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadWrite) && file.setFileTime(time, QFileDevice::FileModificationTime));
    };
    rewrite("not a picture", when);
    EXPECT_FALSE(thumbs.MakeThumbnail(path));
    EXPECT_EQ(QDir(cache.root()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList{"fail"});
    rewrite(TestImages::jpeg(800, 600), when);  // a picture now, under the old time: still known as broken
    EXPECT_FALSE(thumbs.MakeThumbnail(path));
    rewrite(TestImages::jpeg(800, 600), when.addSecs(10));
    EXPECT_TRUE(thumbs.MakeThumbnail(path));
    // A file where the cache's folder should be: nothing can be written.
    TestImages::write(home.filePath("blocked"), "a file");
    ThumbnailCache blocked(home.filePath("blocked/thumbnails"));
    const auto picture = Thumbnailer(state, state, &blocked).CellPicture(path, false);
    EXPECT_TRUE(picture && picture->size() == QSize(200, 150));
}
