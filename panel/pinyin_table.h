// The pinyin readings of the Han characters of the Basic Multilingual Plane, made by the
// build from the Unicode Consortium's Unihan data (kMandarin and kHanyuPinyin of Debian's
// unicode-data) by scripts/make_pinyin_table.py into a source file of the build tree.
// Every reading of a character, tones dropped, ü written v. Read it through
// panel/pinyin_match.h. Portable.
#pragma once

#include <cstddef>
#include <cstdint>

namespace quorlin::pinyin_table {

// The syllables, sorted, written one after another: syllable i is the text from
// kSyllableStart[i] to kSyllableStart[i + 1].
extern const char kSyllableText[];
extern const std::uint16_t kSyllableCount;
extern const std::uint16_t kSyllableStart[];
// A character c leads to kSetAt[kPageOf[c >> 8] * 256 + (c & 0xFF)], an offset into kSets
// (block 0 is all zeros: a page without readings).
extern const std::uint8_t kPageOf[256];
extern const std::uint16_t kSetAt[];
// At an offset: how many readings, then that many syllable numbers. Offset 0 holds 0.
extern const std::uint16_t kSets[];
// The bytes of all of the above, and how many characters have readings.
extern const std::size_t kTableBytes;
extern const std::size_t kCharacterCount;

}  // namespace quorlin::pinyin_table
