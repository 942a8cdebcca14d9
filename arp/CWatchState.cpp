#include "arp/CWatchState.h"

#include "platform/AddressText.h"
#include "platform/AtomicFile.h"
#include "platform/SocketApi.h"
#include "vendor/OuiKey.h"

#include <nlohmann/json.hpp>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fstream>
#include <map>

using json = nlohmann::json;
using Clock = CChangeTracker::Clock;

namespace {

const char kMarker[] = R"({"format":"quorvane-state","version":1})";

bool ParseMac(const std::string& text, CChangeTracker::Mac& mac)
{
    const auto bytes = qv::ParseMacText(text);
    if (!bytes || bytes->size() != 6)
        return false;
    std::copy(bytes->begin(), bytes->end(), mac.begin());
    return true;
}

// One address's object; false when it is not one of ours.
bool ParseLine(const std::string& line, qv::IpAddress& addr, CChangeTracker::History& history, bool& gateway)
{
    const json object = json::parse(line, nullptr, false);
    if (!object.is_object())
        return false;
    const auto text = [&](const char* key, std::string& value) {
        const auto it = object.find(key);
        if (it == object.end() || !it->is_string())
            return false;
        value = it->get<std::string>();
        return true;
    };
    std::string ip, family, mac, first, last, link;
    if (!text("ip", ip) || !text("family", family) || !qv::IpAddress::Parse(ip, addr) ||
        family != (addr.IsV6() ? "inet6" : "inet") || !text("mac", mac) || !ParseMac(mac, history.mac) ||
        !text("first_seen", first) || !CWatchState::ParseTime(first, history.since) ||
        !text("last_seen", last) || !CWatchState::ParseTime(last, history.lastSeen))
        return false;
    if (text("interface", link))
        history.ifindex = static_cast<int>(::if_nametoindex(link.c_str()));
    const auto gw = object.find("gateway");
    gateway = gw != object.end() && gw->is_boolean() && gw->get<bool>();
    if (object.contains("previous_mac")) {
        std::string previous, previousFirst, previousLast;
        if (!text("previous_mac", previous) || !ParseMac(previous, history.previous) ||
            !text("previous_first_seen", previousFirst) ||
            !CWatchState::ParseTime(previousFirst, history.previousSince) ||
            !text("previous_last_seen", previousLast) ||
            !CWatchState::ParseTime(previousLast, history.previousLastSeen))
            return false;
        history.hasPrevious = true;
    }
    return true;
}

} // namespace

std::string CWatchState::TimeText(Clock::time_point when)
{
    using namespace std::chrono;
    const auto ms = floor<milliseconds>(when);
    const auto day = floor<days>(ms);
    const year_month_day date(day);
    const hh_mm_ss time(ms - day);
    char text[40];
    std::snprintf(text, sizeof text, "%04d-%02u-%02uT%02d:%02d:%02d.%03dZ", static_cast<int>(date.year()),
                  static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()),
                  static_cast<int>(time.hours().count()), static_cast<int>(time.minutes().count()),
                  static_cast<int>(time.seconds().count()), static_cast<int>(time.subseconds().count()));
    return text;
}

bool CWatchState::ParseTime(const std::string& text, Clock::time_point& when)
{
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0, millis = 0;
    char zone = 0;
    if (std::sscanf(text.c_str(), "%4d-%2d-%2dT%2d:%2d:%2d.%3d%c", &year, &month, &day, &hour, &minute,
                    &second, &millis, &zone) != 8 ||
        zone != 'Z' || text.size() != 24)
        return false;
    using namespace std::chrono;
    const year_month_day date{std::chrono::year(year), std::chrono::month(static_cast<unsigned>(month)),
                              std::chrono::day(static_cast<unsigned>(day))};
    if (!date.ok() || hour > 23 || minute > 59 || second > 60)
        return false;
    when = Clock::time_point(sys_days(date).time_since_epoch() + hours(hour) + minutes(minute) +
                             seconds(second) + milliseconds(millis));
    return true;
}

CWatchState::Load CWatchState::Read(CChangeTracker& tracker, std::string& problem) const
{
    std::ifstream in(m_strPath, std::ios::binary);
    if (!in) {
        if (errno == ENOENT)
            return Load::Missing;
        problem = std::strerror(errno);
        return Load::Foreign;
    }
    std::string line;
    // A discarded parse compares unequal to nothing, so it is asked for first.
    const json first = std::getline(in, line) ? json::parse(line, nullptr, false) : json();
    if (first.is_discarded() || first != json::parse(kMarker)) {
        problem = "its first line is not " + std::string(kMarker);
        return Load::Foreign;
    }
    struct Restored
    {
        qv::IpAddress addr;
        CChangeTracker::History history;
        bool gateway;
    };
    std::vector<Restored> entries;
    for (std::size_t number = 2; std::getline(in, line); ++number) {
        if (line.empty())
            continue;
        Restored entry{};
        if (!ParseLine(line, entry.addr, entry.history, entry.gateway)) {
            problem = "line " + std::to_string(number) + " does not parse";
            std::rename(m_strPath.c_str(), (m_strPath + ".bad").c_str());
            return Load::Damaged;
        }
        entries.push_back(entry);
    }
    // Least recently seen first, so a bound keeps the newest.
    std::sort(entries.begin(), entries.end(),
              [](const Restored& a, const Restored& b) { return a.history.lastSeen < b.history.lastSeen; });
    for (const Restored& entry : entries)
        tracker.Restore(entry.addr, entry.history, entry.gateway);
    return Load::Loaded;
}

bool CWatchState::Write(const CChangeTracker& tracker, std::string& reason) const
{
    std::string text = std::string(kMarker) + "\n";
    text.reserve(tracker.Size() * 320);
    // One lookup an interface, not one a station.
    std::map<int, std::string> interfaces;
    tracker.ForEach([&](const qv::IpAddress& addr, const CChangeTracker::History& history) {
        nlohmann::ordered_json object;
        object["ip"] = addr.Text();
        object["family"] = addr.IsV6() ? "inet6" : "inet";
        auto known = interfaces.find(history.ifindex);
        if (known == interfaces.end())
            known =
                interfaces
                    .emplace(history.ifindex, qv::InterfaceName(static_cast<std::uint32_t>(history.ifindex)))
                    .first;
        if (!known->second.empty())
            object["interface"] = known->second;
        object["mac"] = qv::MakeMacText(history.mac.data());
        object["first_seen"] = TimeText(history.since);
        object["last_seen"] = TimeText(history.lastSeen);
        object["gateway"] = tracker.WasGateway(addr);
        if (history.hasPrevious) {
            object["previous_mac"] = qv::MakeMacText(history.previous.data());
            object["previous_first_seen"] = TimeText(history.previousSince);
            object["previous_last_seen"] = TimeText(history.previousLastSeen);
        }
        text += object.dump() + "\n";
    });
    return qv::WriteFileAtomically(m_strPath, text, reason);
}
