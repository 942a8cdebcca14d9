#include "arp/ArpRowFormatter.h"

#include "platform/AddressText.h"
#include "vendor/CVendorDatabase.h"
#include "vendor/OuiKey.h"
#include "vendor/SpecialAddress.h"

#include <algorithm>

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
    // All zeros is no address at all, not Xerox's.
    if (std::all_of(mac, mac + 6, [](std::uint8_t b) { return b == 0; }))
        return "N/A";
    if (auto text = ProtocolAddressText(mac))
        return *text;
    std::string vendor;
    if (vendors.LookupMac(vendor, mac))
        return vendor;
    return AddressKindText(mac).value_or("N/A");
}

std::string VendorDataText(const CVendorDatabase& vendors)
{
    const std::string source = vendors.DataSource();
    return "厂商数据 " + vendors.DataDate() + "（" + (source == "built in" ? "内置" : source) + "）";
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

ArpRowText FormatNeighbour6(const Neighbour6& neighbour, CVendorDatabase& vendors)
{
    ArpRowText text;
    text.strIp = Inet6Text(neighbour.addr, neighbour.ifindex);
    text.strDnsName = text.strIp;
    text.strMac = MakeMacText(neighbour.phys);
    text.strVendor = neighbour.physLen == 0 ? "N/A" : VendorText(neighbour.phys, vendors);
    text.strType = TypeText(neighbour.type);
    return text;
}

ArpRowText FormatArpRow(const MIB_IPNETROW& row, CVendorDatabase& vendors, INetworkServices& net)
{
    ArpRowText text = FormatArpRowNumeric(row, vendors);
    text.strDnsName = ResolveHostName(text.strIp, net);
    return text;
}

} // namespace qv
