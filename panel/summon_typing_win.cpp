#include "panel/summon_typing_win.h"

#include "app/settings_win.h"
#include "buttons/builtin_entries.h"
#include "framework/seams_win.h"

using namespace quorlin;

namespace {
const wchar_t kHotKeyAtom[] = L"qiv_tool-hotkey-S";
}  // namespace

SummonAndTyping::SummonAndTyping(const fw::WindowBase& window, AppState& state,
                                 ButtonCollectionOf<CButtonEx>& buttons, PanelCalls calls)
    : window_(window), state_(state), buttons_(buttons), calls_(std::move(calls)) {}

// ---------------------------------------------------------------- the hotkey

bool SummonAndTyping::RegisterHotkey() {
    hotKeyId_ = ::GlobalAddAtomW(kHotKeyAtom);
    hotkeysTried_ = HotkeyCandidates(IniSettings(state_.SettingsFile()).ReadString(kHotkeySettingKey));
    for (const Hotkey& h : hotkeysTried_) {
        if (::RegisterHotKey(window_.hwnd(), hotKeyId_, RegistrationModifiers(h), h.vk)) {
            hotkey_ = h;
            return true;
        }
    }
    return false;
}

bool SummonAndTyping::ChangeHotkey(const std::optional<Hotkey>& wanted) {
    const HWND hwnd = window_.hwnd();
    const IniSettings ini(state_.SettingsFile());
    if (wanted && hotkey_ == wanted) {  // ours already: Windows would refuse it a second time
        ini.WriteString(kHotkeySettingKey, FormatHotkey(*wanted));
        return true;
    }
    ::UnregisterHotKey(hwnd, hotKeyId_);
    for (const Hotkey& h : wanted ? std::vector<Hotkey>{*wanted} : HotkeyCandidates(L"")) {
        if (!::RegisterHotKey(hwnd, hotKeyId_, RegistrationModifiers(h), h.vk)) continue;
        hotkey_ = h;
        if (wanted) ini.WriteString(kHotkeySettingKey, FormatHotkey(h));
        else ini.Remove(kHotkeySettingKey);
        return true;
    }
    if (hotkey_) ::RegisterHotKey(hwnd, hotKeyId_, RegistrationModifiers(*hotkey_), hotkey_->vk);
    return false;
}

void SummonAndTyping::UnregisterHotkey() {
    ::UnregisterHotKey(window_.hwnd(), hotKeyId_);
    if (hotKeyId_) ::GlobalDeleteAtom(static_cast<ATOM>(hotKeyId_));
}

std::wstring SummonAndTyping::HotkeyLine() const { return hotkey_ ? HotkeyMenuText(*hotkey_) : NoHotkeyMenuText(); }

std::wstring SummonAndTyping::RefusedText() const { return HotkeyRefusedText(hotkeysTried_); }

LRESULT SummonAndTyping::OnHotKey(WPARAM wp, LPARAM, bool& handled) {
    // A game's keys must not pull the panel in front of it.
    const bool quiet = state_.ignoreHotkeyInFullScreen && UserBusy();
    if (static_cast<int>(wp) == hotKeyId_ && !quiet) {
        if (inFront_) SendBack(true);
        else Summon();
    }
    handled = false;
    return 0;
}

// ---------------------------------------------------------------- the layer

