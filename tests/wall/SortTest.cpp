#include "support/FakePlatform.h"
#include "support/TestWall.h"
#include "wall/Search.h"
#include "wall/Sort.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

qint64 at(const char* isoTime)
{
    return QDateTime::fromString(QString::fromUtf8(isoTime), Qt::ISODate).toSecsSinceEpoch();
}

// Creation times by path; a path without one is a file that has gone.
struct Dates {
    QHash<QString, qint64> times;
    CreationTimeReader reader() const
    {
        return [this](const QString& path) -> std::optional<qint64> {
            const auto it = times.constFind(path);
            return it == times.constEnd() ? std::nullopt : std::optional<qint64>(*it);
        };
    }
};

// An image whose picture is as wide as its number, to follow it around.
void place(TestWall& wall, int r, int c, const QString& path, int number)
{
    wall.cells.setImage(r, c, QImage(number, 1, QImage::Format_Grayscale8), path);
}

// "r,c:path=number" for every image, in row-major order.
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
    Dates dates;
    dates.times = {{"/p/B", at("2024-05-01T10:00:05")}, {"/p/x", at("2024-05-01T09:00:00")},
                   {"/p/A", at("2024-05-01T10:00:05")}, {"/p/a", at("2024-05-01T10:00:05")}};
    place(wall, 0, 0, "/p/B", 1);
    place(wall, 1, 2, "/p/x", 2);
    place(wall, 2, 1, "/p/A", 3);
    wall.cells.setCellText(2, 1, "caption");
    place(wall, 0, 2, "/p/gone-z", 4);
    place(wall, 1, 1, "/p/gone-y", 5);
    place(wall, 2, 2, "/p/a", 6);
    wall.cells.hideImage(2, 2);
    wall.cells.setCellText(0, 1, "words");
    wall.cells.setCellForeColor(0, 1, Qt::white);
    wall.state.ResetArmed = false;  // a hidden image comes back all the same
    wall.state.ImageCount = 99;

    mnuSortCreateDate_Click(wall.ctx, fgTop, dates.reader());
    // Column 0: 09:00:00, then the 10:00:05 ties by case-sensitive path;
    // column 1 goes on with the last tie and the files that have gone.
    EXPECT_EQ(images(wall), "0,0:/p/x=2 | 0,1:/p/a=6 | 1,0:/p/A=3 | 1,1:/p/gone-y=5 | 2,0:/p/B=1 | "
                            "2,1:/p/gone-z=4");
    EXPECT_EQ(wall.state.ImageCount, 6);
    EXPECT_TRUE(wall.cells.CellText(0, 1).isEmpty() && wall.cells.CellText(1, 0).isEmpty());
    EXPECT_TRUE(wall.state.StopSlideshow && wall.state.ResetArmed && wall.grid.isRedrawing());
    EXPECT_TRUE(fgTop.Rows() == 0 && fgTop.occupiedCount() == 0);
    EXPECT_TRUE(platform.messages.isEmpty());
    EXPECT_EQ(wall.captions + wall.previews, 0);

    const std::string sorted = images(wall);
    mnuSortCreateDate_Click(wall.ctx, fgTop, dates.reader());
    EXPECT_EQ(images(wall), sorted);
}

TEST(Sort, WrapsAtGridRowsAndAddsColumnsRatherThanLoseAnImage)
{
    FakePlatform platform;
    TestWall wall(2, 3);
    CellStore fgTop;
    Dates dates;
    for (int i = 0; i < 5; ++i) {
        const QString path = "/p/" + QString::number(i);
        dates.times.insert(path, at("2020-01-01T00:00:00") + 60 * (5 - i));
        place(wall, i % 2, 2 - i / 2, path, i + 1);
    }
    mnuSortCreateDate_Click(wall.ctx, fgTop, dates.reader());
    EXPECT_EQ(images(wall), "0,0:/p/4=5 | 0,1:/p/2=3 | 0,2:/p/0=1 | 1,0:/p/3=4 | 1,1:/p/1=2");

    // A grid grown beyond GridRows rows, as a wall file can leave it.
    TestWall grown(2, 2);
    grown.cells.setRows(3);
    for (int i = 0; i < 6; ++i) {
        const QString path = "/p/" + QString::number(i);
        dates.times.insert(path, at("2020-01-01T00:00:00") + i);
        place(grown, i / 2, i % 2, path, i + 1);
    }
    mnuSortCreateDate_Click(grown.ctx, fgTop, dates.reader());
    EXPECT_EQ(grown.cells.Cols(), 3);
    EXPECT_EQ(images(grown), "0,0:/p/0=1 | 0,1:/p/2=3 | 0,2:/p/4=5 | 1,0:/p/1=2 | 1,1:/p/3=4 | 1,2:/p/5=6");
    EXPECT_EQ(grown.state.ImageCount, 6);
}

TEST(Sort, CreationTimeOfAFileIsItsBirthOrElseItsLastChange)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("a.jpg");
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    const QDateTime old = QDateTime::fromString("2001-02-03T04:05:06.700Z", Qt::ISODate);
    ASSERT_TRUE(file.setFileTime(old, QFileDevice::FileModificationTime));
    file.close();
    const std::optional<qint64> created = FileCreationTime(path);
    ASSERT_TRUE(created.has_value());
    if (QFileInfo(path).birthTime().isValid())
        EXPECT_LT(std::abs(*created - QDateTime::currentSecsSinceEpoch()), 60);
    else
        EXPECT_EQ(*created, old.toSecsSinceEpoch());
    EXPECT_FALSE(FileCreationTime(dir.filePath("gone.jpg")).has_value());
}
