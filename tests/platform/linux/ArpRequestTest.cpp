#include "platform/AddressText.h"
#include "platform/linux/ArpRequest.h"
#include "platform/linux/Netlink.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include <arpa/inet.h>
#include <linux/if_packet.h>
#include <net/if_arp.h>

namespace {

const std::uint8_t kOwnMac[6] = {0x02, 0, 0, 0, 0, 0x01};
const std::uint8_t kPeerMac[6] = {0x00, 0x00, 0x0c, 0xaa, 0xbb, 0x02};

// The peer's reply to our request for 10.0.0.2 from 10.0.0.1, as a
// SOCK_DGRAM packet socket hands it over.
struct Reply
{
    std::uint8_t frame[28] = {};
    sockaddr_ll from{};
    Reply()
    {
        from.sll_pkttype = PACKET_HOST;
        const std::uint16_t head[3] = {htons(ARPHRD_ETHER), htons(0x0800), 0};
        std::memcpy(frame, head, 4);
        frame[4] = 6;
        frame[5] = 4;
        Operation(ARPOP_REPLY);
        std::memcpy(frame + 8, kPeerMac, 6);
        Ip(14, "10.0.0.2");
        std::memcpy(frame + 18, kOwnMac, 6);
        Ip(24, "10.0.0.1");
    }
    void Operation(std::uint16_t op)
    {
        const std::uint16_t net = htons(op);
        std::memcpy(frame + 6, &net, 2);
    }
    void Ip(int at, const char* text)
    {
        const std::uint32_t a = qv::InetAddr(text);
        std::memcpy(frame + at, &a, 4);
    }
    bool Accepted() const
    {
        std::uint8_t mac[6] = {};
        return qv::arp::IsReplyToOurRequest(from, frame, sizeof frame, kOwnMac, qv::InetAddr("10.0.0.1"),
                                            qv::InetAddr("10.0.0.2"), mac) &&
               std::memcmp(mac, kPeerMac, 6) == 0;
    }
};

TEST(ArpRequest, OnlyTheTargetsOwnReplyToUsCounts)
{
    EXPECT_TRUE(Reply().Accepted());
    Reply request;
    request.Operation(ARPOP_REQUEST); // a request carries the same addresses
    EXPECT_FALSE(request.Accepted());
    Reply otherSender;
    otherSender.Ip(14, "10.0.0.3");
    EXPECT_FALSE(otherSender.Accepted());
    Reply toAnotherMac;
    toAnotherMac.frame[23] = 0x02;
    EXPECT_FALSE(toAnotherMac.Accepted());
    Reply toAnotherIp;
    toAnotherIp.Ip(24, "10.0.0.9");
    EXPECT_FALSE(toAnotherIp.Accepted());
    Reply broadcast;
    broadcast.from.sll_pkttype = PACKET_BROADCAST;
    EXPECT_FALSE(broadcast.Accepted());
    Reply shortLength;
    shortLength.frame[4] = 8;
    EXPECT_FALSE(shortLength.Accepted());
}

TEST(ArpRequest, ARouteAttributeThatRunsPastItsMessageIsRefused)
{
    // One RTM_NEWROUTE with an RTA_OIF whose length claims the four bytes
    // that follow the message in the buffer.
    std::vector<std::uint8_t> buffer(NLMSG_HDRLEN + NLMSG_ALIGN(sizeof(rtmsg)) + RTA_LENGTH(4));
    nlmsghdr nl{};
    nl.nlmsg_type = RTM_NEWROUTE;
    nl.nlmsg_len = static_cast<std::uint32_t>(buffer.size() - 4);
    std::memcpy(buffer.data(), &nl, sizeof nl);
    rtmsg header{};
    header.rtm_family = AF_INET;
    header.rtm_type = RTN_UNICAST;
    std::memcpy(buffer.data() + NLMSG_HDRLEN, &header, sizeof header);
    rtattr attr{};
    attr.rta_type = RTA_OIF;
    attr.rta_len = RTA_LENGTH(4);
    const std::size_t at = NLMSG_HDRLEN + NLMSG_ALIGN(sizeof(rtmsg));
    std::memcpy(buffer.data() + at, &attr, sizeof attr);
    const int ifindex = 7;
    std::memcpy(buffer.data() + at + RTA_LENGTH(0), &ifindex, 4);

    qv::netlink::RouteInfo route;
    rtmsg parsed{};
    EXPECT_FALSE(qv::netlink::ParseRoute(buffer.data(), buffer.size(), route, parsed));
    // The same attribute inside its message is read.
    nl.nlmsg_len = static_cast<std::uint32_t>(buffer.size());
    std::memcpy(buffer.data(), &nl, sizeof nl);
    ASSERT_TRUE(qv::netlink::ParseRoute(buffer.data(), buffer.size(), route, parsed));
    EXPECT_EQ(route.outInterface, 7);
}

} // namespace
