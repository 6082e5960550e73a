#include "WallFixture.h"

#include <rapidcheck/gtest.h>
#include <rapidcheck/state.h>

#include <map>
#include <set>

namespace {

using Pos = std::pair<int, int>;
using Cells = std::map<Pos, QString>;
constexpr int Side = 6;

Cells cellsOf(const CellStore& cells, bool images)
{
    Cells found;
    cells.forEachOccupied(cells.wholeGrid(), [&](int r, int c, const Cell& cell) {
        if (const QString value = images ? cell.imagePath() : OwnText(cell); !value.isEmpty())
            found[{r, c}] = value;
    });
    return found;
}

// A wall of Side x Side cells and what it must hold: every image (by path,
// hidden or not) and every text the user wrote, cell by cell, and the image
// files on disk. Its files: one with two dots, one in a folder with a comma,
// a dotfile, one whose name ends in a multi-byte character, one whose name is
// not UTF-8; a hidden folder for moves that holds three of their names
// already, one as a dangling link. It is the working folder, where a text
// names a file.
struct Wall : TestWall {
    FakePlatform platform;
    RawFolder dir;
    const QString here = QDir::currentPath();
    QString moved = dir.filePath(".moved");
    SortTable fgTop;
    Cells images, texts;
    std::set<Pos> hidden;
    QStringList files, walls;  // the wall files written so far
    QHash<QString, QList<WallRecord>> contents;  // of each, as written
    QHash<QString, int> widths;  // of each file's picture
    QString partialPath;  // a wall file opened only in part, and its records
    qint64 partialRecords = 0;
    QSize settings{Side, 1};  // the grid size of the settings, columns x rows

    Wall() : TestWall(Side, Side)
    {
        state.GridRows = 1;  // fewer than the grid has, as a wall file can leave it: a sort grows the grid
        for (const QString& name :
             QStringList{"a.x.jpg", "Paris, 2019/B.JPG", ".dot", "bild-ü", FileNameFromBytes("caf\xE9.jpg")}) {
            QDir().mkpath(dir.filePath(name).section('/', 0, -2));
            WriteRaw(dir.filePath(name), TestImages::jpeg(widths[dir.filePath(name)] = 8 + int(files.size()), 6));
            files.append(dir.filePath(name));
        }
        TestImages::write(moved + "/a.x.jpg", "x");
        TestImages::write(moved + "/.dot", "x");
        TestImages::write(dir.filePath("notes.jpg"), "plain text");
        RC_ASSERT(QFile::link(dir.filePath("nowhere"), moved + "/B.JPG"));
        RC_ASSERT(::mkfifo(QFile::encodeName(dir.filePath("pipe.jpg")).constData(), 0600) == 0
                  && QDir::setCurrent(dir.path()));
    }
    ~Wall() { QDir::setCurrent(here); }
    bool shows(const Pos& p) const { return images.count(p) && !hidden.count(p); }
    // The wall holds what the model holds, no more, and every file is there.
    void check() const
    {
        RC_ASSERT(cellsOf(cells, true) == images && cellsOf(cells, false) == texts);
        RC_ASSERT(state.ImageCount == int(images.size()) && !state.StopLoading && !state.IsLoading
                  && QSize(state.GridCols, state.GridRows) == settings);
        for (const auto& [p, path] : images) {
            RC_ASSERT((cells.CellData(p.first, p.second) == path) == !hidden.count(p));
            RC_ASSERT(hidden.count(p) || cells.CellPicture(p.first, p.second).size().width() == widths.value(path));
        }
        for (const QString& file : files)
            RC_ASSERT(FileExists(file));
        RC_ASSERT(grid.isRedrawing());
    }
    // Whether the wall holds what a file's first `count` records make (an image where a value
    // names one, else a text); if so, the model takes it.
    bool holdsOpened(const QList<WallRecord>& records, qsizetype count)
    {
        Cells opened[2];
        for (const WallRecord& r : records.first(count))
            opened[files.contains(r.value)][{r.row, r.col}] = r.value;
        const bool same = cellsOf(cells, true) == opened[1] && cellsOf(cells, false) == opened[0];
        if (same) {
            images = opened[1];
            texts = opened[0];
            hidden.clear();
        }
        return same;
    }
    qsizetype told = 0;  // the messages shown before the command in hand
    QStringList toldSince() const { return platform.texts().mid(told); }
};

// Each command runs from what the model holds and leaves the wall holding what the model holds.
struct Command : rc::state::Command<int, Wall> {
    void run(const int&, Wall& w) const override
    {
        w.told = w.platform.messages.size();
        act(w);
        w.check();
    }
    virtual void act(Wall& w) const = 0;
};

struct Open : Command {
    // Rows and columns up to two past the grid's edge.
    std::vector<std::tuple<int, int, int>> records = *rc::gen::container<std::vector<std::tuple<int, int, int>>>(
        rc::gen::tuple(rc::gen::inRange(0, Side + 2), rc::gen::inRange(0, Side + 2), rc::gen::inRange(0, 12)));
    int stopAt = *rc::gen::oneOf(rc::gen::just(0), rc::gen::inRange(1, 30));  // the yield that stops it; 0: none
    bool reopen = *rc::gen::arbitrary<bool>();  // a saved wall instead of a new file

