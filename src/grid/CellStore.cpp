#include "grid/CellStore.h"

#include "shell/AppError.h"


#include <algorithm>
#include <vector>

namespace {

constexpr int InvalidRow = 381;
constexpr int InvalidCol = 30010;

bool isEmptyData(const std::variant<QString, Picture>& data)
{
    const QString* path = std::get_if<QString>(&data);
    return path && path->isEmpty();
}

// A cell that no longer hides its image gets the user's text and colour
// back, unless it was given another text while the image was hidden.
void settleHidden(Cell& cell)
{
    if (cell.hiddenPath.isEmpty() || std::holds_alternative<Picture>(cell.data))
        return;
    if (cell.text == cell.hiddenPath) {
        cell.text = cell.userText;
        cell.foreColor = cell.userForeColor;
    }
    cell.hiddenPath.clear();
    cell.userText.clear();
    cell.userForeColor = Qt::black;
}

} // namespace

QString Cell::path() const
{
    const QString* inSlot = std::get_if<QString>(&data);
    return inSlot ? *inSlot : QString();
}

QString Cell::imagePath() const
{
    if (!std::holds_alternative<Picture>(data))
        return path();
    // Hidden without being set aside, the text slot holds the path.
    return hiddenPath.isEmpty() ? text : hiddenPath;
}

bool Cell::isDefault() const
{
    return picture.isNull() && isEmptyData(data) && text.isEmpty() && foreColor == QColor(Qt::black)
           && pictureAlignment == StretchAlignment && hiddenPath.isEmpty()
           && userText.isEmpty() && userForeColor == QColor(Qt::black);
}

CellStore::CellStore(int rows, int cols) : m_rows(std::max(rows, 0)), m_cols(std::max(cols, 0)) {}

void CellStore::setRows(int rows)
{
    resize(rows, m_cols);
}

void CellStore::setCols(int cols)
{
    resize(m_rows, cols);
}

void CellStore::resize(int rows, int cols)
{
    const bool shrinks = rows < m_rows || cols < m_cols;
    m_rows = std::max(rows, 0);
    m_cols = std::max(cols, 0);
    // Growing drops nothing, so it need not look at the cells.
    if (shrinks) {
        for (auto it = m_cells.begin(); it != m_cells.end();) {
            if (rowOf(it->first) >= m_rows || colOf(it->first) >= m_cols)
                it = m_cells.erase(it);
            else
                ++it;
        }
    }
    notify(wholeGrid());
}

void CellStore::checkCell(int row, int col) const
{
    if (row < 0 || row >= m_rows)
        throw AppError(InvalidRow, QStringLiteral("Invalid Row value"));
    if (col < 0 || col >= m_cols)
        throw AppError(InvalidCol, QStringLiteral("Invalid Col value"));
}

const Cell* CellStore::find(int row, int col) const
{
    checkCell(row, col);
    const auto it = m_cells.find(key(row, col));
    return it == m_cells.end() ? nullptr : &it->second;
}

Picture CellStore::CellPicture(int row, int col) const
{
    const Cell* cell = find(row, col);
    return cell ? cell->picture : Picture();
}

QString CellStore::CellData(int row, int col) const
{
    const Cell* cell = find(row, col);
    return cell ? cell->path() : QString();
}

bool CellStore::CellDataIsPicture(int row, int col) const
{
    const Cell* cell = find(row, col);
    return cell && std::holds_alternative<Picture>(cell->data);
}

QString CellStore::CellText(int row, int col) const
{
    const Cell* cell = find(row, col);
    return cell ? cell->text : QString();
}

QColor CellStore::CellForeColor(int row, int col) const
{
    const Cell* cell = find(row, col);
    return cell ? cell->foreColor : QColor(Qt::black);
}

int CellStore::CellPictureAlignment(int row, int col) const
{
    const Cell* cell = find(row, col);
    return cell ? cell->pictureAlignment : Cell::StretchAlignment;
}

Picture CellStore::placed(const QImage& image) const
{
    return Picture(image, isMonochrome());
}

// Calls step(it) for each stored cell of the rectangle in row-major order;
// step returns the iterator to go on from (it may erase). Empty rows are
// skipped in one search, so the cost follows the occupied cells.
template <class Map, class Step>
void CellStore::visitOccupied(Map& cells, const CellRect& rect, Step&& step)
{
    if (rect.row1 > rect.row2 || rect.col1 > rect.col2)
        return;
    int row = std::max(rect.row1, 0);
    auto it = cells.lower_bound(key(row, rect.col1));
    while (it != cells.end() && rowOf(it->first) <= rect.row2) {
        row = rowOf(it->first);
        if (colOf(it->first) < rect.col1) {
            it = cells.lower_bound(key(row, rect.col1));
            continue;
        }
        if (colOf(it->first) > rect.col2) {
            it = cells.lower_bound(key(row + 1, rect.col1));
            continue;
        }
        it = step(it);
    }
}

void CellStore::write(int row, int col, const std::function<void(Cell&)>& apply)
{
    checkCell(row, col);
    const Key k = key(row, col);
    auto it = m_cells.try_emplace(k).first;
    apply(it->second);
    settleHidden(it->second);
    if (it->second.isDefault())
        m_cells.erase(it);
    notify({row, col, row, col});
}

