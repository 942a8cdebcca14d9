#include "controls/CColorIPAddressCtrl.h"
#include "platform/linux/LinuxNetworkServices.h"
#include "tests/platform/NetnsEnv.h"
#include "tests/ui/UiFixtures.h"
#include "ui/CMonitorDlg.h"

#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

namespace {

TEST(ManualQueryNetns, SendArpShowsTheLivePeersMacAndVendor)
{
    QV_REQUIRE_NETNS();
    MonitorServices services;
    services.net = std::make_shared<LinuxNetworkServices>();
    services.makeTray = MakeNoTray;
    CMonitorDlg dialog(services);
    dialog.show();
    EXPECT_STREQ(dialog.m_ipSource->GetAddressText(), "10.213.1.1");
    dialog.m_ipTarget->SetAddress(0x0AD50102u); // 10.213.1.2
    QTest::keyClicks(dialog.m_editReturnedMac, QStringLiteral("typed"));
    QSignalSpy answered(&dialog, &CMonitorDlg::ArpAnswered);
    QTest::mouseClick(dialog.m_btnSendArp, Qt::LeftButton);
    // The window answers while the request waits on the network.
    QTest::keyClicks(dialog.m_editAdapterVendor, QStringLiteral("x"));
    EXPECT_EQ(dialog.m_editAdapterVendor->text(), QStringLiteral("x"));
    ASSERT_TRUE(answered.wait(10000));
    EXPECT_EQ(dialog.m_editReturnedMac->text(), QStringLiteral("00:00:0C:AA:BB:02"));
    EXPECT_EQ(dialog.m_editAdapterVendor->text(), QStringLiteral("Cisco Systems, Inc"));
    // Nobody answers for .95: both fields empty, the reason in grey.
    dialog.m_ipTarget->SetAddress(0x0AD5015Fu);
    QTest::mouseClick(dialog.m_btnSendArp, Qt::LeftButton);
    ASSERT_TRUE(answered.wait(10000));
    EXPECT_TRUE(dialog.m_editReturnedMac->text().isEmpty());
    EXPECT_TRUE(dialog.m_editAdapterVendor->text().isEmpty());
    EXPECT_EQ(dialog.m_editReturnedMac->placeholderText(), QStringLiteral("无应答"));
    // Closing during a query does not wait for it.
    QTest::mouseClick(dialog.m_btnSendArp, Qt::LeftButton);
    dialog.reject();
}

} // namespace
