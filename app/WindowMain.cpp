#include "app/CMonitorApp.h"
#include "app/Privileges.h"

int main(int argc, char** argv)
{
    // Before Qt or any of its plugins exists.
    qv::DropGivenCapabilities();
    return CMonitorApp::Run(argc, argv);
}
