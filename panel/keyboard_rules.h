// Launching by typing while the panel has the keyboard: the typed filter, which buttons it
// dims, the selected button and what each key asks for. The panel window feeds in composed
// characters (WM_CHAR, input methods included) and the keys below by meaning, never scan
// codes, so every keyboard layout works; it carries out the actions it gets back.
#pragma once
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace quorlin {

// Simple case fold of one character: ASCII, Latin-1, Latin Extended-A, Greek and Cyrillic
// capitals become small letters, full-width Latin letters and digits (an input method in
// full-width mode) become ASCII ones; every other character, Chinese included, stays.
wchar_t FoldChar(wchar_t c);
std::wstring FoldText(const std::wstring& text);

// True when `filter` occurs anywhere in `title`, case folded; an empty filter matches all.
bool TitleMatches(const std::wstring& title, const std::wstring& filter);

// Keys that arrive as key-downs rather than characters.
enum class PanelKey { Next, Previous, Enter, Backspace, Escape };

// The panel key of a WM_KEYDOWN virtual-key code (the same on every layout), or nothing:
// Right, Down and Tab move to the next button in ring order; Left, Up and Shift+Tab back.
std::optional<PanelKey> PanelKeyFor(unsigned vk, bool shiftDown);

// What the panel must do after one key, in this order.
struct KeyActions {
    bool handled = false;   // the key was the panel's: swallow it
    bool repaint = false;   // the dimmed buttons or the selected one changed: render again
    bool moveTip = false;   // show the tip on the selected button, or hide it when none is
    int open = -1;          // open this button (index in ring order) exactly as a click does
    bool sendBack = false;  // return the panel to its layer
};

class KeyboardSession {
public:
    // The shown buttons' titles in ring order. Keeps the filter; the selection moves to the
    // first match when a filter is typed, else stays when it still names a button.
    void SetTitles(std::vector<std::wstring> titles);

    // One composed character (WM_CHAR). Control characters are not handled here: Enter,
    // Backspace, Esc and Tab come as keys. Digits 1-9 with no filter open that button.
    KeyActions OnChar(wchar_t c);
    KeyActions OnKey(PanelKey key);
    // The panel lost the keyboard: filter and selection are dropped.
    KeyActions Reset();

    const std::wstring& filter() const { return filter_; }
    // Index of the selected button (drawn as hovered), or -1.
    int selected() const { return selected_; }
    // True when a filter is typed and this button's title does not match it.
    bool IsDimmed(std::size_t index) const;

private:
    int FirstMatch() const;
    int Step(int from, int direction) const;
    KeyActions FilterChanged();

    std::vector<std::wstring> titles_;
    std::vector<bool> matches_;
    std::wstring filter_;
    int selected_ = -1;
};

}  // namespace quorlin
