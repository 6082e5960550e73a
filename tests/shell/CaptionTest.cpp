#include "shell/Caption.h"
#include "shell/MainState.h"
#include "support/FakePlatform.h"

#include <QLocale>
#include <gtest/gtest.h>

TEST(Caption, CellPathSignedZoomCountsAndSizesInTheUsersLocaleAndALowMemoryFlagThatIsNeverCleared)
{
    FakePlatform platform;
    platform.freeMemory = 262144000;  // the threshold itself is not low
    MainState state;
    state.ZoomLevel = -2;
    state.ImageCount = 1234567;
    EXPECT_EQ(CaptionText(state, 4, 9, "/p/a.jpg"),
              "Pavisto 5-10  /p/a.jpg  [Zoom Level -2]   1,234,567 Images [10,000 cells]   Available memory: 250.00 MB");
    EXPECT_FALSE(state.LowMemory);
    for (const qint64 free : {262143999LL, 4000000000LL}) {
        platform.freeMemory = free;
        FreeMemory(state);
        EXPECT_TRUE(state.LowMemory) << free;
    }

    const QList<std::pair<qint64, const char*>> sizes{
        {2147483647, "2.00 GB"},  {1073741824, "1.00 GB"}, {1073741823, "1024.00 MB"}, {1048576, "1.00 MB"},
        {1048575, "1024.00 KB"}, {1024, "1.00 KB"},       {1023, "1023 Bytes"},        {0, "0 Bytes"}};
    for (const auto& [bytes, text] : sizes)
        EXPECT_EQ(FormatByteSize(bytes), text) << bytes;
    const QLocale saved;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    EXPECT_EQ(FormatCount(10000) + " " + FormatCount(0) + " " + FormatByteSize(1073741823), "10.000 0 1024,00 MB");
    QLocale::setDefault(saved);
}
