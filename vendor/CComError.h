#pragma once

#include <cstdint>
#include <stdexcept>

// Status codes the reader raises, as the original component reported them.
inline constexpr std::uint32_t S_OK_STATUS = 0x00000000u;
inline constexpr std::uint32_t E_POINTER_STATUS = 0x80004003u;
inline constexpr std::uint32_t E_OUTOFMEMORY_STATUS = 0x8007000Eu;

// Raised by CXmlDocReader for every trouble that is not a parse error.
class CComError : public std::runtime_error
{
public:
    explicit CComError(std::uint32_t status);

    std::uint32_t Status() const { return m_dwStatus; }

private:
    std::uint32_t m_dwStatus;
};
