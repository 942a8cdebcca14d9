#include "platform/linux/Netlink.h"

#include "platform/linux/NeighMessage.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <ctime>
#include <cstring>
#include <memory>

#include <linux/neighbour.h>
#include <linux/netlink.h>
#include <linux/rtnetlink.h>
#include <net/if.h>
#include <sys/socket.h>
#include <sys/uio.h>
#include <sys/time.h>
#include <unistd.h>

namespace qv::netlink {

namespace {

class Socket
{
public:
    Socket()
    {
        m_fd = ::socket(AF_NETLINK, SOCK_RAW | SOCK_CLOEXEC, NETLINK_ROUTE);
        if (m_fd < 0)
            return;
        // A kernel that never answers must not hang a refresh pass.
        timeval timeout{2, 0};
        ::setsockopt(m_fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
        sockaddr_nl local{};
        local.nl_family = AF_NETLINK;
        socklen_t localLength = sizeof local;
        if (::bind(m_fd, reinterpret_cast<sockaddr*>(&local), sizeof local) != 0 ||
            ::getsockname(m_fd, reinterpret_cast<sockaddr*>(&local), &localLength) != 0) {
            ::close(m_fd);
            m_fd = -1;
            return;
        }
        m_port = local.nl_pid;
        static std::atomic<std::uint32_t> counter{static_cast<std::uint32_t>(::time(nullptr))};
        m_seq = ++counter;
    }
    ~Socket()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Socket(const Socket&) = delete;
    Socket& operator=(const Socket&) = delete;

    bool Ok() const { return m_fd >= 0; }

    template <typename Request> bool Send(Request& request)
    {
        request.header.nlmsg_seq = m_seq;
        request.header.nlmsg_pid = m_port;
        sockaddr_nl kernel{};
        kernel.nl_family = AF_NETLINK;
        return ::sendto(m_fd, &request, sizeof request, 0, reinterpret_cast<sockaddr*>(&kernel),
                        sizeof kernel) == static_cast<ssize_t>(sizeof request);
    }

    // The next datagram from the kernel, keeping only the messages that
    // answer our request (our sequence number and port); false on error.
    bool Receive(std::uint8_t* buffer, std::size_t capacity, std::size_t& length)
    {
        for (;;) {
            sockaddr_nl from{};
            iovec part{buffer, capacity};
            msghdr message{};
            message.msg_name = &from;
            message.msg_namelen = sizeof from;
            message.msg_iov = &part;
            message.msg_iovlen = 1;
            const ssize_t got = ::recvmsg(m_fd, &message, MSG_TRUNC);
            if (got < 0) {
                if (errno == EINTR)
                    continue;
                return false;
            }
            // A message larger than the buffer was cut: the reply is unusable.
            if (static_cast<std::size_t>(got) > capacity || (message.msg_flags & MSG_TRUNC))
                return false;
            if (from.nl_pid != 0)
                continue; // only the kernel speaks for the kernel
            length = KeepOurs(buffer, static_cast<std::size_t>(got));
            if (length > 0)
                return true;
        }
    }

private:
    std::size_t KeepOurs(std::uint8_t* buffer, std::size_t length) const
    {
        std::size_t kept = 0;
        for (std::size_t at = 0; length - at >= NLMSG_HDRLEN;) {
            nlmsghdr header;
            std::memcpy(&header, buffer + at, sizeof header);
            if (header.nlmsg_len < NLMSG_HDRLEN || header.nlmsg_len > length - at)
                break;
            const std::size_t step = std::min<std::size_t>(NLMSG_ALIGN(header.nlmsg_len), length - at);
            if (header.nlmsg_seq == m_seq && header.nlmsg_pid == m_port) {
                std::memmove(buffer + kept, buffer + at, step);
                kept += step;
            }
            at += step;
        }
        return kept;
    }

    int m_fd = -1;
    std::uint32_t m_port = 0;
    std::uint32_t m_seq = 0;
};

template <typename Body> struct Request
{
    nlmsghdr header;
    Body body;
};

template <typename Body> Request<Body> MakeRequest(std::uint16_t type, std::uint16_t flags)
{
    Request<Body> request{};
    request.header.nlmsg_len = sizeof request;
    request.header.nlmsg_type = type;
    request.header.nlmsg_flags = static_cast<std::uint16_t>(NLM_F_REQUEST | flags);
    return request;
}

constexpr int kDumpAttempts = 5;
constexpr std::size_t kReceiveBuffer = 256 * 1024;

// Sends request and hands each datagram of the reply to onDatagram until
// it says the dump is over (Done) or broken (Error).
template <typename Request, typename OnDatagram> bool RunDump(Request& request, OnDatagram&& onDatagram)
{
    Socket socket;
    if (!socket.Ok() || !socket.Send(request))
        return false;
    // Dump replies come in pieces of at most 32 KiB; one buffer serves them all.
    const std::unique_ptr<std::uint8_t[]> buffer(new std::uint8_t[kReceiveBuffer]);
    for (;;) {
        std::size_t length = 0;
        if (!socket.Receive(buffer.get(), kReceiveBuffer, length))
            return false;
        const DumpStatus status = onDatagram(buffer.get(), length);
        if (status == DumpStatus::Done)
            return true;
        if (status == DumpStatus::Error)
            return false;
    }
}

} // namespace

bool ParseRoute(const std::uint8_t* data, std::size_t length, RouteInfo& route, rtmsg& header)
{
    if (length < NLMSG_HDRLEN + sizeof(rtmsg))
        return false;
    nlmsghdr nl;
    std::memcpy(&nl, data, sizeof nl);
    if (nl.nlmsg_type != RTM_NEWROUTE || nl.nlmsg_len > length)
        return false;
    std::memcpy(&header, data + NLMSG_HDRLEN, sizeof header);
    if (header.rtm_family != AF_INET && header.rtm_family != AF_INET6)
        return false;
    route = RouteInfo{};
    route.type = header.rtm_type;
    std::uint32_t table = header.rtm_table;
    for (std::size_t at = NLMSG_HDRLEN + NLMSG_ALIGN(sizeof(rtmsg)); at + sizeof(rtattr) <= nl.nlmsg_len;) {
        rtattr attr;
        std::memcpy(&attr, data + at, sizeof attr);
        if (attr.rta_len < sizeof(rtattr) || attr.rta_len > nl.nlmsg_len - at)
            return false;
        const std::uint8_t* payload = data + at + RTA_LENGTH(0);
        const std::size_t payloadLength = attr.rta_len - RTA_LENGTH(0);
        if (attr.rta_type == RTA_OIF && payloadLength == 4)
            std::memcpy(&route.outInterface, payload, 4);
        else if (attr.rta_type == RTA_GATEWAY && payloadLength == 4)
            std::memcpy(&route.gateway, payload, 4);
        else if (attr.rta_type == RTA_GATEWAY && payloadLength == 16)
            std::memcpy(route.gateway6, payload, 16);
        else if (attr.rta_type == RTA_PREFSRC && payloadLength == 4)
            std::memcpy(&route.preferredSource, payload, 4);
        else if (attr.rta_type == RTA_TABLE && payloadLength == 4)
            std::memcpy(&table, payload, 4);
        at += RTA_ALIGN(attr.rta_len);
    }
    header.rtm_table = static_cast<unsigned char>(table > 255 ? 0 : table);
    return true;
}

DumpSource KernelNeighbourDump(int family)
{
    return [family](std::vector<std::vector<std::uint8_t>>& datagrams) {
        auto request = MakeRequest<ndmsg>(RTM_GETNEIGH, NLM_F_DUMP);
        request.body.ndm_family = static_cast<std::uint8_t>(family);
        return RunDump(request, [&](const std::uint8_t* data, std::size_t length) {
            datagrams.emplace_back(data, data + length);
            bool ignored = false;
            const DumpStatus status = WalkNetlinkBuffer(
                data, length, [](const std::uint8_t*, std::size_t) {}, ignored);
            // The walk over the whole dump judges a broken one.
            return status == DumpStatus::More ? status : DumpStatus::Done;
        });
    };
}

namespace {

// The entries of a whole dump, parse turning a message into one (true) or
// none; a dump the kernel flags as interrupted is read again.
template <typename Entry, typename Parse>
std::optional<std::vector<Entry>> DumpEntries(const DumpSource& source, Parse parse)
{
    for (int attempt = 0; attempt < kDumpAttempts; ++attempt) {
        std::vector<std::vector<std::uint8_t>> datagrams;
        if (!source || !source(datagrams))
            return std::nullopt;
        std::vector<Entry> entries;
        entries.reserve(256);
        bool interrupted = false;
        DumpStatus status = DumpStatus::More;
        for (const auto& datagram : datagrams) {
            status = WalkNetlinkBuffer(
                datagram.data(), datagram.size(),
                [&](const std::uint8_t* data, std::size_t length) {
                    Entry entry;
                    if (parse(data, length, entry))
                        entries.push_back(entry);
                },
                interrupted);
            if (status != DumpStatus::More)
                break;
        }
        if (status != DumpStatus::Done)
            return std::nullopt;
        if (!interrupted)
            return entries;
    }
    return std::nullopt;
}

} // namespace

std::optional<std::vector<NeighEntry>> DumpIpv4NeighbourEntries(const DumpSource& source)
{
    const unsigned loopback = ::if_nametoindex("lo");
    return DumpEntries<NeighEntry>(
        source, [&](const std::uint8_t* data, std::size_t length, NeighEntry& entry) {
            return ParseNeighMessage(data, length, entry.row, &entry.detail) == NeighParse::Row &&
                   (loopback == 0 || entry.row.dwIndex != loopback);
        });
}

std::optional<std::vector<Neighbour6>> DumpIpv6Neighbours(const DumpSource& source)
{
    const unsigned loopback = ::if_nametoindex("lo");
    return DumpEntries<Neighbour6>(source,
                                   [&](const std::uint8_t* data, std::size_t length, Neighbour6& entry) {
                                       return ParseNeigh6Message(data, length, entry) == NeighParse::Row &&
                                              (loopback == 0 || entry.ifindex != loopback);
                                   });
}

std::optional<std::vector<MIB_IPNETROW>> DumpIpv4Neighbours()
{
    auto entries = DumpIpv4NeighbourEntries();
    if (!entries)
        return std::nullopt;
    std::vector<MIB_IPNETROW> rows;
    rows.reserve(entries->size());
    for (const NeighEntry& entry : *entries)
        rows.push_back(entry.row);
    return rows;
}

EventSocket::EventSocket(int receiveBuffer) : m_buffer(kReceiveBuffer)
{
    m_fd = ::socket(AF_NETLINK, SOCK_RAW | SOCK_CLOEXEC | SOCK_NONBLOCK, NETLINK_ROUTE);
    if (m_fd < 0)
        return;
    // A burst of changes must not overrun it easily; FORCE works for root only.
    const int size = receiveBuffer > 0 ? receiveBuffer : 8 * 1024 * 1024;
    if (receiveBuffer > 0 || ::setsockopt(m_fd, SOL_SOCKET, SO_RCVBUFFORCE, &size, sizeof size) != 0)
        ::setsockopt(m_fd, SOL_SOCKET, SO_RCVBUF, &size, sizeof size);
    sockaddr_nl local{};
    local.nl_family = AF_NETLINK;
    local.nl_groups = RTMGRP_NEIGH | RTMGRP_IPV4_ROUTE | RTMGRP_IPV6_ROUTE;
    if (::bind(m_fd, reinterpret_cast<sockaddr*>(&local), sizeof local) != 0) {
        ::close(m_fd);
        m_fd = -1;
    }
}

EventSocket::~EventSocket()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

EventSocket::Read
EventSocket::Drain(const std::function<void(const NeighEntry& entry, bool deleted)>& onNeigh,
                   const std::function<void()>& onRoute,
                   const std::function<void(const Neighbour6& entry, bool deleted)>& onNeigh6)
{
    const unsigned loopback = ::if_nametoindex("lo");
    for (;;) {
        sockaddr_nl from{};
        iovec part{m_buffer.data(), m_buffer.size()};
        msghdr message{};
        message.msg_name = &from;
        message.msg_namelen = sizeof from;
        message.msg_iov = &part;
        message.msg_iovlen = 1;
        const ssize_t got = ::recvmsg(m_fd, &message, 0);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            if (errno == EAGAIN || errno == EWOULDBLOCK)
                return Read::Drained;
            if (errno == ENOBUFS)
                return Read::Overrun;
            return Read::Error;
        }
        if (from.nl_pid != 0 || (message.msg_flags & MSG_TRUNC))
            continue; // not the kernel's, or cut: the resync covers a cut one
        bool interrupted = false;
        WalkNetlinkBuffer(
            m_buffer.data(), static_cast<std::size_t>(got),
            [&](const std::uint8_t* data, std::size_t length) {
                nlmsghdr header;
                std::memcpy(&header, data, sizeof header);
                if (header.nlmsg_type == RTM_NEWROUTE || header.nlmsg_type == RTM_DELROUTE) {
                    onRoute();
                    return;
                }
                if (header.nlmsg_type != RTM_NEWNEIGH && header.nlmsg_type != RTM_DELNEIGH)
                    return;
                const bool deleted = header.nlmsg_type == RTM_DELNEIGH;
                std::vector<std::uint8_t> copy;
                if (deleted) {
                    // The parser reads a deletion like an addition.
                    copy.assign(data, data + length);
                    header.nlmsg_type = RTM_NEWNEIGH;
                    std::memcpy(copy.data(), &header, sizeof header);
                    data = copy.data();
                }
                NeighEntry entry;
                Neighbour6 entry6;
                if (ParseNeighMessage(data, length, entry.row, &entry.detail) == NeighParse::Row &&
                    (loopback == 0 || entry.row.dwIndex != loopback))
                    onNeigh(entry, deleted);
                else if (onNeigh6 && ParseNeigh6Message(data, length, entry6) == NeighParse::Row &&
                         (loopback == 0 || entry6.ifindex != loopback))
                    onNeigh6(entry6, deleted);
            },
            interrupted);
    }
}

namespace {

// One route query and the kernel's one answer, of family.
template <typename Request> std::optional<RouteInfo> AskRoute(Request& request, int family)
{
    Socket socket;
    if (!socket.Ok() || !socket.Send(request))
        return std::nullopt;
    const std::unique_ptr<std::uint8_t[]> buffer(new std::uint8_t[kReceiveBuffer]);
    std::size_t length = 0;
    if (!socket.Receive(buffer.get(), kReceiveBuffer, length))
        return std::nullopt;
    RouteInfo route;
    rtmsg header;
    if (!ParseRoute(buffer.get(), length, route, header) || header.rtm_family != family)
        return std::nullopt;
    return route;
}

} // namespace

std::optional<RouteInfo> GetRoute(std::uint32_t dest)
{
    struct RouteQuery
    {
        rtmsg route;
        rtattr dstAttr;
        std::uint32_t dst;
    };
    auto request = MakeRequest<RouteQuery>(RTM_GETROUTE, 0);
    request.body.route.rtm_family = AF_INET;
    request.body.route.rtm_dst_len = 32;
    request.body.dstAttr.rta_len = RTA_LENGTH(4);
    request.body.dstAttr.rta_type = RTA_DST;
    request.body.dst = dest;

    return AskRoute(request, AF_INET);
}

std::optional<RouteInfo> GetRoute6(const std::uint8_t (&dest)[16], int outInterface)
{
    struct RouteQuery
    {
        rtmsg route;
        rtattr dstAttr;
        std::uint8_t dst[16];
        rtattr oifAttr;
        std::int32_t oif;
    };
    auto request = MakeRequest<RouteQuery>(RTM_GETROUTE, 0);
    request.body.route.rtm_family = AF_INET6;
    request.body.route.rtm_dst_len = 128;
    request.body.dstAttr.rta_len = RTA_LENGTH(16);
    request.body.dstAttr.rta_type = RTA_DST;
    std::memcpy(request.body.dst, dest, 16);
    // A link-local target is asked on its own link; 0 leaves the choice to the kernel.
    request.body.oifAttr.rta_len = RTA_LENGTH(4);
    request.body.oifAttr.rta_type = RTA_OIF;
    request.body.oif = outInterface;

    return AskRoute(request, AF_INET6);
}

std::optional<RouteInfo> GetDefaultRoute(int family)
{
    auto request = MakeRequest<rtmsg>(RTM_GETROUTE, NLM_F_DUMP);
    request.body.rtm_family = static_cast<unsigned char>(family);

    std::optional<RouteInfo> found;
    bool interrupted = false;
    const auto onRoute = [&](const std::uint8_t* data, std::size_t length) {
        RouteInfo route;
        rtmsg header;
        if (found || !ParseRoute(data, length, route, header) || header.rtm_family != family)
            return;
        if (header.rtm_dst_len == 0 && header.rtm_table == RT_TABLE_MAIN && route.type == RTN_UNICAST)
            found = route;
    };
    const bool ok = RunDump(request, [&](const std::uint8_t* data, std::size_t length) {
        return WalkNetlinkBuffer(data, length, onRoute, interrupted);
    });
    if (!ok)
        return std::nullopt;
    return found;
}

} // namespace qv::netlink
