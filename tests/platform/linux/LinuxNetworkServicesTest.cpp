#include "platform/AddressText.h"
#include "platform/linux/LinuxNetworkServices.h"
#include "tests/platform/NetnsEnv.h"

#include <gtest/gtest.h>

#include <map>

#include <arpa/inet.h>
#include <vector>

namespace {

using qv::test::Shell;

std::vector<MIB_IPNETROW> Snapshot(INetworkServices& net)
{
    std::uint32_t size = 0;
    net.GetIpNetTable(nullptr, &size, false);
    if (size == 0)
        return {};
    std::vector<std::uint8_t> block(size);
    auto* table = reinterpret_cast<MIB_IPNETTABLE*>(block.data());
    if (net.GetIpNetTable(table, &size, false) != NO_ERROR_CODE)
        return {};
    return {table->table, table->table + table->dwNumEntries};
}

std::string Mac(const std::uint8_t* b)
{
    char text[18];
    std::snprintf(text, sizeof text, "%02X:%02X:%02X:%02X:%02X:%02X", b[0], b[1], b[2], b[3], b[4], b[5]);
    return text;
}

TEST(KernelTable, SnapshotHoldsWhatTheFixtureMadeWithTheirTypes)
{
    QV_REQUIRE_NETNS();
    LinuxNetworkServices net;
    std::map<std::string, MIB_IPNETROW> byIp;
    for (const MIB_IPNETROW& row : Snapshot(net)) {
        const std::string ip = qv::InetNtoa(row.dwAddr);
        EXPECT_NE(ip, "0.0.0.0");
        EXPECT_NE(row.dwIndex, 1u) << "loopback row " << ip;
        byIp[ip] = row;
    }
    ASSERT_TRUE(byIp.count("10.213.1.2"));
    EXPECT_EQ(Mac(byIp["10.213.1.2"].bPhysAddr), "00:00:0C:AA:BB:02");
    EXPECT_EQ(byIp["10.213.1.2"].dwType, 3u);
    EXPECT_EQ(byIp["10.213.1.2"].dwPhysAddrLen, 6u);
    EXPECT_EQ(byIp["10.213.1.50"].dwType, 4u);
    EXPECT_EQ(Mac(byIp["10.213.1.50"].bPhysAddr), "00:00:0C:12:34:56");
    EXPECT_EQ(byIp["10.213.1.51"].dwType, 3u);
    EXPECT_EQ(byIp["10.213.1.52"].dwType, 1u);
    ASSERT_TRUE(byIp.count("10.213.1.99"));
    EXPECT_EQ(byIp["10.213.1.99"].dwType, 2u);
    EXPECT_EQ(byIp["10.213.1.99"].dwPhysAddrLen, 0u);
    EXPECT_EQ(Mac(byIp["10.213.1.99"].bPhysAddr), "00:00:00:00:00:00");
}

TEST(KernelTable, AFillIntoABlockThatBecameTooSmallFails)
{
    QV_REQUIRE_NETNS();
    LinuxNetworkServices net;
    std::uint32_t size = 0;
    net.GetIpNetTable(nullptr, &size, false);
    ASSERT_GT(size, 0u);
    ASSERT_EQ(Shell("ip neigh add 10.213.1.60 lladdr 02:00:00:00:00:60 nud permanent dev h0"), 0);
    std::vector<std::uint8_t> block(size);
    std::uint32_t fill = size;
    EXPECT_EQ(net.GetIpNetTable(reinterpret_cast<MIB_IPNETTABLE*>(block.data()), &fill, false),
              ERROR_INSUFFICIENT_BUFFER_CODE);
    EXPECT_EQ(fill, size + sizeof(MIB_IPNETROW));
    Shell("ip neigh del 10.213.1.60 dev h0");
}

TEST(KernelTable, FiveThousandEntriesAreAllListed)
{
    QV_REQUIRE_NETNS();
    ASSERT_EQ(
        Shell("for i in $(seq 0 4999); do echo \"neigh add 10.213.$((100 + i / 250)).$((1 + i % 250)) "
              "lladdr 02:00:00:00:$(printf %02x $((i / 256))):$(printf %02x $((i % 256))) nud permanent dev "
              "h0\"; done | ip -batch -"),
        0);
    LinuxNetworkServices net;
    int added = 0;
    for (const MIB_IPNETROW& row : Snapshot(net))
        added += (ntohl(row.dwAddr) >> 16) == 0x0AD5 && ((ntohl(row.dwAddr) >> 8) & 0xFF) >= 100;
    EXPECT_EQ(added, 5000);
    Shell("ip neigh flush dev h0 nud permanent to 10.213.96.0/19");
}

TEST(KernelArp, LivePeerAnswersWithItsMac)
{
    QV_REQUIRE_NETNS();
    LinuxNetworkServices net;
    for (const char* source : {"10.213.1.1", "0.0.0.0"}) {
        std::uint8_t mac[8] = {};
        std::uint32_t length = 6;
        ASSERT_EQ(net.SendARP(qv::InetAddr("10.213.1.2"), qv::InetAddr(source), mac, &length), NO_ERROR_CODE)
            << source;
        EXPECT_EQ(Mac(mac), "00:00:0C:AA:BB:02");
        EXPECT_EQ(mac[6], 0);
    }
}

TEST(KernelArp, RefusesWhatWouldNotReachTheTargetItself)
{
    QV_REQUIRE_NETNS();
    LinuxNetworkServices net;
    std::uint8_t mac[8] = {};
    std::uint32_t length = 6;
    const auto send = [&](const char* target, const char* source) {
        return net.SendARP(qv::InetAddr(target), qv::InetAddr(source), mac, &length);
    };
    EXPECT_EQ(send("10.213.1.2", "10.213.1.77"), ERROR_NOT_FOUND_CODE);          // not our address
    EXPECT_EQ(send("10.213.3.2", "10.213.2.1"), ERROR_NETWORK_UNREACHABLE_CODE); // behind the router
    EXPECT_EQ(send("10.213.2.2", "10.213.1.1"), ERROR_NETWORK_UNREACHABLE_CODE); // other interface
    EXPECT_EQ(send("0.0.0.0", "10.213.1.1"), ERROR_INVALID_PARAMETER_CODE);
    EXPECT_EQ(send("10.213.1.98", "10.213.1.1"), ERROR_BAD_NET_NAME_CODE); // nobody answers
    std::uint32_t tooShort = 4;
    EXPECT_EQ(net.SendARP(qv::InetAddr("10.213.1.2"), 0, mac, &tooShort), ERROR_INVALID_USER_BUFFER_CODE);
    for (std::uint8_t b : mac)
        EXPECT_EQ(b, 0);
}

TEST(KernelArp, ForgedRepliesAreIgnoredAndAnAbsentTargetStillHasNone)
{
    QV_REQUIRE_NETNS();
    std::string hostMac;
    ASSERT_EQ(Shell("cat /sys/class/net/h0/address", &hostMac), 0);
    hostMac.erase(hostMac.find_last_not_of('\n') + 1);
    // Gratuitous, to another station, about another target, from another host, another hardware type.
    ASSERT_EQ(Shell("ip netns exec " + qv::test::Env("QV_PEER_NETNS") + " " QV_ARP_FORGE_BIN " p0 " +
                    hostMac + " 10.213.1.94 10.213.1.1 4 >/dev/null 2>&1 &"),
              0);
    LinuxNetworkServices net(std::chrono::milliseconds(2000), "");
    std::uint8_t mac[8] = {};
    std::uint32_t length = 6;
    EXPECT_EQ(net.SendARP(qv::InetAddr("10.213.1.94"), qv::InetAddr("10.213.1.1"), mac, &length),
              ERROR_BAD_NET_NAME_CODE)
        << "took " << Mac(mac);
}

TEST(KernelNames, ReverseNamesComeWholeFromTheResolver)
{
    QV_REQUIRE_NETNS();
    LinuxNetworkServices net;
    const std::pair<const char*, std::string> expected[] = {{"10.213.1.2", "peer.quorvane.test"},
                                                            {"10.213.1.50", qv::test::Env("QV_NAME49")},
                                                            {"10.213.1.51", qv::test::Env("QV_NAME200")},
                                                            {"10.213.1.52", qv::test::Env("QV_NAME253")}};
    for (const auto& [ip, name] : expected) {
        std::string got;
        ASSERT_TRUE(net.GetHostByAddr(qv::InetAddr(ip), got)) << ip;
        EXPECT_EQ(got, name);
    }
    EXPECT_EQ(qv::test::Env("QV_NAME253").size(), 253u);
    std::string none = "kept";
    EXPECT_FALSE(net.GetHostByAddr(qv::InetAddr("10.213.1.53"), none));
    EXPECT_EQ(none, "kept");
}

TEST(KernelLocalAddress, IsTheDefaultRoutesSource)
{
    QV_REQUIRE_NETNS();
    LinuxNetworkServices net;
    EXPECT_EQ(net.GetLocalAddress(), "10.213.1.1");
    ASSERT_EQ(Shell("ip route del default"), 0);
    EXPECT_EQ(net.GetLocalAddress(), "10.213.1.1"); // first address of an interface that is up
    Shell("ip route add default via 10.213.1.2 src 10.213.1.1");
}

} // namespace
