#include "framework/display_win.h"

namespace quorlin::fw {

namespace {

template <typename F>
F User32Function(const char* name) {
    static HMODULE user32 = ::GetModuleHandleW(L"user32.dll");
    return user32 ? reinterpret_cast<F>(::GetProcAddress(user32, name)) : nullptr;
}

Rect ToRect(const RECT& r) { return Rect{r.left, r.top, r.right, r.bottom}; }

Rect WorkAreaOf(HMONITOR monitor) {
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    if (monitor && ::GetMonitorInfoW(monitor, &info)) return ToRect(info.rcWork);
    RECT work{};
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    return ToRect(work);
}

BOOL CALLBACK AddMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM data) {
    auto& areas = *reinterpret_cast<std::vector<Rect>*>(data);
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    if (!::GetMonitorInfoW(monitor, &info)) return TRUE;
    if (info.dwFlags & MONITORINFOF_PRIMARY)
        areas.insert(areas.begin(), ToRect(info.rcWork));
    else
        areas.push_back(ToRect(info.rcWork));
    return TRUE;
}

}  // namespace

int SystemDpi() {
    using GetDpiForSystemFn = UINT(WINAPI*)();
    static const auto forSystem = User32Function<GetDpiForSystemFn>("GetDpiForSystem");
    if (forSystem) return UsableDpi(static_cast<int>(forSystem()));
    HDC screen = ::GetDC(nullptr);
    const int dpi = screen ? ::GetDeviceCaps(screen, LOGPIXELSX) : kBaseDpi;
    if (screen) ::ReleaseDC(nullptr, screen);
    return UsableDpi(dpi);
}

int WindowDpi(HWND window) {
    using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
    static const auto forWindow = User32Function<GetDpiForWindowFn>("GetDpiForWindow");
    if (forWindow && window) {
        const UINT dpi = forWindow(window);
        if (dpi != 0) return UsableDpi(static_cast<int>(dpi));
    }
    return SystemDpi();
}

int MetricForDpi(int index, int dpi) {
    using MetricsForDpiFn = int(WINAPI*)(int, UINT);
    static const auto forDpi = User32Function<MetricsForDpiFn>("GetSystemMetricsForDpi");
    if (forDpi) return forDpi(index, static_cast<UINT>(UsableDpi(dpi)));
    // The system's metrics are at the system DPI.
    return ::MulDiv(::GetSystemMetrics(index), UsableDpi(dpi), SystemDpi());
}

void OwnLayoutOnDpiChange(HWND dialog) {
    // DIALOG_DPI_CHANGE_BEHAVIORS: DDC_DISABLE_ALL is 1.
    using SetBehaviorFn = BOOL(WINAPI*)(HWND, int, int);
    static const auto setBehavior = User32Function<SetBehaviorFn>("SetDialogDpiChangeBehavior");
    if (setBehavior && dialog) setBehavior(dialog, 1, 1);
}

std::vector<Rect> MonitorWorkAreas() {
    std::vector<Rect> areas;
    ::EnumDisplayMonitors(nullptr, nullptr, AddMonitor, reinterpret_cast<LPARAM>(&areas));
    if (areas.empty()) areas.push_back(WorkAreaOf(nullptr));
    return areas;
}

Rect WorkAreaNear(const RECT& r) { return WorkAreaOf(::MonitorFromRect(&r, MONITOR_DEFAULTTONEAREST)); }

Rect WorkAreaAt(POINT p) { return WorkAreaOf(::MonitorFromPoint(p, MONITOR_DEFAULTTONEAREST)); }

}  // namespace quorlin::fw