    void act(Wall& w) const override
    {
        QString path = reopen && !w.walls.isEmpty() ? w.walls.last()
                                                    : w.dir.filePath(QString("open%1.wall").arg(w.walls.size()));
        if (!w.walls.contains(path)) {
            // Values that decode no image: no file, a file in the working folder, a pipe, a device, plain text.
            const QStringList texts{"text, with a comma", "naïve ü", w.dir.filePath("gone.jpg"), "a.x.jpg",
                                    w.dir.filePath("pipe.jpg"), "/dev/zero", w.dir.filePath("notes.jpg")};
            QByteArray bytes;
            for (const auto& [r, c, v] : records) {
                w.contents[path].append(
                    {r, c, v < 7 || w.files.isEmpty() ? texts.value(v % 7) : w.files[v % w.files.size()]});
                AppendWallRecord(bytes, r, c, w.contents[path].last().value);
            }
            WriteNewFile(w.walls.emplace_back(path), bytes + "\r\n");
        }
        const QList<WallRecord> file = w.contents.value(path);
        const auto armed = std::make_shared<bool>(stopAt > 0);
        inYield(stopAt, [&w, armed] { *armed ? void(w.state.StopLoading = w.state.IsLoading) : void(); });
        w.state.LowMemory = true;  // left by a caption while memory was low: no reason to stop now
        OpenWallFile(w.ctx, path, {});
        *armed = false;
        // A stop keeps the records placed before it, and says how many were not.
        qsizetype placed = -1;
        for (qsizetype p = file.size(); p >= 0 && placed < 0; --p)
            if (w.toldSince()
                    == (p < file.size()
                            ? QStringList{"The wall was opened only in part: " + FormatCount(file.size() - p)
                                          + " records of " + path + " were not placed."}
                            : QStringList{})
                && w.holdsOpened(file, p))
                placed = p;
        RC_ASSERT(placed >= 0 && (stopAt > 0 || placed == file.size()));
        w.partialPath = placed < file.size() ? CanonicalPath(path) : QString();
        w.partialRecords = file.size();
    }
};

// What the wall holds, record by record; an Open that reopens the file checks that it comes back whole.
struct Save : Command {
    bool overOpened = *rc::gen::arbitrary<bool>();

