#include "view/PreviewHandoff.h"

#include "grid/CellStore.h"
#include "grid/GridWidget.h"
#include "shell/MainState.h"
#include "shell/Utilities.h"
#include "view/frmPreview.h"

PreviewHandoff::PreviewHandoff(QMainWindow& owner, const Settings& settings, const CellStore& cells,
                               const GridWidget& grid)
    : m_owner(owner), m_settings(settings), m_cells(cells), m_grid(grid)
{
}

frmPreview& PreviewHandoff::preview()
{
    if (!m_preview) {
        m_preview = new frmPreview(&m_owner, m_settings);
        connect(m_preview, &frmPreview::deleteRequested, this, &PreviewHandoff::deleteRequested);
    }
    return *m_preview;
}

frmPreview* PreviewHandoff::previewIfOpen() const
{
    return m_preview;
}

void PreviewHandoff::PreviewCurrentCell()
{
    if (m_settings.HidePreview)
        return;
    QString path;
    SkipErrors([&] { path = m_cells.CellData(m_grid.Row(), m_grid.Col()); });
    if (path.isEmpty() || !FileExists(path)) {
        hide();
        return;
    }
    SkipErrors([&] { preview().Display(path, m_grid.Row(), m_grid.Col()); });
}

void PreviewHandoff::hide()
{
    if (m_preview)
        m_preview->hide();
}

void PreviewHandoff::reset()
{
    if (!m_preview)
        return;
    m_preview->clearPicture();
    m_preview->setWindowTitle(QStringLiteral("Preview Window"));
    m_preview->hide();
}
