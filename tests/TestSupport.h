#pragma once

#include <functional>
#include <string>

namespace qv::test {

// Folder of the committed test data.
std::string DataDir();

// Whole file as bytes; empty when it cannot be read.
std::string ReadFile(const std::string& path);

// A fresh folder under the system's temporary folder, removed by its owner.
class TempDir
{
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& Path() const { return m_strPath; }

private:
    std::string m_strPath;
};

// Polls condition until it holds or 10 s have passed; true when it held.
bool WaitUntil(const std::function<bool()>& condition);

} // namespace qv::test
