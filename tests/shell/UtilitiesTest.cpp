#include "shell/MainModule.h"
#include "shell/Utilities.h"
#include "support/FakePlatform.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>

namespace {

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void touch(const QString& path, const QByteArray& bytes = "x")
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

} // namespace

TEST(Paths, FileNameFromPath)
{
    EXPECT_EQ(FileNameFromPath("/photos/a.jpg"), "a.jpg");
    EXPECT_EQ(FileNameFromPath("a.jpg"), "a.jpg");
    EXPECT_EQ(FileNameFromPath("/photos/"), "");
    EXPECT_EQ(FileNameFromPath(""), "");
}

TEST(Paths, TrimAllRemovesTheWholeSetFromBothEndsOnly)
{
    const QString set = QString(QChar(0)) + "\b\t\n\r " + QChar(0x90) + QChar(0x201C) + QChar(4) + QChar(5);
    EXPECT_EQ(TrimAll(set + "a  b" + set), "a  b");
    EXPECT_EQ(TrimAll(" \t\r\n \t"), "");
    EXPECT_EQ(TrimAll(""), "");
    // Characters outside the set stay, also at the ends.
    EXPECT_EQ(TrimAll(QString(QChar(0x201D)) + "x" + QChar(0xA0)), QString(QChar(0x201D)) + "x" + QChar(0xA0));
}

TEST(Paths, FileAndFolderTests)
{
    QTemporaryDir dir;
    const QString root = dir.path();
    QDir(root).mkpath("photos/.hidden");
    touch(root + "/photos/a.jpg");
    touch(root + "/photos/.secret.jpg");

    EXPECT_FALSE(FileExists(""));
    EXPECT_TRUE(FileExists(root + "/photos/a.jpg"));
    EXPECT_TRUE(FileExists(root + "/photos/.secret.jpg"));
    EXPECT_FALSE(FileExists(root + "/photos"));
    EXPECT_FALSE(FileExists(root + "/photos/missing.jpg"));

    EXPECT_FALSE(FolderExists(""));
    EXPECT_TRUE(FolderExists(root + "/photos"));
    EXPECT_TRUE(FolderExists(root + "/photos/"));
    EXPECT_TRUE(FolderExists("/"));
    EXPECT_FALSE(FolderExists(root + "/photos/.hidden"));
    EXPECT_FALSE(FolderExists(root + "/missing"));
    // The search matches ordinary files as well as folders.
    EXPECT_TRUE(FolderExists(root + "/photos/a.jpg"));
}

TEST(Paths, TempFolderEndsInSlash)
{
    const QString folder = GetTempFolder();
    EXPECT_TRUE(folder.endsWith('/'));
    EXPECT_TRUE(QDir(folder).exists());
}

TEST(WriteNewFile, WritesTheTextAndCrLfReplacingTheOldFile)
{
    FakePlatform platform;
    QTemporaryDir dir;
    const QString path = dir.path() + "/my.wall";
    touch(path, "an older and much longer wall file\r\n");
    EXPECT_EQ(WriteNewFile(path, "0,0,/photos/\xC3\xA4.jpg"), path);
    EXPECT_EQ(readAll(path), QByteArray("0,0,/photos/\xC3\xA4.jpg\r\n"));
    EXPECT_TRUE(platform.messages.isEmpty());
    // Nothing is left beside it.
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"my.wall"});
}

TEST(WriteNewFile, AFailedWriteKeepsTheOldFileAndSaysSo)
{
    FakePlatform platform;
    QTemporaryDir dir;
    const QString path = dir.path() + "/my.wall";
    touch(path, "old\r\n");

    // A file-size limit makes every write past 4 bytes fail, as a full disk would.
    rlimit saved {};
    getrlimit(RLIMIT_FSIZE, &saved);
    const auto previous = std::signal(SIGXFSZ, SIG_IGN);
    rlimit tight = saved;
    tight.rlim_cur = 4;
    setrlimit(RLIMIT_FSIZE, &tight);
    const QString result = WriteNewFile(path, QString(1000, 'x'));
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previous);

    EXPECT_EQ(result, path);
    EXPECT_EQ(readAll(path), QByteArray("old\r\n"));
    ASSERT_EQ(platform.messages.size(), 1);
    EXPECT_TRUE(platform.messages[0].text.startsWith("WriteNewFile: 75 "));
    EXPECT_EQ(platform.messages[0].icon, MsgIcon::Critical);
    EXPECT_EQ(platform.messages[0].title, AppTitle);
}

