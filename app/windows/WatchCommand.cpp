// quorvane --watch on Windows: the system sends no neighbour announcements,
// so the table of both families is read once a second and compared.
#include "app/WatchCommand.h"

#include "arp/CWatchState.h"
#include "platform/AddressText.h"
#include "platform/INetworkServices.h"
#include "platform/PlainText.h"
#include "platform/SocketApi.h"
#include "platform/windows/CTablePoller.h"

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <ostream>
#include <vector>

namespace qv {

namespace {

HANDLE g_stop = nullptr;

BOOL WINAPI OnConsoleEvent(DWORD)
{
    // Ctrl+C, Ctrl+Break or the console closing: the watch ends with status 0.
    ::SetEvent(g_stop);
    return TRUE;
}

} // namespace

int Watch(INetworkServices& net, CVendorDatabase& vendors, const WatchOptions& options, std::ostream& out,
          std::ostream& err)
{
    if (options.metrics) {
        err << "quorvane: --metrics is for node_exporter, which this system does not run\n";
        return 2;
    }
    CChangeTracker tracker;
    const int restored = RestoreWatchState(options, tracker, err);
    if (restored == 2)
        return 2;
    g_stop = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (g_stop == nullptr || !::SetConsoleCtrlHandler(OnConsoleEvent, TRUE)) {
        err << "quorvane: cannot take Ctrl+C\n";
        return 1;
    }
    LoadVendors(vendors, err);
    std::vector<CChangeTracker::Event> events;
    bool dirty = false;
    CTablePoller poller(tracker);
    poller.SetRestored(restored == 1);
    for (;;) {
        if (!poller.Poll(net, events)) {
            err << "quorvane: cannot watch the neighbour table\n";
            return 1;
        }
        for (const CChangeTracker::Event& event : events)
            out << (options.json ? WatchJson(event, tracker, vendors) : WatchLine(event, vendors))
                << std::flush;
        dirty = dirty || !events.empty();
        events.clear();
        const bool stop = ::WaitForSingleObject(g_stop, 1000) == WAIT_OBJECT_0;
        if (options.state && (dirty || stop)) {
            std::string reason;
            if (!CWatchState(*options.state).Write(tracker, reason))
                err << "quorvane: cannot write " << QuoteForMessage(*options.state) << ": " << reason << "\n";
            dirty = false;
        }
        if (stop)
            return 0;
    }
}

} // namespace qv
