// The Windows window with 10,000 lines: the time a pass takes to show, and
// each keystroke in the filter. Run under Wine or on Windows:
//   quorvane_winui_bench.exe
#include "tests/platform/FakeNetworkServices.h"
#include "tests/winui/QuietServices.h"
#include "winui/CWinMonitorDlg.h"
#include "winui/resource.h"

#include <commctrl.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double Ms(Clock::duration d)
{
    return std::chrono::duration<double, std::milli>(d).count();
}

void Pump()
{
    MSG message;
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
}

} // namespace

int main()
{
    constexpr int kLines = 10000;
    auto net = std::make_shared<FakeNetworkServices>();
    for (int i = 0; i < kLines; ++i) {
        const std::string ip = "10." + std::to_string(i / 65536) + "." + std::to_string(i / 256 % 256) + "." +
                               std::to_string(i % 256);
        net->rows.push_back(FakeNetworkServices::Row(
            ip.c_str(),
            {0x00, 0x00, 0x0C, static_cast<std::uint8_t>(i >> 8), static_cast<std::uint8_t>(i), 1},
            i % 2 ? 3 : 4));
    }
    CWinMonitorDlg dialog(QuietServices(net));
    const auto start = Clock::now();
    const HWND window = dialog.Create(::GetModuleHandleW(nullptr));
    if (window == nullptr)
        return 1;
    const HWND list = ::GetDlgItem(window, IDC_ARP_LIST);
    while (ListView_GetItemCount(list) < kLines) {
        Pump();
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    }
    ::UpdateWindow(window);
    std::printf("window open to %d lines shown: %.1f ms\n", kLines, Ms(Clock::now() - start));

    // Typing "10.0.1" and back, each keystroke drawn before the next.
    std::vector<double> strokes;
    const std::wstring typed = L"10.0.1";
    for (int round = 0; round < 5; ++round)
        for (std::size_t length = 1; length <= 2 * typed.size(); ++length) {
            const std::size_t shown = length <= typed.size() ? length : 2 * typed.size() - length;
            const auto before = Clock::now();
            ::SetDlgItemTextW(window, IDC_FILTER, typed.substr(0, shown).c_str());
            ::UpdateWindow(window);
            strokes.push_back(Ms(Clock::now() - before));
        }
    std::sort(strokes.begin(), strokes.end());
    std::printf("filter keystroke over %d lines: median %.2f ms, worst %.2f ms (%zu strokes)\n", kLines,
                strokes[strokes.size() / 2], strokes.back(), strokes.size());

    // A heading click sorts all of them.
    NMLISTVIEW click{};
    click.hdr = {list, IDC_ARP_LIST, LVN_COLUMNCLICK};
    click.iSubItem = 0;
    const auto sortStart = Clock::now();
    ::SendMessageW(window, WM_NOTIFY, IDC_ARP_LIST, reinterpret_cast<LPARAM>(&click));
    ::UpdateWindow(window);
    std::printf("sort by address over %d lines: %.2f ms\n", kLines, Ms(Clock::now() - sortStart));
    ::SendMessageW(window, WM_COMMAND, IDCANCEL, 0);
    return 0;
}
