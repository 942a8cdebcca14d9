#include "arp/CChangeTracker.h"

#include <cstring>

CChangeTracker::CChangeTracker(std::size_t maxAddresses) : m_maxAddresses(maxAddresses > 0 ? maxAddresses : 1)
{
}

std::size_t CChangeTracker::MacHash::operator()(const Mac& mac) const
{
    std::uint64_t value = 0;
    std::memcpy(&value, mac.data(), mac.size());
    return std::hash<std::uint64_t>()(value);
}

const char* CChangeTracker::KindName(Kind kind)
{
    switch (kind) {
    case Kind::New:
        return "new";
    case Kind::Changed:
        return "changed";
    case Kind::FlipFlop:
        return "flip-flop";
    case Kind::GatewayChanged:
        return "gateway-changed";
    case Kind::Shared:
        return "shared";
    }
    return "";
}

CChangeTracker::Entry& CChangeTracker::Touch(const qv::IpAddress& addr, bool& created)
{
    auto it = m_entries.find(addr);
    created = it == m_entries.end();
    if (!created) {
        if (!it->second.pinned)
            m_byAge.splice(m_byAge.begin(), m_byAge, it->second.age);
        return it->second;
    }
    if (m_entries.size() >= m_maxAddresses && !m_byAge.empty()) {
        // The longest unseen address that was never the gateway makes room.
        const qv::IpAddress oldest = m_byAge.back();
        m_byAge.pop_back();
        Unlink(oldest, m_entries[oldest].history.mac);
        m_entries.erase(oldest);
    }
    Entry& entry = m_entries[addr];
    if (m_gateways.count(addr)) {
        entry.pinned = true;
    } else {
        m_byAge.push_front(addr);
        entry.age = m_byAge.begin();
    }
    return entry;
}

void CChangeTracker::Pin(Entry& entry)
{
    if (entry.pinned)
        return;
    m_byAge.erase(entry.age);
    entry.pinned = true;
}

void CChangeTracker::SetGateway(std::uint32_t addr)
{
    m_gateway = addr;
    if (addr == 0)
        return;
    m_gateways.insert(addr);
    const auto it = m_entries.find(addr);
    if (it != m_entries.end())
        Pin(it->second);
}

void CChangeTracker::SetRouter6(const qv::IpAddress& addr, bool router)
{
    if (!router) {
        m_routers6.erase(addr);
        return;
    }
    m_routers6.insert(addr);
    m_gateways.insert(addr);
    const auto it = m_entries.find(addr);
    if (it != m_entries.end())
        Pin(it->second);
}

void CChangeTracker::ClearRouters6()
{
    m_routers6.clear();
}

void CChangeTracker::Unlink(const qv::IpAddress& addr, const Mac& mac)
{
    if (addr.IsV6())
        return;
    auto it = m_byMac.find(mac);
    if (it == m_byMac.end())
        return;
    it->second.erase(addr.V4());
    if (it->second.empty())
        m_byMac.erase(it);
}

void CChangeTracker::Remember(const qv::IpAddress& addr, const Mac& mac)
{
    if (!addr.IsV6())
        m_byMac[mac].insert(addr.V4());
}

void CChangeTracker::Baseline(const qv::IpAddress& addr, const Mac& mac, int ifindex)
{
    bool created = false;
    Entry& entry = Touch(addr, created);
    if (!created)
        Unlink(addr, entry.history.mac);
    entry.history.mac = mac;
    entry.history.since = entry.history.lastSeen = Clock::now();
    if (ifindex != 0)
        entry.history.ifindex = ifindex;
    Remember(addr, mac);
}

void CChangeTracker::Restore(const qv::IpAddress& addr, const History& history, bool wasGateway)
{
    if (wasGateway)
        m_gateways.insert(addr);
    bool created = false;
    Entry& entry = Touch(addr, created);
    if (!created)
        Unlink(addr, entry.history.mac);
    entry.history = history;
    entry.history.changed = false;
    Remember(addr, history.mac);
}

void CChangeTracker::Observe(const qv::IpAddress& addr, const Mac& mac, std::vector<Event>& events,
                             int ifindex)
{
    const Clock::time_point now = Clock::now();
    bool created = false;
    Entry& entry = Touch(addr, created);
    History& history = entry.history;
    if (ifindex != 0)
        history.ifindex = ifindex;
    if (created) {
        history.mac = mac;
        history.since = history.lastSeen = now;
        events.push_back({Kind::New, addr, mac, {}, {}, now});
    } else if (history.mac != mac) {
        const bool back = history.hasPrevious && history.previous == mac;
        Kind kind = back ? Kind::FlipFlop : Kind::Changed;
        if (addr.IsV6() ? m_routers6.count(addr) != 0 : addr == m_gateway)
            kind = Kind::GatewayChanged;
        events.push_back({kind, addr, mac, history.mac, {}, now});
        Unlink(addr, history.mac);
        history.previous = history.mac;
        history.previousSince = history.since;
        history.previousLastSeen = history.lastSeen;
        history.hasPrevious = true;
        history.mac = mac;
        history.since = history.lastSeen = now;
        history.changed = true;
    } else {
        history.lastSeen = now;
        return; // the same MAC again: nothing new
    }

    if (addr.IsV6())
        return;
    auto& owners = m_byMac[mac];
    // One MAC now answering for the gateway and for another address.
    if (m_gateway != 0 && !owners.empty()) {
        const History* gateway = Find(m_gateway);
        const Mac gatewayBefore = gateway && gateway->hasPrevious ? gateway->previous : mac;
        if (addr == m_gateway) {
            for (std::uint32_t other : owners)
                if (other != m_gateway) {
                    events.push_back({Kind::Shared, m_gateway, mac, gatewayBefore, other, now});
                    break;
                }
        } else if (owners.count(m_gateway)) {
            events.push_back({Kind::Shared, m_gateway, mac, gatewayBefore, addr, now});
        }
    }
    owners.insert(addr.V4());
}

const CChangeTracker::History* CChangeTracker::Find(const qv::IpAddress& addr) const
{
    const auto it = m_entries.find(addr);
    return it == m_entries.end() ? nullptr : &it->second.history;
}
