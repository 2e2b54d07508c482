#include "panel/pinyin_match.h"

#include "panel/pinyin_table.h"

namespace quorlin {

namespace {

namespace table = pinyin_table;

// Where the readings of a character are in the table's sets (offset 0: none).
std::uint16_t SetAtOf(wchar_t c) {
    const std::uint32_t u = static_cast<std::uint32_t>(c);
    if (u > 0xFFFF) return 0;
    return table::kSetAt[table::kPageOf[u >> 8] * 256u + (u & 0xFFu)];
}

// The readings of a character from the table: a count, then the syllables' numbers.
const std::uint16_t* SetOf(wchar_t c) { return table::kSets + SetAtOf(c); }

// Han characters of the plane, also those the table has no reading for.
bool IsHan(std::uint32_t u) {
    return (u >= 0x3400 && u <= 0x4DBF) || (u >= 0x4E00 && u <= 0x9FFF) || (u >= 0xF900 && u <= 0xFAFF);
}

// Spaces and signs, which belong to no word: ASCII and Latin-1 ones, general punctuation,
// CJK symbols and punctuation, and the full-width signs.
bool IsSeparator(std::uint32_t u) {
    if (u < 0x80) return !((u >= '0' && u <= '9') || (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z'));
    return (u >= 0xA0 && u <= 0xBF) || u == 0xD7 || u == 0xF7 || (u >= 0x2000 && u <= 0x206F) ||
           (u >= 0x3000 && u <= 0x303F) || (u >= 0xFF00 && u <= 0xFF0F) || (u >= 0xFF1A && u <= 0xFF20) ||
           (u >= 0xFF3B && u <= 0xFF40) || (u >= 0xFF5B && u <= 0xFF65);
}

// A letter of a syllable against a typed one: ü is kept as v and may be typed v or u.
bool SameLetter(char syllable, wchar_t typed) {
    return static_cast<wchar_t>(syllable) == typed || (syllable == 'v' && typed == L'u');
}

constexpr std::size_t kMaxPinyinFilter = 63;  // a bit per typed character, and one for the end

std::uint64_t Bit(std::size_t j) { return std::uint64_t{1} << j; }

unsigned LowestBit(std::uint64_t bits) { return static_cast<unsigned>(__builtin_ctzll(bits)); }

// The bit of a folded character in SearchText::letters_.
std::uint64_t LetterBit(wchar_t c) {
    if (c >= L'a' && c <= L'z') return Bit(static_cast<std::size_t>(c - L'a'));
    if (c >= L'0' && c <= L'9') return Bit(26 + static_cast<std::size_t>(c - L'0'));
    return Bit(63);
}

}  // namespace

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

std::vector<std::string> PinyinOf(wchar_t c) {
    const std::uint16_t* set = SetOf(c);
    std::vector<std::string> out;
    for (std::uint16_t k = 0; k < set[0]; ++k) {
        const std::uint16_t id = set[1 + k];
        out.emplace_back(table::kSyllableText + table::kSyllableStart[id],
                         table::kSyllableText + table::kSyllableStart[id + 1]);
    }
    return out;
}

SearchText::SearchText(const std::wstring& text) {
    units_.reserve(text.size());
    bool seenWord = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const std::uint32_t c = static_cast<std::uint32_t>(text[i]);
        Unit u;
        u.set = SetAtOf(text[i]);
        u.folded = FoldChar(text[i]);
        u.han = table::kSets[u.set] > 0 || IsHan(c);
        letters_ |= LetterBit(u.folded);
        for (std::uint16_t k = 0; k < table::kSets[u.set]; ++k) {
            const std::uint16_t id = table::kSets[u.set + 1 + k];
            for (std::uint16_t p = table::kSyllableStart[id]; p < table::kSyllableStart[id + 1]; ++p) {
                const char letter = table::kSyllableText[p];
                letters_ |= LetterBit(static_cast<wchar_t>(letter)) | (letter == 'v' ? LetterBit(L'u') : 0);
            }
        }
        u.separator = !u.han && IsSeparator(c);
        const Unit* before = units_.empty() ? nullptr : &units_.back();
        u.wordStart = !u.separator && (!before || before->separator || before->han != u.han);
        if (!seenWord && !u.separator) {
            firstWord_ = i;
            seenWord = true;
        }
        units_.push_back(u);
    }
}

// One walk over the units with a bit per typed character: bit j of a mask says that the
// first j typed characters are matched by the units before this one. Strict matches take
// each unit whole (the last one may end within a syllable); loose ones may also take a
// start of a syllable, or a start of a Latin word and skip its rest up to the next word.
bool SearchText::Pass(const std::wstring& f, Starts starts, bool loose) const {
    const std::size_t m = f.size();
    std::uint64_t spaces = 0;  // a typed space may stand for the skipped rest of a word
    for (std::size_t j = 0; j < m; ++j)
        if (f[j] == L' ') spaces |= Bit(j);
    std::uint64_t strict = 0, relaxed = 0, skipping = 0;
    for (std::size_t i = 0; i < units_.size(); ++i) {
        const Unit& u = units_[i];
        if (u.wordStart) {
            relaxed |= skipping | ((skipping & spaces) << 1);
            skipping = 0;
            if (relaxed & Bit(m)) return true;
        }
        const bool start = starts == Starts::Anywhere || (starts == Starts::WordStarts && u.wordStart) ||
                           (starts == Starts::TitleStart && (i == 0 || i == firstWord_));
        if (start) strict |= 1;
        std::uint64_t nextStrict = 0, nextRelaxed = 0, nextSkipping = skipping;
        for (int mode = 0; mode < 2; ++mode) {
            std::uint64_t bits = mode == 0 ? strict : relaxed;
            std::uint64_t& same = mode == 0 ? nextStrict : nextRelaxed;
            while (bits) {
                const unsigned j = LowestBit(bits);
                bits &= bits - 1;
                if (f[j] == u.folded) {
                    same |= Bit(j + 1);
                    if (loose && !u.han && !u.separator) nextSkipping |= Bit(j + 1);
                }
                const std::uint16_t* readings = table::kSets + u.set;  // a count, then the syllables
                const std::uint16_t* syllables = readings + 1;
                for (std::uint16_t k = 0; k < readings[0]; ++k) {
                    const char* s = table::kSyllableText + table::kSyllableStart[syllables[k]];
                    const std::size_t n = table::kSyllableStart[syllables[k] + 1] - table::kSyllableStart[syllables[k]];
                    std::size_t p = 0;
                    while (p < n && j + p < m && SameLetter(s[p], f[j + p])) ++p;
                    for (std::size_t q = 1; q <= p; ++q) {
                        if (q == n || j + q == m) same |= Bit(j + q);
                        else if (loose) nextRelaxed |= Bit(j + q);
                    }
                }
            }
        }
        if ((nextStrict | nextRelaxed) & Bit(m)) return true;
        strict = nextStrict;
        relaxed = nextRelaxed;
        skipping = nextSkipping;
    }
    return false;
}

MatchKind SearchText::MatchCharacters(const std::wstring& f) const {
    std::wstring folded;
    folded.reserve(units_.size());
    for (const Unit& u : units_) folded += u.folded;
    MatchKind best = MatchKind::None;
    for (std::size_t at = folded.find(f); at != std::wstring::npos; at = folded.find(f, at + 1)) {
        const MatchKind kind = (at == 0 || at == firstWord_) ? MatchKind::TitleStart
                               : units_[at].wordStart      ? MatchKind::WordStart
                                                           : MatchKind::AnyPart;
        if (kind < best) best = kind;
    }
    return best;
}

MatchKind SearchText::Match(const std::wstring& f) const {
    if (f.empty()) return MatchKind::TitleStart;
    std::uint64_t needed = 0;
    for (wchar_t c : f)
        if (c != L' ') needed |= LetterBit(c);  // a typed space may stand for a skipped rest
    if (needed & ~letters_) return MatchKind::None;
    if (f.size() > kMaxPinyinFilter) return MatchCharacters(f);
    if (Pass(f, Starts::TitleStart, false)) return MatchKind::TitleStart;
    if (Pass(f, Starts::WordStarts, false)) return MatchKind::WordStart;
    if (Pass(f, Starts::WordStarts, true)) return MatchKind::Initials;
    if (Pass(f, Starts::Anywhere, false)) return MatchKind::AnyPart;
    return MatchKind::None;
}

MatchKind MatchText(const std::wstring& text, const std::wstring& filter) {
    return SearchText(text).Match(FoldText(filter));
}

}  // namespace quorlin
