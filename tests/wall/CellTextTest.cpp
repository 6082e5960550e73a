#include "WallFixture.h"
#include "shell/MainModule.h"
#include "wall/CellText.h"

TEST_F(WallFixture, AddTextRefusesCommasTrimsAndKeepsTheTextOnCancel)
{
    wall.grid.resize(40, 40);
    wall.grid.show();
    wall.grid.Select(8, 6);
    wall.cells.setCellText(8, 6, "a,b");
    platform.inputAnswers = {QString("one, two"), QString(",,"), QString("  one two\t")};
    mnuRightAddText_Click(wall.ctx);
    const QList<AskedInput>& asked = platform.inputs;
    EXPECT_EQ((QStringList{asked.value(0).value, asked.value(1).value, asked.value(2).value}),
              (QStringList{"ab", "one two", ""}));
    EXPECT_TRUE(asked.value(0).prompt == "Enter text or remove all text to remove it from the cell."
                && asked.value(0).title == AppTitle);
    EXPECT_EQ(platform.texts(), QStringList(2, "Commas are not allowed due to the way Wall files are saved."));
    EXPECT_TRUE(wall.cells.CellText(8, 6) == "one two" && wall.cells.CellForeColor(8, 6) == QColor(Qt::white));
    EXPECT_TRUE(wall.grid.TopRow() > 0 && wall.grid.LeftCol() > 0);  // scrolled into view

    mnuRightAddText_Click(wall.ctx);  // cancelled
    EXPECT_EQ(wall.cells.CellText(8, 6), "one two");
    platform.inputAnswers = {QString(" ")};  // an empty answer removes it
    mnuRightAddText_Click(wall.ctx);
    EXPECT_EQ(wall.cells.CellText(8, 6), "");
    wall.cells.setRows(0);  // no current cell: reported
    mnuRightAddText_Click(wall.ctx);
    EXPECT_TRUE(reported("mnuRightAddText_Click", 381));
}
