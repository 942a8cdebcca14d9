#include "controls/CColorIPAddressCtrl.h"
#include "platform/LinuxNetworkServices.h"
#include "tests/platform/NetnsEnv.h"
#include "tests/ui/UiFixtures.h"
#include "ui/CMonitorDlg.h"

#include <QLineEdit>
#include <QPushButton>
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
    QTest::mouseClick(dialog.m_btnSendArp, Qt::LeftButton);
    EXPECT_EQ(dialog.m_editReturnedMac->text(), QStringLiteral("00:00:0C:AA:BB:02"));
    EXPECT_EQ(dialog.m_editAdapterVendor->text(), QStringLiteral("Cisco Systems, Inc"));
    // Nobody answers for .95: both fields keep what they showed.
    dialog.m_ipTarget->SetAddress(0x0AD5015Fu);
    QTest::mouseClick(dialog.m_btnSendArp, Qt::LeftButton);
    EXPECT_EQ(dialog.m_editReturnedMac->text(), QStringLiteral("00:00:0C:AA:BB:02"));
    EXPECT_EQ(dialog.m_editAdapterVendor->text(), QStringLiteral("Cisco Systems, Inc"));
}

} // namespace
