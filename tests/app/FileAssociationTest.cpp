#include "app/FileAssociation.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

// Points an environment variable elsewhere for one test.
struct EnvironmentValue {
    const char* name;
    QByteArray old;
    bool had;
    EnvironmentValue(const char* variable, const QByteArray& value)
        : name(variable), old(qgetenv(variable)), had(qEnvironmentVariableIsSet(variable))
    {
        qputenv(name, value);
    }
    ~EnvironmentValue() { had ? qputenv(name, old) : qunsetenv(name); }
};

struct AssociationFixture : ::testing::Test {
    QTemporaryDir dir;
    QList<QStringList> toolsRun;
    AssociationTarget target{dir.filePath("data"), dir.filePath("config"), "/opt/my apps/pavisto",
                             dir.filePath("icon.svg"),
                             [this](const QString& tool, const QStringList& arguments) {
                                 toolsRun.append(QStringList{tool} + arguments);
                             }};

    AssociationFixture()
    {
        QFile icon(target.icon);
        icon.open(QIODevice::WriteOnly);
        icon.write("<svg/>");
    }
    QString read(const QString& relative) const
    {
        QFile file(dir.filePath(relative));
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString("<none>");
    }
};

} // namespace

TEST(FileAssociation, TheProgramPathIsQuotedForTheExecKey)
{
    EXPECT_EQ(DesktopExecQuoted("/usr/bin/pavisto"), "\"/usr/bin/pavisto\"");
    EXPECT_EQ(DesktopExecQuoted("/opt/my apps/pavisto"), "\"/opt/my apps/pavisto\"");
    // Inside quotes " ` $ \ take a backslash, which the string escapes double.
    EXPECT_EQ(DesktopExecQuoted("/a$b`c\"d/p"), R"("/a\\$b\\`c\\"d/p")");
    EXPECT_EQ(DesktopExecQuoted("/a\\b/p"), R"("/a\\\\b/p")");
    EXPECT_EQ(DesktopExecQuoted("/100%/p"), "\"/100%%/p\"");
    EXPECT_EQ(DesktopExecQuoted("/a\nb/p"), R"("/a\nb/p")");
}

TEST(FileAssociation, TheDefaultApplicationJoinsAnExistingListAndKeepsTheRest)
{
    const QString type = "application/x-pavisto-wall";
    EXPECT_EQ(WithDefaultApplication("", type, "pavisto.desktop"),
              "[Default Applications]\napplication/x-pavisto-wall=pavisto.desktop;\n");
    EXPECT_EQ(WithDefaultApplication("[Added Associations]\ntext/plain=vim.desktop;", type, "pavisto.desktop"),
              "[Added Associations]\ntext/plain=vim.desktop;\n\n[Default Applications]\n"
              "application/x-pavisto-wall=pavisto.desktop;\n");
    EXPECT_EQ(WithDefaultApplication("[Default Applications]\ntext/plain=vim.desktop;\n\n[Removed Associations]\n"
                                     "image/png=gimp.desktop;\n",
                                     type, "pavisto.desktop"),
              "[Default Applications]\ntext/plain=vim.desktop;\napplication/x-pavisto-wall=pavisto.desktop;\n\n"
              "[Removed Associations]\nimage/png=gimp.desktop;\n");
    EXPECT_EQ(WithDefaultApplication("[Default Applications]\napplication/x-pavisto-wall=old.desktop;\n"
                                     "text/plain=vim.desktop;\n",
                                     type, "pavisto.desktop"),
              "[Default Applications]\napplication/x-pavisto-wall=pavisto.desktop;\ntext/plain=vim.desktop;\n");
}

TEST_F(AssociationFixture, TheTypeTheEntryAndTheDefaultAreWrittenIntoTheGivenFolders)
{
    CreateFileAssociation(target);
    const QString package = read("data/mime/packages/pavisto-wall.xml");
    EXPECT_TRUE(package.contains("<mime-type type=\"application/x-pavisto-wall\">"));
    EXPECT_TRUE(package.contains("<comment>Pavisto File</comment>"));
    EXPECT_TRUE(package.contains("<glob pattern=\"*.wall\"/>"));
    EXPECT_TRUE(package.contains("<icon name=\"pavisto\"/>"));

    const QStringList entry = read("data/applications/pavisto.desktop").split('\n');
    EXPECT_EQ(entry.value(0), "[Desktop Entry]");
    EXPECT_TRUE(entry.contains("Exec=\"/opt/my apps/pavisto\" %f"));
    EXPECT_TRUE(entry.contains("MimeType=application/x-pavisto-wall;"));
    EXPECT_TRUE(entry.contains("Type=Application") && entry.contains("Name=Pavisto") && entry.contains("Icon=pavisto"));
    EXPECT_EQ(read("data/icons/hicolor/scalable/apps/pavisto.svg"), "<svg/>");
    EXPECT_EQ(read("config/mimeapps.list"), "[Default Applications]\napplication/x-pavisto-wall=pavisto.desktop;\n");
    EXPECT_EQ(toolsRun, (QList<QStringList>{{"update-mime-database", dir.filePath("data/mime")},
                                            {"update-desktop-database", dir.filePath("data/applications")}}));

    // Written again, the default is replaced rather than added twice and the
    // other lines stay.
    QFile list(dir.filePath("config/mimeapps.list"));
    ASSERT_TRUE(list.open(QIODevice::Append));
    list.write("text/plain=vim.desktop;\n");
    list.close();
    CreateFileAssociation(target);
    EXPECT_EQ(read("config/mimeapps.list"),
              "[Default Applications]\napplication/x-pavisto-wall=pavisto.desktop;\ntext/plain=vim.desktop;\n");
}

TEST_F(AssociationFixture, FailuresAreSilentAndTouchNothingElse)
{
    // A file where the data folder should be: nothing can be written there.
    QFile blocker(target.dataHome);
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    target.icon = dir.filePath("missing.svg");
    CreateFileAssociation(target);
    EXPECT_EQ(read("data"), "");
    EXPECT_EQ(read("config/mimeapps.list"), "[Default Applications]\napplication/x-pavisto-wall=pavisto.desktop;\n");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries),
              (QStringList{"config", "data", "icon.svg"}));
}

TEST_F(AssociationFixture, TheFoldersComeFromTheEnvironmentAndTheWrittenTypeClaimsWallFiles)
{
    const EnvironmentValue data("XDG_DATA_HOME", target.dataHome.toUtf8());
    const EnvironmentValue config("XDG_CONFIG_HOME", "relative/is/ignored");
    const AssociationTarget own = ThisProgramsTarget();
    EXPECT_EQ(own.dataHome, target.dataHome);
    EXPECT_EQ(own.configHome, QDir::homePath() + "/.config");
    EXPECT_EQ(own.program, QCoreApplication::applicationFilePath());
    EXPECT_EQ(own.icon, QCoreApplication::applicationDirPath() + "/pavisto.svg");

    // What start-up asks before writing: once the type is there, .wall files
    // are claimed and nothing is written again.
    CreateFileAssociation(target);
    EXPECT_TRUE(WallFilesClaimed());
}
