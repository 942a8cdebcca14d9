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
    virtual std::string HeadingText(int /*column*/) const { return std::string(); }
};

namespace qv {

// The saved file's bytes: every cell followed by a tab, every row by one
// carriage return, no header and no line feed.
std::string ListToText(const ITextTable& list);

// Tab-separated values: a line of the headings, then a line a row, LF line
// ends, no trailing tab; a tab or line break inside a cell becomes a space.
std::string ListToTsv(const ITextTable& list);

// RFC 4180: a line of the headings, then a line a row, CR LF line ends; a
// cell with a comma, a quote or a line break is quoted, quotes doubled.
std::string ListToCsv(const ITextTable& list);

} // namespace qv
