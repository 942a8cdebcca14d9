#pragma once

#include <string>

// A table of texts as the export reads it; counts are read again before
// every row and column.
class ITextTable
{
public:
    virtual ~ITextTable() = default;
    virtual int RowCount() const = 0;
    virtual int ColumnCount() const = 0;
    virtual std::string CellText(int row, int column) const = 0;
};

namespace qv {

// The saved file's bytes: every cell followed by a tab, every row by one
// carriage return, no header and no line feed.
std::string ListToText(const ITextTable& list);

} // namespace qv
