#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qv {

// "%02X-%02X-%02X" of the first three bytes of a MAC address.
std::string MakeOuiKey(const std::uint8_t* mac);

// "%02X:%02X:%02X:%02X:%02X:%02X" of six MAC bytes.
std::string MakeMacText(const std::uint8_t* mac);

// The bytes of what a user types: an OUI (3 bytes) or a whole MAC (6), in
// any case, in pairs separated by '-' or ':' or nothing, or in Cisco's
// dotted groups of four ("0000.0c12.3456"); nullopt when it is neither.
std::optional<std::vector<std::uint8_t>> ParseMacText(std::string_view text);

// A registry's block: the first 24, 28 or 36 bits of a MAC address,
// right-aligned in prefix.
struct MacBlock
{
    std::uint64_t prefix = 0;
    int bits = 0;
};

// The document's key of a block: upper-case hex digits in pairs joined by
// "-", the last one alone for 28 and 36 bits: "00-00-0C", "74-1A-E0-9",
// "70-B3-D5-F2-F". nullopt for any other text (other case or separators).
std::optional<MacBlock> ParseBlockKey(std::string_view key);

// The key of a block given as the registry's hex digits ("741AE09").
std::string MakeBlockKey(std::string_view hexDigits);

// The 48 bits of a MAC address, first byte highest.
std::uint64_t MacValue(const std::uint8_t* mac);

} // namespace qv
