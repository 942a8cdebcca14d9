#include "arp/CNeighbourWatcher.h"

#include "platform/Netlink.h"

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

} // namespace

CNeighbourWatcher::CNeighbourWatcher(Options options)
    : m_options(std::move(options)), m_tracker(m_options.maxAddresses)
{
}

void CNeighbourWatcher::ReadGateway()
{
    const auto route = qv::netlink::GetDefaultRoute();
    m_tracker.SetGateway(route ? route->gateway : 0);
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
        qv::netlink::EventSocket::Read read = socket.Drain(onNeigh, onRoute);
        bool overrun = false;
        while (read == qv::netlink::EventSocket::Read::Overrun) {
            // What is still queued is older than the loss: take it first.
            overrun = true;
            read = socket.Drain(onNeigh, onRoute);
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
