#pragma once

#include "platform/AddressText.h"
#include "platform/INetworkServices.h"

#include <atomic>
#include <condition_variable>
#include <cstring>
#include <map>
#include <mutex>
#include <vector>

// Network services from memory, for tests: a table, names, ARP answers, and
// switches for the failures the real system can give.
class FakeNetworkServices : public INetworkServices
{
public:
    std::vector<MIB_IPNETROW> rows;
    std::map<std::uint32_t, std::string> names; // network order -> name
    std::map<std::uint32_t, std::vector<std::uint8_t>> arpReplies;
    std::string localAddress = "10.0.0.2";
    std::uint32_t sizeQueryResult = NO_ERROR_CODE;
    std::atomic<bool> failFill{false};
    std::atomic<int> growBeforeFills{0}; // fills that find one row more than the size query said
    std::uint32_t claimExtraRows = 0;    // a count that says more rows than the block holds
    bool blockResolver = false;
    std::atomic<bool> nameServerDown{false}; // lookups time out: no answer at all
    std::atomic<int> lookups{0};
    std::atomic<int> fills{0};
    std::atomic<int> arpCalls{0};
    std::uint32_t lastArpDest = 1, lastArpSrc = 1;

    static MIB_IPNETROW Row(const char* ip, std::vector<std::uint8_t> mac, std::uint32_t type)
    {
        MIB_IPNETROW row{};
        row.dwIndex = 2;
        row.dwPhysAddrLen = static_cast<std::uint32_t>(mac.size());
        if (!mac.empty())
            std::memcpy(row.bPhysAddr, mac.data(), std::min<std::size_t>(mac.size(), 8));
        row.dwAddr = qv::InetAddr(ip);
        row.dwType = type;
        return row;
    }

    // Replaces the table while a worker may be reading it.
    void SetRows(std::vector<MIB_IPNETROW> newRows)
    {
        std::lock_guard<std::mutex> guard(m_lock);
        rows = std::move(newRows);
    }

    // Changes what a reverse lookup gives while a pool may be asking.
    void SetName(const char* ip, const char* name)
    {
        std::lock_guard<std::mutex> guard(m_lock);
        names[qv::InetAddr(ip)] = name;
    }

    void ReleaseResolver()
    {
        std::lock_guard<std::mutex> guard(m_lock);
        blockResolver = false;
        m_wake.notify_all();
    }

    std::uint32_t GetIpNetTable(MIB_IPNETTABLE* table, std::uint32_t* size, bool) override
    {
        std::lock_guard<std::mutex> guard(m_lock);
        if (table == nullptr) {
            *size = rows.empty() ? 0 : IpNetTableSize(rows.size());
            return rows.empty() ? ERROR_NO_DATA_CODE : sizeQueryResult;
        }
        ++fills;
        if (failFill)
            return ERROR_GEN_FAILURE_CODE;
        std::size_t count = rows.size();
        if (growBeforeFills > 0) {
            --growBeforeFills;
            ++count;
        }
        if (*size < IpNetTableSize(count)) {
            *size = IpNetTableSize(count);
            return ERROR_INSUFFICIENT_BUFFER_CODE;
        }
        table->dwNumEntries = static_cast<std::uint32_t>(rows.size()) + claimExtraRows;
        if (!rows.empty())
            std::memcpy(table->table, rows.data(), rows.size() * sizeof(MIB_IPNETROW));
        return NO_ERROR_CODE;
    }

    std::uint32_t SendARP(std::uint32_t dest, std::uint32_t src, void* mac, std::uint32_t* length) override
    {
        ++arpCalls;
        lastArpDest = dest;
        lastArpSrc = src;
        auto it = arpReplies.find(dest);
        if (it == arpReplies.end())
            return ERROR_BAD_NET_NAME_CODE;
        std::memcpy(mac, it->second.data(), std::min<std::size_t>(it->second.size(), 8));
        *length = static_cast<std::uint32_t>(it->second.size());
        return NO_ERROR_CODE;
    }

    bool GetHostByAddr(std::uint32_t addr, std::string& name) override
    {
        ++lookups;
        std::unique_lock<std::mutex> guard(m_lock);
        m_wake.wait(guard, [&] { return !blockResolver; });
        auto it = names.find(addr);
        if (it == names.end())
            return false;
        name = it->second;
        return true;
    }

    NameLookup LookupName(std::uint32_t addr, std::string& name) override
    {
        if (nameServerDown) {
            ++lookups;
            return NameLookup::TryLater;
        }
        return INetworkServices::LookupName(addr, name);
    }

    void ForgetName(const char* ip)
    {
        std::lock_guard<std::mutex> guard(m_lock);
        names.erase(qv::InetAddr(ip));
    }

    std::string GetLocalAddress() override { return localAddress; }
    std::string gatewayAddress;
    std::vector<qv::Neighbour6> rows6;
    bool GetIpv6Neighbours(std::vector<qv::Neighbour6>& rows) override
    {
        std::lock_guard<std::mutex> guard(m_lock);
        rows = rows6;
        return true;
    }
    std::map<std::string, std::string> names6; // address text -> name
    NameLookup LookupName6(const std::uint8_t (&addr)[16], std::uint32_t scope, std::string& name) override
    {
        std::lock_guard<std::mutex> guard(m_lock);
        const auto it = names6.find(qv::Inet6Text(addr, scope));
        if (it == names6.end())
            return NameLookup::NoName;
        name = it->second;
        return NameLookup::Found;
    }
    std::map<std::string, std::string> hosts; // name -> dotted address
    bool ResolveHost(const std::string& name, std::uint32_t& addr) override
    {
        const auto it = hosts.find(name);
        if (it == hosts.end())
            return false;
        addr = qv::InetAddr(it->second);
        return true;
    }
    std::string GetGatewayAddress() override { return gatewayAddress; }

private:
    std::mutex m_lock;
    std::condition_variable m_wake;
};
