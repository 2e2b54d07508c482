#include "panel/keyboard_rules.h"

#include <algorithm>
#include <utility>

namespace quorlin {

bool TitleMatches(const std::wstring& title, const std::wstring& filter) {
    return MatchText(title, filter) != MatchKind::None;
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

void KeyboardSession::SetTitles(const std::vector<std::wstring>& titles, const std::vector<std::wstring>& aliases,
                                const std::vector<Usage>& usage) {
    usage_ = usage;
    usage_.resize(titles.size());
    titles_.clear();
    aliases_.clear();
    titles_.reserve(titles.size());
    aliases_.reserve(titles.size());
    for (std::size_t i = 0; i < titles.size(); ++i) {
        titles_.emplace_back(titles[i]);
        aliases_.emplace_back(i < aliases.size() ? SearchText(aliases[i]) : SearchText());
    }
    Rank();
    if (filter_.empty()) {
        if (selected_ >= static_cast<int>(titles_.size())) selected_ = -1;
        return;
    }
    selected_ = FirstMatch();
}

void KeyboardSession::Rank() {
    const std::wstring folded = FoldText(filter_);
    kinds_.assign(titles_.size(), MatchKind::TitleStart);
    ranked_.clear();
    for (std::size_t i = 0; i < titles_.size(); ++i) {
        if (!filter_.empty()) {
            const MatchKind own = aliases_[i].empty() ? MatchKind::None : aliases_[i].Match(folded);
            kinds_[i] = std::min(titles_[i].Match(folded), own);
        }
        if (kinds_[i] != MatchKind::None) ranked_.push_back(static_cast<int>(i));
    }
    if (filter_.empty()) return;  // ring order
    std::stable_sort(ranked_.begin(), ranked_.end(), [this](int x, int y) {
        const std::size_t a = static_cast<std::size_t>(x), b = static_cast<std::size_t>(y);
        return RanksBefore(kinds_[a], usage_[a], kinds_[b], usage_[b]);
    });
}

bool KeyboardSession::IsDimmed(std::size_t index) const {
    return !filter_.empty() && index < kinds_.size() && kinds_[index] == MatchKind::None;
}

MatchKind KeyboardSession::KindOf(std::size_t index) const {
    return index < kinds_.size() ? kinds_[index] : MatchKind::None;
}

int KeyboardSession::FirstMatch() const { return ranked_.empty() ? -1 : ranked_.front(); }

int KeyboardSession::Step(int from, int direction) const {
    const int n = static_cast<int>(ranked_.size());
    for (int k = 0; k < n; ++k)
        if (ranked_[static_cast<std::size_t>(k)] == from)
            return ranked_[static_cast<std::size_t>(((k + direction) % n + n) % n)];
    return from;
}

KeyActions KeyboardSession::FilterChanged() {
    Rank();
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
