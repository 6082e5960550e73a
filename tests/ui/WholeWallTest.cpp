#include "ShownWindow.h"
#include "image/ThumbnailCache.h"

#include <QCryptographicHash>
#include <QDir>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using Window = ShownWindow;

bool exists(const QByteArray& path)
{
    struct stat st {};
    return ::stat(path.constData(), &st) == 0;
}

} // namespace

TEST_F(Window, ANameThatIsNotUtf8IsAFileLikeAnyOther)
{
    // Latin-1 bytes in a folder's and a file's name, as an old camera card has them.
    const QByteArray folder = QFile::encodeName(dir.path()) + "/Fotos \xE9t\xE9";
    const QByteArray file = folder + "/caf\xE9.jpg";
    ASSERT_EQ(::mkdir(folder.constData(), 0700), 0);
    const QByteArray jpeg = TestImages::jpeg(400, 300);
    const int fd = ::open(file.constData(), O_WRONLY | O_CREAT, 0600);
    ASSERT_TRUE(fd >= 0 && ::write(fd, jpeg.constData(), size_t(jpeg.size())) == jpeg.size());
    ::close(fd);
    const QString name = dir.path() + "/Fotos " + QChar(0xDCE9) + "t" + QChar(0xDCE9) + "/caf" + QChar(0xDCE9) + ".jpg";

    platform.folderAnswers = {dir.path()};
    w.mnuAddFiles->trigger();
    ASSERT_EQ(w.cells().CellData(0, 0), name);
    EXPECT_TRUE(w.windowTitle().contains(name) && w.previewIfOpen()->windowTitle() == name);
    // Its thumbnail's entry is named after the name's bytes.
    const QByteArray uri = "file://" + QFile::encodeName(dir.path()) + "/Fotos%20%E9t%E9/caf%E9.jpg";
    const QString entry = ThumbnailCache::DefaultRoot() + "/normal/"
                          + QCryptographicHash::hash(uri, QCryptographicHash::Md5).toHex() + ".png";
    EXPECT_TRUE(QFile::exists(entry)) << qPrintable(entry);

    click(0, 0, Qt::RightButton);
    w.mnuRightOpen->trigger();
    EXPECT_EQ(platform.opened.value(0).toEncoded(), uri);
    w.cells().setCellPicture(0, 0, QImage());
    w.mnuRightReload->trigger();
    EXPECT_FALSE(w.cells().CellPicture(0, 0).isNull());
    w.mnuSortCreateDate->trigger();
    EXPECT_TRUE(w.cells().CellData(0, 0) == name && platform.messages.isEmpty());

    // Saved byte for byte, and placed again.
    platform.fileAnswers = {dir.filePath("w.wall"), dir.filePath("w.wall")};
    w.mnuSave->trigger();
    EXPECT_EQ(TestImages::read(dir.filePath("w.wall")), "0,0," + file + "\r\n\r\n");
    w.mnuOpenWall->trigger();
    EXPECT_TRUE(w.cells().CellData(0, 0) == name && w.state().ImageCount == 1);

    // Copied and moved into a folder that is not UTF-8 either, then deleted.
    const QByteArray other = QFile::encodeName(dir.path()) + "/Kopie \xFC";
    ASSERT_EQ(::mkdir(other.constData(), 0700), 0);
    const QString otherName = dir.path() + "/Kopie " + QChar(0xDCFC);
    platform.folderAnswers = {otherName, otherName};
    click(0, 0, Qt::RightButton);
    w.mnuRightSaveAs->trigger();
    w.mnuRightMove->trigger();
    EXPECT_TRUE(exists(other + "/caf\xE9.jpg") && exists(other + "/caf\xE9 (2).jpg") && !exists(file));
    EXPECT_EQ(w.cells().CellData(0, 0), otherName + "/caf" + QChar(0xDCE9) + " (2).jpg");
    w.mnuRightDelete->trigger();
    EXPECT_TRUE(!exists(other + "/caf\xE9 (2).jpg") && exists(other + "/caf\xE9.jpg"));
    EXPECT_EQ(platform.texts().mid(0, 3),
              (QStringList{"File saved.\nNote: only the image paths are saved so the file will only work on this "
                           "computer.",
                           "1 files copied.", "1 files moved."}));
}
