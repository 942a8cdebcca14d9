#include "winui/CWinMonitorDlg.h"

#include "arp/AddressOrder.h"
#include "arp/ArpFailureText.h"
#include "arp/ArpRowFormatter.h"
#include "arp/ColumnWidths.h"
#include "arp/ListText.h"
#include "controls/LinkAddresses.h"
#include "platform/AddressText.h"
#include "platform/AtomicFile.h"
#include "platform/windows/CTablePoller.h"
#include "platform/windows/WideText.h"
#include "vendor/OuiKey.h"
#include "winui/resource.h"

#include <commctrl.h>
#include <commdlg.h>
#include <shellapi.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

namespace {

using qv::Narrow;
using qv::Wide;

// The list's lines go to the window's own thread as posted messages.
class CPostingSink : public IArpListSink
{
public:
    explicit CPostingSink(HWND window) : m_hWnd(window) {}
    void ReplaceRows(const std::vector<ArpRowText>& rows) override
    {
        auto* copy = new std::vector<ArpRowText>(rows);
        if (!::PostMessageW(m_hWnd, CWinMonitorDlg::WM_APP_ROWS, 0, reinterpret_cast<LPARAM>(copy)))
            delete copy;
    }
    void SetDnsName(const std::string& ipText, const std::string& name) override
    {
        auto* copy = new std::array<std::string, 2>{ipText, name};
        if (!::PostMessageW(m_hWnd, CWinMonitorDlg::WM_APP_NAME, 0, reinterpret_cast<LPARAM>(copy)))
            delete copy;
    }

private:
    HWND m_hWnd;
};

// The list view as the export reads it.
class CListViewTable : public ITextTable
{
public:
    explicit CListViewTable(HWND list) : m_list(list) {}
    int RowCount() const override { return ListView_GetItemCount(m_list); }
    int ColumnCount() const override { return Header_GetItemCount(ListView_GetHeader(m_list)); }
    std::string CellText(int row, int column) const override
    {
        wchar_t text[1024] = {};
        ListView_GetItemText(m_list, row, column, text, 1024);
        return Narrow(text);
    }
    std::string HeadingText(int column) const override
    {
        wchar_t text[256] = {};
        LVCOLUMNW heading{};
        heading.mask = LVCF_TEXT;
        heading.pszText = text;
        heading.cchTextMax = 256;
        ListView_GetColumn(m_list, column, &heading);
        return Narrow(text);
    }

private:
    HWND m_list;
};

constexpr UINT kIconId = 666;
constexpr UINT_PTR kNoticeTimer = 1;
constexpr UINT kNoticeMs = 15000;

struct ArpAnswer
{
    std::uint32_t result = 0;
    std::uint8_t mac[8] = {};
};

void SetText(HWND window, int id, const std::string& text)
{
    ::SetDlgItemTextW(window, id, Wide(text).c_str());
}

// An address field's four numbers, network order.
std::uint32_t FieldAddress(HWND window, int id)
{
    DWORD address = 0;
    ::SendDlgItemMessageW(window, id, IPM_GETADDRESS, 0, reinterpret_cast<LPARAM>(&address));
    return ::htonl(address);
}

void SetFieldAddress(HWND window, int id, const std::string& dotted)
{
    ::SendDlgItemMessageW(window, id, IPM_SETADDRESS, 0, static_cast<LPARAM>(::ntohl(qv::InetAddr(dotted))));
}

// Over the owner, as the Linux window's dialogs stand; on the screen's work
// area when the owner is hidden in the tray.
void CenterOverOwner(HWND window)
{
    RECT area{};
    const HWND owner = ::GetWindow(window, GW_OWNER);
    if (owner != nullptr && ::IsWindowVisible(owner) && !::IsIconic(owner))
        ::GetWindowRect(owner, &area);
    else
        ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
    RECT box{};
    ::GetWindowRect(window, &box);
    const int width = box.right - box.left;
    const int height = box.bottom - box.top;
    ::SetWindowPos(window, nullptr, std::max<int>(area.left, (area.left + area.right - width) / 2),
                   std::max<int>(area.top, (area.top + area.bottom - height) / 2), 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

struct AboutContent
{
    const std::function<void(const char*)>* openLink;
    std::string vendorData;
};

// The About box: the copyright line is a link (blue, underlined, a hand
// over it); the disabled line under it is drawn as the system draws it.
INT_PTR CALLBACK AboutProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    const HWND link = ::GetDlgItem(window, IDC_ABOUT_NOTICE);
    switch (message) {
    case WM_INITDIALOG: {
        const auto* content = reinterpret_cast<const AboutContent*>(lParam);
        ::SetWindowLongPtrW(window, DWLP_USER, reinterpret_cast<LONG_PTR>(content->openLink));
        SetText(window, IDC_ABOUT_VERSION, "Quorvane 版本 " QV_VERSION);
        SetText(window, IDC_ABOUT_VENDOR_DATA, content->vendorData);
        CenterOverOwner(window);
        LOGFONTW font{};
        ::GetObjectW(reinterpret_cast<HFONT>(::SendMessageW(link, WM_GETFONT, 0, 0)), sizeof font, &font);
        font.lfUnderline = TRUE;
        ::SendMessageW(link, WM_SETFONT, reinterpret_cast<WPARAM>(::CreateFontIndirectW(&font)), FALSE);
        return TRUE;
    }
    case WM_CTLCOLORSTATIC:
        if (reinterpret_cast<HWND>(lParam) != link)
            return FALSE;
        ::SetTextColor(reinterpret_cast<HDC>(wParam), RGB(0, 0, 0xFF));
        ::SetBkMode(reinterpret_cast<HDC>(wParam), TRANSPARENT);
        return reinterpret_cast<INT_PTR>(::GetStockObject(NULL_BRUSH));
    case WM_SETCURSOR:
        if (reinterpret_cast<HWND>(wParam) != link)
            return FALSE;
        ::SetCursor(::LoadCursorW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDC_HAND_CURSOR)));
        ::SetWindowLongPtrW(window, DWLP_MSGRESULT, TRUE);
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
            ::EndDialog(window, LOWORD(wParam));
            return TRUE;
        }
        if (LOWORD(wParam) == IDC_ABOUT_NOTICE && HIWORD(wParam) == STN_CLICKED) {
            const auto* open = reinterpret_cast<const std::function<void(const char*)>*>(
                ::GetWindowLongPtrW(window, DWLP_USER));
            (*open)(qv::links::kLinkAddress);
            return TRUE;
        }
        return FALSE;
    case WM_DESTROY:
        ::DeleteObject(reinterpret_cast<HFONT>(::SendMessageW(link, WM_GETFONT, 0, 0)));
        return FALSE;
    default:
        return FALSE;
    }
}

} // namespace

