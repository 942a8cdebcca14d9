#include "app/CommandLine.h"
#include "app/WatchCommand.h"

#include "arp/ArpRowFormatter.h"
#include "arp/ArpSnapshot.h"
#include "arp/CNameResolver.h"
#include "arp/CWatchState.h"
#include "platform/AddressText.h"
#include "platform/INetworkServices.h"
#include "platform/PlainText.h"
#include "vendor/CVendorDatabase.h"
#include "vendor/OuiKey.h"
#include "vendor/SpecialAddress.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <map>
#include <ctime>
#include <cstring>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace qv {

namespace {

// Fields in the order they are documented.
using json = nlohmann::ordered_json;

const char kUsage[] =
    "Usage: quorvane [OPTION]...\n"
    "Watches this machine's neighbour (ARP and IPv6) cache.\n"
    "With no option the window opens. Options may come in any order.\n"
    "\n"
    "  --list [-n|--numeric] [-4|-6]\n"
    "                               print the neighbour table once: IP address, DNS name,\n"
    "                               MAC address, vendor, type, separated by tabs; IPv4\n"
    "                               entries, then IPv6 ones (-4 or -6 for one family);\n"
    "                               -n shows addresses as names and sends no DNS query\n"
    "  --arp TARGET [--source SRC]  send one ARP request for TARGET (a neighbour\n"
    "                               solicitation for an IPv6 one) and print the MAC\n"
    "                               address and its vendor\n"
    "  --vendor MAC|OUI             print who a MAC address (or its first three bytes) belongs\n"
    "                               to: the longest registered IEEE block, or what kind of\n"
    "                               address it is; exit 1 when nobody is known, 2 when it is\n"
    "                               not a MAC address\n"
    "  --watch                      print a line for each neighbour whose MAC address is new or\n"
    "                               changes (new, changed, flip-flop, gateway-changed, shared)\n"
    "                               until interrupted: TIME EVENT IP MAC VENDOR OLD_MAC OLD_VENDOR\n"
    "    --state FILE               remember stations in FILE across runs: changes made while\n"
    "                               the watch was stopped are reported at the next start\n"
    "    --metrics FILE             write Prometheus metrics to FILE (node_exporter's textfile\n"
    "                               collector) at start and after changes\n"
    "  --json                       with --list, one JSON array; with --watch, one JSON object\n"
    "                               per event\n"
    "  --version                    show the version and the vendor data's date and source\n"
    "  --help                       show this help\n";

} // namespace

void LoadVendors(CVendorDatabase& vendors, std::ostream& err)
{
    vendors.LoadVendorDatabase();
    for (const std::string& problem : vendors.UpdateProblems())
        err << "quorvane: " << QuoteForMessage(problem) << "\n";
}

namespace {

int NameVendor(const std::string& text, CVendorDatabase& vendors, std::ostream& out, std::ostream& err)
{
    const auto bytes = ParseMacText(text);
    if (!bytes) {
        err << "quorvane: '" << QuoteForMessage(text) << "' is not a MAC address or OUI\n";
        return 2;
    }
    LoadVendors(vendors, err);
    std::string vendor;
    if (bytes->size() == 6) {
        vendor = VendorText(bytes->data(), vendors);
    } else {
        const std::uint8_t padded[6] = {(*bytes)[0], (*bytes)[1], (*bytes)[2], 0, 0, 0};
        if (!vendors.LookupVendor(vendor, MakeOuiKey(padded)))
            vendor = AddressKindText(padded).value_or("N/A");
    }
    out << vendor << '\n';
    return vendor == "N/A" ? 1 : 0;
}

} // namespace

nlohmann::ordered_json InterfaceJson(int ifindex)
{
    const std::string name = InterfaceName(static_cast<std::uint32_t>(ifindex));
    return name.empty() ? json(nullptr) : json(name);
}

