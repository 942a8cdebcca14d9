#include "arp/ArpFailureText.h"
#include "controls/LinkAddresses.h"
#include "platform/AddressText.h"
#include "platform/windows/WindowsNetworkServices.h"
#include "tests/platform/FakeNetworkServices.h"
#include "tests/winui/QuietServices.h"
#include "vendor/OuiKey.h"
#include "winui/CWinMonitorDlg.h"
#include "winui/resource.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

// Runs the window's messages until done() or five seconds have passed.
template <typename Done> bool PumpUntil(Done done)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (!done()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        MSG message;
        while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&message);
            ::DispatchMessageW(&message);
        }
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
    return true;
}

std::wstring ItemText(HWND window, int id)
{
    wchar_t text[256] = {};
    ::GetDlgItemTextW(window, id, text, 256);
    return text;
}

TEST(WinMonitorDlg, ListsTheTableTellsWhyAQueryFailedSavesAndGoesToTheTray)
{
    auto net = std::make_shared<FakeNetworkServices>();
    net->rows = {FakeNetworkServices::Row("10.213.1.50", {0x00, 0x00, 0x0C, 0x12, 0x34, 0x56}, 4),
                 FakeNetworkServices::Row("10.213.1.51", {0xAA, 0x00, 0x04, 0x00, 0x00, 0x51}, 3)};
    net->gatewayAddress = "10.213.1.2";
    wchar_t folder[MAX_PATH];
    ::GetTempPathW(MAX_PATH, folder);
    const std::wstring saved = std::wstring(folder) + L"quorvane-list";
    CWinMonitorDlg::Services services = QuietServices(net);
    services.chooseSavePath = [&](HWND, const wchar_t*, int&) { return saved; };
    UINT menuChoice = 0;
    int menuItems = 0;
    POINT menuAt{};
    services.trackMenu = [&](HWND, HMENU menu, POINT at) {
        menuAt = at;
        menuItems = ::GetMenuItemCount(menu);
        return menuChoice;
    };
    HWND about = nullptr;
    services.runModal = [&](HINSTANCE instance, int id, HWND owner, DLGPROC proc, LPARAM parameter) {
        about = ::CreateDialogParamW(instance, MAKEINTRESOURCEW(id), owner, proc, parameter);
        return INT_PTR(IDOK);
    };
    std::string opened;
    services.openLink = [&](const char* address) { opened = address; };
    CWinMonitorDlg dialog(services);
    const HWND window = dialog.Create(::GetModuleHandleW(nullptr));
    ASSERT_NE(window, nullptr);
    wchar_t title[64] = {};
    ::GetWindowTextW(window, title, 64);
    EXPECT_STREQ(title, L"Quorvane");

    const HWND list = ::GetDlgItem(window, IDC_ARP_LIST);
    ASSERT_TRUE(PumpUntil([&] { return ListView_GetItemCount(list) == 2; }));
    wchar_t vendor[64] = {};
    ListView_GetItemText(list, 0, 3, vendor, 64);
    EXPECT_STREQ(vendor, L"Cisco Systems, Inc");
    DWORD target = 0;
    ::SendDlgItemMessageW(window, IDC_TARGET_IP, IPM_GETADDRESS, 0, reinterpret_cast<LPARAM>(&target));
    EXPECT_EQ(target, 0x0AD50102u) << "the target starts at the gateway";

    // A heading sorts by its column; again, the other way.
    NMLISTVIEW click{};
    click.hdr = {list, IDC_ARP_LIST, LVN_COLUMNCLICK};
    click.iSubItem = 3;
    ::SendMessageW(window, WM_NOTIFY, IDC_ARP_LIST, reinterpret_cast<LPARAM>(&click));
    wchar_t first[64] = {};
    ListView_GetItemText(list, 0, 0, first, 64);
    EXPECT_STREQ(first, L"10.213.1.50") << "Cisco before DIGITAL";
    ::SendMessageW(window, WM_NOTIFY, IDC_ARP_LIST, reinterpret_cast<LPARAM>(&click));
    ListView_GetItemText(list, 0, 0, first, 64);
    EXPECT_STREQ(first, L"10.213.1.51");

    // Ctrl+C copies the selected line, tab-separated.
    ListView_SetItemState(list, 1, LVIS_SELECTED, LVIS_SELECTED);
    BYTE keys[256] = {};
    ::GetKeyboardState(keys);
    keys[VK_CONTROL] = 0x80;
    ::SetKeyboardState(keys);
    NMLVKEYDOWN key{};
    key.hdr = {list, IDC_ARP_LIST, LVN_KEYDOWN};
    key.wVKey = 'C';
    ::SendMessageW(window, WM_NOTIFY, IDC_ARP_LIST, reinterpret_cast<LPARAM>(&key));
    keys[VK_CONTROL] = 0;
    ::SetKeyboardState(keys);
    ASSERT_TRUE(::OpenClipboard(window));
    const HANDLE copied = ::GetClipboardData(CF_UNICODETEXT);
    EXPECT_STREQ(copied ? static_cast<const wchar_t*>(::GlobalLock(copied)) : L"",
                 L"10.213.1.50\t10.213.1.50\t00:00:0C:12:34:56\tCisco Systems, Inc\tStatic\r\n");
    ::CloseClipboard();

    // The filter shows the lines holding its text in any column, and how many.
    ::SetDlgItemTextW(window, IDC_FILTER, L"CISCO");
    EXPECT_EQ(ListView_GetItemCount(list), 1);
    EXPECT_EQ(ItemText(window, IDC_FILTER_COUNT), L"显示 1 / 2 行");
    ::SetDlgItemTextW(window, IDC_FILTER, L"");
    EXPECT_EQ(ListView_GetItemCount(list), 2);
    // The list takes the room the window gains.
    RECT before, frame;
    ::GetWindowRect(list, &before);
    ::GetWindowRect(window, &frame);
    ::SetWindowPos(window, nullptr, 0, 0, frame.right - frame.left + 100, frame.bottom - frame.top + 100,
                   SWP_NOMOVE | SWP_NOZORDER);
    RECT after;
    ::GetWindowRect(list, &after);
    EXPECT_EQ(after.right - after.left, before.right - before.left + 100);
    EXPECT_EQ(after.bottom - after.top, before.bottom - before.top + 100);
    // The columns fill the list's width: no horizontal scroll bar.
    RECT view;
    ::GetClientRect(list, &view);
    int columns = 0;
    for (int column = 0; column < 5; ++column)
        columns += ListView_GetColumnWidth(list, column);
    EXPECT_EQ(columns, view.right);

    // The gateway's MAC answering for another address: both lines marked.
    CChangeTracker::Event shared{};
    shared.kind = CChangeTracker::Kind::Shared;
    shared.addr = qv::InetAddr("10.213.1.50");
    shared.other = qv::InetAddr("10.213.1.51");
    ::SendMessageW(window, CWinMonitorDlg::WM_APP_EVENT, 0,
                   reinterpret_cast<LPARAM>(new CChangeTracker::Event(shared)));
    bool gateway = false;
    EXPECT_TRUE(dialog.IsMarked(L"10.213.1.50", &gateway));
    EXPECT_TRUE(gateway);
    EXPECT_TRUE(dialog.IsMarked(L"10.213.1.51", &gateway));
    EXPECT_FALSE(gateway);
    EXPECT_TRUE(::IsWindowVisible(::GetDlgItem(window, IDC_LEGEND)));
    EXPECT_TRUE(dialog.IconShown()) << "a notice of the gateway while the window is open";
    // A marked line's popup offers 清除标记.
    menuChoice = ID_LIST_CLEAR_MARK;
    NMITEMACTIVATE rclick{};
    rclick.hdr = {list, IDC_ARP_LIST, NM_RCLICK};
    rclick.iItem = 0; // 10.213.1.51, sorted last-first
    ::SendMessageW(window, WM_NOTIFY, IDC_ARP_LIST, reinterpret_cast<LPARAM>(&rclick));
    EXPECT_EQ(menuItems, 2);
    EXPECT_FALSE(dialog.IsMarked(L"10.213.1.51"));
    EXPECT_TRUE(dialog.IsMarked(L"10.213.1.50"));
    // Shift+F10 on the list: the selected line's popup, at that line.
    ::SendMessageW(list, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(list), MAKELPARAM(-1, -1));
    EXPECT_EQ(menuItems, 2);
    EXPECT_FALSE(dialog.IsMarked(L"10.213.1.50"));
    RECT listArea;
    ::GetWindowRect(list, &listArea);
    EXPECT_TRUE(::PtInRect(&listArea, menuAt)) << menuAt.x << "," << menuAt.y;

    // Nobody answers: the reason stands where the MAC address would.
    ::SendMessageW(window, WM_COMMAND, IDC_SEND_ARP, 0);
    ASSERT_TRUE(PumpUntil([&] { return !ItemText(window, IDC_RETURNED_MAC).empty(); }));
    EXPECT_EQ(ItemText(window, IDC_RETURNED_MAC), L"无应答");

    // A name without an extension gets .txt and the classic bytes, in the order shown.
    ::SendMessageW(window, WM_COMMAND, ID_LIST_SAVE, 0);
    std::ifstream file(std::filesystem::path(saved + L".txt"), std::ios::binary);
    std::stringstream bytes;
    bytes << file.rdbuf();
    EXPECT_EQ(bytes.str(),
              "10.213.1.51\t10.213.1.51\tAA:00:04:00:00:51\tDIGITAL EQUIPMENT CORPORATION\tDynamic\t\r"
              "10.213.1.50\t10.213.1.50\t00:00:0C:12:34:56\tCisco Systems, Inc\tStatic\t\r");
    file.close();
    ::DeleteFileW((saved + L".txt").c_str());

    // The About box's link: a hand over it, a click opens its address; the line under it is disabled;
    // the last line tells which vendor data is in use.
    ::SendMessageW(window, WM_SYSCOMMAND, IDM_ABOUTBOX, 0);
    ASSERT_NE(about, nullptr);
    const HWND link = ::GetDlgItem(about, IDC_ABOUT_NOTICE);
    EXPECT_TRUE(::SendMessageW(about, WM_SETCURSOR, reinterpret_cast<WPARAM>(link),
                               MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)));
    EXPECT_EQ(::GetCursor(), ::LoadCursorW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDC_HAND_CURSOR)));
    ::SendMessageW(about, WM_COMMAND, MAKEWPARAM(IDC_ABOUT_NOTICE, STN_CLICKED),
                   reinterpret_cast<LPARAM>(link));
    EXPECT_EQ(opened, qv::links::kLinkAddress);
    EXPECT_FALSE(::IsWindowEnabled(::GetDlgItem(about, IDC_ABOUT_EXTRA)));
    EXPECT_EQ(ItemText(about, IDC_ABOUT_VENDOR_DATA).rfind(L"厂商数据 ", 0), 0u)
        << "which vendor data is in use";
    ::DestroyWindow(about);

    ::SendMessageW(window, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    EXPECT_TRUE(dialog.InTray()) << "no tray icon was added";
    EXPECT_FALSE(::IsWindowVisible(window));
    ::SendMessageW(window, WM_COMMAND, IDCANCEL, 0);
    EXPECT_FALSE(::IsWindow(window));
}

