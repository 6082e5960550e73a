#include "app/ProcessSettings.h"
#include "shell/MainModule.h"
#include "support/RawFolder.h"

#include <QApplication>
#include <QFile>
#include <QLocale>
#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    ApplyProcessSettings();
    // Test discovery runs this binary at build time, without a display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    AppTitle = BuildAppTitle();
    RawFolder scratch;  // the trash in it may hold names that are not UTF-8
    // Windows made by the tests keep thumbnails away from the user's cache.
    qputenv("XDG_CACHE_HOME", QFile::encodeName(scratch.filePath(QStringLiteral("cache"))));
    // Deleted files go to a trash of the tests' own.
    qputenv("XDG_DATA_HOME", QFile::encodeName(scratch.filePath(QStringLiteral("data"))));
    return RUN_ALL_TESTS();
}
