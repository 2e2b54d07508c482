// The global hotkey as readable text ("Ctrl+Alt+Space"), the way setting.ini and the tray
// menu show it, and the order in which the panel tries combinations. Portable: the values
// are those RegisterHotKey takes, written out here as numbers.
#pragma once
#include <optional>
#include <string>
#include <vector>

namespace quorlin {

// RegisterHotKey modifier flags.
constexpr unsigned kModAlt = 0x0001;
constexpr unsigned kModControl = 0x0002;
constexpr unsigned kModShift = 0x0004;
constexpr unsigned kModWin = 0x0008;
constexpr unsigned kModNoRepeat = 0x4000;

// A key combination: modifier flags (without kModNoRepeat) and a virtual-key code.
struct Hotkey {
    unsigned modifiers = 0;
    unsigned vk = 0;
    bool operator==(const Hotkey& o) const { return modifiers == o.modifiers && vk == o.vk; }
    bool operator!=(const Hotkey& o) const { return !(*this == o); }
};

// The program's own hotkey, tried first: Win+S (Windows 8 and later keep it for Search).
constexpr Hotkey kWinSHotkey{kModWin, 0x53};
// Used when Win+S is refused and setting.ini names no valid combination: Ctrl+Alt+Space.
// Windows 10/11 and the input methods do not use it; Ctrl+Alt with a letter or digit is
// AltGr on many European layouts (German AltGr+Q is @, Polish AltGr+A is ą), and
// Ctrl+Alt+F1..F12 switch consoles on X (Wine on Linux). README.md gives the reasoning.
constexpr Hotkey kDefaultHotkey{kModControl | kModAlt, 0x20};

// Setting key of the user's combination in [SETTING] of setting.ini.
inline constexpr wchar_t kHotkeySettingKey[] = L"HOTKEY";

// Parses "Ctrl+Alt+Q": parts joined by '+', spaces around them ignored, case-insensitive.
// Modifiers: Ctrl or Control, Alt, Shift, Win or Windows, each at most once, in any order.
// Exactly one key: A-Z, 0-9, F1-F24, Num0-Num9, Space, Insert/Ins, Delete/Del, Home, End,
// PageUp/PgUp, PageDown/PgDn, Left, Right, Up, Down, Pause. At least one of Ctrl, Alt or Win
// (Shift alone would take a capital letter from every program). Anything else gives nothing,
// so the caller uses its default.
std::optional<Hotkey> ParseHotkey(const std::wstring& text);

// The readable form, modifiers in the order Ctrl, Alt, Shift, Win: "Ctrl+Alt+Space".
// A key outside the parsed set is written as its code ("0xBA").
std::wstring FormatHotkey(const Hotkey& hotkey);

// Flags to pass to RegisterHotKey: the combination's modifiers plus kModNoRepeat, because
// the hotkey toggles the panel and a held key must not flip it back and forth.
unsigned RegistrationModifiers(const Hotkey& hotkey);

// The combinations to register, first that succeeds wins: the user's valid HOTKEY text,
// else Win+S; then the default; never the same combination twice.
std::vector<Hotkey> HotkeyCandidates(const std::wstring& settingText);

// Tray menu line naming the hotkey in use.
std::wstring HotkeyMenuText(const Hotkey& hotkey);
// Tray menu line when no combination could be registered.
std::wstring NoHotkeyMenuText();
// Balloon text, shown once, when every candidate was refused.
std::wstring HotkeyRefusedText(const std::vector<Hotkey>& tried);

}  // namespace quorlin
