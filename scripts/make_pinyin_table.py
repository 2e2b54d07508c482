#!/usr/bin/env python3
"""Makes the pinyin table compiled into the program (panel/pinyin_table.h declares it) from
the Unicode Consortium's Unihan_Readings.txt as Debian's unicode-data ships it (bzip2-compressed;
plain or gzip-compressed files are read too). Run by the build (CMakeLists.txt); its output lives in the build tree only.

Every character of the Basic Multilingual Plane that has a reading (FIELDS below) gets
all of its readings (kMandarin's first, each once), tones dropped and ü written v. The readings of a character are one "set" of syllable numbers;
equal sets are stored once, and a two-level table over the plane (pages of 256 code points)
leads from a character to its set.

    make_pinyin_table.py Unihan_Readings.txt[.bz2|.gz] OUT.cpp
"""
import bz2
import gzip
import re
import sys
import unicodedata

# Where readings are taken from, the most customary first: kMandarin and kHanyuPinyin (the
# Hanyu Da Zidian), then the modern dictionaries and the frequency survey, which give the
# simplified characters' other readings (乐 is lè in the first two, also yuè in these).
FIELDS = ("kMandarin", "kHanyuPinyin", "kXHC1983", "kTGHZ2013", "kHanyuPinlu")
TONE_MARKS = {0x300, 0x301, 0x302, 0x304, 0x30C}  # grave, acute, circumflex (ê), macron, caron


def toneless(reading):
    decomposed = unicodedata.normalize("NFD", reading)
    kept = "".join(ch for ch in decomposed if ord(ch) not in TONE_MARKS)
    text = unicodedata.normalize("NFC", kept).lower().replace("ü", "v")
    return text if re.fullmatch(r"[a-z]{1,7}", text) else None


def read_readings(path):
    opener = bz2.open if path.endswith(".bz2") else gzip.open if path.endswith(".gz") else open
    per_char = {}
    about = []
    with opener(path, "rt", encoding="utf-8") as f:
        for line in f:
            if line.startswith("#"):
                m = re.match(r"#\s*(Date|Unicode version):\s*(.*)", line)
                if m:
                    about.append(f"{m.group(1)}: {m.group(2).strip()}")
                continue
            parts = line.rstrip("\n").split("\t")
            if len(parts) != 3 or parts[1] not in FIELDS:
                continue
            code = int(parts[0][2:], 16)
            if code > 0xFFFF:
                continue
            # kMandarin "zhòng"; the dictionaries "10001.010:yī 10003.050:dīng,zhēng" (locations,
            # a colon, readings); kHanyuPinlu "lè(283) yuè(54)" (readings with their frequency).
            found = [r for entry in parts[2].split()
                     for r in re.sub(r"\(\d+\)$", "", entry.split(":", 1)[-1]).split(",")]
            entry = per_char.setdefault(code, {f: [] for f in FIELDS})
            for r in found:
                syllable = toneless(r)
                if syllable is None:
                    sys.exit(f"make_pinyin_table: U+{code:04X} has a reading that is no pinyin: {r!r}")
                entry[parts[1]].append(syllable)
    readings = {}
    for code, entry in per_char.items():
        ordered = []
        for s in [s for f in FIELDS for s in entry[f]]:
            if s not in ordered:
                ordered.append(s)
        readings[code] = ordered
    return readings, about


def main():
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    source, out = sys.argv[1], sys.argv[2]
    readings, about = read_readings(source)
    if len(readings) < 20000:
        sys.exit(f"make_pinyin_table: only {len(readings)} characters with readings in {source}")
    syllables = sorted({s for ordered in readings.values() for s in ordered})
    number = {s: i for i, s in enumerate(syllables)}
    # kSets[0] is the empty set: a character without readings points there.
    sets = [0]
    set_at = {}
    offset_of = {}
    for code in sorted(readings):
        key = tuple(number[s] for s in readings[code])
        if key not in offset_of:
            offset_of[key] = len(sets)
            sets.append(len(key))
            sets.extend(key)
        set_at[code] = offset_of[key]
    if len(sets) > 0xFFFF or len(syllables) > 0xFFFF:
        sys.exit("make_pinyin_table: the table outgrew 16-bit offsets")
    pages = sorted({code >> 8 for code in set_at})
    page_of = [0] * 256
    blocks = [[0] * 256]
    for p in pages:
        page_of[p] = len(blocks)
        blocks.append([set_at.get((p << 8) | low, 0) for low in range(256)])
    text = "".join(syllables)
    starts = [0]
    for s in syllables:
        starts.append(starts[-1] + len(s))
    size = len(text) + 1 + 2 * len(starts) + 256 + 2 * 256 * len(blocks) + 2 * len(sets)

    def rows(values, per_line=24):
        return ",\n".join("    " + ", ".join(str(v) for v in values[i:i + per_line])
                          for i in range(0, len(values), per_line))

    with open(out, "w", encoding="utf-8") as f:
        f.write(f"// Made by scripts/make_pinyin_table.py from {source}"
                f"{' (' + ', '.join(about) + ')' if about else ''}; do not edit.\n")
        f.write(f"// {len(readings)} characters, {len(syllables)} syllables, "
                f"{len(offset_of)} sets of readings, {size} bytes.\n")
        f.write('#include "panel/pinyin_table.h"\n\nnamespace quorlin::pinyin_table {\n\n')
        f.write(f'const char kSyllableText[] = "{text}";\n')
        f.write(f"const std::uint16_t kSyllableCount = {len(syllables)};\n")
        f.write(f"const std::uint16_t kSyllableStart[] = {{\n{rows(starts)}}};\n")
        f.write(f"const std::uint8_t kPageOf[256] = {{\n{rows(page_of)}}};\n")
        f.write(f"const std::uint16_t kSetAt[] = {{\n{rows([v for b in blocks for v in b])}}};\n")
        f.write(f"const std::uint16_t kSets[] = {{\n{rows(sets)}}};\n")
        f.write(f"const std::size_t kTableBytes = {size};\n")
        f.write(f"const std::size_t kCharacterCount = {len(readings)};\n")
        f.write("\n}  // namespace quorlin::pinyin_table\n")


if __name__ == "__main__":
    main()
