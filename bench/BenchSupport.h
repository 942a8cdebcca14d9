#pragma once

#include <filesystem>
#include <fstream>
#include <string>

namespace qv::bench {

// The process's resident memory now, from /proc.
inline long ResidentKiB()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0)
            return std::stol(line.substr(6));
    return 0;
}

// A copy of Debian's registry CSVs with a .lastupdate later than any build.
class NewerIeeeData
{
public:
    NewerIeeeData() : m_strPath(std::filesystem::temp_directory_path() / "qv-bench-ieee-data")
    {
        std::filesystem::create_directories(m_strPath);
        for (const char* file : {"oui.csv", "mam.csv", "oui36.csv", "iab.csv"})
            std::filesystem::copy_file(std::string("/usr/share/ieee-data/") + file, m_strPath + "/" + file,
                                       std::filesystem::copy_options::overwrite_existing);
        std::ofstream(m_strPath + "/.lastupdate") << "4102444800\n";
    }
    ~NewerIeeeData() { std::filesystem::remove_all(m_strPath); }
    const std::string& Path() const { return m_strPath; }

private:
    std::string m_strPath;
};

} // namespace qv::bench
