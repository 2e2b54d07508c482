#include "panel/hotkey_text.h"

#include "framework/texts.h"

#include <cstdio>

namespace quorlin {

namespace {

struct NamedKey {
    const wchar_t* name;
    unsigned vk;
};

// Layout-independent keys by name; the first name of a code is the one written back.
constexpr NamedKey kNamedKeys[] = {
    {L"Space", 0x20},    {L"PageUp", 0x21}, {L"PgUp", 0x21}, {L"PageDown", 0x22}, {L"PgDn", 0x22},
    {L"End", 0x23},      {L"Home", 0x24},   {L"Left", 0x25}, {L"Up", 0x26},       {L"Right", 0x27},
    {L"Down", 0x28},     {L"Insert", 0x2D}, {L"Ins", 0x2D},  {L"Delete", 0x2E},   {L"Del", 0x2E},
    {L"Pause", 0x13},
};

struct NamedModifier {
    const wchar_t* name;
    unsigned flag;
};

constexpr NamedModifier kModifierNames[] = {
    {L"Ctrl", kModControl}, {L"Control", kModControl}, {L"Alt", kModAlt},
    {L"Shift", kModShift},  {L"Win", kModWin},         {L"Windows", kModWin},
};

wchar_t AsciiLower(wchar_t c) {
    return (c >= L'A' && c <= L'Z') ? static_cast<wchar_t>(c - L'A' + L'a') : c;
}

bool SameWord(const std::wstring& a, const wchar_t* b) {
    std::size_t i = 0;
    for (; i < a.size() && b[i]; ++i)
        if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
    return i == a.size() && !b[i];
}

bool IsSpace(wchar_t c) {
    return c == L' ' || c == L'\t';
}

// A number of 1 to 2 decimal digits and nothing else, or -1.
int SmallNumber(const std::wstring& s, std::size_t from) {
    if (from >= s.size() || s.size() - from > 2) return -1;
    int n = 0;
    for (std::size_t i = from; i < s.size(); ++i) {
        if (s[i] < L'0' || s[i] > L'9') return -1;
        n = n * 10 + (s[i] - L'0');
    }
    if (s.size() - from == 2 && s[from] == L'0') return -1;  // "F01" is not a key name
    return n;
}

// Virtual-key code of one key name, or 0.
unsigned KeyCode(const std::wstring& part) {
    if (part.size() == 1) {
        const wchar_t c = AsciiLower(part[0]);
        if (c >= L'a' && c <= L'z') return 0x41 + static_cast<unsigned>(c - L'a');
        if (c >= L'0' && c <= L'9') return 0x30 + static_cast<unsigned>(c - L'0');
        return 0;
    }
    if (AsciiLower(part[0]) == L'f') {
        const int n = SmallNumber(part, 1);
        if (n >= 1 && n <= 24) return 0x70 + static_cast<unsigned>(n - 1);
    }
    if (part.size() == 4 && SameWord(part.substr(0, 3), L"Num")) {
        const int n = SmallNumber(part, 3);
        if (n >= 0 && n <= 9) return 0x60 + static_cast<unsigned>(n);
    }
    for (const NamedKey& k : kNamedKeys)
        if (SameWord(part, k.name)) return k.vk;
    return 0;
}

unsigned ModifierFlag(const std::wstring& part) {
    for (const NamedModifier& m : kModifierNames)
        if (SameWord(part, m.name)) return m.flag;
    return 0;
}

std::wstring KeyName(unsigned vk) {
    if (vk >= 0x41 && vk <= 0x5A) return std::wstring(1, static_cast<wchar_t>(L'A' + (vk - 0x41)));
    if (vk >= 0x30 && vk <= 0x39) return std::wstring(1, static_cast<wchar_t>(L'0' + (vk - 0x30)));
    if (vk >= 0x70 && vk <= 0x87) return L"F" + std::to_wstring(vk - 0x70 + 1);
    if (vk >= 0x60 && vk <= 0x69) return L"Num" + std::to_wstring(vk - 0x60);
    for (const NamedKey& k : kNamedKeys)
        if (k.vk == vk) return k.name;
    wchar_t buf[16];
    std::swprintf(buf, 16, L"0x%02X", vk & 0xFFFFu);
    return buf;
}

}  // namespace

std::optional<Hotkey> ParseHotkey(const std::wstring& text) {
    Hotkey result;
    std::size_t start = 0;
    while (true) {
        const std::size_t plus = text.find(L'+', start);
        const std::size_t end = plus == std::wstring::npos ? text.size() : plus;
        std::size_t a = start, b = end;
        while (a < b && IsSpace(text[a])) ++a;
        while (b > a && IsSpace(text[b - 1])) --b;
        if (a == b) return std::nullopt;  // empty part: "Ctrl++Q", "+Q", "Ctrl+", ""
        const std::wstring part = text.substr(a, b - a);

        if (const unsigned flag = ModifierFlag(part)) {
            if (result.modifiers & flag) return std::nullopt;  // the same modifier twice
            result.modifiers |= flag;
        } else if (const unsigned vk = KeyCode(part)) {
            if (result.vk) return std::nullopt;  // two keys
            result.vk = vk;
        } else {
            return std::nullopt;  // unknown name
        }
        if (plus == std::wstring::npos) break;
        start = plus + 1;
    }
    if (!result.vk) return std::nullopt;
    if (!(result.modifiers & (kModControl | kModAlt | kModWin))) return std::nullopt;
    return result;
}

std::wstring FormatHotkey(const Hotkey& hotkey) {
    std::wstring text;
    if (hotkey.modifiers & kModControl) text += L"Ctrl+";
    if (hotkey.modifiers & kModAlt) text += L"Alt+";
    if (hotkey.modifiers & kModShift) text += L"Shift+";
    if (hotkey.modifiers & kModWin) text += L"Win+";
    return text + KeyName(hotkey.vk);
}

unsigned RegistrationModifiers(const Hotkey& hotkey) {
    return (hotkey.modifiers & (kModAlt | kModControl | kModShift | kModWin)) | kModNoRepeat;
}

std::vector<Hotkey> HotkeyCandidates(const std::wstring& settingText) {
    std::vector<Hotkey> list;
    const std::optional<Hotkey> user = ParseHotkey(settingText);
    list.push_back(user ? *user : kWinSHotkey);
    if (list.front() != kDefaultHotkey) list.push_back(kDefaultHotkey);
    return list;
}

std::wstring HotkeyMenuText(const Hotkey& hotkey) {
    return FillIn(Text(IDS_HOTKEY_MENU), {FormatHotkey(hotkey)});
}

std::wstring NoHotkeyMenuText() {
    return Text(IDS_HOTKEY_NONE);
}

std::wstring HotkeyRefusedText(const std::vector<Hotkey>& tried) {
    std::wstring names;
    for (const Hotkey& h : tried) {
        if (!names.empty()) names += Text(IDS_LIST_SEPARATOR);
        names += FormatHotkey(h);
    }
    return FillIn(Text(tried.size() > 1 ? IDS_HOTKEY_REFUSED_ALL : IDS_HOTKEY_REFUSED_ONE), {names});
}

}  // namespace quorlin
