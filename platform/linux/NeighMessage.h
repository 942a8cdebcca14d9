#pragma once

#include "platform/Neighbour6.h"
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
