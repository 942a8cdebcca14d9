#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace qv {

// One assignment of an IEEE registry as ieee-data's CSV files list it.
struct RegistryRow
{
    std::string registry;   // "MA-L", "MA-M", "MA-S" or "IAB"
    std::string assignment; // hex digits: 6, 7 or 9 of them
    std::string company;
    std::string address;
};

// Reads one registry CSV (oui.csv, mam.csv, oui36.csv, iab.csv): a header
// line, then Registry,Assignment,Organization Name,Organization Address.
// Quoted fields may hold commas, doubled quotes and line breaks; a BOM and
// CR LF line ends are taken. False with error set when the text is not
// such a file (a wrong header, an unclosed quote, a row of another shape
// or an assignment that is not hex of the registry's length).
bool ReadRegistryCsv(std::string_view text, std::vector<RegistryRow>& rows, std::string& error);

// Hex digits of a registry's assignments, 0 for an unknown registry.
std::size_t AssignmentDigits(std::string_view registry);

// The four registries, most specific first, and their files in ieee-data's folders.
struct RegistryFile
{
    const char* registry;
    const char* file;
};
inline constexpr RegistryFile kRegistryFiles[] = {
    {"MA-S", "oui36.csv"}, {"IAB", "iab.csv"}, {"MA-M", "mam.csv"}, {"MA-L", "oui.csv"}};

// Reads path as ReadRegistryCsv does; every row must be of registry.
bool ReadRegistryFile(const std::string& path, std::string_view registry, std::vector<RegistryRow>& rows,
                      std::string& error);

// When ieee-data's folder was last downloaded: its .lastupdate, seconds
// since the epoch; -1 when missing or not a number.
long long ReadLastUpdate(const std::string& folder);

} // namespace qv
