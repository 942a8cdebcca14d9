#include "platform/windows/WindowsNetworkServices.h"

#include "platform/AddressText.h"
#include "platform/PlainText.h"
#include "platform/ReverseName.h"
#include "platform/SocketApi.h"

#include <cstring>
#include <memory>

namespace {

std::uint32_t TypeOfState(NL_NEIGHBOR_STATE state)
{
    switch (state) {
    case NlnsPermanent:
        return MIB_IPNET_TYPE_STATIC;
    case NlnsReachable:
    case NlnsStale:
    case NlnsDelay:
    case NlnsProbe:
        return MIB_IPNET_TYPE_DYNAMIC;
    case NlnsIncomplete:
    case NlnsUnreachable:
        return MIB_IPNET_TYPE_INVALID;
    default:
        return MIB_IPNET_TYPE_OTHER;
    }
}

// The adapters with their IPv4 addresses and gateways; null when none can be read.
std::unique_ptr<std::uint8_t[]> Adapters()
{
    ULONG size = 16 * 1024;
    for (int attempt = 0; attempt < 4; ++attempt) {
        std::unique_ptr<std::uint8_t[]> buffer(new std::uint8_t[size]);
        const ULONG result =
            ::GetAdaptersAddresses(AF_INET, GAA_FLAG_INCLUDE_GATEWAYS | GAA_FLAG_SKIP_DNS_SERVER, nullptr,
                                   reinterpret_cast<IP_ADAPTER_ADDRESSES*>(buffer.get()), &size);
        if (result == NO_ERROR)
            return buffer;
        if (result != ERROR_BUFFER_OVERFLOW)
            break;
    }
    return nullptr;
}

std::uint32_t V4Of(const SOCKET_ADDRESS& address)
{
    if (address.lpSockaddr == nullptr || address.lpSockaddr->sa_family != AF_INET)
        return 0;
    return reinterpret_cast<const sockaddr_in*>(address.lpSockaddr)->sin_addr.s_addr;
}

// The up adapter that has a default gateway, else any up one that is not loopback.
const IP_ADAPTER_ADDRESSES* MainAdapter(const std::uint8_t* buffer)
{
    const IP_ADAPTER_ADDRESSES* fallback = nullptr;
    for (auto* adapter = reinterpret_cast<const IP_ADAPTER_ADDRESSES*>(buffer); adapter;
         adapter = adapter->Next) {
        if (adapter->OperStatus != IfOperStatusUp || adapter->IfType == IF_TYPE_SOFTWARE_LOOPBACK ||
            adapter->FirstUnicastAddress == nullptr)
            continue;
        if (adapter->FirstGatewayAddress != nullptr)
            return adapter;
        if (fallback == nullptr)
            fallback = adapter;
    }
    return fallback;
}

} // namespace

WindowsNetworkServices::WindowsNetworkServices()
{
    WSADATA data;
    m_winsock = ::WSAStartup(MAKEWORD(2, 2), &data) == 0;
}

WindowsNetworkServices::~WindowsNetworkServices()
{
    if (m_winsock)
        ::WSACleanup();
}

std::uint32_t WindowsNetworkServices::GetIpNetTable(MIB_IPNETTABLE* table, std::uint32_t* size, bool order)
{
    ULONG bytes = *size;
    const ULONG result = ::GetIpNetTable(table, &bytes, order ? TRUE : FALSE);
    *size = bytes;
    return result;
}

std::uint32_t WindowsNetworkServices::SendARP(std::uint32_t destIp, std::uint32_t srcIp, void* mac,
                                              std::uint32_t* length)
{
    ULONG bytes = *length;
    const DWORD result = ::SendARP(destIp, srcIp, mac, &bytes);
    *length = bytes;
    return result;
}

bool WindowsNetworkServices::GetHostByAddr(std::uint32_t addr, std::string& name)
{
    return LookupName(addr, name) == NameLookup::Found;
}

INetworkServices::NameLookup WindowsNetworkServices::LookupName(std::uint32_t addr, std::string& name)
{
    return qv::ReverseName(addr, name);
}

INetworkServices::NameLookup WindowsNetworkServices::LookupName6(const std::uint8_t (&addr)[16],
                                                                 std::uint32_t scope, std::string& name)
{
    return qv::ReverseName6(addr, scope, name);
}

