#include "app/CommandLine.h"
#include "app/FileAssociation.h"
#include "shell/MainModule.h"
#include "support/FakePlatform.h"
#include "support/RawFolder.h"
#include "support/TestImages.h"
#include "support/TestWall.h"
#include "ui/frmMain.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

TEST(CommandLine, AnExistingFileOpensRelativeToTheStartFolderAndOptionsAnswerBeforeAnyWindow)
{
    FakePlatform platform;
    RawFolder dir;
    frmMain w;
    const QString name = FileNameFromBytes("my holiday\xe9.wall");  // its bytes, which are not UTF-8
    WriteRaw(dir.filePath(name), "0,0,first\r\n0,1,second\r\n");
    // Quotes are part of the name; a missing file or a folder is ignored.
    for (const QString& tail : {'"' + name + '"', QString("missing.wall"), QString(".")})
        OpenCommandLineFile(w, tail, dir.path());
    EXPECT_EQ(w.cells().occupiedCount(), 0u);
    OpenCommandLineFile(w, CommandLineTail({"pavisto", "my", "holiday\xe9.wall"}), dir.path());
    EXPECT_TRUE(w.cells().CellText(0, 1) == "second" && platform.messages.isEmpty() && platform.fileRequests.isEmpty());
    // The options answer before any window, unless a file of their name is there to open.
    TestImages::write(dir.filePath("--help"), "");
    EXPECT_TRUE(!CommandLineAnswer("--help", dir.path()) && !CommandLineAnswer("a --help", "/")
                && CommandLineAnswer("--help", "/"));
}

// The type, the entry and the default go into the environment's folders and
// claim wall files; a file that cannot be written costs the rest nothing.
TEST(FileAssociation, TheTypeTheEntryAndTheDefaultGoIntoTheEnvironmentsFoldersAndClaimWallFiles)
{
    const QString entry = "application/x-pavisto-wall=pavisto.desktop;";
    const auto withDefault = [](const QString& list) {
        return WithDefaultApplication(list, "application/x-pavisto-wall", "pavisto.desktop");
    };
    EXPECT_EQ(withDefault("[Default Applications]\napplication/x-pavisto-wall=old.desktop;\nt/p=v.desktop;\n"
                          "\n[Added Associations]\nt/p=v.desktop;"),
              "[Default Applications]\n" + entry + "\nt/p=v.desktop;\n\n[Added Associations]\nt/p=v.desktop;\n");
    EXPECT_EQ(DesktopExecQuoted("/usr/bin/pavisto-100%"), "/usr/bin/pavisto-100%%");  // bare, as xdg-open needs
    // Inside quotes " ` $ \ take a backslash, which the string escapes double.
    EXPECT_EQ(DesktopExecQuoted("/a $b`c\"d\\e/100%"), R"("/a \\$b\\`c\\"d\\\\e/100%%")");

    QTemporaryDir dir;
    const auto read
        = [&](const QString& relative) { return QString::fromUtf8(TestImages::read(dir.filePath(relative))); };
    const QByteArray oldData = qgetenv("XDG_DATA_HOME"), oldConfig = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_DATA_HOME", dir.filePath("data").toUtf8());
    qputenv("XDG_CONFIG_HOME", "relative/is/ignored");
    AssociationTarget target = ThisProgramsTarget();
    EXPECT_TRUE(target.dataHome == dir.filePath("data") && target.configHome == QDir::homePath() + "/.config");
    QList<QStringList> toolsRun;
    target
        = {target.dataHome, dir.filePath("config"), "/opt/my apps/pavisto", dir.filePath("icon.svg"),
           [&](const QString& tool, const QStringList& arguments) { toolsRun.append(QStringList{tool} + arguments); }};
    TestImages::write(target.icon, "<svg/>");
    CreateFileAssociation(target);
    const QString package = read("data/mime/packages/pavisto-wall.xml");
    for (const char* part : {"type=\"application/x-pavisto-wall\"", "<comment>Pavisto File</comment>",
                             "<glob pattern=\"*.wall\"/>", "<icon name=\"pavisto\"/>"})
        EXPECT_TRUE(package.contains(part)) << part;
    const QStringList lines = read("data/applications/pavisto.desktop").split('\n');
    for (const char* line : {"[Desktop Entry]", "Exec=\"/opt/my apps/pavisto\" %f",
                             "MimeType=application/x-pavisto-wall;", "Icon=pavisto"})
        EXPECT_TRUE(lines.contains(line)) << line;
    EXPECT_EQ(read("data/icons/hicolor/scalable/apps/pavisto.svg"), "<svg/>");
    EXPECT_EQ(toolsRun, (QList<QStringList>{{"update-mime-database", dir.filePath("data/mime")},
                                            {"update-desktop-database", dir.filePath("data/applications")}}));
    EXPECT_TRUE(WallFilesClaimed());  // start-up asks this before writing: nothing is written again
    EXPECT_EQ(read("config/mimeapps.list"), "[Default Applications]\n" + entry + "\n");
    qputenv("XDG_DATA_HOME", oldData);
    qputenv("XDG_CONFIG_HOME", oldConfig);

    QDir(target.dataHome + "/applications").removeRecursively();
    TestImages::write(target.dataHome + "/applications", "");  // the entry cannot be written: the install fails
    EXPECT_FALSE(WriteDesktopFiles(target.dataHome, target.program));
    // Other programs' defaults stay; the entry ends their group, before its blank line.
    TestImages::write(target.configHome + "/mimeapps.list",
                      "[Default Applications]\nt/p=v.desktop;\n\n[Removed Associations]\n");
    CreateFileAssociation(target);
    EXPECT_EQ(read("config/mimeapps.list"),
              "[Default Applications]\nt/p=v.desktop;\n" + entry + "\n\n[Removed Associations]\n");
}
