#pragma once

#include <cstddef>
#include <cstdint>

// The vendor document compiled into the program at build time, so that
// nothing is parsed at start.
namespace qv::vendor_table {

// One registered block: its prefix (right-aligned) and the offset of its
// company, NUL-terminated, in the names.
struct Block
{
    std::uint64_t prefix;
    std::uint32_t name;
};

// Most specific first, as a MAC address is looked up.
enum Registry { MaS, Iab, MaM, MaL, RegistryCount };
inline constexpr int kRegistryBits[RegistryCount] = {36, 36, 28, 24};
inline constexpr const char* kRegistryNames[RegistryCount] = {"MA-S", "IAB", "MA-M", "MA-L"};

struct Data
{
    const Block* blocks[RegistryCount]; // each sorted by prefix, one block a prefix
    std::size_t counts[RegistryCount];
    const char* names;
    long long created; // the document's date, seconds since the epoch (UTC)
};

// The table of the document carried by this build.
const Data& Compiled();

} // namespace qv::vendor_table
