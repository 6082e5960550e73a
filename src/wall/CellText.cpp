#include "wall/CellText.h"

#include "grid/CellStore.h"
#include "grid/GridWidget.h"
#include "shell/MainModule.h"
#include "shell/Utilities.h"

void mnuRightAddText_Click(CellStore& cells, GridWidget& grid)
{
    RunReported(QStringLiteral("frmMain"), QStringLiteral("mnuRightAddText_Click"), [&] {
        const int row = grid.Row();
        const int col = grid.Col();
        QString text = cells.CellText(row, col);
        for (;;) {
            const std::optional<QString> answer = Platform::prompts().input(
                QStringLiteral("Enter text or remove all text to remove it from the cell."), AppTitle,
                QString(text).remove(QLatin1Char(',')));
            // Cancel leaves the cell as it was.
            if (!answer)
                return;
            text = TrimAll(*answer);
            if (!text.contains(QLatin1Char(',')))
                break;
            MsgBox(QStringLiteral("Commas are not allowed due to the way Wall files are saved."), MsgIcon::Information);
        }
        cells.setCellForeColor(row, col, Qt::white);
        cells.setCellText(row, col, text);
        grid.ShowCell(row, col);
    });
}