TEST(Dialogs, FilterConversion)
{
    EXPECT_EQ(QtFileFilter("Wall Files (*.wall)|*.wall|All Files (*.*)|*.*"), "Wall Files (*.wall);;All Files (*)");
    EXPECT_EQ(QtFileFilter("JPEG Files (*.jpg)|*.jpg;*.jpeg"), "JPEG Files (*.jpg *.jpeg)");
    EXPECT_EQ(QtFileFilter("Pictures|*.jpg"), "Pictures (*.jpg)");
}

TEST(Dialogs, BrowseForFolderAsksWithThePrompt)
{
    FakePlatform platform;
    platform.folderAnswers = {"/photos"};
    EXPECT_EQ(BrowseForFolder(nullptr, "Pick one"), "/photos");
    EXPECT_EQ(BrowseForFolder(nullptr, "Again"), "");
    EXPECT_EQ(platform.folderPrompts, (QStringList{"Pick one", "Again"}));
}

TEST(ErrorReport, ShowsTheStandardTextAndRestoresThePointer)
{
    FakePlatform platform;
    ShowBusyPointer();
    ShowBusyPointer();
    ReportError("frmMain", "mnuSave_Click", AppError(75, "Path/File access error"));
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    ASSERT_EQ(platform.messages.size(), 1);
    EXPECT_EQ(platform.messages[0].text,
              "An error has occurred in form: frmMain and procedure: mnuSave_Click (Pavisto)\n"
              "Number: 75\nDescription: Path/File access error");
    EXPECT_EQ(platform.messages[0].icon, MsgIcon::Exclamation);
    EXPECT_EQ(platform.messages[0].title, AppTitle);
}

TEST(ErrorReport, SilentWithoutAnError)
{
    FakePlatform platform;
    ReportError("frmMain", "LoadImages", AppError());
    EXPECT_TRUE(platform.messages.isEmpty());
}

TEST(ErrorReport, RunReportedTurnsAnyExceptionIntoTheReport)
{
    FakePlatform platform;
    EXPECT_TRUE(RunReported("frmMain", "x", [] {}));
    EXPECT_FALSE(RunReported("frmMain", "x", [] { throw std::bad_alloc(); }));
    ASSERT_EQ(platform.messages.size(), 1);
    EXPECT_TRUE(platform.messages[0].text.contains("Number: 7\n"));
}

TEST(Pause, LastsItsTimeWhileEventsRun)
{
    bool ran = false;
    QTimer::singleShot(20, [&] { ran = true; });
    const bool never = false;
    QElapsedTimer clock;
    clock.start();
    Pause(120, never);
    EXPECT_GE(clock.elapsed(), 120);
    EXPECT_LT(clock.elapsed(), 1000);
    EXPECT_TRUE(ran);
}

TEST(Pause, EndsWhenAnEventSetsTheCancelFlag)
{
    bool cancel = false;
    QTimer::singleShot(30, [&] { cancel = true; });
    QElapsedTimer clock;
    clock.start();
    Pause(5000, cancel);
    EXPECT_LT(clock.elapsed(), 2000);
}

TEST(StartUp, TitleAndCriticalMessage)
{
    EXPECT_EQ(BuildAppTitle(), "Pavisto 1.0.0");
    const QString text = CriticalErrorText(AppError(7, "Out of memory"));
    EXPECT_TRUE(text.startsWith("Critical Error: 7 Out of memory\n\nPlease report this error to "));
    EXPECT_TRUE(text.contains('@'));
}

TEST(Memory, MemAvailableIsReadInBytesAndCapped)
{
    EXPECT_EQ(Platform::parseMemAvailable("MemTotal: 9 kB\nMemAvailable:    1000 kB\n"), 1024000);
    EXPECT_EQ(Platform::parseMemAvailable("MemAvailable: 99999999 kB\n"), 2147483647);
    EXPECT_EQ(Platform::parseMemAvailable("MemFree: 1 kB\n"), std::nullopt);
}
