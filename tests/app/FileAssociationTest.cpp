#include "app/FileAssociation.h"
#include "support/TestImages.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

const QString Entry = "application/x-pavisto-wall=pavisto.desktop;";

struct AssociationFixture : ::testing::Test {
    QTemporaryDir dir;
    QList<QStringList> toolsRun;
    AssociationTarget target{dir.filePath("data"), dir.filePath("config"), "/opt/my apps/pavisto",
                             dir.filePath("icon.svg"), [this](const QString& tool, const QStringList& arguments) {
                                 toolsRun.append(QStringList{tool} + arguments);
                             }};

    AssociationFixture() { TestImages::write(target.icon, "<svg/>"); }
    QString read(const QString& relative) const
    {
        QFile file(dir.filePath(relative));
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString("<none>");
    }
};

} // namespace

TEST(FileAssociation, ExecQuotingAndTheDefaultApplicationInAnExistingList)
{
    EXPECT_EQ(DesktopExecQuoted("/opt/my apps/pavisto"), "\"/opt/my apps/pavisto\"");
    // Inside quotes " ` $ \ take a backslash, which the string escapes double.
    EXPECT_EQ(DesktopExecQuoted("/a$b`c\"d\\e/100%"), R"("/a\\$b\\`c\\"d\\\\e/100%%")");
    EXPECT_EQ(WithDefaultApplication("[Default Applications]\napplication/x-pavisto-wall=old.desktop;\nt/p=v.desktop;\n"
                                     "\n[Added Associations]\nt/p=v.desktop;",
                                     "application/x-pavisto-wall", "pavisto.desktop"),
              "[Default Applications]\n" + Entry + "\nt/p=v.desktop;\n\n[Added Associations]\nt/p=v.desktop;\n");
    EXPECT_EQ(WithDefaultApplication("[Default Applications]\nt/p=v.desktop;\n\n[Removed Associations]\n",
                                     "application/x-pavisto-wall", "pavisto.desktop"),
              "[Default Applications]\nt/p=v.desktop;\n" + Entry + "\n\n[Removed Associations]\n");
}

TEST_F(AssociationFixture, TheTypeTheEntryAndTheDefaultGoIntoTheGivenFoldersOnly)
{
    CreateFileAssociation(target);
    const QString package = read("data/mime/packages/pavisto-wall.xml");
    for (const char* part : {"type=\"application/x-pavisto-wall\"", "<comment>Pavisto File</comment>",
                             "<glob pattern=\"*.wall\"/>", "<icon name=\"pavisto\"/>"})
        EXPECT_TRUE(package.contains(part)) << part;
    const QStringList entry = read("data/applications/pavisto.desktop").split('\n');
    for (const char* line : {"[Desktop Entry]", "Exec=\"/opt/my apps/pavisto\" %f",
                             "MimeType=application/x-pavisto-wall;", "Icon=pavisto"})
        EXPECT_TRUE(entry.contains(line)) << line;
    EXPECT_EQ(read("data/icons/hicolor/scalable/apps/pavisto.svg"), "<svg/>");
    EXPECT_EQ(read("config/mimeapps.list"), "[Default Applications]\n" + Entry + "\n");
    EXPECT_EQ(toolsRun, (QList<QStringList>{{"update-mime-database", dir.filePath("data/mime")},
                                            {"update-desktop-database", dir.filePath("data/applications")}}));

    // A data folder that cannot be made costs the rest nothing, silently.
    QDir(target.dataHome).removeRecursively();
    TestImages::write(target.dataHome, "");
    QFile::remove(target.configHome + "/mimeapps.list");
    CreateFileAssociation(target);
    EXPECT_EQ(read("config/mimeapps.list"), "[Default Applications]\n" + Entry + "\n");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries),
              (QStringList{"config", "data", "icon.svg"}));
}

TEST_F(AssociationFixture, TheFoldersComeFromTheEnvironmentAndTheWrittenTypeClaimsWallFiles)
{
    const QByteArray oldData = qgetenv("XDG_DATA_HOME"), oldConfig = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_DATA_HOME", target.dataHome.toUtf8());
    qputenv("XDG_CONFIG_HOME", "relative/is/ignored");
    const AssociationTarget own = ThisProgramsTarget();
    EXPECT_EQ(own.dataHome, target.dataHome);
    EXPECT_EQ(own.configHome, QDir::homePath() + "/.config");
    EXPECT_EQ(own.program, QCoreApplication::applicationFilePath());
    // Start-up asks this before writing: once the type is there, nothing is
    // written again.
    CreateFileAssociation(target);
    EXPECT_TRUE(WallFilesClaimed());
    qputenv("XDG_DATA_HOME", oldData);
    qputenv("XDG_CONFIG_HOME", oldConfig);
}
