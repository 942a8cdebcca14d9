#pragma once

#include <cstdint>

namespace qv {

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

} // namespace qv
