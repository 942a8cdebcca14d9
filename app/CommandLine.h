#pragma once

#include <iosfwd>

class INetworkServices;
class CVendorDatabase;

namespace qv {

// Terminal front end: --vendor, --list, --arp, --help. Returns the exit
// status, or -1 when the arguments ask for the window instead.
int RunCommandLine(int argc, char** argv, INetworkServices& net, CVendorDatabase& vendors, std::ostream& out,
                   std::ostream& err);

} // namespace qv
