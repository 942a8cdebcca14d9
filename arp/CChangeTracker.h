#pragma once

#include "platform/IpAddress.h"

#include <array>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <list>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

// Remembers, for this run only, which MAC address each IPv4 and IPv6 address
// had, and tells what a new observation means: a new station, a changed
// address, a flip-flop back to the one before, a gateway's address changing,
// or the IPv4 gateway's MAC answering for another IPv4 address too. (An IPv6
// host answers for several addresses with one MAC: link-local, global,
// temporary. So does a router for both families. Neither is a sign.)
class CChangeTracker
{
public:
    using Mac = std::array<std::uint8_t, 6>;
    using Clock = std::chrono::system_clock;

    enum class Kind { New, Changed, FlipFlop, GatewayChanged, Shared };

    struct Event
    {
        Kind kind;
        qv::IpAddress addr;  // the gateway's for Shared
        Mac mac;             // the address's MAC now
        Mac oldMac{};        // the one before (Shared: the gateway's before; none for New)
        qv::IpAddress other; // Shared: the other address with this MAC
        Clock::time_point when;
    };

    // The last two MACs of one address and when each was first and last seen.
    struct History
    {
        Mac mac{};
        Clock::time_point since;
        Clock::time_point lastSeen;
        bool hasPrevious = false;
        Mac previous{};
        Clock::time_point previousSince;
        Clock::time_point previousLastSeen;
        bool changed = false; // its MAC changed in this run
        int ifindex = 0;      // the interface it was last seen on, 0 when not known
    };

    explicit CChangeTracker(std::size_t maxAddresses = 65536);

    // The table as first dumped: remembered, no events.
    void Baseline(const qv::IpAddress& addr, const Mac& mac, int ifindex = 0);

    // One entry as the kernel now has it; appends what it means to events.
    void Observe(const qv::IpAddress& addr, const Mac& mac, std::vector<Event>& events, int ifindex = 0);

    // What an earlier run remembered of addr, as if this run had seen it;
    // wasGateway keeps it as a gateway for eviction.
    void Restore(const qv::IpAddress& addr, const History& history, bool wasGateway);

    // Whether addr is or was the gateway in this run (or a remembered one).
    bool WasGateway(const qv::IpAddress& addr) const { return m_gateways.count(addr) != 0; }

    // Every address remembered, least recently seen last among the others.
    template <typename Visit> void ForEach(Visit&& visit) const
    {
        for (const auto& [addr, entry] : m_entries)
            visit(addr, entry.history);
    }

    // The default gateway's address (network order), 0 when there is none.
    // An address that is or was the gateway is never evicted: a flood of
    // other senders must not make its next change look new.
    void SetGateway(std::uint32_t addr);
    std::uint32_t Gateway() const { return m_gateway; }

    // The IPv6 routers now: the default route's next hop and the entries
    // the kernel flags as routers. A change of their MAC is a gateway's.
    void SetRouter6(const qv::IpAddress& addr, bool router);
    void ClearRouters6();

    const History* Find(const qv::IpAddress& addr) const;
    std::size_t Size() const { return m_entries.size(); }

    static const char* KindName(Kind kind);

private:
    struct Entry
    {
        History history;
        std::list<qv::IpAddress>::iterator age; // position in m_byAge, newest first
        bool pinned = false;                    // a gateway: not in m_byAge
    };
    void Pin(Entry& entry);
    Entry& Touch(const qv::IpAddress& addr, bool& created);
    void Unlink(const qv::IpAddress& addr, const Mac& mac);
    void Remember(const qv::IpAddress& addr, const Mac& mac);

    struct MacHash
    {
        std::size_t operator()(const Mac& mac) const;
    };

    std::size_t m_maxAddresses;
    std::uint32_t m_gateway = 0;
    using Hasher = qv::IpAddress::Hasher;
    std::unordered_set<qv::IpAddress, Hasher> m_gateways; // every address that has been a gateway
    std::unordered_set<qv::IpAddress, Hasher> m_routers6;
    std::unordered_map<qv::IpAddress, Entry, Hasher> m_entries;
    std::list<qv::IpAddress> m_byAge; // only addresses that may be evicted
    // Which IPv4 addresses each MAC answers for now, to see one shared with the gateway.
    std::unordered_map<Mac, std::unordered_set<std::uint32_t>, MacHash> m_byMac;
};
