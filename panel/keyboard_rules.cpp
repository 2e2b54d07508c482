#include "panel/keyboard_rules.h"

#include <utility>

namespace quorlin {

wchar_t FoldChar(wchar_t c) {
    const unsigned u = static_cast<unsigned>(c);
    auto to = [](unsigned v) { return static_cast<wchar_t>(v); };
    if (u < 0x80) return (u >= 'A' && u <= 'Z') ? to(u + 0x20) : c;
    // Latin-1: À..Þ except the multiplication sign.
    if (u >= 0xC0 && u <= 0xDE && u != 0xD7) return to(u + 0x20);
    // Latin Extended-A: capitals and small letters alternate, with a few odd ones out.
    if (u >= 0x100 && u <= 0x17F) {
        if (u == 0x130) return L'i';                                        // İ
        if (u == 0x178) return to(0xFF);                                    // Ÿ
        if ((u <= 0x137 || (u >= 0x14A && u <= 0x177)) && u % 2 == 0) return to(u + 1);
        if (((u >= 0x139 && u <= 0x148) || (u >= 0x179 && u <= 0x17E)) && u % 2 == 1) return to(u + 1);
        return c;
    }
    // Greek.
    if (u >= 0x391 && u <= 0x3A9 && u != 0x3A2) return to(u + 0x20);
    if (u == 0x386) return to(0x3AC);
    if (u >= 0x388 && u <= 0x38A) return to(u + 0x25);
    if (u == 0x38C) return to(0x3CC);
    if (u == 0x38E || u == 0x38F) return to(u + 0x3F);
    // Cyrillic.
    if (u >= 0x410 && u <= 0x42F) return to(u + 0x20);
    if (u >= 0x400 && u <= 0x40F) return to(u + 0x50);
    // Full-width forms: digits and letters as their ASCII small forms.
    if (u >= 0xFF10 && u <= 0xFF19) return to('0' + (u - 0xFF10));
    if (u >= 0xFF21 && u <= 0xFF3A) return to('a' + (u - 0xFF21));
    if (u >= 0xFF41 && u <= 0xFF5A) return to('a' + (u - 0xFF41));
    return c;
}

std::wstring FoldText(const std::wstring& text) {
    std::wstring out(text);
    for (wchar_t& c : out) c = FoldChar(c);
    return out;
}

bool TitleMatches(const std::wstring& title, const std::wstring& filter) {
    return FoldText(title).find(FoldText(filter)) != std::wstring::npos;
}

std::optional<PanelKey> PanelKeyFor(unsigned vk, bool shiftDown) {
    switch (vk) {
        case 0x09: return shiftDown ? PanelKey::Previous : PanelKey::Next;  // VK_TAB
        case 0x27:                                                          // VK_RIGHT
        case 0x28: return PanelKey::Next;                                   // VK_DOWN
        case 0x25:                                                          // VK_LEFT
        case 0x26: return PanelKey::Previous;                               // VK_UP
        case 0x0D: return PanelKey::Enter;                                  // VK_RETURN
        case 0x08: return PanelKey::Backspace;                              // VK_BACK
        case 0x1B: return PanelKey::Escape;                                 // VK_ESCAPE
        default: return std::nullopt;
    }
}

void KeyboardSession::SetTitles(std::vector<std::wstring> titles) {
    titles_ = std::move(titles);
    matches_.assign(titles_.size(), true);
    if (filter_.empty()) {
        if (selected_ >= static_cast<int>(titles_.size())) selected_ = -1;
        return;
    }
    for (std::size_t i = 0; i < titles_.size(); ++i) matches_[i] = TitleMatches(titles_[i], filter_);
    selected_ = FirstMatch();
}

bool KeyboardSession::IsDimmed(std::size_t index) const {
    return !filter_.empty() && index < matches_.size() && !matches_[index];
}

int KeyboardSession::FirstMatch() const {
    for (std::size_t i = 0; i < matches_.size(); ++i)
        if (matches_[i]) return static_cast<int>(i);
    return -1;
}

int KeyboardSession::Step(int from, int direction) const {
    const int n = static_cast<int>(matches_.size());
    for (int k = 1; k <= n; ++k) {
        const int i = ((from + direction * k) % n + n) % n;
        if (matches_[static_cast<std::size_t>(i)]) return i;
    }
    return from;
}

KeyActions KeyboardSession::FilterChanged() {
    for (std::size_t i = 0; i < titles_.size(); ++i)
        matches_[i] = filter_.empty() || TitleMatches(titles_[i], filter_);
    selected_ = filter_.empty() ? -1 : FirstMatch();
    KeyActions a;
    a.handled = a.repaint = a.moveTip = true;
    return a;
}

KeyActions KeyboardSession::OnChar(wchar_t c) {
    KeyActions a;
    if (static_cast<unsigned>(c) < 0x20 || c == 0x7F) return a;
    const wchar_t f = FoldChar(c);
    if (filter_.empty()) {
        if (f >= L'1' && f <= L'9') {
            a.handled = true;
            const std::size_t n = static_cast<std::size_t>(f - L'1');
            if (n < titles_.size()) a.open = static_cast<int>(n);
            return a;
        }
        if (f == L' ' || f == 0x3000) {  // a leading space filters nothing
            a.handled = true;
            return a;
        }
    }
    filter_ += c;
    return FilterChanged();
}

KeyActions KeyboardSession::OnKey(PanelKey key) {
    KeyActions a;
    a.handled = true;
    switch (key) {
        case PanelKey::Next:
        case PanelKey::Previous: {
            const int first = FirstMatch();
            if (first < 0) break;
            const int direction = key == PanelKey::Next ? 1 : -1;
            const int target = selected_ < 0 ? (direction > 0 ? first : Step(first, -1)) : Step(selected_, direction);
            if (target != selected_) {
                selected_ = target;
                a.repaint = a.moveTip = true;
            }
            break;
        }
        case PanelKey::Enter:
            a.open = selected_;
            break;
        case PanelKey::Backspace:
            if (filter_.empty()) break;
        {
            // A character outside the BMP comes as two UTF-16 units; remove both.
            const bool low = (static_cast<unsigned>(filter_.back()) & 0xFC00u) == 0xDC00u;
            filter_.pop_back();
            if (low && !filter_.empty() && (static_cast<unsigned>(filter_.back()) & 0xFC00u) == 0xD800u)
                filter_.pop_back();
        }
            return FilterChanged();
        case PanelKey::Escape:
            if (filter_.empty() && selected_ < 0) {
                a.sendBack = true;
                break;
            }
            filter_.clear();
            return FilterChanged();
    }
    return a;
}

KeyActions KeyboardSession::Reset() {
    KeyActions a;
    if (filter_.empty() && selected_ < 0) return a;
    filter_.clear();
    a = FilterChanged();
    a.handled = false;
    return a;
}

}  // namespace quorlin