CWinMonitorDlg::CWinMonitorDlg(Services services) : m_services(std::move(services))
{
    if (!m_services.chooseSavePath)
        m_services.chooseSavePath = &ChooseWithSystemDialog;
    if (!m_services.trackMenu)
        m_services.trackMenu = &TrackAt;
    if (!m_services.runModal)
        m_services.runModal = [](HINSTANCE instance, int id, HWND owner, DLGPROC proc, LPARAM parameter) {
            return ::DialogBoxParamW(instance, MAKEINTRESOURCEW(id), owner, proc, parameter);
        };
    if (!m_services.openLink)
        m_services.openLink = [](const char* address) {
            ::ShellExecuteA(nullptr, "open", address, nullptr, nullptr, SW_SHOWNORMAL);
        };
}

CWinMonitorDlg::~CWinMonitorDlg()
{
    if (m_stopWatch != nullptr)
        ::SetEvent(m_stopWatch);
    if (m_watch.joinable())
        m_watch.join();
    if (m_stopWatch != nullptr)
        ::CloseHandle(m_stopWatch);
    if (m_query.joinable())
        m_query.join();
}

bool CWinMonitorDlg::IsMarked(const std::wstring& ip, bool* gateway) const
{
    const auto it = m_marks.find(ip);
    if (it == m_marks.end())
        return false;
    if (gateway)
        *gateway = it->second.gateway;
    return true;
}

void CWinMonitorDlg::StartWatch()
{
    m_stopWatch = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (m_stopWatch == nullptr)
        return;
    m_watch = std::thread([net = m_services.net, window = m_hWnd, stop = m_stopWatch] {
        CChangeTracker tracker;
        CTablePoller poller(tracker);
        std::vector<CChangeTracker::Event> events;
        do {
            events.clear();
            if (!poller.Poll(*net, events))
                continue;
            for (const CChangeTracker::Event& event : events) {
                if (event.kind == CChangeTracker::Kind::New)
                    continue;
                auto* copy = new CChangeTracker::Event(event);
                if (!::PostMessageW(window, WM_APP_EVENT, 0, reinterpret_cast<LPARAM>(copy)))
                    delete copy;
            }
        } while (::WaitForSingleObject(stop, 1000) == WAIT_TIMEOUT);
    });
}

