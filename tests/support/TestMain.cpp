#include "app/ProcessSettings.h"
#include "shell/MainModule.h"

#include <QApplication>
#include <QFile>
#include <QLocale>
#include <QTemporaryDir>
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
    QTemporaryDir scratch;
    TempPath = scratch.path() + QLatin1Char('/');
    // Windows made by the tests keep thumbnails away from the user's cache.
    qputenv("XDG_CACHE_HOME", QFile::encodeName(scratch.filePath(QStringLiteral("cache"))));
    return RUN_ALL_TESTS();
}
