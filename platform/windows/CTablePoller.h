#pragma once

#include "arp/CChangeTracker.h"
#include "platform/INetworkServices.h"

#include <vector>

// Windows announces no neighbour changes: the table of both families is
// read on each Poll and compared with what was seen.
class CTablePoller
{
public:
    explicit CTablePoller(CChangeTracker& tracker) : m_tracker(tracker) {}

    // The tracker holds what an earlier run remembered: the first read is
    // compared with it rather than taken as the baseline.
    void SetRestored(bool restored) { m_baseline = !restored; }

    // One read; events gets what it means. False when the table cannot be read.
    bool Poll(INetworkServices& net, std::vector<CChangeTracker::Event>& events);

private:
    bool ReadFamily(unsigned short family, std::vector<CChangeTracker::Event>& events);

    CChangeTracker& m_tracker;
    bool m_baseline = true;
};
