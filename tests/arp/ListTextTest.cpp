#include "arp/ListText.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

struct Table : ITextTable
{
    std::vector<std::vector<std::string>> cells;
    int RowCount() const override { return static_cast<int>(cells.size()); }
    int ColumnCount() const override { return 5; }
    std::string CellText(int r, int c) const override { return cells[r][c]; }
};

TEST(ListText, EveryCellEndsInATabAndEveryRowInACarriageReturn)
{
    Table t;
    t.cells = {{"192.168.0.1", "gateway", "00:11:22:33:44:55", "N/A", "Dynamic"}};
    EXPECT_EQ(qv::ListToText(t), "192.168.0.1\tgateway\t00:11:22:33:44:55\tN/A\tDynamic\t\r");
    t.cells.push_back({"10.0.0.1", "", "", "N/A", ""});
    const std::string text = qv::ListToText(t);
    EXPECT_EQ(text.substr(text.find('\r') + 1), "10.0.0.1\t\t\tN/A\t\t\r");
    EXPECT_EQ(text.find('\n'), std::string::npos);
}

TEST(ListText, AnEmptyListGivesNoBytes)
{
    EXPECT_EQ(qv::ListToText(Table{}), "");
}

} // namespace
