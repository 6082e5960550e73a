#include "ui/frmMain.h"

#include "grid/GridWidget.h"
#include "load/Loading.h"
#include "load/SingleCell.h"
#include "shell/Caption.h"
#include "shell/MainModule.h"
#include "shell/Utilities.h"
#include "ui/frmAbout.h"
#include "ui/frmOptions.h"
#include "wall/CellText.h"
#include "wall/CopyMove.h"
#include "view/GridInput.h"
#include "view/Slideshow.h"
#include "view/Zoom.h"
#include "wall/FileOperations.h"
#include "wall/OpenWall.h"
#include "wall/SaveWall.h"
#include "wall/Search.h"
#include "wall/Sort.h"
#include "wall/UnsavedWall.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCursor>
#include <QMenuBar>

namespace {

// How often a load's counting captions reach the title bar at most.
constexpr qint64 TitleIntervalMs = 100;

// Hidden: not shown at start. RefusedWhileLoading: the command does nothing
// while a load runs (a second load would share the first one's fill
// position and flags), and its item is disabled meanwhile. OnlyWhileLoading:
// the command does nothing while none runs. ShowsCell: the command may
// change the current cell or what it holds, so afterwards the caption and
// the preview name the current cell, as the grid's highlight does. OnCell:
// a click beside the wall's cells does nothing. The states that change as
// the program runs are set by setMenuStates.
enum CommandFlag { Hidden = 1, RefusedWhileLoading = 2, OnlyWhileLoading = 4, ShowsCell = 8, OnCell = 16 };

// The menus in menu-bar order. A top-level entry without a parent is either
// a menu (when items follow naming it) or a command on the bar itself.
struct MenuEntry {
    QAction* frmMain::*item;
    const char* name;
    const char* caption;  // "-" for a separator
    const char* parent;   // nullptr: on the menu bar
    QList<QKeySequence> shortcuts;
    int flags;
    void (*onClick)(frmMain&);
};

const MenuEntry MenuTable[] = {
    {&frmMain::mnuFile, "mnuFile", "File", nullptr, {}, 0, nullptr},
    {&frmMain::mnuAddFiles, "mnuAddFiles", "Add Images (jpg only)", "mnuFile", {}, RefusedWhileLoading | ShowsCell,
     [](frmMain& w) { AddImagesAsNewWall(w.commands(), w.wallFileDialog()); }},
    {&frmMain::mnuOpenWall, "mnuOpenWall", "Open Wall", "mnuFile", {}, RefusedWhileLoading | ShowsCell,
     [](frmMain& w) {
         if (MayDiscardWall(w.commands(), w.wallFileDialog()))
             w.OpenFile({});
     }},
    {&frmMain::mnuSave, "mnuSave", "Save Wall", "mnuFile", {}, RefusedWhileLoading,
     [](frmMain& w) { w.mnuSave_Click(); }},
    {&frmMain::mnuSplit3, "mnuSplit3", "-", "mnuFile", {}, 0, nullptr},
    {&frmMain::mnuExit, "mnuExit", "Exit", "mnuFile", {}, 0, [](frmMain& w) { w.mnuExit_Click(); }},
    {&frmMain::mnuTools, "mnuTools", "Tools", nullptr, {}, 0, nullptr},
    {&frmMain::mnuScrollLock, "mnuScrollLock", "Scroll Lock", "mnuTools", {}, Hidden, nullptr},
    {&frmMain::mnuOptions, "mnuOptions", "Options", "mnuTools", {Qt::CTRL | Qt::Key_O}, 0,
     [](frmMain& w) { frmOptions::Open(w.commands(), &w); }},
    {&frmMain::mnuFindFile, "mnuFindFile", "Search Grid", "mnuTools", {Qt::CTRL | Qt::Key_F}, ShowsCell,
     [](frmMain& w) { mnuFindFile_Click(w.commands()); }},
    {&frmMain::mnuShowAll, "mnuShowAll", "Show All", "mnuTools", {}, ShowsCell,
     [](frmMain& w) { mnuShowAll_Click(w.commands()); }},
    {&frmMain::mnuSortCreateDate, "mnuSortCreateDate", "Sort by Create Date", "mnuTools", {},
     RefusedWhileLoading | ShowsCell,
     [](frmMain& w) { mnuSortCreateDate_Click(w.commands(), w.fgTop()); }},
    {&frmMain::mnuSlideshow, "mnuSlideshow", "Slideshow On", "mnuTools", {Qt::CTRL | Qt::Key_S}, ShowsCell,
     [](frmMain& w) { mnuSlideshow_Click(w.commands()); }},
    {&frmMain::mnuSplit2, "mnuSplit2", "-", "mnuTools", {}, 0, nullptr},
    {&frmMain::mnuAbout, "mnuAbout", "About", "mnuTools", {}, 0, [](frmMain& w) { w.mnuAbout_Click(); }},
    {&frmMain::mnuStop, "mnuStop", "Stop Loading", nullptr, {}, 0, [](frmMain& w) { mnuStop_Click(w.state()); }},
    {&frmMain::mnuZoomIn, "mnuZoomIn", " + ", nullptr, {Qt::CTRL | Qt::Key_Plus, Qt::CTRL | Qt::Key_Equal},
     RefusedWhileLoading, [](frmMain& w) { w.ZoomIn(); }},
    {&frmMain::mnuZoomOut, "mnuZoomOut", " - ", nullptr, {Qt::CTRL | Qt::Key_Minus}, RefusedWhileLoading,
     [](frmMain& w) { w.ZoomOut(); }},
    {&frmMain::mnuRight, "mnuRight", "", nullptr, {}, Hidden, nullptr},
    {&frmMain::mnuRightZoomToImage, "mnuRightZoomToImage", "Zoom to Image", "mnuRight", {}, RefusedWhileLoading,
     [](frmMain& w) { mnuRightZoomToImage_Click(w.commands()); }},
    {&frmMain::mnuRightReset, "mnuRightReset", "Reset Zoom", "mnuRight", {}, ShowsCell,
     [](frmMain& w) { mnuRightReset_Click(w.commands()); }},
    {&frmMain::mnuRightOpen, "mnuRightOpen", "Open", "mnuRight", {}, 0,
     [](frmMain& w) { mnuRightOpen_Click(w.commands()); }},
    {&frmMain::mnuRightSaveAs, "mnuRightSaveAs", "Save As (Copy to)", "mnuRight", {}, 0,
     [](frmMain& w) { mnuRightSaveAs_Click(w.commands()); }},
    {&frmMain::mnuRightMove, "mnuRightMove", "Move", "mnuRight", {}, ShowsCell,
     [](frmMain& w) { mnuRightMove_Click(w.commands()); }},
    {&frmMain::mnuRightReload, "mnuRightReload", "Refresh Image", "mnuRight", {}, ShowsCell,
     [](frmMain& w) { mnuRightReload_Click(w.commands()); }},
    {&frmMain::mnuRightAddText, "mnuRightAddText", "Add Text", "mnuRight", {}, ShowsCell,
     [](frmMain& w) { mnuRightAddText_Click(w.cells(), w.fg()); }},
    {&frmMain::mnuAddImagesFromHere, "mnuAddImagesFromHere", "Add Images From Here", "mnuRight", {},
     RefusedWhileLoading | ShowsCell, [](frmMain& w) { mnuAddImagesFromHere_Click(w.commands()); }},
    {&frmMain::mnuRightAddSingleFile, "mnuRightAddSingleFile", "Add Single File", "mnuRight", {}, ShowsCell,
     [](frmMain& w) { mnuRightAddSingleFile_Click(w.commands()); }},
    {&frmMain::mnuSplit1, "mnuSplit1", "-", "mnuRight", {}, 0, nullptr},
    {&frmMain::mnuRightDelete, "mnuRightDelete", "Delete", "mnuRight", {}, ShowsCell,
     [](frmMain& w) { mnuRightDelete_Click(w.commands()); }},
};

// The grid's keys, buttons and wheel, beside the menus: the event, its key,
// button or turn (AnyCode for any other), the Shift, Ctrl and Alt that must
// be held (of those in the mask), the flags above and the command. The
// first entry that matches takes the event.
constexpr int AnyCode = -1;
constexpr int Ctrl = GridEvent::CtrlMask;

struct InputEntry {
    GridEvent::Kind kind;
    int code;
    int mask;
    int modifiers;
    int flags;
    void (*run)(frmMain& w, const GridEvent& event);  // nullptr: only what the flags do
};

void move(frmMain& w, GridWidget::Move where, const GridEvent& event)
{
    w.fg().moveCursor(where, event.shift & GridEvent::ShiftMask);
}

using E = GridEvent;
using Move = GridWidget::Move;
const InputEntry InputTable[] = {
    // Pressed keys move the cursor (Shift extends the selection), also while a load runs.
    {E::KeyDown, E::UpKey, 0, 0, 0, [](frmMain& w, const E& e) { move(w, Move::Up, e); }},
    {E::KeyDown, E::DownKey, 0, 0, 0, [](frmMain& w, const E& e) { move(w, Move::Down, e); }},
    {E::KeyDown, E::LeftKey, 0, 0, 0, [](frmMain& w, const E& e) { move(w, Move::Left, e); }},
    {E::KeyDown, E::RightKey, 0, 0, 0, [](frmMain& w, const E& e) { move(w, Move::Right, e); }},
    {E::KeyDown, E::PageUpKey, 0, 0, 0, [](frmMain& w, const E& e) { move(w, Move::PageUp, e); }},
    {E::KeyDown, E::PageDownKey, 0, 0, 0, [](frmMain& w, const E& e) { move(w, Move::PageDown, e); }},
    {E::KeyDown, E::HomeKey, Ctrl, 0, 0, [](frmMain& w, const E& e) { move(w, Move::RowStart, e); }},
    {E::KeyDown, E::HomeKey, Ctrl, Ctrl, 0, [](frmMain& w, const E& e) { move(w, Move::WallStart, e); }},
    {E::KeyDown, E::EndKey, Ctrl, 0, 0, [](frmMain& w, const E& e) { move(w, Move::RowEnd, e); }},
    {E::KeyDown, E::EndKey, Ctrl, Ctrl, 0, [](frmMain& w, const E& e) { move(w, Move::WallEnd, e); }},
    // Released keys; a moving key's release shows where the cursor went.
    {E::KeyUp, E::DeleteKey, 0, 0, RefusedWhileLoading | ShowsCell,
     [](frmMain& w, const E&) { mnuRightDelete_Click(w.commands()); }},
    {E::KeyUp, E::EscapeKey, 0, 0, OnlyWhileLoading, [](frmMain& w, const E&) { mnuStop_Click(w.state()); }},
    {E::KeyUp, E::DownKey, 0, 0, RefusedWhileLoading | ShowsCell, nullptr},
    {E::KeyUp, E::UpKey, 0, 0, RefusedWhileLoading | ShowsCell, nullptr},
    {E::KeyUp, E::RightKey, 0, 0, RefusedWhileLoading | ShowsCell, nullptr},
    {E::KeyUp, E::LeftKey, 0, 0, RefusedWhileLoading | ShowsCell, nullptr},
    {E::KeyUp, E::PageUpKey, 0, 0, RefusedWhileLoading | ShowsCell, nullptr},
    {E::KeyUp, E::PageDownKey, 0, 0, RefusedWhileLoading | ShowsCell, nullptr},
    {E::KeyUp, E::HomeKey, 0, 0, RefusedWhileLoading | ShowsCell, nullptr},
    {E::KeyUp, E::EndKey, 0, 0, RefusedWhileLoading | ShowsCell, nullptr},
    // Released buttons, the double-click and the wheel.
    {E::ButtonUp, E::RightButton, 0, 0, RefusedWhileLoading | OnCell | ShowsCell,
     [](frmMain& w, const E&) { w.showCellMenu(); }},
    {E::ButtonUp, AnyCode, 0, 0, RefusedWhileLoading | OnCell | ShowsCell, nullptr},
    {E::DoubleClick, AnyCode, 0, 0, RefusedWhileLoading | OnCell,
     [](frmMain& w, const E&) { fg_DblClick(w.commands()); }},
    {E::Wheel, E::Away, 0, 0, RefusedWhileLoading, [](frmMain& w, const E&) { w.ZoomIn(); }},
    {E::Wheel, E::Towards, 0, 0, RefusedWhileLoading, [](frmMain& w, const E&) { w.ZoomOut(); }},
};

bool hasItems(const char* menuName)
{
    for (const MenuEntry& entry : MenuTable)
        if (entry.parent && qstrcmp(entry.parent, menuName) == 0)
            return true;
    return false;
}

} // namespace

