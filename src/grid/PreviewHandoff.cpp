#include "grid/PreviewHandoff.h"

#include "grid/GridWidget.h"
#include "shell/Utilities.h"
#include "ui/frmMain.h"
#include "view/frmPreview.h"

void PreviewCurrentCell(frmMain& w)
{
    if (w.state().HidePreview)
        return;
    QString path;
    SkipErrors([&] { path = w.fg().cells().CellData(w.fg().Row(), w.fg().Col()); });
    if (path.isEmpty() || !FileExists(path)) {
        if (frmPreview* preview = w.previewIfOpen())
            preview->hide();
        return;
    }
    SkipErrors([&] { w.preview().Display(path, w.fg().Row(), w.fg().Col()); });
}