void CWinMonitorDlg::OnNeighbourEvent(const CChangeTracker::Event& event)
{
    using Kind = CChangeTracker::Kind;
    const auto described = [this](const CChangeTracker::Mac& mac) {
        return qv::MakeMacText(mac.data()) + "（" + qv::VendorText(mac.data(), *m_services.vendors) + "）";
    };
    const auto mark = [this](const std::string& ip, bool gateway, const std::string& tip) {
        Mark& line = m_marks[Wide(ip)];
        line.gateway = line.gateway || gateway;
        line.tip = Wide(tip);
    };
    const std::time_t since = CChangeTracker::Clock::to_time_t(event.when);
    char when[32] = {};
    std::strftime(when, sizeof when, "%Y-%m-%d %H:%M:%S", std::localtime(&since));
    const std::string ip = event.addr.Text();
    std::string title, text;
    if (event.kind == Kind::Shared) {
        const std::string other = event.other.Text();
        mark(ip, true,
             std::string(when) + " 起，" + other + " 也使用网关的 MAC 地址 " + described(event.mac));
        // Usually the attacker: it answers with the gateway's address.
        mark(other, false, std::string(when) + " 起使用网关 " + ip + " 的 MAC 地址 " + described(event.mac));
        title = "网关的 MAC 地址被其他地址共用";
        text = "网关 " + ip + " 原 MAC 地址 " + described(event.oldMac) + "，现为 " + described(event.mac) +
               "，" + other + " 也使用此地址。";
    } else if (event.kind != Kind::New) {
        const bool gateway = event.kind == Kind::GatewayChanged;
        mark(ip, gateway, "上一个 MAC 地址：" + described(event.oldMac) + "，更改于 " + when);
        if (gateway) {
            title = "网关的 MAC 地址已改变";
            text = "网关 " + ip + " 的 MAC 地址由 " + described(event.oldMac) + " 变为 " +
                   described(event.mac) + "。";
        }
    }
    ::ShowWindow(::GetDlgItem(m_hWnd, IDC_LEGEND), m_marks.empty() ? SW_HIDE : SW_SHOW);
    ::InvalidateRect(m_list, nullptr, FALSE);
    if (!title.empty())
        ShowNotice(title, text);
}

NOTIFYICONDATAW CWinMonitorDlg::IconData() const
{
    NOTIFYICONDATAW icon{};
    icon.cbSize = sizeof icon;
    icon.hWnd = m_hWnd;
    icon.uID = kIconId;
    icon.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    icon.uCallbackMessage = WM_TRAY_NOTIFY;
    icon.hIcon = m_hIcon;
    ::lstrcpynW(icon.szTip, L"Quorvane", 64);
    return icon;
}

void CWinMonitorDlg::ShowNotice(const std::string& title, const std::string& text)
{
    NOTIFYICONDATAW icon = IconData();
    icon.uFlags |= NIF_INFO;
    icon.dwInfoFlags = NIIF_WARNING;
    ::lstrcpynW(icon.szInfoTitle, Wide(title).c_str(), 64);
    ::lstrcpynW(icon.szInfo, Wide(text).c_str(), 256);
    if (m_iconShown) {
        ::Shell_NotifyIconW(NIM_MODIFY, &icon);
        return;
    }
    // A notice needs an icon to come from: shown for it alone, a while.
    m_iconShown = ::Shell_NotifyIconW(NIM_ADD, &icon) != FALSE;
    if (m_iconShown)
        ::SetTimer(m_hWnd, kNoticeTimer, kNoticeMs, nullptr);
}

void CWinMonitorDlg::RemoveIcon()
{
    ::KillTimer(m_hWnd, kNoticeTimer);
    if (!m_iconShown)
        return;
    NOTIFYICONDATAW icon = IconData();
    ::Shell_NotifyIconW(NIM_DELETE, &icon);
    m_iconShown = false;
}

LRESULT CWinMonitorDlg::OnListDraw(LPARAM lParam)
{
    auto* draw = reinterpret_cast<NMLVCUSTOMDRAW*>(lParam);
    if (draw->nmcd.dwDrawStage == CDDS_PREPAINT)
        return CDRF_NOTIFYITEMDRAW;
    if (draw->nmcd.dwDrawStage != CDDS_ITEMPREPAINT || m_marks.empty())
        return CDRF_DODEFAULT;
    bool gateway = false;
    if (!IsMarked(LineAt(static_cast<int>(draw->nmcd.dwItemSpec))[0], &gateway))
        return CDRF_DODEFAULT;
    // Red for the gateway, amber for any other changed address.
    draw->clrTextBk = gateway ? RGB(0xFF, 0x8C, 0x8C) : RGB(0xFF, 0xD6, 0x66);
    return CDRF_NEWFONT;
}

HWND CWinMonitorDlg::Create(HINSTANCE instance)
{
    m_instance = instance;
    m_hIcon = ::LoadIconW(instance, MAKEINTRESOURCEW(IDR_MAINFRAME));
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES | ICC_INTERNET_CLASSES};
    ::InitCommonControlsEx(&controls);
    return ::CreateDialogParamW(instance, MAKEINTRESOURCEW(IDD_MAIN), nullptr, DialogProc,
                                reinterpret_cast<LPARAM>(this));
}

int CWinMonitorDlg::Run(HINSTANCE instance)
{
    if (Create(instance) == nullptr)
        return 1;
    MSG message;
    while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
        // Ctrl+F goes to the filter, wherever the focus is.
        if (m_hWnd != nullptr && message.message == WM_KEYDOWN && message.wParam == 'F' &&
            ::GetKeyState(VK_CONTROL) < 0) {
            ::SetFocus(::GetDlgItem(m_hWnd, IDC_FILTER));
            ::SendDlgItemMessageW(m_hWnd, IDC_FILTER, EM_SETSEL, 0, -1);
            continue;
        }
        if (m_hWnd != nullptr && ::IsDialogMessageW(m_hWnd, &message))
            continue;
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
    return 0;
}

