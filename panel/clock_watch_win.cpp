#include "panel/clock_watch_win.h"

#include <wtsapi32.h>

#include <cstring>

#include "framework/late_library_win.h"
#include "panel/placement.h"

using namespace quorlin;

namespace {

// The panel watching the window in front (a WinEvent callback carries no context).
HWND g_frontWatcher = nullptr;

void CALLBACK FrontWindowChanged(HWINEVENTHOOK, DWORD, HWND, LONG, LONG, DWORD, DWORD) {
    if (g_frontWatcher) ::PostMessageW(g_frontWatcher, WM_CHECK_FRONT_WINDOW, 0, 0);
}

}  // namespace

// wtsapi32 only when the panel is up, not at the program's start.
namespace late {
QUORLIN_LATE_PROC(L"wtsapi32.dll", WTSRegisterSessionNotification)
QUORLIN_LATE_PROC(L"wtsapi32.dll", WTSUnRegisterSessionNotification)
}  // namespace late

ClockWatch::ClockWatch(const fw::WindowBase& window, std::function<void()> tick, std::function<bool()> panelOnTop)
    : window_(window), tick_(std::move(tick)), panelOnTop_(std::move(panelOnTop)) {}

void ClockWatch::Start() {
    running_ = true;
    ::SetTimer(window_.hwnd(), TIMER_CLOCK, 1000, nullptr);
}

void ClockWatch::Watch() {
    const HWND hwnd = window_.hwnd();
    sessionNotification_ = late::WTSRegisterSessionNotification(hwnd, NOTIFY_FOR_THIS_SESSION) != FALSE;
    if (!displayNotification_)
        displayNotification_ =
            ::RegisterPowerSettingNotification(hwnd, &GUID_CONSOLE_DISPLAY_STATE, DEVICE_NOTIFY_WINDOW_HANDLE);
    if (!frontWindowHook_) {
        g_frontWatcher = hwnd;
        frontWindowHook_ = ::SetWinEventHook(EVENT_SYSTEM_FOREGROUND, EVENT_SYSTEM_FOREGROUND, nullptr,
                                             FrontWindowChanged, 0, 0, WINEVENT_OUTOFCONTEXT);
    }
}

void ClockWatch::Stop() {
    const HWND hwnd = window_.hwnd();
    ::KillTimer(hwnd, TIMER_CLOCK);
    running_ = false;
    if (sessionNotification_) late::WTSUnRegisterSessionNotification(hwnd);
    sessionNotification_ = false;
    if (displayNotification_) ::UnregisterPowerSettingNotification(displayNotification_);
    displayNotification_ = nullptr;
    if (frontWindowHook_) ::UnhookWinEvent(frontWindowHook_);
    frontWindowHook_ = nullptr;
    if (g_frontWatcher == hwnd) g_frontWatcher = nullptr;
}

void ClockWatch::PanelInFront() {
    // In front of everything it can be seen: the clock runs again, showing the time at once.
    hiddenByFrontWindow_ = false;
    Update();
}

void ClockWatch::Update() {
    const bool run = !displayOff_ && !sessionLocked_ && !hiddenByFrontWindow_;
    if (run == running_) return;
    running_ = run;
    if (run) {
        ::SetTimer(window_.hwnd(), TIMER_CLOCK, 1000, nullptr);
        tick_();  // the right time at once, not a second later
    } else {
        ::KillTimer(window_.hwnd(), TIMER_CLOCK);
    }
}

LRESULT ClockWatch::OnSessionChange(WPARAM wp, LPARAM, bool& handled) {
    constexpr WPARAM kLock = 0x7, kUnlock = 0x8;  // WTS_SESSION_LOCK, WTS_SESSION_UNLOCK
    if (wp == kLock || wp == kUnlock) {
        sessionLocked_ = wp == kLock;
        Update();
    }
    handled = false;
    return 0;
}

LRESULT ClockWatch::OnPowerBroadcast(WPARAM wp, LPARAM lp, bool& handled) {
    handled = false;
    if (wp != PBT_POWERSETTINGCHANGE || !lp) return TRUE;
    const auto* setting = reinterpret_cast<const POWERBROADCAST_SETTING*>(lp);
    if (setting->PowerSetting != GUID_CONSOLE_DISPLAY_STATE || setting->DataLength < sizeof(DWORD)) return TRUE;
    DWORD state = 0;
    std::memcpy(&state, setting->Data, sizeof(state));
    displayOff_ = state == 0;  // 1 on, 2 dimmed: both can be seen
    Update();
    return TRUE;
}

LRESULT ClockWatch::OnCheckFrontWindow(WPARAM, LPARAM, bool&) {
    const HWND hwnd = window_.hwnd();
    HWND front = ::GetForegroundWindow();
    bool hidden = false;
    if (front && front != hwnd && ::IsWindowVisible(front) && !::IsIconic(front)) {
        wchar_t cls[32] = {};
        ::GetClassNameW(front, cls, 32);
        const bool shell = std::wcscmp(cls, L"Progman") == 0 || std::wcscmp(cls, L"WorkerW") == 0 ||
                           std::wcscmp(cls, L"Shell_TrayWnd") == 0;
        RECT p{}, f{};
        if (!shell && ::GetWindowRect(hwnd, &p) && ::GetWindowRect(front, &f)) {
            const bool frontOnTop = (::GetWindowLongW(front, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
            hidden = FrontWindowHidesPanel(Rect{p.left, p.top, p.right, p.bottom},
                                           Rect{f.left, f.top, f.right, f.bottom}, panelOnTop_() && !frontOnTop);
        }
    }
    hiddenByFrontWindow_ = hidden;
    Update();
    return 0;
}
