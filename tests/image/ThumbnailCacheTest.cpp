#include "image/ThumbnailCache.h"
#include "image/ThumbnailMaker.h"
#include "shell/MainState.h"
#include "support/TestImages.h"

#include <QDir>
#include <QFile>
#include <QPainter>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <random>
#include <tuple>

namespace {

// A photograph a.jpg in one folder, the shared cache in another, and a
// thumbnail maker that uses it at the start-up limits of 200 x 200.
struct Cached : ::testing::Test {
    QTemporaryDir photos;
    QTemporaryDir home;
    ThumbnailCache cache{home.filePath("thumbnails")};
    MainState state;
    Thumbnailer thumbs{state, &cache};
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
    void plant(const QString& file, QImage picture, const QString& uri = {}, qint64 age = 0,
               const QString& folder = "large")
    {
        QDir().mkpath(QFileInfo(entryPath(file, folder)).path());
        picture.setText("Thumb::URI", uri.isEmpty() ? "file://" + file : uri);
        picture.setText("Thumb::MTime", QString::number(mtime(file) - age));
        ASSERT_TRUE(picture.save(entryPath(file, folder), "png"));
    }
    static qint64 mtime(const QString& file) { return QFileInfo(file).lastModified().toSecsSinceEpoch(); }
    // The whole thumbnail a placed picture shows when the view zooms in.
    QImage whole(const std::optional<Picture>& picture) const
    {
        return picture ? thumbs.Version(*picture->source(), 256, false) : QImage();
    }
};

// Green or yellow in the middle, as the planted entries are; the photographs are red and blue.
bool isColour(const QImage& picture, Qt::GlobalColor color)
{
    const QColor seen = picture.pixelColor(picture.width() / 2, picture.height() / 2);
    return seen.green() > 200 && seen.blue() < 60 && (seen.red() > 200) == (color == Qt::yellow);
}

} // namespace

TEST(ThumbnailCacheNames, UrisAreEscapedAndHashedAndTheLimitsChooseTheSmallestFolderThatHoldsTheThumbnail)
{
    const QString odd = QString::fromUtf8("/tmp/a b/#1 100%/caf\xC3\xA9.jpg");
    EXPECT_EQ(ThumbnailCache::FileUri(odd), "file:///tmp/a%20b/%231%20100%25/caf%C3%A9.jpg");
    EXPECT_EQ(ThumbnailCache::EntryName(odd), "af722cdc9c08c09fe6b239e360a2e810.png");
    EXPECT_EQ(ThumbnailCache::FileUri("/p/./q/../a;b=c&d+e'(1)!~.jpg"), "file:///p/a%3Bb=c&d+e'(1)!~.jpg");
    const QList<QPair<int, int>> cases{{128, 128}, {129, 256}, {512, 512}, {1024, 1024}, {1025, 0}, {0, 0}};
    for (const auto& [limit, size] : cases)
        EXPECT_EQ(ThumbnailCache::EntrySize(limit, limit), size) << limit;
    const QByteArray saved = qgetenv("XDG_CACHE_HOME");
    qputenv("XDG_CACHE_HOME", "relative/ignored");
    EXPECT_EQ(ThumbnailCache::DefaultRoot(), QDir::homePath() + "/.cache/thumbnails");
    qputenv("XDG_CACHE_HOME", saved);
}

