#include "grid/CellStore.h"
#include "grid/WallImages.h"
#include "shell/AppError.h"
#include "shell/MainState.h"

#include <gtest/gtest.h>
#include <rapidcheck/gtest.h>

#include <map>

namespace {

// What one cell holds, as a reader of the wall sees it.
struct ModelCell {
    QString path;      // the image's, shown or hidden
    bool hidden = false;
    QString text;      // the text slot: the path while hidden, until written
    QString userText;  // set aside while hidden
    bool isDefault() const { return path.isEmpty() && !hidden && text.isEmpty() && userText.isEmpty(); }
};

// The image of a cell is gone or shows again: its text comes back unless
// it was written meanwhile.
void settle(ModelCell& cell, const QString& hiddenPath)
{
    if (cell.text == hiddenPath)
        cell.text = cell.userText;
    cell.userText.clear();
    cell.hidden = false;
}

} // namespace

// Random resizes (one side or both), places, moves, take-outs, hides, shows
// and texts on a small wall, checked against a model after every step.
RC_GTEST_PROP(CellStore, KeepsWhatAModelOfTheWallKeepsAndCountsItsImages, ())
{
    CellStore store(4, 4);
    MainState state;
    int rows = 4, cols = 4, dropped = 0;
    std::map<std::pair<int, int>, ModelCell> model;
    const Picture picture(QImage(2, 2, QImage::Format_RGB32), false);
    const auto steps = *rc::gen::container<std::vector<std::array<int, 5>>>(
        rc::gen::container<std::array<int, 5>>(rc::gen::inRange(0, 8)));
    for (const auto& [kind, a, b, c, d] : steps) {
        if (kind <= 1) {
            // Shrinking drops cells and leaves their images' count to the
            // caller's reset.
            (kind == 0 ? rows : cols) = a;
            kind == 0 ? store.setRows(a) : store.setCols(a);
            for (auto it = model.begin(); it != model.end();) {
                const bool out = it->first.first >= rows || it->first.second >= cols;
                dropped += out && !it->second.path.isEmpty();
                it = out ? model.erase(it) : std::next(it);
            }
        } else if (rows > 0 && cols > 0) {
            const int row = a % rows, col = b % cols;
            ModelCell& cell = model[{row, col}];
            const QString path = QString("/p/%1.jpg").arg(c);
            const QString was = cell.path;
            if (kind == 2) {
                PlaceImage(store, state, row, col, picture, path);
                if (cell.hidden)
                    settle(cell, was);
                cell.path = path;
            } else if (kind == 3) {
                TakeImageOut(store, state, row, col);
                if (cell.hidden)
                    settle(cell, was);
                cell.path.clear();
            } else if (kind == 4 && !cell.hidden && !cell.path.isEmpty()) {
                store.hideImage(row, col);
                cell.userText = cell.text;
                cell.text = cell.path;
                cell.hidden = true;
            } else if (kind == 5 && cell.hidden) {
                store.showImage(row, col);
                settle(cell, cell.path);
            } else if (kind == 6) {
                store.setCellText(row, col, d % 2 ? QString("t%1").arg(d) : QString());
                cell.text = d % 2 ? QString("t%1").arg(d) : QString();
            } else if (const auto to = model.find({c % rows, d % cols});
                       kind == 7 && !cell.hidden && !cell.path.isEmpty() && (to == model.end() || to->second.path.isEmpty())) {
                // A move: the image goes to a cell that holds none.
                const Picture moved = store.CellPicture(row, col);
                TakeImageOut(store, state, row, col);
                PlaceImage(store, state, c % rows, d % cols, moved, was);
                cell.path.clear();
                model[{c % rows, d % cols}].path = was;
            }
        }
        std::erase_if(model, [](const auto& kept) { return kept.second.isDefault(); });
        RC_ASSERT(store.Rows() == rows && store.Cols() == cols);
        std::map<std::pair<int, int>, ModelCell> seen;
        int held = 0;
        store.forEachOccupied(store.wholeGrid(), [&](int row, int col, const Cell& cell) {
            const bool hidden = store.CellDataIsPicture(row, col);
            RC_ASSERT(store.holdsImage(row, col) == !cell.imagePath().isEmpty());
            RC_ASSERT(store.CellPicture(row, col).isNull() == (cell.imagePath().isEmpty() || hidden));
            held += !cell.imagePath().isEmpty();
            seen[{row, col}] = {cell.imagePath(), hidden, store.CellText(row, col), {}};
        });
        for (const auto& [at, cell] : model) {
            RC_ASSERT(seen.count(at) == 1u);
            const ModelCell& got = seen[at];
            RC_ASSERT(got.path == cell.path && got.hidden == cell.hidden && got.text == cell.text);
        }
        RC_ASSERT(seen.size() == model.size());
        RC_ASSERT(state.ImageCount == held + dropped);
    }
    if (rows > 0)
        RC_ASSERT_THROWS_AS(store.CellText(rows, 0), AppError);
}

TEST(CellStore, RectangleWritesReachEveryCellDefaultsEmptyThemAndOnlyOccupiedCellsCost)
{
    CellStore s(100'000, 100'000);
    s.setCellPictureAlignment({1, 1, 2, 2}, 4);
    s.setCellText(99'999, 99'999, "corner");
    QStringList seen;
    const auto note = [&](int r, int c, const Cell& cell) { seen << QString("%1,%2:%3").arg(r).arg(c).arg(cell.text); };
    s.forEachOccupied(s.wholeGrid(), note);
    s.forEachOccupied({5, 5, 99'999, 99'998}, note);  // holds none of them
    EXPECT_EQ(seen.join(' '), "1,1: 1,2: 2,1: 2,2: 99999,99999:corner");
    s.setCellPictureAlignment(s.wholeGrid(), Cell::StretchAlignment);
    EXPECT_EQ(s.occupiedCount(), 1u);
}

TEST(CellStore, AnImageComesGoesAndHidesInOneChangeEachAndAPathInTheTextSlotIsShownAgain)
{
    CellStore s(3, 3);
    const QImage picture(4, 4, QImage::Format_RGB32);
    int changes = 0;
    s.setChangeListener([&](const CellRect&) { ++changes; });
    s.setImage(0, 0, picture, "/p/a.jpg");
    EXPECT_TRUE(s.CellPicture(0, 0).isGrey());  // monochrome unless told otherwise
    s.hideImage(0, 0);
    s.hideImage(0, 0);  // already hidden
    s.showImage(0, 0);
    EXPECT_EQ(changes, 4);
    // A picture put into the data slot directly has its path in the text.
    s.setCellData(2, 0, picture);
    s.setCellText(2, 0, "/p/c.jpg");
    s.showImage(2, 0);
    EXPECT_TRUE(s.CellData(2, 0) == "/p/c.jpg" && s.CellText(2, 0).isEmpty() && !s.CellPicture(2, 0).isNull());
}