    void act(Wall& w) const override
    {
        const QString path = overOpened && !w.walls.isEmpty()
            ? w.walls.last()
            : w.dir.filePath(QString("saved%1.wall").arg(w.walls.size()));
        Cells all = w.texts;  // an image's path, else the text, row by row
        for (const auto& [p, image] : w.images)
            all[p] = image;
        QList<WallRecord> records;
        for (const auto& [p, value] : all)
            records.append({p.first, p.second, value});
        SaveWall(w.ctx, WallFixture::dialog(path));
        // A wall opened in part asks before it writes fewer records over its file.
        const bool asks
            = !w.partialPath.isEmpty() && CanonicalPath(path) == w.partialPath && records.size() < w.partialRecords;
        RC_ASSERT(w.toldSince().value(0).startsWith("This wall was opened only in part") == asks);
        if (records.empty())  // and the file stays as it was
            return RC_ASSERT(w.platform.texts().last().startsWith("Nothing was saved")
                             && WallFixture::records(TestImages::read(path)) == w.contents.value(path));
        RC_ASSERT(WallFixture::records(TestImages::read(path)) == records);
        w.walls.removeAll(path);
        w.walls.append(path);
        w.contents[path] = records;
        if (CanonicalPath(path) == w.partialPath)
            w.partialPath.clear();
    }
};

// Only file names count, in any case as the user's locale has it (in Turkish the capital of i is İ);
// a text cell that lacks the text turns black, one on a shown image stays white. Show All brings back
// all; a cancelled search changes nothing.
struct Search : Command {
    std::optional<QString> text
        = *rc::gen::element<std::optional<QString>>("a", "İ", "Ü", "jpg", "zz", "PARIS", ".", "", std::nullopt);

    void act(Wall& w) const override
    {
        const QLocale turkish(QLocale::Turkish, QLocale::Turkey);
        QLocale::setDefault(turkish);
        w.platform.inputAnswers = {text};
        const int hides = w.previewHides;
        text && text->isEmpty() ? mnuShowAll_Click(w.ctx) : mnuFindFile_Click(w.ctx);
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        RC_ASSERT(w.previewHides == hides + (text && !text->isEmpty()));  // a search hides the preview
        if (!text)
            return;
        w.hidden.clear();
        for (const auto& [p, path] : w.images)
            if (!turkish.toUpper(FileNameFromPath(path)).contains(turkish.toUpper(*text)))
                w.hidden.insert(p);
        for (const auto& [p, t] : w.texts)
            RC_ASSERT(w.hidden.count(p)
                      || (w.cells.CellForeColor(p.first, p.second) == Qt::white)
                          == (w.images.count(p) || turkish.toUpper(t).contains(turkish.toUpper(*text))));
    }
};

// Images only, column by column by date, the undated last; a wall with texts asks first, No by default.
struct SortByDate : Command {
    bool yes = *rc::gen::arbitrary<bool>();

    void act(Wall& w) const override
    {
        // Dated by the length of the name; names of four, eight... letters undated.
        const auto date = [](const QString& path) {
            const qsizetype n = FileNameFromPath(path).size();
            return n % 4 ? std::optional<qint64>(n % 3) : std::nullopt;
        };
        w.platform.messageAnswers = yes ? QList{MsgAnswer::Yes} : QList<MsgAnswer>{};  // else the default
        mnuSortCreateDate_Click(w.ctx, w.fgTop, date);
        w.platform.messageAnswers.clear();
        RC_ASSERT(w.toldSince()
                  == (w.texts.empty()
                          ? QStringList{}
                          : QStringList{"Sort by Create Date clears the " + FormatCount(qint64(w.texts.size()))
                                        + " texts of the wall.\n\nSort anyway?"}));
        if (!yes && !w.texts.empty())
            return;
        QStringList images;
        for (const auto& [p, path] : w.images)
            images.append(path);
        const auto key = [&](const QString& a) { return std::tuple(!date(a), date(a).value_or(0), a); };
        std::sort(images.begin(), images.end(), [&](const QString& a, const QString& b) { return key(a) < key(b); });
        w.images.clear();
        w.texts.clear();
        w.hidden.clear();
        for (int i = 0; i < images.size(); ++i)
            w.images[{i % w.settings.height(), i / w.settings.height()}] = images[i];
        RC_ASSERT(w.fgTop.cells().occupiedCount() == 0u);  // the work table keeps no picture
    }
};

// A size typed in Options (or none, or no number) is compared with the grid; what a smaller one
// leaves out, hidden images too, is asked about first, No by default. The grid stays at least Side;
// hiding the preview hides one already shown.
struct Options : Command {
    int cols = *rc::gen::inRange(0, 6), rows = *rc::gen::inRange(0, 6);  // untouched, no number, 6, 6.5, 7 or 8
    bool yes = *rc::gen::inRange(0, 4) > 0;  // mostly
    bool hidePreview = *rc::gen::arbitrary<bool>();

