// Applies the language of menus, dialogs and texts to the user-interface thread.
#pragma once

#include <string>

#include "app/ui_language.h"

namespace quorlin {

// [SETTING] LANG of the settings file, else the user's display language.
UiLanguage UiLanguageFor(const std::wstring& settingsPath);

// Makes LoadMenuW, DialogBoxParamW, CreateDialogParamW and LoadStringW of the calling
// thread take the resource block of the language: SetThreadUILanguage, which Windows'
// resource loader follows, and SetThreadLocale, which Wine's follows (Windows ignores it
// for resources); and installs the text table of that block (framework/texts.h), for
// every thread.
void ApplyUiLanguage(UiLanguage language);

}  // namespace quorlin
