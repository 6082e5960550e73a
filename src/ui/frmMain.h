#pragma once

#include "grid/CellStore.h"
#include "grid/SortTable.h"
#include "image/ThumbnailCache.h"
#include "image/ThumbnailMaker.h"
#include "shell/CommandContext.h"
#include "shell/MainState.h"
#include "view/PreviewHandoff.h"
#include "wall/WallDialog.h"

#include <QElapsedTimer>
#include <QMainWindow>
#include <QPointer>
#include <QTimer>

class GridInput;
struct GridEvent;
class GridWidget;
class QAction;
class QMenu;
class frmAbout;

// The main window: owns the wall's cells, the grid that shows them and the
// settings every command shares, builds the menus from one table and wires
// each item to its command. Commands are given the window's small port.
class frmMain final : public QMainWindow, public MainWindowPort {
    Q_OBJECT
public:
    explicit frmMain(QWidget* parent = nullptr);
    ~frmMain() override;

    MainState& state() { return m_state; }
    CellStore& cells() { return m_cells; }
    GridWidget& fg() { return *m_fg; }
    CommandContext& commands() { return m_commands; }
    // The date sort's work table, never shown.
    SortTable& fgTop() { return m_fgTop; }

    // Menu items, each a QAction named like its field.
    QAction* mnuFile = nullptr;
    QAction* mnuAddFiles = nullptr;
    QAction* mnuOpenWall = nullptr;
    QAction* mnuSave = nullptr;
    QAction* mnuSplit3 = nullptr;
    QAction* mnuExit = nullptr;
    QAction* mnuTools = nullptr;
    QAction* mnuScrollLock = nullptr;
    QAction* mnuOptions = nullptr;
    QAction* mnuFindFile = nullptr;
    QAction* mnuShowAll = nullptr;
    QAction* mnuSortCreateDate = nullptr;
    QAction* mnuSlideshow = nullptr;
    QAction* mnuSplit2 = nullptr;
    QAction* mnuAbout = nullptr;
    QAction* mnuStop = nullptr;
    QAction* mnuZoomIn = nullptr;
    QAction* mnuZoomOut = nullptr;
    QAction* mnuRight = nullptr;
    QAction* mnuRightZoomToImage = nullptr;
    QAction* mnuRightReset = nullptr;
    QAction* mnuRightOpen = nullptr;
    QAction* mnuRightSaveAs = nullptr;
    QAction* mnuRightMove = nullptr;
    QAction* mnuRightReload = nullptr;
    QAction* mnuRightAddText = nullptr;
    QAction* mnuAddImagesFromHere = nullptr;
    QAction* mnuRightAddSingleFile = nullptr;
    QAction* mnuSplit1 = nullptr;
    QAction* mnuRightDelete = nullptr;
    // The grid's popup menu.
    QMenu* rightMenu() const { return m_rightMenu; }

    // The file open or save dialog; "" when cancelled. A filter of
    // "Desc|pattern|…" pairs; empty means wall files.
    QString SelectFile(const QString& sTitle, const QString& sFilter, const QString& sDefaultExt, bool bSave,
                       const QString& sFile = {});
    void DeleteFile(int r, int c);
    // Rebuilds the wall from a .wall file; "" asks for one.
    void OpenFile(const QString& strPath);
    void ZoomIn(bool bForce = false);
    void ZoomOut();
    frmPreview* previewIfOpen() const { return m_preview.previewIfOpen(); }

    // What commands ask of the window.
    void UpdateCaption() override;
    void setTitle(const QString& title) override;
    void PreviewCurrentCell() override;
    void hidePreview() override;
    void resetPreview() override;
    void setMenuStates() override;
    bool isShown() const override;
    void bringToFront() override;
    void endProgram() override;

    // The cell popup menu at the mouse pointer, over the current cell.
    void showCellMenu();

    void mnuExit_Click();
    void mnuAbout_Click();
    void mnuSave_Click();
    // The file dialog as the wall commands ask it.
    AskWallFile wallFileDialog();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildMenus();
    void connectGridEvents();
    bool gridEvent(const GridEvent& event);
    void Form_Load();
    void closeOtherWindows();
    void showTitle(const QString& title);

    MainState m_state;
    CellStore m_cells;
    SortTable m_fgTop;
    ThumbnailCache m_thumbnailCache;
    Thumbnailer m_thumbnails{m_state, m_state, &m_thumbnailCache};
    GridWidget* m_fg;
    CommandContext m_commands;
    PreviewHandoff m_preview;
    GridInput* m_gridInput;  // owned by the grid
    QMenu* m_rightMenu = nullptr;
    QPointer<frmAbout> m_about;
    // A load sets the caption once an image, thousands a second, and the
    // window system and the window manager redraw the title bar for each:
    // its captions reach the title bar at most ten times a second, the last
    // one always.
    QString m_title;
    QTimer m_titleDue;
    QElapsedTimer m_titleShown;
};
