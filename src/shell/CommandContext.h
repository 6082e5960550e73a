#pragma once

class CellStore;
class GridWidget;
class QString;
class Thumbnailer;
struct MainState;

// What a command asks of the main window. frmMain implements it; commands
// are given this, never the window itself.
class MainWindowPort {
public:
    virtual ~MainWindowPort() = default;

    virtual void UpdateCaption() = 0;
    virtual void setTitle(const QString& title) = 0;
    // The caption and the preview name the current cell: its image in the
    // preview, or the preview hidden. Nothing while a load runs.
    virtual void PreviewCurrentCell() = 0;
    virtual void hidePreview() = 0;
    // Empties the preview's picture, gives it its first caption and hides it.
    virtual void resetPreview() = 0;
    // Sets every menu item's state from the shared state.
    virtual void setMenuStates() = 0;
    virtual bool isShown() const = 0;
    virtual void bringToFront() = 0;
    // Ends the program once the running command has returned.
    virtual void endProgram() = 0;
};

// Everything a command works on: the shared state, the wall's cells, the
// grid that shows them, the thumbnail maker and the window.
struct CommandContext {
    MainState& state;
    CellStore& cells;
    GridWidget& grid;
    Thumbnailer& thumbnails;
    MainWindowPort& window;
};
