#pragma once

#include "platform/NetTypes.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace qv::netlink {

// IPv4 neighbour table as the kernel dumps it, without 0.0.0.0 and loopback
// rows. nullopt when the dump cannot be read.
std::optional<std::vector<MIB_IPNETROW>> DumpIpv4Neighbours();

struct RouteInfo
{
    std::uint8_t type = 0; // RTN_*
    int outInterface = 0;
    std::uint32_t gateway = 0;         // network order, 0 when on-link
    std::uint32_t preferredSource = 0; // network order, 0 when none
};

// The route the kernel would use for dest (network order); nullopt when there is none.
std::optional<RouteInfo> GetRoute(std::uint32_t dest);

// The main table's default route, nullopt when there is none.
std::optional<RouteInfo> GetDefaultRoute();

} // namespace qv::netlink
