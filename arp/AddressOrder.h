#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace qv {

// The order of the list's address column: by the address as a number, so
// that 10.0.0.9 comes before 10.0.0.10, IPv4 before IPv6, and text that is
// no address last.
using AddressKey = std::array<std::uint8_t, 17>;
AddressKey AddressSortKey(const std::string& text);

} // namespace qv
