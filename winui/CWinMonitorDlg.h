#pragma once

#include "arp/AddressOrder.h"
#include "arp/CArpRefresher.h"
#include "arp/CChangeTracker.h"
#include "arp/ColumnWidths.h"
#include "platform/INetworkServices.h"
#include "vendor/CVendorDatabase.h"

#include <windows.h>

#include <shellapi.h>

#include <array>
#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <vector>

// The main window on Windows' own controls: the neighbour list, the manual
// ARP query and the tray icon, over the same core as the Linux window.
class CWinMonitorDlg
{
public:
    struct Services
    {
        std::shared_ptr<INetworkServices> net;
        std::shared_ptr<CVendorDatabase> vendors;
        // The save dialog: a path, or empty when cancelled; filter is the
        // chosen type's 1-based index, in and out.
        std::function<std::wstring(HWND owner, const wchar_t* filters, int& filter)> chooseSavePath;
        // A popup menu at a point of the screen; the chosen command, or 0.
        std::function<UINT(HWND owner, HMENU menu, POINT at)> trackMenu;
        // A modal dialog from a template, as DialogBoxParamW runs one.
        std::function<INT_PTR(HINSTANCE, int id, HWND owner, DLGPROC, LPARAM)> runModal;
        // A web address opened in the user's browser.
        std::function<void(const char* address)> openLink;
        std::chrono::milliseconds period{15000};
        bool watch = true; // mark changed MAC addresses as the system's table shows them
    };

    explicit CWinMonitorDlg(Services services);
    ~CWinMonitorDlg();
    CWinMonitorDlg(const CWinMonitorDlg&) = delete;
    CWinMonitorDlg& operator=(const CWinMonitorDlg&) = delete;

    // The window, shown and running its worker; null when it cannot be made.
    HWND Create(HINSTANCE instance);
    // Create, then the message loop until the window is closed; the exit status.
    int Run(HINSTANCE instance);

    bool InTray() const { return m_inTray; }
    // In the notification area: in the tray, or a while for a notice.
    bool IconShown() const { return m_iconShown; }
    // Whether the line of ip is marked as changed, and as the gateway's.
    bool IsMarked(const std::wstring& ip, bool* gateway = nullptr) const;

    // The system's own save dialog.
    static std::wstring ChooseWithSystemDialog(HWND owner, const wchar_t* filters, int& filter);
    static UINT TrackAt(HWND owner, HMENU menu, POINT at);

    // Messages the worker and the query post to the window.
    static constexpr UINT WM_APP_ROWS = WM_APP + 1;
    static constexpr UINT WM_APP_NAME = WM_APP + 2;
    static constexpr UINT WM_APP_ARP = WM_APP + 3;
    static constexpr UINT WM_APP_EVENT = WM_APP + 4;
    static constexpr UINT WM_TRAY_NOTIFY = WM_USER + 1;

private:
    // One line of the last pass, as the list shows it.
    struct Line
    {
        std::array<std::wstring, 5> cells;
        std::wstring lower; // every cell, lower case, for the filter
        qv::AddressKey key;
    };

    static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR Handle(UINT message, WPARAM wParam, LPARAM lParam);
    void OnInitDialog();
    void OnSendArp();
    void OnArpAnswer(LPARAM answer);
    // at: where on the screen; the pointer when null.
    UINT PopUp(int menuId, const POINT* at = nullptr);
    // The popup of the line at row (-1: none).
    void OnListMenu(int row, const POINT* at = nullptr);
    void SaveList();
    void ToTray();
    void FromTray();
    void OnTrayMenu();
    void ShowAbout();
    void StartWatch();
    void OnNeighbourEvent(const CChangeTracker::Event& event);
    LRESULT OnListDraw(LPARAM lParam);
    static void Lower(Line& line);
    const std::array<std::wstring, 5>& LineAt(int row) const;
    void ShowRows();
    void Layout();
    void FitColumns();
    void OnColumnClick(int column);
    void CopyLine();
    void ClearMark();
    NOTIFYICONDATAW IconData() const;
    void ShowNotice(const std::string& title, const std::string& text);
    void RemoveIcon();
    void Close();

    HINSTANCE m_instance = nullptr;
    HWND m_hWnd = nullptr;
    HWND m_list = nullptr;
    HICON m_hIcon = nullptr;
    bool m_inTray = false;
    Services m_services;
    std::unique_ptr<CArpRefresher> m_refresher;
    std::thread m_query;
    std::thread m_watch;
    HANDLE m_stopWatch = nullptr;
    struct Mark
    {
        bool gateway = false;
        std::wstring tip; // what the address had before
    };
    std::map<std::wstring, Mark> m_marks; // by ip
    // The last pass's lines, whatever the filter shows, and those it shows in order.
    std::vector<Line> m_lines;
    std::vector<std::size_t> m_shown;
    std::wstring m_filter; // lower case
    int m_sortColumn = -1; // the table's own order until a heading is clicked
    bool m_sortAscending = true;
    std::wstring m_menuIp;    // the line the list's popup was opened on
    bool m_iconShown = false; // in the notification area, for the tray or a notice
    qv::ColumnWidths m_defaultWidths{};
    SIZE m_minimum{}; // the smallest frame that keeps every control and three rows
};
