#pragma once

#include "arp/IArpListSink.h"

#include <mutex>
#include <string>
#include <vector>

// A list in memory that records what a refresh pass does to it.
class RecordingSink : public IArpListSink
{
public:
    void ReplaceRows(const std::vector<ArpRowText>& rows) override
    {
        std::lock_guard<std::mutex> guard(m_lock);
        m_lines.clear();
        for (const ArpRowText& r : rows)
            m_lines.push_back({r.strIp, r.strDnsName, r.strMac, r.strVendor, r.strType});
        ++replaces;
    }
    void SetDnsName(const std::string& ip, const std::string& name) override
    {
        std::lock_guard<std::mutex> guard(m_lock);
        for (auto& line : m_lines)
            if (line[0] == ip)
                line[1] = name;
        ++names;
    }
    std::vector<std::vector<std::string>> Lines()
    {
        std::lock_guard<std::mutex> guard(m_lock);
        return m_lines;
    }
    int replaces = 0;
    int names = 0;

private:
    std::mutex m_lock;
    std::vector<std::vector<std::string>> m_lines;
};
