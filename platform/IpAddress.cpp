#include "platform/IpAddress.h"

#include "platform/AddressText.h"
#include "platform/SocketApi.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <string_view>

namespace qv {

IpAddress::IpAddress(const std::uint8_t (&v6)[16], std::uint32_t ifindex)
    : m_v6(true), m_scope(IsLinkLocal(v6) ? ifindex : 0)
{
    std::memcpy(m_bytes, v6, sizeof m_bytes);
}

bool IpAddress::IsEmpty() const
{
    return m_v6 ? std::all_of(std::begin(m_bytes), std::end(m_bytes), [](std::uint8_t b) { return b == 0; })
                : m_v4 == 0;
}

std::string IpAddress::Text() const
{
    return m_v6 ? Inet6Text(m_bytes, m_scope) : InetNtoa(m_v4);
}

bool IpAddress::Parse(const std::string& text, IpAddress& address)
{
    std::uint32_t v4 = 0;
    if (ParseDottedQuad(text, v4)) {
        address = IpAddress(v4);
        return true;
    }
    const std::size_t percent = text.find('%');
    std::uint8_t v6[16];
    if (::inet_pton(AF_INET6, text.substr(0, percent).c_str(), v6) != 1)
        return false;
    std::uint32_t ifindex = 0;
    if (percent != std::string::npos) {
        ifindex = ::if_nametoindex(text.c_str() + percent + 1);
        if (ifindex == 0 || !IsLinkLocal(v6))
            return false;
    }
    address = IpAddress(v6, ifindex);
    return true;
}

std::size_t IpAddress::Hash() const
{
    if (!m_v6)
        return std::hash<std::uint32_t>()(m_v4);
    return std::hash<std::string_view>()(
               std::string_view(reinterpret_cast<const char*>(m_bytes), sizeof m_bytes)) ^
           m_scope;
}

} // namespace qv
