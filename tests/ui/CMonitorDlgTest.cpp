#include "controls/CBannerStatic.h"
#include "controls/CColorIPAddressCtrl.h"
#include "controls/CLinkStatic.h"
#include "controls/LinkAddresses.h"
#include "tests/ui/UiFixtures.h"

#include <QLabel>
#include <QMenu>
#include <QLineEdit>
#include <QPushButton>
#include <QClipboard>
#include <QHeaderView>
#include <QScrollBar>

namespace {

using Lines = std::vector<std::vector<QString>>;

Lines ListLines(const CArpListCtrl& list)
{
    Lines lines;
    for (int r = 0; r < list.rowCount(); ++r) {
        lines.emplace_back();
        for (int c = 0; c < list.columnCount(); ++c)
            lines.back().push_back(list.GetItemText(r, c));
    }
    return lines;
}

QWidget* Control(QWidget& dialog, int id)
{
    for (QWidget* w : dialog.findChildren<QWidget*>())
        if (w->property("controlId").toInt() == id)
            return w;
    return nullptr;
}

using MainWindow = DialogFixture;

TEST_F(MainWindow, HasEveryControlOfTheTemplateWithItsTextAndState)
{
    auto dialog = MakeDialog();
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Quorvane"));
    struct Expect
    {
        int id;
        const char* kind;
        bool visible;
        bool enabled;
    };
    const Expect controls[] = {
        {1000, "CArpListCtrl", true, true},        {1001, "CBannerStatic", true, false},
        {1002, "CLinkStatic", false, false},       {1003, "CLinkStatic", false, false},
        {1004, "QPushButton", true, true},         {1005, "CColorIPAddressCtrl", true, true},
        {1006, "CColorIPAddressCtrl", true, true}, {1007, "QLineEdit", true, true},
        {1008, "QLineEdit", true, true},           {1009, "QPushButton", false, false}};
    for (const Expect& e : controls) {
        QWidget* w = Control(*dialog, e.id);
        ASSERT_NE(w, nullptr) << e.id;
        EXPECT_STREQ(w->metaObject()->className(), e.kind) << e.id;
        EXPECT_EQ(w->isVisibleTo(dialog.get()), e.visible) << e.id;
        EXPECT_EQ(w->isEnabled(), e.enabled) << e.id;
    }
    EXPECT_EQ(static_cast<QPushButton*>(Control(*dialog, 1004))->text(), QStringLiteral("发送 ARP"));
    EXPECT_FALSE(static_cast<QPushButton*>(Control(*dialog, 1004))->autoDefault());
    EXPECT_EQ(static_cast<QPushButton*>(Control(*dialog, 1009))->text(), QStringLiteral("Download Now!"));
    QStringList labels;
    for (QLabel* l : dialog->findChildren<QLabel*>())
        if (l->property("controlId").isNull() && l->parent() == dialog.get())
            labels << l->text();
    for (const char* text : {"目标 IP 地址：", "源 IP 地址：", "返回的 MAC 地址：", "适配器生产商："})
        EXPECT_TRUE(labels.contains(QString::fromUtf8(text))) << text;
    EXPECT_TRUE(dialog->m_editReturnedMac->text().isEmpty());
    EXPECT_FALSE(dialog->m_editReturnedMac->isReadOnly());
    EXPECT_EQ(dialog->m_linkProductName->Address(), QString::fromLatin1(qv::links::kProductPageAddress));
    EXPECT_EQ(dialog->m_linkProductText->Address(), QString::fromLatin1(qv::links::kProductPageAddress));
    EXPECT_EQ(dialog->m_banner->Address(), QString::fromLatin1(qv::links::kBannerAddress));
}

TEST_F(MainWindow, TheListTakesTheRoomOfAResizedWindowAndTheTabOrderIsTheTemplates)
{
    auto dialog = MakeDialog();
    // Column widths keep the template's proportions in the font in use.
    const double scale = dialog->m_list->columnWidth(0) / 110.0;
    EXPECT_NEAR(dialog->m_list->columnWidth(3), 180 * scale, 1.0);
    EXPECT_GE(dialog->m_list->columnWidth(2),
              dialog->m_list->fontMetrics().horizontalAdvance(QStringLiteral("00:00:0C:12:34:56")));
    EXPECT_TRUE(dialog->windowFlags() & Qt::WindowMinimizeButtonHint);
    // Opens at the template's size, may shrink to the controls and three
    // rows (a 1280x720 screen at 150 %), and grows with the list taking the room.
    const QSize opened = dialog->size();
    EXPECT_LT(dialog->minimumHeight() * 3 / 2, 720 - 40);
    EXPECT_LT(dialog->minimumHeight(), opened.height());
    const QRect fields = dialog->m_ipTarget->geometry();
    const QRect list = dialog->m_list->geometry();
    dialog->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog.get()));
    dialog->resize(opened + QSize(200, 300));
    EXPECT_TRUE(QTest::qWaitFor([&] { return dialog->m_list->geometry() == list.adjusted(0, 0, 200, 300); }))
        << dialog->m_list->height() << " " << list.height();
    EXPECT_EQ(dialog->m_ipTarget->geometry(), fields);
    EXPECT_GT(dialog->m_editFilter->geometry().top(), dialog->m_list->geometry().bottom());
    EXPECT_LT(dialog->m_editFilter->geometry().bottom(), dialog->height());
    dialog->resize(dialog->minimumSize());
    EXPECT_TRUE(QTest::qWaitFor([&] {
        return dialog->m_list->height() >= 3 * dialog->m_list->verticalHeader()->defaultSectionSize();
    }));
    dialog->resize(opened);
    // Controls sit in template order from the top: banner, fields, list.
    EXPECT_LT(dialog->m_banner->geometry().bottom(), dialog->m_ipSource->geometry().top());
    EXPECT_LT(dialog->m_ipSource->geometry().right(), dialog->m_ipTarget->geometry().left());
    EXPECT_LT(dialog->m_editAdapterVendor->geometry().bottom(), dialog->m_list->geometry().top());

    dialog->activateWindow();
    EXPECT_TRUE(QTest::qWaitFor([&] { return dialog->m_list->hasFocus(); }));
    // Real Tab presses, from the list round to the list: one stop per control.
    const std::vector<QWidget*> expected{dialog->m_btnSendArp,
                                         dialog->m_ipTarget->Field(0),
                                         dialog->m_ipSource->Field(0),
                                         dialog->m_editReturnedMac,
                                         dialog->m_editAdapterVendor,
                                         dialog->m_editFilter,
                                         dialog->m_list};
    std::vector<QWidget*> order;
    QString selectedOnEntry;
    for (std::size_t i = 0; i < expected.size(); ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        order.push_back(QApplication::focusWidget());
        if (order.back() == dialog->m_ipTarget->Field(0))
            selectedOnEntry = dialog->m_ipTarget->Field(0)->selectedText();
    }
    EXPECT_EQ(order, expected);
    // Entering an address by Tab selects its first number; Shift+Tab from inside leaves it.
    EXPECT_EQ(selectedOnEntry, QStringLiteral("192"));
    dialog->m_ipSource->Field(2)->setFocus();
    QTest::keyClick(dialog->m_ipSource->Field(2), Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(QApplication::focusWidget(), dialog->m_ipTarget->Field(0));
}

