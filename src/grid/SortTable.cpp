#include "grid/SortTable.h"

#include <QDateTime>
#include <QStringList>

#include <algorithm>
#include <numeric>
#include <optional>
#include <vector>

namespace {

// One cell's value as a sort key.
struct SortValue {
    QString text;
    std::optional<qint64> seconds;  // on a date column; none when it holds no date
};

int compareValues(const SortValue& a, const SortValue& b, SortTable::ColumnSort order, bool dateColumn)
{
    if (order == SortTable::ColumnSort::GenericAscending && dateColumn) {
        if (a.seconds.has_value() != b.seconds.has_value())
            return a.seconds ? -1 : 1;
        return a.seconds == b.seconds ? 0 : (*a.seconds < *b.seconds ? -1 : 1);
    }
    return a.text.compare(b.text);
}

} // namespace

void SortTable::AddItem(const QString& line)
{
    const int row = m_cells.Rows();
    m_cells.setRows(row + 1);
    const QStringList fields = line.split(QLatin1Char('\t'));
    for (int col = 0; col < fields.size() && col < m_cells.Cols(); ++col)
        m_cells.setCellText(row, col, fields[col]);
}

void SortTable::Sort(const CellRect& rows)
{
    // Reading the rectangle's corners checks that they lie in the table.
    m_cells.CellText(rows.row1, rows.col1);
    m_cells.CellText(rows.row2, rows.col2);
    struct KeyColumn {
        int col;
        ColumnSort order;
        bool date;
    };
    std::vector<KeyColumn> keyColumns;
    for (const auto& [col, order] : m_colSorts) {
        if (col >= rows.col1 && col <= rows.col2 && order != ColumnSort::None) {
            const auto type = m_colTypes.find(col);
            keyColumns.push_back({col, order, type != m_colTypes.end() && type->second == ColumnType::Date});
        }
    }

    // Keys are read once per row, dates parsed once, before any comparison.
    const int count = rows.row2 - rows.row1 + 1;
    std::vector<std::vector<SortValue>> keys(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        for (const KeyColumn& column : keyColumns) {
            SortValue value{m_cells.CellText(rows.row1 + i, column.col), std::nullopt};
            if (column.date) {
                const QDateTime time = QDateTime::fromString(value.text, Qt::ISODate);
                if (time.isValid())
                    value.seconds = time.toSecsSinceEpoch();
            }
            keys[i].push_back(std::move(value));
        }
    }
    std::vector<int> order(count);
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
        for (std::size_t k = 0; k < keyColumns.size(); ++k) {
            const int result = compareValues(keys[a][k], keys[b][k], keyColumns[k].order, keyColumns[k].date);
            if (result != 0)
                return result < 0;
        }
        return false;
    });

    std::vector<int> newRowOf(count);
    for (int i = 0; i < count; ++i)
        newRowOf[order[i]] = rows.row1 + i;
    m_cells.reorderRows(rows, newRowOf);
}

