#include "controls/CColorIPAddressCtrl.h"
#include "platform/LinuxNetworkServices.h"
#include "tests/platform/NetnsEnv.h"
#include "tests/ui/UiFixtures.h"
#include "ui/CArpListCtrl.h"
#include "ui/CMonitorDlg.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <fstream>
#include <iterator>
#include <string>

namespace {

// A name server that takes every query and never answers: a bound UDP
// socket on loopback that nobody reads.
class SilentResolver
{
public:
    SilentResolver()
    {
        m_fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(53);
        address.sin_addr.s_addr = htonl(0x7F000002); // 127.0.0.2
        m_bound = m_fd >= 0 && ::bind(m_fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    }
    ~SilentResolver() { Close(); }

    bool Bound() const { return m_bound; }
    bool HasQueries() const
    {
        int queued = 0;
        return m_fd >= 0 && ::ioctl(m_fd, FIONREAD, &queued) == 0 && queued > 0;
    }
    // Later queries are refused at once instead of timing out.
    void Close()
    {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = -1;
    }

private:
    int m_fd = -1;
    bool m_bound = false;
};

// "ip netns exec" mounts the test namespace's own resolver file here, so
// rewriting it touches nothing outside the fixture.
class ResolverFile
{
public:
    explicit ResolverFile(const std::string& text)
    {
        std::ifstream in(kPath);
        m_saved.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        Write(text);
    }
    ~ResolverFile() { Write(m_saved); }

private:
    static constexpr const char* kPath = "/etc/resolv.conf";
    std::string m_saved;
    static void Write(const std::string& text) { std::ofstream(kPath, std::ios::trunc) << text; }
};

TEST(SilentResolverNetns, APassWaitsOnTheResolverWhileTheWindowAnswersAndClosesAtOnce)
{
    QV_REQUIRE_NETNS();
    SilentResolver resolver;
    ASSERT_TRUE(resolver.Bound()) << "cannot bind 127.0.0.2:53";
    ResolverFile file("nameserver 127.0.0.2\n");

    auto net = std::make_shared<LinuxNetworkServices>();
    {
        MonitorServices services;
        services.net = net;
        services.makeTray = MakeNoTray;
        CMonitorDlg dialog(services);
        dialog.show();
        ASSERT_TRUE(QTest::qWaitFor([&] { return resolver.HasQueries(); }, 10000))
            << "the pass never asked the resolver";
        // The pass waits on the first name; nothing is listed yet.
        EXPECT_EQ(dialog.m_list->rowCount(), 0);

        // Meanwhile the window does what the user asks.
        dialog.m_ipTarget->SetAddress(0x0AD50102u); // 10.213.1.2, the live peer
        QTest::mouseClick(dialog.m_btnSendArp, Qt::LeftButton);
        EXPECT_EQ(dialog.m_editReturnedMac->text(), QStringLiteral("00:00:0C:AA:BB:02"));
        EXPECT_EQ(dialog.m_editAdapterVendor->text(), QStringLiteral("Cisco Systems, Inc"));

        dialog.reject();
    }
    // The window is gone while the worker still waits on its first name:
    // closing did not wait for the resolver.
    EXPECT_GT(net.use_count(), 1);
    resolver.Close();
    // The worker lets go of what it shared once its lookups give up.
    EXPECT_TRUE(QTest::qWaitFor([&] { return net.use_count() == 1; }, 60000));
}

} // namespace
