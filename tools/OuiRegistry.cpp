#include "tools/OuiRegistry.h"

#include "vendor/OuiKey.h"

#include <algorithm>
#include <iterator>
#include <string_view>
#include <utility>

namespace qv::tools {

namespace {

// Decodes one UTF-8 sequence at text[i]; a broken sequence yields U+FFFD.
unsigned DecodeUtf8(const std::string& text, std::size_t& i)
{
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned lead = byte(i);
    const int extra = lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC0 ? 1 : -1;
    if (extra < 0 || i + static_cast<std::size_t>(extra) >= text.size()) {
        ++i;
        return 0xFFFD;
    }
    unsigned cp = lead & (0x3F >> extra);
    for (int k = 1; k <= extra; ++k) {
        const unsigned c = byte(i + k);
        if ((c & 0xC0) != 0x80) {
            ++i;
            return 0xFFFD;
        }
        cp = (cp << 6) | (c & 0x3F);
    }
    i += extra + 1;
    return cp;
}

} // namespace

std::string EscapeAttribute(const std::string& utf8)
{
    std::string out;
    for (std::size_t i = 0; i < utf8.size();) {
        const unsigned char c = static_cast<unsigned char>(utf8[i]);
        if (c >= 0x80) {
            out += "&#" + std::to_string(DecodeUtf8(utf8, i)) + ";";
            continue;
        }
        ++i;
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '\'':
            out += "&apos;";
            break;
        case '"':
            out += "&quot;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        default:
            if (c < 0x20)
                out += "&#" + std::to_string(c) + ";";
            else
                out.push_back(static_cast<char>(c));
        }
    }
    return out;
}

std::string WriteVendorDocument(std::vector<RegistryRow> rows, const std::string& created,
                                const std::string& comments)
{
    const auto rank = [](const RegistryRow& row) {
        const char* const order[] = {"MA-L", "MA-M", "MA-S", "IAB"};
        return std::find(std::begin(order), std::end(order), row.registry) - std::begin(order);
    };
    std::erase_if(rows, [](const RegistryRow& row) { return row.company == "Private"; });
    std::stable_sort(rows.begin(), rows.end(), [&](const RegistryRow& a, const RegistryRow& b) {
        return std::make_pair(rank(a), std::string_view(a.assignment)) <
               std::make_pair(rank(b), std::string_view(b.assignment));
    });
    std::string out = "<?xml version=\"1.0\"?>\r\n";
    out += "<Macaddresses version=\"1.0.5.0\" vendor=\"Quorvane\" url=\"https://quorvane.example/\" "
           "mail=\"support@quorvane.example\" created=\"" +
           EscapeAttribute(created) + "\" comments=\"" + EscapeAttribute(comments) + "\">\r\n";
    for (const RegistryRow& row : rows) {
        out += "<mac addr=\"" + MakeBlockKey(row.assignment) + "\"";
        if (row.registry != "MA-L")
            out += " registry=\"" + row.registry + "\"";
        out += " company=\"" + EscapeAttribute(row.company) + "\"";
        if (!row.address.empty())
            out += " street=\"" + EscapeAttribute(row.address) + "\"";
        out += "/>\r\n";
    }
    out += "</Macaddresses>\r\n";
    return out;
}

} // namespace qv::tools
