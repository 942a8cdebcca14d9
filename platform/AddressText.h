#pragma once

#include <cstdint>
#include <string>

namespace qv {

inline constexpr std::uint32_t INADDR_NONE_VALUE = 0xFFFFFFFFu;

// Dotted text to a network-order address with the classic inet_addr rules
// (INADDR_NONE_VALUE for text that is not an address). Thread-safe.
std::uint32_t InetAddr(const std::string& text);

// Strict dotted-quad check for text a user typed on the command line.
bool ParseDottedQuad(const std::string& text, std::uint32_t& networkOrder);

// Network-order address to dotted text; no shared buffer.
std::string InetNtoa(std::uint32_t networkOrder);

// The name of interface ifindex ("eth0"), empty when it has none now.
std::string InterfaceName(std::uint32_t ifindex);

// RFC 5952 text of an IPv6 address (lower case, longest zero run as ::);
// a link-local one carries its interface as the zone: "fe80::1%eth0".
std::string Inet6Text(const std::uint8_t (&addr)[16], std::uint32_t ifindex);

// What a failing SendARP code means, for messages.
std::string DescribeArpResult(std::uint32_t code);

} // namespace qv
