#pragma once

#include <array>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <list>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

// Remembers, for this run only, which MAC address each IPv4 address had,
// and tells what a new observation means: a new station, a changed address,
// a flip-flop back to the one before, the gateway's address changing, or the
// gateway's MAC answering for another address too.
class CChangeTracker
{
public:
    using Mac = std::array<std::uint8_t, 6>;
    using Clock = std::chrono::system_clock;

    enum class Kind { New, Changed, FlipFlop, GatewayChanged, Shared };

    struct Event
    {
        Kind kind;
        std::uint32_t addr;      // network order; the gateway's for Shared
        Mac mac;                 // the address's MAC now
        Mac oldMac{};            // the one before (Shared: the gateway's before; none for New)
        std::uint32_t other = 0; // Shared: the other address with this MAC
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
    void Baseline(std::uint32_t addr, const Mac& mac, int ifindex = 0);

    // One entry as the kernel now has it; appends what it means to events.
    void Observe(std::uint32_t addr, const Mac& mac, std::vector<Event>& events, int ifindex = 0);

    // What an earlier run remembered of addr, as if this run had seen it;
    // wasGateway keeps it as a gateway for eviction.
    void Restore(std::uint32_t addr, const History& history, bool wasGateway);

    // Whether addr is or was the gateway in this run (or a remembered one).
    bool WasGateway(std::uint32_t addr) const { return m_gateways.count(addr) != 0; }

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

    const History* Find(std::uint32_t addr) const;
    std::size_t Size() const { return m_entries.size(); }

    static const char* KindName(Kind kind);

private:
    struct Entry
    {
        History history;
        std::list<std::uint32_t>::iterator age; // position in m_byAge, newest first
        bool pinned = false;                    // a gateway: not in m_byAge
    };
    void Pin(Entry& entry);
    Entry& Touch(std::uint32_t addr, bool& created);
    void Unlink(std::uint32_t addr, const Mac& mac);

    struct MacHash
    {
        std::size_t operator()(const Mac& mac) const;
    };

    std::size_t m_maxAddresses;
    std::uint32_t m_gateway = 0;
    std::unordered_set<std::uint32_t> m_gateways; // every address that has been the gateway
    std::unordered_map<std::uint32_t, Entry> m_entries;
    std::list<std::uint32_t> m_byAge; // only addresses that may be evicted
    // Which addresses each MAC answers for now, to see one shared with the gateway.
    std::unordered_map<Mac, std::unordered_set<std::uint32_t>, MacHash> m_byMac;
};
