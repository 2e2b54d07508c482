// Launching by typing while the panel has the keyboard: the typed filter, which buttons it
// dims, the selected button and what each key asks for. The panel window feeds in composed
// characters (WM_CHAR, input methods included) and the keys below by meaning, never scan
// codes, so every keyboard layout works; it carries out the actions it gets back.
#pragma once
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "panel/pinyin_match.h"

namespace quorlin {

// True when `filter` matches `title` in any way of panel/pinyin_match.h (anywhere in it,
// case folded, or by pinyin); an empty filter matches all.
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
    // The shown buttons' titles in ring order, the words of their own (aliases, matched
    // like the titles) and how often and lately each was opened (ranks equal matches;
    // missing ones are empty). Keeps the filter; the selection moves to the best match
    // when a filter is typed, else stays when it still names a button.
    void SetTitles(const std::vector<std::wstring>& titles, const std::vector<std::wstring>& aliases = {},
                   const std::vector<Usage>& usage = {});

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
    // How the button matches the filter (the better of its title and its aliases); every
    // button matches an empty filter at its start.
    MatchKind KindOf(std::size_t index) const;
    // The matching buttons ranked (RanksBefore), in ring order among equals: the order in
    // which the selection moves (ring order while nothing is typed).
    const std::vector<int>& Ranked() const { return ranked_; }

private:
    int FirstMatch() const;
    int Step(int from, int direction) const;
    KeyActions FilterChanged();
    void Rank();

    std::vector<SearchText> titles_;
    std::vector<SearchText> aliases_;
    std::vector<Usage> usage_;
    std::vector<MatchKind> kinds_;
    std::vector<int> ranked_;
    std::wstring filter_;
    int selected_ = -1;
};

}  // namespace quorlin
