// Names derived from the executable's path. Portable.
#pragma once

#include <string>

namespace quorlin {

// The folder of a module path without a trailing backslash: the text before the last
// backslash, or "" when there is none.
std::wstring DirectoryOfModulePath(const std::wstring& modulePath);
// The file name of a module path without its extension ("quorlin" for ...\quorlin.exe).
std::wstring AppNameOfModulePath(const std::wstring& modulePath);

// The start-with-Windows value for an executable: its path in double quotes, so that a
// path with spaces is never read as a shorter program's path followed by arguments.
std::wstring RunValueForPath(const std::wstring& exePath);
// Whether a stored Run value names the executable: its exact path (same letter case),
// bare as older versions wrote it or in double quotes, with nothing after it.
bool RunValueNamesPath(const std::wstring& stored, const std::wstring& exePath);

// The panel's size as setting.ini's Scale gives it: one of kScalePercents written as plain
// digits (blanks around them allowed); anything else, missing included, is 100.
int ScalePercentFromText(const std::wstring& text);

}  // namespace quorlin
