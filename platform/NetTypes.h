#pragma once

#include <cstddef>
#include <cstdint>

// Result codes of the network operations, with the values callers test for.
inline constexpr std::uint32_t NO_ERROR_CODE = 0;
inline constexpr std::uint32_t ERROR_ACCESS_DENIED_CODE = 5;
inline constexpr std::uint32_t ERROR_GEN_FAILURE_CODE = 31;
inline constexpr std::uint32_t ERROR_BAD_NET_NAME_CODE = 67;
inline constexpr std::uint32_t ERROR_INVALID_PARAMETER_CODE = 87;
inline constexpr std::uint32_t ERROR_INSUFFICIENT_BUFFER_CODE = 122;
inline constexpr std::uint32_t ERROR_NO_DATA_CODE = 232;
inline constexpr std::uint32_t ERROR_NOT_SUPPORTED_CODE = 50;
inline constexpr std::uint32_t ERROR_NOT_FOUND_CODE = 1168;
inline constexpr std::uint32_t ERROR_NETWORK_UNREACHABLE_CODE = 1231;
inline constexpr std::uint32_t ERROR_INVALID_USER_BUFFER_CODE = 1784;

#ifdef _WIN32
// The SDK's own table types, laid out as below.
#include <winsock2.h>
#include <ws2tcpip.h> // before iphlpapi.h, for its IPv6 tables
#include <iphlpapi.h>
#else
inline constexpr std::uint32_t MIB_IPNET_TYPE_OTHER = 1;
inline constexpr std::uint32_t MIB_IPNET_TYPE_INVALID = 2;
inline constexpr std::uint32_t MIB_IPNET_TYPE_DYNAMIC = 3;
inline constexpr std::uint32_t MIB_IPNET_TYPE_STATIC = 4;

// One neighbour entry, 24 bytes, as the table snapshot lays it out.
struct MIB_IPNETROW
{
    std::uint32_t dwIndex;
    std::uint32_t dwPhysAddrLen;
    std::uint8_t bPhysAddr[8];
    std::uint32_t dwAddr; // network byte order
    std::uint32_t dwType;
};
static_assert(sizeof(MIB_IPNETROW) == 24);

struct MIB_IPNETTABLE
{
    std::uint32_t dwNumEntries;
    MIB_IPNETROW table[1];
};
#endif

// Bytes a snapshot of n rows needs.
constexpr std::uint32_t IpNetTableSize(std::size_t rows)
{
    return static_cast<std::uint32_t>(offsetof(MIB_IPNETTABLE, table) + rows * sizeof(MIB_IPNETROW));
}
