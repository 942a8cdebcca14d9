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

namespace {

// Every line: the headings, then the rows, each cell through quote.
template <typename Quote>
std::string Lines(const ITextTable& list, char separator, const char* end, Quote quote)
{
    std::string result;
    const auto line = [&](const auto& cell) {
        for (int j = 0; j < list.ColumnCount(); ++j) {
            if (j > 0)
                result += separator;
            result += quote(cell(j));
        }
        result += end;
    };
    line([&](int j) { return list.HeadingText(j); });
    for (int i = 0; i < list.RowCount(); ++i)
        line([&](int j) { return list.CellText(i, j); });
    return result;
}

} // namespace

std::string ListToTsv(const ITextTable& list)
{
    return Lines(list, '\t', "\n", [](std::string cell) {
        for (char& c : cell)
            if (c == '\t' || c == '\n' || c == '\r')
                c = ' ';
        return cell;
    });
}

std::string ListToCsv(const ITextTable& list)
{
    return Lines(list, ',', "\r\n", [](const std::string& cell) {
        if (cell.find_first_of(",\"\r\n") == std::string::npos)
            return cell;
        std::string quoted = "\"";
        for (char c : cell) {
            quoted += c;
            if (c == '"')
                quoted += '"';
        }
        return quoted + '"';
    });
}

} // namespace qv
