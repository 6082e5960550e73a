#include "shell/FileNames.h"
#include "shell/MainModule.h"
#include "shell/Utilities.h"
#include "support/FakePlatform.h"
#include "support/RawFolder.h"
#include "support/TestImages.h"

#include <QDir>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <csignal>
#include <sys/stat.h>
#include <sys/resource.h>

TEST(Paths, TrimAllTakesTheWholeSetFromBothEndsOnlyAndTheFolderSearchPassesOverHiddenEntries)
{
    const QString set = QString(QChar(0)) + "\b\t\n\r " + QChar(0x90) + QChar(0x201C) + QChar(4) + QChar(5);
    const QString kept = QString(QChar(0x201D)) + "a  b" + QChar(0xA0);  // outside the set, also at the ends
    EXPECT_EQ(TrimAll(set + kept + set), kept);
    EXPECT_EQ(TrimAll(set), "");

    QTemporaryDir dir;
    const QString photos = dir.path() + "/photos";
    QDir().mkpath(photos + "/.hidden");
    TestImages::write(photos + "/a.jpg", "x");
    TestImages::write(photos + "/.secret.jpg", "x");
    EXPECT_TRUE(FileExists(photos + "/a.jpg") && FileExists(photos + "/.secret.jpg"));
    EXPECT_FALSE(FileExists("") || FileExists(photos) || FileExists(photos + "/missing.jpg"));
    // The folder search matches ordinary files as well as folders, but no hidden entries.
    EXPECT_TRUE(FolderExists(photos + "/") && FolderExists("/") && FolderExists(photos + "/a.jpg"));
    EXPECT_FALSE(FolderExists("") || FolderExists(photos + "/.hidden") || FolderExists(dir.path() + "/missing"));
}

TEST(Dialogs, StartWhereTheSamePurposeLastChoseAndNameTheEntryTheUserSaw)
{
    FakePlatform platform;
    RawFolder home;
    const QByteArray saved[] = {qgetenv("HOME"), qgetenv("XDG_CONFIG_HOME")};
    qputenv("HOME", QFile::encodeName(home.path())), qputenv("XDG_CONFIG_HOME", QFile::encodeName(home.path()));
    // A Latin-1 folder, and in it two whose names read alike as UTF-8.
    const QByteArray latin = QFile::encodeName(home.path()) + "/d\xE9j\xE0";
    for (const QByteArray& folder : {latin, latin + "/caf\xE9", latin + "/caf\xE8"})
        ASSERT_EQ(::mkdir(folder.constData(), 0700), 0);
    const QString pictures = home.filePath("Pictures"), mapped = FileNameFromBytes(latin);
    platform.folderAnswers = {QFile::decodeName(latin), QString(), QFile::decodeName(latin + "/caf\xE9")};
    platform.fileAnswers = {QFile::decodeName(latin + "/w.wall")};
    EXPECT_EQ(BrowseForFolder("Add"), mapped);
    QDir().mkpath(pictures);
    BrowseForFolder("Copy");
    EXPECT_EQ(BrowseForFolder("Add"), mapped + '/' + QFile::decodeName("caf\xE9"));  // which one is not known
    QStringList starts = platform.folderStarts;
    for (const char* title : {"Open File", "Open File", "Save File"})
        AskForFile({title, {}, {}, false, {}}), starts.append(platform.fileRequests.constLast().startFolder);
    qputenv("HOME", saved[0]), qputenv("XDG_CONFIG_HOME", saved[1]);
    EXPECT_EQ(starts, (QStringList{home.path(), pictures, mapped, pictures, mapped, pictures}));
}

TEST(WriteNewFile, WritesTheTextAndCrLfAndAFailedWriteKeepsTheOldFile)
{
    FakePlatform platform;
    QTemporaryDir dir;
    const QString path = dir.path() + "/my.wall";
    TestImages::write(path, "an older and much longer wall file\r\n");
    WriteNewFile(path, "0,0,/photos/\xC3\xA4.jpg");
    const QByteArray written("0,0,/photos/\xC3\xA4.jpg\r\n");
    EXPECT_EQ(TestImages::read(path), written);

    // A file-size limit makes every write past 4 bytes fail, as a full disk would.
    rlimit saved {};
    getrlimit(RLIMIT_FSIZE, &saved);
    const auto previous = std::signal(SIGXFSZ, SIG_IGN);
    rlimit tight = saved;
    tight.rlim_cur = 4;
    setrlimit(RLIMIT_FSIZE, &tight);
    const QString result = WriteNewFile(path, QByteArray(1000, 'x'));
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previous);
    EXPECT_TRUE(result == path && TestImages::read(path) == written);
    ASSERT_EQ(platform.messages.size(), 1);
    EXPECT_TRUE(platform.messages[0].text.startsWith("WriteNewFile: 75 "));
    EXPECT_EQ(platform.messages[0].icon, MsgIcon::Critical);
}

TEST(ErrorReport, StandardTextOnlyForAnErrorAnyExceptionReportedAndThePointerRestored)
{
    FakePlatform platform;
    ReportError("frmMain", "LoadImages", AppError());
    ShowBusyPointer();
    ReportError("frmMain", "mnuSave_Click", AppError(75, "Path/File access error"));
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_TRUE(RunReported("frmMain", "x", [] {}) && !RunReported("frmMain", "x", [] { throw std::bad_alloc(); }));
    ASSERT_EQ(platform.messages.size(), 2);
    EXPECT_EQ(platform.messages[0].text,
              "An error has occurred in form: frmMain and procedure: mnuSave_Click (Pavisto)\n"
              "Number: 75\nDescription: Path/File access error");
    EXPECT_TRUE(platform.messages[0].icon == MsgIcon::Exclamation && platform.messages[0].title == AppTitle);
    EXPECT_TRUE(platform.messages[1].text.contains("Number: 7\n"));
}

TEST(StartUp, TitleCriticalMessageFreeMemoryAndShippedFiles)
{
    EXPECT_EQ(BuildAppTitle(), "Pavisto 1.0.0");
    EXPECT_EQ(CriticalErrorText(AppError(7, "Out of memory")),
              "Critical Error: 7 Out of memory\n\nPlease report this error to support@pavisto.org");
    EXPECT_EQ(Platform::parseMemAvailable("MemTotal: 9 kB\nMemAvailable:    1000 kB\n"), 1024000);
    EXPECT_EQ(Platform::parseMemAvailable("MemAvailable: 99999999 kB\n"), 2147483647);
    EXPECT_EQ(Platform::parseMemAvailable("MemFree: 1 kB\n"), std::nullopt);

    // Shipped files lie beside the program or in its installed share folder.
    QTemporaryDir prefix;
    const QString bin = prefix.filePath("bin");
    QDir().mkpath(bin);
    TestImages::write(prefix.filePath("share/pavisto/page.html"), "installed");
    EXPECT_EQ(ShippedFilePath("page.html", bin), prefix.filePath("share/pavisto/page.html"));
    TestImages::write(bin + "/page.html", "built");
    EXPECT_TRUE(ShippedFilePath("page.html", bin) == bin + "/page.html" && ShippedFilePath("x", bin) == bin + "/x");
}
