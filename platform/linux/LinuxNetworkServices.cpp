#include "platform/linux/LinuxNetworkServices.h"

#include "platform/AddressText.h"
#include "platform/linux/ArpRequest.h"
#include "platform/linux/NeighbourSolicitation.h"
#include "platform/linux/Netlink.h"
#include "platform/PlainText.h"
#include "platform/ReverseName.h"
#include "platform/ProgramPath.h"

#include <algorithm>
#include <cstring>
#include <string>

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <linux/rtnetlink.h>
#include <net/if.h>
#include <netdb.h>
#include <netinet/in.h>
#include <unistd.h>

LinuxNetworkServices::LinuxNetworkServices(std::chrono::milliseconds arpWait, std::string helperPath)
    : m_arpWait(arpWait), m_strHelperPath(std::move(helperPath))
{
}

std::string LinuxNetworkServices::DefaultHelperPath()
{
    return qv::ProgramPath("quorvane-arping");
}

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
    return QueryArp(destIp, srcIp, mac, length, nullptr);
}

std::uint32_t LinuxNetworkServices::QueryArp(std::uint32_t destIp, std::uint32_t srcIp, void* mac,
                                             std::uint32_t* length, std::string* detail)
{
    if (mac == nullptr || length == nullptr || *length < 6)
        return ERROR_INVALID_USER_BUFFER_CODE;
    const qv::arp::Path path = qv::arp::FindPath(destIp, srcIp);
    if (path.code != NO_ERROR_CODE)
        return path.code;
    std::uint8_t found[6] = {};
    const std::uint32_t result = Resolve(path.ifindex, path.source, destIp, found, detail);
    if (result == NO_ERROR_CODE) {
        std::memcpy(mac, found, 6);
        *length = 6;
    }
    return result;
}

std::uint32_t LinuxNetworkServices::QueryNeighbour6(const qv::IpAddress& target, const qv::IpAddress& source,
                                                    std::uint8_t mac[6], std::string* detail)
{
    if (detail)
        detail->clear();
    const qv::ndp::Path path = qv::ndp::FindPath(target, source);
    if (path.code != NO_ERROR_CODE)
        return path.code;
    return Resolve(path.ifindex, path.source, target, mac, detail);
}

std::uint32_t LinuxNetworkServices::Resolve(int ifindex, const qv::IpAddress& source,
                                            const qv::IpAddress& target, std::uint8_t mac[6],
                                            std::string* detail)
{
    qv::arp::Outcome outcome = qv::arp::Outcome::NoPermission;
    if (::geteuid() == 0)
        outcome = target.IsV6()
                      ? qv::ndp::RequestOverIcmp6Socket(ifindex, source, target, mac, m_arpWait)
                      : qv::arp::RequestOverPacketSocket(ifindex, source.V4(), target.V4(), mac, m_arpWait);
    else if (!m_strHelperPath.empty() && ::access(m_strHelperPath.c_str(), X_OK) == 0)
        // The raw request runs in the helper, the one file that may hold CAP_NET_RAW.
        outcome = qv::arp::RequestThroughHelper(m_strHelperPath, source, target, mac, m_arpWait);
    const bool mayNotSend = outcome == qv::arp::Outcome::NoPermission;
    if (mayNotSend || outcome == qv::arp::Outcome::Failed)
        outcome = qv::arp::RequestThroughKernel(ifindex, source, target, mac, m_arpWait, detail);
    // The kernel had nothing to go on: the cause is the missing capability.
    if (mayNotSend && outcome == qv::arp::Outcome::NoReply)
        outcome = qv::arp::Outcome::NoPermission;
    switch (outcome) {
    case qv::arp::Outcome::Reply:
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
    return LookupName(addr, name) == NameLookup::Found;
}

INetworkServices::NameLookup LinuxNetworkServices::LookupName(std::uint32_t addr, std::string& name)
{
    return qv::ReverseName(addr, name);
}

INetworkServices::NameLookup LinuxNetworkServices::LookupName6(const std::uint8_t (&addr)[16],
                                                               std::uint32_t scope, std::string& name)
{
    return qv::ReverseName6(addr, scope, name);
}

bool LinuxNetworkServices::GetIpv6Neighbours(std::vector<qv::Neighbour6>& rows)
{
    auto entries = qv::netlink::DumpIpv6Neighbours();
    if (!entries)
        return false;
    rows = std::move(*entries);
    return true;
}

std::string LinuxNetworkServices::GetLocalAddress()
{
    // The host name maps to 127.0.1.1 on Debian; the default route's source is
    // the address the ARP request would really leave from.
    if (const auto route = qv::netlink::GetDefaultRoute()) {
        std::uint32_t address = route->preferredSource;
        if (address == 0)
            address = qv::arp::FirstInterfaceAddress(route->outInterface);
        if (address != 0)
            return qv::InetNtoa(address);
    }
    if (const std::uint32_t address = qv::arp::FirstInterfaceAddress(0))
        return qv::InetNtoa(address);
    return "127.0.0.1";
}

std::string LinuxNetworkServices::GetGatewayAddress()
{
    // The default route's gateway is on the link GetLocalAddress sends from.
    const auto route = qv::netlink::GetDefaultRoute();
    return route && route->gateway != 0 ? qv::InetNtoa(route->gateway) : std::string();
}

bool LinuxNetworkServices::ResolveHost(const std::string& name, std::uint32_t& addr)
{
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_DGRAM;
    addrinfo* found = nullptr;
    if (::getaddrinfo(name.c_str(), nullptr, &hints, &found) != 0 || found == nullptr)
        return false;
    addr = reinterpret_cast<const sockaddr_in*>(found->ai_addr)->sin_addr.s_addr;
    ::freeaddrinfo(found);
    return true;
}
