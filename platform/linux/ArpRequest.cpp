#include "platform/linux/ArpRequest.h"

#include "platform/AddressText.h"
#include "platform/linux/Fd.h"
#include "platform/linux/Netlink.h"
#include "platform/NetTypes.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <optional>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <ifaddrs.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <arpa/inet.h>
#include <linux/if_ether.h>
#include <linux/if_packet.h>
#include <linux/neighbour.h>
#include <linux/rtnetlink.h>
#include <net/if.h>
#include <net/if_arp.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace qv::arp {

namespace {

using Fd = qv::Fd;
using Clock = std::chrono::steady_clock;

#pragma pack(push, 1)
struct ArpPacket
{
    std::uint16_t hardwareType;
    std::uint16_t protocolType;
    std::uint8_t hardwareLength;
    std::uint8_t protocolLength;
    std::uint16_t operation;
    std::uint8_t senderMac[6];
    std::uint32_t senderIp;
    std::uint8_t targetMac[6];
    std::uint32_t targetIp;
};
#pragma pack(pop)
static_assert(sizeof(ArpPacket) == 28);

std::string MacText(const std::uint8_t* mac)
{
    char text[18];
    std::snprintf(text, sizeof text, "%02X:%02X:%02X:%02X:%02X:%02X", mac[0], mac[1], mac[2], mac[3], mac[4],
                  mac[5]);
    return text;
}

int RemainingMs(Clock::time_point until)
{
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(until - Clock::now()).count();
    return left > 0 ? static_cast<int>(left) : 0;
}

// Interface index that carries address (network order), 0 when none does.
int InterfaceOfLocalAddress(std::uint32_t address)
{
    ifaddrs* list = nullptr;
    if (::getifaddrs(&list) != 0)
        return 0;
    int index = 0;
    for (ifaddrs* it = list; it != nullptr && index == 0; it = it->ifa_next) {
        if (it->ifa_addr == nullptr || it->ifa_addr->sa_family != AF_INET)
            continue;
        if (reinterpret_cast<const sockaddr_in*>(it->ifa_addr)->sin_addr.s_addr != address)
            continue;
        std::string name = it->ifa_name;
        name = name.substr(0, name.find(':')); // alias labels such as eth0:1
        index = static_cast<int>(::if_nametoindex(name.c_str()));
    }
    ::freeifaddrs(list);
    return index;
}

bool IsUnicastTarget(std::uint32_t address)
{
    const std::uint32_t host = ntohl(address);
    return host != 0 && host != 0xFFFFFFFFu && (host >> 28) != 0xE;
}

} // namespace

bool InterfaceMac(int ifindex, std::uint8_t mac[6])
{
    ifreq request{};
    if (::if_indextoname(static_cast<unsigned>(ifindex), request.ifr_name) == nullptr)
        return false;
    Fd probe(::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0));
    if (probe.fd < 0 || ::ioctl(probe.fd, SIOCGIFHWADDR, &request) != 0)
        return false;
    if (request.ifr_hwaddr.sa_family != ARPHRD_ETHER)
        return false;
    std::memcpy(mac, request.ifr_hwaddr.sa_data, 6);
    return true;
}

std::uint32_t FirstInterfaceAddress(int ifindex)
{
    ifaddrs* list = nullptr;
    if (::getifaddrs(&list) != 0)
        return 0;
    std::uint32_t found = 0;
    for (ifaddrs* it = list; it != nullptr && found == 0; it = it->ifa_next) {
        if (it->ifa_addr == nullptr || it->ifa_addr->sa_family != AF_INET)
            continue;
        if (!(it->ifa_flags & IFF_UP) || (it->ifa_flags & IFF_LOOPBACK))
            continue;
        if (ifindex != 0) {
            std::string name = it->ifa_name;
            name = name.substr(0, name.find(':'));
            if (static_cast<int>(::if_nametoindex(name.c_str())) != ifindex)
                continue;
        }
        found = reinterpret_cast<const sockaddr_in*>(it->ifa_addr)->sin_addr.s_addr;
    }
    ::freeifaddrs(list);
    return found;
}

