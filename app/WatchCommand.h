#pragma once

#include "arp/CChangeTracker.h"

#include <nlohmann/json.hpp>

#include <iosfwd>
#include <optional>
#include <string>

class INetworkServices;
class CVendorDatabase;

namespace qv {

struct WatchOptions
{
    bool json = false;
    std::optional<std::string> state;
    std::optional<std::string> metrics;
};

// quorvane --watch on this system: events until interrupted; the exit status.
int Watch(INetworkServices& net, CVendorDatabase& vendors, const WatchOptions& options, std::ostream& out,
          std::ostream& err);

// One event as --watch prints it, a tab-separated line or a JSON object.
std::string WatchLine(const CChangeTracker::Event& event, CVendorDatabase& vendors);
std::string WatchJson(const CChangeTracker::Event& event, const CChangeTracker& tracker,
                      CVendorDatabase& vendors);

// What --state FILE remembered, into tracker: 1 when it held stations,
// 0 when there were none to restore (a damaged file is told on err and
// kept aside), 2 when the file is not ours and the watch must not start.
int RestoreWatchState(const WatchOptions& options, CChangeTracker& tracker, std::ostream& err);

// The vendor data, and once on stderr what of a newer download could not be used.
void LoadVendors(CVendorDatabase& vendors, std::ostream& err);

// The name of interface ifindex, or null when it has none now.
nlohmann::ordered_json InterfaceJson(int ifindex);

} // namespace qv
