#pragma once

#include <cstdint>
#include <string>

namespace qv {

// Why a manual query failed, as the window shows it (UTF-8).
std::string ArpFailureText(std::uint32_t result);

} // namespace qv
