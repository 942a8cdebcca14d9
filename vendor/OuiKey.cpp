#include "vendor/OuiKey.h"

#include <cctype>
#include <cstdio>

namespace qv {

std::string MakeOuiKey(const std::uint8_t* mac)
{
    char text[9];
    std::snprintf(text, sizeof text, "%02X-%02X-%02X", mac[0], mac[1], mac[2]);
    return text;
}

std::string MakeMacText(const std::uint8_t* mac)
{
    char text[18];
    std::snprintf(text, sizeof text, "%02X:%02X:%02X:%02X:%02X:%02X", mac[0], mac[1], mac[2], mac[3], mac[4],
                  mac[5]);
    return text;
}

std::optional<std::vector<std::uint8_t>> ParseMacText(std::string_view text)
{
    std::string digits;
    char separator = 0;
    std::size_t group = 0; // digits since the last separator
    std::size_t separators = 0;
    for (const char c : text) {
        if (std::isxdigit(static_cast<unsigned char>(c))) {
            digits.push_back(c);
            ++group;
            continue;
        }
        if (c != '-' && c != ':' && c != '.')
            return std::nullopt;
        // One separator kind, between whole groups: pairs, or fours for '.'.
        if ((separator && c != separator) || group != (c == '.' ? 4u : 2u))
            return std::nullopt;
        separator = c;
        group = 0;
        ++separators;
    }
    if (digits.size() != 6 && digits.size() != 12)
        return std::nullopt;
    if (separator && (group != (separator == '.' ? 4u : 2u) ||
                      separators + 1 != digits.size() / (separator == '.' ? 4 : 2)))
        return std::nullopt;
    std::vector<std::uint8_t> bytes;
    for (std::size_t i = 0; i < digits.size(); i += 2)
        bytes.push_back(static_cast<std::uint8_t>(std::stoi(digits.substr(i, 2), nullptr, 16)));
    return bytes;
}

std::optional<MacBlock> ParseBlockKey(std::string_view key)
{
    MacBlock block;
    for (std::size_t i = 0; i < key.size(); ++i) {
        const char c = key[i];
        if (i % 3 == 2) {
            if (c != '-' || i + 1 == key.size())
                return std::nullopt;
            continue;
        }
        int digit = 0;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        else
            return std::nullopt;
        block.prefix = (block.prefix << 4) | static_cast<std::uint64_t>(digit);
        block.bits += 4;
    }
    if (block.bits != 24 && block.bits != 28 && block.bits != 36)
        return std::nullopt;
    return block;
}

std::string MakeBlockKey(std::string_view hexDigits)
{
    std::string key;
    for (std::size_t i = 0; i < hexDigits.size(); ++i) {
        if (i > 0 && i % 2 == 0)
            key += '-';
        key += hexDigits[i];
    }
    return key;
}

std::uint64_t MacValue(const std::uint8_t* mac)
{
    std::uint64_t value = 0;
    for (int i = 0; i < 6; ++i)
        value = (value << 8) | mac[i];
    return value;
}

} // namespace qv
