#include "platform/AddressText.h"
#include "platform/linux/NeighMessage.h"
#include "platform/linux/Netlink.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include <arpa/inet.h>
#include <linux/neighbour.h>
#include <linux/netlink.h>
#include <linux/rtnetlink.h>
#include <sys/socket.h>

namespace {

// Builds one RTM_NEWNEIGH message the way the kernel lays it out.
struct Message
{
    std::vector<std::uint8_t> bytes;

    explicit Message(std::uint8_t family = AF_INET, std::uint16_t state = NUD_REACHABLE, int ifindex = 3,
                     std::uint16_t type = RTM_NEWNEIGH)
    {
        bytes.resize(NLMSG_HDRLEN + NLMSG_ALIGN(sizeof(ndmsg)));
        ndmsg neigh{};
        neigh.ndm_family = family;
        neigh.ndm_state = state;
        neigh.ndm_ifindex = ifindex;
        std::memcpy(bytes.data() + NLMSG_HDRLEN, &neigh, sizeof neigh);
        Header().nlmsg_type = type;
        Fix();
    }
    nlmsghdr& Header() { return *reinterpret_cast<nlmsghdr*>(bytes.data()); }
    void Fix() { Header().nlmsg_len = static_cast<std::uint32_t>(bytes.size()); }
    Message& Attr(std::uint16_t type, const std::vector<std::uint8_t>& payload)
    {
        rtattr attr{};
        attr.rta_type = type;
        attr.rta_len = static_cast<unsigned short>(RTA_LENGTH(payload.size()));
        const std::size_t at = bytes.size();
        bytes.resize(at + RTA_SPACE(payload.size()));
        std::memcpy(bytes.data() + at, &attr, sizeof attr);
        std::memcpy(bytes.data() + at + RTA_LENGTH(0), payload.data(), payload.size());
        Fix();
        return *this;
    }
    Message& Dst(const char* ip)
    {
        const std::uint32_t a = qv::InetAddr(ip);
        return Attr(NDA_DST, {reinterpret_cast<const std::uint8_t*>(&a),
                              reinterpret_cast<const std::uint8_t*>(&a) + 4});
    }
    qv::NeighParse Parse(MIB_IPNETROW& row) const
    {
        return qv::ParseNeighMessage(bytes.data(), bytes.size(), row);
    }
};

TEST(NeighMessage, ReadsAddressLinkAddressAndType)
{
    MIB_IPNETROW row;
    Message m(AF_INET, NUD_STALE, 7);
    m.Dst("10.213.1.2").Attr(NDA_LLADDR, {0x02, 0x00, 0x0a, 0xd5, 0x01, 0x02}).Attr(NDA_PROBES, {1, 0, 0, 0});
    ASSERT_EQ(m.Parse(row), qv::NeighParse::Row);
    EXPECT_EQ(qv::InetNtoa(row.dwAddr), "10.213.1.2");
    EXPECT_EQ(row.dwIndex, 7u);
    EXPECT_EQ(row.dwPhysAddrLen, 6u);
    EXPECT_EQ(row.bPhysAddr[5], 0x02);
    EXPECT_EQ(row.bPhysAddr[6], 0);
    EXPECT_EQ(row.dwType, 3u);
}

TEST(NeighMessage, StatesMapToTheFourTypeNumbers)
{
    const std::pair<std::uint16_t, std::uint32_t> cases[] = {
        {NUD_PERMANENT, 4},  {NUD_REACHABLE, 3}, {NUD_STALE, 3}, {NUD_DELAY, 3}, {NUD_PROBE, 3},
        {NUD_INCOMPLETE, 2}, {NUD_FAILED, 2},    {NUD_NOARP, 1}, {NUD_NONE, 1},  {0x4000, 1},
    };
    for (const auto& [state, type] : cases)
        EXPECT_EQ(qv::NeighStateToType(state), type) << state;
}

TEST(NeighMessage, OddLinkAddressesLeaveZeroBytesAndTheirRealLength)
{
    MIB_IPNETROW row;
    Message longAddr;
    longAddr.Dst("10.0.0.1").Attr(NDA_LLADDR, std::vector<std::uint8_t>(20, 0xAB));
    ASSERT_EQ(longAddr.Parse(row), qv::NeighParse::Row);
    EXPECT_EQ(row.dwPhysAddrLen, 20u);
    for (std::uint8_t b : row.bPhysAddr)
        EXPECT_EQ(b, 0);

    Message none(AF_INET, NUD_FAILED);
    none.Dst("10.0.0.9");
    ASSERT_EQ(none.Parse(row), qv::NeighParse::Row);
    EXPECT_EQ(row.dwPhysAddrLen, 0u);
    EXPECT_EQ(row.dwType, 2u);
}

TEST(NeighMessage, SkipsWhatIsNotAnIpv4Entry)
{
    MIB_IPNETROW row;
    Message v6(AF_INET6);
    EXPECT_EQ(v6.Parse(row), qv::NeighParse::Skip);
    Message noDst;
    noDst.Attr(NDA_LLADDR, {1, 2, 3, 4, 5, 6});
    EXPECT_EQ(noDst.Parse(row), qv::NeighParse::Skip);
    Message zero;
    zero.Dst("0.0.0.0");
    EXPECT_EQ(zero.Parse(row), qv::NeighParse::Skip);
    Message other(AF_INET, NUD_REACHABLE, 3, RTM_NEWROUTE);
    other.Dst("10.0.0.1");
    EXPECT_EQ(other.Parse(row), qv::NeighParse::Skip);
}

TEST(NeighMessage, TruncatedOrInconsistentMessagesAreMalformed)
{
    MIB_IPNETROW row;
    Message good;
    good.Dst("10.0.0.1").Attr(NDA_LLADDR, {1, 2, 3, 4, 5, 6});
    // Every cut of a good message is refused without reading past the cut.
    for (std::size_t cut = 0; cut < good.bytes.size(); ++cut) {
        std::vector<std::uint8_t> part(good.bytes.begin(), good.bytes.begin() + cut);
        EXPECT_EQ(qv::ParseNeighMessage(part.data(), part.size(), row), qv::NeighParse::Malformed) << cut;
    }
    Message badAttr = good;
    // An attribute that claims more than the message holds.
    reinterpret_cast<rtattr*>(badAttr.bytes.data() + NLMSG_HDRLEN + NLMSG_ALIGN(sizeof(ndmsg)))->rta_len =
        200;
    EXPECT_EQ(badAttr.Parse(row), qv::NeighParse::Malformed);
    Message lastAttr = good;
    // The last attribute, the link address, running past the message's end.
    reinterpret_cast<rtattr*>(lastAttr.bytes.data() + lastAttr.bytes.size() - RTA_SPACE(6))->rta_len =
        RTA_LENGTH(10);
    EXPECT_EQ(lastAttr.Parse(row), qv::NeighParse::Malformed);
    Message shortDst;
    shortDst.Attr(NDA_DST, {10, 0, 0});
    EXPECT_EQ(shortDst.Parse(row), qv::NeighParse::Malformed);
    EXPECT_EQ(qv::ParseNeighMessage(nullptr, 0, row), qv::NeighParse::Malformed);
}

TEST(NetlinkBuffer, WalksMessagesUntilDoneAndNotesInterruptedDumps)
{
    Message a, b;
    a.Dst("10.0.0.1");
    b.Dst("10.0.0.2");
    b.Header().nlmsg_flags |= NLM_F_DUMP_INTR;
    std::vector<std::uint8_t> buffer = a.bytes;
    buffer.insert(buffer.end(), b.bytes.begin(), b.bytes.end());
    nlmsghdr done{};
    done.nlmsg_len = NLMSG_LENGTH(4);
    done.nlmsg_type = NLMSG_DONE;
    const std::size_t at = buffer.size();
    buffer.resize(at + NLMSG_SPACE(4));
    std::memcpy(buffer.data() + at, &done, sizeof done);

    int seen = 0;
    bool interrupted = false;
    auto count = [&](const std::uint8_t*, std::size_t) { ++seen; };
    EXPECT_EQ(qv::WalkNetlinkBuffer(buffer.data(), buffer.size(), count, interrupted), qv::DumpStatus::Done);
    EXPECT_EQ(seen, 2);
    EXPECT_TRUE(interrupted);

    seen = 0;
    interrupted = false;
    EXPECT_EQ(qv::WalkNetlinkBuffer(a.bytes.data(), a.bytes.size(), count, interrupted),
              qv::DumpStatus::More);
    EXPECT_EQ(seen, 1);
    EXPECT_EQ(qv::WalkNetlinkBuffer(a.bytes.data(), a.bytes.size() - 1, count, interrupted),
              qv::DumpStatus::Error);
    EXPECT_FALSE(interrupted);
}

TEST(NetlinkBuffer, AnInterruptedDumpIsReadAgainAndOneThatNeverSettlesFails)
{
    Message a, b;
    a.Dst("10.0.0.1");
    b.Dst("10.0.0.2");
    nda_cacheinfo info{};
    info.ndm_confirmed = 7;
    b.Attr(NDA_CACHEINFO,
           {reinterpret_cast<std::uint8_t*>(&info), reinterpret_cast<std::uint8_t*>(&info + 1)});
    Message doneMessage;
    doneMessage.bytes.resize(NLMSG_SPACE(4));
    doneMessage.Header().nlmsg_type = NLMSG_DONE;
    doneMessage.Fix();
    const std::vector<std::uint8_t> doneBytes = doneMessage.bytes;
    Message interruptedA = a;
    interruptedA.Header().nlmsg_flags |= NLM_F_DUMP_INTR;

    int attempts = 0;
    const auto source = [&](int cleanFrom) {
        return [&, cleanFrom](std::vector<std::vector<std::uint8_t>>& datagrams) {
            ++attempts;
            datagrams = {attempts >= cleanFrom ? a.bytes : interruptedA.bytes, b.bytes, doneBytes};
            return true;
        };
    };
    const auto entries = qv::netlink::DumpIpv4NeighbourEntries(source(3));
    ASSERT_TRUE(entries.has_value());
    EXPECT_EQ(attempts, 3);
    ASSERT_EQ(entries->size(), 2u); // the last dump's rows only
    EXPECT_EQ((*entries)[1].row.dwAddr, qv::InetAddr("10.0.0.2"));
    EXPECT_TRUE((*entries)[1].detail.haveCacheInfo);
    EXPECT_EQ((*entries)[1].detail.confirmedAgo, 7u);
    EXPECT_EQ((*entries)[1].detail.state, NUD_REACHABLE);
    attempts = 0;
    EXPECT_FALSE(qv::netlink::DumpIpv4NeighbourEntries(source(100)).has_value());
    EXPECT_EQ(attempts, 5);
}

} // namespace

