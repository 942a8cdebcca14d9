#include "platform/ReverseName.h"

#include "platform/PlainText.h"
#include "platform/SocketApi.h"

#include <cstring>

namespace qv {

namespace {

INetworkServices::NameLookup NameOf(const sockaddr* address, socklen_t length, std::string& name)
{
    char host[NI_MAXHOST] = {};
    const int result = ::getnameinfo(address, length, host, sizeof host, nullptr, 0, NI_NAMEREQD);
    if (result == EAI_NONAME)
        return INetworkServices::NameLookup::NoName;
    if (result != 0)
        return INetworkServices::NameLookup::TryLater; // a timeout or SERVFAIL says nothing of the name
    // A name with control or bidirectional characters would corrupt the list
    // and the saved file, or show as something it is not.
    if (host[0] == '\0' || !IsPlainText(host))
        return INetworkServices::NameLookup::NoName;
    name = host;
    return INetworkServices::NameLookup::Found;
}

} // namespace

INetworkServices::NameLookup ReverseName(std::uint32_t addr, std::string& name)
{
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = addr;
    return NameOf(reinterpret_cast<sockaddr*>(&address), sizeof address, name);
}

INetworkServices::NameLookup ReverseName6(const std::uint8_t (&addr)[16], std::uint32_t scope,
                                          std::string& name)
{
    sockaddr_in6 address{};
    address.sin6_family = AF_INET6;
    std::memcpy(&address.sin6_addr, addr, 16);
    address.sin6_scope_id = scope;
    return NameOf(reinterpret_cast<sockaddr*>(&address), sizeof address, name);
}

} // namespace qv
