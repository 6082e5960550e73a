// Mouse events go through the window, as the desktop's would.
#define QTEST_QPA_MOUSE_HANDLING

#include "WallFixture.h"
#include "grid/SortTable.h"
#include "shell/Caption.h"
#include "shell/FileNames.h"
#include "shell/Utilities.h"
#include "support/CellPoint.h"
#include "support/RawFolder.h"
#include "view/GridInput.h"
#include "wall/CellText.h"
#include "wall/CopyMove.h"
#include "wall/FileOperations.h"
#include "wall/OpenWall.h"
#include "wall/SaveWall.h"
#include "wall/Search.h"
#include "wall/Sort.h"
#include "wall/WallDigest.h"

#include <QDir>
#include <QTest>
#include <rapidcheck/gtest.h>
#include <rapidcheck/state.h>

#include <map>
#include <set>

namespace {

using Pos = std::pair<int, int>;
using Cells = std::map<Pos, QString>;
constexpr int Side = 6;

// What the wall must hold: every image (by path, hidden or not) and every
// text the user wrote, cell by cell, and the image files on disk.
struct Expected {
    Cells images, texts;
    std::set<Pos> hidden;
    QStringList files, walls;  // the wall files written so far
    QHash<QString, QList<WallRecord>> contents;  // of each, as written
    QHash<QString, int> widths;  // of each file's picture
    QString partialPath;  // a wall file opened only in part, and its records
    qint64 partialRecords = 0;
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

// A shown wall of Side x Side cells that the mouse can drag in; its image
// files: one in a folder with a comma, a dotfile, one whose name ends in a
// multi-byte character, one whose name is not UTF-8; a hidden folder for
// moves that holds two of their names already.
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
        for (const QString& name : QStringList{"a.jpg", "Paris, 2019/B.JPG", ".dot", "bild-ü", FileNameFromBytes("caf\xE9.jpg")}) {
            QDir().mkpath(dir.filePath(name).section('/', 0, -2));
            m.widths[dir.filePath(name)] = 8 + int(m.files.size());
            WriteRaw(dir.filePath(name), TestImages::jpeg(8 + int(m.files.size()), 6));
            m.files.append(dir.filePath(name));
        }
        TestImages::write(moved + "/a.jpg", "x"), TestImages::write(moved + "/.dot", "x");
    }
    bool shows(const Pos& p) const { return m.images.count(p) && !m.hidden.count(p); }
    // The wall holds what the model holds, no more, and every file is there.
    void check() const
    {
        RC_ASSERT(cellsOf(cells, true) == m.images && cellsOf(cells, false) == m.texts);
        RC_ASSERT(state.ImageCount == int(m.images.size()) && !state.StopLoading && !state.IsLoading);
        for (const auto& [p, path] : m.images) {
            RC_ASSERT((cells.CellData(p.first, p.second) == path) == !m.hidden.count(p));
            RC_ASSERT(m.hidden.count(p) || cells.CellPicture(p.first, p.second).size().width() == m.widths.value(path));
        }
        for (const QString& file : m.files)
            RC_ASSERT(FileExists(file));
    }
    // What a file's first `count` records make: an image where a value names one, else a text.
    bool holdsOpened(const CellStore& wall, const QList<WallRecord>& records, qsizetype count, bool take)
    {
        Cells images, texts;
        for (const WallRecord& r : records.first(count))
            (m.files.contains(r.value) ? images : texts)[{r.row, r.col}] = r.value;
        const bool same = cellsOf(wall, true) == images && cellsOf(wall, false) == texts;
        if (same && take)
            m.images = images, m.texts = texts, m.hidden.clear();
        return same;
    }
    void mouse(QTest::MouseAction action, const Pos& p)
    {
        QTest::mouseEvent(action, grid.viewport(), Qt::LeftButton, {}, CellPoint(grid, p.first, p.second));
    }
};

using Command = rc::state::Command<int, Wall>;

struct Open : Command {
    // Rows and columns up to one past the grid's edge.
    std::vector<std::tuple<int, int, int>> records = *rc::gen::container<std::vector<std::tuple<int, int, int>>>(
        rc::gen::tuple(rc::gen::inRange(0, Side + 1), rc::gen::inRange(0, Side + 1), rc::gen::inRange(0, 12)));
    int stopAt = *rc::gen::oneOf(rc::gen::just(0), rc::gen::inRange(1, 30));  // the yield that stops it; 0: none
    bool reopen = *rc::gen::arbitrary<bool>();  // a saved wall instead of a new file

