#include "dialogs/settings_logic.h"

#include <iterator>

#include "app/app_state.h"
#include "app/ui_language.h"

namespace quorlin {

namespace {

// LANG_CHINESE and LANG_ENGLISH as display languages, to ask the start's own rule.
constexpr unsigned short kDisplayChinese = 0x04;
constexpr unsigned short kDisplayEnglish = 0x09;

bool IsModifierKey(unsigned vk) {
    return vk == 0x10 || vk == 0x11 || vk == 0x12 || vk == 0x5B || vk == 0x5C || (vk >= 0xA0 && vk <= 0xA5);
}

}  // namespace

const std::vector<int>& ScaleChoices() {
    static const std::vector<int> choices(std::begin(kScalePercents), std::end(kScalePercents));
    return choices;
}

std::wstring ScaleLabel(int percent) { return std::to_wstring(percent) + L" %"; }

std::wstring LanguageSetting(LanguageChoice choice) {
    switch (choice) {
        case LanguageChoice::Chinese: return L"zh";
        case LanguageChoice::English: return L"en";
        default: return L"";
    }
}

LanguageChoice LanguageChoiceOf(const std::wstring& langSetting) {
    // A value that wins over either display language names a language; anything else
    // leaves the choice to the display language.
    if (ChooseUiLanguage(langSetting, kDisplayEnglish) == UiLanguage::Chinese) return LanguageChoice::Chinese;
    if (ChooseUiLanguage(langSetting, kDisplayChinese) == UiLanguage::English) return LanguageChoice::English;
    return LanguageChoice::Automatic;
}

RecordedHotkey ReadRecordedKey(const RecordedKey& recorded) {
    RecordedHotkey out;
    if (recorded.vk == 0 || IsModifierKey(recorded.vk)) return out;
    Hotkey h;
    h.vk = recorded.vk;
    if (recorded.flags & 0x1) h.modifiers |= kModShift;
    if (recorded.flags & 0x2) h.modifiers |= kModControl;
    if (recorded.flags & 0x4) h.modifiers |= kModAlt;
    // What HOTKEY would read back: the same combination, or the key is not one it may be.
    const std::optional<Hotkey> back = ParseHotkey(FormatHotkey(h));
    out.state = back && *back == h ? RecordedState::Valid : RecordedState::Invalid;
    if (out.state == RecordedState::Valid) out.hotkey = h;
    return out;
}

}  // namespace quorlin