std::wstring CWinMonitorDlg::ChooseWithSystemDialog(HWND owner, const wchar_t* filters, int& filter)
{
    wchar_t path[MAX_PATH] = {};
    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = filters;
    dialog.nFilterIndex = static_cast<DWORD>(filter);
    dialog.lpstrFile = path;
    dialog.nMaxFile = MAX_PATH;
    dialog.Flags = OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY | OFN_NOCHANGEDIR | OFN_PATHMUSTEXIST;
    if (!::GetSaveFileNameW(&dialog))
        return std::wstring();
    filter = static_cast<int>(dialog.nFilterIndex);
    return path;
}

UINT CWinMonitorDlg::TrackAt(HWND owner, HMENU menu, POINT at)
{
    // The tray's menu closes when clicked elsewhere only if its owner is in front.
    ::SetForegroundWindow(owner);
    const UINT chosen = ::TrackPopupMenu(menu, TPM_LEFTALIGN | TPM_RIGHTBUTTON | TPM_RETURNCMD, at.x, at.y, 0,
                                         owner, nullptr);
    ::PostMessageW(owner, WM_NULL, 0, 0);
    return chosen;
}

INT_PTR CALLBACK CWinMonitorDlg::DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITDIALOG) {
        ::SetWindowLongPtrW(window, DWLP_USER, lParam);
        reinterpret_cast<CWinMonitorDlg*>(lParam)->m_hWnd = window;
    }
    auto* self = reinterpret_cast<CWinMonitorDlg*>(::GetWindowLongPtrW(window, DWLP_USER));
    return self ? self->Handle(message, wParam, lParam) : FALSE;
}

