#include "arp/ArpRowFormatter.h"

#include "platform/AddressText.h"
#include "vendor/CVendorDatabase.h"
#include "vendor/OuiKey.h"

namespace qv {

std::string TypeText(std::uint32_t type)
{
    static const char* const names[] = {"", "Other", "Invalid", "Dynamic", "Static"};
    if (type > 4)
        return std::to_string(type);
    return names[type];
}

std::string VendorText(const std::uint8_t* mac, CVendorDatabase& vendors)
{
    std::string vendor;
    if (!vendors.LookupVendor(vendor, MakeOuiKey(mac)))
        vendor = "N/A";
    return vendor;
}

std::string ResolveHostName(const std::string& ipText, INetworkServices& net)
{
    std::string result = ipText;
    const std::uint32_t address = InetAddr(ipText);
    std::string name;
    if (net.GetHostByAddr(address, name))
        result = name;
    return result;
}

ArpRowText FormatArpRowNumeric(const MIB_IPNETROW& row, CVendorDatabase& vendors)
{
    ArpRowText text;
    text.strMac = MakeMacText(row.bPhysAddr);
    // An entry without a link-layer address (still resolving, or failed)
    // shows zeros, which are nobody's vendor.
    text.strVendor = row.dwPhysAddrLen == 0 ? "N/A" : VendorText(row.bPhysAddr, vendors);
    text.strIp = InetNtoa(row.dwAddr);
    text.strType = TypeText(row.dwType);
    text.strDnsName = text.strIp;
    return text;
}

ArpRowText FormatArpRow(const MIB_IPNETROW& row, CVendorDatabase& vendors, INetworkServices& net)
{
    ArpRowText text = FormatArpRowNumeric(row, vendors);
    text.strDnsName = ResolveHostName(text.strIp, net);
    return text;
}

} // namespace qv
