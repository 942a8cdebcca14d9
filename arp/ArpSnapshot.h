#pragma once

#include "platform/INetworkServices.h"

#include <cstdint>
#include <vector>

namespace qv {

// Reads the neighbour table into rows, in the system's order: the size
// query, one block of that size, the fill. A table that grows between the
// two is read again a few times. NO_ERROR_CODE with the rows;
// ERROR_NO_DATA_CODE for an empty table; any other code when none could be
// read (rows then empty).
std::uint32_t TakeArpSnapshot(INetworkServices& net, std::vector<MIB_IPNETROW>& rows);

} // namespace qv
