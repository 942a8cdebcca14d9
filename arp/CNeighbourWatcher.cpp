#include "arp/CNeighbourWatcher.h"

#include "platform/linux/Netlink.h"

#include <cerrno>
#include <cstring>

#include <linux/neighbour.h>
#include <poll.h>

namespace {

// An entry that names a link-layer address; INCOMPLETE and FAILED ones do not.
bool HasMac(const qv::netlink::NeighEntry& entry)
{
    return entry.row.dwPhysAddrLen == 6 && !(entry.detail.state & (NUD_INCOMPLETE | NUD_FAILED));
}

CChangeTracker::Mac MacOf(const qv::netlink::NeighEntry& entry)
{
    CChangeTracker::Mac mac;
    std::memcpy(mac.data(), entry.row.bPhysAddr, mac.size());
    return mac;
}

bool HasMac(const qv::Neighbour6& entry)
{
    return entry.physLen == 6 && entry.type != MIB_IPNET_TYPE_INVALID;
}

CChangeTracker::Mac MacOf(const qv::Neighbour6& entry)
{
    CChangeTracker::Mac mac;
    std::memcpy(mac.data(), entry.phys, mac.size());
    return mac;
}

} // namespace

CNeighbourWatcher::CNeighbourWatcher(Options options)
    : m_options(std::move(options)), m_tracker(m_options.maxAddresses)
{
}

void CNeighbourWatcher::ReadGateway()
{
    const auto route = qv::netlink::GetDefaultRoute();
    m_tracker.SetGateway(route ? route->gateway : 0);
    qv::IpAddress hop;
    if (const auto route6 = qv::netlink::GetDefaultRoute(AF_INET6))
        hop = qv::IpAddress(route6->gateway6, static_cast<std::uint32_t>(route6->outInterface));
    if (hop != m_route6) {
        if (!m_route6.IsEmpty())
            m_tracker.SetRouter6(m_route6, false);
        m_route6 = hop.IsEmpty() ? qv::IpAddress() : hop;
        if (!m_route6.IsEmpty())
            m_tracker.SetRouter6(m_route6, true);
    }
}

void CNeighbourWatcher::Observe6(const qv::Neighbour6& entry, bool baseline,
                                 std::vector<CChangeTracker::Event>& events)
{
    if (!HasMac(entry))
        return;
    const qv::IpAddress addr(entry.addr, entry.ifindex);
    // The route's next hop stays a router whatever its entry says.
    if (addr != m_route6)
        m_tracker.SetRouter6(addr, entry.router);
    if (baseline)
        m_tracker.Baseline(addr, MacOf(entry), static_cast<int>(entry.ifindex));
    else
        m_tracker.Observe(addr, MacOf(entry), events, static_cast<int>(entry.ifindex));
}

bool CNeighbourWatcher::ReadTable(bool baseline, const Sink& sink)
{
    const auto entries = qv::netlink::DumpIpv4NeighbourEntries();
    if (!entries)
        return false;
    std::vector<CChangeTracker::Event> events;
    for (const qv::netlink::NeighEntry& entry : *entries) {
        if (!HasMac(entry))
            continue;
        if (baseline)
            m_tracker.Baseline(entry.row.dwAddr, MacOf(entry), static_cast<int>(entry.row.dwIndex));
        else
            m_tracker.Observe(entry.row.dwAddr, MacOf(entry), events, static_cast<int>(entry.row.dwIndex));
    }
    if (const auto entries6 = qv::netlink::DumpIpv6Neighbours())
        for (const qv::Neighbour6& entry : *entries6)
            Observe6(entry, baseline, events);
    for (const CChangeTracker::Event& event : events)
        sink(event);
    return true;
}

bool CNeighbourWatcher::Run(int stopFd, const Sink& sink)
{
    qv::netlink::EventSocket socket(m_options.receiveBuffer);
    if (!socket.Ok())
        return false;
    ReadGateway();
    if (!ReadTable(!m_options.restored, sink))
        return false;
    if (m_options.ready)
        m_options.ready();
    if (m_options.tick)
        m_options.tick();

    std::vector<CChangeTracker::Event> events;
    bool routeChanged = false;
    const auto onNeigh = [&](const qv::netlink::NeighEntry& entry, bool deleted) {
        // An entry that goes, or has no address, is no change of address.
        if (!deleted && HasMac(entry))
            m_tracker.Observe(entry.row.dwAddr, MacOf(entry), events, static_cast<int>(entry.row.dwIndex));
    };
    const auto onNeigh6 = [&](const qv::Neighbour6& entry, bool deleted) {
        if (!deleted)
            Observe6(entry, false, events);
    };
    const auto onRoute = [&] { routeChanged = true; };
    for (;;) {
        pollfd waitFor[2] = {{socket.Fd(), POLLIN, 0}, {stopFd, POLLIN, 0}};
        if (::poll(waitFor, 2, m_options.tick ? 1000 : -1) < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (waitFor[1].revents != 0)
            return true;
        qv::netlink::EventSocket::Read read = socket.Drain(onNeigh, onRoute, onNeigh6);
        bool overrun = false;
        while (read == qv::netlink::EventSocket::Read::Overrun) {
            // What is still queued is older than the loss: take it first.
            overrun = true;
            read = socket.Drain(onNeigh, onRoute, onNeigh6);
        }
        if (routeChanged) {
            ReadGateway();
            routeChanged = false;
        }
        for (const CChangeTracker::Event& event : events)
            sink(event);
        events.clear();
        if (overrun) {
            ++m_nResyncs;
            ReadGateway();
            ReadTable(false, sink);
        }
        if (read == qv::netlink::EventSocket::Read::Error)
            return false;
        if (m_options.tick)
            m_options.tick();
    }
}
