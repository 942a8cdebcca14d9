#include "app/CommandLine.h"

#include "arp/ArpRowFormatter.h"
#include "platform/AddressText.h"
#include "platform/INetworkServices.h"
#include "vendor/CVendorDatabase.h"
#include "vendor/OuiKey.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

namespace qv {

namespace {

const char kUsage[] =
    "Usage: quorvane [OPTION]\n"
    "Watches this machine's IPv4 neighbour (ARP) cache.\n"
    "With no option the window opens.\n"
    "\n"
    "  --list                       print the neighbour table once: IP address, DNS name,\n"
    "                               MAC address, vendor, type, separated by tabs\n"
    "  --arp TARGET [--source SRC]  send one ARP request for TARGET and print the MAC\n"
    "                               address and its vendor\n"
    "  --vendor KEY                 print the company registered for an OUI or MAC address\n"
    "  --help                       show this help\n";

int ListTable(INetworkServices& net, CVendorDatabase& vendors, std::ostream& out, std::ostream& err)
{
    std::uint32_t size = 0;
    std::uint32_t result = net.GetIpNetTable(nullptr, &size, false);
    if (size == 0) {
        if (result == NO_ERROR_CODE || result == ERROR_NO_DATA_CODE)
            return 0;
        err << "quorvane: cannot read the neighbour table (error " << result << ")\n";
        return 1;
    }
    std::vector<std::uint8_t> block;
    for (int attempt = 0; attempt < 4; ++attempt) {
        block.assign(size, 0);
        std::uint32_t fill = size;
        result = net.GetIpNetTable(reinterpret_cast<MIB_IPNETTABLE*>(block.data()), &fill, false);
        if (result != ERROR_INSUFFICIENT_BUFFER_CODE)
            break;
        size = fill;
    }
    if (result == ERROR_NO_DATA_CODE)
        return 0;
    if (result != NO_ERROR_CODE) {
        err << "quorvane: cannot read the neighbour table (error " << result << ")\n";
        return 1;
    }
    std::uint32_t count = 0;
    std::memcpy(&count, block.data(), sizeof count);
    count = std::min<std::uint32_t>(count, (size - IpNetTableSize(0)) / sizeof(MIB_IPNETROW));
    for (std::uint32_t i = 0; i < count; ++i) {
        MIB_IPNETROW row;
        std::memcpy(&row, block.data() + IpNetTableSize(i), sizeof row);
        const ArpRowText text = FormatArpRow(row, vendors, net);
        out << text.strIp << '\t' << text.strDnsName << '\t' << text.strMac << '\t' << text.strVendor << '\t'
            << text.strType << '\n';
    }
    return 0;
}

int SendOne(const std::string& target, const std::string* source, INetworkServices& net,
            CVendorDatabase& vendors, std::ostream& out, std::ostream& err)
{
    std::uint32_t targetIp = 0;
    if (!ParseDottedQuad(target, targetIp)) {
        err << "quorvane: '" << target << "' is not an IPv4 address\n";
        return 2;
    }
    const std::string sourceText = source ? *source : net.GetLocalAddress();
    std::uint32_t sourceIp = 0;
    if (!ParseDottedQuad(sourceText, sourceIp)) {
        err << "quorvane: '" << sourceText << "' is not an IPv4 address\n";
        return 2;
    }
    std::uint8_t mac[8] = {};
    std::uint32_t length = 6;
    const std::uint32_t result = net.SendARP(targetIp, sourceIp, mac, &length);
    if (result != NO_ERROR_CODE) {
        err << "quorvane: ARP request for " << target << " from " << sourceText
            << " failed: " << DescribeArpResult(result) << "\n";
        return 1;
    }
    std::string vendor;
    if (!vendors.LookupVendor(vendor, MakeOuiKey(mac)))
        vendor = "N/A";
    out << MakeMacText(mac) << '\t' << vendor << '\n';
    return 0;
}

} // namespace

int RunCommandLine(int argc, char** argv, INetworkServices& net, CVendorDatabase& vendors, std::ostream& out,
                   std::ostream& err)
{
    if (argc <= 1)
        return -1;
    std::vector<std::string> args(argv + 1, argv + argc);
    const std::string& command = args[0];
    const auto bad = [&](const std::string& message) {
        err << "quorvane: " << message << " (see quorvane --help)\n";
        return 2;
    };
    if (command == "--help" || command == "-h") {
        if (args.size() != 1)
            return bad("--help takes no arguments");
        out << kUsage;
        return 0;
    }
    if (command == "--vendor") {
        if (args.size() != 2)
            return bad("--vendor needs one KEY");
        const auto key = NormaliseOuiKey(args[1]);
        std::string vendor;
        if (key && (vendors.LoadVendorDatabase(), vendors.LookupVendor(vendor, *key))) {
            out << vendor << '\n';
            return 0;
        }
        out << "N/A\n";
        return 1;
    }
    if (command == "--list") {
        if (args.size() != 1)
            return bad("--list takes no arguments");
        vendors.LoadVendorDatabase();
        return ListTable(net, vendors, out, err);
    }
    if (command == "--arp") {
        if (args.size() == 2) {
            vendors.LoadVendorDatabase();
            return SendOne(args[1], nullptr, net, vendors, out, err);
        }
        if (args.size() == 4 && args[2] == "--source") {
            vendors.LoadVendorDatabase();
            return SendOne(args[1], &args[3], net, vendors, out, err);
        }
        return bad("usage: --arp TARGET [--source SOURCE]");
    }
    return bad("unknown option '" + command + "'");
}

} // namespace qv
