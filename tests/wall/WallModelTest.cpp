// Mouse events go through the window, as the desktop's would.
#define QTEST_QPA_MOUSE_HANDLING

#include "grid/SortTable.h"
#include "shell/Caption.h"
#include "shell/FileNames.h"
#include "shell/Utilities.h"
#include "support/CellPoint.h"
#include "support/FakePlatform.h"
#include "support/RawFolder.h"
#include "support/TestImages.h"
#include "support/TestWall.h"
#include "view/GridInput.h"
#include "wall/CellText.h"
#include "wall/CopyMove.h"
#include "wall/FileOperations.h"
#include "wall/OpenWall.h"
#include "wall/SaveWall.h"
#include "wall/Search.h"
#include "wall/Sort.h"
#include "wall/WallDigest.h"
#include "wall/WallFormat.h"

#include <QBuffer>
#include <QDir>
#include <QTest>
#include <gtest/gtest.h>
#include <rapidcheck/gtest.h>
#include <rapidcheck/state.h>

#include <map>
#include <memory>
#include <set>

namespace {

using Pos = std::pair<int, int>;
using Cells = std::map<Pos, QString>;
constexpr int Side = 6;

// What the wall must hold: every image (by path, hidden or not) and every
// text the user wrote, cell by cell; which files are on disk.
struct Expected {
    Cells images, texts;
    std::set<Pos> hidden;
    QStringList files;  // the image files on disk
    QString partialPath;  // a wall file opened only in part, and its records
    qint64 partialRecords = 0;
    QStringList walls;  // wall files written so far
};

Cells cellsOf(const CellStore& cells, bool images)
{
    Cells found;
    cells.forEachOccupied(cells.wholeGrid(), [&](int r, int c, const Cell& cell) {
        if (const QString value = images ? cell.imagePath() : OwnText(cell); !value.isEmpty())
            found[{r, c}] = value;
    });
    return found;
}

// The records of a wall file in its order.
std::vector<WallRecord> recordsOf(const QByteArray& bytes)
{
    QBuffer file;
    file.setData(bytes);
    file.open(QIODevice::ReadOnly);
    WallReader reader(file);
    std::vector<WallRecord> records;
    while (!reader.atEnd())
        if (std::optional<WallRecord> record = reader.next())
            records.push_back(*record);
    return records;
}

// The file name a copy takes where `name` is taken: "stem (n).ext", a
// leading dot being no extension.
QString freeName(const QString& name, const QSet<QString>& taken)
{
    const qsizetype dot = name.lastIndexOf('.');
    for (int n = 1;; ++n) {
        const QString tried =
            n == 1 ? name : (dot > 0 ? name.left(dot) : name) + " (" + QString::number(n) + ")" + (dot > 0 ? name.mid(dot) : "");
        if (!taken.contains(tried))
            return tried;
    }
}

// A shown wall of Side x Side cells that the mouse can drag in, its image
// files (one named with a comma in its folder, a dotfile, one whose name ends
// in a multi-byte character, one whose name is not UTF-8) and a hidden
// folder for moves that already holds two of their names.
struct Wall : TestWall {
    FakePlatform platform;
    RawFolder dir;
    QString moved = dir.filePath(".moved");
    GridInput* input = new GridInput(ctx);
    SortTable fgTop;
    Expected m;