frmMain::frmMain(QWidget* parent)
    : QMainWindow(parent), m_fg(new GridWidget(m_cells, this)),
      m_commands{m_state, m_cells, *m_fg, m_thumbnails, *this}, m_preview(*this, m_state, m_cells, *m_fg),
      m_gridInput(new GridInput(m_commands))
{
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QStringLiteral("Pavisto"));
    m_titleDue.setSingleShot(true);
    connect(&m_titleDue, &QTimer::timeout, this, [this] { showTitle(m_title); });
    resize(1024, 720);
    setCentralWidget(m_fg);
    buildMenus();
    connectGridEvents();
    // Zoomed in, the grid shows larger versions of its pictures, made again
    // as the cells were made.
    m_fg->versions().setMaker([this](const PictureSource& source, int side, bool grey) {
        return m_thumbnails.Version(source, side, grey);
    });
    connect(&m_preview, &PreviewHandoff::deleteRequested, this,
            [this](const QString& path, int r, int c) { DeleteShownFile(m_commands, path, r, c); });
    Form_Load();
}

frmMain::~frmMain()
{
    // The grid shows cells that are members of this window: it goes first.
    delete m_fg;
    if (Platform::dialogOwner() == this)
        Platform::setDialogOwner(nullptr);
}

void frmMain::buildMenus()
{
    QHash<QString, QMenu*> menus;
    for (const MenuEntry& entry : MenuTable) {
        QAction* action = nullptr;
        if (!entry.parent && hasItems(entry.name)) {
            QMenu* menu = menuBar()->addMenu(QString::fromUtf8(entry.caption));
            menu->setObjectName(QString::fromUtf8(entry.name));
            menus.insert(QString::fromUtf8(entry.name), menu);
            action = menu->menuAction();
        } else if (!entry.parent) {
            action = menuBar()->addAction(QString::fromUtf8(entry.caption));
        } else if (qstrcmp(entry.caption, "-") == 0) {
            action = menus.value(QString::fromUtf8(entry.parent))->addSeparator();
        } else {
            action = menus.value(QString::fromUtf8(entry.parent))->addAction(QString::fromUtf8(entry.caption));
        }
        action->setObjectName(QString::fromUtf8(entry.name));
        action->setShortcuts(entry.shortcuts);
        action->setVisible(!(entry.flags & Hidden));
        if (entry.onClick)
            connect(action, &QAction::triggered, this, [this, &entry] {
                if ((entry.flags & RefusedWhileLoading) && m_state.IsLoading)
                    return;
                entry.onClick(*this);
                if (entry.flags & ShowsCell)
                    PreviewCurrentCell();
            });
        this->*entry.item = action;
    }
    m_rightMenu = menus.value(QStringLiteral("mnuRight"));
}

