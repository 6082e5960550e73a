#pragma once

#include "grid/CellPainter.h"
#include "grid/GridCursor.h"
#include "grid/GridEvents.h"
#include "grid/TinyCellCanvas.h"

#include <QAbstractScrollArea>
#include <QTimer>

#include <functional>

// The wall on screen: paints a cell store that it does not own and turns
// mouse, keys and wheel into the grid's events, which the window's input
// table gives their commands. Cells are square and uniform; lengths that
// callers set or read are twips. Scrolling counts whole cells, so any size
// scrolls.
class GridWidget : public QAbstractScrollArea {
    Q_OBJECT
public:
    static constexpr int StartCellTwips = 105;

    using Move = GridCursor::Move;
    // Answers whether it took the event; a key it leaves goes on to the
    // scroll area.
    using InputHandler = std::function<bool(const GridEvent& event)>;

    // The store must outlive the widget.
    explicit GridWidget(CellStore& cells, QWidget* parent = nullptr);
    ~GridWidget() override;

    // The current cell; -1 when there is none.
    int Row() const { return m_cursor.row(); }
    int Col() const { return m_cursor.col(); }
    int MouseRow() const { return m_mouseRow; }
    int MouseCol() const { return m_mouseCol; }
    // Place and size of the current cell in the grid's area, in twips.
    double CellLeft() const;
    double CellTop() const;
    double CellWidth() const { return m_colWidth; }
    double CellHeight() const { return m_rowHeight; }

    int TopRow() const { return m_topRow; }
    int LeftCol() const { return m_leftCol; }
    void setTopRow(int row);
    void setLeftCol(int col);

    // Every column and every row at once; the wall's cells are uniform.
    int ColWidth() const { return m_colWidth; }
    int RowHeight() const { return m_rowHeight; }
    void setColWidth(int twips);
    void setRowHeight(int twips);

    // false suspends painting during bulk changes; true repaints.
    void Redraw(bool on);
    bool isRedrawing() const { return m_redraw; }
    void GridLines(bool on);
    bool hasGridLines() const { return m_gridLines; }

    void setInputHandler(InputHandler handler) { m_input = std::move(handler); }
    void moveCursor(Move move, bool extend);
    // The press handling of a button going down, run as if it had: a load
    // from the middle of the wall leaves the grid so.
    void runBeforeMouseDown(int button);
    // Where the last button went down, in the viewport's pixels.
    QPointF pressPosition() const { return m_pressAt; }

    void Select(int row, int col);
    // (row1, col1) becomes the current cell, (row2, col2) the far corner.
    void Select(int row1, int col1, int row2, int col2);
    CellRect GetSelection() const { return m_cursor.selection(); }
    void ShowCell(int row, int col);

    // The cell under a point of the viewport; -1 outside the cells.
    int rowAt(double y) const;
    int colAt(double x) const;
    // Sets MouseRow and MouseCol to the cell under a point of the viewport,
    // -1 when the point is outside the viewport or the cells: for a child
    // that holds the mouse above the grid.
    void trackMouse(const QPointF& pos);

    // The larger versions of the pictures a zoomed-in view shows; the
    // window gives them their maker.
    PictureVersions& versions() { return m_painter.versions(); }
    // A picture as the grid draws it in a cell of `size` pixels, from the
    // best version ready.
    QImage shownAt(const Picture& picture, QSize size) { return m_painter.shownAt(picture, size); }
    // The cells in view that show a smaller version than they need.
    int cellsAwaitingVersions() const;

signals:
    // Around the grid's own handling of a press: before it moves the current
    // cell, and after.
    void BeforeMouseDown(int button, int shift, bool& cancel);
    void MouseDown(int button, int shift);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    // The wheel over the grid, its viewport and its scroll bars never
    // scrolls: it is the grid's events.
    void wheelEvent(QWheelEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    // Resting the pointer on a cell names what the cell clips: its file and
    // its whole text.
    bool viewportEvent(QEvent* event) override;

private:
    // Where the rows and the columns lie in the viewport.
    GridAxis rowAxis() const;
    GridAxis colAxis() const;
    void cellsChanged(const CellRect& changed);
    // Repaints the cells of a rectangle that are in view.
    void updateCells(const CellRect& cells);
    void updateScrollBars();
    void moveTo(qint64 row, qint64 col, bool extend);
    bool handled(const GridEvent& event) const { return m_input && m_input(event); }

    int Rows() const { return m_cells.Rows(); }
    int Cols() const { return m_cells.Cols(); }

    CellStore& m_cells;
    CellPainter m_painter;
    TinyCellCanvas m_canvas;
    GridCursor m_cursor;
    // While the program idles after a frame, copies ahead of a scroll are
    // made.
    QTimer m_ahead;
    QTimer m_showChanges;
    QRect m_changedArea;  // changed cells in view, not yet repainted
    int m_knownRows = 0;
    int m_knownCols = 0;
    int m_mouseRow = -1;
    int m_mouseCol = -1;
    int m_topRow = 0;
    int m_leftCol = 0;
    int m_colWidth = StartCellTwips;
    int m_rowHeight = StartCellTwips;
    bool m_redraw = true;
    bool m_gridLines = true;
    bool m_selecting = false;
    InputHandler m_input;
    WheelNotches m_wheel;
    QPointF m_pressAt;
};

// Holds the grid's painting off during a bulk change and turns it back on
// however the change ends.
class RedrawSuspended {
public:
    explicit RedrawSuspended(GridWidget& grid);
    ~RedrawSuspended();
    RedrawSuspended(const RedrawSuspended&) = delete;
    RedrawSuspended& operator=(const RedrawSuspended&) = delete;

private:
    GridWidget& m_grid;
};
