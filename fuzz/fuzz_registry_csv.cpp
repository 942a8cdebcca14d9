// Arbitrary bytes as a registry CSV: read, and every row that is taken
// must hold what the reader promises.
#include "vendor/OuiKey.h"
#include "vendor/RegistryCsv.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    std::vector<qv::RegistryRow> rows;
    std::string error;
    if (!qv::ReadRegistryCsv(text, rows, error))
        return 0;
    for (const qv::RegistryRow& row : rows) {
        if (row.assignment.size() != qv::AssignmentDigits(row.registry))
            std::abort();
        if (!qv::ParseBlockKey(qv::MakeBlockKey(row.assignment)))
            std::abort();
    }
    return 0;
}