// The grid's presses go to the drag's handling; every other event of the
// grid to its command in the input table.
void frmMain::connectGridEvents()
{
    connect(m_fg, &GridWidget::BeforeMouseDown, m_gridInput, &GridInput::fg_BeforeMouseDown);
    connect(m_fg, &GridWidget::MouseDown, m_gridInput, &GridInput::fg_MouseDown);
    m_fg->setInputHandler([this](const GridEvent& event) { return gridEvent(event); });
}

bool frmMain::gridEvent(const GridEvent& event)
{
    for (const InputEntry& entry : InputTable) {
        if (entry.kind != event.kind || (entry.code != AnyCode && entry.code != event.code)
            || (event.shift & entry.mask) != entry.modifiers)
            continue;
        if (((entry.flags & RefusedWhileLoading) && m_state.IsLoading)
            || ((entry.flags & OnlyWhileLoading) && !m_state.IsLoading)
            || ((entry.flags & OnCell) && !m_gridInput->onCell(event.kind)))
            return true;
        // Released keys report their failures as the grid's key handler.
        if (entry.run && event.kind == GridEvent::KeyUp)
            RunReported(QStringLiteral("frmMain"), QStringLiteral("fg_KeyUp"), [&] { entry.run(*this, event); });
        else if (entry.run)
            SkipErrors([&] { entry.run(*this, event); });
        if (entry.flags & ShowsCell)
            PreviewCurrentCell();
        return true;
    }
    return false;
}