TEST_F(Cached, OnlyAScaledFileOutsideTheCacheGetsPrivateStandardEntriesTheLargeOneWhenAZoomNeedsIt)
{
    EXPECT_TRUE(thumbs.MakeThumbnail(put("small.jpg", TestImages::jpeg(150, 100))));  // used whole
    const auto picture = thumbs.CellPicture(path, false);
    ASSERT_TRUE(picture && picture->size() == QSize(200, 150));
    EXPECT_FALSE(QFile::exists(entryPath(path)));  // a cell needs no more than the normal entry
    EXPECT_EQ(whole(picture).size(), QSize(200, 150));
    EXPECT_EQ(QImage(entryPath(path)).size(), QSize(256, 192));
    const QImage normal(entryPath(path, "normal"));
    QStringList keys;
    for (const char* key : {"Thumb::URI", "Thumb::MTime", "Thumb::Size", "Thumb::Image::Width", "Thumb::Image::Height",
                            "Software"})
        keys << normal.text(key);
    EXPECT_EQ(keys, (QStringList{"file://" + path, QString::number(mtime(path)), QString::number(QFileInfo(path).size()),
                                 "800", "600", "Pavisto 1.0.0"}));
    EXPECT_EQ(normal.size(), QSize(128, 96));
    for (const QString& own : {entryPath(path), entryPath(path, "normal"), cache.root(), cache.root() + "/large",
                               cache.root() + "/normal"})
        EXPECT_EQ(QFile::permissions(own) & 0x00FF, 0);  // nothing for group or others
    TestImages::write(cache.root() + "/inside.jpg", TestImages::jpeg(800, 600));
    EXPECT_TRUE(thumbs.MakeThumbnail(cache.root() + "/inside.jpg"));
    EXPECT_EQ(QDir(cache.root()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
              (QStringList{"inside.jpg", "large", "normal"}));
    for (const char* folder : {"/large", "/normal"})
        EXPECT_EQ(QDir(cache.root() + folder).entryList(QDir::Files | QDir::Hidden),
                  QStringList{ThumbnailCache::EntryName(path)});
}

TEST_F(Cached, EntriesAreCompressedPngsWithTheirKeysInTextChunksAndReadBackUnchanged)
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
    const QList<QByteArray> keys{"Thumb::URI", "file://" + path.toUtf8(), "Thumb::MTime",
                                 QByteArray::number(mtime(path)), "Software", "Pavisto 1.0.0",
                                 "Thumb::Size", QByteArray::number(file->bytes), "Thumb::Image::Width", "800",
                                 "Thumb::Image::Height", "600"};
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

TEST_F(Cached, TheNormalEntryFitsTheImageInto128NeverEnlargedAndAValidOneIsKept)
{
    const auto file = cache.original(path);
    const QList<std::tuple<int, QSize, QSize, QSize>> cases{// entry size, image, picture, normal entry
                                                            {256, {4000, 2667}, {256, 171}, {128, 85}},
                                                            {512, {2000, 3000}, {341, 512}, {85, 128}},
                                                            {256, {120, 90}, {120, 90}, {120, 90}}};
    for (const auto& [entrySize, image, size, normal] : cases) {
        QFile::remove(entryPath(path, "normal"));
        QImage picture(size, QImage::Format_RGB32);
        picture.fill(Qt::red);
        cache.store(*file, entrySize, picture, image);
        EXPECT_EQ(cache.find(*file, 128).size(), normal) << image.width();
        EXPECT_EQ(cache.find(*file, 128).text("Thumb::Image::Width"), QString::number(image.width()));
    }
    // A decode writes the normal entry afresh, even one its time calls
    // valid (the file may have changed within that second), and forgets
    // that the file was broken.
    QImage green(100, 75, QImage::Format_RGB32);
    green.fill(Qt::green);
    plant(path, green, {}, 0, "normal");
    plant(path, QImage(1, 1, QImage::Format_ARGB32), {}, 0, "fail/pavisto-1.0.0");
    ASSERT_TRUE(cache.failedBefore(*cache.original(path)));
    EXPECT_TRUE(DecodeThumbnail(path, 200, 200, &cache).decoded);
    EXPECT_EQ(QImage(entryPath(path, "normal")).size(), QSize(128, 96));
    EXPECT_FALSE(cache.failedBefore(*cache.original(path)));
}

TEST_F(Cached, EntriesThatDoNotDescribeTheFileAreMadeAgain)
{
    // Stale, another file's, too small to use; the first two large enough otherwise.
    const QList<std::tuple<int, QString, qint64>> faults{{240, {}, 5}, {240, "file:///other.jpg", 0}, {20, {}, 0}};
    for (const auto& [width, uri, age] : faults) {
        QImage green(width, width * 3 / 4, QImage::Format_RGB32);
        green.fill(Qt::green);
        // Both sizes a placed picture may be read from.
        plant(path, green, uri, age);
        plant(path, green.scaledToWidth(width / 2), uri, age, "normal");
        const auto picture = thumbs.CellPicture(path, false);
        EXPECT_TRUE(picture && picture->size() == QSize(200, 150) && picture->small().pixelColor(4, 24).red() > 200)
            << width;
        EXPECT_EQ(QImage(entryPath(path, "normal")).size(), QSize(128, 96)) << width;
    }
}

TEST_F(Cached, EntriesOfOtherProgramsComeOutUprightAndTheFileIsNotDecodedAlsoAhead)
{
    // Stored 400 x 200, shown 200 x 400 (EXIF orientation 6). The entries
    // are green and yellow where the photograph is red and blue, so a decode
    // of the file would show.
    const QString turned = put("turned.jpg", TestImages::jpeg(400, 200, 6));
    QImage stored(256, 128, QImage::Format_RGB32);
    stored.fill(Qt::yellow);
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

TEST_F(Cached, FailuresAreRememberedUntilTheFileChangesAndAnUnwritableCacheIsPassedBy)
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
    // A picture now, under the old time: the cache still knows it as broken.
    rewrite(TestImages::jpeg(800, 600), when);
    EXPECT_FALSE(thumbs.MakeThumbnail(path));
    rewrite(TestImages::jpeg(800, 600), when.addSecs(10));
    EXPECT_TRUE(thumbs.MakeThumbnail(path));

    // A file where the cache's folder should be: nothing can be written.
    TestImages::write(home.filePath("blocked"), "a file");
    ThumbnailCache blocked(home.filePath("blocked/thumbnails"));
    const auto picture = Thumbnailer(state, &blocked).CellPicture(path, false);
    EXPECT_TRUE(picture && picture->size() == QSize(200, 150));
}

TEST_F(Cached, APlacedPictureIsMadeAgainFromItsEntriesOrItsFileWhenTheyAreGone)
{
    const auto picture = thumbs.CellPicture(path, true);
    ASSERT_TRUE(picture && picture->source() && picture->whole().isNull());
    const PictureSource& source = *picture->source();
    const QImage whole = thumbs.Version(source, 256, true);
    EXPECT_TRUE(whole.size() == QSize(200, 150) && whole.format() == QImage::Format_Grayscale8);
    // The smaller version comes from the normal entry (planted green here).
    QImage green(128, 96, QImage::Format_RGB32);
    green.fill(Qt::green);
    plant(path, green, {}, 0, "normal");
    EXPECT_TRUE(isColour(thumbs.Version(source, 128, false), Qt::green));
    // With the cache gone, the photograph makes both again.
    QDir(cache.root()).removeRecursively();
    EXPECT_EQ(thumbs.Version(source, 256, true), whole);
    const QImage fitted = thumbs.Version(source, 128, false);
    EXPECT_TRUE(fitted.size() == QSize(128, 96) && fitted.pixelColor(10, 48).red() > 200);
    QFile::remove(path);
    EXPECT_TRUE(thumbs.Version(source, 256, true).isNull());
}
