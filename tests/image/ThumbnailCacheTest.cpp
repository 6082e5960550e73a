#include "image/Decode.h"
#include "image/DecodeAhead.h"
#include "image/ThumbnailCache.h"
#include "image/ThumbnailMaker.h"
#include "shell/MainState.h"
#include "support/TestImages.h"

#include <QColorSpace>
#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QImageReader>
#include <QPainter>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

// Photographs in one folder, the shared cache in another, and a thumbnail
// maker that uses it at the start-up limits of 200 x 200.
struct Cached : ::testing::Test {
    QTemporaryDir photos;
    QTemporaryDir home;
    ThumbnailCache cache{home.filePath("thumbnails")};
    MainState state;
    Thumbnailer thumbs{state, &cache};

    QString put(const QString& name, const QByteArray& bytes = TestImages::jpeg(800, 600))
    {
        TestImages::write(photos.filePath(name), bytes);
        return photos.filePath(name);
    }
    QString entryPath(const QString& path, const QString& folder = "large") const
    {
        return cache.root() + '/' + folder + '/' + ThumbnailCache::EntryName(path);
    }
    // An entry as another program writes it: any picture, the two keys.
    void plant(const QString& path, QImage picture, const QString& uri, qint64 mtime)
    {
        QDir().mkpath(QFileInfo(entryPath(path)).path());
        picture.setText("Thumb::URI", uri);
        picture.setText("Thumb::MTime", QString::number(mtime));
        ASSERT_TRUE(picture.save(entryPath(path), "png"));
    }
    static qint64 mtime(const QString& path) { return QFileInfo(path).lastModified().toSecsSinceEpoch(); }
    static QImage filled(int width, int height, Qt::GlobalColor color)
    {
        QImage picture(width, height, QImage::Format_RGB32);
        picture.fill(color);
        return picture;
    }
    QStringList cacheFiles() const
    {
        QStringList found;
        for (QDirIterator it(cache.root(), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories); it.hasNext();)
            found.append(it.next().mid(cache.root().size() + 1));
        return found;
    }
};

bool isColour(const QImage& picture, Qt::GlobalColor color)
{
    const QColor seen = picture.pixelColor(picture.width() / 2, picture.height() / 2);
    const QColor want(color);
    return std::abs(seen.red() - want.red()) < 40 && std::abs(seen.green() - want.green()) < 40
           && std::abs(seen.blue() - want.blue()) < 40;
}

int mode(const QString& path)
{
    struct stat st {};
    ::stat(QFile::encodeName(path).constData(), &st);
    return int(st.st_mode & 0777);
}

} // namespace

TEST(ThumbnailCacheNames, UrisAreEscapedAsTheStandardSaysAndNamedByTheirMd5)
{
    EXPECT_EQ(ThumbnailCache::FileUri("/home/jens/photos/me.png"), "file:///home/jens/photos/me.png");
    EXPECT_EQ(ThumbnailCache::EntryName("/home/jens/photos/me.png"), "c6ee772d9e49320e97ec29a7eb5b1697.png");
    const QString odd = QString::fromUtf8("/tmp/a b/#1 100%/caf\xC3\xA9.jpg");
    EXPECT_EQ(ThumbnailCache::FileUri(odd), "file:///tmp/a%20b/%231%20100%25/caf%C3%A9.jpg");
    EXPECT_EQ(ThumbnailCache::EntryName(odd), "af722cdc9c08c09fe6b239e360a2e810.png");
    EXPECT_EQ(ThumbnailCache::FileUri("/p/a;b=c&d+e'(1)!~.jpg"), "file:///p/a%3Bb=c&d+e'(1)!~.jpg");
    EXPECT_EQ(ThumbnailCache::FileUri("/p/./q/../r.jpg"), "file:///p/r.jpg");
}

