#include "app/CommandLine.h"
#include "app/Privileges.h"
#include "platform/linux/LinuxNetworkServices.h"
#include "platform/ProgramPath.h"
#include "vendor/CVendorDatabase.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <iostream>

#include <unistd.h>

int main(int argc, char** argv)
{
    qv::DropGivenCapabilities();
    {
        LinuxNetworkServices net;
        auto* vendors = new CVendorDatabase;
        const int status = qv::RunCommandLine(argc, argv, net, *vendors, std::cout, std::cerr);
        if (status >= 0) {
            // Tearing down the vendor document only costs time at the end of a command.
            std::cout.flush();
            std::_Exit(std::cout.good() ? status : 1);
        }
        delete vendors;
    }
    // The window is a program of its own: only it loads Qt.
    const std::string window = qv::ProgramPath("quorvane-window");
    ::execv(window.c_str(), argv);
    std::cerr << "quorvane: cannot start the window (" << window << "): " << std::strerror(errno) << "\n";
    return 1;
}
