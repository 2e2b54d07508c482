// setting.ini beside the executable (section "SETTING") and the start-with-Windows
// value under the current user's Run key.
#pragma once

#include <string>

namespace quorlin {

inline const wchar_t kSettingsSection[] = L"SETTING";
inline const wchar_t kKeyTrans[] = L"TRANS";
inline const wchar_t kKeyLock[] = L"LOCK";
inline const wchar_t kKeyTopMost[] = L"TOPMOST";
inline const wchar_t kKeyLockButtons[] = L"LOCK_BTN";
inline const wchar_t kKeyDeskX[] = L"DeskX";
inline const wchar_t kKeyDeskY[] = L"DeskY";

inline const wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
inline const wchar_t kRunValue[] = L"QIV_ZEMBRICK";

// The data folder (appDir unless app/data_location.h moves it) followed by
// "\setting.ini", built afresh for every access.
std::wstring SettingsPath();
// GetPrivateProfileIntW of a key of section SETTING (the raw unsigned value as int).
int ReadSettingInt(const wchar_t* key, int defaultValue);
// Whether the key is present at all (to tell a stored value from the default).
bool HasSetting(const wchar_t* key);
// Writes the "%d" rendering of value; the result is not examined.
void WriteSettingInt(const wchar_t* key, int value);

// The executable's full path as GetModuleFileNameW gives it (512 units at most).
std::wstring ExecutablePath();
// True when the Run value exists and names the executable's path exactly, quoted or bare
// (RunValueNamesPath). Reads the value at whatever length it has, so every path SetAutoRun
// can write reads back.
bool IsAutoRunEnabled();
// Writes (on: the executable's path in double quotes) or deletes (off) the Run value;
// true when the registry call succeeded.
bool SetAutoRun(bool on);

}  // namespace quorlin