Path FindPath(std::uint32_t target, std::uint32_t source)
{
    Path path;
    if (!IsUnicastTarget(target)) {
        path.code = ERROR_INVALID_PARAMETER_CODE;
        return path;
    }
    int sourceInterface = 0;
    if (source != 0) {
        sourceInterface = InterfaceOfLocalAddress(source);
        if (sourceInterface == 0) {
            path.code = ERROR_NOT_FOUND_CODE;
            return path;
        }
    }
    const auto route = netlink::GetRoute(target);
    // Only a target on the source's own link is asked: a route through a
    // gateway would give the router's address, not the target's.
    if (!route || route->type != RTN_UNICAST || route->gateway != 0 ||
        (sourceInterface != 0 && route->outInterface != sourceInterface)) {
        path.code = ERROR_NETWORK_UNREACHABLE_CODE;
        return path;
    }
    if (source == 0)
        source = route->preferredSource ? route->preferredSource : FirstInterfaceAddress(route->outInterface);
    path.code = NO_ERROR_CODE;
    path.ifindex = route->outInterface;
    path.source = source;
    return path;
}

int OpenPacketSocket()
{
    // Protocol 0 at socket() and the protocol at bind(): binding at socket()
    // costs a synchronize_net() in the kernel.
    return ::socket(AF_PACKET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
}

bool IsReplyToOurRequest(const sockaddr_ll& from, const std::uint8_t* frame, std::size_t length,
                         const std::uint8_t ownMac[6], std::uint32_t source, std::uint32_t target,
                         std::uint8_t mac[6])
{
    if (from.sll_pkttype != PACKET_HOST || length < sizeof(ArpPacket))
        return false;
    ArpPacket reply;
    std::memcpy(&reply, frame, sizeof reply);
    if (ntohs(reply.hardwareType) != ARPHRD_ETHER || ntohs(reply.protocolType) != ETH_P_IP ||
        reply.hardwareLength != 6 || reply.protocolLength != 4 || ntohs(reply.operation) != ARPOP_REPLY)
        return false;
    if (reply.senderIp != target || reply.targetIp != source || std::memcmp(reply.targetMac, ownMac, 6) != 0)
        return false;
    std::memcpy(mac, reply.senderMac, 6);
    return true;
}

Outcome ExchangeOverPacketSocket(int fd, int ifindex, std::uint32_t source, std::uint32_t target,
                                 std::uint8_t mac[6], std::chrono::milliseconds wait)
{
    std::uint8_t ownMac[6];
    if (!InterfaceMac(ifindex, ownMac))
        return Outcome::Failed;

    sockaddr_ll link{};
    link.sll_family = AF_PACKET;
    link.sll_protocol = htons(ETH_P_ARP);
    link.sll_ifindex = ifindex;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&link), sizeof link) != 0)
        return Outcome::Failed;

    ArpPacket request{};
    request.hardwareType = htons(ARPHRD_ETHER);
    request.protocolType = htons(ETH_P_IP);
    request.hardwareLength = 6;
    request.protocolLength = 4;
    request.operation = htons(ARPOP_REQUEST);
    std::memcpy(request.senderMac, ownMac, 6);
    request.senderIp = source;
    request.targetIp = target;

    sockaddr_ll broadcast = link;
    broadcast.sll_halen = 6;
    std::memset(broadcast.sll_addr, 0xFF, 6);

    const Clock::time_point deadline = Clock::now() + wait;
    Clock::time_point nextSend = Clock::now();
    while (Clock::now() < deadline) {
        if (Clock::now() >= nextSend) {
            if (::sendto(fd, &request, sizeof request, 0, reinterpret_cast<sockaddr*>(&broadcast),
                         sizeof broadcast) != static_cast<ssize_t>(sizeof request))
                return Outcome::Failed;
            nextSend += std::chrono::seconds(1);
        }
        pollfd waitFor{fd, POLLIN, 0};
        const int timeout = std::min(RemainingMs(deadline), RemainingMs(nextSend));
        const int ready = ::poll(&waitFor, 1, std::max(timeout, 1));
        if (ready < 0 && errno != EINTR)
            return Outcome::Failed;
        if (ready <= 0)
            continue;
        std::uint8_t frame[64];
        sockaddr_ll from{};
        socklen_t fromLength = sizeof from;
        const ssize_t got = ::recvfrom(fd, frame, sizeof frame, MSG_DONTWAIT,
                                       reinterpret_cast<sockaddr*>(&from), &fromLength);
        // Anything but the target's answer to us is ignored until the deadline.
        if (got > 0 &&
            IsReplyToOurRequest(from, frame, static_cast<std::size_t>(got), ownMac, source, target, mac))
            return Outcome::Reply;
    }
    return Outcome::NoReply;
}

Outcome RequestOverPacketSocket(int ifindex, std::uint32_t source, std::uint32_t target, std::uint8_t mac[6],
                                std::chrono::milliseconds wait)
{
    Fd sock(OpenPacketSocket());
    if (sock.fd < 0)
        return (errno == EPERM || errno == EACCES) ? Outcome::NoPermission : Outcome::Failed;
    return ExchangeOverPacketSocket(sock.fd, ifindex, source, target, mac, wait);
}

