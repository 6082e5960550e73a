#include "shell/MainModule.h"
#include "support/FakePlatform.h"
#include "support/TestWall.h"
#include "wall/CellText.h"

#include <gtest/gtest.h>

namespace {

const QString Prompt = "Enter text or remove all text to remove it from the cell.";
const QString CommaMessage = "Commas are not allowed due to the way Wall files are saved.";

struct TextFixture : ::testing::Test {
    FakePlatform platform;
    TestWall wall{50, 50};

    TextFixture()
    {
        wall.grid.resize(200, 200);
        wall.grid.show();
        wall.grid.Select(40, 30);
    }
    QStringList offered() const
    {
        QStringList values;
        for (const AskedInput& input : platform.inputs)
            values.append(input.value);
        return values;
    }
};

} // namespace

TEST_F(TextFixture, ACommaIsRefusedUntilTheAnswerHasNone)
{
    wall.cells.setCellText(40, 30, "a,b");
    platform.inputAnswers = {QString("one, two"), QString(",,"), QString("  one two\t")};
    mnuRightAddText_Click(wall.ctx);
    EXPECT_EQ(offered(), (QStringList{"ab", "one two", ""}));
    ASSERT_EQ(platform.inputs.size(), 3);
    EXPECT_TRUE(platform.inputs[0].prompt == Prompt && platform.inputs[0].title == AppTitle);
    ASSERT_EQ(platform.messages.size(), 2);
    EXPECT_TRUE(platform.messages[0].text == CommaMessage && platform.messages[1].text == CommaMessage);
    EXPECT_EQ(platform.messages[0].icon, MsgIcon::Information);
    EXPECT_EQ(wall.cells.CellText(40, 30), "one two");
    EXPECT_EQ(wall.cells.CellForeColor(40, 30), QColor(Qt::white));
    // The cell was scrolled into view.
    EXPECT_TRUE(wall.grid.TopRow() > 0 && wall.grid.LeftCol() > 0);
    EXPECT_TRUE(wall.grid.TopRow() <= 40 && wall.grid.LeftCol() <= 30);
}

TEST_F(TextFixture, BlanksOnlyOrACancelRemoveTheTextAndAnImageStays)
{
    const QImage picture(4, 4, QImage::Format_RGB32);
    wall.cells.setImage(40, 30, picture, "/photos/a.jpg");
    wall.cells.setCellText(40, 30, "old");
    platform.inputAnswers = {QString(" \t ")};
    mnuRightAddText_Click(wall.ctx);
    EXPECT_EQ(wall.cells.CellText(40, 30), "");
    EXPECT_EQ(wall.cells.CellData(40, 30), "/photos/a.jpg");

    wall.cells.setCellText(40, 30, "again");
    mnuRightAddText_Click(wall.ctx);  // cancelled
    EXPECT_EQ(wall.cells.CellText(40, 30), "");
    EXPECT_FALSE(wall.cells.CellPicture(40, 30).isNull());
    EXPECT_TRUE(platform.messages.isEmpty());
}

TEST_F(TextFixture, AGridWithoutACurrentCellIsReported)
{
    wall.cells.setRows(0);
    mnuRightAddText_Click(wall.ctx);
    ASSERT_EQ(platform.messages.size(), 1);
    EXPECT_TRUE(platform.messages[0].text.startsWith(
        "An error has occurred in form: frmMain and procedure: mnuRightAddText_Click (Pavisto)"));
    EXPECT_TRUE(platform.inputs.isEmpty());
}
