#include "WallFixture.h"
#include "wall/Options.h"

TEST(Options, GridSizesRoundHalvesToEvenAndRejectWhatIsNoCount)
{
    for (auto [text, value] : {std::pair{"2.5", 2}, {"3.5", 4}, {"1e2", 100}, {" 0.6 ", 1}, {"2147483647", 2147483647}})
        EXPECT_EQ(GridSizeFromText(text), value) << text;
    for (const char* refused : {"0", "-5", "abc", "", "2147483648", "inf", "5x"})
        EXPECT_FALSE(GridSizeFromText(refused).has_value()) << refused;
}

// A wall of 10 x 10 settings whose grid a wall file grew to 151 rows: only a
// typed size resizes it, compared with the wall, and only with the user's
// Yes for what it leaves out; a cell on the new edge stays.
TEST(Options, ResizeTheGridOnlyToATypedSizeAndAskBeforeLeavingCellsOut)
{
    FakePlatform platform;
    struct Case {
        std::optional<QString> cols, rows;
        QList<MsgAnswer> answers;
        QSize grid, settings;  // columns x rows
        int32_t images;
        QString asked;
    };
    const QString question = "A grid of %1 columns and %2 rows leaves out %3 images and %4 texts of the wall.\n\n"
                             "Make the grid smaller?";
    const Case cases[] = {
        {{}, {}, {}, {10, 151}, {10, 10}, 3, {}},
        {{}, QString("abc"), {}, {10, 151}, {10, 10}, 3, {}},
        {{}, QString("12"), {}, {10, 151}, {10, 10}, 3, question.arg(10).arg(12).arg(1).arg(1)},  // No by default
        {{}, QString("12"), {MsgAnswer::Yes}, {10, 12}, {10, 12}, 2, question.arg(10).arg(12).arg(1).arg(1)},
        {QString("9"), {}, {MsgAnswer::Yes}, {9, 151}, {9, 10}, 2, question.arg(9).arg(151).arg(1).arg(0)},
        {QString("20"), QString("200"), {}, {20, 200}, {20, 200}, 3, {}},
    };
    for (const Case& c : cases) {
        TestWall wall{10, 10};
        wall.cells.setRows(151);
        for (auto [r, col] : {std::pair{150, 0}, {11, 9}, {5, 5}})
            wall.cells.setImage(r, col, QImage(4, 4, QImage::Format_RGB32), "/p/a.jpg");
        wall.cells.hideImage(5, 5);  // hidden by a search, an image all the same
        wall.cells.setCellText(12, 2, "a text");
        wall.state.ImageCount = 3;
        EXPECT_TRUE(ShownGridCols(wall.ctx) == 10 && ShownGridRows(wall.ctx) == 151);
        platform.messages.clear();
        platform.messageAnswers = c.answers;
        EXPECT_TRUE(ApplyOptions(wall.ctx, {c.cols, c.rows, 1, true, false, false}));
        const QString label = c.cols.value_or("-") + 'x' + c.rows.value_or("-");
        EXPECT_EQ(platform.texts().value(0), c.asked) << qPrintable(label);
        EXPECT_TRUE(c.asked.isEmpty() || platform.messages.value(0).buttons == MsgButtons::YesNoDefaultNo);
        EXPECT_EQ(QSize(wall.cells.Cols(), wall.cells.Rows()), c.grid) << qPrintable(label);
        EXPECT_EQ(QSize(wall.state.GridCols, wall.state.GridRows), c.settings) << qPrintable(label);
        EXPECT_TRUE(wall.state.ImageCount == c.images && wall.state.CellCount == c.settings.width() * c.settings.height());
    }
}
