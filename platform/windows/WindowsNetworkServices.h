#pragma once

#include "platform/INetworkServices.h"

// The network services over the IP Helper API and Winsock. Windows sends
// ARP requests and neighbour solicitations without any privilege, so there
// is no helper program.
class WindowsNetworkServices : public INetworkServices
{
public:
    WindowsNetworkServices();
    ~WindowsNetworkServices() override;
    WindowsNetworkServices(const WindowsNetworkServices&) = delete;
    WindowsNetworkServices& operator=(const WindowsNetworkServices&) = delete;

    std::uint32_t GetIpNetTable(MIB_IPNETTABLE* table, std::uint32_t* size, bool order) override;
    std::uint32_t SendARP(std::uint32_t destIp, std::uint32_t srcIp, void* mac,
                          std::uint32_t* length) override;
    bool GetHostByAddr(std::uint32_t addr, std::string& name) override;
    NameLookup LookupName(std::uint32_t addr, std::string& name) override;
    NameLookup LookupName6(const std::uint8_t (&addr)[16], std::uint32_t scope, std::string& name) override;
    bool GetIpv6Neighbours(std::vector<qv::Neighbour6>& rows) override;
    std::uint32_t QueryNeighbour6(const qv::IpAddress& target, const qv::IpAddress& source,
                                  std::uint8_t mac[6], std::string* detail) override;
    std::string GetLocalAddress() override;
    std::string GetGatewayAddress() override;
    bool ResolveHost(const std::string& name, std::uint32_t& addr) override;

private:
    bool m_winsock = false;
};
