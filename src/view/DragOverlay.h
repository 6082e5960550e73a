#pragma once

#include <QImage>
#include <QWidget>

struct CommandContext;

// The lifted image of a drag, a picture laid over its cell above the grid.
// The press that lifts it goes on as the drag: the overlay follows the
// pointer while the left button alone is held, and the release drops it on
// the cell below, onto an empty cell as a move, onto an occupied one as a
// swap. Only the picture and the path travel; a cell's text stays. The
// image goes with the current cell: the cell it lands in becomes current.
class DragOverlay : public QWidget {
    Q_OBJECT
public:
    // A child of the grid's viewport, hidden until an image is lifted.
    explicit DragOverlay(CommandContext& ctx);

    // Lays the overlay, still hidden, over the current cell and remembers
    // that cell; false when the cell has no file on disk to carry.
    bool prepare();
    // Shows the prepared overlay above the grid, held where the press that
    // lifted it went down.
    void lift();
    // Hidden and emptied; the wall is left as it is.
    void putDown();
    const QImage& picture() const { return m_picture; }

protected:
    // The lifted picture stretched over the overlay.
    void paintEvent(QPaintEvent* event) override;
    // The grid's viewport keeps the mouse during a press, so the rest of the
    // lifting press arrives there; while lifted it is taken here.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void dropAt(const QPointF& pos);
    void dropOn(int row, int col);

    CommandContext& m_ctx;
    QImage m_picture;
    QString m_tag;  // the lifted image's path
    int m_dragRow = 0;
    int m_dragCol = 0;
    QPointF m_grab;  // where the pointer holds the overlay, from its top left
};
