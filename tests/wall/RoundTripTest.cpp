#include "WallFixture.h"
#include "shell/FileNames.h"
#include "support/RawFolder.h"
#include "wall/CopyMove.h"
#include "wall/OpenWall.h"
#include "wall/SaveWall.h"
#include "wall/Search.h"
#include "wall/WallFormat.h"

#include <QBuffer>
#include <QDir>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <map>
#include <random>

namespace {

using Position = std::pair<int, int>;

std::map<Position, QString> recordsOf(const QByteArray& bytes)
{
    QBuffer file;
    file.setData(bytes);
    file.open(QIODevice::ReadOnly);
    WallReader reader(file);
    std::map<Position, QString> records;
    while (!reader.atEnd())
        if (std::optional<WallRecord> record = reader.next())
            records[{record->row, record->col}] = record->value;
    return records;
}

// Written through the name's bytes, which Qt's own file calls would lose.
void writeFile(const QString& path, const QByteArray& bytes)
{
    const int fd = ::open(FileNameBytes(path).constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    ASSERT_TRUE(fd >= 0 && ::write(fd, bytes.constData(), size_t(bytes.size())) == bytes.size());
    ::close(fd);
}

// A random wall file: images that decode, files that do not, files that are
// gone, and texts, in folders and under names with commas and with bytes
// that are not UTF-8, in cells near the start and far out.
QByteArray randomWall(const QString& root, unsigned seed)
{
    std::minstd_rand random(seed);
    const auto pick = [&](int n) { return int(random() % unsigned(n)); };
    const QStringList folders{root + "/plain", root + "/Paris, 2019", FileNameFromBytes(QFile::encodeName(root) + "/d\xE9j\xE0")};
    for (const QString& folder : folders)
        ::mkdir(FileNameBytes(folder).constData(), 0700);
    const QStringList names{"img %1.jpg", "a,b %1.jpg", FileNameFromBytes("caf\xE9 %1.jpg")};
    std::map<Position, QString> cells;
    for (int i = 0; i < 40; ++i) {
        const Position at = pick(8) ? Position{pick(12), pick(12)} : Position{MaxWallIndex - pick(3), pick(4)};
        const QString file = folders[pick(3)] + '/' + names[pick(3)].arg(i);
        switch (pick(4)) {
        case 0: cells[at] = QString("text %1, with a comma").arg(i); break;
        case 1: cells[at] = file; break;  // gone
        default:
            writeFile(file, pick(4) ? TestImages::jpeg(16, 12) : QByteArray("not a picture"));
            cells[at] = file;
        }
    }
    QByteArray records;
    for (const auto& [at, value] : cells)
        AppendWallRecord(records, at.first, at.second, value);
    return records + "\r\n";
}

} // namespace

TEST_F(WallFixture, RandomWallsComeBackRecordForRecordAndTheSecondSaveIsTheFirstByteForByte)
{
    for (unsigned seed = 1; seed <= 6; ++seed) {
        const RawFolder root;
        QDir().mkpath(root.filePath("moved"));
        TestWall first{10, 10};
        OpenWallFile(first.ctx, write("random.wall", randomWall(root.path(), seed)), dialog({}));
        // Some images hidden by a search, some moved away.
        SearchGrid(first.ctx, "img");
        first.grid.Select(0, 0, 11, 11);
        platform.folderAnswers = {root.filePath("moved")};
        mnuRightMove_Click(first.ctx);
        ASSERT_NE(lastMessage(), "0 files moved.") << seed;
        const QString saved = dir.filePath(QString("saved%1.wall").arg(seed));
        SaveWall(first.ctx, dialog(saved));
        const QByteArray bytes = TestImages::read(saved);

        TestWall second{10, 10};
        OpenWallFile(second.ctx, saved, dialog({}));
        const std::map<Position, QString> records = recordsOf(bytes);
        ASSERT_GT(records.size(), 20u) << seed;
        for (const auto& [at, value] : records) {
            const auto [r, c] = at;
            EXPECT_TRUE(second.cells.CellData(r, c) == value || second.cells.CellText(r, c) == value)
                << seed << ": " << r << ',' << c << ' ' << qPrintable(value);
        }
        SaveWall(second.ctx, dialog(dir.filePath("again.wall")));
        EXPECT_EQ(TestImages::read(dir.filePath("again.wall")), bytes) << seed;
        EXPECT_EQ(first.cells.occupiedCount(), records.size()) << seed;
    }
    EXPECT_FALSE(platform.texts().join('\n').contains("error")) << qPrintable(platform.texts().join('\n'));
}