TEST(ThumbnailCacheNames, TheLimitsChooseTheSmallestFolderThatHoldsTheThumbnail)
{
    const QList<QPair<int, int>> cases{{100, 128}, {128, 128}, {129, 256}, {200, 256}, {500, 512},
                                      {1024, 1024}, {1500, 0}, {3000, 0}, {0, 0}};
    for (const auto& [limit, size] : cases)
        EXPECT_EQ(ThumbnailCache::EntrySize(limit, limit), size) << limit;
    const QByteArray saved = qgetenv("XDG_CACHE_HOME");
    QTemporaryDir home;
    qputenv("XDG_CACHE_HOME", home.path().toUtf8());
    EXPECT_EQ(ThumbnailCache::DefaultRoot(), home.path() + "/thumbnails");
    qputenv("XDG_CACHE_HOME", "relative/ignored");
    EXPECT_EQ(ThumbnailCache::DefaultRoot(), QDir::homePath() + "/.cache/thumbnails");
    qputenv("XDG_CACHE_HOME", saved);
}

TEST_F(Cached, AMissWritesAStandardEntryThatTheNextLoadUses)
{
    const QString path = put("a.jpg");
    const auto first = thumbs.CellPicture(path);
    ASSERT_TRUE(first && first->size() == QSize(200, 150));
    QImageReader reader(entryPath(path));
    const QImage entry = reader.read();
    EXPECT_EQ(entry.size(), QSize(256, 192));
    EXPECT_EQ(entry.text("Thumb::URI"), "file://" + path);
    EXPECT_EQ(entry.text("Thumb::MTime"), QString::number(mtime(path)));
    EXPECT_EQ(entry.text("Thumb::Size"), QString::number(QFileInfo(path).size()));
    EXPECT_EQ(entry.text("Thumb::Image::Width") + "x" + entry.text("Thumb::Image::Height"), "800x600");
    EXPECT_EQ(entry.text("Software"), "Pavisto 1.0.0");
    EXPECT_FALSE(entry.colorSpace().isValid());
    EXPECT_EQ(mode(entryPath(path)), 0600);
    EXPECT_EQ(mode(cache.root()), 0700);
    EXPECT_EQ(mode(cache.root() + "/large"), 0700);
    EXPECT_EQ(cacheFiles(), QStringList{"large/" + ThumbnailCache::EntryName(path)});

    // The entry, not the photograph, makes the next picture.
    plant(path, filled(256, 192, Qt::green), "file://" + path, mtime(path));
    const auto second = thumbs.CellPicture(path);
    ASSERT_TRUE(second && second->size() == QSize(200, 150) && !state.UseFullImage);
    EXPECT_TRUE(isColour(*second, Qt::green));
}

TEST_F(Cached, EntriesThatDoNotDescribeTheFileAreMadeAgain)
{
    const QString path = put("a.jpg");
    const qint64 now = mtime(path);
    const auto redLeft = [](const QImage& p) { return p.pixelColor(p.width() / 8, p.height() / 2).red() > 200; };
    const QList<std::function<void()>> faults{
        [&] { plant(path, filled(256, 192, Qt::green), "file://" + path, now - 5); },       // stale
        [&] { plant(path, filled(256, 192, Qt::green), "file:///other.jpg", now); },         // another file's
        [&] { filled(256, 192, Qt::green).save(entryPath(path), "png"); },                   // no keys
        [&] { TestImages::write(entryPath(path), QByteArray("\x89PNG\r\n\x1a\n damaged")); },  // damaged
        [&] { plant(path, filled(20, 15, Qt::green), "file://" + path, now); },              // too small to use
    };
    for (int i = 0; i < faults.size(); ++i) {
        faults[i]();
        const auto picture = thumbs.CellPicture(path);
        ASSERT_TRUE(picture) << i;
        EXPECT_TRUE(picture->size() == QSize(200, 150) && redLeft(*picture)) << i;
        const QImage rewritten(entryPath(path));
        EXPECT_TRUE(rewritten.size() == QSize(256, 192) && rewritten.text("Thumb::MTime") == QString::number(now))
            << i;
    }
}

