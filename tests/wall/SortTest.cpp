#include "grid/SortTable.h"
#include "WallFixture.h"
#include "wall/Sort.h"

#include <QDateTime>
#include <QFileInfo>
#include <QHash>

namespace {

using Sort = WallFixture;

// "r,c:path=width" for every cell in row-major order, width being the
// picture's.
std::string images(const TestWall& wall)
{
    QStringList seen;
    wall.cells.forEachOccupied(wall.cells.wholeGrid(), [&](int r, int c, const Cell& cell) {
        seen.append(QString::number(r) + ',' + QString::number(c) + ':' + wall.cells.CellData(r, c) + '='
                    + QString::number(cell.picture.size().width()));
    });
    return seen.join(" | ").toStdString();
}

} // namespace

TEST_F(Sort, OldestFirstThenByPathColumnByColumnGrowingTheGridAndEmptyingTexts)
{
    wall.cells.setCols(3);
    wall.state.GridRows = 2;  // fewer than the grid has, as a wall file can leave it
    SortTable fgTop;
    // Creation times in seconds after 10:00:00; a path without one is a file
    // that has gone.
    const qint64 base = QDateTime::fromString("2024-05-01T10:00:00Z", Qt::ISODate).toSecsSinceEpoch();
    const QHash<QString, int> seconds{{"/p/B", 5}, {"/p/x", -3600}, {"/p/A", 5}, {"/p/a", 5}, {"/p/C", 9}};
    const CreationTimeReader dates = [&](const QString& path) -> std::optional<qint64> {
        return seconds.contains(path) ? std::optional<qint64>(base + seconds[path]) : std::nullopt;
    };
    // Each picture is as wide as its image's number in this list.
    const std::tuple<int, int, QString> placed[] = {
        {0, 0, "/p/B"}, {1, 2, "/p/x"}, {2, 1, "/p/A"}, {0, 2, "/p/gone-z"}, {1, 1, "/p/gone-y"}, {2, 2, "/p/a"},
        {2, 0, "/p/C"}};
    wall.cells.setPictureType(CellStore::Colour);
    for (int i = 0; i < 7; ++i) {
        const auto& [r, c, path] = placed[i];
        wall.cells.setImage(r, c, QImage(i + 1, 1, QImage::Format_RGB32), path);
    }
    wall.cells.setPictureType(CellStore::Monochrome);  // pictures placed in colour stay so
    wall.cells.setCellText(2, 1, "caption");
    wall.cells.hideImage(2, 2);
    wall.cells.setCellText(0, 1, "words");
    wall.state.ResetArmed = false;  // a hidden image comes back all the same
    const std::string before = images(wall);
    mnuSortCreateDate_Click(wall.ctx, fgTop, dates);  // the default No keeps the texts
    EXPECT_TRUE(images(wall) == before && wall.cells.CellText(0, 1) == "words");
    const AskedMessage asked = platform.messages.value(0);
    EXPECT_TRUE(asked.text == "Sort by Create Date clears the 2 texts of the wall.\n\nSort anyway?"
                && asked.buttons == MsgButtons::YesNoDefaultNo);
    platform.messageAnswers = {MsgAnswer::Yes};
    mnuSortCreateDate_Click(wall.ctx, fgTop, dates);
    // The 10:00:05 ties go by case-sensitive path; files that have gone last.
    const std::string sorted = "0,0:/p/x=2 | 0,1:/p/B=1 | 0,2:/p/C=7 | 0,3:/p/gone-z=4 | "
                               "1,0:/p/A=3 | 1,1:/p/a=6 | 1,2:/p/gone-y=5";
    EXPECT_EQ(images(wall), sorted);  // and no text is left
    EXPECT_TRUE(wall.state.StopSlideshow && wall.grid.isRedrawing() && platform.messages.size() == 2);
    EXPECT_TRUE(fgTop.Rows() == 0 && fgTop.occupiedCount() == 0);
    mnuSortCreateDate_Click(wall.ctx, fgTop, dates);  // again: nothing changes, no texts to ask about
    EXPECT_TRUE(images(wall) == sorted && wall.state.ImageCount == 7 && platform.messages.size() == 2);
    wall.cells.forEachOccupied(wall.cells.wholeGrid(),
                               [](int, int, const Cell& cell) { EXPECT_FALSE(cell.picture.isGrey()); });
}

TEST_F(Sort, ACreationTimeIsTheFilesBirthOrElseItsLastChange)
{
    QFile file(dir.filePath("a.jpg"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_TRUE(file.setFileTime(QDateTime::fromSecsSinceEpoch(1'000'000'000), QFileDevice::FileModificationTime));
    file.close();
    // Made just now, whatever its last change says.
    if (QFileInfo(file.fileName()).birthTime().isValid()) {
        EXPECT_LT(std::abs(*FileCreationTime(file.fileName()) - QDateTime::currentSecsSinceEpoch()), 60);
    }
    // /proc records no birth.
    EXPECT_EQ(FileCreationTime("/proc/version"), QFileInfo("/proc/version").lastModified().toSecsSinceEpoch());
    EXPECT_FALSE(FileCreationTime(dir.filePath("gone.jpg")).has_value());
}
