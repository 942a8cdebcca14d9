// quorvane.exe: the command line over the IP Helper API.
#include "app/CommandLine.h"
#include "platform/ProgramPath.h"
#include "platform/windows/WindowsNetworkServices.h"
#include "vendor/CVendorDatabase.h"

#include <windows.h>

#include <iostream>

int main(int argc, char** argv)
{
    // Vendor names are UTF-8, as on every other system.
    ::SetConsoleOutputCP(CP_UTF8);
    WindowsNetworkServices net;
    // No newer registry download to look for: the built-in data is used.
    CVendorDatabase vendors({}, "");
    const int status = qv::RunCommandLine(argc, argv, net, vendors, std::cout, std::cerr);
    if (status >= 0) {
        std::cout.flush();
        return std::cout.good() ? status : 1;
    }
    // The window is a program of its own, beside this one.
    const std::string window = qv::ProgramPath("quorvane-window.exe");
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    std::string command = "\"" + window + "\"";
    if (!::CreateProcessA(window.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                          &startup, &process)) {
        std::cerr << "quorvane: cannot start the window (" << window << "): error " << ::GetLastError()
                  << "\n";
        return 1;
    }
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    return 0;
}
