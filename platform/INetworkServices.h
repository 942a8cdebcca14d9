#pragma once

#include "platform/IpAddress.h"
#include "platform/Neighbour6.h"
#include "platform/NetTypes.h"

#include <cstdint>
#include <string>
#include <vector>

// The operating system's network as the monitor uses it. Every failure is a
// result; nothing throws. Safe to call from several threads at once.
class INetworkServices
{
public:
    virtual ~INetworkServices() = default;

    // Size query (table null): writes the bytes needed into *size, 0 when the
    // table is empty. Fill: NO_ERROR with the rows in the system's order when
    // *size is enough; ERROR_INSUFFICIENT_BUFFER (and the new size) when the
    // table has grown; any other code is a failure.
    virtual std::uint32_t GetIpNetTable(MIB_IPNETTABLE* table, std::uint32_t* size, bool order) = 0;

    // One ARP request for destIp from srcIp (both network order; srcIp 0 means
    // the route's own source). NO_ERROR with the MAC in mac[0..5], or a failure
    // code (see DescribeArpResult). Blocks for at most about 3 s.
    virtual std::uint32_t SendARP(std::uint32_t destIp, std::uint32_t srcIp, void* mac,
                                  std::uint32_t* length) = 0;

    // SendARP, and in detail what was found instead when it fails ("cached
    // AA:BB:CC:DD:EE:FF, STALE"), or how old the kernel's answer is when its
    // cache gave it ("confirmed by the kernel 2 s ago"); empty otherwise.
    virtual std::uint32_t QueryArp(std::uint32_t destIp, std::uint32_t srcIp, void* mac,
                                   std::uint32_t* length, std::string* detail)
    {
        if (detail)
            detail->clear();
        return SendARP(destIp, srcIp, mac, length);
    }

    // Reverse name of addr (network order); false when there is none.
    virtual bool GetHostByAddr(std::uint32_t addr, std::string& name) = 0;

    // The same, telling an answer that there is no name (NXDOMAIN) from no
    // answer at all (a timeout, SERVFAIL), after which a name learned before
    // still stands.
    enum class NameLookup { Found, NoName, TryLater };
    virtual NameLookup LookupName(std::uint32_t addr, std::string& name)
    {
        return GetHostByAddr(addr, name) ? NameLookup::Found : NameLookup::NoName;
    }

    // Dotted text of the local address to send from, "127.0.0.1" when none.
    virtual std::string GetLocalAddress() = 0;

    // The IPv4 address (network order) of a host name; false when it has none.
    virtual bool ResolveHost(const std::string& name, std::uint32_t& addr)
    {
        (void)name;
        (void)addr;
        return false;
    }

    // The IPv6 neighbour table, in the kernel's order; false when it cannot
    // be read. None by default.
    virtual bool GetIpv6Neighbours(std::vector<qv::Neighbour6>& rows)
    {
        rows.clear();
        return true;
    }

    // Reverse name (ip6.arpa) of an IPv6 neighbour; scope is its interface.
    virtual NameLookup LookupName6(const std::uint8_t (&addr)[16], std::uint32_t scope, std::string& name)
    {
        (void)addr;
        (void)scope;
        (void)name;
        return NameLookup::NoName;
    }

    // QueryArp for an IPv6 target: one neighbour solicitation from source
    // (empty: the one the kernel would choose). The same result codes.
    virtual std::uint32_t QueryNeighbour6(const qv::IpAddress& target, const qv::IpAddress& source,
                                          std::uint8_t mac[6], std::string* detail)
    {
        (void)target;
        (void)source;
        (void)mac;
        if (detail)
            detail->clear();
        return ERROR_NOT_SUPPORTED_CODE;
    }

    // Dotted text of the default gateway, empty when there is none.
    virtual std::string GetGatewayAddress() { return std::string(); }
};
