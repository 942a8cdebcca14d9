#include "arp/ListText.h"

namespace qv {

std::string ListToText(const ITextTable& list)
{
    std::string result;
    for (int i = 0; i < list.RowCount(); ++i) {
        std::string row;
        for (int j = 0; j < list.ColumnCount(); ++j) {
            row += list.CellText(i, j);
            row += '\t';
        }
        row += '\r';
        result += row;
    }
    return result;
}

} // namespace qv
