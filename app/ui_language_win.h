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
// for resources).
void ApplyUiLanguage(UiLanguage language);

// A string resource of the program in the applied language ("" when there is none).
std::wstring LoadText(unsigned id);

}  // namespace quorlin