bool WindowsNetworkServices::GetIpv6Neighbours(std::vector<qv::Neighbour6>& rows)
{
    rows.clear();
    MIB_IPNET_TABLE2* table = nullptr;
    const DWORD result = ::GetIpNetTable2(AF_INET6, &table);
    if (result == ERROR_NOT_SUPPORTED || result == ERROR_NOT_FOUND || result == ERROR_INVALID_FUNCTION)
        return true; // no IPv6 table here (Wine has none): nothing to list
    if (result != NO_ERROR)
        return false;
    static const std::uint8_t unspecified[16] = {};
    static const std::uint8_t loopback[16] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1};
    for (ULONG i = 0; i < table->NumEntries; ++i) {
        const MIB_IPNET_ROW2& entry = table->Table[i];
        const auto* addr = reinterpret_cast<const std::uint8_t*>(&entry.Address.Ipv6.sin6_addr);
        // Multicast groups and the loopback are no neighbours.
        if (addr[0] == 0xFF || std::memcmp(addr, unspecified, 16) == 0 ||
            std::memcmp(addr, loopback, 16) == 0)
            continue;
        qv::Neighbour6 row{};
        std::memcpy(row.addr, addr, 16);
        row.ifindex = entry.InterfaceIndex;
        row.physLen = entry.PhysicalAddressLength;
        if (entry.PhysicalAddressLength == 6)
            std::memcpy(row.phys, entry.PhysicalAddress, 6);
        row.type = TypeOfState(entry.State);
        row.router = entry.IsRouter != 0;
        rows.push_back(row);
    }
    ::FreeMibTable(table);
    return true;
}

std::uint32_t WindowsNetworkServices::QueryNeighbour6(const qv::IpAddress& target,
                                                      const qv::IpAddress& source, std::uint8_t mac[6],
                                                      std::string* detail)
{
    if (detail)
        detail->clear();
    MIB_IPNET_ROW2 row{};
    row.Address.Ipv6.sin6_family = AF_INET6;
    std::memcpy(&row.Address.Ipv6.sin6_addr, target.V6(), 16);
    row.Address.Ipv6.sin6_scope_id = target.Scope();
    row.InterfaceIndex = target.Scope();
    SOCKADDR_INET from{};
    if (!source.IsEmpty()) {
        from.Ipv6.sin6_family = AF_INET6;
        std::memcpy(&from.Ipv6.sin6_addr, source.V6(), 16);
        from.Ipv6.sin6_scope_id = source.Scope();
    }
    if (row.InterfaceIndex == 0) {
        DWORD best = 0;
        if (::GetBestInterfaceEx(reinterpret_cast<sockaddr*>(&row.Address.Ipv6), &best) != NO_ERROR)
            return ERROR_NETWORK_UNREACHABLE_CODE;
        row.InterfaceIndex = best;
    }
    // The system sends the solicitation itself and waits for the answer.
    const DWORD result = ::ResolveIpNetEntry2(&row, source.IsEmpty() ? nullptr : &from);
    if (result != NO_ERROR)
        return result;
    if (row.PhysicalAddressLength != 6)
        return ERROR_BAD_NET_NAME_CODE;
    std::memcpy(mac, row.PhysicalAddress, 6);
    return NO_ERROR_CODE;
}

std::string WindowsNetworkServices::GetLocalAddress()
{
    const auto buffer = Adapters();
    const IP_ADAPTER_ADDRESSES* adapter = buffer ? MainAdapter(buffer.get()) : nullptr;
    if (adapter != nullptr)
        for (auto* unicast = adapter->FirstUnicastAddress; unicast; unicast = unicast->Next)
            if (const std::uint32_t address = V4Of(unicast->Address))
                return qv::InetNtoa(address);
    return "127.0.0.1";
}

std::string WindowsNetworkServices::GetGatewayAddress()
{
    const auto buffer = Adapters();
    const IP_ADAPTER_ADDRESSES* adapter = buffer ? MainAdapter(buffer.get()) : nullptr;
    if (adapter != nullptr)
        for (auto* gateway = adapter->FirstGatewayAddress; gateway; gateway = gateway->Next)
            if (const std::uint32_t address = V4Of(gateway->Address))
                return qv::InetNtoa(address);
    return std::string();
}

bool WindowsNetworkServices::ResolveHost(const std::string& name, std::uint32_t& addr)
{
    addrinfo hints{};
    hints.ai_family = AF_INET;
    addrinfo* found = nullptr;
    if (::getaddrinfo(name.c_str(), nullptr, &hints, &found) != 0 || found == nullptr)
        return false;
    addr = reinterpret_cast<const sockaddr_in*>(found->ai_addr)->sin_addr.s_addr;
    ::freeaddrinfo(found);
    return true;
}
