// The hotkey stand-in: while another process holds Win+S, registering it again is refused
// with 1409, as the panel will see on Windows, where the shell owns it.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "panel/hotkey_text.h"
#include "panel_fixture.h"

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

// The text of the tray menu's first line.
std::wstring FirstLine(HMENU menu) {
    wchar_t text[128] = {};
    ::GetMenuStringW(menu, 0, text, 128, MF_BYPOSITION);
    return text;
}

class PanelHotkeyTest : public PanelTest {};

TEST_F(PanelHotkeyTest, WinSHeldElsewhereGivesTheDefaultShownInTheTrayMenu) {
    Holder holder;
    ASSERT_TRUE(holder.Start(L""));
    CQuorlinDlg& p = OpenPanel();
    ASSERT_TRUE(p.Summons().ActiveHotkey().has_value());
    EXPECT_EQ(*p.Summons().ActiveHotkey(), kDefaultHotkey);
    HMENU menu = p.Tray().BuildMenu();
    EXPECT_EQ(FirstLine(menu), L"热键：Ctrl+Alt+Space");
    EXPECT_EQ(::GetMenuState(menu, 0, MF_BYPOSITION) & MF_GRAYED, static_cast<UINT>(MF_GRAYED));
    EXPECT_EQ(::GetMenuState(menu, 1, MF_BYPOSITION) & MF_SEPARATOR, static_cast<UINT>(MF_SEPARATOR));
    EXPECT_EQ(::GetMenuItemID(menu, 2), static_cast<UINT>(ID_AUTORUN)) << "the commands follow a separator";
    EXPECT_EQ(::GetMenuItemID(menu, ::GetMenuItemCount(menu) - 1), static_cast<UINT>(ID_EXIT));
    ::DestroyMenu(menu);
    EXPECT_TRUE(tray.balloons.empty());
}

TEST_F(PanelHotkeyTest, TheSettingNamesTheCombinationAndBadTextMeansWinS) {
    WriteSetting("HOTKEY", "ctrl + shift + F9");
    OpenPanel();
    ASSERT_TRUE(panel->Summons().ActiveHotkey().has_value());
    EXPECT_EQ(FormatHotkey(*panel->Summons().ActiveHotkey()), L"Ctrl+Shift+F9");
    ClosePanel();
    WriteSetting("HOTKEY", "Ctrl+Banana");
    OpenPanel();
    ASSERT_TRUE(panel->Summons().ActiveHotkey().has_value());
    EXPECT_EQ(*panel->Summons().ActiveHotkey(), kWinSHotkey);
}

TEST_F(PanelHotkeyTest, EveryCombinationTakenIsSaidOnceInABalloon) {
    Holder holder;
    ASSERT_TRUE(holder.Start(L"Win+S Ctrl+Alt+Space"));
    const UserBusyQuery real = SetUserBusyQuery([] { return true; });  // a presentation runs
    CQuorlinDlg& p = OpenPanel();
    EXPECT_FALSE(p.Summons().ActiveHotkey().has_value());
    EXPECT_TRUE(tray.balloons.empty());
    SetUserBusyQuery(real);
    ::SendMessageW(p.hwnd(), WM_TIMER, TIMER_CLOCK, 0);  // the clock's next tick looks again
    ASSERT_EQ(tray.balloons.size(), 1u);
    EXPECT_EQ(tray.balloons[0], HotkeyRefusedText({kWinSHotkey, kDefaultHotkey}).substr(0, 255));
    HMENU menu = p.Tray().BuildMenu();
    EXPECT_EQ(FirstLine(menu), NoHotkeyMenuText());
    ::DestroyMenu(menu);
    // The shell starts again and the icon comes back: no second balloon.
    ::SendMessageW(p.hwnd(), TaskbarCreatedMessage(), 0, 0);
    Pump(3000);
    EXPECT_EQ(tray.balloons.size(), 1u);
}

}  // namespace
}  // namespace quorlin::testing