namespace {

struct Families
{
    bool ipv4 = true;
    bool ipv6 = true;
};

int ListTable(INetworkServices& net, CVendorDatabase& vendors, bool numeric, bool asJson, Families families,
              std::ostream& out, std::ostream& err)
{
    std::vector<MIB_IPNETROW> rows;
    const std::uint32_t result = families.ipv4 ? TakeArpSnapshot(net, rows) : ERROR_NO_DATA_CODE;
    if (result != NO_ERROR_CODE && result != ERROR_NO_DATA_CODE) {
        err << "quorvane: cannot read the neighbour table (error " << result << ")\n";
        return 1;
    }
    std::vector<Neighbour6> neighbours6;
    if (families.ipv6) {
        if (!net.GetIpv6Neighbours(neighbours6)) {
            err << "quorvane: cannot read the IPv6 neighbour table\n";
            return 1;
        }
    }
    // IPv4 first, as the kernel lists each family.
    std::vector<IpAddress> addresses;
    addresses.reserve(rows.size() + neighbours6.size());
    for (const MIB_IPNETROW& row : rows)
        addresses.emplace_back(row.dwAddr);
    for (const Neighbour6& neighbour : neighbours6)
        addresses.emplace_back(neighbour.addr, neighbour.ifindex);
    // The pool only borrows net: every lookup has ended before it goes.
    CNameResolver names(std::shared_ptr<INetworkServices>(&net, [](INetworkServices*) {}));
    if (!numeric)
        for (const IpAddress& addr : addresses)
            names.Request(addr);
    LoadVendors(vendors, err);
    // Each row with its interface.
    std::vector<std::pair<ArpRowText, int>> all;
    all.reserve(addresses.size());
    for (const MIB_IPNETROW& row : rows)
        all.emplace_back(FormatArpRowNumeric(row, vendors), static_cast<int>(row.dwIndex));
    const std::size_t ipv4Rows = all.size();
    for (const Neighbour6& neighbour : neighbours6)
        all.emplace_back(FormatNeighbour6(neighbour, vendors), static_cast<int>(neighbour.ifindex));
    if (!numeric) {
        while (!names.WaitIdle(std::chrono::hours(1))) {
        }
        for (std::size_t i = 0; i < all.size(); ++i)
            if (auto name = names.Known(addresses[i]))
                all[i].first.strDnsName = std::move(*name);
    }
    if (asJson) {
        json list = json::array();
        for (std::size_t i = 0; i < all.size(); ++i) {
            const ArpRowText& text = all[i].first;
            list.push_back({{"ip", text.strIp},
                            {"name", text.strDnsName},
                            {"mac", text.strMac},
                            {"vendor", text.strVendor},
                            {"type", text.strType},
                            {"interface", InterfaceJson(all[i].second)},
                            {"family", i < ipv4Rows ? "inet" : "inet6"}});
        }
        out << list.dump(-1, ' ', false, json::error_handler_t::replace) << '\n';
        return 0;
    }
    for (const auto& [text, ifindex] : all)
        out << text.strIp << '\t' << text.strDnsName << '\t' << text.strMac << '\t' << text.strVendor << '\t'
            << text.strType << '\n';
    return 0;
}

} // namespace

int RestoreWatchState(const WatchOptions& options, CChangeTracker& tracker, std::ostream& err)
{
    if (!options.state)
        return 0;
    std::string problem;
    const std::string file = QuoteForMessage(*options.state);
    switch (CWatchState(*options.state).Read(tracker, problem)) {
    case CWatchState::Load::Foreign:
        err << "quorvane: " << file << " is not a quorvane state file (" << problem << "); left as it is\n";
        return 2;
    case CWatchState::Load::Damaged:
        err << "quorvane: " << file << " is damaged (" << problem << "); kept as " << file
            << ".bad, starting afresh\n";
        return 0;
    case CWatchState::Load::Loaded:
        return 1;
    case CWatchState::Load::Missing:
        break;
    }
    return 0;
}