    void run(const int&, Wall& w) const override
    {
        QString path = reopen && !w.m.walls.isEmpty() ? w.m.walls.last() : w.dir.filePath(QString("open%1.wall").arg(w.m.walls.size()));
        if (!w.m.walls.contains(path)) {
            const QStringList texts{"text, with a comma", "naïve ü", "gone", w.dir.filePath("gone.jpg"), "relative/a.jpg"};
            QByteArray bytes;
            for (const auto& [r, c, v] : records) {
                w.m.contents[path].append({r, c, v < 7 || w.m.files.isEmpty() ? texts.value(v % 5) : w.m.files[v % w.m.files.size()]});
                AppendWallRecord(bytes, r, c, w.m.contents[path].last().value);
            }
            WriteNewFile(w.m.walls.emplace_back(path), bytes + "\r\n");
        }
        const QList<WallRecord> file = w.m.contents.value(path);
        const auto armed = std::make_shared<bool>(stopAt > 0);
        inYield(stopAt, [&w, armed] { *armed ? void(w.state.StopLoading = w.state.IsLoading) : void(); });
        const qsizetype told = w.platform.messages.size();
        OpenWallFile(w.ctx, path, {});
        *armed = false;
        // A stop keeps the records placed before it, and says how many were not.
        qsizetype placed = -1;
        for (qsizetype p = file.size(); p >= 0 && placed < 0; --p)
            if (w.platform.texts().mid(told) == (p < file.size() ? QStringList{"The wall was opened only in part: " + FormatCount(file.size() - p) + " records of " + path + " were not placed."} : QStringList{})
                && w.holdsOpened(w.cells, file, p, true))
                placed = p;
        RC_ASSERT(placed >= 0 && (stopAt > 0 || placed == file.size()));
        w.m.partialPath = placed < file.size() ? CanonicalPath(path) : QString();
        w.m.partialRecords = file.size();
        w.check();
    }
};

struct Save : Command {
    bool overOpened = *rc::gen::arbitrary<bool>();

    void run(const int&, Wall& w) const override
    {
        const QString path = overOpened && !w.m.walls.isEmpty() ? w.m.walls.last() : w.dir.filePath(QString("saved%1.wall").arg(w.m.walls.size()));
        Cells all = w.m.texts;  // an image's path, else the text, row by row
        for (const auto& [p, image] : w.m.images)
            all[p] = image;
        QList<WallRecord> records;
        for (const auto& [p, value] : all)
            records.append({p.first, p.second, value});
        const qsizetype told = w.platform.messages.size();
        SaveWall(w.ctx, WallFixture::dialog(path));
        // A wall opened in part asks before it writes fewer records over its file.
        const bool asks = !w.m.partialPath.isEmpty() && CanonicalPath(path) == w.m.partialPath && records.size() < w.m.partialRecords;
        RC_ASSERT(w.platform.texts().value(told).startsWith("This wall was opened only in part") == asks);
        if (records.empty())
            return RC_ASSERT(w.platform.texts().last().startsWith("Nothing was saved"));
        const QByteArray bytes = TestImages::read(path);
        RC_ASSERT(WallFixture::records(bytes) == records);
        w.m.walls.removeAll(path), w.m.walls.append(path), w.m.contents[path] = records;
        if (CanonicalPath(path) == w.m.partialPath)
            w.m.partialPath.clear();
        // Opened again it comes back whole, and saves the same bytes.
        TestWall again(Side, Side);
        OpenWallFile(again.ctx, path, {});
        RC_ASSERT(w.holdsOpened(again.cells, records, records.size(), false));
        SaveWall(again.ctx, WallFixture::dialog(w.dir.filePath("again.wall")));
        RC_ASSERT(TestImages::read(w.dir.filePath("again.wall")) == bytes);
        w.check();
    }
};

// Only file names count, in any case; a text that lacks the text turns black. Show All brings back all.
struct Search : Command {
    QString text = *rc::gen::element<QString>("a", "Ü", "jpg", "zz", "PARIS", ".", "");

    void run(const int&, Wall& w) const override
    {
        text.isEmpty() ? mnuShowAll_Click(w.ctx) : SearchGrid(w.ctx, text);
        w.m.hidden.clear();
        for (const auto& [p, path] : w.m.images)
            if (!FileNameFromPath(path).toUpper().contains(text.toUpper()))
                w.m.hidden.insert(p);
        for (const auto& [p, t] : w.m.texts)
            RC_ASSERT(w.m.images.count(p) || (w.cells.CellForeColor(p.first, p.second) == Qt::white) == t.toUpper().contains(text.toUpper()));
        w.check();
    }
};

// A drag: onto an empty cell a move, onto an image a swap; texts stay.
struct Drag : Command {
    int image = *rc::gen::inRange(0, Side * Side);  // the image dragged, by its place among the wall's
    Pos to = *rc::gen::pair(rc::gen::inRange(0, Side), rc::gen::inRange(0, Side));

