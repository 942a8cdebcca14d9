#include "platform/AtomicFile.h"

#include "platform/windows/WideText.h"

#include <windows.h>

#include <string>

namespace qv {

namespace {

std::string SystemText(DWORD code)
{
    char* text = nullptr;
    const DWORD length = ::FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                              FORMAT_MESSAGE_IGNORE_INSERTS,
                                          nullptr, code, 0, reinterpret_cast<char*>(&text), 0, nullptr);
    std::string result = length > 0 ? std::string(text, length) : "error " + std::to_string(code);
    ::LocalFree(text);
    while (!result.empty() && (result.back() == '\n' || result.back() == '\r' || result.back() == '.'))
        result.pop_back();
    return result;
}

} // namespace

bool WriteFileAtomically(const std::string& path, std::string_view bytes, std::string& reason)
{
    // A temporary beside the file, flushed, then moved over it in one step.
    const std::wstring target = Wide(path);
    const std::wstring temporary = target + L".quorvane-" + std::to_wstring(::GetCurrentProcessId());
    HANDLE file = ::CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        reason = SystemText(::GetLastError());
        return false;
    }
    bool written = true;
    for (std::size_t at = 0; written && at < bytes.size();) {
        DWORD done = 0;
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - at, 1u << 20));
        written = ::WriteFile(file, bytes.data() + at, chunk, &done, nullptr) && done > 0;
        at += done;
    }
    written = written && ::FlushFileBuffers(file);
    const DWORD error = written ? 0 : ::GetLastError();
    ::CloseHandle(file);
    if (!written || !::MoveFileExW(temporary.c_str(), target.c_str(),
                                   MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        reason = SystemText(written ? ::GetLastError() : error);
        ::DeleteFileW(temporary.c_str());
        return false;
    }
    return true;
}

} // namespace qv
