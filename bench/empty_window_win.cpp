// The smallest window program of ours, the baseline of the start-up and memory
// benchmarks: one 240 x 240 layered popup, one frame pushed with UpdateLayeredWindow
// from a plain DIB (no GDI+, no COM, no database), then a message loop until WM_QUIT.
// Built the same way as quorlin.exe (static, Unicode entry point).
//
//   empty_window.exe X Y [DLL ...]   places the window's top-left corner at (X, Y); any
//                                    DLLs named after that are loaded first (the memory
//                                    benchmark weighs quorlin.exe's imports this way)
//   further words instead of a DLL:
//     --timer        a 1 Hz timer that does nothing (what Wine's timer costs at idle)
//     --tick         a 1 Hz timer that pushes a new frame each time, as a clock must
//     --shell-icon   asks the shell for the icon of this program once (SHGetFileInfo)
#include <windows.h>
#include <shellapi.h>

#include <cstdlib>
#include <cwchar>
#include <cstring>

namespace {

const wchar_t kClassName[] = L"QuorlinBenchEmptyWindow";
// The property the benchmark looks for, as it looks for the panel's "qiv_zembrick".
const wchar_t kMarkProp[] = L"quorlin_bench_empty";
constexpr int kSide = 240;

void PushFrame(HWND hwnd);
bool g_pushEveryTick = false;
constexpr UINT_PTR kTimer = 1;

LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_TIMER && wp == kTimer) {
        if (g_pushEveryTick) PushFrame(hwnd);
        return 0;
    }
    if (msg == WM_DESTROY) {
        ::RemovePropW(hwnd, kMarkProp);
        ::PostQuitMessage(0);
        return 0;
    }
    return ::DefWindowProcW(hwnd, msg, wp, lp);
}

// One frame: a translucent grey square, premultiplied, pushed with per-pixel alpha.
void PushFrame(HWND hwnd) {
    HDC screen = ::GetDC(hwnd);
    HDC mem = ::CreateCompatibleDC(screen);
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bi.bmiHeader.biWidth = kSide;
    bi.bmiHeader.biHeight = kSide;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = ::CreateDIBSection(mem, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (bitmap) {
        auto* p = static_cast<DWORD*>(bits);
        for (int i = 0; i < kSide * kSide; ++i) p[i] = 0x80404040u;  // alpha 128, grey 64
        HGDIOBJ old = ::SelectObject(mem, bitmap);
        SIZE size{kSide, kSide};
        POINT src{0, 0};
        BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
        ::UpdateLayeredWindow(hwnd, screen, nullptr, &size, mem, &src, 0, &blend, ULW_ALPHA);
        ::SelectObject(mem, old);
        ::DeleteObject(bitmap);
    }
    ::DeleteDC(mem);
    ::ReleaseDC(hwnd, screen);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int) {
    int x = 100, y = 100;
    if (__argc >= 3) {
        x = static_cast<int>(std::wcstol(__wargv[1], nullptr, 10));
        y = static_cast<int>(std::wcstol(__wargv[2], nullptr, 10));
    }
    bool timer = false, shellIcon = false;
    for (int i = 3; i < __argc; ++i) {
        if (std::wcscmp(__wargv[i], L"--timer") == 0) {
            timer = true;
        } else if (std::wcscmp(__wargv[i], L"--tick") == 0) {
            timer = g_pushEveryTick = true;
        } else if (std::wcscmp(__wargv[i], L"--shell-icon") == 0) {
            shellIcon = true;
        } else {
            ::LoadLibraryW(__wargv[i]);
        }
    }
    if (shellIcon) {
        // Through LoadLibrary, so that the program's own imports stay those of the baseline.
        using GetInfo = DWORD_PTR(WINAPI*)(LPCWSTR, DWORD, SHFILEINFOW*, UINT, UINT);
        HMODULE shell = ::LoadLibraryW(L"shell32.dll");
        auto get = shell ? reinterpret_cast<GetInfo>(::GetProcAddress(shell, "SHGetFileInfoW")) : nullptr;
        wchar_t self[MAX_PATH] = {};
        ::GetModuleFileNameW(nullptr, self, MAX_PATH);
        SHFILEINFOW info{};
        if (get && get(self, 0, &info, sizeof(info), SHGFI_ICON) && info.hIcon) ::DestroyIcon(info.hIcon);
    }
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = instance;
    wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = kClassName;
    if (!::RegisterClassExW(&wc)) return 1;
    HWND hwnd = ::CreateWindowExW(WS_EX_LAYERED | WS_EX_TOOLWINDOW, kClassName, L"empty", WS_POPUP, x, y, kSide,
                                  kSide, nullptr, nullptr, instance, nullptr);
    if (!hwnd) return 1;
    ::SetPropW(hwnd, kMarkProp, reinterpret_cast<HANDLE>(1));
    PushFrame(hwnd);
    ::ShowWindow(hwnd, SW_SHOWNOACTIVATE);
    if (timer) ::SetTimer(hwnd, kTimer, 1000, nullptr);
    MSG msg;
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    if (::IsWindow(hwnd)) ::DestroyWindow(hwnd);
    return 0;
}
