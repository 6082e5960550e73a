#include "grid/CellStore.h"
#include "grid/WallImages.h"
#include "shell/AppError.h"
#include "shell/MainState.h"

#include <gtest/gtest.h>
#include <rapidcheck/gtest.h>

#include <map>

namespace {

// What one cell holds, as a reader of the wall sees it: the image's path, shown or hidden; the text slot (the
// path while hidden, until written); the user's text, set aside while hidden.
struct ModelCell {
    QString path, text, userText;
    bool hidden = false;
    int align = Cell::StretchAlignment;
};

// The image of a cell is gone or shows again: its text comes back unless it was written meanwhile.
void settle(ModelCell& cell, const QString& hiddenPath)
{
    if (cell.text == hiddenPath)
        cell.text = cell.userText;
    cell.userText.clear();
    cell.hidden = false;
}

// The first two and the last two cells of an axis.
int near(int value, int count) { return value % 2 ? count - 1 - (value / 2) % count : (value / 2) % count; }

} // namespace

// Walls of one row or column, non-square and of 100,000 cells a side take
// random one-sided resizes (cells on the new edge stay, those past it go),
// places, moves, take-outs, renamed files, hides, shows, texts, alignments
// and sorted rows (a hidden image goes along and shows again where it went), checked against
// a model after every step: every cell, the visit of a rectangle, the image
// count and one change notice per command.
RC_GTEST_PROP(CellStore, KeepsWhatAModelOfTheWallKeepsAndCountsItsImages, ())
{
    const auto size = [](int a) { return a >= 7 ? 100'000 : a % 7; };
    const auto any
        = [](int from, int to) { return *rc::gen::resize(100, rc::gen::inRange(from, to)); }; // at every size
    int rows = size(any(1, 8)), cols = size(any(1, 8)), dropped = 0, changes = 0, notices = 0;
    CellStore store(rows, cols);
    store.setChangeListener([&](const CellRect&) { ++notices; });
    MainState state;
    std::map<std::pair<int, int>, ModelCell> model;
    const Picture picture(QImage(2, 2, QImage::Format_RGB32), false);
    const auto steps = *rc::gen::container<std::vector<std::array<int, 5>>>(
        *rc::gen::inRange(1, 200),
        rc::gen::container<std::array<int, 5>>(rc::gen::resize(100, rc::gen::inRange(0, 12))));
    for (const auto& [step, a, b, c, d] : steps) {
        const int kind = step > 8 ? step - 5 : step;  // hides, shows and texts twice as often
        const bool some = rows > 0 && cols > 0;
        const int row = some ? near(a % 4, rows) : 0, col = some ? near(b % 4, cols) : 0;
        const int toRow = some ? near(c % 4, rows) : 0, toCol = some ? near(d % 4, cols) : 0;
        const CellRect rect{std::min(row, toRow), std::min(col, toCol), std::max(row, toRow), std::max(col, toCol)};
        const auto inside = [](const CellRect& r, std::pair<int, int> at) {
            return at.first >= r.row1 && at.first <= r.row2 && at.second >= r.col1 && at.second <= r.col2;
        };
        changes += kind <= 1 || some;
        if (kind <= 1) {
            (kind == 0 ? rows : cols) = size(a);
            kind == 0 ? store.setRows(size(a)) : store.setCols(size(a));
            for (auto it = model.begin(); it != model.end();) {  // the image count is the caller's reset's
                const bool out = it->first.first >= rows || it->first.second >= cols;
                dropped += out && !it->second.path.isEmpty();
                it = out ? model.erase(it) : std::next(it);
            }
        } else if (some) {
            ModelCell& cell = model[{row, col}];
            const QString path = QString("/p/%1.jpg").arg(c), was = cell.path;
            const auto to = model.find({toRow, toCol});
            if (kind == 3 && d % 2 == 0 && !was.isEmpty()) {
                // Its file renamed, as a move or a save does: every cell of it follows, a hidden one's text slot too.
                store.replacePaths({{was, was + "2"}});
                for (auto& [at, kept] : model) {
                    if (kept.path == was && kept.hidden && kept.text == was)
                        kept.text = was + "2";
                    if (kept.path == was)
                        kept.path = was + "2";
                }
            } else if (kind == 2 || kind == 3) {
                kind == 2 ? PlaceImage(store, state, row, col, picture, path) : TakeImageOut(store, state, row, col);
                if (cell.hidden)
                    settle(cell, was);
                cell.path = kind == 2 ? path : QString();
            } else if (kind == 4 && !cell.hidden && !cell.path.isEmpty()) {
                store.hideImage(row, col);
                cell.userText = std::exchange(cell.text, cell.path);
                cell.hidden = true;
            } else if (kind == 5 && cell.hidden) {
                store.showImage(row, col);
                settle(cell, cell.path);
            } else if (kind == 6) {
                cell.text = d % 4 ? QString("t%1").arg(d) : QString();
                store.setCellText(row, col, cell.text);
            } else if (kind == 7 && d >= 4 && !cell.hidden && !cell.path.isEmpty()
                       && (to == model.end() || to->second.path.isEmpty())) {
                // A drag: the image goes to a cell that holds none.
                const Picture moved = store.CellPicture(row, col);
                TakeImageOut(store, state, row, col);
                PlaceImage(store, state, toRow, toCol, moved, was);
                cell.path.clear();
                model[{toRow, toCol}].path = was;
                ++changes;
            } else if (kind == 7) {
                // A sort: the rows between the two turn round, every value with them.
                std::vector<int> newRowOf;
                for (int r = rect.row2; r >= rect.row1; --r)
                    newRowOf.push_back(r);
                store.reorderRows({rect.row1, 0, rect.row2, cols - 1}, newRowOf);
                std::map<std::pair<int, int>, ModelCell> sorted;
                for (auto& [at, kept] : model)
                    sorted[{inside({rect.row1, 0, rect.row2, cols}, at) ? rect.row1 + rect.row2 - at.first : at.first,
                            at.second}] = kept;
                model = std::move(sorted);
            } else if (kind == 8 && d % 4 == 0) {
                // The default alignment over the whole wall visits only the occupied cells.
                store.setCellPictureAlignment(store.wholeGrid(), Cell::StretchAlignment);
                for (auto& [at, kept] : model)
                    kept.align = Cell::StretchAlignment;
            } else if (kind == 8) {
                const CellRect few{row, col, std::min(row + 1, rows - 1), std::min(col + 1, cols - 1)};
                store.setCellPictureAlignment(few, d % 2 ? 4 : Cell::StretchAlignment);
                for (int r = few.row1; r <= few.row2; ++r)
                    for (int k = few.col1; k <= few.col2; ++k)
                        model[{r, k}].align = d % 2 ? 4 : Cell::StretchAlignment;
            } else {
                --changes;
            }
        }
        RC_ASSERT(notices == changes);
        std::erase_if(model, [](const auto& kept) { // a hidden cell has a path
            return kept.second.path.isEmpty() && kept.second.text.isEmpty()
                && kept.second.align == Cell::StretchAlignment;
        });
        RC_ASSERT(store.Rows() == rows && store.Cols() == cols && store.occupiedCount() == model.size());
        int held = 0;
        std::vector<std::pair<int, int>> seen, inRect;
        store.forEachOccupied(store.wholeGrid(), [&](int r, int k, const Cell& cell) {
            const ModelCell& want = model[{r, k}];
            const bool hidden = store.CellDataIsPicture(r, k);
            RC_ASSERT(cell.imagePath() == want.path && hidden == want.hidden && store.CellText(r, k) == want.text);
            RC_ASSERT(store.CellPictureAlignment(r, k) == want.align && store.holdsImage(r, k) == !want.path.isEmpty());
            RC_ASSERT(store.CellPicture(r, k).isNull() == (want.path.isEmpty() || hidden));
            RC_ASSERT(hidden || (cell.hiddenPath.isEmpty() && cell.userText.isEmpty()));  // nothing left set aside
            held += !want.path.isEmpty();
        });
        RC_ASSERT(state.ImageCount == held + dropped);
        // A rectangle's visit finds the cells in it, row by row.
        for (const auto& [at, cell] : model)
            if (inside(rect, at))
                inRect.push_back(at);
        if (some)
            store.forEachOccupied(rect, [&](int r, int k, const Cell&) { seen.emplace_back(r, k); });
        RC_ASSERT(seen == inRect);
    }
    RC_ASSERT_THROWS_AS(store.CellText(rows, 0), AppError);
    RC_ASSERT_THROWS_AS(store.CellText(0, cols), AppError);
}
