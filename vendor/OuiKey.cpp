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

std::optional<std::string> NormaliseOuiKey(std::string_view text)
{
    std::string digits;
    char separator = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (std::isxdigit(static_cast<unsigned char>(c))) {
            digits.push_back(static_cast<char>(std::toupper(static_cast<unsigned char>(c))));
            continue;
        }
        if (c != '-' && c != ':')
            return std::nullopt;
        // One separator kind, only between whole pairs.
        if ((separator && c != separator) || digits.size() % 2 != 0 || digits.empty())
            return std::nullopt;
        if (i + 1 < text.size() && (text[i + 1] == '-' || text[i + 1] == ':'))
            return std::nullopt;
        separator = c;
    }
    if (digits.size() != 6 && digits.size() != 12)
        return std::nullopt;
    if (separator) {
        const std::size_t pairs = digits.size() / 2;
        std::size_t separators = 0;
        for (char c : text)
            separators += (c == separator);
        if (separators != pairs - 1)
            return std::nullopt;
    }
    return digits.substr(0, 2) + "-" + digits.substr(2, 2) + "-" + digits.substr(4, 2);
}

} // namespace qv
