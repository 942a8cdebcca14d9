// quorvane.exe: the command line over the IP Helper API.
#include "app/CommandLine.h"
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
    std::cerr << "quorvane: this build has no window; see quorvane --help\n";
    return 1;
}
