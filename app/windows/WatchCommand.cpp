// quorvane --watch on Windows: the system sends no neighbour announcements,
// so the table of both families is read once a second and compared.
#include "app/WatchCommand.h"

#include "arp/CWatchState.h"
#include "platform/AddressText.h"
#include "platform/INetworkServices.h"
#include "platform/PlainText.h"
#include "platform/SocketApi.h"

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

// One pass over the system's table of family: what changed since the last one.
bool ReadTable(ADDRESS_FAMILY family, CChangeTracker& tracker, bool baseline,
               std::vector<CChangeTracker::Event>& events)
{
    MIB_IPNET_TABLE2* table = nullptr;
    const DWORD result = ::GetIpNetTable2(family, &table);
    if (family == AF_INET6 &&
        (result == ERROR_NOT_SUPPORTED || result == ERROR_NOT_FOUND || result == ERROR_INVALID_FUNCTION))
        return true; // no IPv6 here
    if (result != NO_ERROR)
        return false;
    for (ULONG i = 0; i < table->NumEntries; ++i) {
        const MIB_IPNET_ROW2& entry = table->Table[i];
        if (entry.PhysicalAddressLength != 6 || entry.State == NlnsIncomplete ||
            entry.State == NlnsUnreachable)
            continue;
        CChangeTracker::Mac mac;
        std::memcpy(mac.data(), entry.PhysicalAddress, 6);
        if (std::all_of(mac.begin(), mac.end(), [](std::uint8_t b) { return b == 0; }))
            continue; // not resolved, whatever its state says
        IpAddress addr;
        if (entry.Address.si_family == AF_INET6) {
            std::uint8_t bytes[16];
            std::memcpy(bytes, &entry.Address.Ipv6.sin6_addr, 16);
            if (bytes[0] == 0xFF)
                continue; // a multicast group
            addr = IpAddress(bytes, entry.InterfaceIndex);
            tracker.SetRouter6(addr, entry.IsRouter != 0);
        } else {
            addr = IpAddress(static_cast<std::uint32_t>(entry.Address.Ipv4.sin_addr.s_addr));
            const std::uint32_t host = ntohl(addr.V4());
            if ((host >> 28) == 0xE || host == 0xFFFFFFFFu || (host & 0xFF) == 0xFF)
                continue; // multicast and broadcast entries are the system's own
        }
        if (baseline)
            tracker.Baseline(addr, mac, static_cast<int>(entry.InterfaceIndex));
        else
            tracker.Observe(addr, mac, events, static_cast<int>(entry.InterfaceIndex));
    }
    ::FreeMibTable(table);
    return true;
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
    bool baseline = restored == 0;
    bool dirty = false;
    for (;;) {
        std::uint32_t gateway = 0;
        ParseDottedQuad(net.GetGatewayAddress(), gateway);
        tracker.SetGateway(gateway);
        if (!ReadTable(AF_INET, tracker, baseline, events) ||
            !ReadTable(AF_INET6, tracker, baseline, events)) {
            err << "quorvane: cannot watch the neighbour table\n";
            return 1;
        }
        baseline = false;
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
