#include "shell/ScratchFolder.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {
void makeFolder(const QString& path, bool withLock)
{
    QDir().mkpath(path);
    QFile(path + "/thumb.bmp").open(QIODevice::WriteOnly);
    if (withLock)
        QFile(path + "/.lock").open(QIODevice::WriteOnly);
}
} // namespace

TEST(ScratchFolder, PrivateLockedWhileTheRunLivesAndRemovedAtItsEnd)
{
    QTemporaryDir parent;
    QString path;
    {
        ScratchFolder scratch(parent.path() + '/');
        ASSERT_TRUE(scratch.isValid());
        path = scratch.path();
        EXPECT_TRUE(path.startsWith(parent.path() + "/pavisto-") && path.endsWith('/'));
        EXPECT_EQ(QFile::permissions(path) & 0x00FF, 0);  // nothing for group or others
        RemoveStaleScratchFolders(parent.path() + '/');  // this run's own folder is alive
        EXPECT_TRUE(QFile::exists(path + ".lock"));
    }
    EXPECT_FALSE(QDir(path).exists());
}

TEST(ScratchFolder, OnlyFoldersOfEndedRunsAreRemoved)
{
    QTemporaryDir parent;
    const QString root = parent.path() + '/';
    makeFolder(root + "pavisto-killed", true);      // its run ended: no one holds the lock
    makeFolder(root + "pavisto-unlocked", false);   // not known to be ours to judge
    makeFolder(root + "other-killed", true);        // not a scratch folder
    QDir().mkpath(root + "target");
    makeFolder(root + "target/pavisto-inside", true);
    ASSERT_TRUE(QFile::link(root + "target", root + "pavisto-link"));
    ScratchFolder running(root);
    RemoveStaleScratchFolders(root);
    EXPECT_FALSE(QFile::exists(root + "pavisto-killed"));
    for (const char* kept : {"pavisto-unlocked", "other-killed", "pavisto-link", "target/pavisto-inside"})
        EXPECT_TRUE(QFile::exists(root + kept)) << kept;
    EXPECT_TRUE(QFile::exists(running.path() + ".lock"));
}
