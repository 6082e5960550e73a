#include "WallFixture.h"
#include "shell/MainModule.h"
#include "wall/CellText.h"

TEST_F(WallFixture, AddTextRefusesCommasTrimsAndRemovesTheTextOnBlanksOrCancel)
{
    wall.grid.resize(40, 40);
    wall.grid.show();
    wall.grid.Select(8, 6);
    wall.cells.setImage(8, 6, QImage(4, 4, QImage::Format_RGB32), "/photos/a.jpg");
    wall.cells.setCellText(8, 6, "a,b");
    platform.inputAnswers = {QString("one, two"), QString(",,"), QString("  one two\t")};
    mnuRightAddText_Click(wall.ctx);
    ASSERT_EQ(platform.inputs.size(), 3);
    EXPECT_EQ((QStringList{platform.inputs[0].value, platform.inputs[1].value, platform.inputs[2].value}),
              (QStringList{"ab", "one two", ""}));
    EXPECT_TRUE(platform.inputs[0].prompt == "Enter text or remove all text to remove it from the cell."
                && platform.inputs[0].title == AppTitle);
    EXPECT_EQ(platform.texts(), QStringList(2, "Commas are not allowed due to the way Wall files are saved."));
    EXPECT_TRUE(wall.cells.CellText(8, 6) == "one two" && wall.cells.CellForeColor(8, 6) == QColor(Qt::white));
    EXPECT_EQ(wall.cells.CellData(8, 6), "/photos/a.jpg");
    EXPECT_TRUE(wall.grid.TopRow() > 0 && wall.grid.LeftCol() > 0);  // scrolled into view

    platform.inputAnswers = {QString(" \t ")};
    mnuRightAddText_Click(wall.ctx);
    EXPECT_EQ(wall.cells.CellText(8, 6), "");
    wall.cells.setCellText(8, 6, "again");
    mnuRightAddText_Click(wall.ctx);  // cancelled
    EXPECT_EQ(wall.cells.CellText(8, 6), "");
    wall.cells.setRows(0);  // no current cell: reported
    mnuRightAddText_Click(wall.ctx);
    EXPECT_EQ(platform.messages.size(), 3);
    EXPECT_TRUE(platform.texts().value(2).startsWith("An error has occurred in form: frmMain and procedure: "
                                                   "mnuRightAddText_Click (Pavisto)"));
}
