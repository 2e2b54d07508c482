// Summon and typing. It owns the global hotkey (which combination was registered, and
// which were tried), bringing the panel in front of every window with the keyboard and
// sending it back to its layer, the layer itself (owned by the desktop's view, or on top
// of every window), and the keyboard session that filters and opens buttons by typing.
// Handed: the panel's window, the application state (the topmost switch and the settings
// file), the panel's buttons, and the panel's ways to render, to show and hide the
// tooltip bubble, to say that the panel is in front (the clock can be seen again) and
// that the keyboard's selection moved (screen readers are told), and its ways to show the
// Start menu's programs that match the filter, select one of them and open it or put it
// on the ring, and how often and lately a button was opened (ranks equal matches). The
// arrows move from the ring's matches into that list and back; while a program is
// selected the ring shows no selection.
#pragma once

#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/app_state.h"
#include "buttons/button_window_win.h"
#include "framework/window_win.h"
#include "panel/button_collection.h"
#include "panel/hotkey_text.h"
#include "panel/keyboard_rules.h"

class SummonAndTyping {
public:
    struct PanelCalls {
        std::function<void()> render;
        // The bubble over the keyboard's selection, shown as the panel's own.
        std::function<void(const std::wstring& text, int x, int y)> showTip;
        // Hides the panel's own bubble, or whoever's when `anyOwner`.
        std::function<void(bool anyOwner)> hideTip;
        std::function<void()> inFront;
        std::function<void(int selected)> selectionMoved;  // ring index, or -1 for none
        // The programs beside the panel: shown for a filter (the number shown; none for an
        // empty filter), a row selected (-1: none), a row opened or put on the ring.
        std::function<int(const std::wstring& filter)> showPrograms;
        std::function<void(int row)> selectProgram;
        std::function<void(int row, bool toRing)> takeProgram;
        std::function<quorlin::Usage(std::int64_t id)> usageOf;
    };
    SummonAndTyping(const quorlin::fw::WindowBase& window, quorlin::AppState& state,
                    quorlin::ButtonCollectionOf<CButtonEx>& buttons, PanelCalls calls);

    // Registers the first combination Windows accepts (HOTKEY of setting.ini, then the
    // defaults); false when every one was refused.
    bool RegisterHotkey();
    void UnregisterHotkey();
    // Registers `wanted` in place of the combination in use (nothing: the first of the
    // defaults Windows takes) and writes it as HOTKEY (removes HOTKEY for the defaults).
    // When Windows refuses, the combination in use stays registered, nothing is written,
    // and the result is false.
    bool ChangeHotkey(const std::optional<quorlin::Hotkey>& wanted);
    int HotKeyId() const { return hotKeyId_; }
    // The combination registered (none when every one tried was refused), and those tried.
    const std::optional<quorlin::Hotkey>& ActiveHotkey() const { return hotkey_; }
    const std::vector<quorlin::Hotkey>& HotkeysTried() const { return hotkeysTried_; }
    // The tray menu's line for it, and the balloon's text when none was accepted.
    std::wstring HotkeyLine() const;
    std::wstring RefusedText() const;

    // The layer: on top of every window (and written to setting.ini when `persist`), or
    // owned by the desktop's view, behind every window.
    void SetTopMost(bool topmost, bool persist);
    bool AttachToDesktop();
    static HWND FindWorkerDesktopView();
    // The desktop view that owns the panel on the desktop layer, or null.
    HWND DesktopOwner() const { return desktopOwner_; }

    // Summon brings the panel in front of every window with the keyboard; SendBack returns
    // it to its layer and hands the keyboard back to the window that had it. InFront:
    // summoned and not sent back yet.
    void Summon();
    void SendBack(bool restoreForeground);
    bool InFront() const { return inFront_; }

    // Before the dialog manager: the desktop view gone, Ctrl+Z, and the keys typed on the
    // panel or its buttons. TRUE swallows the message.
    BOOL PreTranslate(MSG* msg);
    // Launching by typing: a WM_KEYDOWN or WM_CHAR meant for the panel (or one of its
    // buttons); true when it was the panel's and is done.
    bool HandleKey(UINT message, WPARAM wp);
    // Buttons added, deleted, moved, renamed or given other aliases while a filter is typed:
    // dim and select anew (and list the programs anew).
    void FollowButtons();
    // The programs' list shown again for the current filter (a new index), nothing selected
    // in it unless no button matches.
    void FollowPrograms();
    const quorlin::KeyboardSession& Keys() const { return keys_; }
    // The row of the programs' list the keyboard selected, or -1.
    int ProgramRow() const { return programRow_; }

    LRESULT OnHotKey(WPARAM, LPARAM, bool&);
    LRESULT OnActivate(WPARAM, LPARAM, bool&);
    LRESULT OnKeyDown(WPARAM, LPARAM, bool&);
    LRESULT OnChar(WPARAM, LPARAM, bool&);

private:
    friend struct quorlin::testing::Probe;  // the tests' way to set state the shell would
    // Gives the session the current titles when they changed since it last saw them; true
    // when they had.
    bool SyncKeyTitles();
    void CarryOut(const quorlin::KeyActions& actions);
    // Arrows and Enter while programs are listed; true when the key was the list's.
    bool ProgramKey(quorlin::PanelKey key);
    // Selects a row of the list (-1: none); the ring is drawn again when its selection
    // shows or hides by it, unless `render` is false (the caller renders).
    void SelectProgram(int row, bool render = true);

    const quorlin::fw::WindowBase& window_;
    quorlin::AppState& state_;
    quorlin::ButtonCollectionOf<CButtonEx>& buttons_;
    PanelCalls calls_;

    int hotKeyId_ = 0;
    std::optional<quorlin::Hotkey> hotkey_;
    std::vector<quorlin::Hotkey> hotkeysTried_;
    HWND desktopOwner_ = nullptr;
    bool inFront_ = false;
    HWND previousForeground_ = nullptr;
    quorlin::KeyboardSession keys_;
    std::vector<std::wstring> keyTitles_;  // the titles the session was last given
    std::vector<std::wstring> keyAliases_;  // and the buttons' aliases
    std::vector<quorlin::Usage> keyUsage_;  // and how often and lately each was opened
    std::wstring programsFilter_;  // the filter the programs' list was shown for
    int programCount_ = 0;
    int programRow_ = -1;
};
