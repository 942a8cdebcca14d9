#include "platform/windows/CTablePoller.h"

#include "platform/AddressText.h"
#include "platform/SocketApi.h"

#include <algorithm>
#include <cstring>

bool CTablePoller::Poll(INetworkServices& net, std::vector<CChangeTracker::Event>& events)
{
    std::uint32_t gateway = 0;
    qv::ParseDottedQuad(net.GetGatewayAddress(), gateway);
    m_tracker.SetGateway(gateway);
    if (!ReadFamily(AF_INET, events) || !ReadFamily(AF_INET6, events))
        return false;
    m_baseline = false;
    return true;
}

bool CTablePoller::ReadFamily(unsigned short family, std::vector<CChangeTracker::Event>& events)
{
    MIB_IPNET_TABLE2* table = nullptr;
    const DWORD result = ::GetIpNetTable2(static_cast<ADDRESS_FAMILY>(family), &table);
    if (family == AF_INET6 &&
        (result == ERROR_NOT_SUPPORTED || result == ERROR_NOT_FOUND || result == ERROR_INVALID_FUNCTION))
        return true; // no IPv6 here
    if (result != NO_ERROR)
        return false;
    for (ULONG i = 0; i < table->NumEntries; ++i) {
        const MIB_IPNET_ROW2& entry = table->Table[i];
        if (entry.PhysicalAddressLength != 6 || entry.State == NlnsIncomplete ||
            entry.State == NlnsUnreachable)
            continue;
        CChangeTracker::Mac mac;
        std::memcpy(mac.data(), entry.PhysicalAddress, 6);
        if (std::all_of(mac.begin(), mac.end(), [](std::uint8_t b) { return b == 0; }))
            continue; // not resolved, whatever its state says
        // Broadcast and multicast entries are the system's own; told by the
        // MAC's group bit, as x.y.z.255 is a host's address on a wider subnet.
        if ((mac[0] & 1) != 0)
            continue;
        qv::IpAddress addr;
        if (entry.Address.si_family == AF_INET6) {
            std::uint8_t bytes[16];
            std::memcpy(bytes, &entry.Address.Ipv6.sin6_addr, 16);
            addr = qv::IpAddress(bytes, entry.InterfaceIndex);
            m_tracker.SetRouter6(addr, entry.IsRouter != 0);
        } else {
            addr = qv::IpAddress(static_cast<std::uint32_t>(entry.Address.Ipv4.sin_addr.s_addr));
        }
        if (m_baseline)
            m_tracker.Baseline(addr, mac, static_cast<int>(entry.InterfaceIndex));
        else
            m_tracker.Observe(addr, mac, events, static_cast<int>(entry.InterfaceIndex));
    }
    ::FreeMibTable(table);
    return true;
}
