#include "arp/CWatchMetrics.h"

#include "platform/AddressText.h"
#include "vendor/OuiKey.h"

#include <cstdio>

namespace {

double Seconds(CChangeTracker::Clock::time_point when)
{
    return std::chrono::duration<double>(when.time_since_epoch()).count();
}

std::string Number(double value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.3f", value);
    return text;
}

} // namespace

void CWatchMetrics::Count(const CChangeTracker::Event& event)
{
    const auto kind = static_cast<std::size_t>(event.kind);
    ++m_counts[kind];
    m_lastSeconds[kind] = Seconds(event.when);
}

std::string CWatchMetrics::Text(const CChangeTracker& tracker, CChangeTracker::Clock::time_point now) const
{
    std::string text;
    text += "# HELP quorvane_neighbours Entries of the neighbour table by family and type.\n"
            "# TYPE quorvane_neighbours gauge\n";
    for (const auto& [type, count] : m_neighbours)
        text += "quorvane_neighbours{family=\"inet\",type=\"" + type + "\"} " + std::to_string(count) + "\n";
    text += "# HELP quorvane_events_total Events the watch reported since it started.\n"
            "# TYPE quorvane_events_total counter\n";
    for (int k = 0; k < kKinds; ++k)
        text += std::string("quorvane_events_total{event=\"") +
                CChangeTracker::KindName(static_cast<CChangeTracker::Kind>(k)) + "\"} " +
                std::to_string(m_counts[k]) + "\n";
    text += "# HELP quorvane_last_event_timestamp_seconds When the watch last reported each event.\n"
            "# TYPE quorvane_last_event_timestamp_seconds gauge\n";
    for (int k = 0; k < kKinds; ++k)
        if (m_counts[k] > 0)
            text += std::string("quorvane_last_event_timestamp_seconds{event=\"") +
                    CChangeTracker::KindName(static_cast<CChangeTracker::Kind>(k)) + "\"} " +
                    Number(m_lastSeconds[k]) + "\n";
    text += "# HELP quorvane_watch_resyncs_total Times the watch read the whole table again after a loss.\n"
            "# TYPE quorvane_watch_resyncs_total counter\n"
            "quorvane_watch_resyncs_total " +
            std::to_string(m_nResyncs) + "\n";
    text += "# HELP quorvane_gateway_info The default gateway and its MAC address now.\n"
            "# TYPE quorvane_gateway_info gauge\n";
    if (const std::uint32_t gateway = tracker.Gateway())
        if (const CChangeTracker::History* history = tracker.Find(gateway))
            text += "quorvane_gateway_info{family=\"inet\",ip=\"" + qv::InetNtoa(gateway) + "\",mac=\"" +
                    qv::MakeMacText(history->mac.data()) + "\"} 1\n";
    text += "# HELP quorvane_watch_heartbeat_timestamp_seconds When the watch last wrote this file.\n"
            "# TYPE quorvane_watch_heartbeat_timestamp_seconds gauge\n"
            "quorvane_watch_heartbeat_timestamp_seconds " +
            Number(Seconds(now)) + "\n";
    return text;
}
