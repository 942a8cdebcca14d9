// quorvane --watch on Linux: the kernel's neighbour announcements, ended by
// SIGINT or SIGTERM through a descriptor.
#include "app/WatchCommand.h"

#include "arp/ArpRowFormatter.h"
#include "arp/CNeighbourWatcher.h"
#include "arp/CWatchMetrics.h"
#include "arp/CWatchState.h"
#include "platform/AtomicFile.h"
#include "platform/PlainText.h"
#include "platform/linux/Netlink.h"

#include <chrono>
#include <csignal>
#include <map>
#include <ostream>

#include <pthread.h>
#include <sys/signalfd.h>
#include <unistd.h>

namespace qv {

namespace {

// State and metrics after changes at most once a second; the metrics also
// every minute, so a quiet LAN is told from a stopped watch.
class WatchFiles
{
public:
    WatchFiles(const WatchOptions& options, std::ostream& err) : m_options(options), m_err(err) {}

    void Changed() { m_dirty = true; }
    CWatchMetrics& Metrics() { return m_metrics; }

    void Tick(const CNeighbourWatcher& watcher, bool force)
    {
        using namespace std::chrono;
        const auto now = steady_clock::now();
        const bool heartbeat = m_options.metrics && now - m_lastMetrics >= minutes(1);
        if (!force && !heartbeat && !(m_dirty && now - m_lastWrite >= seconds(1)))
            return;
        if (m_options.state && (m_dirty || force)) {
            std::string reason;
            if (!CWatchState(*m_options.state).Write(watcher.Tracker(), reason))
                m_err << "quorvane: cannot write " << QuoteForMessage(*m_options.state) << ": " << reason
                      << "\n";
        }
        if (m_options.metrics) {
            if (const auto rows = netlink::DumpIpv4Neighbours()) {
                std::map<std::string, int> byType;
                for (const MIB_IPNETROW& row : *rows)
                    ++byType[TypeText(row.dwType)];
                m_metrics.SetNeighbours(std::move(byType));
            }
            m_metrics.SetResyncs(watcher.Resyncs());
            std::string reason;
            if (!WriteFileAtomically(*m_options.metrics,
                                     m_metrics.Text(watcher.Tracker(), CChangeTracker::Clock::now()), reason))
                m_err << "quorvane: cannot write " << QuoteForMessage(*m_options.metrics) << ": " << reason
                      << "\n";
            m_lastMetrics = now;
        }
        m_dirty = false;
        m_lastWrite = now;
    }

private:
    const WatchOptions& m_options;
    std::ostream& m_err;
    CWatchMetrics m_metrics;
    bool m_dirty = false;
    std::chrono::steady_clock::time_point m_lastWrite{};
    std::chrono::steady_clock::time_point m_lastMetrics{};
};

} // namespace

int Watch(INetworkServices& net, CVendorDatabase& vendors, const WatchOptions& options, std::ostream& out,
          std::ostream& err)
{
    (void)net; // the kernel's own announcements are watched
    CNeighbourWatcher::Options settings;
    CNeighbourWatcher watcher(settings);
    const int restored = RestoreWatchState(options, watcher.Tracker(), err);
    if (restored == 2)
        return 2;
    watcher.SetRestored(restored == 1);
    // SIGINT and SIGTERM end the watch through a descriptor, with status 0.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    if (::pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr) != 0) {
        err << "quorvane: cannot take SIGINT and SIGTERM\n";
        return 1;
    }
    const int stopFd = ::signalfd(-1, &stopSignals, SFD_CLOEXEC);
    LoadVendors(vendors, err);
    WatchFiles files(options, err);
    if (options.state || options.metrics)
        watcher.SetTick([&] { files.Tick(watcher, false); });
    const bool watched = stopFd >= 0 && watcher.Run(stopFd, [&](const CChangeTracker::Event& event) {
        out << (options.json ? WatchJson(event, watcher.Tracker(), vendors) : WatchLine(event, vendors))
            << std::flush;
        files.Metrics().Count(event);
        files.Changed();
    });
    if (stopFd >= 0)
        ::close(stopFd);
    if (!watched) {
        err << "quorvane: cannot watch the neighbour table\n";
        return 1;
    }
    files.Tick(watcher, true);
    return 0;
}

} // namespace qv
