#pragma once

#include "arp/CChangeTracker.h"
#include "platform/linux/NeighMessage.h"

#include <functional>

// Watches the kernel's neighbour table as it changes: the dumped table is
// the baseline, then every announcement is compared with what was seen, and
// a lost announcement (an overrun) makes it read the whole table again.
class CNeighbourWatcher
{
public:
    using Sink = std::function<void(const CChangeTracker::Event& event)>;

    struct Options
    {
        int receiveBuffer = 0;       // bytes for the announcement socket, 0 for a large default
        std::function<void()> ready; // after the baseline, on the watching thread
        std::size_t maxAddresses = 65536;
        // The tracker holds what an earlier run remembered: the first dump
        // is compared with it rather than taken as the baseline.
        bool restored = false;
        // Called on the watching thread after each batch of events and at
        // least once a second.
        std::function<void()> tick;
    };

    CNeighbourWatcher() : CNeighbourWatcher(Options()) {}
    explicit CNeighbourWatcher(Options options);

    // Watches until stopFd becomes readable; sink gets each event as it is
    // seen. False when the kernel's table cannot be watched.
    bool Run(int stopFd, const Sink& sink);

    const CChangeTracker& Tracker() const { return m_tracker; }
    CChangeTracker& Tracker() { return m_tracker; }
    void SetRestored(bool restored) { m_options.restored = restored; }
    void SetTick(std::function<void()> tick) { m_options.tick = std::move(tick); }
    int Resyncs() const { return m_nResyncs; }

private:
    bool ReadTable(bool baseline, const Sink& sink);
    void ReadGateway();
    void Observe6(const qv::Neighbour6& entry, bool baseline, std::vector<CChangeTracker::Event>& events);

    Options m_options;
    CChangeTracker m_tracker;
    int m_nResyncs = 0;
    qv::IpAddress m_route6; // the IPv6 default route's next hop, empty when none
};