// Through the system itself (Wine's SendARP is a stub): the window shows
// what the system answered, a MAC address or why there is none.
TEST(WinMonitorDlg, AQueryThroughTheSystemShowsItsAnswerOrWhyItFailed)
{
    auto net = std::make_shared<WindowsNetworkServices>();
    const CWinMonitorDlg::Services services = QuietServices(net);
    CWinMonitorDlg dialog(services);
    const HWND window = dialog.Create(::GetModuleHandleW(nullptr));
    ASSERT_NE(window, nullptr);
    DWORD target = 0, source = 0;
    ::SendDlgItemMessageW(window, IDC_TARGET_IP, IPM_GETADDRESS, 0, reinterpret_cast<LPARAM>(&target));
    ::SendDlgItemMessageW(window, IDC_SOURCE_IP, IPM_GETADDRESS, 0, reinterpret_cast<LPARAM>(&source));
    std::uint8_t mac[8] = {};
    std::uint32_t length = 6;
    const std::uint32_t result = net->SendARP(::htonl(target), ::htonl(source), mac, &length);
    const std::string expected = result == NO_ERROR_CODE ? qv::MakeMacText(mac) : qv::ArpFailureText(result);

    ::SendMessageW(window, WM_COMMAND, IDC_SEND_ARP, 0);
    ASSERT_TRUE(PumpUntil([&] { return !ItemText(window, IDC_RETURNED_MAC).empty(); }));
    wchar_t wide[64] = {};
    ::MultiByteToWideChar(CP_UTF8, 0, expected.c_str(), -1, wide, 64);
    EXPECT_EQ(ItemText(window, IDC_RETURNED_MAC), wide) << "SendARP gave " << result;
    ::SendMessageW(window, WM_COMMAND, IDCANCEL, 0);
}

} // namespace