    void run(const int&, Wall& w) const override
    {
        Cells& images = w.m.images;
        const Pos from = images.empty() ? Pos{0, 0} : std::next(images.begin(), image % images.size())->first;
        for (const auto& [action, at] : {std::pair{QTest::MouseClick, from}, {QTest::MousePress, from}, {QTest::MouseMove, to}, {QTest::MouseRelease, to}})
            w.mouse(action, at);
        if (w.shows(from) && FileExists(images[from]) && !w.m.hidden.count(to) && from != to) {
            const QString lifted = images[from];
            images.count(to) ? void(images[from] = images[to]) : void(images.erase(from));
            images[to] = lifted;
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
        w.platform.messageAnswers = {MsgAnswer::Yes};  // texts go
        mnuSortCreateDate_Click(w.ctx, w.fgTop, date);
        w.platform.messageAnswers.clear();
        QStringList images;
        for (const auto& [p, path] : w.m.images)
            images.append(path);
        std::sort(images.begin(), images.end(), [&](const QString& a, const QString& b) {
            return std::tuple(!date(a), date(a).value_or(0), a) < std::tuple(!date(b), date(b).value_or(0), b);
        });
        w.m.images.clear(), w.m.texts.clear(), w.m.hidden.clear();
        for (int i = 0; i < images.size(); ++i)
            w.m.images[{i % Side, i / Side}] = images[i];
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
            return;  // the text slot of a hidden image holds its path
        w.grid.Select(at.first, at.second);
        w.platform.inputAnswers = {comma ? QString("a, b") : text, text};
        mnuRightAddText_Click(w.ctx);
        text.trimmed().isEmpty() ? void(w.m.texts.erase(at)) : void(w.m.texts[at] = text.trimmed());
        w.check();
    }
};

// Delete or Move on the images of a selection.
struct FileCommand : Command {
    std::array<int, 4> rect = *rc::gen::container<std::array<int, 4>>(rc::gen::inRange(0, Side));
    bool del = *rc::gen::arbitrary<bool>();

    bool selected(const Pos& p) const
    {
        const auto [r, c] = p;
        return std::min(rect[0], rect[2]) <= r && r <= std::max(rect[0], rect[2]) && std::min(rect[1], rect[3]) <= c && c <= std::max(rect[1], rect[3]);
    }
    void run(const int&, Wall& w) const override
    {
        QSet<QString> taken;
        for (const QString& name : QDir(w.moved).entryList(QDir::Files | QDir::Hidden))
            taken.insert(name);
        w.grid.Select(std::min(rect[0], rect[2]), std::min(rect[1], rect[3]), std::max(rect[0], rect[2]), std::max(rect[1], rect[3]));
        w.platform.folderAnswers = {w.moved};
        del ? mnuRightDelete_Click(w.ctx) : mnuRightMove_Click(w.ctx);  // Yes
        // Delete: every image of the selection leaves the wall, a shown one's file for the trash.
        // Move: each shown image's file goes once, under a free name; every cell of it follows.
        QHash<QString, QString> renamed;
        for (const auto& [p, path] : Cells(w.m.images)) {
            if (!selected(p) || (!del && (!w.shows(p) || renamed.contains(path) || path.startsWith(w.moved + '/'))))
                continue;
            if (del) {
                w.m.files.removeAll(w.shows(p) ? path : QString());
                w.m.images.erase(p), w.m.hidden.erase(p);
            } else if (w.m.files.contains(path)) {
                const QString name = FileNameFromPath(path);
                const qsizetype dot = name.lastIndexOf('.');  // a dotfile's name is all stem
                QString free = name;
                for (int n = 2; taken.contains(free); ++n)
                    free = (dot > 0 ? name.left(dot) : name) + QString(" (%1)").arg(n) + (dot > 0 ? name.mid(dot) : "");
                taken.insert(free), renamed[path] = w.moved + '/' + free;
            }
        }
        for (auto& [p, path] : w.m.images)
            path = renamed.value(path, path);
        for (QString& file : w.m.files)
            file = renamed.value(file, file);
        for (auto it = renamed.cbegin(); it != renamed.cend(); ++it)
            w.m.widths[it.value()] = w.m.widths[it.key()];
        w.check();
    }
};

} // namespace

RC_GTEST_PROP(WallModel, NoCommandLosesAnImageOrATextAndASavedWallComesBackWhole, ())
{
    Wall wall;
    rc::state::check(0, wall, rc::state::gen::execOneOfWithArgs<Open, Save, Search, Drag, SortByDate, AddText, FileCommand>());
}