void frmMain::showCellMenu()
{
    if (m_fg->Row() < 0 || m_fg->Col() < 0)
        return;
    m_fg->ShowCell(m_fg->Row(), m_fg->Col());
    m_rightMenu->popup(QCursor::pos());
}

void frmMain::Form_Load()
{
    m_state.IsLoading = true;
    Platform::setDialogOwner(this);
    RunReported(QStringLiteral("frmMain"), QStringLiteral("Form_Load"), [this] {
        m_fg->Redraw(false);
        m_cells.setCols(m_state.GridCols);
        m_cells.setRows(m_state.GridRows);
        m_cells.setCellPictureAlignment(m_cells.wholeGrid(), Cell::StretchAlignment);
        m_cells.setPictureType(CellStore::Monochrome);
        m_fg->Redraw(true);
        UpdateCaption();
    });
    m_state.IsLoading = false;
    setMenuStates();
}

void frmMain::UpdateCaption()
{
    SkipErrors([this] {
        showTitle(CaptionText(m_state, m_fg->Row(), m_fg->Col(), m_cells.CellData(m_fg->Row(), m_fg->Col())));
    });
}

void frmMain::setTitle(const QString& title)
{
    m_title = title;
    if (m_titleDue.isActive())
        return;
    const qint64 since = m_titleShown.isValid() ? m_titleShown.elapsed() : TitleIntervalMs;
    if (since < TitleIntervalMs)
        m_titleDue.start(int(TitleIntervalMs - since));
    else
        showTitle(title);
}

