#pragma once

#include "arp/IArpListSink.h"

#include <mutex>
#include <string>
#include <vector>

// A list in memory that records what a refresh pass does to it.
class RecordingSink : public IArpListSink
{
public:
    void DeleteAllItems() override
    {
        std::lock_guard<std::mutex> guard(m_lock);
        m_lines.clear();
        ++clears;
    }
    void InsertItem(int index, const std::string& ip) override
    {
        std::lock_guard<std::mutex> guard(m_lock);
        m_lines.insert(m_lines.begin() + index, std::vector<std::string>{ip, "", "", "", ""});
    }
    void SetItemText(int index, int column, const std::string& text) override
    {
        std::lock_guard<std::mutex> guard(m_lock);
        m_lines.at(static_cast<std::size_t>(index)).at(static_cast<std::size_t>(column)) = text;
    }
    std::vector<std::vector<std::string>> Lines()
    {
        std::lock_guard<std::mutex> guard(m_lock);
        return m_lines;
    }
    int clears = 0;

private:
    std::mutex m_lock;
    std::vector<std::vector<std::string>> m_lines;
};
