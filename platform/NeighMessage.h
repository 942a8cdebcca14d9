#pragma once

#include "platform/NetTypes.h"

#include <cstddef>
#include <cstdint>
#include <functional>

namespace qv {

enum class NeighParse {
    Row,      // an IPv4 neighbour entry, row filled
    Skip,     // well-formed but not for the table (other family, no address, 0.0.0.0)
    Malformed // cut short or inconsistent
};

// What the table's row leaves out of a neighbour entry.
struct NeighDetail
{
    std::uint16_t state = 0;        // NUD_* bits
    bool haveCacheInfo = false;     // NDA_CACHEINFO was present
    std::uint32_t confirmedAgo = 0; // clock ticks (USER_HZ) since the last confirmation
};

// One IPv6 neighbour entry, the table's other family.
struct Neighbour6
{
    std::uint8_t addr[16];
    std::uint32_t ifindex;
    std::uint32_t physLen;
    std::uint8_t phys[8]; // the first 6 bytes of an Ethernet address, zeros otherwise
    std::uint32_t type;   // as MIB_IPNETROW's
    bool router;          // the kernel flags it as a router (NTF_ROUTER)
    NeighDetail detail;
};

// Neighbour state bits to the table's type number.
std::uint32_t NeighStateToType(std::uint16_t state);

// One netlink message (header included) of an RTM_NEWNEIGH dump to one row,
// and its detail when asked for. Reads nothing outside data[0..length).
NeighParse ParseNeighMessage(const std::uint8_t* data, std::size_t length, MIB_IPNETROW& row,
                             NeighDetail* detail = nullptr);

// The same for an AF_INET6 entry; Skip for other families, the unspecified
// address and multicast groups.
NeighParse ParseNeigh6Message(const std::uint8_t* data, std::size_t length, Neighbour6& row);

enum class DumpStatus {
    More, // the buffer ended before NLMSG_DONE
    Done, // NLMSG_DONE seen
    Error // NLMSG_ERROR or a malformed buffer
};

// Walks the messages of one received buffer, calling onMessage for each
// data message; stops at NLMSG_DONE, NLMSG_ERROR or a malformed header.
// interrupted is set when the kernel flagged the dump inconsistent.
DumpStatus WalkNetlinkBuffer(const std::uint8_t* data, std::size_t length,
                             const std::function<void(const std::uint8_t*, std::size_t)>& onMessage,
                             bool& interrupted);

} // namespace qv
