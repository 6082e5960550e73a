#pragma once

#include "picture/Picture.h"

#include <QColor>
#include <QHash>
#include <QImage>
#include <QString>

#include <cstdint>
#include <functional>
#include <map>
#include <variant>
#include <vector>

// A rectangle of cells, first row and column not greater than the last.
struct CellRect {
    int row1 = 0;
    int col1 = 0;
    int row2 = 0;
    int col2 = 0;
};

// What one cell of the wall holds. A cell equal to the default is not stored.
struct Cell {
    static constexpr int StretchAlignment = 9;

    Picture picture;
    // The image's path; while a search hides the cell, its picture instead.
    std::variant<QString, Picture> data;
    QString text;
    QColor foreColor = Qt::black;
    int pictureAlignment = StretchAlignment;
    // While a search hides the image, its text slot holds the path, drawn
    // black so the cell shows nothing; the path and the user's own text and
    // its colour wait here until the image shows again.
    QString hiddenPath;
    QString userText;
    QColor userForeColor = Qt::black;

    // The path in the data slot; "" when there is none or it holds a picture.
    QString path() const;
    // The path of the image the cell shows or a search hides; "" for none.
    QString imagePath() const;
    bool isDefault() const;
};

// The wall's cells: every value a cell holds, addressed by (row, column) from
// 0. Only cells that hold something cost memory or time, so a grid of
// 100,000 x 100,000 cells is as cheap as one of 100 x 100.
class CellStore {
public:
    static constexpr int Monochrome = 1;
    static constexpr int Colour = 0;

    CellStore(int rows = 0, int cols = 0);

    int Rows() const { return m_rows; }
    int Cols() const { return m_cols; }
    // Growing keeps every cell; shrinking drops the cells that fall outside.
    void setRows(int rows);
    void setCols(int cols);

    // Pictures placed while monochrome are kept as 8-bit grey; a picture
    // keeps the type it was placed with wherever it moves.
    int PictureType() const { return m_pictureType; }
    void setPictureType(int type) { m_pictureType = type; }
    bool isMonochrome() const { return m_pictureType == Monochrome; }

    Picture CellPicture(int row, int col) const;
    // The path in the data slot; "" when there is none or it holds a picture.
    QString CellData(int row, int col) const;
    bool CellDataIsPicture(int row, int col) const;
    QString CellText(int row, int col) const;
    QColor CellForeColor(int row, int col) const;
    int CellPictureAlignment(int row, int col) const;

    // A picture as it stands, or an image placed now as a picture of the
    // grid's type.
    void setCellPicture(int row, int col, const Picture& picture);
    void setCellPicture(int row, int col, const QImage& image);
    void setCellData(int row, int col, const QString& path);
    void setCellData(int row, int col, const Picture& picture);
    void setCellData(int row, int col, const QImage& image);
    void setCellText(int row, int col, const QString& text);
    void setCellForeColor(int row, int col, const QColor& color);
    void setCellPictureAlignment(int row, int col, int alignment);

    // An image into a cell: its picture and its path, in one change. The
    // cell's text and colours stay.
    void setImage(int row, int col, const Picture& picture, const QString& path);
    void setImage(int row, int col, const QImage& image, const QString& path);
    // Takes the image out of a cell: no picture, no path; text and colours stay.
    void clearImage(int row, int col);
    // The cell shows an image or hides one: its data slot is not empty.
    bool holdsImage(int row, int col) const;
    // A search hides an image: the picture moves into the data slot and the
    // path into the text slot, and the user's text is set aside. A cell
    // without a path is left alone.
    void hideImage(int row, int col);
    // The image shows again with its path, and the cell gets the user's text
    // back unless another text was written there meanwhile. A cell that hides
    // nothing is left alone.
    void showImage(int row, int col);

    // Writing the default alignment visits only occupied cells; any other
    // visits every cell of the rectangle.
    void setCellPictureAlignment(const CellRect& rect, int alignment);

    // Empties every cell; the row and column counts and the column settings
    // stay.
    void Clear();

    // Cells whose image is one of the old paths take its new path, hidden
    // images too: the files were renamed or moved.
    void replacePaths(const QHash<QString, QString>& renamed);
    // Moves whole rows: row rows.row1 + i goes to newRowOf[i], every cell
    // value with it; the rows of the rectangle are a permutation.
    void reorderRows(const CellRect& rows, const std::vector<int>& newRowOf);

    std::size_t occupiedCount() const { return m_cells.size(); }
    // Visits the occupied cells of a rectangle in row-major order.
    void forEachOccupied(const CellRect& rect, const std::function<void(int row, int col, const Cell&)>& visit) const;
    CellRect wholeGrid() const { return {0, 0, m_rows - 1, m_cols - 1}; }

    // Called after every change with the cells it touched, so a view can
    // repaint them.
    void setChangeListener(std::function<void(const CellRect&)> listener) { m_changed = std::move(listener); }

private:
    using Key = std::uint64_t;
    static Key key(int row, int col) { return (Key(std::uint32_t(row)) << 32) | std::uint32_t(col); }
    static int rowOf(Key k) { return int(k >> 32); }
    static int colOf(Key k) { return int(k & 0xffffffffu); }

    void checkCell(int row, int col) const;
    const Cell* find(int row, int col) const;
    void write(int row, int col, const std::function<void(Cell&)>& apply);
    template <class Map, class Step>
    static void visitOccupied(Map& cells, const CellRect& rect, Step&& step);
    void writeRect(const CellRect& rect, bool isDefault, const std::function<void(Cell&)>& apply);
    void resize(int rows, int cols);
    void notify(const CellRect& changed) const;
    // An image placed now, as a picture of the grid's type.
    Picture placed(const QImage& image) const;

    int m_rows = 0;
    int m_cols = 0;
    int m_pictureType = Monochrome;
    std::map<Key, Cell> m_cells;
    std::function<void(const CellRect&)> m_changed;
};

// The empty-grid reset of a fresh load, Open Wall and the sort: no cell holds
// anything and the grid has the given size.
void EmptyGrid(CellStore& cells, int rows, int cols);
