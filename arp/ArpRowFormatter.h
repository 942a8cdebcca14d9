#pragma once

#include "arp/ArpRowText.h"
#include "platform/INetworkServices.h"
#include "platform/NetTypes.h"

#include <string>

class CVendorDatabase;

namespace qv {

// "Other", "Invalid", "Dynamic", "Static"; empty for 0; decimal above 4.
std::string TypeText(std::uint32_t type);

// What names mac's maker or kind: a virtual router's or NIC's text, the
// company of its longest registered block, "Broadcast", "Multicast",
// "Locally administered", or "N/A" (unknown, or all zeros).
std::string VendorText(const std::uint8_t* mac, CVendorDatabase& vendors);

// Which vendor data is in use, as the About box says it (UTF-8):
// "厂商数据 DATE（内置）", or the folder it was read from.
std::string VendorDataText(const CVendorDatabase& vendors);

// Reverse name of a dotted address, or the text itself when there is none.
std::string ResolveHostName(const std::string& ipText, INetworkServices& net);

// Formats one row without asking for its name: MAC text, key, vendor
// ("N/A" when unknown), IP text, type text; the DNS name is the IP text.
ArpRowText FormatArpRowNumeric(const MIB_IPNETROW& row, CVendorDatabase& vendors);

// The same for an IPv6 neighbour: RFC 5952 text (with the zone of a
// link-local address) as its address and name.
ArpRowText FormatNeighbour6(const Neighbour6& neighbour, CVendorDatabase& vendors);

// The same, then the reverse name (which may block).
ArpRowText FormatArpRow(const MIB_IPNETROW& row, CVendorDatabase& vendors, INetworkServices& net);

} // namespace qv
