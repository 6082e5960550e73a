#include "ShownWindow.h"
#include "image/ThumbnailCache.h"

#include <QCryptographicHash>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>

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

TEST_F(Window, EveryPopupCommandActsOnTheCellTheRightButtonWentDownOn)
{
    const QString a = put(1, 1, "a.jpg"), b = put(3, 4, "b.jpg");
    QDir().mkpath(dir.filePath("copies"));
    QDir().mkpath(dir.filePath("moved"));
    const auto pointAt = [&] {
        click(1, 1);
        click(3, 4, Qt::RightButton);
        EXPECT_TRUE(grid.Row() == 3 && grid.Col() == 4 && w.windowTitle().contains(w.cells().CellData(3, 4)));
    };
    pointAt();
    w.mnuRightOpen->trigger();
    EXPECT_EQ(platform.opened.value(0), QUrl::fromLocalFile(b));
    pointAt();
    w.mnuRightReload->trigger();
    EXPECT_TRUE(w.cells().CellPicture(3, 4).size() == QSize(40, 30) && w.cells().CellPicture(1, 1).size().width() == 4);
    platform.folderAnswers = {dir.filePath("copies"), dir.filePath("moved")};
    pointAt();
    w.mnuRightSaveAs->trigger();
    EXPECT_EQ(QDir(dir.filePath("copies")).entryList(QDir::Files), QStringList{"b.jpg"});
    pointAt();
    w.mnuRightMove->trigger();
    EXPECT_TRUE(QFile::exists(dir.filePath("moved/b.jpg")) && QFile::exists(a));
    pointAt();
    w.mnuRightDelete->trigger();
    EXPECT_TRUE(!QFile::exists(dir.filePath("moved/b.jpg")) && QFile::exists(a) && w.cells().holdsImage(1, 1));

    // A right press inside a selection of one row keeps it for the popup.
    const QString c = put(1, 3, "c.jpg");
    click(1, 1);
    click(1, 3, Qt::LeftButton, Qt::ShiftModifier);
    click(1, 2, Qt::RightButton);
    w.mnuRightDelete->trigger();
    EXPECT_TRUE(!QFile::exists(a) && !QFile::exists(c) && cursor() == (QList<int>{1, 1, 1, 1, 1, 3}));
}

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

TEST_F(Window, ImageCountIsTheWallsImageCellsAfterEveryCommandThatPlacesOrRemovesImages)
{
    const auto images = [&] {
        int count = 0;
        w.cells().forEachOccupied(w.cells().wholeGrid(), [&](int, int, const Cell& cell) {
            count += cell.imagePath().isEmpty() ? 0 : 1;
        });
        return count;
    };
    const auto counts = [&](const char* after) {
        EXPECT_EQ(w.state().ImageCount, images()) << after;
        return images();
    };
    for (const char* name : {"f/a.jpg", "f/b.jpg", "f/c.jpg"})
        TestImages::write(dir.filePath(name), TestImages::jpeg(40, 30));
    platform.folderAnswers = {dir.filePath("f")};
    w.mnuAddFiles->trigger();
    EXPECT_EQ(counts("a load"), 3);
    // From the second cell down: two images replaced, one added.
    w.fg().Select(1, 0);
    platform.folderAnswers = {dir.filePath("f")};
    w.mnuAddImagesFromHere->trigger();
    EXPECT_EQ(counts("a load from here"), 4);
    // Onto an image whose file has gone, and onto an empty cell.
    QFile::remove(dir.filePath("f/c.jpg"));
    platform.fileAnswers = {dir.filePath("f/a.jpg"), dir.filePath("f/b.jpg")};
    w.fg().Select(3, 0);
    w.mnuRightAddSingleFile->trigger();
    w.fg().Select(5, 5);
    w.mnuRightAddSingleFile->trigger();
    EXPECT_EQ(counts("single files"), 5);
    platform.inputAnswers = {QString("a.jpg")};
    w.mnuFindFile->trigger();
    counts("a search");
    w.mnuSortCreateDate->trigger();
    counts("a sort");
    // A deleted selection with a file that has gone, and the preview's delete.
    w.fg().Select(0, 0, 1, 1);
    w.mnuRightDelete->trigger();
    EXPECT_EQ(counts("a delete"), 3);
    w.fg().Select(0, 2);
    w.PreviewCurrentCell();
    w.previewIfOpen()->findChild<QPushButton*>("cmd(1)")->click();
    counts("the preview's delete");
    platform.fileAnswers = {dir.filePath("w.wall"), dir.filePath("w.wall")};
    w.mnuSave->trigger();
    w.mnuOpenWall->trigger();
    counts("Open Wall");
    w.mnuOptions->trigger();
    for (auto* box : {w.findChild<QLineEdit*>("txt(1)"), w.findChild<QLineEdit*>("txt(2)")})
        box->setText("1"), box->setModified(true);  // as typed
    platform.messageAnswers = {MsgAnswer::Yes};  // to the smaller grid
    w.findChild<QPushButton*>("cmdOK")->click();
    EXPECT_EQ(counts("a smaller grid"), 0);
}