TEST_F(MainWindow, APassListsTheTableInOrderAndTheNextReplacesIt)
{
    period = std::chrono::milliseconds(20);
    auto dialog = MakeDialog();
    ASSERT_TRUE(WaitForPass(*dialog));
    const Lines expected{
        {"10.0.0.1", "router.test", "00:00:0C:01:02:03", "Cisco Systems, Inc", "Dynamic"},
        {"10.0.0.3", "10.0.0.3", "AA:00:04:01:02:03", "DIGITAL EQUIPMENT CORPORATION", "Static"}};
    EXPECT_TRUE(QTest::qWaitFor([&] { return ListLines(*dialog->m_list) == expected; }, 10000));
    net->SetRows({FakeNetworkServices::Row("10.0.0.7", {0x02, 0, 0, 0, 0, 7}, 2)});
    ASSERT_TRUE(QTest::qWaitFor([&] { return dialog->m_list->rowCount() == 1; }, 10000));
    const int applied = passSpy->count(); // the pass that inserted the line is still running or just done
    ASSERT_TRUE(QTest::qWaitFor([&] { return passSpy->count() > applied; }, 10000));
    EXPECT_EQ(ListLines(*dialog->m_list),
              (Lines{{"10.0.0.7", "10.0.0.7", "02:00:00:00:00:07", "Locally administered", "Invalid"}}));
}

