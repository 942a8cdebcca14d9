#include "vendor/CComError.h"

#include <cstdio>
#include <string>

namespace {
std::string StatusText(std::uint32_t status)
{
    char text[32];
    std::snprintf(text, sizeof text, "XML reader error 0x%08X", static_cast<unsigned>(status));
    return text;
}
} // namespace

CComError::CComError(std::uint32_t status) : std::runtime_error(StatusText(status)), m_dwStatus(status) {}