    Wall() : TestWall(Side, Side)
    {
        QObject::connect(&grid, &GridWidget::BeforeMouseDown, input, &GridInput::fg_BeforeMouseDown);
        QObject::connect(&grid, &GridWidget::MouseDown, input, &GridInput::fg_MouseDown);
        grid.resize(400, 300);
        grid.show();
        RC_ASSERT(QTest::qWaitForWindowExposed(&grid));
        const QStringList names{"a.jpg", "Paris, 2019/B.JPG", ".dot", "bild-ü", FileNameFromBytes("caf\xE9.jpg")};
        for (int i = 0; i < names.size(); ++i) {
            m.files.append(dir.path() + '/' + names[i]);
            QDir().mkpath(m.files.last().section('/', 0, -2));
            WriteRaw(m.files.last(), TestImages::jpeg(8 + i, 6));
        }
        TestImages::write(moved + "/a.jpg", "x");
        TestImages::write(moved + "/.dot", "x");
    }
    bool shows(const Pos& p) const { return m.images.count(p) && !m.hidden.count(p); }
    // Everything the model holds is on the wall and on disk, and no more.
    void check() const
    {
        RC_ASSERT(cellsOf(cells, true) == m.images);
        RC_ASSERT(cellsOf(cells, false) == m.texts);
        RC_ASSERT(state.ImageCount == int(m.images.size()));
        for (const auto& [p, path] : m.images)
            RC_ASSERT((cells.CellData(p.first, p.second) == path) == !m.hidden.count(p));
        for (const QString& file : m.files)
            RC_ASSERT(FileExists(file));
        RC_ASSERT(!state.StopLoading && !state.IsLoading);
    }
    // The records a save must write, row by row: an image's path, else a text.
    std::vector<WallRecord> expectedRecords() const
    {
        Cells all = m.texts;
        for (const auto& [p, path] : m.images)
            all[p] = path;
        std::vector<WallRecord> records;
        for (const auto& [p, value] : all)
            records.push_back({p.first, p.second, value});
        return records;
    }
    // The wall as a file's records place it: an image for a value that names
    // an image file, else a text.
    Expected opened(const std::vector<WallRecord>& records, std::size_t count) const
    {
        Expected next = m;
        next.images.clear(), next.texts.clear(), next.hidden.clear();
        for (std::size_t i = 0; i < count; ++i) {
            const Pos p{records[i].row, records[i].col};
            (m.files.contains(records[i].value) ? next.images : next.texts)[p] = records[i].value;
        }
        return next;
    }
    void select(int r1, int c1, int r2, int c2) { grid.Select(std::min(r1, r2), std::min(c1, c2), std::max(r1, r2), std::max(c1, c2)); }
    void mouse(QTest::MouseAction action, const Pos& p) { QTest::mouseEvent(action, grid.viewport(), Qt::LeftButton, {}, CellPoint(grid, p.first, p.second)); }
};

using Command = rc::state::Command<int, Wall>;

struct Open : Command {
    std::vector<std::tuple<int, int, int>> records = *rc::gen::container<std::vector<std::tuple<int, int, int>>>(
        rc::gen::tuple(rc::gen::inRange(0, Side), rc::gen::inRange(0, Side), rc::gen::inRange(0, 12)));
    int stopAt = *rc::gen::oneOf(rc::gen::just(0), rc::gen::inRange(1, 30));  // the yield that stops it; 0: none
    bool reopen = *rc::gen::arbitrary<bool>();  // a saved wall instead of a new file

    void run(const int&, Wall& w) const override
    {
        QString path = w.dir.filePath(QString("open%1.wall").arg(w.m.walls.size()));
        if (reopen && !w.m.walls.isEmpty()) {
            path = w.m.walls.last();
        } else {
            const QStringList texts{"text, with a comma", "naïve ü", "gone", w.dir.filePath("gone.jpg"), "relative/a.jpg"};
            QByteArray bytes;
            for (const auto& [r, c, v] : records)
                AppendWallRecord(bytes, r, c, v < 7 || w.m.files.isEmpty() ? texts.value(v % 5) : w.m.files[v % w.m.files.size()]);
            WriteNewFile(path, bytes + "\r\n");
            w.m.walls.append(path);
        }
        const std::vector<WallRecord> file = recordsOf(TestImages::read(path));
        const auto armed = std::make_shared<bool>(stopAt > 0);
        inYield(stopAt, [&w, armed] {
            if (*armed)
                w.state.StopLoading = w.state.IsLoading;
        });
        const qsizetype told = w.platform.messages.size();
        OpenWallFile(w.ctx, path, {});
        *armed = false;
        // A stop keeps the records placed before it, and says how many were not.
        const QStringList said = w.platform.texts().mid(told);
        std::size_t placed = file.size() + 1;
        for (std::size_t p = 0; p <= file.size() && placed > file.size(); ++p) {
            const Expected next = w.opened(file, p);
            const QString partly = "The wall was opened only in part: " + FormatCount(qint64(file.size() - p))
                                   + " records of " + path + " were not placed.";
            if (cellsOf(w.cells, true) == next.images && cellsOf(w.cells, false) == next.texts
                && said == (p < file.size() ? QStringList{partly} : QStringList{}))
                placed = p, w.m = next;
        }
        RC_ASSERT(placed <= file.size());
        RC_ASSERT(stopAt > 0 || placed == file.size());
        w.m.partialPath = placed < file.size() ? CanonicalPath(path) : QString();
        w.m.partialRecords = qint64(file.size());
        w.check();
    }
};

struct Save : Command {
    bool overOpened = *rc::gen::arbitrary<bool>();

