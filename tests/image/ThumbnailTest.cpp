#include "image/Decode.h"
#include "image/DecodeAhead.h"
#include "image/ThumbnailCache.h"
#include "image/ThumbnailMaker.h"
#include "shell/MainState.h"
#include "support/TestImages.h"

#include <QDir>
#include <QPainter>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include <random>
#include <tuple>

namespace {

using TestImages::filled;

// Green or yellow at `at` (a share of each side; the middle unless told), as the planted entries and
// embedded thumbnails are; the photographs are red and blue.
bool isColour(const QImage& picture, Qt::GlobalColor color, QPointF at = {0.5, 0.5})
{
    const QColor seen = picture.pixelColor(int(picture.width() * at.x()), int(picture.height() * at.y()));
    return seen.green() > 200 && seen.blue() < 60 && (seen.red() > 200) == (color == Qt::yellow);
}

// A thumbnail as a camera embeds it: green above yellow, between black bars.
QImage thumbnail(QSize size, int bars = 0)
{
    QImage picture = filled(size, Qt::black);
    QPainter painter(&picture);
    painter.fillRect(0, bars, size.width(), size.height() / 2 - bars, Qt::green);
    painter.fillRect(0, size.height() / 2, size.width(), size.height() / 2 - bars, Qt::yellow);
    return picture;
}

// Gradients under noise of `grain` levels, as a photograph holds.
QImage photograph(QSize size, int grain)
{
    QImage picture(size, QImage::Format_RGB32);
    std::minstd_rand noise(7);
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x)
            picture.setPixel(x, y, qRgb(x / 2 + int(noise() % grain), y + int(noise() % grain), (x + y) / 3));
    return picture;
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
        return TestImages::write(photos.filePath(name), bytes);
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
    // The whole thumbnail a placed picture shows when the view zooms in: made again.
    QImage whole(const std::optional<Picture>& picture) const
    {
        return picture && picture->source() ? thumbs.Version(*picture->source(), 256, false) : QImage();
    }
};

} // namespace

