#include "vendor/RegistryCsv.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>

namespace qv {

namespace {

// Splits text into records of fields by RFC 4180's rules.
class CsvCursor
{
public:
    explicit CsvCursor(std::string_view text) : m_text(text) {}

    bool AtEnd() const { return m_at >= m_text.size(); }

    // The next record; false on an unclosed quote or text after a closing one.
    bool Next(std::vector<std::string>& fields)
    {
        fields.assign(1, std::string());
        for (;;) {
            if (m_at >= m_text.size())
                return true;
            const char c = m_text[m_at];
            if (c == '"' && fields.back().empty() && !m_quotedDone) {
                if (!ReadQuoted(fields.back()))
                    return false;
                m_quotedDone = true;
                continue;
            }
            ++m_at;
            if (c == ',') {
                fields.emplace_back();
                m_quotedDone = false;
            } else if (c == '\n' || c == '\r') {
                if (c == '\r' && m_at < m_text.size() && m_text[m_at] == '\n')
                    ++m_at;
                m_quotedDone = false;
                return true;
            } else if (m_quotedDone) {
                return false;
            } else {
                fields.back() += c;
            }
        }
    }

private:
    bool ReadQuoted(std::string& field)
    {
        ++m_at;
        for (;;) {
            const std::size_t quote = m_text.find('"', m_at);
            if (quote == std::string_view::npos)
                return false;
            field.append(m_text.substr(m_at, quote - m_at));
            m_at = quote + 1;
            if (m_at < m_text.size() && m_text[m_at] == '"') {
                field += '"';
                ++m_at;
                continue;
            }
            return true;
        }
    }

    std::string_view m_text;
    std::size_t m_at = 0;
    bool m_quotedDone = false;
};

bool IsUpperHex(const std::string& text)
{
    for (char c : text)
        if (!((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F')))
            return false;
    return true;
}

std::string Trimmed(std::string text)
{
    const auto space = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!text.empty() && space(text.back()))
        text.pop_back();
    std::size_t begin = 0;
    while (begin < text.size() && space(text[begin]))
        ++begin;
    return text.substr(begin);
}

} // namespace

std::size_t AssignmentDigits(std::string_view registry)
{
    if (registry == "MA-L")
        return 6;
    if (registry == "MA-M")
        return 7;
    if (registry == "MA-S" || registry == "IAB")
        return 9;
    return 0;
}

bool ReadRegistryCsv(std::string_view text, std::vector<RegistryRow>& rows, std::string& error)
{
    if (text.substr(0, 3) == "\xEF\xBB\xBF")
        text.remove_prefix(3);
    CsvCursor cursor(text);
    std::vector<std::string> fields;
    if (!cursor.Next(fields) || fields.size() != 4 || fields[0] != "Registry" || fields[1] != "Assignment") {
        error = "not an IEEE registry CSV (no Registry,Assignment header)";
        return false;
    }
    rows.clear();
    for (std::size_t line = 2; !cursor.AtEnd(); ++line) {
        if (!cursor.Next(fields)) {
            error = "record " + std::to_string(line) + ": broken quoting";
            return false;
        }
        if (fields.size() == 1 && fields[0].empty())
            continue; // a blank line
        if (fields.size() != 4) {
            error =
                "record " + std::to_string(line) + ": " + std::to_string(fields.size()) + " fields, not 4";
            return false;
        }
        const std::size_t digits = AssignmentDigits(fields[0]);
        if (digits == 0 || fields[1].size() != digits || !IsUpperHex(fields[1])) {
            error = "record " + std::to_string(line) + ": not an assignment of a known registry";
            return false;
        }
        rows.push_back({std::move(fields[0]), std::move(fields[1]), Trimmed(std::move(fields[2])),
                        Trimmed(std::move(fields[3]))});
    }
    return true;
}

bool ReadRegistryFile(const std::string& path, std::string_view registry, std::vector<RegistryRow>& rows,
                      std::string& error)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = std::strerror(errno);
        return false;
    }
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) {
        error = "read error";
        return false;
    }
    if (!ReadRegistryCsv(text, rows, error))
        return false;
    for (const RegistryRow& row : rows)
        if (row.registry != registry) {
            error = "holds " + row.registry + " rows, not " + std::string(registry);
            return false;
        }
    if (rows.empty()) {
        error = "no assignments";
        return false;
    }
    return true;
}

long long ReadLastUpdate(const std::string& folder)
{
    std::ifstream in(folder + "/.lastupdate");
    long long seconds = -1;
    if (!(in >> seconds) || seconds < 0)
        return -1;
    return seconds;
}

} // namespace qv
