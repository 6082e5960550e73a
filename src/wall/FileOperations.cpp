#include "wall/FileOperations.h"

#include "grid/GridWidget.h"
#include "grid/PreviewHandoff.h"
#include "shell/Utilities.h"
#include "ui/frmMain.h"

#include <QFile>

void DeleteCellFile(frmMain& w, int r, int c)
{
    RunReported(QStringLiteral("frmMain"), QStringLiteral("DeleteFile"), [&] {
        MainState& s = w.state();
        CellStore& cells = w.fg().cells();
        s.StopSlideshow = true;
        const QString path = cells.CellData(r, c);
        if (FileExists(path)) {
            QFile file(path);
            if (!file.remove())
                throw AppError(ErrorNumber::PathFileAccess, file.errorString());
            --s.ImageCount;
        }
        cells.setCellPicture(r, c, QImage());
        cells.setCellData(r, c, QString());
        PreviewCurrentCell(w);
    });
}
