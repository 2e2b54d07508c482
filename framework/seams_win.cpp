#include "framework/seams_win.h"

#include <mmsystem.h>

#include <atomic>

#include "framework/late_library_win.h"
#include "framework/seams.h"
#include "framework/window_win.h"

// winmm by the first sound, comdlg32 by the first file chooser.
namespace late {
QUORLIN_LATE_PROC(L"winmm.dll", PlaySoundW)
QUORLIN_LATE_PROC(L"comdlg32.dll", GetOpenFileNameW)
QUORLIN_LATE_PROC(L"comdlg32.dll", GetSaveFileNameW)
}  // namespace late

namespace quorlin {

namespace {

class Win32MessageBoxes : public IMessageBoxes {
public:
    int Show(std::uintptr_t owner, const std::wstring& text, const std::wstring& caption, unsigned flags) override {
        return ::MessageBoxW(reinterpret_cast<HWND>(owner), text.c_str(), caption.c_str(), flags);
    }
};

class Win32Shell : public IShell {
public:
    std::intptr_t Execute(std::uintptr_t owner, const wchar_t* verb, const wchar_t* file, const wchar_t* params,
                          const wchar_t* dir, int show) override {
        return reinterpret_cast<std::intptr_t>(
            ::ShellExecuteW(reinterpret_cast<HWND>(owner), verb, file, params, dir, show));
    }
    bool ExecuteInvokeIdList(std::uintptr_t owner, const wchar_t* verb, const wchar_t* file, int show) override {
        SHELLEXECUTEINFOW info{};
        info.cbSize = sizeof(info);
        info.fMask = SEE_MASK_INVOKEIDLIST;
        info.hwnd = reinterpret_cast<HWND>(owner);
        info.lpVerb = verb;
        info.lpFile = file;
        info.nShow = show;
        return ::ShellExecuteExW(&info) != FALSE;
    }
    unsigned RunCommandLine(const std::wstring& commandLine, int show) override {
        // WinExec's behaviour on a wide command line: the first token names the program.
        std::wstring line = commandLine;  // CreateProcessW may write into its command line
        STARTUPINFOW startup{};
        startup.cb = sizeof(startup);
        startup.dwFlags = STARTF_USESHOWWINDOW;
        startup.wShowWindow = static_cast<WORD>(show);
        PROCESS_INFORMATION process{};
        if (!::CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                              &process)) {
            const DWORD error = ::GetLastError();
            return error < 32 ? error : ERROR_BAD_FORMAT;  // WinExec's values: 0, 2, 3 or 11
        }
        ::CloseHandle(process.hThread);
        ::CloseHandle(process.hProcess);
        return 33;
    }
};

class Win32Sound : public ISound {
public:
    void PlayResource(int resourceId, unsigned flags) override {
        late::PlaySoundW(MAKEINTRESOURCEW(resourceId), fw::ResourceModule(), flags);
    }
};

class Win32Tray : public ITray {
public:
    BOOL Notify(DWORD message, NOTIFYICONDATAW* data) override { return ::Shell_NotifyIconW(message, data); }
};

class Win32FileChooser : public IFileChooser {
public:
    BOOL Open(OPENFILENAMEW* ofn) override { return late::GetOpenFileNameW(ofn); }
    BOOL Save(OPENFILENAMEW* ofn) override { return late::GetSaveFileNameW(ofn); }
};

class Win32HighContrast : public IHighContrast {
public:
    bool On() override {
        HIGHCONTRASTW hc{};
        hc.cbSize = sizeof(hc);
        return ::SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof(hc), &hc, 0) && (hc.dwFlags & HCF_HIGHCONTRASTON);
    }
};

Win32MessageBoxes g_boxes;
Win32Shell g_shell;
Win32Sound g_sound;
Win32Tray g_realTray;
std::atomic<ITray*> g_tray{nullptr};
Win32FileChooser g_realChooser;
std::atomic<IFileChooser*> g_chooser{nullptr};
Win32HighContrast g_realContrast;
std::atomic<IHighContrast*> g_contrast{nullptr};

std::atomic<UserBusyQuery> g_userBusy{nullptr};  // a test's query, else the real one

}  // namespace

void InstallRealSeams() {
    SetMessageBoxes(&g_boxes);
    SetShell(&g_shell);
    SetSound(&g_sound);
}

ITray& Tray() {
    ITray* t = g_tray.load();
    return t ? *t : g_realTray;
}

ITray* SetTray(ITray* impl) { return g_tray.exchange(impl); }

IFileChooser& FileChooser() {
    IFileChooser* c = g_chooser.load();
    return c ? *c : g_realChooser;
}

IFileChooser* SetFileChooser(IFileChooser* impl) { return g_chooser.exchange(impl); }

IHighContrast& HighContrast() {
    IHighContrast* c = g_contrast.load();
    return c ? *c : g_realContrast;
}

IHighContrast* SetHighContrast(IHighContrast* impl) { return g_contrast.exchange(impl); }

bool UserBusy() {
    if (const UserBusyQuery query = g_userBusy.load()) return query();
    QUERY_USER_NOTIFICATION_STATE state = QUNS_ACCEPTS_NOTIFICATIONS;
    if (FAILED(::SHQueryUserNotificationState(&state))) return false;
    return state == QUNS_BUSY || state == QUNS_RUNNING_D3D_FULL_SCREEN || state == QUNS_PRESENTATION_MODE;
}

UserBusyQuery SetUserBusyQuery(UserBusyQuery query) { return g_userBusy.exchange(query); }

}  // namespace quorlin
