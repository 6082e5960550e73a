#include "shell/Caption.h"
#include "shell/FileNames.h"
#include "shell/MainModule.h"
#include "shell/MainState.h"
#include "shell/Utilities.h"
#include "support/FakePlatform.h"
#include "support/RawFolder.h"
#include "support/TestImages.h"

#include <QDir>
#include <QGuiApplication>
#include <QLocale>
#include <gtest/gtest.h>

#include <csignal>
#include <random>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

TEST(Caption, CellPathSignedZoomCountsAndSizesInTheUsersLocaleTheSystemsFreeMemoryAndALowMemoryFlagThatIsNeverCleared)
{
    FakePlatform platform;
    platform.freeMemory = 262144000;  // the threshold itself is not low
    MainState state;
    state.ZoomLevel = -2;
    state.ImageCount = 1234567;
    EXPECT_EQ(
        CaptionText(state, 4, 9, "/p/a.jpg"),
        "Pavisto 5-10  /p/a.jpg  [Zoom Level -2]   1,234,567 Images [10,000 cells]   Available memory: 250.00 MB");
    EXPECT_FALSE(state.LowMemory);
    EXPECT_EQ(Platform::parseMemAvailable("MemTotal: 9 kB\nMemAvailable:    1000 kB\n"), 1024000);
    EXPECT_EQ(Platform::parseMemAvailable("MemAvailable: 99999999 kB\n"), 2147483647);
    EXPECT_EQ(Platform::parseMemAvailable("MemFree: 1 kB\n"), std::nullopt);
    for (const qint64 free : {262143999LL, 4000000000LL}) {
        platform.freeMemory = free;
        FreeMemory(state);
        EXPECT_TRUE(state.LowMemory) << free;
    }
    QStringList sizes;
    for (const qint64 bytes : {2147483647LL, 1073741824LL, 1073741823LL, 1048576LL, 1048575LL, 1024LL, 1023LL, 0LL})
        sizes << FormatByteSize(bytes);
    EXPECT_EQ(sizes.join('|'), "2.00 GB|1.00 GB|1024.00 MB|1.00 MB|1024.00 KB|1.00 KB|1023 Bytes|0 Bytes");
    const QLocale saved;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    EXPECT_EQ(FormatCount(10000) + " " + FormatCount(0) + " " + FormatByteSize(1073741823), "10.000 0 1024,00 MB");
    QLocale::setDefault(saved);
}

TEST(
    Paths,
    NamesOfAnyBytesReachTheirFilesTrimAllTakesItsSetFromBothEndsTheFolderSearchPassesOverHiddenEntriesAndShippedFilesAreFound)
{
    const QByteArray utf8 = "/photos/\xC3\xA4 \xE2\x82\xAC.jpg \xF0\x9F\x92\x80";  // ends in a whole character
    EXPECT_TRUE(FileNameFromBytes(utf8) == QString::fromUtf8(utf8) && FileNameBytes(QString::fromUtf8(utf8)) == utf8);
    // Latin-1, an overlong slash, an encoded surrogate, a cut sequence: each stray byte on its own.
    const QByteArray stray = "caf\xE9 \xC0\xAF \xED\xA0\x80 \xE2\x82";
    const QString read = FileNameFromBytes(stray);
    EXPECT_TRUE(read.left(4) == QString("caf") + QChar(0xDCE9) && read.size() == stray.size());
    std::minstd_rand random(5);
    for (int run = 0; run < 2000; ++run) {
        QByteArray bytes(int(random() % 12), '\0');
        for (char& byte : bytes)
            byte = char(random() % 255 + 1);
        ASSERT_EQ(FileNameBytes(FileNameFromBytes(bytes)), bytes) << bytes.toHex().constData();
    }
    EXPECT_EQ(FileUri(QString("/a b/") + QChar(0xDCE9) + ".jpg"), "file:///a%20b/%E9.jpg");

    // The wall commands move, copy and delete files so named; the calls they leave to a folder so named:
    RawFolder dir;
    const QByteArray folder = QFile::encodeName(dir.path()) + "/d\xE9j\xE0";
    ASSERT_EQ(::mkdir(folder.constData(), 0700), 0);
    const QString name = FileNameFromBytes(folder);
    QFile notAFile;
    EXPECT_TRUE(AccessPath(name, R_OK) && CanonicalPath(name) == name && !OpenForReading(notAFile, name));

    const QString set = QString(QChar(0)) + "\b\t\n\r " + QChar(0x90) + QChar(0x201C) + QChar(4) + QChar(5);
    const QString kept = QString(QChar(0x201D)) + "a  b" + QChar(0xA0);  // outside the set, also at the ends
    EXPECT_TRUE(TrimAll(set + kept + set) == kept && TrimAll(set).isEmpty());
    const QString photos = dir.path() + "/photos";
    QDir().mkpath(photos + "/.hidden");
    TestImages::write(photos + "/a.jpg", "x");
    EXPECT_FALSE(FileExists("") || FileExists(photos) || FileExists(photos + "/missing.jpg"));
    // The folder search matches ordinary files as well as folders, but no hidden entries.
    EXPECT_TRUE(FolderExists(photos + "/") && FolderExists("/") && FolderExists(photos + "/a.jpg"));
    EXPECT_FALSE(FolderExists("") || FolderExists(photos + "/.hidden") || FolderExists(dir.path() + "/missing"));
    // Shipped files lie beside the program or in its installed share folder.
    const QString bin = dir.filePath("bin");
    QDir().mkpath(bin);
    TestImages::write(dir.filePath("share/pavisto/page.html"), "installed");
    EXPECT_EQ(ShippedFilePath("page.html", bin), dir.filePath("share/pavisto/page.html"));
    TestImages::write(bin + "/page.html", "built");
    EXPECT_TRUE(ShippedFilePath("page.html", bin) == bin + "/page.html" && ShippedFilePath("x", bin) == bin + "/x");
}

