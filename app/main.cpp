#include "app/CMonitorApp.h"
#include "app/CommandLine.h"
#include "app/Privileges.h"
#include "platform/LinuxNetworkServices.h"
#include "vendor/CVendorDatabase.h"

#include <iostream>

int main(int argc, char** argv)
{
    qv::DropGivenCapabilities();
    {
        LinuxNetworkServices net;
        CVendorDatabase vendors;
        const int status = qv::RunCommandLine(argc, argv, net, vendors, std::cout, std::cerr);
        if (status >= 0)
            return status;
    }
    return CMonitorApp::Run(argc, argv);
}
