#include "shell/FileNames.h"
#include "support/RawFolder.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <random>

TEST(FileNames, EveryByteSequenceComesBackAndUtf8ReadsAsUtf8)
{
    const QByteArray utf8 = "/photos/\xC3\xA4 \xE2\x82\xAC.jpg \xF0\x9F\x92\x80";  // ends in a whole character
    EXPECT_EQ(FileNameFromBytes(utf8), QString::fromUtf8(utf8));
    EXPECT_EQ(FileNameBytes(QString::fromUtf8(utf8)), utf8);
    // Latin-1, an overlong slash, an encoded surrogate, a cut sequence: each
    // stray byte on its own.
    const QByteArray stray = "caf\xE9 \xC0\xAF \xED\xA0\x80 \xE2\x82";
    const QString read = FileNameFromBytes(stray);
    EXPECT_EQ(read.left(4), QString("caf") + QChar(0xDCE9));
    EXPECT_EQ(read.size(), stray.size());
    EXPECT_EQ(FileNameBytes(read), stray);
    std::minstd_rand random(5);
    for (int run = 0; run < 2000; ++run) {
        QByteArray bytes(int(random() % 12), '\0');
        for (char& byte : bytes)
            byte = char(random() % 255 + 1);
        ASSERT_EQ(FileNameBytes(FileNameFromBytes(bytes)), bytes) << bytes.toHex().constData();
    }
    EXPECT_EQ(FileUri(QString("/a b/") + QChar(0xDCE9) + ".jpg"), "file:///a%20b/%E9.jpg");
}

TEST(FileNames, SystemCallsReachTheFileTheBytesName)
{
    RawFolder dir;
    const QByteArray folder = QFile::encodeName(dir.path()) + "/d\xE9j\xE0";
    ASSERT_EQ(::mkdir(folder.constData(), 0700), 0);
    const QString name = FileNameFromBytes(folder + "/caf\xE9.jpg");
    const int fd = OpenPath(name, O_WRONLY | O_CREAT | O_EXCL, 0600);
    ASSERT_GE(fd, 0);
    ::close(fd);
    struct stat st {};
    EXPECT_EQ(::stat((folder + "/caf\xE9.jpg").constData(), &st), 0);
    EXPECT_TRUE(StatPath(name, st) && AccessPath(name, R_OK) && CanonicalPath(name) == name);
    const QString moved = FileNameFromBytes(folder + "/th\xE9.jpg");
    EXPECT_TRUE(RenameNoReplace(name, moved) && !StatPath(name, st));
    QFile file, notAFile;
    EXPECT_TRUE(OpenForReading(file, moved) && !OpenForReading(notAFile, FileNameFromBytes(folder)));
    EXPECT_TRUE(RemovePath(moved) && !LstatPath(moved, st));
}