namespace {

TEST(NeighMessage, Ipv6EntriesKeepTheirAddressRouterFlagAndSkipGroups)
{
    const auto dst = [](const char* text) {
        std::vector<std::uint8_t> bytes(16);
        inet_pton(AF_INET6, text, bytes.data());
        return bytes;
    };
    Message router(AF_INET6, NUD_STALE, 5);
    router.Attr(NDA_DST, dst("fd99:1::2")).Attr(NDA_LLADDR, {0x00, 0x00, 0x0C, 0xAA, 0xBB, 0x02});
    reinterpret_cast<ndmsg*>(router.bytes.data() + NLMSG_HDRLEN)->ndm_flags = NTF_ROUTER;
    qv::Neighbour6 row{};
    ASSERT_EQ(qv::ParseNeigh6Message(router.bytes.data(), router.bytes.size(), row), qv::NeighParse::Row);
    EXPECT_EQ(std::vector<std::uint8_t>(row.addr, row.addr + 16), dst("fd99:1::2"));
    EXPECT_EQ(row.ifindex, 5u);
    EXPECT_EQ(row.type, MIB_IPNET_TYPE_DYNAMIC);
    EXPECT_TRUE(row.router);
    EXPECT_EQ(row.phys[5], 0x02);

    Message group(AF_INET6, NUD_NOARP);
    group.Attr(NDA_DST, dst("ff02::16"));
    EXPECT_EQ(qv::ParseNeigh6Message(group.bytes.data(), group.bytes.size(), row), qv::NeighParse::Skip);
    Message shortDst(AF_INET6);
    shortDst.Attr(NDA_DST, {1, 2, 3, 4});
    EXPECT_EQ(qv::ParseNeigh6Message(shortDst.bytes.data(), shortDst.bytes.size(), row),
              qv::NeighParse::Malformed);
    // Each family's parser leaves the other's entries alone.
    MIB_IPNETROW v4{};
    EXPECT_EQ(qv::ParseNeighMessage(router.bytes.data(), router.bytes.size(), v4), qv::NeighParse::Skip);
    const Message ipv4 = Message().Dst("10.0.0.1");
    EXPECT_EQ(qv::ParseNeigh6Message(ipv4.bytes.data(), ipv4.bytes.size(), row), qv::NeighParse::Skip);
}

} // namespace
