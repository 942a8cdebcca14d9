#include "vendor/CVendorDatabase.h"

#include "vendor/OuiKey.h"
#include "vendor/RegistryCsv.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>

namespace vt = qv::vendor_table;

int CVendorDatabase::RegistryOfBits(int bits, std::string_view registry)
{
    switch (bits) {
    case 24:
        return vt::MaL;
    case 28:
        return vt::MaM;
    default:
        return registry == "IAB" ? vt::Iab : vt::MaS;
    }
}

long long CVendorDatabase::ParseCreated(std::string_view text)
{
    int month = 0, day = 0, year = 0, hour = 0, minute = 0, second = 0;
    const std::string copy(text);
    if (std::sscanf(copy.c_str(), "%d/%d/%d %d:%d:%d", &month, &day, &year, &hour, &minute, &second) != 6)
        return 0;
    using namespace std::chrono;
    const year_month_day date{std::chrono::year(year), std::chrono::month(static_cast<unsigned>(month)),
                              std::chrono::day(static_cast<unsigned>(day))};
    if (!date.ok())
        return 0;
    return (sys_days(date).time_since_epoch() + hours(hour) + minutes(minute) + seconds(second)) / 1s;
}

CVendorDatabase::CVendorDatabase(FailureNotifier notifier, std::string updateFolder)
    : m_notifier(std::move(notifier)), m_strUpdateFolder(std::move(updateFolder))
{
}

void CVendorDatabase::Fill(Registry& registry, Rows rows)
{
    // The first row of a prefix wins, as a walk in document order finds it first.
    std::stable_sort(rows.begin(), rows.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    rows.erase(std::unique(rows.begin(), rows.end(),
                           [](const auto& a, const auto& b) { return a.first == b.first; }),
               rows.end());
    registry.ownBlocks.clear();
    registry.ownNames.clear();
    registry.ownBlocks.reserve(rows.size());
    for (const auto& [prefix, name] : rows) {
        registry.ownBlocks.push_back({prefix, static_cast<std::uint32_t>(registry.ownNames.size())});
        registry.ownNames.append(name);
        registry.ownNames.push_back('\0');
    }
    registry.blocks = registry.ownBlocks.data();
    registry.count = registry.ownBlocks.size();
    registry.names = registry.ownNames.data();
}

void CVendorDatabase::UseCompiled()
{
    const vt::Data& data = vt::Compiled();
    for (int r = 0; r < vt::RegistryCount; ++r) {
        Registry& registry = m_registries[r];
        registry.ownBlocks = {};
        registry.ownNames = {};
        registry.blocks = data.blocks[r];
        registry.count = data.counts[r];
        registry.names = data.names;
    }
    m_created = data.created;
    m_fromFolder = false;
}

bool CVendorDatabase::LoadVendorDatabase()
{
    std::lock_guard<std::mutex> guard(m_lock);
    UseCompiled();
    m_updateProblems.clear();
    if (m_strUpdateFolder.empty())
        return true;
    const long long updated = qv::ReadLastUpdate(m_strUpdateFolder);
    if (updated <= m_created)
        return true; // what the build carries is as new
    for (const auto& [name, file] : qv::kRegistryFiles) {
        const std::string path = m_strUpdateFolder + "/" + file;
        std::vector<qv::RegistryRow> rows;
        std::string error;
        if (!qv::ReadRegistryFile(path, name, rows, error)) {
            m_updateProblems.push_back(path + ": " + error + "; the built-in " + name + " data is used");
            continue;
        }
        const int bits = static_cast<int>(qv::AssignmentDigits(name)) * 4;
        Rows blocks;
        blocks.reserve(rows.size());
        for (const qv::RegistryRow& row : rows)
            if (row.company != "Private")
                blocks.emplace_back(std::stoull(row.assignment, nullptr, 16), row.company);
        Fill(m_registries[RegistryOfBits(bits, name)], std::move(blocks));
        m_fromFolder = true;
    }
    if (m_fromFolder)
        m_created = updated;
    return true;
}

bool CVendorDatabase::FindBlock(int r, std::uint64_t prefix, std::string& vendor) const
{
    const Registry& registry = m_registries[r];
    const vt::Block* end = registry.blocks + registry.count;
    const vt::Block* it =
        std::lower_bound(registry.blocks, end, prefix,
                         [](const vt::Block& block, std::uint64_t p) { return block.prefix < p; });
    if (it == end || it->prefix != prefix)
        return false;
    vendor.assign(registry.names + it->name);
    return true;
}

bool CVendorDatabase::LookupVendor(std::string& vendor, std::string key)
{
    const auto block = qv::ParseBlockKey(key);
    if (!block)
        return false;
    std::lock_guard<std::mutex> guard(m_lock);
    for (int r = 0; r < vt::RegistryCount; ++r)
        if (vt::kRegistryBits[r] == block->bits && FindBlock(r, block->prefix, vendor))
            return true;
    return false;
}

bool CVendorDatabase::LookupMac(std::string& vendor, const std::uint8_t* mac)
{
    const std::uint64_t value = qv::MacValue(mac);
    std::lock_guard<std::mutex> guard(m_lock);
    for (int r = 0; r < vt::RegistryCount; ++r)
        if (FindBlock(r, value >> (48 - vt::kRegistryBits[r]), vendor))
            return true;
    return false;
}

std::string CVendorDatabase::DataDate() const
{
    std::lock_guard<std::mutex> guard(m_lock);
    using namespace std::chrono;
    const year_month_day date(floor<days>(sys_seconds(seconds(m_created))));
    char day[16];
    std::snprintf(day, sizeof day, "%04d-%02u-%02u", static_cast<int>(date.year()),
                  static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()));
    return day;
}

long long CVendorDatabase::DataTime() const
{
    std::lock_guard<std::mutex> guard(m_lock);
    return m_created;
}

std::string CVendorDatabase::DataSource() const
{
    std::lock_guard<std::mutex> guard(m_lock);
    return m_fromFolder ? m_strUpdateFolder : "built in";
}

std::vector<std::string> CVendorDatabase::UpdateProblems() const
{
    std::lock_guard<std::mutex> guard(m_lock);
    return m_updateProblems;
}
