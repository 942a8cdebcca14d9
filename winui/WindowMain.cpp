// quorvane-window.exe: the native window.
#include "platform/windows/WindowsNetworkServices.h"
#include "winui/CWinMonitorDlg.h"

#include <commctrl.h>

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int)
{
    INITCOMMONCONTROLSEX controls{};
    controls.dwSize = sizeof controls;
    controls.dwICC = ICC_LISTVIEW_CLASSES | ICC_INTERNET_CLASSES;
    ::InitCommonControlsEx(&controls);
    CWinMonitorDlg::Services services;
    services.net = std::make_shared<WindowsNetworkServices>();
    // No newer registry download to look for: the built-in data is used.
    services.vendors = std::make_shared<CVendorDatabase>(CVendorDatabase::FailureNotifier(), std::string());
    CWinMonitorDlg dialog(std::move(services));
    return dialog.Run(instance);
}
