#include "controls/CColorIPAddressCtrl.h"
#include "platform/linux/LinuxNetworkServices.h"
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

// Permanent neighbours on the host side, removed again at the end.
class ManyNeighbours
{
public:
    explicit ManyNeighbours(int count) : m_count(count)
    {
        Run("add", "lladdr 02:00:00:00:00:01 nud permanent");
    }
    ~ManyNeighbours() { Run("del", ""); }
    int Count() const { return m_count; }

private:
    void Run(const char* verb, const char* tail)
    {
        std::string batch;
        for (int i = 0; i < m_count; ++i)
            batch += std::string("neigh ") + verb + " 10.213.1." + std::to_string(100 + i) + " " + tail +
                     " dev h0\n";
        qv::test::Shell("printf '" + batch + "' | ip -batch -");
    }
    int m_count;
};

int ListedIps(CArpListCtrl& list, bool namedOnly)
{
    int n = 0;
    for (int r = 0; r < list.rowCount(); ++r)
        n += !namedOnly || list.GetItemText(r, 1) != list.GetItemText(r, 0);
    return n;
}

TEST(SilentResolverNetns, APassListsEveryRowAtOnceWhileNamesWaitAndTheWindowClosesAtOnce)
{
    QV_REQUIRE_NETNS();
    SilentResolver resolver;
    ASSERT_TRUE(resolver.Bound()) << "cannot bind 127.0.0.2:53";
    ResolverFile file("nameserver 127.0.0.2\n");
    ManyNeighbours neighbours(150);
    const int rows = neighbours.Count();

    auto net = std::make_shared<LinuxNetworkServices>();
    {
        MonitorServices services;
        services.net = net;
        services.makeTray = MakeNoTray;
        CMonitorDlg dialog(services);
        dialog.show();
        // Each silent name would hold a one-by-one pass for 10 s.
        ASSERT_TRUE(QTest::qWaitFor([&] { return dialog.m_list->rowCount() >= rows; }, 5000));
        ASSERT_TRUE(QTest::qWaitFor([&] { return resolver.HasQueries(); }, 10000))
            << "the pass never asked the resolver";
        EXPECT_EQ(ListedIps(*dialog.m_list, true), 0) << "a name came from a server that never answers";

        // Meanwhile the window does what the user asks.
        QTest::keyClicks(dialog.m_editAdapterVendor, QStringLiteral("typed"));
        EXPECT_EQ(dialog.m_editAdapterVendor->text(), QStringLiteral("typed"));
        dialog.reject();
    }
    // The window is gone while its lookups still wait: closing did not wait.
    EXPECT_GT(net.use_count(), 1);
    resolver.Close();
    // The pool lets go of what it shared once its lookups give up.
    EXPECT_TRUE(QTest::qWaitFor([&] { return net.use_count() == 1; }, 60000));
}

TEST(ReverseNamesNetns, NamesFromARealServerReplaceTheIpTexts)
{
    QV_REQUIRE_NETNS();
    MonitorServices services;
    services.net = std::make_shared<LinuxNetworkServices>();
    services.makeTray = MakeNoTray;
    CMonitorDlg dialog(services);
    const auto nameOf = [&](const QString& ip) {
        for (int r = 0; r < dialog.m_list->rowCount(); ++r)
            if (dialog.m_list->GetItemText(r, 0) == ip)
                return dialog.m_list->GetItemText(r, 1);
        return QString();
    };
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return nameOf(QStringLiteral("10.213.1.2")) == "peer.quorvane.test"; }, 10000))
        << nameOf(QStringLiteral("10.213.1.2")).toStdString();
    // Each answer comes on its own: the other name may follow.
    const QString longName = QString::fromStdString(qv::test::Env("QV_NAME49"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return nameOf(QStringLiteral("10.213.1.50")) == longName; }, 10000))
        << nameOf(QStringLiteral("10.213.1.50")).toStdString();
}

} // namespace
