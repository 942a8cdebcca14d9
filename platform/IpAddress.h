#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace qv {

// A neighbour's address of either family. An IPv6 link-local address keeps
// its interface, since the same one may live on several links; any other
// address has scope 0, so that one seen on a route and in the table match.
class IpAddress
{
public:
    IpAddress() = default;
    // IPv4, network order; implicit so that IPv4 callers keep their numbers.
    IpAddress(std::uint32_t v4) : m_v4(v4) {}
    // IPv6; ifindex is kept only for a link-local address.
    IpAddress(const std::uint8_t (&v6)[16], std::uint32_t ifindex);

    bool IsV6() const { return m_v6; }
    bool IsEmpty() const;
    std::uint32_t V4() const { return m_v4; }
    const std::uint8_t (&V6() const)[16] { return m_bytes; }
    std::uint32_t Scope() const { return m_scope; }
    // fe80::/10, whose interface is part of the address.
    static bool IsLinkLocal(const std::uint8_t (&v6)[16]) { return v6[0] == 0xFE && (v6[1] & 0xC0) == 0x80; }
    bool IsLinkLocal() const { return m_v6 && IsLinkLocal(m_bytes); }

    // Dotted text, or RFC 5952 text with "%interface" for a link-local one.
    std::string Text() const;
    // The reverse of Text; false for anything else (an unknown zone too).
    static bool Parse(const std::string& text, IpAddress& address);

    bool operator==(const IpAddress& other) const = default;
    std::size_t Hash() const;

    struct Hasher
    {
        std::size_t operator()(const IpAddress& address) const { return address.Hash(); }
    };

private:
    bool m_v6 = false;
    std::uint32_t m_v4 = 0;
    std::uint8_t m_bytes[16] = {};
    std::uint32_t m_scope = 0;
};

} // namespace qv
