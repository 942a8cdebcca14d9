#include "controls/CColorIPAddressCtrl.h"
#include "tests/ui/UiFixtures.h"

#include <QLineEdit>
#include <QPushButton>

namespace {

using ManualQuery = DialogFixture;

TEST_F(ManualQuery, FieldsStartAtTheLocalAddressAndTheDefaultTarget)
{
    net->localAddress = "10.213.1.1";
    auto dialog = MakeDialog();
    EXPECT_STREQ(dialog->m_ipSource->GetAddressText(), "10.213.1.1");
    EXPECT_STREQ(dialog->m_ipTarget->GetAddressText(), "192.168.0.1");
    EXPECT_TRUE(dialog->m_editReturnedMac->text().isEmpty());
    EXPECT_TRUE(dialog->m_editAdapterVendor->text().isEmpty());
}

TEST_F(ManualQuery, SuccessShowsMacAndVendorOverTypedText)
{
    net->arpReplies[qv::InetAddr("192.168.0.1")] = {0x00, 0x00, 0x0C, 0x0A, 0x0B, 0x0C};
    net->arpReplies[qv::InetAddr("192.168.0.2")] = {0x02, 0x11, 0x22, 0x33, 0x44, 0x55};
    auto dialog = MakeDialog();
    dialog->show();
    ASSERT_TRUE(WaitForPass(*dialog));
    const int lookupsBefore = net->lookups.load();
    QSignalSpy answered(dialog.get(), &CMonitorDlg::ArpAnswered);
    QTest::keyClicks(dialog->m_editReturnedMac, QStringLiteral("typed"));
    QTest::mouseClick(dialog->m_btnSendArp, Qt::LeftButton);
    EXPECT_FALSE(dialog->m_btnSendArp->isEnabled()) << "a second query could start while one runs";
    ASSERT_TRUE(answered.wait(10000));
    EXPECT_TRUE(dialog->m_btnSendArp->isEnabled());
    EXPECT_EQ(dialog->m_editReturnedMac->text(), QStringLiteral("00:00:0C:0A:0B:0C"));
    EXPECT_EQ(dialog->m_editAdapterVendor->text(), QStringLiteral("Cisco Systems, Inc"));
    EXPECT_EQ(net->lastArpDest, qv::InetAddr("192.168.0.1"));
    EXPECT_EQ(net->lastArpSrc, qv::InetAddr("10.0.0.2"));
    dialog->m_ipTarget->SetAddress(0xC0A80002u);
    QTest::mouseClick(dialog->m_btnSendArp, Qt::LeftButton);
    ASSERT_TRUE(answered.wait(10000));
    EXPECT_EQ(dialog->m_editReturnedMac->text(), QStringLiteral("02:11:22:33:44:55"));
    EXPECT_EQ(dialog->m_editAdapterVendor->text(), QStringLiteral("Locally administered"));
    EXPECT_EQ(net->lookups.load(), lookupsBefore); // the query makes no reverse lookup
}

TEST_F(ManualQuery, FailureClearsBothFieldsAndSaysWhyInThePlaceholder)
{
    net->arpReplies[qv::InetAddr("192.168.0.1")] = {0x00, 0x00, 0x0C, 0x0A, 0x0B, 0x0C};
    auto dialog = MakeDialog();
    dialog->show();
    QSignalSpy answered(dialog.get(), &CMonitorDlg::ArpAnswered);
    QTest::mouseClick(dialog->m_btnSendArp, Qt::LeftButton);
    ASSERT_TRUE(answered.wait(10000));
    // An answer for the old target must not pass for the new one's.
    dialog->m_ipTarget->SetAddress(0xC0A80009u);
    QTest::keyClicks(dialog->m_editAdapterVendor, QStringLiteral(" typed"));
    QTest::mouseClick(dialog->m_btnSendArp, Qt::LeftButton);
    ASSERT_TRUE(answered.wait(10000));
    EXPECT_TRUE(dialog->m_editReturnedMac->text().isEmpty());
    EXPECT_TRUE(dialog->m_editAdapterVendor->text().isEmpty());
    EXPECT_EQ(dialog->m_editReturnedMac->placeholderText(), QStringLiteral("无应答"));
    EXPECT_EQ(net->arpCalls.load(), 2);
}

TEST_F(ManualQuery, BlankFieldsAreSentAsZero)
{
    auto dialog = MakeDialog();
    for (int i = 0; i < 4; ++i) {
        dialog->m_ipTarget->Field(i)->clear();
        dialog->m_ipSource->Field(i)->clear();
    }
    QSignalSpy answered(dialog.get(), &CMonitorDlg::ArpAnswered);
    dialog->OnSendArp();
    ASSERT_TRUE(answered.wait(10000));
    EXPECT_EQ(net->lastArpDest, 0u);
    EXPECT_EQ(net->lastArpSrc, 0u);
}

} // namespace
