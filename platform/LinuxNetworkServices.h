#pragma once

#include "platform/INetworkServices.h"

#include <chrono>

// The network services over rtnetlink, packet sockets and the resolver.
class LinuxNetworkServices : public INetworkServices
{
public:
    explicit LinuxNetworkServices(std::chrono::milliseconds arpWait = std::chrono::milliseconds(3000));

    std::uint32_t GetIpNetTable(MIB_IPNETTABLE* table, std::uint32_t* size, bool order) override;
    std::uint32_t SendARP(std::uint32_t destIp, std::uint32_t srcIp, void* mac,
                          std::uint32_t* length) override;
    bool GetHostByAddr(std::uint32_t addr, std::string& name) override;
    std::string GetLocalAddress() override;

private:
    std::chrono::milliseconds m_arpWait;
};
