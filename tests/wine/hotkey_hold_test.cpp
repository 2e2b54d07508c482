// The hotkey stand-in: while another process holds Win+S, registering it again is refused
// with 1409, as the panel will see on Windows, where the shell owns it.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "app/hotkey_text.h"

namespace quorlin::testing {
namespace {

std::wstring BesideThisExe(const wchar_t* name) {
    wchar_t path[MAX_PATH];
    const DWORD n = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring dir(path, n);
    return dir.substr(0, dir.find_last_of(L'\\') + 1) + name;
}

// hold_hotkey.exe with its arguments, ended when the test ends.
struct Holder {
    PROCESS_INFORMATION pi{};
    HANDLE ready = ::CreateEventW(nullptr, TRUE, FALSE, L"quorlin_hold_hotkey_ready");

    // True once the helper holds every combination it was given.
    bool Start(const std::wstring& args) {
        ::ResetEvent(ready);
        const std::wstring exe = BesideThisExe(L"hold_hotkey.exe");
        std::wstring cmd = L"\"" + exe + L"\" " + args;
        STARTUPINFOW si{};
        si.cb = sizeof(si);
        if (!::CreateProcessW(exe.c_str(), cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
            return false;
        HANDLE both[] = {ready, pi.hProcess};
        return ::WaitForMultipleObjects(2, both, FALSE, 20000) == WAIT_OBJECT_0;
    }
    void Stop() {
        if (!pi.hProcess) return;
        ::TerminateProcess(pi.hProcess, 0);
        ::WaitForSingleObject(pi.hProcess, 10000);
        ::CloseHandle(pi.hProcess);
        ::CloseHandle(pi.hThread);
        pi = {};
    }
    ~Holder() {
        Stop();
        ::CloseHandle(ready);
    }
};

// The result of RegisterHotKey on a window of ours: 0 for success, else the error.
DWORD TryRegister(HWND w, const Hotkey& h, unsigned modifiers) {
    if (::RegisterHotKey(w, 7, modifiers, h.vk)) {
        ::UnregisterHotKey(w, 7);
        return 0;
    }
    return ::GetLastError();
}

TEST(HotkeyHolder, WinSHeldElsewhereIsRefusedWith1409AndTheDefaultIsFree) {
    HWND w = ::CreateWindowExW(0, L"STATIC", L"hotkey", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(w, nullptr);
    ASSERT_EQ(TryRegister(w, kWinSHotkey, RegistrationModifiers(kWinSHotkey)), 0u) << "Win+S is held already";

    Holder holder;
    ASSERT_TRUE(holder.Start(L"")) << "hold_hotkey.exe did not hold Win+S";
    EXPECT_EQ(TryRegister(w, kWinSHotkey, RegistrationModifiers(kWinSHotkey)), 1409u);
    EXPECT_EQ(TryRegister(w, kWinSHotkey, kWinSHotkey.modifiers), 1409u);
    EXPECT_EQ(TryRegister(w, kDefaultHotkey, RegistrationModifiers(kDefaultHotkey)), 0u);
    holder.Stop();
    EXPECT_EQ(TryRegister(w, kWinSHotkey, RegistrationModifiers(kWinSHotkey)), 0u);

    // Both held: everything the panel would try is refused.
    Holder both;
    ASSERT_TRUE(both.Start(L"Win+S " + FormatHotkey(kDefaultHotkey)));
    for (const Hotkey& h : HotkeyCandidates(L"")) EXPECT_EQ(TryRegister(w, h, RegistrationModifiers(h)), 1409u);
    ::DestroyWindow(w);
}

}  // namespace
}  // namespace quorlin::testing