TEST(ThumbnailNames, SizesKeepAspectRoundHalvesToEvenAndUrisAreEscapedHashedAndFiledByTheLimits)
{
    for (const auto& [image, thumbnail] : QList<std::pair<QSize, QSize>>{
             {{1200, 1600}, {75, 100}}, {{3, 1000}, {1, 100}}, {{200, 101}, {100, 50}}, {{200, 103}, {100, 52}}})
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

// Cell pictures are upright, keep only a small version when scaled and take an embedded thumbnail only of the same
// picture; stops and crafted headers end a decode with nothing made, and a whole large image decodes at full size.
TEST_F(Photos, CellPicturesAreUprightAndSmallTakeOnlyTheSamePicturesThumbnailAndStopsOrCraftedHeadersMakeNothing)
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

    // Embedded: upright, the stored top is on the right when the photograph is turned.
    const QList<std::tuple<QSize, int, QImage, bool>> cases{
        {{800, 600}, 1, thumbnail({160, 120}), true},      {{1600, 900}, 1, thumbnail({160, 120}, 15), true},
        {{800, 600}, 6, thumbnail({160, 120}), true},      {{800, 600}, 1, thumbnail({160, 90}), false},
        {{800, 600}, 1, thumbnail({160, 120}, 15), false}, {{800, 600}, 1, thumbnail({80, 60}), false},
        {{800, 600}, 1, thumbnail({160, 121}), true},      {{800, 600}, 1, thumbnail({160, 122}), false}};
    for (const auto& [size, orientation, embedded, used] : cases) {
        const QByteArray bytes
            = TestImages::withExif(TestImages::jpeg(size.width(), size.height()),
                                   {.orientation = orientation, .thumbnail = TestImages::encode(embedded)});
        const auto picture = plain.CellPicture(put("e.jpg", bytes), false);
        ASSERT_TRUE(picture);
        const QImage kept = picture->small();
        EXPECT_EQ(isColour(kept, Qt::green, {0.75, 0.25}) && isColour(kept, Qt::yellow, {0.25, 0.75}), used)
            << size.width() << ' ' << orientation << ' ' << embedded.height();
        EXPECT_LT(whole(picture).pixelColor(2, 2).green(), 100);  // a larger version is the photograph's
    }
    EXPECT_TRUE(thumbs.MakeThumbnail(path));  // into the cache, from where no decode stops
    state.StopLoading = true;
    EXPECT_FALSE(plain.MakeThumbnail(path) || plain.MakeThumbnail(small) || thumbs.MakeThumbnail(path));
    const QString busy = put("busy.jpg", TestImages::encode(photograph({1200, 900}, 256)));
    int asked = 0;  // a stop raised while the file is read: nothing held against the file
    const DecodedThumbnail stopped = DecodeThumbnail(busy, 200, 200, &cache, [&] { return ++asked > 4; });
    EXPECT_TRUE(stopped.stopped && !stopped.decoded && stopped.image.isNull() && stopped.small.isNull());
    EXPECT_FALSE(cache.failedBefore(*cache.original(busy)) || QFile::exists(entryPath(busy)));
    EXPECT_TRUE(DecodeThumbnail(busy, 200, 200, &cache, [] { return false; }).decoded);
    // 1.4 KB that claim 225 megapixels: passed over unread.
    for (const bool progressive : {false, true}) {
        const QString crafted = put("crafted.jpg", TestImages::jpegClaiming(15000, 15000, progressive));
        EXPECT_TRUE(!DecodeThumbnail(crafted, 200, 200).decoded && EstimatedDecodeBytes(crafted, 200, 200) == 0)
            << progressive;
    }
    // Padded until its size could hold that many blocks: the decoder's own
    // cap refuses the gigabyte a progressive file would need.
    const QString heavy
        = put("heavy.jpg", TestImages::jpegClaiming(15000, 15000, true) + QByteArray(1200 * 1024, '\0'));
    EXPECT_GT(EstimatedDecodeBytes(heavy, 200, 200), 600'000'000);
    EXPECT_FALSE(DecodeThumbnail(heavy, 200, 200).decoded);
    // A real 40-megapixel progressive photograph, kept whole: far beyond Qt's default allocation limit of 128 MB.
    const QString large = put("large.jpg", TestImages::encode(filled({7300, 5480}, Qt::darkGreen), "jpeg", true));
    const DecodedThumbnail decoded = DecodeThumbnail(large, 0, 0);
    EXPECT_TRUE(decoded.decoded && decoded.fits && decoded.image.size() == QSize(7300, 5480));
}