INT_PTR CWinMonitorDlg::Handle(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        OnInitDialog();
        return TRUE;
    case WM_APP_ROWS: {
        std::unique_ptr<std::vector<ArpRowText>> rows(reinterpret_cast<std::vector<ArpRowText>*>(lParam));
        m_lines.clear();
        m_lines.reserve(rows->size());
        for (const ArpRowText& row : *rows) {
            Line line;
            line.cells = {Wide(row.strIp), Wide(row.strDnsName), Wide(row.strMac), Wide(row.strVendor),
                          Wide(row.strType)};
            line.key = qv::AddressSortKey(row.strIp);
            Lower(line);
            m_lines.push_back(std::move(line));
        }
        ShowRows();
        return TRUE;
    }
    case WM_APP_NAME: {
        std::unique_ptr<std::array<std::string, 2>> name(
            reinterpret_cast<std::array<std::string, 2>*>(lParam));
        const std::wstring ip = Wide((*name)[0]);
        for (Line& line : m_lines)
            if (line.cells[0] == ip) {
                line.cells[1] = Wide((*name)[1]);
                Lower(line);
            }
        // Only a filter or an order by name can move lines for a name.
        if (!m_filter.empty() || m_sortColumn == 1)
            ShowRows();
        else
            ::InvalidateRect(m_list, nullptr, FALSE);
        return TRUE;
    }
    case WM_SIZE:
        Layout();
        return FALSE;
    case WM_GETMINMAXINFO: {
        auto* limits = reinterpret_cast<MINMAXINFO*>(lParam);
        if (m_minimum.cx > 0) {
            limits->ptMinTrackSize.x = m_minimum.cx;
            limits->ptMinTrackSize.y = m_minimum.cy;
        }
        return TRUE;
    }
    case WM_APP_ARP:
        OnArpAnswer(lParam);
        return TRUE;
    case WM_APP_EVENT: {
        std::unique_ptr<CChangeTracker::Event> event(reinterpret_cast<CChangeTracker::Event*>(lParam));
        OnNeighbourEvent(*event);
        return TRUE;
    }
    case WM_NOTIFY: {
        const auto* header = reinterpret_cast<const NMHDR*>(lParam);
        if (header->idFrom != IDC_ARP_LIST)
            return FALSE;
        switch (header->code) {
        case NM_RCLICK: {
            // The line under the pointer, else the selected one.
            int row = reinterpret_cast<const NMITEMACTIVATE*>(lParam)->iItem;
            if (row < 0)
                row = ListView_GetNextItem(m_list, -1, LVNI_SELECTED);
            OnListMenu(row);
            return TRUE;
        }
        case NM_CUSTOMDRAW:
            ::SetWindowLongPtrW(m_hWnd, DWLP_MSGRESULT, OnListDraw(lParam));
            return TRUE;
        case LVN_COLUMNCLICK:
            OnColumnClick(reinterpret_cast<const NMLISTVIEW*>(lParam)->iSubItem);
            return TRUE;
        case LVN_KEYDOWN:
            if (reinterpret_cast<const NMLVKEYDOWN*>(lParam)->wVKey == 'C' && ::GetKeyState(VK_CONTROL) < 0)
                CopyLine();
            return TRUE;
        case LVN_GETINFOTIPW: {
            // A changed address's line tells what it was before.
            auto* tip = reinterpret_cast<NMLVGETINFOTIPW*>(lParam);
            if (const auto it = m_marks.find(LineAt(tip->iItem)[0]); it != m_marks.end())
                ::lstrcpynW(tip->pszText, it->second.tip.c_str(), tip->cchTextMax);
            return TRUE;
        }
        case LVN_GETDISPINFOW: {
            // The list holds no text of its own: it asks for what it draws.
            auto* info = reinterpret_cast<NMLVDISPINFOW*>(lParam);
            if ((info->item.mask & LVIF_TEXT) != 0 && info->item.iSubItem >= 0 && info->item.iSubItem < 5)
                ::lstrcpynW(info->item.pszText, LineAt(info->item.iItem)[info->item.iSubItem].c_str(),
                            info->item.cchTextMax);
            return TRUE;
        }
        default:
            return FALSE;
        }
    }
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDC_SEND_ARP:
            OnSendArp();
            return TRUE;
        case IDOK: {
            // Enter in an address field sends; a monitor must not end on it.
            const HWND focus = ::GetFocus();
            if (::IsChild(::GetDlgItem(m_hWnd, IDC_TARGET_IP), focus) ||
                ::IsChild(::GetDlgItem(m_hWnd, IDC_SOURCE_IP), focus)) {
                OnSendArp();
                return TRUE;
            }
            Close();
            return TRUE;
        }
        case IDCANCEL:
            // Esc in a filter that holds text clears it; elsewhere it closes.
            if (::GetFocus() == ::GetDlgItem(m_hWnd, IDC_FILTER) && !m_filter.empty()) {
                ::SetDlgItemTextW(m_hWnd, IDC_FILTER, L"");
                return TRUE;
            }
            Close();
            return TRUE;
        case IDC_FILTER:
            if (HIWORD(wParam) == EN_CHANGE) {
                wchar_t text[256] = {};
                ::GetDlgItemTextW(m_hWnd, IDC_FILTER, text, 256);
                ::CharLowerW(text);
                m_filter = text;
                ShowRows();
            }
            return TRUE;
        case ID_LIST_SAVE:
            SaveList();
            return TRUE;
        case ID_LIST_CLEAR_MARK:
            m_marks.erase(m_menuIp);
            ::ShowWindow(::GetDlgItem(m_hWnd, IDC_LEGEND), m_marks.empty() ? SW_HIDE : SW_SHOW);
            ::InvalidateRect(m_list, nullptr, FALSE);
            return TRUE;
        default:
            return FALSE;
        }
    case WM_SYSCOMMAND:
        if ((wParam & 0xFFF0) == SC_MINIMIZE) {
            ToTray();
            return TRUE;
        }
        if ((wParam & 0xFFF0) == IDM_ABOUTBOX) {
            ShowAbout();
            return TRUE;
        }
        return FALSE;
    case WM_DESTROY:
        m_hWnd = nullptr;
        ::PostQuitMessage(0);
        return TRUE;
    case WM_CONTEXTMENU:
        // From the keyboard (Shift+F10, the menu key): the selected line's popup, under it.
        if (reinterpret_cast<HWND>(wParam) == m_list && static_cast<short>(LOWORD(lParam)) == -1 &&
            static_cast<short>(HIWORD(lParam)) == -1) {
            const int row = ListView_GetNextItem(m_list, -1, LVNI_SELECTED);
            POINT at{};
            if (row >= 0) {
                RECT line{};
                ListView_GetItemRect(m_list, row, &line, LVIR_LABEL);
                at = {line.left, line.bottom};
            }
            ::ClientToScreen(m_list, &at);
            OnListMenu(row, &at);
            return TRUE;
        }
        return FALSE;
    case WM_HELP:
        ShowAbout();
        return TRUE;
    case WM_TIMER:
        // A notice's icon goes when it has been read, unless the window went to the tray.
        if (wParam == kNoticeTimer && !m_inTray)
            RemoveIcon();
        return TRUE;
    case WM_TRAY_NOTIFY:
        // A click on the icon or on its notice brings the window back.
        if (lParam == WM_LBUTTONUP || lParam == NIN_BALLOONUSERCLICK)
            FromTray();
        else if (lParam == WM_RBUTTONUP)
            OnTrayMenu();
        return TRUE;
    default:
        return FALSE;
    }
}

