#pragma once

#include "grid/Thumbnail.h"
#include "shell/MainState.h"

#include <QMainWindow>
#include <QPointer>

class GridWidget;
class QAction;
class QMenu;
class frmPreview;
class frmAbout;

// The main window: the wall, its menus and the settings every command
// shares. Commands live with their subsystems and take this window.
class frmMain : public QMainWindow {
    Q_OBJECT
public:
    explicit frmMain(QWidget* parent = nullptr);
    ~frmMain() override;

    MainState& state() { return m_state; }
    GridWidget& fg() { return *m_fg; }
    Thumbnailer& thumbnails() { return m_thumbnails; }

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

    void UpdateCaption();
    // The file open or save dialog; "" when cancelled. A filter of
    // "Desc|pattern|…" pairs; empty means wall files.
    QString SelectFile(const QString& sTitle, const QString& sFilter, const QString& sDefaultExt, bool bSave,
                       const QString& sFile = {});
    void DeleteFile(int r, int c);

    // The preview window, created and placed on first use.
    frmPreview& preview();
    frmPreview* previewIfOpen() const;

    void mnuExit_Click();
    void mnuAbout_Click();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildMenus();
    void Form_Load();
    void closeOtherWindows();

    MainState m_state;
    GridWidget* m_fg = nullptr;
    Thumbnailer m_thumbnails{m_state};
    QMenu* m_rightMenu = nullptr;
    QPointer<frmPreview> m_preview;
    QPointer<frmAbout> m_about;
};
