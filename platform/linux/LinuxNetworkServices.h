#pragma once

#include "platform/INetworkServices.h"

#include <chrono>
#include <string>

// The network services over rtnetlink, packet sockets and the resolver.
class LinuxNetworkServices : public INetworkServices
{
public:
    // helperPath: the ARP helper to run when not root; empty for none.
    explicit LinuxNetworkServices(std::chrono::milliseconds arpWait = std::chrono::milliseconds(3000),
                                  std::string helperPath = DefaultHelperPath());

    // quorvane-arping beside the running program, else the installed one.
    static std::string DefaultHelperPath();

    std::uint32_t GetIpNetTable(MIB_IPNETTABLE* table, std::uint32_t* size, bool order) override;
    std::uint32_t SendARP(std::uint32_t destIp, std::uint32_t srcIp, void* mac,
                          std::uint32_t* length) override;
    bool GetHostByAddr(std::uint32_t addr, std::string& name) override;
    NameLookup LookupName(std::uint32_t addr, std::string& name) override;
    bool GetIpv6Neighbours(std::vector<qv::Neighbour6>& rows) override;
    NameLookup LookupName6(const std::uint8_t (&addr)[16], std::uint32_t scope, std::string& name) override;
    std::string GetLocalAddress() override;
    std::string GetGatewayAddress() override;
    bool ResolveHost(const std::string& name, std::uint32_t& addr) override;
    std::uint32_t QueryArp(std::uint32_t destIp, std::uint32_t srcIp, void* mac, std::uint32_t* length,
                           std::string* detail) override;
    std::uint32_t QueryNeighbour6(const qv::IpAddress& target, const qv::IpAddress& source,
                                  std::uint8_t mac[6], std::string* detail) override;

private:
    // Through the raw socket, the helper or the kernel, as each may.
    std::uint32_t Resolve(int ifindex, const qv::IpAddress& source, const qv::IpAddress& target,
                          std::uint8_t mac[6], std::string* detail);
    std::chrono::milliseconds m_arpWait;
    std::string m_strHelperPath;
};
