#include "app/ui_language.h"

#include <cwctype>

namespace quorlin {

namespace {

const unsigned short kPrimaryChinese = 0x04;  // LANG_CHINESE

bool StartsWithNoCase(const std::wstring& text, const wchar_t* prefix) {
    size_t i = 0;
    for (; prefix[i]; ++i) {
        if (i >= text.size() || static_cast<wchar_t>(std::towlower(text[i])) != prefix[i]) return false;
    }
    // "zh", "zh-CN", "zh_TW": the language alone or followed by a region.
    return i == text.size() || text[i] == L'-' || text[i] == L'_';
}

}  // namespace

UiLanguage ChooseUiLanguage(const std::wstring& langSetting, unsigned short userUiLanguageId) {
    if (StartsWithNoCase(langSetting, L"zh")) return UiLanguage::Chinese;
    if (StartsWithNoCase(langSetting, L"en")) return UiLanguage::English;
    return (userUiLanguageId & 0x3ff) == kPrimaryChinese ? UiLanguage::Chinese : UiLanguage::English;
}

}  // namespace quorlin
