#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace qv {

// "%02X-%02X-%02X" of the first three bytes of a MAC address.
std::string MakeOuiKey(const std::uint8_t* mac);

// "%02X:%02X:%02X:%02X:%02X:%02X" of six MAC bytes.
std::string MakeMacText(const std::uint8_t* mac);

// Turns what a user types (an OUI or a whole MAC, any case, separated by
// '-', ':' or nothing) into the lookup key; nullopt when it is neither.
std::optional<std::string> NormaliseOuiKey(std::string_view text);

} // namespace qv
