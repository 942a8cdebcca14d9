#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace qv {

// What a MAC address is when its registry block does not say: virtual
// routers and NICs by their well-known prefixes ("VRRP virtual router
// (VRID 7)"), which hold over the block's owner (IANA, Cisco); nullopt
// for any other address.
std::optional<std::string> ProtocolAddressText(const std::uint8_t* mac);

// For an address no registry names: "Broadcast", "Multicast", "Locally
// administered" by its first byte's bits; nullopt for a globally unique
// unicast address (and for all zeros, which is no address at all).
std::optional<std::string> AddressKindText(const std::uint8_t* mac);

} // namespace qv