TEST_F(MainWindow, APassIsOneChangeThatKeepsTheSelectedAddressCellAndScroll)
{
    std::vector<MIB_IPNETROW> rows;
    for (int i = 1; i <= 300; ++i)
        rows.push_back(
            FakeNetworkServices::Row(("10.0.1." + std::to_string(i)).c_str(), {2, 0, 0, 0, 1, 1}, 3));
    net->rows = rows;
    period = std::chrono::milliseconds(20);
    auto dialog = MakeDialog();
    dialog->show();
    ASSERT_TRUE(WaitForPass(*dialog));
    CArpListCtrl& list = *dialog->m_list;
    ASSERT_EQ(list.rowCount(), 300);
    list.setCurrentCell(199, 2);
    list.verticalScrollBar()->setValue(120);
    int removed = 0;
    QObject::connect(list.model(), &QAbstractItemModel::rowsRemoved,
                     [&](const QModelIndex&, int first, int last) { removed += last - first + 1; });

    rows.erase(rows.begin()); // every line moves up by one
    net->SetRows(rows);
    ASSERT_TRUE(QTest::qWaitFor([&] { return list.rowCount() == 299; }, 10000));
    EXPECT_EQ(removed, 1) << "the list was emptied and refilled";
    EXPECT_EQ(list.GetItemText(list.currentRow(), 0), QStringLiteral("10.0.1.200"));
    EXPECT_EQ(list.currentColumn(), 2);
    EXPECT_EQ(list.selectionModel()->selectedRows().size(), 1);
    EXPECT_EQ(list.verticalScrollBar()->value(), 120);
}

