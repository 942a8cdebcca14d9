#include "arp/CNeighbourWatcher.h"
#include "platform/AddressText.h"
#include "tests/TestSupport.h"
#include "tests/platform/NetnsEnv.h"
#include "vendor/OuiKey.h"

#include <gtest/gtest.h>

#include <map>
#include <mutex>
#include <thread>

#include <sys/eventfd.h>
#include <unistd.h>

namespace {

using qv::test::Shell;
using Kind = CChangeTracker::Kind;

// A watcher on its own thread, as the window runs it; events kept in order.
class Watching
{
public:
    explicit Watching(CNeighbourWatcher::Options options = {})
    {
        options.ready = [this] {
            std::lock_guard<std::mutex> guard(m_lock);
            m_ready = true;
        };
        m_watcher = std::make_unique<CNeighbourWatcher>(std::move(options));
        m_thread = std::thread([this] {
            m_watcher->Run(m_stop, [this](const CChangeTracker::Event& event) {
                std::lock_guard<std::mutex> guard(m_lock);
                m_events.push_back(event);
            });
        });
        EXPECT_TRUE(qv::test::WaitUntil([&] {
            std::lock_guard<std::mutex> guard(m_lock);
            return m_ready;
        }));
    }
    ~Watching()
    {
        const std::uint64_t one = 1;
        EXPECT_EQ(::write(m_stop, &one, sizeof one), static_cast<ssize_t>(sizeof one));
        m_thread.join();
        ::close(m_stop);
    }
    std::vector<CChangeTracker::Event> Events()
    {
        std::lock_guard<std::mutex> guard(m_lock);
        return m_events;
    }
    // Waits until an event of kind for ip has come.
    bool WaitFor(Kind kind, const char* ip)
    {
        qv::IpAddress addr;
        EXPECT_TRUE(qv::IpAddress::Parse(ip, addr)) << ip;
        return qv::test::WaitUntil([&] {
            for (const auto& event : Events())
                if (event.kind == kind && event.addr == addr)
                    return true;
            return false;
        });
    }
    CNeighbourWatcher& Watcher() { return *m_watcher; }

private:
    int m_stop = ::eventfd(0, EFD_CLOEXEC);
    std::unique_ptr<CNeighbourWatcher> m_watcher;
    std::thread m_thread;
    std::mutex m_lock;
    bool m_ready = false;
    std::vector<CChangeTracker::Event> m_events;
};

std::string Mac(const CChangeTracker::Mac& mac)
{
    return qv::MakeMacText(mac.data());
}

TEST(NeighbourWatch, ReplacedAddressesGiveNewChangedAndFlipFlopButTheBaselineNothing)
{
    QV_REQUIRE_NETNS();
    Watching watch;
    const auto replace = [](const char* mac) {
        Shell(std::string("ip neigh replace 10.213.1.61 lladdr ") + mac + " nud permanent dev h0");
    };
    replace("02:00:00:00:61:01");
    replace("02:00:00:00:61:02");
    replace("02:00:00:00:61:01");
    Shell("ip neigh replace 10.213.1.61 dev h0 nud failed"); // no address: no event
    ASSERT_TRUE(watch.WaitFor(Kind::FlipFlop, "10.213.1.61"));
    Shell("ip neigh del 10.213.1.61 dev h0");
    const auto events = watch.Events();
    ASSERT_EQ(events.size(), 3u) << "the baseline, an address-less entry or a deletion gave an event";
    EXPECT_EQ(events[0].kind, Kind::New);
    EXPECT_EQ(Mac(events[0].mac), "02:00:00:00:61:01");
    EXPECT_EQ(events[1].kind, Kind::Changed);
    EXPECT_EQ(Mac(events[1].oldMac), "02:00:00:00:61:01");
    EXPECT_EQ(events[2].kind, Kind::FlipFlop);
    EXPECT_EQ(Mac(events[2].mac), "02:00:00:00:61:01");
    EXPECT_EQ(Mac(events[2].oldMac), "02:00:00:00:61:02");
}

TEST(NeighbourWatch, ForgedRepliesForTheGatewayGiveGatewayChangedAndShared)
{
    QV_REQUIRE_NETNS();
    // The kernel takes gratuitous replies, which is how a spoof reaches the cache.
    Shell("sysctl -qw net.ipv4.conf.h0.arp_accept=1");
    Watching watch;
    ASSERT_EQ(watch.Watcher().Tracker().Gateway(), qv::InetAddr("10.213.1.2"));
    const std::string forge =
        "ip netns exec " + qv::test::Env("QV_PEER_NETNS") + " " QV_ARP_FORGE_BIN " --claim p0 ";
    Shell(forge + "10.213.1.3 02:66:00:00:00:99 3");
    Shell(forge + "10.213.1.2 02:66:00:00:00:99 15");
    EXPECT_TRUE(watch.WaitFor(Kind::GatewayChanged, "10.213.1.2"));
    ASSERT_TRUE(watch.WaitFor(Kind::Shared, "10.213.1.2"));
    for (const auto& event : watch.Events())
        if (event.kind == Kind::Shared) {
            EXPECT_EQ(event.other, qv::InetAddr("10.213.1.3"));
            EXPECT_EQ(Mac(event.mac), "02:66:00:00:00:99");
        }
    Shell("sysctl -qw net.ipv4.conf.h0.arp_accept=0");
    Shell("ip neigh del 10.213.1.3 dev h0; ip neigh replace 10.213.1.2 lladdr 00:00:0c:aa:bb:02 nud "
          "reachable dev h0");
}

TEST(NeighbourWatch, TheIpv6RoutersAreGatewaysAndNoIpv6AddressIsShared)
{
    QV_REQUIRE_NETNS();
    Shell("ip addr add fd99:1::1/64 dev h0 nodad && ip -6 route add default via fd99:1::2 dev h0");
    const auto replace = [](const char* ip, const char* mac, const char* flags = "") {
        Shell(std::string("ip -6 neigh replace ") + ip + " lladdr " + mac + " " + flags +
              " nud permanent dev h0");
    };
    replace("fd99:1::2", "00:00:0c:aa:bb:02");
    replace("fe80::99", "02:00:00:00:99:01", "router");
    Watching watch;
    // The router's MAC on another address of its own, in either family, is no sign.
    replace("fd99:1::3", "00:00:0c:aa:bb:02");
    replace("fd99:1::2", "02:66:00:00:00:99");
    replace("fe80::99", "02:00:00:00:99:02", "router");
    replace("fe80::98", "02:00:00:00:98:01");
    replace("fe80::98", "02:00:00:00:98:02");
    ASSERT_TRUE(watch.WaitFor(Kind::Changed, "fe80::98%h0"));
    EXPECT_TRUE(watch.WaitFor(Kind::GatewayChanged, "fd99:1::2"));
    EXPECT_TRUE(watch.WaitFor(Kind::GatewayChanged, "fe80::99%h0"));
    for (const auto& event : watch.Events())
        EXPECT_NE(event.kind, Kind::Shared) << event.addr.Text() << " " << event.other.Text();
}

TEST(NeighbourWatch, ABurstOfTenThousandChangesLosesNoneThroughTheResync)
{
    QV_REQUIRE_NETNS();
    const auto batch = [](const char* last) {
        Shell(
            std::string("awk 'BEGIN { for (i = 0; i < 10000; i++) printf \"neigh replace 10.213.%d.%d lladdr "
                        "02:00:00:%02x:%02x:") +
            last +
            " nud permanent dev h0\\n\", 120 + int(i / 250), 1 + i % 250, int(i / 256), i % 256 }' | ip "
            "-batch -");
    };
    batch("01");
    CNeighbourWatcher::Options options;
    options.receiveBuffer = 4096; // announcements overrun it
    Watching watch(options);
    batch("02");
    std::map<std::uint32_t, std::string> last;
    ASSERT_TRUE(qv::test::WaitUntil([&] {
        last.clear();
        for (const auto& event : watch.Events())
            if (!event.addr.IsV6())
                last[event.addr.V4()] = Mac(event.mac);
        return last.size() >= 10000;
    })) << last.size()
        << " of 10000 changes seen";
    EXPECT_GT(watch.Watcher().Resyncs(), 0) << "the burst never overran the socket";
    for (const auto& [addr, mac] : last)
        ASSERT_EQ(mac.substr(15), "02") << qv::InetNtoa(addr);
    Shell("ip neigh flush dev h0 nud permanent to 10.213.112.0/20");
}

} // namespace
