#include "platform/PlainText.h"

#include <cstdint>
#include <cstdio>

namespace qv {

namespace {

// Unicode's format characters (category Cf) and the separators, as ranges.
constexpr std::uint32_t kHidden[][2] = {
    {0x00AD, 0x00AD},   {0x0600, 0x0605},   {0x061C, 0x061C},   {0x06DD, 0x06DD},   {0x070F, 0x070F},
    {0x0890, 0x0891},   {0x08E2, 0x08E2},   {0x180E, 0x180E},   {0x200B, 0x200F},   {0x2028, 0x202E},
    {0x2060, 0x2064},   {0x2066, 0x206F},   {0xFEFF, 0xFEFF},   {0xFFF9, 0xFFFB},   {0x110BD, 0x110BD},
    {0x110CD, 0x110CD}, {0x13430, 0x1343F}, {0x1BCA0, 0x1BCA3}, {0x1D173, 0x1D17A}, {0xE0001, 0xE0001},
    {0xE0020, 0xE007F},
};

bool IsShown(std::uint32_t c)
{
    if (c < 0x20 || (c >= 0x7F && c <= 0x9F))
        return false;
    for (const auto& range : kHidden)
        if (c >= range[0] && c <= range[1])
            return false;
    return true;
}

// Length of the well-formed UTF-8 sequence at text[at] and its code point;
// 0 when the bytes there are not one.
std::size_t Decode(std::string_view text, std::size_t at, std::uint32_t& c)
{
    const auto byte = [&](std::size_t i) { return static_cast<std::uint8_t>(text[at + i]); };
    const std::uint8_t first = byte(0);
    std::size_t length = 0;
    std::uint32_t min = 0;
    if (first < 0x80) {
        c = first;
        return 1;
    }
    if ((first & 0xE0) == 0xC0) {
        length = 2, min = 0x80, c = first & 0x1F;
    } else if ((first & 0xF0) == 0xE0) {
        length = 3, min = 0x800, c = first & 0x0F;
    } else if ((first & 0xF8) == 0xF0) {
        length = 4, min = 0x10000, c = first & 0x07;
    } else {
        return 0;
    }
    if (at + length > text.size())
        return 0;
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(i) & 0xC0) != 0x80)
            return 0;
        c = (c << 6) | (byte(i) & 0x3F);
    }
    // Overlong forms, surrogates and values past Unicode are not UTF-8.
    if (c < min || (c >= 0xD800 && c <= 0xDFFF) || c > 0x10FFFF)
        return 0;
    return length;
}

} // namespace

bool IsPlainText(std::string_view text)
{
    for (std::size_t at = 0; at < text.size();) {
        std::uint32_t c = 0;
        const std::size_t length = Decode(text, at, c);
        if (length == 0 || !IsShown(c))
            return false;
        at += length;
    }
    return true;
}

std::string QuoteForMessage(std::string_view text)
{
    std::string quoted;
    for (std::size_t at = 0; at < text.size();) {
        std::uint32_t c = 0;
        std::size_t length = Decode(text, at, c);
        if (length != 0 && IsShown(c)) {
            quoted.append(text.substr(at, length));
        } else {
            length = length == 0 ? 1 : length;
            for (std::size_t i = 0; i < length; ++i) {
                char hex[5];
                std::snprintf(hex, sizeof hex, "\\x%02X", static_cast<std::uint8_t>(text[at + i]));
                quoted += hex;
            }
        }
        at += length;
    }
    return quoted;
}

} // namespace qv
