#pragma once

#include <QObject>

class DragOverlay;
struct CommandContext;

// The grid's mouse and keyboard handlers. The grid moves its current cell
// and selection itself; these run around that: before a press, after it,
// on the release, on a double-click and when a key comes up.
class GridInput : public QObject {
    Q_OBJECT
public:
    // Lives as long as the grid.
    explicit GridInput(CommandContext& ctx);

    // Puts a lifted image down and notes whether the left button went down
    // on the cell that is already current.
    void fg_BeforeMouseDown(int button, int shift, double x, double y, bool& cancel);
    // Left button: prepares the overlay over the current cell; a press on
    // the cell that was already current lifts its image.
    void fg_MouseDown(int button, int shift, double x, double y);
    // Right button: the cell popup menu; others: the preview. Nothing while
    // a load runs.
    void fg_MouseUp(int button, int shift, double x, double y);
    // Opens the current cell's image, or resets the zoom on an empty cell.
    void fg_DblClick();
    void fg_KeyUp(int key, int shift);

    DragOverlay& Picture1() { return *m_overlay; }

private:
    CommandContext& m_ctx;
    DragOverlay* m_overlay;  // owned by the grid's viewport
    bool m_clickedCurrentCell = false;
};

// "Open": every image of the selection in the desktop's default
// application, row by row from the top left.
void mnuRightOpen_Click(CommandContext& ctx);