    void run(const int&, Wall& w) const override
    {
        const QString path = overOpened && !w.m.walls.isEmpty() ? w.m.walls.last()
                                                                : w.dir.filePath(QString("saved%1.wall").arg(w.m.walls.size()));
        const std::vector<WallRecord> records = w.expectedRecords();
        const qsizetype told = w.platform.messages.size();
        SaveWall(w.ctx, [&](const QString&, bool) { return path; });
        // A wall opened in part asks before it writes fewer records over its file.
        const bool asks = !w.m.partialPath.isEmpty() && CanonicalPath(path) == w.m.partialPath && qint64(records.size()) < w.m.partialRecords;
        RC_ASSERT(w.platform.texts().value(told).startsWith("This wall was opened only in part") == asks);
        if (records.empty())
            return RC_ASSERT(w.platform.texts().last().startsWith("Nothing was saved"));
        const QByteArray bytes = TestImages::read(path);
        RC_ASSERT(recordsOf(bytes) == records);
        if (!w.m.walls.contains(path))
            w.m.walls.append(path);
        if (CanonicalPath(path) == w.m.partialPath)
            w.m.partialPath.clear();
        // Opened again it comes back whole, and saves the same bytes.
        TestWall again(Side, Side);
        OpenWallFile(again.ctx, path, {});
        const Expected back = w.opened(records, records.size());
        RC_ASSERT(cellsOf(again.cells, true) == back.images && cellsOf(again.cells, false) == back.texts);
        SaveWall(again.ctx, [&](const QString&, bool) { return w.dir.filePath("again.wall"); });
        RC_ASSERT(TestImages::read(w.dir.filePath("again.wall")) == bytes);
        w.check();
    }
};

struct Search : Command {
    QString text = *rc::gen::element<QString>("a", "Ü", "jpg", "zz", "PARIS", ".");

    void run(const int&, Wall& w) const override
    {
        SearchGrid(w.ctx, text);
        // Only file names count, in any case; a text that lacks it turns black.
        w.m.hidden.clear();
        for (const auto& [p, path] : w.m.images)
            if (!FileNameFromPath(path).toUpper().contains(text.toUpper()))
                w.m.hidden.insert(p);
        for (const auto& [p, t] : w.m.texts)
            RC_ASSERT(w.m.images.count(p) || (w.cells.CellForeColor(p.first, p.second) == Qt::white) == t.toUpper().contains(text.toUpper()));
        w.check();
    }
};

struct ShowAll : Command {
    void run(const int&, Wall& w) const override
    {
        mnuShowAll_Click(w.ctx);
        w.m.hidden.clear();
        for (const auto& [p, t] : w.m.texts)
            RC_ASSERT(w.m.images.count(p) || w.cells.CellForeColor(p.first, p.second) == Qt::white);
        w.check();
    }
};

// A drag: onto an empty cell a move, onto an image a swap; texts stay.
struct Drag : Command {
    int image = *rc::gen::inRange(0, Side * Side);  // the image dragged, by its place on the wall
    Pos to = *rc::gen::pair(rc::gen::inRange(0, Side), rc::gen::inRange(0, Side));

