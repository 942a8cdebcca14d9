#include "platform/LinuxNetworkServices.h"

#include "platform/AddressText.h"
#include "platform/ArpRequest.h"
#include "platform/Netlink.h"

#include <algorithm>
#include <cstring>
#include <string>

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <linux/rtnetlink.h>
#include <net/if.h>
#include <netdb.h>
#include <netinet/in.h>

namespace {

// Interface index that carries address (network order), 0 when none does.
int InterfaceOfLocalAddress(std::uint32_t address)
{
    ifaddrs* list = nullptr;
    if (::getifaddrs(&list) != 0)
        return 0;
    int index = 0;
    for (ifaddrs* it = list; it != nullptr && index == 0; it = it->ifa_next) {
        if (it->ifa_addr == nullptr || it->ifa_addr->sa_family != AF_INET)
            continue;
        if (reinterpret_cast<const sockaddr_in*>(it->ifa_addr)->sin_addr.s_addr != address)
            continue;
        std::string name = it->ifa_name;
        name = name.substr(0, name.find(':')); // alias labels such as eth0:1
        index = static_cast<int>(::if_nametoindex(name.c_str()));
    }
    ::freeifaddrs(list);
    return index;
}

// First IPv4 address of an up, non-loopback interface (of ifindex when given).
std::uint32_t FirstInterfaceAddress(int ifindex)
{
    ifaddrs* list = nullptr;
    if (::getifaddrs(&list) != 0)
        return 0;
    std::uint32_t found = 0;
    for (ifaddrs* it = list; it != nullptr && found == 0; it = it->ifa_next) {
        if (it->ifa_addr == nullptr || it->ifa_addr->sa_family != AF_INET)
            continue;
        if (!(it->ifa_flags & IFF_UP) || (it->ifa_flags & IFF_LOOPBACK))
            continue;
        if (ifindex != 0) {
            std::string name = it->ifa_name;
            name = name.substr(0, name.find(':'));
            if (static_cast<int>(::if_nametoindex(name.c_str())) != ifindex)
                continue;
        }
        found = reinterpret_cast<const sockaddr_in*>(it->ifa_addr)->sin_addr.s_addr;
    }
    ::freeifaddrs(list);
    return found;
}

bool IsUnicastTarget(std::uint32_t address)
{
    const std::uint32_t host = ntohl(address);
    return host != 0 && host != 0xFFFFFFFFu && (host >> 28) != 0xE;
}

} // namespace

LinuxNetworkServices::LinuxNetworkServices(std::chrono::milliseconds arpWait) : m_arpWait(arpWait) {}

std::uint32_t LinuxNetworkServices::GetIpNetTable(MIB_IPNETTABLE* table, std::uint32_t* size, bool order)
{
    if (size == nullptr)
        return ERROR_INVALID_PARAMETER_CODE;
    auto rows = qv::netlink::DumpIpv4Neighbours();
    if (!rows)
        return ERROR_GEN_FAILURE_CODE;
    if (rows->empty()) {
        *size = 0;
        return ERROR_NO_DATA_CODE;
    }
    const std::uint32_t needed = IpNetTableSize(rows->size());
    if (table == nullptr || *size < needed) {
        *size = needed;
        return ERROR_INSUFFICIENT_BUFFER_CODE;
    }
    if (order)
        std::stable_sort(rows->begin(), rows->end(), [](const MIB_IPNETROW& a, const MIB_IPNETROW& b) {
            return ntohl(a.dwAddr) < ntohl(b.dwAddr);
        });
    table->dwNumEntries = static_cast<std::uint32_t>(rows->size());
    std::memcpy(table->table, rows->data(), rows->size() * sizeof(MIB_IPNETROW));
    return NO_ERROR_CODE;
}

std::uint32_t LinuxNetworkServices::SendARP(std::uint32_t destIp, std::uint32_t srcIp, void* mac,
                                            std::uint32_t* length)
{
    if (mac == nullptr || length == nullptr || *length < 6)
        return ERROR_INVALID_USER_BUFFER_CODE;
    if (!IsUnicastTarget(destIp))
        return ERROR_INVALID_PARAMETER_CODE;

    int sourceInterface = 0;
    if (srcIp != 0) {
        sourceInterface = InterfaceOfLocalAddress(srcIp);
        if (sourceInterface == 0)
            return ERROR_NOT_FOUND_CODE;
    }
    const auto route = qv::netlink::GetRoute(destIp);
    // Only a target on the source's own link is asked: a route through a
    // gateway would give the router's address, not the target's.
    if (!route || route->type != RTN_UNICAST || route->gateway != 0)
        return ERROR_NETWORK_UNREACHABLE_CODE;
    if (sourceInterface != 0 && route->outInterface != sourceInterface)
        return ERROR_NETWORK_UNREACHABLE_CODE;
    if (srcIp == 0)
        srcIp = route->preferredSource ? route->preferredSource : FirstInterfaceAddress(route->outInterface);

    std::uint8_t found[6] = {};
    qv::arp::Outcome outcome =
        qv::arp::RequestOverPacketSocket(route->outInterface, srcIp, destIp, found, m_arpWait);
    if (outcome == qv::arp::Outcome::NoPermission)
        outcome = qv::arp::RequestThroughKernel(route->outInterface, srcIp, destIp, found, m_arpWait);
    switch (outcome) {
    case qv::arp::Outcome::Reply:
        std::memcpy(mac, found, 6);
        *length = 6;
        return NO_ERROR_CODE;
    case qv::arp::Outcome::NoReply:
        return ERROR_BAD_NET_NAME_CODE;
    case qv::arp::Outcome::NoPermission:
        return ERROR_ACCESS_DENIED_CODE;
    case qv::arp::Outcome::Failed:
        break;
    }
    return ERROR_GEN_FAILURE_CODE;
}

bool LinuxNetworkServices::GetHostByAddr(std::uint32_t addr, std::string& name)
{
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = addr;
    char host[NI_MAXHOST] = {};
    if (::getnameinfo(reinterpret_cast<sockaddr*>(&address), sizeof address, host, sizeof host, nullptr, 0,
                      NI_NAMEREQD) != 0)
        return false;
    // A name with control characters would corrupt the list and the saved file.
    for (const char* c = host; *c; ++c)
        if (static_cast<unsigned char>(*c) < 0x20 || *c == 0x7F)
            return false;
    if (host[0] == '\0')
        return false;
    name = host;
    return true;
}

std::string LinuxNetworkServices::GetLocalAddress()
{
    // The host name maps to 127.0.1.1 on Debian; the default route's source is
    // the address the ARP request would really leave from.
    if (const auto route = qv::netlink::GetDefaultRoute()) {
        std::uint32_t address = route->preferredSource;
        if (address == 0)
            address = FirstInterfaceAddress(route->outInterface);
        if (address != 0)
            return qv::InetNtoa(address);
    }
    if (const std::uint32_t address = FirstInterfaceAddress(0))
        return qv::InetNtoa(address);
    return "127.0.0.1";
}
