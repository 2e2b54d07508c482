#include "app/ui_language_win.h"

#include <windows.h>

#include "framework/texts_win.h"
#include "framework/user_texts.h"

namespace quorlin {

UiLanguage UiLanguageFor(const std::wstring& settingsPath) {
    wchar_t value[32] = {};
    ::GetPrivateProfileStringW(L"SETTING", L"LANG", L"", value, 32, settingsPath.c_str());
    return ChooseUiLanguage(value, ::GetUserDefaultUILanguage());
}

void ApplyUiLanguage(UiLanguage language) {
    const LANGID id = language == UiLanguage::Chinese ? MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_SIMPLIFIED)
                                                      : MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);
    ::SetThreadUILanguage(id);
    ::SetThreadLocale(MAKELCID(id, SORT_DEFAULT));
    static ResourceTexts chinese(MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_SIMPLIFIED));
    static ResourceTexts english(MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US));
    SetTexts(language == UiLanguage::Chinese ? &chinese : &english);
    SetTextLanguage(language == UiLanguage::Chinese ? TextLanguage::Chinese : TextLanguage::English);
}

}  // namespace quorlin
