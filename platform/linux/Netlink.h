#pragma once

#include "platform/linux/NeighMessage.h"
#include "platform/NetTypes.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include <linux/rtnetlink.h>
#include <sys/socket.h>

namespace qv::netlink {

struct NeighEntry
{
    MIB_IPNETROW row;
    NeighDetail detail;
};

// The datagrams of one neighbour dump, in order, as the kernel sent them
// for our request; false when the dump could not be read.
using DumpSource = std::function<bool(std::vector<std::vector<std::uint8_t>>& datagrams)>;

// The kernel over a netlink socket of its own, for one family.
DumpSource KernelNeighbourDump(int family = AF_INET);

// IPv4 neighbour table as the kernel dumps it, without 0.0.0.0 and loopback
// rows; a dump the kernel flags as interrupted is read again. nullopt when
// the dump cannot be read.
std::optional<std::vector<NeighEntry>>
DumpIpv4NeighbourEntries(const DumpSource& source = KernelNeighbourDump());
std::optional<std::vector<MIB_IPNETROW>> DumpIpv4Neighbours();

// The IPv6 neighbour table, without loopback entries; nullopt when it
// cannot be read.
std::optional<std::vector<Neighbour6>>
DumpIpv6Neighbours(const DumpSource& source = KernelNeighbourDump(AF_INET6));

// A socket subscribed to the kernel's neighbour and route announcements. Open it before dumping the table, so
// nothing falls between the dump and the first announcement.
class EventSocket
{
public:
    // receiveBuffer: bytes to ask for, 0 for a large default.
    explicit EventSocket(int receiveBuffer = 0);
    ~EventSocket();
    EventSocket(const EventSocket&) = delete;
    EventSocket& operator=(const EventSocket&) = delete;

    bool Ok() const { return m_fd >= 0; }
    int Fd() const { return m_fd; }

    enum class Read {
        Drained, // everything queued was read
        Overrun, // the kernel dropped announcements (ENOBUFS): the table must be read again
        Error
    };
    // Reads what is queued without waiting: onNeigh for each IPv4 neighbour
    // announcement (deleted for RTM_DELNEIGH), onNeigh6 (when set) for each
    // IPv6 one, onRoute for each route one.
    Read Drain(const std::function<void(const NeighEntry& entry, bool deleted)>& onNeigh,
               const std::function<void()>& onRoute,
               const std::function<void(const Neighbour6& entry, bool deleted)>& onNeigh6 = nullptr);

private:
    int m_fd = -1;
    std::vector<std::uint8_t> m_buffer;
};

struct RouteInfo
{
    std::uint8_t type = 0; // RTN_*
    int outInterface = 0;
    std::uint32_t gateway = 0;         // network order, 0 when on-link
    std::uint8_t gateway6[16] = {};    // an IPv6 route's next hop, zeros when on-link
    std::uint32_t preferredSource = 0; // network order, 0 when none
};

// One RTM_NEWROUTE message of an IPv4 or IPv6 route as the kernel sends it: false
// for anything else, and for an attribute that runs past the message.
bool ParseRoute(const std::uint8_t* data, std::size_t length, RouteInfo& route, rtmsg& header);

// The route the kernel would use for dest (network order); nullopt when there is none.
std::optional<RouteInfo> GetRoute(std::uint32_t dest);

// The same for an IPv6 dest, on outInterface when it is not 0.
std::optional<RouteInfo> GetRoute6(const std::uint8_t (&dest)[16], int outInterface);

// The main table's default route of family, nullopt when there is none.
std::optional<RouteInfo> GetDefaultRoute(int family = AF_INET);

} // namespace qv::netlink