TEST_F(MainWindow, TheUsersSortHoldsAcrossPassesAndCtrlCCopiesTheLine)
{
    net->rows = {FakeNetworkServices::Row("10.0.0.10", {0xAA, 0x00, 0x04, 1, 2, 3}, 4),
                 FakeNetworkServices::Row("10.0.0.9", {0x00, 0x00, 0x0C, 1, 2, 3}, 3),
                 FakeNetworkServices::Row("10.0.0.100", {0x02, 0, 0, 0, 0, 1}, 3)};
    period = std::chrono::milliseconds(20);
    auto dialog = MakeDialog();
    dialog->show();
    ASSERT_TRUE(WaitForPass(*dialog));
    CArpListCtrl& list = *dialog->m_list;
    const auto column = [&](int c) {
        QStringList texts;
        for (int r = 0; r < list.rowCount(); ++r)
            texts.push_back(list.GetItemText(r, c));
        return texts.join(QLatin1Char(' '));
    };
    EXPECT_EQ(column(0), QStringLiteral("10.0.0.10 10.0.0.9 10.0.0.100")); // the table's order until asked
    QHeaderView* header = list.horizontalHeader();
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                      QPoint(header->sectionViewportPosition(0) + 5, 5));
    EXPECT_EQ(column(0), QStringLiteral("10.0.0.9 10.0.0.10 10.0.0.100")); // as numbers
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                      QPoint(header->sectionViewportPosition(0) + 5, 5));
    EXPECT_EQ(column(0), QStringLiteral("10.0.0.100 10.0.0.10 10.0.0.9"));
    EXPECT_EQ(header->sortIndicatorOrder(), Qt::DescendingOrder);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                      QPoint(header->sectionViewportPosition(3) + 5, 5));
    EXPECT_EQ(column(3),
              QStringLiteral("Cisco Systems, Inc DIGITAL EQUIPMENT CORPORATION Locally administered"));

    // A new pass in the table's order comes out in the user's.
    net->SetRows({net->rows[2], net->rows[1], net->rows[0],
                  FakeNetworkServices::Row("10.0.0.1", {0x00, 0x00, 0x0C, 9, 9, 9}, 3)});
    ASSERT_TRUE(QTest::qWaitFor([&] { return list.rowCount() == 4; }, 10000));
    EXPECT_EQ(column(0), QStringLiteral("10.0.0.9 10.0.0.1 10.0.0.10 10.0.0.100"));
    const QString saved = CArpListCtrl::ListToText(&list);
    EXPECT_TRUE(saved.startsWith(QStringLiteral("10.0.0.9\t"))) << saved.toStdString();

    list.setCurrentCell(2, 4);
    QTest::keyClick(&list, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(
        QGuiApplication::clipboard()->text(),
        QStringLiteral("10.0.0.10\t10.0.0.10\tAA:00:04:01:02:03\tDIGITAL EQUIPMENT CORPORATION\tStatic\n"));
}

TEST_F(MainWindow, AChangedGatewayIsMarkedRedAcrossPassesAndToldThroughTheTray)
{
    period = std::chrono::milliseconds(20);
    auto dialog = MakeDialog();
    ASSERT_TRUE(WaitForPass(*dialog));
    CChangeTracker::Event event{CChangeTracker::Kind::GatewayChanged,
                                qv::InetAddr("10.0.0.1"),
                                {0x02, 0x66, 0, 0, 0, 1},
                                {0x00, 0x00, 0x0C, 1, 2, 3},
                                0,
                                CChangeTracker::Clock::now()};
    dialog->OnNeighbourEvent(event);
    ASSERT_EQ(tray->messages.size(), 1u);
    EXPECT_TRUE(tray->messages[0].contains(QStringLiteral("10.0.0.1")));
    EXPECT_TRUE(tray->messages[0].contains(QStringLiteral("00:00:0C:01:02:03（Cisco Systems, Inc）")));
    EXPECT_TRUE(tray->messages[0].contains(QStringLiteral("02:66:00:00:00:01（Locally administered）")));
    const int applied = passSpy->count();
    ASSERT_TRUE(QTest::qWaitFor([&] { return passSpy->count() > applied; }, 10000));
    CArpListCtrl& list = *dialog->m_list;
    EXPECT_TRUE(list.IsMarked(0));
    EXPECT_FALSE(list.IsMarked(1));
    EXPECT_EQ(list.item(0, 4)->background().color(), QColor(255, 138, 128));
    EXPECT_TRUE(list.item(0, 2)->toolTip().contains(QStringLiteral("00:00:0C:01:02:03")));
    EXPECT_EQ(list.item(1, 0)->background().style(), Qt::NoBrush);
    EXPECT_TRUE(dialog->m_labelLegend->isVisibleTo(dialog.get()));

    // The address that answers with the gateway's MAC is marked too.
    event.kind = CChangeTracker::Kind::Shared;
    event.other = qv::InetAddr("10.0.0.3");
    dialog->OnNeighbourEvent(event);
    EXPECT_TRUE(list.IsMarked(1));
    // Its popup clears a mark; with none left the legend goes.
    for (int row : {1, 0}) {
        list.setCurrentCell(row, 0);
        list.OnRclick(list.viewport()->mapToGlobal(QPoint(-10, -10)));
        QMenu* menu = nullptr;
        ASSERT_TRUE(QTest::qWaitFor([&] {
            for (QMenu* m : list.findChildren<QMenu*>())
                if (m->isVisible())
                    menu = m;
            return menu != nullptr;
        }));
        ASSERT_EQ(menu->actions().size(), 2);
        EXPECT_EQ(menu->actions()[1]->text(), QStringLiteral("清除标记"));
        menu->actions()[1]->trigger();
        menu->close();
        EXPECT_FALSE(list.IsMarked(row));
    }
    EXPECT_FALSE(dialog->m_labelLegend->isVisibleTo(dialog.get()));
}