    void act(Wall& w) const override
    {
        const std::optional<QString> typed[] = {std::nullopt, "abc", "6", "6.5", "7", "8"};
        const int sizes[] = {0, 0, 6, 6, 7, 8};
        const QSize grid(w.cells.Cols(), w.cells.Rows()),
            wanted(sizes[cols] ? sizes[cols] : grid.width(), sizes[rows] ? sizes[rows] : grid.height());
        const auto outside = [&](const Pos& p) { return p.first >= wanted.height() || p.second >= wanted.width(); };
        const auto out = [&](const auto& cell) { return outside(cell.first); };
        const qsizetype images = std::count_if(w.images.begin(), w.images.end(), out);
        const qsizetype texts = std::count_if(
            w.texts.begin(), w.texts.end(), [&](const auto& cell) { return out(cell) && !w.images.count(cell.first); });
        w.platform.messageAnswers = yes ? QList{MsgAnswer::Yes} : QList<MsgAnswer>{};  // else the default
        const int hides = w.previewHides;
        RC_ASSERT(ApplyOptions(w.ctx, {typed[cols], typed[rows], 1, true, false, hidePreview}));
        RC_ASSERT(w.previewHides == hides + hidePreview);  // a preview already shown goes too
        w.platform.messageAnswers.clear();
        const bool asks = images || texts, resized = !asks || yes;
        RC_ASSERT(w.toldSince()
                  == (asks ? QStringList{QString("A grid of %1 columns and %2 rows leaves out %3 images and %4 texts "
                                                 "of the wall.\n\nMake the grid smaller?")
                                             .arg(wanted.width())
                                             .arg(wanted.height())
                                             .arg(images)
                                             .arg(texts)}
                           : QStringList{}));
        RC_ASSERT(QSize(w.cells.Cols(), w.cells.Rows()) == (resized ? wanted : grid));
        if (resized) {
            w.settings = QSize(sizes[cols] ? sizes[cols] : w.settings.width(),
                               sizes[rows] ? sizes[rows] : w.settings.height());
            std::erase_if(w.images, out);
            std::erase_if(w.texts, out);
            std::erase_if(w.hidden, outside);
        }
        RC_ASSERT(w.state.CellCount == w.settings.width() * w.settings.height());
    }
};

// Commas are refused and asked again; Cancel keeps the text; the box starts with the text, commas taken out.
struct AddText : Command {
    Pos at = *rc::gen::pair(rc::gen::inRange(0, Side), rc::gen::inRange(0, Side));
    std::optional<QString> text
        = *rc::gen::element<std::optional<QString>>("hello", " naïve ü\t", "", "x", std::nullopt);
    bool comma = *rc::gen::arbitrary<bool>();  // first typed with a comma, refused

