// Writes the vendor document from ieee-data's four registry CSVs.
// Usage: quorvane-ouigen IEEE_DATA_DIR OUTPUT.xml
#include "tools/OuiRegistry.h"

#include <cstdio>
#include <ctime>
#include <fstream>

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s IEEE_DATA_DIR OUTPUT.xml\n", argv[0]);
        return 2;
    }
    const std::string folder = argv[1];
    std::vector<qv::RegistryRow> rows;
    for (const auto& [registry, file] : qv::kRegistryFiles) {
        std::vector<qv::RegistryRow> more;
        std::string error;
        if (!qv::ReadRegistryFile(folder + "/" + file, registry, more, error)) {
            std::fprintf(stderr, "%s: %s/%s: %s\n", argv[0], folder.c_str(), file, error.c_str());
            return 1;
        }
        rows.insert(rows.end(), more.begin(), more.end());
    }
    const long long updated = qv::ReadLastUpdate(folder);
    if (updated < 0) {
        std::fprintf(stderr, "%s: %s/.lastupdate is missing\n", argv[0], folder.c_str());
        return 1;
    }
    const std::time_t when = static_cast<std::time_t>(updated);
    std::tm utc{};
    ::gmtime_r(&when, &utc);
    char created[32];
    char day[16];
    std::strftime(created, sizeof created, "%m/%d/%Y %H:%M:%S", &utc);
    std::strftime(day, sizeof day, "%Y-%m-%d", &utc);
    const std::string document = qv::tools::WriteVendorDocument(
        rows, created,
        std::string("IEEE MA-L, MA-M, MA-S and IAB registries (Debian ieee-data), downloaded ") + day);
    std::ofstream out(argv[2], std::ios::binary);
    out << document;
    if (!out.flush()) {
        std::fprintf(stderr, "%s: cannot write %s\n", argv[0], argv[2]);
        return 1;
    }
    std::printf("%zu assignments\n", rows.size());
    return 0;
}