std::string WatchLine(const CChangeTracker::Event& event, CVendorDatabase& vendors)
{
    char when[32] = {};
    const std::time_t time = CChangeTracker::Clock::to_time_t(event.when);
    // One thread writes the lines: localtime's own buffer is safe here.
    if (const std::tm* local = std::localtime(&time))
        std::strftime(when, sizeof when, "%Y-%m-%dT%H:%M:%S", local);
    std::string line = std::string(when) + '\t' + CChangeTracker::KindName(event.kind) + '\t' +
                       event.addr.Text() + '\t' + MakeMacText(event.mac.data()) + '\t' +
                       VendorText(event.mac.data(), vendors) + '\t';
    if (event.kind == CChangeTracker::Kind::Shared)
        line += event.other.Text() + '\t';
    else if (event.kind != CChangeTracker::Kind::New)
        line += MakeMacText(event.oldMac.data()) + '\t' + VendorText(event.oldMac.data(), vendors);
    else
        line += '\t';
    return line + '\n';
}

std::string WatchJson(const CChangeTracker::Event& event, const CChangeTracker& tracker,
                      CVendorDatabase& vendors)
{
    json object = {{"time", CWatchState::TimeText(event.when)},
                   {"event", CChangeTracker::KindName(event.kind)},
                   {"ip", event.addr.Text()},
                   {"mac", MakeMacText(event.mac.data())},
                   {"vendor", VendorText(event.mac.data(), vendors)},
                   {"old_mac", nullptr},
                   {"old_vendor", nullptr},
                   {"interface", nullptr}};
    if (event.kind != CChangeTracker::Kind::New) {
        object["old_mac"] = MakeMacText(event.oldMac.data());
        object["old_vendor"] = VendorText(event.oldMac.data(), vendors);
    }
    if (event.kind == CChangeTracker::Kind::Shared)
        object["other_ip"] = event.other.Text();
    if (const CChangeTracker::History* history = tracker.Find(event.addr))
        object["interface"] = InterfaceJson(history->ifindex);
    return object.dump(-1, ' ', false, json::error_handler_t::replace) + '\n';
}

namespace {

// An IPv6 target: one neighbour solicitation.
int SolicitOne(const std::string& target, const std::string* source, INetworkServices& net,
               CVendorDatabase& vendors, std::ostream& out, std::ostream& err)
{
    IpAddress targetIp;
    IpAddress sourceIp;
    if (!IpAddress::Parse(target, targetIp) || !targetIp.IsV6()) {
        err << "quorvane: '" << QuoteForMessage(target) << "' is not an IPv6 address with a known zone\n";
        return 2;
    }
    if (targetIp.IsLinkLocal() && targetIp.Scope() == 0) {
        err << "quorvane: a link-local address needs its interface: " << QuoteForMessage(target) << "%eth0\n";
        return 2;
    }
    if (source && (!IpAddress::Parse(*source, sourceIp) || !sourceIp.IsV6())) {
        err << "quorvane: '" << QuoteForMessage(*source) << "' is not an IPv6 address\n";
        return 2;
    }
    std::uint8_t mac[6] = {};
    std::string detail;
    const std::uint32_t result = net.QueryNeighbour6(targetIp, sourceIp, mac, &detail);
    if (result != NO_ERROR_CODE) {
        err << "quorvane: neighbour solicitation for " << targetIp.Text()
            << (source ? " from " + sourceIp.Text() : std::string())
            << " failed: " << DescribeArpResult(result);
        if (!detail.empty())
            err << " (no confirmed reply; " << detail << ")";
        err << "\n";
        return 1;
    }
    out << MakeMacText(mac) << '\t' << VendorText(mac, vendors) << '\n';
    if (!detail.empty())
        err << "quorvane: " << targetIp.Text() << ": " << detail << "\n";
    return 0;
}

int SendOne(const std::string& target, const std::string* source, INetworkServices& net,
            CVendorDatabase& vendors, std::ostream& out, std::ostream& err)
{
    if (target.find(':') != std::string::npos)
        return SolicitOne(target, source, net, vendors, out, err);
    std::uint32_t targetIp = 0;
    // Only what cannot be an address is asked of the resolver: a mistyped
    // address must not become a name query.
    const bool name =
        std::any_of(target.begin(), target.end(), [](unsigned char c) { return std::isalpha(c); });
    if (!ParseDottedQuad(target, targetIp) && !(name && net.ResolveHost(target, targetIp))) {
        err << "quorvane: '" << QuoteForMessage(target) << "' is not an IPv4 address"
            << (name ? " or a host name with one" : "") << "\n";
        return 2;
    }
    const std::string sourceText = source ? *source : net.GetLocalAddress();
    std::uint32_t sourceIp = 0;
    if (!ParseDottedQuad(sourceText, sourceIp)) {
        err << "quorvane: '" << QuoteForMessage(sourceText) << "' is not an IPv4 address\n";
        return 2;
    }
    std::uint8_t mac[8] = {};
    std::uint32_t length = 6;
    std::string detail;
    const std::uint32_t result = net.QueryArp(targetIp, sourceIp, mac, &length, &detail);
    if (result != NO_ERROR_CODE) {
        err << "quorvane: ARP request for " << target << " from " << sourceText
            << " failed: " << DescribeArpResult(result);
        if (!detail.empty())
            err << " (no confirmed reply; " << detail << ")";
        err << "\n";
        return 1;
    }
    out << MakeMacText(mac) << '\t' << VendorText(mac, vendors) << '\n';
    if (!detail.empty())
        err << "quorvane: " << target << ": " << detail << "\n";
    return 0;
}

} // namespace