TEST_F(MainWindow, EmptyOrFailingSnapshotsEmptyTheList)
{
    period = std::chrono::milliseconds(20);
    auto dialog = MakeDialog();
    ASSERT_TRUE(WaitForPass(*dialog));
    ASSERT_EQ(dialog->m_list->rowCount(), 2);
    net->failFill = true;
    ASSERT_TRUE(QTest::qWaitFor([&] { return dialog->m_list->rowCount() == 0; }, 10000));
    net->failFill = false;
    ASSERT_TRUE(QTest::qWaitFor([&] { return dialog->m_list->rowCount() == 2; }, 10000));
    net->SetRows({});
    ASSERT_TRUE(QTest::qWaitFor([&] { return dialog->m_list->rowCount() == 0; }, 10000));
}

TEST_F(MainWindow, ClosingDuringAPassEndsPromptlyEvenWithAStuckResolver)
{
    net->blockResolver = true;
    auto dialog = MakeDialog();
    dialog->show();
    ASSERT_TRUE(QTest::qWaitFor([&] { return net->lookups.load() > 0; }, 10000));
    // The window still answers while the worker waits on the resolver.
    QTest::keyClicks(dialog->m_editAdapterVendor, QStringLiteral("typed"));
    EXPECT_EQ(dialog->m_editAdapterVendor->text(), QStringLiteral("typed"));
    dialog->reject();
    dialog.reset();
    // Gone while the worker still waits inside its lookup.
    EXPECT_GT(net.use_count(), 1) << "the close waited on the resolver";
    net->ReleaseResolver();
    // The worker lets go of what it shared once its lookup returns.
    EXPECT_TRUE(QTest::qWaitFor([&] { return net.use_count() == 1; }, 10000));
}

TEST_F(MainWindow, ClosingWhileManyPassesRunDoesNotCrash)
{
    period = std::chrono::milliseconds(0);
    for (int i = 0; i < 300; ++i)
        net->rows.push_back(FakeNetworkServices::Row("10.0.1.1", {1, 2, 3, 4, 5, 6}, 3));
    for (int round = 0; round < 5; ++round) {
        auto dialog = MakeDialog();
        QTest::qWait(round * 3);
        dialog->reject();
    }
    SUCCEED();
}

