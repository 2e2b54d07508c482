// What the settings window offers and how its choices read and write setting.ini: the
// panel's sizes, the language choices, and a combination recorded in the hotkey field.
// Free of window code.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "panel/hotkey_text.h"

namespace quorlin {

// The sizes offered, in percent of the monitor's DPI, in the order the list shows them.
const std::vector<int>& ScaleChoices();
// The list's label of a size: "150 %".
std::wstring ScaleLabel(int percent);

// The language list: automatic (no LANG, the display language decides), Chinese, English.
enum class LanguageChoice { Automatic = 0, Chinese = 1, English = 2 };
// What [SETTING] LANG holds for a choice ("" means the key is removed).
std::wstring LanguageSetting(LanguageChoice choice);
// The choice a LANG value stands for (as the start reads it: "zh..." and "en..." in any
// case, anything else automatic).
LanguageChoice LanguageChoiceOf(const std::wstring& langSetting);

// What the hotkey field recorded: the virtual key and the field's own modifier flags
// (HOTKEYF_SHIFT 1, HOTKEYF_CONTROL 2, HOTKEYF_ALT 4; HOTKEYF_EXT 8 is ignored).
struct RecordedKey {
    unsigned vk = 0;
    unsigned flags = 0;
};
enum class RecordedState {
    Incomplete,  // only modifiers so far (or nothing): wait for the key
    Invalid,     // a key the hotkey cannot be: without Ctrl, Alt or Win, or not one of the keys it may use
    Valid,
};
struct RecordedHotkey {
    RecordedState state = RecordedState::Incomplete;
    Hotkey hotkey;  // when Valid
};
// A recorded combination as the program would register it: exactly the combinations
// setting.ini's HOTKEY accepts (ParseHotkey), so what the field takes the next start reads.
RecordedHotkey ReadRecordedKey(const RecordedKey& recorded);

}  // namespace quorlin