    void run(const int&, Wall& w) const override
    {
        const Pos from = w.m.images.empty() ? Pos{0, 0} : std::next(w.m.images.begin(), image % w.m.images.size())->first;
        w.mouse(QTest::MouseClick, from);
        w.mouse(QTest::MousePress, from);
        w.mouse(QTest::MouseMove, to);
        w.mouse(QTest::MouseRelease, to);
        Expected& m = w.m;
        if (w.shows(from) && FileExists(m.images[from]) && !m.hidden.count(to) && from != to) {
            const QString lifted = m.images[from];
            if (m.images.count(to))
                m.images[from] = m.images[to];
            else
                m.images.erase(from);
            m.images[to] = lifted;
        }
        w.check();
    }
};

struct SortByDate : Command {
    void run(const int&, Wall& w) const override
    {
        // Dated by the length of the name; names of four, eight... letters undated.
        const auto date = [](const QString& path) -> std::optional<qint64> {
            const qsizetype n = FileNameFromPath(path).size();
            return n % 4 ? std::optional<qint64>(n % 3) : std::nullopt;
        };
        if (!w.m.texts.empty())
            w.platform.messageAnswers = {MsgAnswer::Yes};
        mnuSortCreateDate_Click(w.ctx, w.fgTop, date);
        std::vector<QString> images;
        for (const auto& [p, path] : w.m.images)
            images.push_back(path);
        std::sort(images.begin(), images.end(), [&](const QString& a, const QString& b) {
            return std::tuple(!date(a), date(a).value_or(0), a) < std::tuple(!date(b), date(b).value_or(0), b);
        });
        w.m.images.clear(), w.m.texts.clear(), w.m.hidden.clear();
        for (std::size_t i = 0; i < images.size(); ++i)
            w.m.images[{int(i) % Side, int(i) / Side}] = images[i];
        w.check();
    }
};

struct AddText : Command {
    Pos at = *rc::gen::pair(rc::gen::inRange(0, Side), rc::gen::inRange(0, Side));
    QString text = *rc::gen::element<QString>("hello", " naïve ü\t", "", "x");
    bool comma = *rc::gen::arbitrary<bool>();  // first typed with a comma, refused

    void run(const int&, Wall& w) const override
    {
        if (w.m.hidden.count(at))
            return;  // the text slot of a hidden image lends itself to the path
        w.grid.Select(at.first, at.second);
        w.platform.inputAnswers = {comma ? QString("a, b") : text, text};
        mnuRightAddText_Click(w.ctx);
        if (text.trimmed().isEmpty())
            w.m.texts.erase(at);
        else
            w.m.texts[at] = text.trimmed();
        w.check();
    }
};

struct Delete : Command {
    std::array<int, 4> rect = *rc::gen::container<std::array<int, 4>>(rc::gen::inRange(0, Side));

    void run(const int&, Wall& w) const override
    {
        w.select(rect[0], rect[1], rect[2], rect[3]);
        mnuRightDelete_Click(w.ctx);  // Yes
        // Every image of the selection leaves the wall; a shown one's file goes to the trash.
        for (int r = std::min(rect[0], rect[2]); r <= std::max(rect[0], rect[2]); ++r)
            for (int c = std::min(rect[1], rect[3]); c <= std::max(rect[1], rect[3]); ++c) {
                if (w.shows({r, c}))
                    w.m.files.removeAll(w.m.images[{r, c}]);
                w.m.images.erase({r, c}), w.m.hidden.erase({r, c});
            }
        w.check();
    }
};

struct MoveFiles : Command {
    std::array<int, 4> rect = *rc::gen::container<std::array<int, 4>>(rc::gen::inRange(0, Side));

    void run(const int&, Wall& w) const override
    {
        QSet<QString> taken;
        for (const QString& name : QDir(w.moved).entryList(QDir::Files | QDir::Hidden))
            taken.insert(name);
        const Expected before = w.m;
        w.select(rect[0], rect[1], rect[2], rect[3]);
        w.platform.folderAnswers = {w.moved};
        mnuRightMove_Click(w.ctx);
        // Each shown image's file moves once, under a free name; every cell of it follows.
        QHash<QString, QString> renamed;
        for (const auto& [p, path] : before.images) {
            const auto [r, c] = p;
            if (std::min(rect[0], rect[2]) > r || r > std::max(rect[0], rect[2]) || std::min(rect[1], rect[3]) > c
                || c > std::max(rect[1], rect[3]) || !w.shows(p) || !before.files.contains(path)
                || renamed.contains(path) || path.startsWith(w.moved + '/'))
                continue;
            const QString name = freeName(FileNameFromPath(path), taken);
            taken.insert(name);
            renamed[path] = w.moved + '/' + name;
        }
        for (auto& [p, path] : w.m.images)
            path = renamed.value(path, path);
        for (QString& file : w.m.files)
            file = renamed.value(file, file);
        w.check();
    }
};

} // namespace

RC_GTEST_PROP(WallModel, NoCommandLosesAnImageOrATextAndASavedWallComesBackWhole, ())
{
    Wall wall;
    rc::state::check(0, wall,
                     rc::state::gen::execOneOfWithArgs<Open, Save, Search, ShowAll, Drag, SortByDate, AddText, Delete,
                                                       MoveFiles>());
}