void SummonAndTyping::SetTopMost(bool topmost, bool persist) {
    const HWND hwnd = window_.hwnd();
    state_.topMost = topmost;
    if (topmost) {
        ::SetWindowPos(hwnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
        ::SetWindowLongPtrW(hwnd, GWLP_HWNDPARENT, 0);
        desktopOwner_ = nullptr;
    } else {
        AttachToDesktop();
        ::SetWindowPos(hwnd, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
    if (persist) IniSettings(state_.SettingsFile()).WriteInt(kKeyTopMost, topmost ? 1 : 0);
}

HWND SummonAndTyping::FindWorkerDesktopView() {
    HWND desktop = ::GetDesktopWindow();
    if (!desktop) return nullptr;
    HWND worker = nullptr;
    while ((worker = ::FindWindowExW(desktop, worker, L"WorkerW", nullptr)) != nullptr) {
        if (::GetWindowLongW(worker, GWL_STYLE) & WS_VISIBLE)
            return ::FindWindowExW(worker, nullptr, L"SHELLDLL_DefView", nullptr);
    }
    return nullptr;
}

bool SummonAndTyping::AttachToDesktop() {
    HWND view = nullptr;
    if (HWND progman = ::FindWindowW(L"Progman", L"Program Manager")) {
        view = ::FindWindowExW(progman, nullptr, L"SHELLDLL_DefView", nullptr);
        if (!view) view = FindWorkerDesktopView();
    }
    if (view) ::SetWindowLongPtrW(window_.hwnd(), GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(view));
    desktopOwner_ = view;
    return view != nullptr;
}

// ---------------------------------------------------------------- in front and back

void SummonAndTyping::Summon() {
    const HWND hwnd = window_.hwnd();
    const HWND foreground = ::GetForegroundWindow();
    if (foreground != hwnd) previousForeground_ = foreground;
    inFront_ = true;
    if (::IsIconic(hwnd)) ::ShowWindow(hwnd, SW_RESTORE);
    // Owned by the desktop view the panel would stay behind every window.
    if (!state_.topMost && desktopOwner_) {
        ::SetWindowLongPtrW(hwnd, GWLP_HWNDPARENT, 0);
        desktopOwner_ = nullptr;
    }
    ::SetWindowPos(hwnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
    ::SetForegroundWindow(hwnd);
    ::SetFocus(hwnd);
    calls_.inFront();
}

void SummonAndTyping::SendBack(bool restoreForeground) {
    const HWND hwnd = window_.hwnd();
    const HWND previous = previousForeground_;
    previousForeground_ = nullptr;
    inFront_ = false;
    CarryOut(keys_.Reset());
    if (!state_.topMost) {
        ::SetWindowPos(hwnd, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        AttachToDesktop();
        ::SetWindowPos(hwnd, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
    if (restoreForeground && previous && previous != hwnd && ::IsWindow(previous)) ::SetForegroundWindow(previous);
}

// Losing the keyboard ends the typing and sends a summoned panel back. The dialog's own
// handling follows (it keeps track of the focus).
LRESULT SummonAndTyping::OnActivate(WPARAM wp, LPARAM, bool& handled) {
    handled = false;
    if (LOWORD(wp) != WA_INACTIVE) return 0;
    if (inFront_) SendBack(false);
    else CarryOut(keys_.Reset());
    return 0;
}

// ---------------------------------------------------------------- typing

BOOL SummonAndTyping::PreTranslate(MSG* msg) {
    const HWND hwnd = window_.hwnd();
    if (!state_.topMost && desktopOwner_ && !::IsWindow(desktopOwner_)) {
        ::SetWindowLongPtrW(hwnd, GWLP_HWNDPARENT, 0);
        desktopOwner_ = nullptr;
    }
    // Ctrl+Z while the panel (or one of its buttons) has the keyboard: undo the newest deletion,
    // typed filter or not.
    if (msg->message == WM_KEYDOWN && msg->wParam == 'Z' && ::GetKeyState(VK_CONTROL) < 0 &&
        ::GetKeyState(VK_MENU) >= 0 && (msg->hwnd == hwnd || ::IsChild(hwnd, msg->hwnd))) {
        buttons_.Undo();
        return TRUE;
    }
    // The keys are the panel's before the dialog manager sees them: it would close the
    // panel on Esc and Enter, move the focus on Tab and arrows, and match typed letters
    // against the buttons' titles as if they were access keys.
    if ((msg->message == WM_KEYDOWN || msg->message == WM_CHAR) && (msg->hwnd == hwnd || ::IsChild(hwnd, msg->hwnd))) {
        if (HandleKey(msg->message, msg->wParam)) return TRUE;
        if (msg->message == WM_CHAR) return TRUE;
    }
    return FALSE;
}

LRESULT SummonAndTyping::OnKeyDown(WPARAM wp, LPARAM, bool& handled) {
    handled = HandleKey(WM_KEYDOWN, wp);
    return 0;
}

LRESULT SummonAndTyping::OnChar(WPARAM wp, LPARAM, bool&) {
    HandleKey(WM_CHAR, wp);
    return 0;
}

bool SummonAndTyping::SyncKeyTitles() {
    std::vector<std::wstring> titles, aliases;
    std::vector<Usage> usage;
    titles.reserve(buttons_.Count());
    aliases.reserve(buttons_.Count());
    usage.reserve(buttons_.Count());
    for (const auto& b : buttons_.buttons) {
        titles.push_back(ShownTitle(b->iType, b->Title));
        aliases.push_back(b->Alias);
        usage.push_back(calls_.usageOf ? calls_.usageOf(b->ID) : Usage{});
    }
    if (titles == keyTitles_ && aliases == keyAliases_ && usage == keyUsage_) return false;
    keyTitles_ = std::move(titles);
    keyAliases_ = std::move(aliases);
    keyUsage_ = std::move(usage);
    keys_.SetTitles(keyTitles_, keyAliases_, keyUsage_);
    return true;
}

// Called with every full frame: the list is shown anew only when the ring changed, so that
// a frame keeps the program the arrows selected.
void SummonAndTyping::FollowButtons() {
    const bool changed = (!keys_.filter().empty() || keys_.selected() >= 0) && SyncKeyTitles();
    if (changed && !keys_.filter().empty()) FollowPrograms();
}

void SummonAndTyping::FollowPrograms() {
    programsFilter_ = keys_.filter();
    const bool wasSelected = programRow_ >= 0;
    programRow_ = -1;
    programCount_ = calls_.showPrograms ? calls_.showPrograms(programsFilter_) : 0;
    // No button matches: the best program is selected, for Enter to open it.
    if (programCount_ > 0 && keys_.Ranked().empty()) SelectProgram(0, false);
    else if (wasSelected) calls_.selectionMoved(keys_.selected());
}

void SummonAndTyping::SelectProgram(int row, bool render) {
    const bool ringShown = programRow_ < 0;
    programRow_ = row;
    if (calls_.selectProgram) calls_.selectProgram(row);
    if (row >= 0) calls_.hideTip(false);  // the bubble is the ring's
    if (render && ringShown != (row < 0)) calls_.render();
    calls_.selectionMoved(keys_.selected());  // screen readers follow to the program or back
}

// The programs' rows come after the ring's matches: Next from the last match (or from none)
// enters the list, and leaves it at its end for the first match; Previous the other way.
bool SummonAndTyping::ProgramKey(PanelKey key) {
    if (programCount_ <= 0) return false;
    const std::vector<int>& ranked = keys_.Ranked();
    const bool ringHasMatch = !ranked.empty();
    if (key == PanelKey::Enter) {
        if (programRow_ < 0) return false;
        const int row = programRow_;
        const bool toRing = ::GetKeyState(VK_CONTROL) < 0;
        calls_.hideTip(true);
        if (calls_.takeProgram) calls_.takeProgram(row, toRing);
        if (toRing) {
            SyncKeyTitles();
            FollowPrograms();
        }
        return true;
    }
    if (key == PanelKey::Next) {
        if (programRow_ >= 0) {
            if (programRow_ + 1 < programCount_) SelectProgram(programRow_ + 1);
            else if (!ringHasMatch) SelectProgram(0);
            else {
                SelectProgram(-1);
                return false;  // the session moves from its last match to its first
            }
            return true;
        }
        if (ringHasMatch && keys_.selected() != ranked.back()) return false;
        SelectProgram(0);
        return true;
    }
    if (key == PanelKey::Previous) {
        if (programRow_ > 0) {
            SelectProgram(programRow_ - 1);
            return true;
        }
        if (programRow_ == 0) {
            SelectProgram(ringHasMatch ? -1 : programCount_ - 1);
            if (ringHasMatch) CarryOut(KeyActions{true, false, true, -1, false});  // the ring's bubble again
            return true;
        }
        if (ringHasMatch && keys_.selected() != ranked.front()) return false;
        SelectProgram(programCount_ - 1);
        return true;
    }
    return false;
}

bool SummonAndTyping::HandleKey(UINT message, WPARAM wp) {
    SyncKeyTitles();
    KeyActions a;
    if (message == WM_CHAR) {
        a = keys_.OnChar(static_cast<wchar_t>(wp));
    } else if (message == WM_KEYDOWN) {
        const std::optional<PanelKey> key = PanelKeyFor(static_cast<unsigned>(wp), ::GetKeyState(VK_SHIFT) < 0);
        if (!key) return false;
        if ((*key == PanelKey::Next || *key == PanelKey::Previous || *key == PanelKey::Enter) && ProgramKey(*key))
            return true;
        a = keys_.OnKey(*key);
    }
    CarryOut(a);
    return a.handled;
}

void SummonAndTyping::CarryOut(const KeyActions& a) {
    if (keys_.filter() != programsFilter_) FollowPrograms();  // first: the frame shows whether a program is selected
    if (a.repaint) calls_.render();
    if (a.moveTip) calls_.selectionMoved(keys_.selected());
    if (a.moveTip && programRow_ < 0) {
        const CButtonEx* selected = keys_.selected() >= 0 ? buttons_.At(static_cast<size_t>(keys_.selected())) : nullptr;
        if (selected) {
            const Rect r = selected->ScreenRect();
            calls_.showTip(ShownTitle(selected->iType, selected->Title), (r.left + r.right) / 2, (r.top + r.bottom) / 2);
        } else {
            calls_.hideTip(false);
        }
    }
    if (a.open >= 0) {
        if (CButtonEx* button = buttons_.At(static_cast<size_t>(a.open))) {
            calls_.hideTip(true);
            button->OpenItem();  // as a click: may run a loop of its own and delete the button
        }
    }
    if (a.sendBack) SendBack(true);
}
