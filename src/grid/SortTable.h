#pragma once

#include "grid/CellStore.h"

#include <map>

// The work table of the date sort: a cell store that is never shown, with
// rows added from TAB-separated lines and sorted by their columns.
class SortTable {
public:
    CellStore& cells() { return m_cells; }
    const CellStore& cells() const { return m_cells; }

    enum class ColumnType { Text, Date };  // a date column holds ISO 8601 text
    enum class ColumnSort { None, GenericAscending, StringAscendingCaseSensitive };

    // Appends a row whose fields, separated by TAB, fill its columns from 0;
    // fields beyond the last column are dropped.
    void AddItem(const QString& line);
    void setColDataType(int col, ColumnType type) { m_colTypes[col] = type; }
    void setColSort(int col, ColumnSort order) { m_colSorts[col] = order; }
    // Orders the rows of the rectangle by the sort settings of its columns,
    // taken from left to right; rows that tie keep their order. Whole rows
    // move, every cell value with them. Generic ascending puts a date column
    // in time order with rows without a date last; texts sort by code unit.
    void Sort(const CellRect& rows);

private:
    CellStore m_cells;
    std::map<int, ColumnType> m_colTypes;
    std::map<int, ColumnSort> m_colSorts;
};
