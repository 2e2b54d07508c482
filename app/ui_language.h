// The language of menus, dialogs and messages. Portable: app/ui_language_win.cpp applies it.
#pragma once

#include <string>

namespace quorlin {

enum class UiLanguage { Chinese, English };

// [SETTING] LANG decides when it names a language ("zh..." Chinese, "en..." English, any
// letter case); otherwise the user's display language does: Chinese when its primary
// language is Chinese (zh-*), English for every other one.
UiLanguage ChooseUiLanguage(const std::wstring& langSetting, unsigned short userUiLanguageId);

}  // namespace quorlin
