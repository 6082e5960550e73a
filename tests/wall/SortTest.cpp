#include "support/FakePlatform.h"
#include "support/TestWall.h"
#include "wall/Sort.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

// Creation times by path, seconds after 10:00:00; a path without one is a
// file that has gone.
CreationTimeReader readerOf(const QHash<QString, int>& seconds)
{
    const qint64 base = QDateTime::fromString("2024-05-01T10:00:00Z", Qt::ISODate).toSecsSinceEpoch();
    return [seconds, base](const QString& path) -> std::optional<qint64> {
        return seconds.contains(path) ? std::optional<qint64>(base + seconds[path]) : std::nullopt;
    };
}

// An image whose picture is as wide as its number, to follow it around.
void place(TestWall& wall, int r, int c, const QString& path, int number)
{
    wall.cells.setImage(r, c, QImage(number, 1, QImage::Format_Grayscale8), path);
}

// "r,c:path=number" for every cell, in row-major order.
std::string images(const TestWall& wall)
{
    QStringList seen;
    wall.cells.forEachOccupied(wall.cells.wholeGrid(), [&](int r, int c, const Cell& cell) {
        seen.append(QString::number(r) + ',' + QString::number(c) + ':' + wall.cells.CellData(r, c) + '='
                    + QString::number(cell.picture.width()));
    });
    return seen.join(" | ").toStdString();
}

} // namespace

TEST(Sort, OldestFirstThenByPathColumnByColumnWithTextsEmptied)
{
    FakePlatform platform;
    TestWall wall(3, 3);
    CellStore fgTop;
    const CreationTimeReader dates = readerOf({{"/p/B", 5}, {"/p/x", -3600}, {"/p/A", 5}, {"/p/a", 5}});
    place(wall, 0, 0, "/p/B", 1);
    place(wall, 1, 2, "/p/x", 2);
    place(wall, 2, 1, "/p/A", 3);
    place(wall, 0, 2, "/p/gone-z", 4);
    place(wall, 1, 1, "/p/gone-y", 5);
    place(wall, 2, 2, "/p/a", 6);
    wall.cells.setCellText(2, 1, "caption");
    wall.cells.hideImage(2, 2);
    wall.cells.setCellText(0, 1, "words");
    wall.state.ResetArmed = false;  // a hidden image comes back all the same
    mnuSortCreateDate_Click(wall.ctx, fgTop, dates);
    // The 10:00:05 ties go by case-sensitive path; files that have gone last.
    const std::string sorted =
        "0,0:/p/x=2 | 0,1:/p/a=6 | 1,0:/p/A=3 | 1,1:/p/gone-y=5 | 2,0:/p/B=1 | 2,1:/p/gone-z=4";
    EXPECT_EQ(images(wall), sorted);  // and no text is left
    EXPECT_EQ(wall.state.ImageCount, 6);
    EXPECT_TRUE(wall.state.StopSlideshow && wall.grid.isRedrawing() && platform.messages.isEmpty());
    EXPECT_TRUE(fgTop.Rows() == 0 && fgTop.occupiedCount() == 0);
    mnuSortCreateDate_Click(wall.ctx, fgTop, dates);
    EXPECT_EQ(images(wall), sorted);
}

TEST(Sort, WrapsAtGridRowsAndAddsColumnsRatherThanLoseAnImage)
{
    FakePlatform platform;
    TestWall wall(2, 3);
    CellStore fgTop;
    QHash<QString, int> seconds;
    for (int i = 0; i < 5; ++i) {
        seconds.insert("/p/" + QString::number(i), 5 - i);
        place(wall, i % 2, 2 - i / 2, "/p/" + QString::number(i), i + 1);
    }
    mnuSortCreateDate_Click(wall.ctx, fgTop, readerOf(seconds));
    EXPECT_EQ(images(wall), "0,0:/p/4=5 | 0,1:/p/2=3 | 0,2:/p/0=1 | 1,0:/p/3=4 | 1,1:/p/1=2");

    // A grid grown beyond GridRows rows, as a wall file can leave it.
    wall.cells.setRows(3);
    place(wall, 2, 0, "/p/5", 6);
    place(wall, 2, 2, "/p/6", 7);
    mnuSortCreateDate_Click(wall.ctx, fgTop, readerOf(seconds));
    EXPECT_EQ(images(wall), "0,0:/p/4=5 | 0,1:/p/2=3 | 0,2:/p/0=1 | 0,3:/p/6=7 | "
                            "1,0:/p/3=4 | 1,1:/p/1=2 | 1,2:/p/5=6");
}

TEST(Sort, ACreationTimeIsTheFilesBirthOrElseItsLastChange)
{
    QTemporaryDir dir;
    QFile file(dir.filePath("a.jpg"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    const QDateTime old = QDateTime::fromString("2001-02-03T04:05:06.700Z", Qt::ISODate);
    ASSERT_TRUE(file.setFileTime(old, QFileDevice::FileModificationTime));
    file.close();
    const qint64 created = FileCreationTime(file.fileName()).value_or(-1);
    if (QFileInfo(file.fileName()).birthTime().isValid())
        EXPECT_LT(std::abs(created - QDateTime::currentSecsSinceEpoch()), 60);
    else
        EXPECT_EQ(created, old.toSecsSinceEpoch());
    EXPECT_FALSE(FileCreationTime(dir.filePath("gone.jpg")).has_value());
}
