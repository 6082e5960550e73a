#include "shell/ScratchFolder.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

TEST(ScratchFolder, PrivateAndLockedWhileItsRunLivesAndOnlyFoldersOfEndedRunsAreRemoved)
{
    QTemporaryDir parent;
    const QString root = parent.path() + '/';
    // Lock files that no running program holds.
    for (const QString locked : {"pavisto-killed", "other-killed", "target/pavisto-inside"}) {
        QDir().mkpath(root + locked);
        QFile(root + locked + "/.lock").open(QIODevice::WriteOnly);
    }
    QDir().mkpath(root + "pavisto-unlocked");  // not known to be ours to judge
    ASSERT_TRUE(QFile::link(root + "target", root + "pavisto-link"));
    QString path;
    {
        ScratchFolder running(root);
        ASSERT_TRUE(running.isValid());
        path = running.path();
        EXPECT_TRUE(path.startsWith(root + "pavisto-") && path.endsWith('/'));
        EXPECT_EQ(QFile::permissions(path) & 0x00FF, 0);  // nothing for group or others
        RemoveStaleScratchFolders(root);
        EXPECT_TRUE(QFile::exists(path + ".lock"));
    }
    EXPECT_FALSE(QFile::exists(root + "pavisto-killed") || QDir(path).exists());
    for (const char* kept : {"pavisto-unlocked", "other-killed", "pavisto-link", "target/pavisto-inside"})
        EXPECT_TRUE(QFile::exists(root + kept)) << kept;
}
