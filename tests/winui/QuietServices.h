#pragma once

#include "vendor/CVendorDatabase.h"
#include "winui/CWinMonitorDlg.h"

#include <chrono>
#include <memory>
#include <utility>

// A window over `net`, with the built-in vendor data, that neither
// refreshes on its own nor watches the system's table.
inline CWinMonitorDlg::Services QuietServices(std::shared_ptr<INetworkServices> net)
{
    CWinMonitorDlg::Services services;
    services.net = std::move(net);
    services.vendors = std::make_shared<CVendorDatabase>(CVendorDatabase::FailureNotifier(), std::string());
    services.period = std::chrono::hours(1);
    services.watch = false;
    return services;
}
