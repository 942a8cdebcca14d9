#pragma once

#include "platform/INetworkServices.h"
#include "platform/NetTypes.h"

#include <string>

class CVendorDatabase;

// The five display texts of one neighbour entry, in column order.
struct ArpRowText
{
    std::string strIp;
    std::string strDnsName;
    std::string strMac;
    std::string strVendor;
    std::string strType;
};

namespace qv {

// "Other", "Invalid", "Dynamic", "Static"; empty for 0; decimal above 4.
std::string TypeText(std::uint32_t type);

// Reverse name of a dotted address, or the text itself when there is none.
std::string ResolveHostName(const std::string& ipText, INetworkServices& net);

// Formats one row: MAC text, key, vendor ("N/A" when unknown), IP text,
// type text, then the reverse name (which may block).
ArpRowText FormatArpRow(const MIB_IPNETROW& row, CVendorDatabase& vendors, INetworkServices& net);

} // namespace qv
