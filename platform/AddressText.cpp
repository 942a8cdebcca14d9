#include "platform/AddressText.h"

#include "platform/IpAddress.h"
#include "platform/NetTypes.h"
#include "platform/SocketApi.h"

namespace qv {

std::uint32_t InetAddr(const std::string& text)
{
    // glibc's inet_addr works through inet_aton on the caller's stack.
    return ::inet_addr(text.c_str());
}

bool ParseDottedQuad(const std::string& text, std::uint32_t& networkOrder)
{
    in_addr address{};
    if (::inet_pton(AF_INET, text.c_str(), &address) != 1)
        return false;
    networkOrder = address.s_addr;
    return true;
}

std::string InetNtoa(std::uint32_t networkOrder)
{
    in_addr address{};
    address.s_addr = networkOrder;
    char text[INET_ADDRSTRLEN] = {};
    ::inet_ntop(AF_INET, &address, text, sizeof text);
    return text;
}

std::string DescribeArpResult(std::uint32_t code)
{
    switch (code) {
    case NO_ERROR_CODE:
        return "success";
    case ERROR_BAD_NET_NAME_CODE:
        return "no reply from the target";
    case ERROR_NOT_FOUND_CODE:
        return "the source address is not an address of this machine";
    case ERROR_NETWORK_UNREACHABLE_CODE:
        return "the target is not on a link of the source's interface";
    case ERROR_ACCESS_DENIED_CODE:
        return "permission denied";
    case ERROR_INVALID_PARAMETER_CODE:
        return "the target is not a unicast address";
    case ERROR_NOT_SUPPORTED_CODE:
        return "not supported on this system";
    case ERROR_INVALID_USER_BUFFER_CODE:
        return "the address buffer is too small";
    default:
        return "network error " + std::to_string(code);
    }
}

std::string InterfaceName(std::uint32_t ifindex)
{
    char name[256] = {}; // at least IF_NAMESIZE on every system
    return ifindex != 0 && ::if_indextoname(ifindex, name) != nullptr ? name : std::string();
}

std::string Inet6Text(const std::uint8_t (&addr)[16], std::uint32_t ifindex)
{
    char text[INET6_ADDRSTRLEN] = {};
    if (::inet_ntop(AF_INET6, addr, text, sizeof text) == nullptr)
        return std::string();
    std::string result = text;
    // The same link-local address may live on several links.
    if (IpAddress::IsLinkLocal(addr))
        if (const std::string name = InterfaceName(ifindex); !name.empty())
            result += "%" + name;
    return result;
}

} // namespace qv
