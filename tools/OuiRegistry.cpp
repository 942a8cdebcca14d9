#include "tools/OuiRegistry.h"

#include <algorithm>
#include <cctype>

namespace qv::tools {

namespace {

std::string Trim(const std::string& text)
{
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && std::isspace(static_cast<unsigned char>(text[begin])))
        ++begin;
    while (end > begin && std::isspace(static_cast<unsigned char>(text[end - 1])))
        --end;
    return text.substr(begin, end - begin);
}

bool IsHexKey(const std::string& text)
{
    if (text.size() < 8)
        return false;
    for (std::size_t i = 0; i < 8; ++i) {
        const bool dash = (i == 2 || i == 5);
        if (dash ? text[i] != '-' : !std::isxdigit(static_cast<unsigned char>(text[i])))
            return false;
    }
    return true;
}

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

std::vector<OuiAssignment> ReadOuiRegistry(std::istream& in)
{
    std::vector<OuiAssignment> rows;
    std::string line;
    OuiAssignment* current = nullptr;
    bool inAddress = false;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        const std::size_t hex = line.find("(hex)");
        if (IsHexKey(line) && hex != std::string::npos) {
            OuiAssignment row;
            row.key = line.substr(0, 8);
            std::transform(row.key.begin(), row.key.end(), row.key.begin(),
                           [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
            row.company = Trim(line.substr(hex + 5));
            rows.push_back(std::move(row));
            current = &rows.back();
            inAddress = false;
            continue;
        }
        if (!current)
            continue;
        if (line.find("(base 16)") != std::string::npos) {
            inAddress = true;
            continue;
        }
        const std::string text = Trim(line);
        if (text.empty()) {
            current = nullptr;
            inAddress = false;
            continue;
        }
        if (inAddress)
            current->addressLines.push_back(text);
    }
    return rows;
}

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

std::string WriteVendorDocument(std::vector<OuiAssignment> rows, const std::string& created,
                                const std::string& comments)
{
    std::stable_sort(rows.begin(), rows.end(),
                     [](const OuiAssignment& a, const OuiAssignment& b) { return a.key < b.key; });
    std::string out = "<?xml version=\"1.0\"?>\r\n";
    out += "<Macaddresses version=\"1.0.5.0\" vendor=\"Quorvane\" url=\"https://quorvane.example/\" "
           "mail=\"support@quorvane.example\" created=\"" +
           EscapeAttribute(created) + "\" comments=\"" + EscapeAttribute(comments) + "\">\r\n";
    for (const OuiAssignment& row : rows) {
        out += "<mac addr=\"" + row.key + "\" company=\"" + EscapeAttribute(row.company) + "\"";
        if (!row.addressLines.empty()) {
            out += " street=\"" + EscapeAttribute(row.addressLines.front()) + "\"";
            if (row.addressLines.size() > 1) {
                std::string country;
                for (std::size_t i = 1; i < row.addressLines.size(); ++i)
                    country += (i > 1 ? " " : "") + row.addressLines[i];
                out += " country=\"" + EscapeAttribute(country) + "\"";
            }
        }
        out += "/>\r\n";
    }
    out += "</Macaddresses>\r\n";
    return out;
}

} // namespace qv::tools
