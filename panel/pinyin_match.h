// Matching what is typed against a button's title (or the words of its own): by the
// characters themselves, case folded, anywhere in the text; and a Chinese text also by the
// pinyin of its characters (panel/pinyin_table.h), with every reading of a character that
// has several: full pinyin ("chongqing" and "zhongqing" find 重庆), initials or any start of
// each syllable ("cq", "zhq"), mixed with Latin letters and digits ("qqyy" finds qq音乐), and
// from any character on ("xin" finds 微信). Tones are never typed; ü is typed v (or u).
// Portable.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "store/usage_table.h"

namespace quorlin {

// Simple case fold of one character: ASCII, Latin-1, Latin Extended-A, Greek and Cyrillic
// capitals become small letters, full-width Latin letters and digits (an input method in
// full-width mode) become ASCII ones; every other character, Chinese included, stays.
wchar_t FoldChar(wchar_t c);
std::wstring FoldText(const std::wstring& text);

// The toneless readings of a character, most common first (none for a character that has
// no reading in the table).
std::vector<std::string> PinyinOf(wchar_t c);

// How a typed text matches, best first; the ring's matches are ranked by it.
//  - TitleStart: the text from its start (its first word) on, each character whole;
//  - WordStart: from the start of a word (after a space or a sign, or where Latin letters
//    and Han characters meet; a run of Han characters is one word);
//  - Initials: from the start of a word, each syllable or word by any start of it ("wx"
//    finds 微信, "vs" finds "Visual Studio");
//  - AnyPart: from any character on, each character whole.
enum class MatchKind : std::uint8_t { TitleStart, WordStart, Initials, AnyPart, None };

// The ranking of what typing finds (ring buttons among themselves, programs among
// themselves): the better kind of match first, whatever the usage; among equal kinds the
// one opened more often, then the one opened more lately (store/usage_table.h). Equals
// are left in the caller's order (ring order, name order).
inline bool RanksBefore(MatchKind a, const Usage& usedA, MatchKind b, const Usage& usedB) {
    return a != b ? a < b : UsedMore(usedA, usedB);
}

// A text made ready once for the matching of every keystroke (no allocation per match).
class SearchText {
public:
    SearchText() = default;
    explicit SearchText(const std::wstring& text);

    // The best kind by which `foldedFilter` (FoldText of what is typed) matches; an empty
    // filter matches every text at its start. A filter of more than 63 characters matches
    // by the characters only.
    MatchKind Match(const std::wstring& foldedFilter) const;
    bool empty() const { return units_.empty(); }

private:
    struct Unit {  // 8 bytes where wchar_t has 16 bits: 5,000 names of 15 characters take 600 KB
        std::uint16_t set = 0;  // the readings: their offset in the table's sets (0: none)
        wchar_t folded = 0;
        bool separator = false;  // a space or a sign: no part of any word
        bool wordStart = false;
        bool han = false;
    };
    enum class Starts { TitleStart, WordStarts, Anywhere };
    bool Pass(const std::wstring& filter, Starts starts, bool loose) const;
    MatchKind MatchCharacters(const std::wstring& filter) const;

    std::vector<Unit> units_;
    std::size_t firstWord_ = 0;  // the first unit that is no separator
    // Every letter and digit the text can match by (its characters and its readings' letters),
    // a bit each, and bit 63 for any other character: a filter needing one it lacks is
    // refused at once (most of 5,000 programs, for each keystroke).
    std::uint64_t letters_ = 0;
};

// The kind by which `filter` (as typed) matches `text`.
MatchKind MatchText(const std::wstring& text, const std::wstring& filter);

}  // namespace quorlin
