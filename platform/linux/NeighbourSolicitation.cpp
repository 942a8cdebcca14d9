#include "platform/linux/NeighbourSolicitation.h"

#include "platform/linux/Fd.h"
#include "platform/linux/Netlink.h"
#include "platform/NetTypes.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include <ifaddrs.h>
#include <net/if.h>
#include <net/if_arp.h>
#include <netinet/icmp6.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace qv::ndp {

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kNdHopLimit = 255; // RFC 4861: anything else came through a router

using Fd = qv::Fd;

sockaddr_in6 SocketAddress(const IpAddress& address, int ifindex)
{
    sockaddr_in6 socketAddress{};
    socketAddress.sin6_family = AF_INET6;
    std::memcpy(&socketAddress.sin6_addr, address.V6(), 16);
    socketAddress.sin6_scope_id =
        address.Scope() != 0 ? address.Scope() : static_cast<std::uint32_t>(ifindex);
    return socketAddress;
}

bool IsUnicast(const IpAddress& address)
{
    static const std::uint8_t loopback[16] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1};
    return address.IsV6() && !address.IsEmpty() && address.V6()[0] != 0xFF &&
           std::memcmp(address.V6(), loopback, 16) != 0;
}

// The interface that carries source, 0 when none does.
int InterfaceOfLocalAddress(const IpAddress& source)
{
    ifaddrs* list = nullptr;
    if (::getifaddrs(&list) != 0)
        return 0;
    int index = 0;
    for (ifaddrs* it = list; it != nullptr && index == 0; it = it->ifa_next) {
        if (it->ifa_addr == nullptr || it->ifa_addr->sa_family != AF_INET6)
            continue;
        const auto* local = reinterpret_cast<const sockaddr_in6*>(it->ifa_addr);
        const int ifindex = static_cast<int>(::if_nametoindex(it->ifa_name));
        if (std::memcmp(&local->sin6_addr, source.V6(), 16) == 0 &&
            (source.Scope() == 0 || static_cast<int>(source.Scope()) == ifindex))
            index = ifindex;
    }
    ::freeifaddrs(list);
    return index;
}

// The source address the kernel picks for target: a connected UDP socket's.
bool ChosenSource(const IpAddress& target, int ifindex, IpAddress& source)
{
    Fd probe(::socket(AF_INET6, SOCK_DGRAM | SOCK_CLOEXEC, 0));
    sockaddr_in6 to = SocketAddress(target, ifindex);
    to.sin6_port = htons(9);
    sockaddr_in6 local{};
    socklen_t length = sizeof local;
    if (probe.fd < 0 || ::connect(probe.fd, reinterpret_cast<sockaddr*>(&to), sizeof to) != 0 ||
        ::getsockname(probe.fd, reinterpret_cast<sockaddr*>(&local), &length) != 0)
        return false;
    std::uint8_t bytes[16];
    std::memcpy(bytes, &local.sin6_addr, 16);
    source = IpAddress(bytes, static_cast<std::uint32_t>(ifindex));
    return true;
}

int RemainingMs(Clock::time_point until)
{
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(until - Clock::now()).count();
    return left > 0 ? static_cast<int>(left) : 0;
}

} // namespace

Path FindPath(const IpAddress& target, const IpAddress& source)
{
    Path path;
    if (!IsUnicast(target) || (!source.IsEmpty() && !IsUnicast(source))) {
        path.code = ERROR_INVALID_PARAMETER_CODE;
        return path;
    }
    int sourceInterface = 0;
    if (!source.IsEmpty() && (sourceInterface = InterfaceOfLocalAddress(source)) == 0) {
        path.code = ERROR_NOT_FOUND_CODE;
        return path;
    }
    const auto route = netlink::GetRoute6(target.V6(), static_cast<int>(target.Scope()));
    static const std::uint8_t onLink[16] = {};
    // Only a target on the source's own link is asked, as for IPv4.
    if (!route || route->type != RTN_UNICAST || std::memcmp(route->gateway6, onLink, 16) != 0 ||
        (sourceInterface != 0 && route->outInterface != sourceInterface)) {
        path.code = ERROR_NETWORK_UNREACHABLE_CODE;
        return path;
    }
    path.ifindex = route->outInterface;
    path.source =
        source.IsEmpty() ? IpAddress() : IpAddress(source.V6(), static_cast<std::uint32_t>(path.ifindex));
    if (source.IsEmpty() && !ChosenSource(target, path.ifindex, path.source)) {
        path.code = ERROR_NETWORK_UNREACHABLE_CODE;
        return path;
    }
    path.code = NO_ERROR_CODE;
    return path;
}

int OpenIcmp6Socket()
{
    return ::socket(AF_INET6, SOCK_RAW | SOCK_CLOEXEC, IPPROTO_ICMPV6);
}

bool IsAdvertisementForUs(const Arrival& arrival, int ifindex, const std::uint8_t* message,
                          std::size_t length, const IpAddress& target, std::uint8_t mac[6])
{
    if (arrival.hopLimit != kNdHopLimit || arrival.ifindex != ifindex || length < sizeof(nd_neighbor_advert))
        return false;
    nd_neighbor_advert advert;
    std::memcpy(&advert, message, sizeof advert);
    if (advert.nd_na_type != ND_NEIGHBOR_ADVERT || advert.nd_na_code != 0 ||
        !(advert.nd_na_flags_reserved & ND_NA_FLAG_SOLICITED) ||
        std::memcmp(&advert.nd_na_target, target.V6(), 16) != 0)
        return false;
    // The options, each a multiple of 8 bytes; a zero length is invalid.
    for (std::size_t at = sizeof advert; at + 2 <= length;) {
        const std::uint8_t type = message[at];
        const std::size_t size = static_cast<std::size_t>(message[at + 1]) * 8;
        if (size == 0 || at + size > length)
            return false;
        if (type == ND_OPT_TARGET_LINKADDR && size == 8) {
            std::memcpy(mac, message + at + 2, 6);
            return true;
        }
        at += size;
    }
    return false;
}

