#include "panel/tray_icon_win.h"

#include "app/settings_win.h"
#include "buttons/menu_rules.h"
#include "framework/display_win.h"
#include "framework/seams_win.h"
#include "framework/texts.h"
#include "res/resource.h"
#include "update/version_check_win.h"

using namespace quorlin;

TrayIcon::TrayIcon(const fw::WindowBase& window, std::function<MenuFacts()> facts,
                   std::function<void()> askAboutUpdate)
    : window_(window), facts_(std::move(facts)), askAboutUpdate_(std::move(askAboutUpdate)), held_(QuestionsHeld()) {}

TrayIcon::~TrayIcon() {
    if (icon_) ::DestroyIcon(icon_);
}

void TrayIcon::LoadIcon(int dpi) {
    const int side = fw::MetricForDpi(SM_CXSMICON, dpi);
    HICON icon = static_cast<HICON>(
        ::LoadImageW(fw::ResourceModule(), MAKEINTRESOURCEW(IDR_MAINFRAME), IMAGE_ICON, side, side, LR_DEFAULTCOLOR));
    if (!icon) return;
    HICON old = icon_;
    icon_ = icon;
    data_.hIcon = icon_;
    if (added_) {
        data_.uFlags = NIF_ICON;
        quorlin::Tray().Notify(NIM_MODIFY, &data_);
        data_.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    }
    if (old) ::DestroyIcon(old);
}

void TrayIcon::Add(HICON appIcon) {
    data_ = NOTIFYICONDATAW{};
    data_.cbSize = sizeof(NOTIFYICONDATAW);
    data_.hWnd = window_.hwnd();
    data_.uID = IDR_MAINFRAME;
    data_.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    data_.uCallbackMessage = WM_TRAYICON;
    data_.hIcon = icon_ ? icon_ : appIcon;
    ::lstrcpynW(data_.szTip, Text(IDS_TRAY_TIP).c_str(), ARRAYSIZE(data_.szTip));
    added_ = quorlin::Tray().Notify(NIM_ADD, &data_) != FALSE;
    ShowPendingBalloon();
}

void TrayIcon::Retitle() {
    ::lstrcpynW(data_.szTip, Text(IDS_TRAY_TIP).c_str(), ARRAYSIZE(data_.szTip));
    if (added_) quorlin::Tray().Notify(NIM_MODIFY, &data_);
}

void TrayIcon::OnTaskbarCreated() { ::SetTimer(window_.hwnd(), TIMER_TRAY, 2500, nullptr); }

void TrayIcon::AddAgain() {
    ::KillTimer(window_.hwnd(), TIMER_TRAY);
    added_ = quorlin::Tray().Notify(NIM_ADD, &data_) != FALSE;
    ShowPendingBalloon();
}

void TrayIcon::ShowBalloonOnce(const std::wstring& text) {
    held_.HoldBalloon(text);
    ShowPendingBalloon();
}

void TrayIcon::LookAgain() {
    const unsigned questions = QuestionsHeld();
    if (!held_.Waiting(questions)) return;
    const HeldNotices::Released out = held_.Look(UserBusy(), questions);
    if (out.askAgain && askAboutUpdate_) askAboutUpdate_();
    if (!out.balloon) return;
    NOTIFYICONDATAW info = data_;
    info.uFlags = NIF_INFO;
    ::lstrcpynW(info.szInfo, out.balloon->c_str(), ARRAYSIZE(info.szInfo));
    ::lstrcpynW(info.szInfoTitle, Text(IDS_TRAY_TIP).c_str(), ARRAYSIZE(info.szInfoTitle));
    info.dwInfoFlags = NIIF_WARNING;
    // Without the icon (not added yet, or the shell refused it) it waits for the icon.
    if (!added_ || !quorlin::Tray().Notify(NIM_MODIFY, &info)) held_.HoldBalloon(*out.balloon);
}

void TrayIcon::Remove() {
    ::KillTimer(window_.hwnd(), TIMER_TRAY);
    quorlin::Tray().Notify(NIM_DELETE, &data_);
    added_ = false;
}

LRESULT TrayIcon::OnTrayIcon(WPARAM wp, LPARAM lp, bool&) {
    if (wp != IDR_MAINFRAME) return 1;
    const HWND panel = window_.hwnd();
    switch (static_cast<UINT>(lp)) {
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK:
            ::ShowWindow(panel, SW_RESTORE);
            ::SwitchToThisWindow(panel, TRUE);
            break;
        case WM_RBUTTONUP:
            ShowMenu();
            break;
        default:
            break;
    }
    return 0;
}

HMENU TrayIcon::BuildMenu() const {
    HMENU menu = ::LoadMenuW(fw::ResourceModule(), MAKEINTRESOURCEW(IDR_MENU));
    if (!menu) return nullptr;
    HMENU popup = ::GetSubMenu(menu, kTrayPopupIndex);
    ::RemoveMenu(menu, kTrayPopupIndex, MF_BYPOSITION);  // the caller owns the popup alone
    ::DestroyMenu(menu);
    if (IsAutoRunEnabled()) ::CheckMenuItem(popup, ID_AUTORUN, MF_BYCOMMAND | MF_CHECKED);
    const MenuFacts facts = facts_();
    // The undo entry names what it brings back, and is grey when there is nothing.
    ::ModifyMenuW(popup, ID_UNDO, MF_BYCOMMAND | MF_STRING | (facts.undo ? MF_ENABLED : MF_GRAYED), ID_UNDO,
                  quorlin::UndoMenuText(facts.undo).c_str());
    // The hotkey in use, as a line to read, above the commands.
    ::InsertMenuW(popup, 0, MF_BYPOSITION | MF_STRING | MF_GRAYED, 0, facts.hotkeyLine.c_str());
    ::InsertMenuW(popup, 1, MF_BYPOSITION | MF_SEPARATOR, 0, nullptr);
    return popup;
}

void TrayIcon::ShowMenu() {
    const HWND panel = window_.hwnd();
    ::SetForegroundWindow(panel);
    HMENU popup = BuildMenu();
    if (!popup) return;
    POINT pt;
    ::GetCursorPos(&pt);
    ::TrackPopupMenu(popup, TPM_BOTTOMALIGN, pt.x, pt.y, 0, panel, nullptr);
    ::PostMessageW(panel, WM_NULL, 0, 0);
    ::DestroyMenu(popup);
}