TEST_F(Cached, EntriesOfOtherProgramsComeOutUprightAndTheFileIsNotDecoded)
{
    // Stored 400 x 200, shown 200 x 400 (EXIF orientation 6). The entries
    // are green and yellow where the photograph is red and blue, so a decode
    // of the file would show.
    const QString path = put("turned.jpg", TestImages::jpeg(400, 200, 6));
    QImage stored = filled(256, 128, Qt::yellow);
    QPainter(&stored).fillRect(0, 0, 128, 128, Qt::green);
    const auto greenOnTop = [&] {
        const auto picture = thumbs.CellPicture(path);
        return picture && picture->size() == QSize(100, 200) && isColour(picture->copy(0, 0, 100, 60), Qt::green)
               && isColour(picture->copy(0, 140, 100, 60), Qt::yellow);
    };
    plant(path, stored, "file://" + path, mtime(path));  // by a program that does not turn pictures
    EXPECT_TRUE(greenOnTop());
    plant(path, stored.transformed(QTransform().rotate(90)), "file://" + path, mtime(path));  // by one that does
    EXPECT_TRUE(greenOnTop());
}

TEST_F(Cached, FailuresAreRememberedUntilTheFileChanges)
{
    const QString path = put("x.jpg", "not a picture");
    EXPECT_FALSE(thumbs.MakeThumbnail(path));
    const QString failure = entryPath(path, "fail/pavisto-1.0.0");
    ASSERT_TRUE(QFile::exists(failure));
    EXPECT_EQ(QImage(failure).text("Thumb::URI"), "file://" + path);
    // A picture now, with the old time: the cache still knows it as failed.
    const QDateTime when = QFileInfo(path).lastModified();
    TestImages::write(path, TestImages::jpeg(800, 600));
    QFile file(path);
    file.open(QIODevice::ReadWrite);
    file.setFileTime(when, QFileDevice::FileModificationTime);
    file.close();
    EXPECT_FALSE(thumbs.MakeThumbnail(path));
    file.open(QIODevice::ReadWrite);
    file.setFileTime(when.addSecs(10), QFileDevice::FileModificationTime);
    file.close();
    EXPECT_TRUE(thumbs.MakeThumbnail(path));
}

TEST_F(Cached, LargeLimitsWholeImagesTheCacheItselfAndAnUnwritableCacheLeaveItAlone)
{
    const QString path = put("a.jpg");
    for (const int limit : {0, 1500}) {
        state.ThumbMaxWidth = state.ThumbMaxHeight = limit;
        EXPECT_TRUE(thumbs.MakeThumbnail(path)) << limit;
    }
    state.ThumbMaxWidth = state.ThumbMaxHeight = 200;
    EXPECT_TRUE(thumbs.MakeThumbnail(put("small.jpg", TestImages::jpeg(150, 100))));  // used whole
    EXPECT_TRUE(cacheFiles().isEmpty());
    const QString inside = cache.root() + "/inside.jpg";
    TestImages::write(inside, TestImages::jpeg(800, 600));
    EXPECT_TRUE(thumbs.MakeThumbnail(inside));
    EXPECT_EQ(cacheFiles(), QStringList{"inside.jpg"});

    // A file where the cache's folder should be: nothing can be written.
    ThumbnailCache blocked(home.filePath("blocked/thumbnails"));
    TestImages::write(home.filePath("blocked"), "a file");
    Thumbnailer maker(state, &blocked);
    const auto picture = maker.CellPicture(path);
    EXPECT_TRUE(picture && picture->size() == QSize(200, 150));
}

TEST_F(Cached, DecodesAheadTakeTheCacheToo)
{
    QStringList paths;
    for (int i = 0; i < 6; ++i)
        paths.append(put(QString("%1.jpg").arg(i)));
    for (const QString& path : paths.mid(0, 3))
        plant(path, filled(256, 192, Qt::green), "file://" + path, mtime(path));
    DecodeAhead ahead(2, &cache);
    const UseReadyDecodes use(thumbs, ahead);
    ahead.enqueue(paths, 200, 200);
    for (int i = 0; i < paths.size(); ++i) {
        const auto picture = thumbs.CellPicture(paths[i]);
        ASSERT_TRUE(picture) << i;
        EXPECT_EQ(isColour(*picture, Qt::green), i < 3) << i;
    }
    for (const QString& path : paths)
        EXPECT_TRUE(QFile::exists(entryPath(path)));
}