void CellStore::writeRect(const CellRect& rect, bool isDefault, const std::function<void(Cell&)>& apply)
{
    checkCell(rect.row1, rect.col1);
    checkCell(rect.row2, rect.col2);
    if (isDefault) {
        visitOccupied(m_cells, rect, [&](auto it) {
            apply(it->second);
            settleHidden(it->second);
            return it->second.isDefault() ? m_cells.erase(it) : std::next(it);
        });
    } else {
        for (int row = rect.row1; row <= rect.row2; ++row)
            for (int col = rect.col1; col <= rect.col2; ++col) {
                Cell& cell = m_cells[key(row, col)];
                apply(cell);
                settleHidden(cell);
            }
    }
    notify(rect);
}

void CellStore::setCellPicture(int row, int col, const Picture& picture)
{
    write(row, col, [&](Cell& c) { c.picture = picture; });
}

void CellStore::setCellPicture(int row, int col, const QImage& image)
{
    setCellPicture(row, col, placed(image));
}

void CellStore::setCellData(int row, int col, const QString& path)
{
    write(row, col, [&](Cell& c) { c.data = path; });
}

void CellStore::setCellData(int row, int col, const Picture& picture)
{
    write(row, col, [&](Cell& c) { c.data = picture; });
}

void CellStore::setCellData(int row, int col, const QImage& image)
{
    setCellData(row, col, placed(image));
}

void CellStore::setCellText(int row, int col, const QString& text)
{
    write(row, col, [&](Cell& c) { c.text = text; });
}

void CellStore::setCellForeColor(int row, int col, const QColor& color)
{
    write(row, col, [&](Cell& c) { c.foreColor = color; });
}

void CellStore::setCellPictureAlignment(int row, int col, int alignment)
{
    write(row, col, [&](Cell& c) { c.pictureAlignment = alignment; });
}

void CellStore::setImage(int row, int col, const Picture& picture, const QString& path)
{
    write(row, col, [&](Cell& c) {
        c.picture = picture;
        c.data = path;
    });
}

void CellStore::setImage(int row, int col, const QImage& image, const QString& path)
{
    setImage(row, col, placed(image), path);
}

void CellStore::clearImage(int row, int col)
{
    write(row, col, [](Cell& c) {
        c.picture = Picture();
        c.data = QString();
    });
}

bool CellStore::holdsImage(int row, int col) const
{
    const Cell* cell = find(row, col);
    return cell && !isEmptyData(cell->data);
}

void CellStore::hideImage(int row, int col)
{
    write(row, col, [](Cell& c) {
        if (c.path().isEmpty())
            return;
        c.hiddenPath = c.path();
        c.userText = c.text;
        c.userForeColor = c.foreColor;
        c.text = c.hiddenPath;
        c.foreColor = Qt::black;
        c.data = c.picture;
        c.picture = Picture();
    });
}

void CellStore::showImage(int row, int col)
{
    write(row, col, [](Cell& c) {
        const Picture* picture = std::get_if<Picture>(&c.data);
        if (!picture)
            return;
        c.picture = *picture;
        if (c.hiddenPath.isEmpty()) {
            // Hidden without being set aside: the text slot holds the path.
            c.data = c.text;
            c.text.clear();
        } else {
            c.data = c.hiddenPath;
        }
    });
}

void CellStore::setCellPictureAlignment(const CellRect& rect, int alignment)
{
    writeRect(rect, alignment == Cell::StretchAlignment, [&](Cell& c) { c.pictureAlignment = alignment; });
}

void CellStore::Clear()
{
    m_cells.clear();
    notify(wholeGrid());
}

void CellStore::reorderRows(const CellRect& rows, const std::vector<int>& newRowOf)
{
    // Every cell of the rows is taken out first, so no new key meets an old one.
    std::vector<decltype(m_cells)::node_type> moving;
    auto it = m_cells.lower_bound(key(rows.row1, 0));
    while (it != m_cells.end() && rowOf(it->first) <= rows.row2)
        moving.push_back(m_cells.extract(it++));
    for (auto& node : moving) {
        node.key() = key(newRowOf[std::size_t(rowOf(node.key()) - rows.row1)], colOf(node.key()));
        m_cells.insert(std::move(node));
    }
    notify({rows.row1, 0, rows.row2, m_cols - 1});
}

void CellStore::forEachOccupied(const CellRect& rect,
                                const std::function<void(int row, int col, const Cell&)>& visit) const
{
    visitOccupied(m_cells, rect, [&](auto it) {
        visit(rowOf(it->first), colOf(it->first), it->second);
        return std::next(it);
    });
}

void CellStore::replacePaths(const QHash<QString, QString>& renamed)
{
    if (renamed.isEmpty())
        return;
    for (auto& [key, cell] : m_cells) {
        const auto to = renamed.constFind(cell.imagePath());
        if (to == renamed.constEnd())
            continue;
        cell.picture = cell.picture.withPath(*to);
        if (Picture* hidden = std::get_if<Picture>(&cell.data)) {
            *hidden = hidden->withPath(*to);
        } else {
            cell.data = *to;
            continue;
        }
        // A hidden image's path shows (black) in its text slot too.
        if (cell.text == to.key())
            cell.text = *to;
        if (!cell.hiddenPath.isEmpty())
            cell.hiddenPath = *to;
    }
    notify(wholeGrid());
}

void CellStore::notify(const CellRect& changed) const
{
    if (m_changed)
        m_changed(changed);
}

void EmptyGrid(CellStore& cells, int rows, int cols)
{
    cells.Clear();
    cells.setCols(cols);
    cells.setRows(rows);
}
