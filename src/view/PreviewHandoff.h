#pragma once

#include <QObject>
#include <QPointer>

class CellStore;
class GridWidget;
class QMainWindow;
class frmPreview;
struct Settings;

// Feeds the preview window from the grid's current cell. The window is
// created and placed on first use and again after the user closed it.
class PreviewHandoff : public QObject {
    Q_OBJECT
public:
    PreviewHandoff(QMainWindow& owner, const Settings& settings, const CellStore& cells, const GridWidget& grid);

    // Shows the current cell's image, or hides the preview when the cell
    // has no existing file.
    void PreviewCurrentCell();
    void hide();
    // Empty picture, the first caption, hidden.
    void reset();

    frmPreview& preview();
    frmPreview* previewIfOpen() const;

signals:
    // The preview's "Delete", for the file it showed in cell (r, c).
    void deleteRequested(const QString& path, int r, int c);

private:
    QMainWindow& m_owner;
    const Settings& m_settings;
    const CellStore& m_cells;
    const GridWidget& m_grid;
    QPointer<frmPreview> m_preview;
};
