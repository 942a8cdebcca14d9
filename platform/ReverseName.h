#pragma once

#include "platform/INetworkServices.h"

#include <cstdint>
#include <string>

namespace qv {

// The reverse name of an IPv4 address (network order) or of an IPv6 one on
// scope, through the system's resolver. NoName for an answer that there is
// none, and for a name that is not plain text; TryLater for no answer.
INetworkServices::NameLookup ReverseName(std::uint32_t addr, std::string& name);
INetworkServices::NameLookup ReverseName6(const std::uint8_t (&addr)[16], std::uint32_t scope,
                                          std::string& name);

} // namespace qv
