#pragma once

#include "grid/GridEvents.h"

#include <QObject>

class DragOverlay;
struct CommandContext;

// The grid's handling of a press, around the grid's own: a press puts a
// lifted image down; a second press on the image that is already current
// lifts it, unless a load runs (it might fill the cell the image goes to).
class GridInput : public QObject {
    Q_OBJECT
public:
    // Lives as long as the grid.
    explicit GridInput(CommandContext& ctx);

    // Puts a lifted image down and notes whether the left button went down
    // on the cell that is already current.
    void fg_BeforeMouseDown(int button, int shift, bool& cancel);
    // Left button: prepares the overlay over the current cell; a press on
    // the cell that was already current lifts its image.
    void fg_MouseDown(int button, int shift);
    // Whether a release or a double-click belongs to a cell: a click beside
    // the wall's cells runs no command.
    bool onCell(GridEvent::Kind kind) const;

    DragOverlay& Picture1() { return *m_overlay; }

private:
    CommandContext& m_ctx;
    DragOverlay* m_overlay;  // owned by the grid's viewport
    bool m_clickedCurrentCell = false;
    bool m_pressedOnCell = false;
};

// A double-click: opens the current cell's image, or resets the zoom on an
// empty cell.
void fg_DblClick(CommandContext& ctx);

// "Open": every image of the selection in the desktop's default
// application, row by row from the top left.
void mnuRightOpen_Click(CommandContext& ctx);