TEST_F(Photos, OnlyAScaledFileOutsideTheCacheGetsPrivateEntriesAndAPlacedPictureIsMadeAgainFromThemOrItsFile)
{
    EXPECT_TRUE(thumbs.MakeThumbnail(put("small.jpg", TestImages::jpeg(150, 100))));  // used whole
    const auto picture = thumbs.CellPicture(path, true);
    ASSERT_TRUE(picture && picture->size() == QSize(200, 150) && picture->whole().isNull());
    EXPECT_EQ(QImage(entryPath(path)).size(), QSize(256, 192));  // decoded anyway: a zoom will want it
    const PictureSource& source = *picture->source();
    const QImage grey = thumbs.Version(source, 256, true);  // the zoom needs the large entry
    EXPECT_TRUE(grey.size() == QSize(200, 150) && grey.format() == QImage::Format_Grayscale8);
    EXPECT_EQ(thumbs.Version(source, 256, true).format(), QImage::Format_Grayscale8);  // now from that entry
    for (const QString& own :
         {entryPath(path), entryPath(path, "normal"), cache.root(), cache.root() + "/large", cache.root() + "/normal"})
        EXPECT_EQ(QFile::permissions(own) & 0x00FF, 0);  // nothing for group or others
    TestImages::write(cache.root() + "/inside.jpg", TestImages::jpeg(800, 600));
    EXPECT_TRUE(thumbs.MakeThumbnail(cache.root() + "/inside.jpg"));
    EXPECT_EQ(QDir(cache.root()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
              (QStringList{"inside.jpg", "large", "normal"}));
    EXPECT_EQ(QDir(cache.root() + "/large").entryList(QDir::Files | QDir::Hidden)
                  + QDir(cache.root() + "/normal").entryList(QDir::Files | QDir::Hidden),
              QStringList(2, ThumbnailCache::EntryName(path)));
    // Smaller versions come from the entry of the next size up (planted here).
    plant(path, filled({128, 96}, Qt::green), {}, 0, "normal");
    plant(path, filled({256, 192}, Qt::yellow));
    EXPECT_TRUE(isColour(thumbs.Version(source, 128, false), Qt::green));
    const QImage between = thumbs.Version(source, 174, false);
    EXPECT_TRUE(between.size() == QSize(174, 130) && isColour(between, Qt::yellow));
    plant(path, filled({100, 75}, Qt::yellow));  // smaller than the version: decoded instead
    EXPECT_FALSE(isColour(thumbs.Version(source, 174, false), Qt::yellow));
    // With the cache gone, the photograph makes both again.
    QDir(cache.root()).removeRecursively();
    EXPECT_EQ(thumbs.Version(source, 174, false).size(), QSize(174, 130));
    EXPECT_EQ(QImage(entryPath(path)).size(), QSize(256, 192));  // made for the next zoom step
    EXPECT_EQ(thumbs.Version(source, 256, true), grey);
    const QImage fitted = thumbs.Version(source, 128, false);
    EXPECT_TRUE(fitted.size() == QSize(128, 96) && fitted.pixelColor(10, 48).red() > 200);
    QFile::remove(path);
    EXPECT_TRUE(thumbs.Version(source, 256, true).isNull());
}

TEST_F(Photos, FailuresAreRememberedUntilTheFileChangesEntriesArePngsWithTheirKeysAndTheNormalOneFitsInto128)
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
    const auto passedBy = Thumbnailer(state, state, &blocked).CellPicture(path, false);
    EXPECT_TRUE(passedBy && passedBy->size() == QSize(200, 150));
    // Grey stays grey and only a picture with alpha keeps it (PNG colour types 0, 2 and 6).
    const QImage photo = photograph({256, 192}, 4);
    QImage clear = photo.convertToFormat(QImage::Format_ARGB32);
    clear.setPixel(5, 5, qRgba(1, 2, 3, 4));
    const auto file = cache.original(path);
    const QList<QByteArray> keys{"Thumb::URI", "file://" + path.toUtf8(),
                                 "Thumb::MTime", QByteArray::number(mtime(path)),
                                 "Software", "Pavisto 1.0.0",
                                 "Thumb::Size", QByteArray::number(file->bytes),
                                 "Thumb::Image::Width", "800",
                                 "Thumb::Image::Height", "600"};
    // Colour type, bytes a pixel.
    for (const auto& [picture, colourType, pixelBytes] : QList<std::tuple<QImage, int, int>>{
             {photo, 2, 3}, {photo.convertToFormat(QImage::Format_Grayscale8), 0, 1}, {clear, 6, 4}}) {
        cache.store(*file, 256, picture, QSize(800, 600));
        for (const char* folder : {"large", "normal"}) {
            const QByteArray png = TestImages::read(entryPath(path, folder));
            EXPECT_TRUE(png.startsWith("\x89PNG\r\n\x1a\n") && png[24] == 8 && png[25] == colourType) << folder;
            for (int k = 0; k < keys.size(); k += 2)
                EXPECT_TRUE(png.contains("tEXt" + keys[k] + '\0' + keys[k + 1])) << folder << keys[k].constData();
        }
        EXPECT_EQ(QImage(entryPath(path)).convertToFormat(picture.format()), picture) << colourType;
        EXPECT_LT(QFileInfo(entryPath(path)).size(), 256 * 192 * pixelBytes / 2) << colourType;
    }
    // Entry size, image, picture, normal entry: fitted, never enlarged.
    for (const auto& [entrySize, image, size, normal] : QList<std::tuple<int, QSize, QSize, QSize>>{
             {256, {4000, 2667}, {256, 171}, {128, 85}}, {512, {2000, 3000}, {341, 512}, {85, 128}},
             {256, {120, 90}, {120, 90}, {120, 90}}}) {
        cache.store(*file, entrySize, filled(size, Qt::red), image);
        EXPECT_EQ(cache.find(*file, 128).size(), normal) << image.width();
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

TEST_F(Photos, EntriesThatDoNotDescribeTheFileAreMadeAgainAndThoseOfOtherProgramsComeOutUpright)
{
    // Stale (the file changed since, or was put back by an older one), another file's, too small
    // to use; all but the last large enough otherwise.
    for (const auto& [width, uri, age] : QList<std::tuple<int, QString, qint64>>{
             {240, {}, 5}, {240, {}, -5}, {240, "file:///other.jpg", 0}, {20, {}, 0}}) {
        const QImage green = filled({width, width * 3 / 4}, Qt::green);
        plant(path, green, uri, age);  // both sizes a placed picture may be read from
        plant(path, green.scaledToWidth(width / 2), uri, age, "normal");
        const auto picture = thumbs.CellPicture(path, false);
        EXPECT_TRUE(picture && picture->size() == QSize(200, 150) && picture->small().pixelColor(4, 24).red() > 200)
            << width;
        EXPECT_EQ(QImage(entryPath(path, "normal")).size(), QSize(128, 96)) << width;
    }
    // Stored 400 x 200, shown 200 x 400 (EXIF orientation 6); green and yellow, so a decode of the file would show.
    const QString turned = put("turned.jpg", TestImages::jpeg(400, 200, 6));
    const QImage upright = thumbnail({128, 256});
    const auto isUpright = [&](const std::optional<Picture>& picture) {
        const QImage shown = whole(picture);
        return picture && picture->size() == QSize(100, 200) && shown.size() == QSize(100, 200)
               && isColour(shown, Qt::green, {0.5, 0.15}) && isColour(shown, Qt::yellow, {0.5, 0.85})
               && isColour(picture->small(), Qt::green, {0.25, 0.15});
    };
    // Written by a program that does not turn pictures, then by one that does.
    for (const QImage& entry : {upright.transformed(QTransform().rotate(-90)), upright}) {
        plant(turned, entry);
        EXPECT_TRUE(isUpright(thumbs.CellPicture(turned, false)));
    }
    QFile::remove(entryPath(path, "normal"));
    QFile::remove(entryPath(path));  // which a decode of the photograph writes beside it
    DecodingAhead ahead(thumbs);  // and the file is not decoded ahead as well
    ahead.enqueue({turned, path}, 200, 200);
    EXPECT_TRUE(isUpright(thumbs.CellPicture(turned, false)));
    EXPECT_TRUE(thumbs.CellPicture(path, false) && QFile::exists(entryPath(path, "normal")));  // a miss makes the entry
}

TEST_F(Photos, DecodesAheadGiveEveryQueuedFileItsOwnDecodeInAnyOrderOfArrivalAndKeepToTheBudget)
{
    QStringList paths;
    for (int i = 0; i < 12; ++i)
        paths << put(QString("%1.jpg").arg(i), TestImages::jpeg(300 + 10 * i, 200));
    WorkerPool pool(4);
    DecodeAhead ahead(pool);
    ahead.enqueue(paths, 100, 100);
    EXPECT_FALSE(ahead.take(photos.filePath("never queued.jpg"), 100, 100).has_value());
    for (int i = 0; i < paths.size(); i += 2) {  // every other file is passed over
        const auto decoded = ahead.take(paths[i], 100, 100);
        EXPECT_TRUE(decoded && decoded->small == DecodeThumbnail(paths[i], 100, 100).small) << i;
    }
    EXPECT_FALSE(ahead.take(paths[1], 100, 100).has_value());  // dropped with the ones passed over
    // Either limit changed after the decode ahead: the file is made again at the new ones.
    ahead.enqueue({paths[3], paths[5]}, 100, 100);
    QTest::qWait(300);  // a worker has long finished them
    const auto lower = ahead.take(paths[3], 100, 50), narrower = ahead.take(paths[5], 50, 100);
    EXPECT_TRUE(lower && lower->size.height() == 50 && narrower && narrower->size.width() == 50);

    DecodeAhead single(pool, nullptr, 1);  // every decode exceeds the budget: one at a time
    single.enqueue(paths, 100, 100);
    for (const QString& file : paths)
        EXPECT_TRUE(single.take(file, 100, 100).value_or(DecodedThumbnail{}).decoded);
    EXPECT_EQ(single.peakConcurrentDecodes(), 1);
}
