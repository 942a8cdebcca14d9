#include "arp/ArpSnapshot.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>

namespace qv {

namespace {

constexpr int kFillAttempts = 4;

} // namespace

std::uint32_t TakeArpSnapshot(INetworkServices& net, std::vector<MIB_IPNETROW>& rows)
{
    rows.clear();
    std::unique_ptr<std::uint8_t[]> block;
    std::uint32_t size = 0;
    std::uint32_t result = ERROR_GEN_FAILURE_CODE;
    for (int attempt = 0; attempt < kFillAttempts; ++attempt) {
        size = 0;
        result = net.GetIpNetTable(nullptr, &size, false);
        if (size < IpNetTableSize(0))
            return (result == NO_ERROR_CODE || result == ERROR_INSUFFICIENT_BUFFER_CODE) ? ERROR_NO_DATA_CODE
                                                                                         : result;
        block.reset(new (std::nothrow) std::uint8_t[size]);
        if (!block)
            return ERROR_GEN_FAILURE_CODE;
        std::uint32_t fillSize = size;
        result = net.GetIpNetTable(reinterpret_cast<MIB_IPNETTABLE*>(block.get()), &fillSize, false);
        if (result != ERROR_INSUFFICIENT_BUFFER_CODE)
            break;
    }
    if (result != NO_ERROR_CODE)
        return result;

    std::uint32_t count = 0;
    std::memcpy(&count, block.get(), sizeof count);
    // Never trust a count the block cannot hold.
    count = std::min<std::uint32_t>(count, (size - IpNetTableSize(0)) / sizeof(MIB_IPNETROW));
    rows.resize(count);
    if (count > 0)
        std::memcpy(rows.data(), block.get() + IpNetTableSize(0), count * sizeof(MIB_IPNETROW));
    return rows.empty() ? ERROR_NO_DATA_CODE : NO_ERROR_CODE;
}

} // namespace qv