    void act(Wall& w) const override
    {
        if (w.hidden.count(at))
            return;  // the text slot of a hidden image holds its path
        w.grid.Select(at.first, at.second);
        w.platform.inputAnswers = {comma ? QString("a, b") : text, text};
        const qsizetype asked = w.platform.inputs.size();
        mnuRightAddText_Click(w.cells, w.grid);
        RC_ASSERT(w.platform.inputs.value(asked).value == QString(w.texts.count(at) ? w.texts.at(at) : "").remove(','));
        RC_ASSERT(!comma
                  || (w.platform.inputs.value(asked + 1).value == "a b"
                      && w.platform.texts().last() == "Commas are not allowed due to the way Wall files are saved."));
        if (text)
            text->trimmed().isEmpty() ? void(w.texts.erase(at)) : void(w.texts[at] = text->trimmed());
    }
};

// Delete, Move or Copy the images of a selection; Cancel stops after the file in hand.
struct FileCommand : Command {
    std::array<int, 4> rect = *rc::gen::container<std::array<int, 4>>(rc::gen::inRange(0, Side));
    int kind = *rc::gen::inRange(0, 3);  // delete, move, copy
    int cancelAt = *rc::gen::inRange(0, 4);  // the step after which the user cancels; 0: none

    void act(Wall& w) const override
    {
        const int top = std::min(rect[0], rect[2]), left = std::min(rect[1], rect[3]),
                  bottom = std::max(rect[0], rect[2]), right = std::max(rect[1], rect[3]);
        QSet<QString> taken;  // by the names' bytes, which need not be UTF-8
        for (const auto& entry : std::filesystem::directory_iterator(FileNameBytes(w.moved).toStdString()))
            taken.insert(FileNameFromBytes(QByteArray::fromStdString(entry.path().filename().native())));
        w.grid.Select(top, left, bottom, right);
        w.platform.folderAnswers = {w.moved};
        w.platform.cancelAtStep = kind && cancelAt ? cancelAt : -1;
        (kind == 0 ? mnuRightDelete_Click : kind == 1 ? mnuRightMove_Click : mnuRightSaveAs_Click)(w.ctx);  // Yes
        w.platform.cancelAtStep = -1;
        // Delete: every image of the selection leaves the wall, a shown one's file for the trash.
        // Move and Copy: each shown image's file, row by row, goes once under a free name (a move
        // leaves one of that folder where it is); every cell of a moved file follows it.
        QHash<QString, QString> renamed;
        QSet<QString> steps;
        int there = 0;
        for (const auto& [p, path] : Cells(w.images)) {
            if (p.first < top || p.first > bottom || p.second < left || p.second > right
                || (kind && (!w.shows(p) || steps.contains(path) || (cancelAt && steps.size() >= cancelAt))))
                continue;
            steps.insert(path);
            if (kind == 0) {
                w.files.removeAll(w.shows(p) ? path : QString());
                w.images.erase(p);
                w.hidden.erase(p);
            } else if (kind == 1 && path.startsWith(w.moved + '/')) {
                there += w.files.contains(path);
            } else if (w.files.contains(path)) {
                const QString name = FileNameFromPath(path);
                const qsizetype dot = name.lastIndexOf('.');  // a dotfile's name is all stem
                QString free = name;
                for (int n = 2; taken.contains(free); ++n)
                    free = (dot > 0 ? name.left(dot) : name) + QString(" (%1)").arg(n) + (dot > 0 ? name.mid(dot) : "");
                taken.insert(free);
                renamed[path] = w.moved + '/' + free;
            }
        }
        if (kind)
            RC_ASSERT(w.toldSince()
                      == QStringList{
                          QString::number(renamed.size()) + (kind == 1 ? " files moved." : " files copied.")
                          + (there ? QString("\n\n%1 already in that folder: left where they were.").arg(there) : "")});
        for (auto it = renamed.cbegin(); it != renamed.cend(); ++it)
            w.widths[it.value()] = w.widths[it.key()];
        w.files += kind == 2 ? renamed.values() : QStringList();
        for (auto& [p, path] : w.images)
            path = kind == 1 ? renamed.value(path, path) : path;
        for (QString& file : w.files)
            file = kind == 1 ? renamed.value(file, file) : file;
    }
};

} // namespace

RC_GTEST_PROP(WallModel, NoCommandLosesAnImageOrATextAndASavedWallComesBackWhole, ())
{
    Wall wall;
    rc::state::check(
        0, wall, rc::state::gen::execOneOfWithArgs<Open, Save, Search, SortByDate, Options, AddText, FileCommand>());
}