void frmMain::showTitle(const QString& title)
{
    m_titleDue.stop();
    m_titleShown.start();
    setWindowTitle(title);
}

void frmMain::PreviewCurrentCell()
{
    // While a load runs the caption counts its images and the preview is
    // hidden; the load's end shows the current cell.
    if (m_state.IsLoading || m_state.IsClosing)
        return;
    m_preview.PreviewCurrentCell();
    UpdateCaption();
}

void frmMain::hidePreview()
{
    m_preview.hide();
}

void frmMain::resetPreview()
{
    m_preview.reset();
}

void frmMain::setMenuStates()
{
    // Shown disabled rather than doing nothing when chosen.
    for (const MenuEntry& entry : MenuTable)
        if (entry.flags & RefusedWhileLoading)
            (this->*entry.item)->setEnabled(!m_state.IsLoading);
    mnuStop->setVisible(m_state.IsLoading);
    mnuStop->setEnabled(m_state.IsLoading && m_state.StopEnabled);
    mnuSlideshow->setEnabled(!m_state.IsLoading && m_state.SlideshowReady);
    mnuSlideshow->setText(m_state.SlideshowCaptionOff ? QStringLiteral("Slideshow Off")
                                                      : QStringLiteral("Slideshow On"));
}

bool frmMain::isShown() const
{
    return isVisible();
}

void frmMain::bringToFront()
{
    raise();
    activateWindow();
}

void frmMain::endProgram()
{
    QCoreApplication::quit();
}

QString frmMain::SelectFile(const QString& sTitle, const QString& sFilter, const QString& sDefaultExt, bool bSave,
                            const QString& sFile)
{
    QString chosen;
    RunReported(QStringLiteral("frmMain"), QStringLiteral("SelectFile"), [&] {
        const QString filter =
            sFilter.isEmpty() ? QStringLiteral("Wall Files (*.wall)|*.wall|All Files (*.*)|*.*") : sFilter;
        chosen = AskForFile({sTitle, QtFileFilter(filter), sDefaultExt, bSave, sFile});
    });
    return chosen;
}

void frmMain::DeleteFile(int r, int c)
{
    DeleteFileNow(m_commands, r, c);
}

AskWallFile frmMain::wallFileDialog()
{
    return [this](const QString& title, bool save) { return SelectFile(title, {}, QStringLiteral("wall"), save); };
}

void frmMain::OpenFile(const QString& strPath)
{
    OpenWallFile(m_commands, strPath, wallFileDialog());
}

void frmMain::mnuSave_Click()
{
    SaveWall(m_commands, wallFileDialog());
}

void frmMain::ZoomIn(bool bForce)
{
    ZoomInStep(m_commands, bForce);
}

void frmMain::ZoomOut()
{
    ZoomOutStep(m_commands);
}

void frmMain::closeOtherWindows()
{
    for (QWidget* window : QApplication::topLevelWidgets())
        if (window != this && window->isVisible())
            window->close();
}

void frmMain::closeEvent(QCloseEvent* event)
{
    // A running load ends with the window, as it always has; what it was
    // loading came from a folder or a file and is not lost.
    if (!m_state.IsLoading && !m_state.IsClosing && !MayDiscardWall(m_commands, wallFileDialog())) {
        event->ignore();
        return;
    }
    SkipErrors([this] { hide(); });
    // A load running in a yield ends at its next check.
    m_state.StopLoading = true;
    m_state.IsClosing = true;
    SkipErrors([this] { closeOtherWindows(); });
    event->accept();
}

void frmMain::mnuExit_Click()
{
    m_state.StopSlideshow = true;
    // Closing closes every other window too; a wall the user keeps keeps
    // the program.
    if (!close())
        return;
    // Operations suspended in a yield see the flags that close set and
    // unwind at once; the event loop then ends.
    endProgram();
}

void frmMain::mnuAbout_Click()
{
    if (!m_about)
        m_about = new frmAbout(this);
    m_about->show();
    m_about->raise();
}
