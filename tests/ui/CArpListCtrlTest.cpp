#include "ui/CArpListCtrl.h"

#include <QHeaderView>

#include <gtest/gtest.h>

namespace {

TEST(ArpList, HasTheFiveColumnsWithTheirHeadingsAndWidths)
{
    CArpListCtrl list;
    list.SetUpColumns();
    const std::pair<const char*, int> columns[] = {
        {"IP address", 110}, {"DNS Name", 150}, {"MAC Address", 110}, {"Producer", 180}, {"Type", 60}};
    ASSERT_EQ(list.columnCount(), 5);
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(list.horizontalHeaderItem(i)->text(), QString::fromLatin1(columns[i].first));
        EXPECT_EQ(list.columnWidth(i), columns[i].second);
    }
    EXPECT_TRUE(list.showGrid());
    EXPECT_EQ(list.selectionBehavior(), QAbstractItemView::SelectRows);
    EXPECT_EQ(list.selectionMode(), QAbstractItemView::SingleSelection);
    EXPECT_FALSE(list.isSortingEnabled());
    EXPECT_EQ(list.editTriggers(), QAbstractItemView::NoEditTriggers);
}

TEST(ArpList, LinesStayInInsertionOrder)
{
    CArpListCtrl list;
    list.SetUpColumns();
    list.InsertItem(0, QStringLiteral("10.0.0.9"));
    list.InsertItem(1, QStringLiteral("10.0.0.1"));
    list.SetItemText(1, 3, QStringLiteral("N/A"));
    list.SetItemText(7, 3, QStringLiteral("ignored")); // no such line
    EXPECT_EQ(list.GetItemText(0, 0), QStringLiteral("10.0.0.9"));
    EXPECT_EQ(list.GetItemText(1, 0), QStringLiteral("10.0.0.1"));
    EXPECT_EQ(list.GetItemText(1, 3), QStringLiteral("N/A"));
    EXPECT_EQ(list.GetItemText(1, 1), QString());
    list.DeleteAllItems();
    EXPECT_EQ(list.rowCount(), 0);
    EXPECT_EQ(list.columnCount(), 5);
}

TEST(ArpList, SortingByAddressPutsIpv4BeforeIpv6EachAsNumbers)
{
    CArpListCtrl list;
    list.SetUpColumns();
    QList<QStringList> lines;
    for (const char* ip : {"fd99::10", "10.0.0.10", "fe80::1%h0", "fd99::9", "10.0.0.9", "not an address"})
        lines.push_back({QString::fromLatin1(ip), {}, {}, {}, {}});
    list.ReplaceRows(lines);
    list.OnHeaderClicked(0);
    QStringList order;
    for (int row = 0; row < list.rowCount(); ++row)
        order << list.GetItemText(row, 0);
    EXPECT_EQ(order.join(QLatin1Char(' ')),
              QStringLiteral("10.0.0.9 10.0.0.10 fd99::9 fd99::10 fe80::1%h0 not an address"));
}

} // namespace
