// Test tool, run in the peer namespace: sends forged ARP replies claiming
// TARGET for SECONDS, none of which answers the host's own request; or,
// with --claim, COUNT gratuitous replies saying IP is at MAC, as a spoofer
// does; or, with --na, IPv6 advertisements to HOST for TARGET, each wrong
// in one way.
//   qv_arp_forge IFACE HOST_MAC TARGET SOURCE SECONDS
//   qv_arp_forge --claim IFACE IP MAC COUNT
//   qv_arp_forge --na HOST TARGET SECONDS
#include <arpa/inet.h>
#include <netinet/icmp6.h>
#include <linux/if_ether.h>
#include <linux/if_packet.h>
#include <net/if.h>
#include <net/if_arp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>

namespace {

#pragma pack(push, 1)
struct Frame
{
    std::uint8_t dst[6], src[6];
    std::uint16_t etherType;
    std::uint16_t hardwareType, protocolType;
    std::uint8_t hardwareLength, protocolLength;
    std::uint16_t operation;
    std::uint8_t senderMac[6];
    std::uint32_t senderIp;
    std::uint8_t targetMac[6];
    std::uint32_t targetIp;
};
#pragma pack(pop)

void ParseMac(const char* text, std::uint8_t mac[6])
{
    unsigned b[6];
    std::sscanf(text, "%x:%x:%x:%x:%x:%x", &b[0], &b[1], &b[2], &b[3], &b[4], &b[5]);
    for (int i = 0; i < 6; ++i)
        mac[i] = static_cast<std::uint8_t>(b[i]);
}

Frame Reply(const std::uint8_t dst[6], std::uint8_t forgedLast, std::uint32_t sender, std::uint32_t target,
            const std::uint8_t targetMac[6])
{
    Frame f{};
    std::memcpy(f.dst, dst, 6);
    const std::uint8_t forged[6] = {0x02, 0x66, 0, 0, 0, forgedLast};
    std::memcpy(f.src, forged, 6);
    f.etherType = htons(ETH_P_ARP);
    f.hardwareType = htons(ARPHRD_ETHER);
    f.protocolType = htons(ETH_P_IP);
    f.hardwareLength = 6;
    f.protocolLength = 4;
    f.operation = htons(ARPOP_REPLY);
    std::memcpy(f.senderMac, forged, 6);
    f.senderIp = sender;
    std::memcpy(f.targetMac, targetMac, 6);
    f.targetIp = target;
    return f;
}

} // namespace

int Claim(char** argv)
{
    std::uint8_t mac[6], broadcast[6];
    std::memset(broadcast, 0xFF, 6);
    ParseMac(argv[4], mac);
    const std::uint32_t ip = inet_addr(argv[3]);
    Frame f = Reply(broadcast, 0, ip, ip, broadcast);
    std::memcpy(f.src, mac, 6);
    std::memcpy(f.senderMac, mac, 6);
    const int fd = ::socket(AF_PACKET, SOCK_RAW, htons(ETH_P_ARP));
    sockaddr_ll to{};
    to.sll_family = AF_PACKET;
    to.sll_ifindex = static_cast<int>(if_nametoindex(argv[2]));
    to.sll_halen = 6;
    if (fd < 0 || to.sll_ifindex == 0)
        return 1;
    for (int i = std::atoi(argv[5]); i > 0; --i) {
        ::sendto(fd, &f, sizeof f, 0, reinterpret_cast<sockaddr*>(&to), sizeof to);
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return 0;
}

int Advertise(char** argv)
{
    struct Advert
    {
        nd_neighbor_advert header;
        nd_opt_hdr option;
        std::uint8_t mac[6];
    };
    sockaddr_in6 host{};
    host.sin6_family = AF_INET6;
    Advert right{};
    if (inet_pton(AF_INET6, argv[2], &host.sin6_addr) != 1 ||
        inet_pton(AF_INET6, argv[3], &right.header.nd_na_target) != 1)
        return 2;
    right.header.nd_na_type = ND_NEIGHBOR_ADVERT;
    right.header.nd_na_flags_reserved = ND_NA_FLAG_SOLICITED | ND_NA_FLAG_OVERRIDE;
    right.option.nd_opt_type = ND_OPT_TARGET_LINKADDR;
    right.option.nd_opt_len = 1;
    const std::uint8_t forged[6] = {0x02, 0x66, 0, 0, 0, 6};
    std::memcpy(right.mac, forged, 6);
    struct Forgery
    {
        Advert advert;
        int hops;
        std::size_t length;
    };
    Forgery forgeries[] = {{right, 255, sizeof right},
                           {right, 64, sizeof right},
                           {right, 255, sizeof right},
                           {right, 255, sizeof right.header}};
    forgeries[0].advert.header.nd_na_flags_reserved = ND_NA_FLAG_OVERRIDE; // unsolicited
    forgeries[2].advert.header.nd_na_target.s6_addr[15] ^= 1;              // another target
    const int fd = ::socket(AF_INET6, SOCK_RAW, IPPROTO_ICMPV6);           // [3]: no link-layer option
    if (fd < 0)
        return 1;
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(std::atoi(argv[4]));
    while (std::chrono::steady_clock::now() < end) {
        for (const Forgery& f : forgeries) {
            ::setsockopt(fd, IPPROTO_IPV6, IPV6_UNICAST_HOPS, &f.hops, sizeof f.hops);
            ::sendto(fd, &f.advert, f.length, 0, reinterpret_cast<const sockaddr*>(&host), sizeof host);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return 0;
}

int main(int argc, char** argv)
{
    if (argc == 5 && std::strcmp(argv[1], "--na") == 0)
        return Advertise(argv);
    if (argc == 6 && std::strcmp(argv[1], "--claim") == 0)
        return Claim(argv);
    if (argc != 6)
        return 2;
    std::uint8_t host[6], other[6] = {0x02, 0x77, 0, 0, 0, 1}, broadcast[6];
    std::memset(broadcast, 0xFF, 6);
    ParseMac(argv[2], host);
    const std::uint32_t target = inet_addr(argv[3]);
    const std::uint32_t source = inet_addr(argv[4]);
    const int seconds = std::atoi(argv[5]);

    Frame frames[] = {
        Reply(broadcast, 1, target, target, broadcast),          // gratuitous, to everyone
        Reply(other, 2, target, source, host),                   // to another station, claiming us
        Reply(host, 3, target, inet_addr("10.213.1.200"), host), // about another target IP
        Reply(host, 4, inet_addr("10.213.1.3"), source, host),   // another host's reply
        Reply(host, 5, target, source, host),                    // right but for token ring
    };
    frames[4].hardwareType = htons(6);

    const int fd = ::socket(AF_PACKET, SOCK_RAW, htons(ETH_P_ARP));
    sockaddr_ll to{};
    to.sll_family = AF_PACKET;
    to.sll_ifindex = static_cast<int>(if_nametoindex(argv[1]));
    to.sll_halen = 6;
    if (fd < 0 || to.sll_ifindex == 0)
        return 1;
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    while (std::chrono::steady_clock::now() < end) {
        for (const Frame& f : frames)
            ::sendto(fd, &f, sizeof f, 0, reinterpret_cast<sockaddr*>(&to), sizeof to);
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return 0;
}