Outcome ExchangeOverIcmp6Socket(int fd, int ifindex, const IpAddress& source, const IpAddress& target,
                                std::uint8_t mac[6], std::chrono::milliseconds wait)
{
    std::uint8_t ownMac[6];
    if (!arp::InterfaceMac(ifindex, ownMac))
        return Outcome::Failed;
    const int hops = kNdHopLimit;
    const int on = 1;
    icmp6_filter filter;
    ICMP6_FILTER_SETBLOCKALL(&filter);
    ICMP6_FILTER_SETPASS(ND_NEIGHBOR_ADVERT, &filter);
    const sockaddr_in6 local = SocketAddress(source, ifindex);
    if (::setsockopt(fd, IPPROTO_ICMPV6, ICMP6_FILTER, &filter, sizeof filter) != 0 ||
        ::setsockopt(fd, IPPROTO_IPV6, IPV6_MULTICAST_HOPS, &hops, sizeof hops) != 0 ||
        ::setsockopt(fd, IPPROTO_IPV6, IPV6_MULTICAST_IF, &ifindex, sizeof ifindex) != 0 ||
        ::setsockopt(fd, IPPROTO_IPV6, IPV6_RECVHOPLIMIT, &on, sizeof on) != 0 ||
        ::setsockopt(fd, IPPROTO_IPV6, IPV6_RECVPKTINFO, &on, sizeof on) != 0 ||
        ::bind(fd, reinterpret_cast<const sockaddr*>(&local), sizeof local) != 0)
        return Outcome::Failed;

    struct Solicitation
    {
        nd_neighbor_solicit header;
        nd_opt_hdr option;
        std::uint8_t mac[6];
    } solicitation{};
    static_assert(sizeof(Solicitation) == 32);
    solicitation.header.nd_ns_type = ND_NEIGHBOR_SOLICIT;
    std::memcpy(&solicitation.header.nd_ns_target, target.V6(), 16);
    solicitation.option.nd_opt_type = ND_OPT_SOURCE_LINKADDR;
    solicitation.option.nd_opt_len = 1;
    std::memcpy(solicitation.mac, ownMac, 6);
    // The kernel fills in the checksum of a raw ICMPv6 socket's messages.
    sockaddr_in6 group{};
    group.sin6_family = AF_INET6;
    const std::uint8_t solicitedNode[16] = {
        0xFF, 0x02, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0xFF, target.V6()[13], target.V6()[14], target.V6()[15]};
    std::memcpy(&group.sin6_addr, solicitedNode, 16);
    group.sin6_scope_id = static_cast<std::uint32_t>(ifindex);

    const Clock::time_point deadline = Clock::now() + wait;
    Clock::time_point nextSend = Clock::now();
    while (Clock::now() < deadline) {
        if (Clock::now() >= nextSend) {
            if (::sendto(fd, &solicitation, sizeof solicitation, 0, reinterpret_cast<sockaddr*>(&group),
                         sizeof group) != static_cast<ssize_t>(sizeof solicitation))
                return Outcome::Failed;
            nextSend += std::chrono::seconds(1);
        }
        pollfd waitFor{fd, POLLIN, 0};
        const int ready =
            ::poll(&waitFor, 1, std::max(std::min(RemainingMs(deadline), RemainingMs(nextSend)), 1));
        if (ready < 0 && errno != EINTR)
            return Outcome::Failed;
        if (ready <= 0)
            continue;
        std::uint8_t message[1280];
        alignas(cmsghdr) std::uint8_t control[CMSG_SPACE(sizeof(int)) + CMSG_SPACE(sizeof(in6_pktinfo))];
        iovec part{message, sizeof message};
        msghdr header{};
        header.msg_iov = &part;
        header.msg_iovlen = 1;
        header.msg_control = control;
        header.msg_controllen = sizeof control;
        const ssize_t got = ::recvmsg(fd, &header, MSG_DONTWAIT);
        if (got <= 0)
            continue;
        Arrival arrival;
        for (cmsghdr* c = CMSG_FIRSTHDR(&header); c != nullptr; c = CMSG_NXTHDR(&header, c)) {
            if (c->cmsg_level == IPPROTO_IPV6 && c->cmsg_type == IPV6_HOPLIMIT)
                std::memcpy(&arrival.hopLimit, CMSG_DATA(c), sizeof(int));
            else if (c->cmsg_level == IPPROTO_IPV6 && c->cmsg_type == IPV6_PKTINFO) {
                in6_pktinfo info;
                std::memcpy(&info, CMSG_DATA(c), sizeof info);
                arrival.ifindex = static_cast<int>(info.ipi6_ifindex);
            }
        }
        // Anything but the target's answer to us is ignored until the deadline.
        if (!(header.msg_flags & MSG_TRUNC) &&
            IsAdvertisementForUs(arrival, ifindex, message, static_cast<std::size_t>(got), target, mac))
            return Outcome::Reply;
    }
    return Outcome::NoReply;
}

Outcome RequestOverIcmp6Socket(int ifindex, const IpAddress& source, const IpAddress& target,
                               std::uint8_t mac[6], std::chrono::milliseconds wait)
{
    Fd sock(OpenIcmp6Socket());
    if (sock.fd < 0)
        return (errno == EPERM || errno == EACCES) ? Outcome::NoPermission : Outcome::Failed;
    return ExchangeOverIcmp6Socket(sock.fd, ifindex, source, target, mac, wait);
}

} // namespace qv::ndp