namespace {

const char* StateName(std::uint16_t state)
{
    if (state & NUD_PERMANENT)
        return "PERMANENT";
    if (state & NUD_NOARP)
        return "NOARP";
    if (state & NUD_REACHABLE)
        return "REACHABLE";
    if (state & NUD_STALE)
        return "STALE";
    if (state & NUD_DELAY)
        return "DELAY";
    if (state & NUD_PROBE)
        return "PROBE";
    return "UNRESOLVED";
}

} // namespace

namespace {

// One neighbour entry of either family, as the fallback reads it.
struct Cached
{
    IpAddress addr;
    int ifindex = 0;
    bool hasMac = false;
    std::uint8_t mac[6] = {};
    NeighDetail detail;
};

std::optional<std::vector<Cached>> ReadCache(bool v6)
{
    std::vector<Cached> found;
    if (v6) {
        const auto entries = netlink::DumpIpv6Neighbours();
        if (!entries)
            return std::nullopt;
        for (const Neighbour6& entry : *entries) {
            Cached& cached = found.emplace_back();
            cached.addr = IpAddress(entry.addr, entry.ifindex);
            cached.ifindex = static_cast<int>(entry.ifindex);
            cached.hasMac = entry.physLen == 6;
            std::memcpy(cached.mac, entry.phys, 6);
            cached.detail = entry.detail;
        }
        return found;
    }
    const auto entries = netlink::DumpIpv4NeighbourEntries();
    if (!entries)
        return std::nullopt;
    for (const netlink::NeighEntry& entry : *entries) {
        Cached& cached = found.emplace_back();
        cached.addr = entry.row.dwAddr;
        cached.ifindex = static_cast<int>(entry.row.dwIndex);
        cached.hasMac = entry.row.dwPhysAddrLen == 6;
        std::memcpy(cached.mac, entry.row.bPhysAddr, 6);
        cached.detail = entry.detail;
    }
    return found;
}

} // namespace

