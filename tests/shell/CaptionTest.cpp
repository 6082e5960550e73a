#include "shell/Caption.h"
#include "shell/MainState.h"
#include "support/FakePlatform.h"

#include <QLocale>
#include <gtest/gtest.h>

TEST(Caption, ByteSizesAtEveryBoundaryInTheUsersLocale)
{
    EXPECT_EQ(FormatByteSize(2147483647), "2.00 GB");
    EXPECT_EQ(FormatByteSize(1073741824), "1.00 GB");
    EXPECT_EQ(FormatByteSize(1073741823), "1024.00 MB");
    EXPECT_EQ(FormatByteSize(1048576), "1.00 MB");
    EXPECT_EQ(FormatByteSize(1048575), "1024.00 KB");
    EXPECT_EQ(FormatByteSize(1024), "1.00 KB");
    EXPECT_EQ(FormatByteSize(1023), "1023 Bytes");
    EXPECT_EQ(FormatByteSize(0), "0 Bytes");
    const QLocale saved;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    EXPECT_EQ(FormatCount(10000) + " " + FormatCount(0) + " " + FormatByteSize(1073741823), "10.000 0 1024,00 MB");
    QLocale::setDefault(saved);
}

TEST(Caption, LowMemoryIsRaisedBelowTheThresholdAndNeverCleared)
{
    FakePlatform platform;
    MainState state;
    platform.freeMemory = 262144000;
    EXPECT_EQ(AvailableMemoryText(state), "Available memory: 250.00 MB");
    EXPECT_FALSE(state.LowMemory);
    for (const qint64 free : {262143999LL, 4000000000LL}) {
        platform.freeMemory = free;
        AvailableMemoryText(state);
        EXPECT_TRUE(state.LowMemory) << free;
    }
}

TEST(Caption, CellPathSignedZoomAndGroupedCounts)
{
    FakePlatform platform;
    platform.freeMemory = 1073741824;
    MainState state;
    state.ZoomLevel = -2;
    state.ImageCount = 1234567;
    EXPECT_EQ(CaptionText(state, 4, 9, "/p/a.jpg"),
              "Pavisto 5-10  /p/a.jpg  [Zoom Level -2]   1,234,567 Images [10,000 cells]   Available memory: 1.00 GB");
}
