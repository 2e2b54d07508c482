#include "app/ui_language_win.h"

#include <windows.h>

#include "framework/user_texts.h"
#include "framework/window_win.h"

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
    SetTextLanguage(language == UiLanguage::Chinese ? TextLanguage::Chinese : TextLanguage::English);
}

std::wstring LoadText(unsigned id) {
    const wchar_t* text = nullptr;
    // With a zero length LoadStringW hands out a pointer to the resource itself.
    const int length = ::LoadStringW(fw::ResourceModule(), id, reinterpret_cast<LPWSTR>(&text), 0);
    return length > 0 && text ? std::wstring(text, static_cast<size_t>(length)) : std::wstring();
}

}  // namespace quorlin
