#include "grid/Loading.h"

#include "grid/FolderScan.h"
#include "grid/GridWidget.h"
#include "grid/PreviewHandoff.h"
#include "grid/ThumbnailPrefetcher.h"
#include "shell/Utilities.h"
#include "ui/frmMain.h"
#include "view/frmPreview.h"

#include <QAction>
#include <QCoreApplication>

namespace {

const QString FolderPrompt =
    QStringLiteral("Select Folder with images in it. Note: Only JPEG images are supported at this time.");

// Workers decode ahead for the length of one scan.
class PrefetchScope {
public:
    PrefetchScope(Thumbnailer& thumbnails, FolderScan& scan)
        : m_thumbnails(thumbnails), m_prefetcher(ThumbnailPrefetcher::defaultThreads())
    {
        m_thumbnails.setPrefetcher(&m_prefetcher);
        scan.setPrefetcher(&m_prefetcher);
    }
    ~PrefetchScope() { m_thumbnails.setPrefetcher(nullptr); }
    PrefetchScope(const PrefetchScope&) = delete;
    PrefetchScope& operator=(const PrefetchScope&) = delete;

private:
    Thumbnailer& m_thumbnails;
    ThumbnailPrefetcher m_prefetcher;
};

void scan(frmMain& w, const QString& folder, bool fromHere, int startRow, int startCol)
{
    FolderScan scan(w.state(), w.fg().cells(), w.thumbnails(), [&w](const QString& title) { w.setWindowTitle(title); });
    PrefetchScope prefetch(w.thumbnails(), scan);
    scan.FindFile(folder, true, fromHere, startRow, startCol);
}

// The two add commands differ only in where filling starts and in how the
// window is left at the end.
void addImages(frmMain& w, bool fromHere, const QString& procName)
{
    MainState& s = w.state();
    // A second load would share the first one's fill position and flags.
    if (s.IsLoading)
        return;
    GridWidget& grid = w.fg();
    try {
        const QString folder = BrowseForFolder(&w, FolderPrompt);
        s.StopSlideshow = true;
        s.LowMemory = false;
        s.ResetArmed = false;
        if (!folder.isEmpty()) {
            if (frmPreview* preview = w.previewIfOpen()) {
                preview->clearPicture();
                preview->setWindowTitle(QStringLiteral("Preview Window"));
                preview->hide();
            }
            w.mnuSlideshow->setEnabled(false);
            s.IsLoading = true;
            w.mnuStop->setVisible(true);
            LoadImages(w, folder, fromHere, fromHere ? grid.Row() : 0, fromHere ? grid.Col() : 0);
            s.IsLoading = false;
            if (w.isVisible()) {
                w.mnuStop->setVisible(false);
                w.mnuSlideshow->setEnabled(true);
                w.raise();
                w.activateWindow();
                grid.Select(0, 0);
                if (!fromHere)
                    PreviewCurrentCell(w);
                w.UpdateCaption();
            }
        }
        if (s.IsClosing)
            QCoreApplication::quit();
    } catch (...) {
        ReportError(QStringLiteral("frmMain"), procName, AppError::current());
        if (w.isVisible()) {
            grid.Select(0, 0);
            w.UpdateCaption();
            w.mnuStop->setVisible(false);
        }
        s.IsLoading = false;
    }
}

} // namespace

void LoadImages(frmMain& w, const QString& folder, bool fromHere, int startRow, int startCol)
{
    MainState& s = w.state();
    GridWidget& grid = w.fg();
    try {
        s.StopLoading = false;
        s.LowMemory = false;
        s.StopSlideshow = true;
        if (!FolderExists(folder)) {
            ReportFolderNotAccessible(folder);
            return;
        }
        ShowBusyPointer();
        grid.Redraw(false);
        if (!fromHere)
            EmptyGrid(grid.cells(), s.GridRows, s.GridCols);
        if (frmPreview* preview = w.previewIfOpen())
            preview->hide();
        grid.Redraw(true);
        grid.Select(0, 0);
        w.setWindowTitle(QStringLiteral("Loading Images. This Program May Appear Frozen. Please be Patient..."));
        QCoreApplication::processEvents();
        w.mnuStop->setEnabled(true);
        grid.Redraw(false);
        scan(w, folder, fromHere, startRow, startCol);
        if (w.isVisible()) {
            grid.Select(0, 0);
            grid.Redraw(true);
            grid.setVisible(true);
            w.UpdateCaption();
            w.mnuStop->setEnabled(false);
        }
        s.StopLoading = false;
        ShowDefaultPointer();
    } catch (...) {
        ReportError(QStringLiteral("frmMain"), QStringLiteral("LoadImages"), AppError::current());
        w.UpdateCaption();
        w.mnuStop->setEnabled(false);
        s.StopLoading = false;
    }
}

void mnuAddFiles_Click(frmMain& w)
{
    addImages(w, false, QStringLiteral("mnuAddFiles_Click"));
}

void mnuAddImagesFromHere_Click(frmMain& w)
{
    addImages(w, true, QStringLiteral("mnuAddImagesFromHere_Click"));
}

void mnuStop_Click(frmMain& w)
{
    w.state().StopLoading = true;
}