int RunCommandLine(int argc, char** argv, INetworkServices& net, CVendorDatabase& vendors, std::ostream& out,
                   std::ostream& err)
{
    if (argc <= 1)
        return -1;
    const std::vector<std::string> args(argv + 1, argv + argc);
    const auto bad = [&](const std::string& message) {
        err << "quorvane: " << message << " (see quorvane --help)\n";
        return 2;
    };
    // One command, its value and its options, in any order.
    std::string command;
    std::string value;
    std::optional<std::string> source;
    bool numeric = false;
    bool only4 = false;
    bool only6 = false;
    WatchOptions watch;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const bool takesValue = arg == "--arp" || arg == "--vendor" || arg == "--source" ||
                                arg == "--state" || arg == "--metrics";
        if (takesValue && i + 1 >= args.size())
            return bad(arg + " needs a value");
        if (arg == "-n" || arg == "--numeric") {
            numeric = true;
        } else if (arg == "-4" || arg == "-6") {
            (arg == "-4" ? only4 : only6) = true;
        } else if (arg == "--source") {
            source = args[++i];
        } else if (arg == "--json") {
            watch.json = true;
        } else if (arg == "--state") {
            watch.state = args[++i];
        } else if (arg == "--metrics") {
            watch.metrics = args[++i];
        } else if (arg == "--help" || arg == "-h" || arg == "--version" || arg == "--list" ||
                   arg == "--watch" || arg == "--arp" || arg == "--vendor") {
            if (!command.empty())
                return bad(command + " and " + arg + " cannot go together");
            command = arg == "-h" ? "--help" : arg;
            if (takesValue)
                value = args[++i];
        } else {
            return bad("unknown option '" + QuoteForMessage(arg) + "'");
        }
    }
    if (command.empty())
        return bad("an option such as --list is needed");
    if (numeric && command != "--list")
        return bad("-n goes with --list");
    if ((only4 || only6) && command != "--list")
        return bad("-4 and -6 go with --list");
    if (source && command != "--arp")
        return bad("--source goes with --arp");
    if (watch.json && command != "--list" && command != "--watch")
        return bad("--json goes with --list or --watch");
    if ((watch.state || watch.metrics) && command != "--watch")
        return bad("--state and --metrics go with --watch");

    if (command == "--help") {
        out << kUsage;
        return 0;
    }
    if (command == "--version") {
        LoadVendors(vendors, err);
        out << "quorvane " QV_VERSION "\nvendor data " << vendors.DataDate() << " (" << vendors.DataSource()
            << ")\n";
        return 0;
    }
    if (command == "--vendor")
        return NameVendor(value, vendors, out, err);
    if (command == "--list")
        // Both, as ip does, unless one is chosen.
        return ListTable(net, vendors, numeric, watch.json, {only4 || !only6, only6 || !only4}, out, err);
    if (command == "--watch")
        return Watch(net, vendors, watch, out, err);
    LoadVendors(vendors, err);
    return SendOne(value, source ? &*source : nullptr, net, vendors, out, err);
}

} // namespace qv