Outcome RequestThroughKernel(int ifindex, const IpAddress& source, const IpAddress& target,
                             std::uint8_t mac[6], std::chrono::milliseconds wait, std::string* detail)
{
    const bool v6 = target.IsV6();
    Fd sock(::socket(v6 ? AF_INET6 : AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0));
    if (sock.fd < 0)
        return Outcome::Failed;
    sockaddr_storage from{};
    sockaddr_storage to{};
    socklen_t length = 0;
    if (v6) {
        auto& from6 = reinterpret_cast<sockaddr_in6&>(from);
        auto& to6 = reinterpret_cast<sockaddr_in6&>(to);
        from6.sin6_family = to6.sin6_family = AF_INET6;
        std::memcpy(&from6.sin6_addr, source.V6(), 16);
        std::memcpy(&to6.sin6_addr, target.V6(), 16);
        from6.sin6_scope_id = source.Scope();
        to6.sin6_scope_id = target.Scope() != 0 ? target.Scope() : static_cast<std::uint32_t>(ifindex);
        to6.sin6_port = htons(9); // discard: nothing is expected to answer
        length = sizeof(sockaddr_in6);
    } else {
        auto& from4 = reinterpret_cast<sockaddr_in&>(from);
        auto& to4 = reinterpret_cast<sockaddr_in&>(to);
        from4.sin_family = to4.sin_family = AF_INET;
        from4.sin_addr.s_addr = source.V4();
        to4.sin_addr.s_addr = target.V4();
        to4.sin_port = htons(9);
        length = sizeof(sockaddr_in);
    }
    if (::bind(sock.fd, reinterpret_cast<sockaddr*>(&from), length) != 0)
        return Outcome::Failed;
    const long ticks = ::sysconf(_SC_CLK_TCK);
    const long ticksPerSecond = ticks > 0 ? ticks : 100;
    const Clock::time_point began = Clock::now();
    std::string cached;
    // True once the kernel confirmed target after the request began (or, at
    // the start, holds it REACHABLE: confirmed within its reachable time, so
    // no new confirmation will come); notes the first cached address and
    // state otherwise.
    const auto confirmed = [&](bool atStart) {
        const auto entries = ReadCache(v6);
        if (!entries)
            return false;
        for (const Cached& entry : *entries) {
            if (entry.addr != target || entry.ifindex != ifindex || !entry.hasMac)
                continue;
            // The age is counted in clock ticks: allow one tick of rounding.
            const auto age = std::chrono::milliseconds(static_cast<long long>(entry.detail.confirmedAgo) *
                                                       1000 / ticksPerSecond);
            const auto tick = std::chrono::milliseconds(1000 / ticksPerSecond);
            if ((entry.detail.state & NUD_REACHABLE) && entry.detail.haveCacheInfo &&
                (atStart || Clock::now() - age + tick >= began)) {
                std::memcpy(mac, entry.mac, 6);
                if (atStart && detail)
                    *detail = "confirmed by the kernel " +
                              std::to_string(std::chrono::duration_cast<std::chrono::seconds>(age).count()) +
                              " s ago";
                return true;
            }
            if (cached.empty())
                cached = "cached " + MacText(entry.mac) + ", " + StateName(entry.detail.state);
        }
        return false;
    };
    // Noted before the datagram, which moves a STALE entry on to DELAY.
    if (confirmed(true))
        return Outcome::Reply;

    const char probe = 0;
    // The datagram only starts the kernel's resolution; a queued or refused
    // send is fine.
    if (::sendto(sock.fd, &probe, 1, MSG_DONTWAIT, reinterpret_cast<sockaddr*>(&to), length) < 0 &&
        errno == EACCES)
        return Outcome::NoPermission;

    const Clock::time_point deadline = began + wait;
    for (;;) {
        if (confirmed(false))
            return Outcome::Reply;
        if (Clock::now() >= deadline) {
            if (detail)
                *detail = cached;
            return Outcome::NoReply;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

const char* HelperReason(Outcome outcome)
{
    switch (outcome) {
    case Outcome::Reply:
        return "";
    case Outcome::NoReply:
        return "no reply";
    case Outcome::NoPermission:
        return "no permission";
    case Outcome::Failed:
        break;
    }
    return "network error";
}

Outcome RequestThroughHelper(const std::string& path, const IpAddress& source, const IpAddress& target,
                             std::uint8_t mac[6], std::chrono::milliseconds wait)
{
    int out[2];
    if (::pipe2(out, O_CLOEXEC) != 0)
        return Outcome::Failed;
    Fd readEnd(out[0]);
    Fd writeEnd(out[1]);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addclose(&actions, 0);
    posix_spawn_file_actions_adddup2(&actions, writeEnd.fd, 1);
    posix_spawn_file_actions_adddup2(&actions, writeEnd.fd, 2);
    std::string targetText = target.Text();
    std::string sourceText = source.Text();
    char* argv[] = {const_cast<char*>(path.c_str()), targetText.data(), sourceText.data(), nullptr};
    char* envp[] = {nullptr};
    pid_t pid = 0;
    const int spawned = ::posix_spawn(&pid, path.c_str(), &actions, nullptr, argv, envp);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0)
        return Outcome::Failed;
    ::close(writeEnd.fd);
    writeEnd.fd = -1;

    std::string text;
    const Clock::time_point deadline = Clock::now() + wait + std::chrono::seconds(1);
    bool killed = false;
    for (;;) {
        pollfd waitFor{readEnd.fd, POLLIN, 0};
        const int ready = ::poll(&waitFor, 1, std::max(RemainingMs(deadline), 0));
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready <= 0) {
            ::kill(pid, SIGKILL); // it outlived its bound
            killed = true;
            break;
        }
        char chunk[256];
        const ssize_t got = ::read(readEnd.fd, chunk, sizeof chunk);
        if (got <= 0)
            break;
        if (text.size() < 4096)
            text.append(chunk, static_cast<std::size_t>(got));
    }
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    if (killed || !WIFEXITED(status))
        return Outcome::Failed;
    if (WEXITSTATUS(status) == 0) {
        unsigned bytes[6];
        char end = 0;
        if (std::sscanf(text.c_str(), "%2X:%2X:%2X:%2X:%2X:%2X%c", &bytes[0], &bytes[1], &bytes[2], &bytes[3],
                        &bytes[4], &bytes[5], &end) == 7 &&
            end == '\n') {
            for (int i = 0; i < 6; ++i)
                mac[i] = static_cast<std::uint8_t>(bytes[i]);
            return Outcome::Reply;
        }
        return Outcome::Failed;
    }
    if (WEXITSTATUS(status) == 1) {
        if (text.find(HelperReason(Outcome::NoPermission)) != std::string::npos)
            return Outcome::NoPermission;
        if (text.find(HelperReason(Outcome::NoReply)) != std::string::npos)
            return Outcome::NoReply;
    }
    return Outcome::Failed;
}

} // namespace qv::arp