void CWinMonitorDlg::OnInitDialog()
{
    if (HMENU system = ::GetSystemMenu(m_hWnd, FALSE)) {
        wchar_t about[64] = {};
        if (::LoadStringW(m_instance, IDS_ABOUTBOX, about, 64) > 0) {
            ::AppendMenuW(system, MF_SEPARATOR, 0, nullptr);
            ::AppendMenuW(system, MF_STRING, IDM_ABOUTBOX, about);
        }
    }
    ::SendMessageW(m_hWnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon));
    ::SendMessageW(m_hWnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hIcon));

    // The banner fills its place in the template whatever the dialog font's size.
    RECT banner = {7, 7, 7 + 408, 7 + 54};
    ::MapDialogRect(m_hWnd, &banner);
    const int width = banner.right - banner.left;
    const int height = banner.bottom - banner.top;
    if (HANDLE picture =
            ::LoadImageW(m_instance, MAKEINTRESOURCEW(IDB_BANNER), IMAGE_BITMAP, width, height, 0)) {
        const HWND control = ::GetDlgItem(m_hWnd, IDC_BANNER);
        ::SendMessageW(control, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(picture));
        ::SetWindowPos(control, nullptr, banner.left, banner.top, width, height,
                       SWP_NOZORDER | SWP_NOACTIVATE);
    }

    m_list = ::GetDlgItem(m_hWnd, IDC_ARP_LIST);
    // Tips: a changed line's old MAC; a cut-off text whole, as the list unfolds it.
    ListView_SetExtendedListViewStyle(m_list, 0x123 | LVS_EX_INFOTIP | LVS_EX_LABELTIP);
    ::SendDlgItemMessageW(m_hWnd, IDC_FILTER, EM_SETCUEBANNER, TRUE,
                          reinterpret_cast<LPARAM>(L"筛选 (Ctrl+F)"));
    const struct
    {
        const wchar_t* heading;
        int width;
    } columns[] = {
        {L"IP address", 110}, {L"DNS Name", 150}, {L"MAC Address", 110}, {L"Producer", 180}, {L"Type", 60}};
    for (int i = 0; i < 5; ++i) {
        LVCOLUMNW column{};
        column.mask = LVCF_FMT | LVCF_TEXT | LVCF_WIDTH;
        column.fmt = LVCFMT_LEFT;
        column.cx = m_defaultWidths[i] = columns[i].width;
        column.pszText = const_cast<wchar_t*>(columns[i].heading);
        ListView_InsertColumn(m_list, i, &column);
    }

    // The list takes the room the window gains; it may shrink to three rows.
    RECT frame;
    ::GetWindowRect(m_hWnd, &frame);
    RECT list;
    ::GetWindowRect(m_list, &list);
    const int rows = 3 * 18 + 24; // three rows and the heading
    m_minimum = {frame.right - frame.left, frame.bottom - frame.top - (list.bottom - list.top) + rows};
    Layout();

    SetFieldAddress(m_hWnd, IDC_SOURCE_IP, m_services.net->GetLocalAddress());
    const std::string gateway = m_services.net->GetGatewayAddress();
    SetFieldAddress(m_hWnd, IDC_TARGET_IP, gateway.empty() ? "192.168.0.1" : gateway);

    m_services.vendors->LoadVendorDatabase();
    CArpRefresher::Services services;
    services.net = m_services.net;
    services.vendors = m_services.vendors;
    services.sink = std::make_shared<CPostingSink>(m_hWnd);
    m_refresher = std::make_unique<CArpRefresher>(std::move(services), m_services.period);
    m_refresher->Start();
    if (m_services.watch)
        StartWatch();
}

void CWinMonitorDlg::Lower(Line& line)
{
    line.lower.clear();
    for (const std::wstring& cell : line.cells)
        line.lower += cell + L'\n'; // no match runs across two cells
    ::CharLowerBuffW(line.lower.data(), static_cast<DWORD>(line.lower.size()));
}

const std::array<std::wstring, 5>& CWinMonitorDlg::LineAt(int row) const
{
    static const std::array<std::wstring, 5> none;
    return row >= 0 && static_cast<std::size_t>(row) < m_shown.size() ? m_lines[m_shown[row]].cells : none;
}