TEST_F(MainWindow, AFilterShowsMatchingRowsAcrossPassesAndEscClearsIt)
{
    net->gatewayAddress = "10.0.0.1";
    period = std::chrono::milliseconds(200);
    auto dialog = MakeDialog();
    dialog->show();
    ASSERT_TRUE(WaitForPass(*dialog));
    // The first target worth asking is the gateway.
    EXPECT_STREQ(dialog->m_ipTarget->GetAddressText(), "10.0.0.1");
    QTest::keyClick(dialog->m_list, Qt::Key_F, Qt::ControlModifier);
    ASSERT_EQ(QApplication::focusWidget(), dialog->m_editFilter);
    QTest::keyClicks(dialog->m_editFilter, QStringLiteral("ROUTER"));
    const auto shown = [&] {
        QStringList ips;
        for (int row = 0; row < dialog->m_list->rowCount(); ++row)
            if (!dialog->m_list->isRowHidden(row))
                ips << dialog->m_list->GetItemText(row, 0);
        return ips.join(QLatin1Char(' '));
    };
    EXPECT_EQ(shown(), QStringLiteral("10.0.0.1"));
    EXPECT_TRUE(dialog->m_labelFilterCount->isVisibleTo(dialog.get()));
    EXPECT_EQ(dialog->m_labelFilterCount->text(), QStringLiteral("显示 1 / 2 行"));
    // The next pass keeps it, and a new row that matches shows.
    net->SetRows(
        {net->rows[0], net->rows[1], FakeNetworkServices::Row("10.0.0.9", {0, 0, 0x0C, 9, 9, 9}, 3)});
    net->SetName("10.0.0.9", "router2.test");
    EXPECT_TRUE(QTest::qWaitFor([&] { return shown() == QStringLiteral("10.0.0.1 10.0.0.9"); }, 10000))
        << shown().toStdString();
    QSignalSpy finished(dialog.get(), &QDialog::finished);
    QTest::keyClick(dialog->m_editFilter, Qt::Key_Escape);
    EXPECT_EQ(finished.count(), 0);
    EXPECT_EQ(dialog->m_editFilter->text(), QString());
    EXPECT_EQ(shown(), QStringLiteral("10.0.0.1 10.0.0.3 10.0.0.9"));
    EXPECT_FALSE(dialog->m_labelFilterCount->isVisibleTo(dialog.get()));
}

TEST_F(MainWindow, EnterOnTheButtonSendsAndElsewhereEndsTheDialogLikeOkAndEscLikeCancel)
{
    {
        auto dialog = MakeDialog();
        dialog->show();
        QSignalSpy finished(dialog.get(), &QDialog::finished);
        QSignalSpy answered(dialog.get(), &CMonitorDlg::ArpAnswered);
        dialog->m_btnSendArp->setFocus();
        QTest::keyClick(dialog->m_btnSendArp, Qt::Key_Return);
        ASSERT_TRUE(answered.wait(10000));
        EXPECT_EQ(finished.count(), 0) << "Enter on the button ended the program";
        EXPECT_EQ(net->arpCalls.load(), 1);
        net->arpCalls = 0;
    }
    // Enter that finishes an address sends, and the window stays.
    for (int field = 0; field < 2; ++field) {
        auto dialog = MakeDialog();
        dialog->show();
        QSignalSpy finished(dialog.get(), &QDialog::finished);
        QSignalSpy answered(dialog.get(), &CMonitorDlg::ArpAnswered);
        CColorIPAddressCtrl* address = field == 0 ? dialog->m_ipTarget : dialog->m_ipSource;
        address->Field(3)->setFocus();
        QTest::keyClick(address->Field(3), Qt::Key_Return);
        ASSERT_TRUE(answered.wait(10000)) << field;
        EXPECT_EQ(finished.count(), 0) << "Enter in an address field ended the program";
        EXPECT_EQ(net->arpCalls.load(), 1);
        net->arpCalls = 0;
    }
    for (int target = 0; target < 2; ++target) {
        auto dialog = MakeDialog();
        dialog->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog.get()));
        QWidget* focus[] = {dialog->m_list, dialog->m_editReturnedMac};
        focus[target]->setFocus();
        dialog->m_editReturnedMac->setText(QStringLiteral("kept"));
        QSignalSpy finished(dialog.get(), &QDialog::finished);
        QTest::keyClick(focus[target], Qt::Key_Return);
        ASSERT_EQ(finished.count(), 1) << target;
        EXPECT_EQ(dialog->result(), QDialog::Accepted);
        EXPECT_EQ(dialog->m_strReturnedMac, QStringLiteral("kept"));
        EXPECT_EQ(net->arpCalls.load(), 0) << "Enter must not send a request";
    }
    auto dialog = MakeDialog();
    dialog->show();
    QSignalSpy finished(dialog.get(), &QDialog::finished);
    QTest::keyClick(dialog->m_list, Qt::Key_Escape);
    ASSERT_EQ(finished.count(), 1);
    EXPECT_EQ(dialog->result(), QDialog::Rejected);
}

} // namespace