TEST(Dialogs, StartWhereTheSamePurposeLastChoseAndNameTheEntryTheUserSaw)
{
    FakePlatform platform;
    RawFolder home;
    const QByteArray saved[] = {qgetenv("HOME"), qgetenv("XDG_CONFIG_HOME")};
    qputenv("HOME", QFile::encodeName(home.path()));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(home.path()));
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
    for (const char* title : {"Open File", "Open File", "Save File"}) {
        AskForFile({title, {}, {}, false, {}});
        starts.append(platform.fileRequests.constLast().startFolder);
    }
    qputenv("HOME", saved[0]);
    qputenv("XDG_CONFIG_HOME", saved[1]);
    EXPECT_EQ(starts, (QStringList{home.path(), pictures, mapped, pictures, mapped, pictures}));
}

TEST(Reports, AFailedWriteKeepsTheOldFileAndErrorsShowTheStandardTextWithThePointerRestored)
{
    FakePlatform platform;
    RawFolder dir;
    const QString path = dir.path() + "/my.wall";
    const QByteArray written("0,0,/photos/\xC3\xA4.jpg\r\n");
    WriteNewFile(path, written.chopped(2));
    // A file-size limit makes every write past 4 bytes fail, as a full disk would.
    rlimit saved {}, tight {4, RLIM_INFINITY};
    getrlimit(RLIMIT_FSIZE, &saved);
    tight.rlim_max = saved.rlim_max;
    const auto previous = std::signal(SIGXFSZ, SIG_IGN);
    setrlimit(RLIMIT_FSIZE, &tight);
    const QString result = WriteNewFile(path, QByteArray(1000, 'x'));
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previous);
    EXPECT_TRUE(result == path && TestImages::read(path) == written);

    ReportError("frmMain", "LoadImages", AppError());  // no error: no message
    ShowBusyPointer();
    ReportError("frmMain", "mnuSave_Click", AppError(75, "Path/File access error"));
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_TRUE(RunReported("frmMain", "x", [] {}) && !RunReported("frmMain", "x", [] { throw std::bad_alloc(); }));
    ASSERT_EQ(platform.messages.size(), 3);
    EXPECT_TRUE(platform.messages[0].text.startsWith("WriteNewFile: 75 ")
                && platform.messages[0].icon == MsgIcon::Critical);
    EXPECT_EQ(platform.messages[1].text,
              "An error has occurred in form: frmMain and procedure: mnuSave_Click (Pavisto)\nNumber: 75\nDescription: "
              "Path/File access error");
    EXPECT_TRUE(platform.messages[1].icon == MsgIcon::Exclamation && platform.messages[1].title == AppTitle
                && platform.messages[2].text.contains("Number: 7\n"));
}
