#pragma once

#include "arp/CChangeTracker.h"

#include <array>
#include <map>
#include <string>

// What the watch tells a fleet's monitoring, in Prometheus' text format for
// node_exporter's textfile collector: counts, never a series per station.
class CWatchMetrics
{
public:
    void Count(const CChangeTracker::Event& event);
    void SetResyncs(int resyncs) { m_nResyncs = resyncs; }
    // Entries of the neighbour table now, by the list's type text.
    void SetNeighbours(std::map<std::string, int> byType) { m_neighbours = std::move(byType); }

    // The whole text, with the gateway tracker has now and a heartbeat at now.
    std::string Text(const CChangeTracker& tracker, CChangeTracker::Clock::time_point now) const;

private:
    static constexpr int kKinds = 5;
    std::array<long long, kKinds> m_counts{};
    std::array<double, kKinds> m_lastSeconds{};
    int m_nResyncs = 0;
    std::map<std::string, int> m_neighbours;
};
