// The panel's tray icon. It owns the icon (at the tray's size for the monitor's DPI), its
// record with the shell, its adding again when the taskbar comes back, the one balloon it
// has to show, the tray menu, and what waits while the user is busy (a full-screen
// program, a game, a presentation): the balloon and the version check's question.
// Handed: the window the icon's messages go to, each time the menu opens what its first
// lines say (the hotkey in use and what undo would bring back), and how to ask about a
// newer version again.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <functional>
#include <optional>
#include <string>

#include "framework/window_win.h"
#include "panel/held_notices.h"
#include "store/undo_history.h"

// The tray callback message.
constexpr UINT WM_TRAYICON = WM_USER + 500;
// Set when the taskbar was made again: the icon is added again when it fires.
constexpr UINT_PTR TIMER_TRAY = 502;

class TrayIcon {
public:
    // What the tray menu shows above its commands, asked each time it opens.
    struct MenuFacts {
        std::wstring hotkeyLine;
        std::optional<quorlin::UndoSummary> undo;
    };

    TrayIcon(const quorlin::fw::WindowBase& window, std::function<MenuFacts()> facts,
             std::function<void()> askAboutUpdate);
    ~TrayIcon();

    // The icon at the small-icon size of `dpi` (the shell is told when the icon is up).
    void LoadIcon(int dpi);
    // Adds the icon with its tip (the first time, right after the first frame); `appIcon`
    // stands in while the tray's own size is not loaded.
    void Add(HICON appIcon);
    // The taskbar was made again (explorer restarted): the icon is added again in a moment.
    void OnTaskbarCreated();
    void AddAgain();
    // Shows `text` in a warning balloon once: now, or as soon as the icon is up and the
    // user is not busy.
    void ShowBalloonOnce(const std::wstring& text);
    // The tip again in the language of the texts now (after a change of language).
    void Retitle();
    // Looks whether the user is free again for what waits (cheap when nothing does; the
    // panel calls it with its clock's tick).
    void LookAgain();
    // The icon is taken away (the panel is going).
    void Remove();

    LRESULT OnTrayIcon(WPARAM, LPARAM, bool&);
    // The tray menu as it would be shown; the caller destroys it.
    HMENU BuildMenu() const;

    // The icon's record, and whether the shell accepted it.
    const NOTIFYICONDATAW& Data() const { return data_; }
    bool Added() const { return added_; }

private:
    void ShowMenu();
    void ShowPendingBalloon() { LookAgain(); }

    const quorlin::fw::WindowBase& window_;
    std::function<MenuFacts()> facts_;
    HICON icon_ = nullptr;  // the application's icon at the tray's size for the DPI
    NOTIFYICONDATAW data_{};
    bool added_ = false;
    std::function<void()> askAboutUpdate_;
    quorlin::HeldNotices held_;  // the balloon to show once the icon is up and the user free
};