void CWinMonitorDlg::ShowRows()
{
    // The selected line stays selected when the lines move.
    const int selectedRow = ListView_GetNextItem(m_list, -1, LVNI_SELECTED);
    const std::wstring selected = selectedRow >= 0 ? LineAt(selectedRow)[0] : std::wstring();

    m_shown.clear();
    for (std::size_t i = 0; i < m_lines.size(); ++i)
        if (m_filter.empty() || m_lines[i].lower.find(m_filter) != std::wstring::npos)
            m_shown.push_back(i);
    if (m_sortColumn >= 0) {
        const int column = m_sortColumn;
        std::stable_sort(m_shown.begin(), m_shown.end(), [&](std::size_t a, std::size_t b) {
            if (!m_sortAscending)
                std::swap(a, b);
            return column == 0 ? m_lines[a].key < m_lines[b].key
                               : m_lines[a].cells[column] < m_lines[b].cells[column];
        });
    }

    ListView_SetItemState(m_list, -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
    ListView_SetItemCountEx(m_list, static_cast<int>(m_shown.size()), LVSICF_NOSCROLL);
    for (std::size_t row = 0; row < m_shown.size() && !selected.empty(); ++row)
        if (m_lines[m_shown[row]].cells[0] == selected) {
            ListView_SetItemState(m_list, static_cast<int>(row), LVIS_SELECTED | LVIS_FOCUSED,
                                  LVIS_SELECTED | LVIS_FOCUSED);
            break;
        }
    FitColumns();
    ::InvalidateRect(m_list, nullptr, FALSE);
    // While a filter is set, how many lines it shows of how many.
    SetText(m_hWnd, IDC_FILTER_COUNT,
            m_filter.empty()
                ? std::string()
                : "显示 " + std::to_string(m_shown.size()) + " / " + std::to_string(m_lines.size()) + " 行");
}

void CWinMonitorDlg::OnColumnClick(int column)
{
    // A second click on the same heading reverses the order.
    m_sortAscending = !(column == m_sortColumn && m_sortAscending);
    m_sortColumn = column;
    const HWND header = ListView_GetHeader(m_list);
    for (int i = 0, count = Header_GetItemCount(header); i < count; ++i) {
        HDITEMW item{};
        item.mask = HDI_FORMAT;
        Header_GetItem(header, i, &item);
        item.fmt &= ~(HDF_SORTUP | HDF_SORTDOWN);
        if (i == column)
            item.fmt |= m_sortAscending ? HDF_SORTUP : HDF_SORTDOWN;
        Header_SetItem(header, i, &item);
    }
    ShowRows();
}

void CWinMonitorDlg::CopyLine()
{
    const int row = ListView_GetNextItem(m_list, -1, LVNI_SELECTED);
    if (row < 0)
        return;
    const auto& cells = LineAt(row);
    std::wstring line = cells[0];
    for (std::size_t column = 1; column < cells.size(); ++column)
        line += L'\t' + cells[column];
    line += L"\r\n";
    if (!::OpenClipboard(m_hWnd))
        return;
    ::EmptyClipboard();
    const std::size_t bytes = (line.size() + 1) * sizeof(wchar_t);
    if (HGLOBAL memory = ::GlobalAlloc(GMEM_MOVEABLE, bytes)) {
        std::memcpy(::GlobalLock(memory), line.c_str(), bytes);
        ::GlobalUnlock(memory);
        if (::SetClipboardData(CF_UNICODETEXT, memory) == nullptr)
            ::GlobalFree(memory);
    }
    ::CloseClipboard();
}

void CWinMonitorDlg::Layout()
{
    if (m_list == nullptr)
        return;
    // The template's places in dialog units, the list taking what the window gains.
    const auto units = [this](int left, int top, int width, int height) {
        RECT rect = {left, top, left + width, top + height};
        ::MapDialogRect(m_hWnd, &rect);
        return rect;
    };
    const auto place = [this](int id, const RECT& rect) {
        ::SetWindowPos(::GetDlgItem(m_hWnd, id), nullptr, rect.left, rect.top, rect.right - rect.left,
                       rect.bottom - rect.top, SWP_NOZORDER | SWP_NOACTIVATE);
    };
    RECT client;
    ::GetClientRect(m_hWnd, &client);
    const RECT fixed = units(7, 127, 0, 23); // the margin, the list's top, the room under it
    const int margin = fixed.left;
    const int listHeight = std::max<int>(0, client.bottom - fixed.bottom);
    place(IDC_ARP_LIST, {margin, fixed.top, client.right - margin, fixed.top + listHeight});
    const int strip = fixed.top + listHeight + units(0, 0, 0, 4).bottom;
    const auto below = [&](int left, int top, int width, int height) {
        RECT rect = units(left, top, width, height);
        ::OffsetRect(&rect, 0, strip);
        return rect;
    };
    place(IDC_FILTER, below(7, 0, 120, 13));
    place(IDC_FILTER_COUNT, below(131, 2, 70, 9));
    RECT legend = below(205, 2, 0, 9);
    legend.right = client.right - margin;
    place(IDC_LEGEND, legend);
    FitColumns();
}

void CWinMonitorDlg::FitColumns()
{
    // Without a vertical scroll bar's room when the lines need one.
    RECT view;
    ::GetClientRect(m_list, &view);
    const qv::ColumnWidths widths = qv::FitColumnWidths(m_defaultWidths, view.right);
    for (int column : {1, 3})
        if (ListView_GetColumnWidth(m_list, column) != widths[column])
            ListView_SetColumnWidth(m_list, column, widths[column]);
}

void CWinMonitorDlg::OnSendArp()
{
    if (m_query.joinable()) {
        if (!::IsWindowEnabled(::GetDlgItem(m_hWnd, IDC_SEND_ARP)))
            return; // one request at a time
        m_query.join();
    }
    SetText(m_hWnd, IDC_RETURNED_MAC, "");
    SetText(m_hWnd, IDC_ADAPTER_VENDOR, "");
    ::EnableWindow(::GetDlgItem(m_hWnd, IDC_SEND_ARP), FALSE);
    const std::uint32_t target = FieldAddress(m_hWnd, IDC_TARGET_IP);
    const std::uint32_t source = FieldAddress(m_hWnd, IDC_SOURCE_IP);
    // SendARP blocks for seconds: off the window's thread.
    m_query = std::thread([net = m_services.net, window = m_hWnd, target, source] {
        auto* answer = new ArpAnswer;
        std::uint32_t length = 6;
        answer->result = net->SendARP(target, source, answer->mac, &length);
        if (!::PostMessageW(window, WM_APP_ARP, 0, reinterpret_cast<LPARAM>(answer)))
            delete answer;
    });
}

void CWinMonitorDlg::OnArpAnswer(LPARAM lParam)
{
    std::unique_ptr<ArpAnswer> answer(reinterpret_cast<ArpAnswer*>(lParam));
    ::EnableWindow(::GetDlgItem(m_hWnd, IDC_SEND_ARP), TRUE);
    if (answer->result != NO_ERROR_CODE) {
        // Why it failed, where the MAC address would be.
        SetText(m_hWnd, IDC_RETURNED_MAC, qv::ArpFailureText(answer->result));
        return;
    }
    SetText(m_hWnd, IDC_RETURNED_MAC, qv::MakeMacText(answer->mac));
    SetText(m_hWnd, IDC_ADAPTER_VENDOR, qv::VendorText(answer->mac, *m_services.vendors));
}

UINT CWinMonitorDlg::PopUp(int menuId, const POINT* at)
{
    POINT where{};
    if (at != nullptr)
        where = *at;
    else
        ::GetCursorPos(&where);
    HMENU menu = ::LoadMenuW(m_instance, MAKEINTRESOURCEW(menuId));
    if (menu == nullptr)
        return 0;
    UINT chosen = 0;
    if (HMENU popup = ::GetSubMenu(menu, 0)) {
        if (menuId == IDR_LIST_MENU && !IsMarked(m_menuIp))
            ::DeleteMenu(popup, ID_LIST_CLEAR_MARK, MF_BYCOMMAND);
        chosen = m_services.trackMenu(m_hWnd, popup, where);
    }
    ::DestroyMenu(menu);
    return chosen;
}

void CWinMonitorDlg::OnListMenu(int row, const POINT* at)
{
    m_menuIp = LineAt(row)[0];
    if (const UINT chosen = PopUp(IDR_LIST_MENU, at))
        Handle(WM_COMMAND, chosen, 0);
}

void CWinMonitorDlg::SaveList()
{
    int type = 1;
    std::wstring chosen = m_services.chooseSavePath(
        m_hWnd, L"Text Files (*.txt)\0*.txt\0TSV (*.tsv)\0*.tsv\0CSV (*.csv)\0*.csv\0", type);
    if (chosen.empty())
        return;
    const std::wstring name = chosen.substr(chosen.find_last_of(L"\\/") + 1);
    const std::size_t dot = name.rfind(L'.');
    std::wstring extension = dot == std::wstring::npos ? L"" : name.substr(dot + 1);
    for (wchar_t& c : extension)
        c = static_cast<wchar_t>(::towlower(c));
    // The typed extension says the type; none takes the chosen filter's.
    if (extension == L"tsv")
        type = 2;
    else if (extension == L"csv")
        type = 3;
    else if (extension.empty())
        chosen += type == 2 ? L".tsv" : type == 3 ? L".csv" : L".txt";
    else if (extension == L"txt")
        type = 1;
    const CListViewTable table(m_list);
    const std::string bytes = type == 2   ? qv::ListToTsv(table)
                              : type == 3 ? qv::ListToCsv(table)
                                          : qv::ListToText(table);
    std::string reason;
    if (!qv::WriteFileAtomically(Narrow(chosen), bytes, reason))
        ::MessageBoxW(m_hWnd, Wide("无法保存文件“" + Narrow(chosen) + "”：" + reason).c_str(), L"Quorvane",
                      MB_OK | MB_ICONERROR);
}

void CWinMonitorDlg::ToTray()
{
    if (!m_iconShown) {
        NOTIFYICONDATAW icon = IconData();
        m_iconShown = ::Shell_NotifyIconW(NIM_ADD, &icon) != FALSE;
    }
    ::KillTimer(m_hWnd, kNoticeTimer);
    // Without a notification area the window minimises as any other would:
    // hidden with no icon, it could never be found again.
    m_inTray = m_iconShown;
    ::ShowWindow(m_hWnd, m_inTray ? SW_HIDE : SW_MINIMIZE);
}

void CWinMonitorDlg::FromTray()
{
    RemoveIcon();
    ::ShowWindow(m_hWnd, SW_SHOW);
    ::SetForegroundWindow(m_hWnd);
    m_inTray = false;
}

void CWinMonitorDlg::OnTrayMenu()
{
    const UINT chosen = PopUp(IDR_TRAY_MENU);
    if (chosen == ID_TRAY_SHOW) {
        FromTray();
    } else if (chosen == ID_TRAY_ABOUT) {
        ShowAbout();
    } else if (chosen == ID_TRAY_EXIT) {
        FromTray();
        Close();
    }
}

void CWinMonitorDlg::ShowAbout()
{
    const AboutContent content{&m_services.openLink, qv::VendorDataText(*m_services.vendors)};
    m_services.runModal(m_instance, IDD_ABOUTBOX, m_hWnd, AboutProc, reinterpret_cast<LPARAM>(&content));
}

void CWinMonitorDlg::Close()
{
    RemoveIcon();
    if (m_refresher)
        m_refresher->Stop(std::chrono::milliseconds(500));
    ::DestroyWindow(m_hWnd);
}
