#include "platform/ProgramPath.h"

#include "platform/windows/WideText.h"

#include <windows.h>

#include <vector>

namespace qv {

std::string ProgramPath(const char* name)
{
    // Windows keeps a program's own files beside it.
    std::vector<wchar_t> self(MAX_PATH);
    DWORD length = 0;
    while ((length = ::GetModuleFileNameW(nullptr, self.data(), static_cast<DWORD>(self.size()))) ==
           self.size())
        self.resize(self.size() * 2);
    std::wstring folder(self.data(), length);
    folder = folder.substr(0, folder.find_last_of(L"\\/") + 1);
    return Narrow(folder) + name;
}

} // namespace qv
