#include "app/settings_win.h"

#include <windows.h>

#include <vector>

#include "app/app_paths.h"
#include "app/quorlin_app_win.h"

namespace quorlin {

std::wstring SettingsPath() { return theApp().DataDir() + L"\\setting.ini"; }

int ReadSettingInt(const wchar_t* key, int defaultValue) {
    return static_cast<int>(::GetPrivateProfileIntW(kSettingsSection, key, defaultValue, SettingsPath().c_str()));
}

bool HasSetting(const wchar_t* key) {
    // A default that no stored text can produce tells a missing key from a present one.
    wchar_t buffer[4] = {};
    const wchar_t* marker = L"\x01";
    ::GetPrivateProfileStringW(kSettingsSection, key, marker, buffer, 4, SettingsPath().c_str());
    return !(buffer[0] == L'\x01' && buffer[1] == 0);
}

void WriteSettingInt(const wchar_t* key, int value) {
    wchar_t text[16];
    ::wsprintfW(text, L"%d", value);
    ::WritePrivateProfileStringW(kSettingsSection, key, text, SettingsPath().c_str());
}

std::wstring ExecutablePath() {
    wchar_t path[512] = {};
    DWORD n = ::GetModuleFileNameW(nullptr, path, 512);
    if (n == 0) return std::wstring();
    if (n >= 512) n = 511;
    return std::wstring(path, n);
}

bool IsAutoRunEnabled() {
    HKEY key = nullptr;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, kRunKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    DWORD type = 0, size = 0;
    LONG rc = ::RegQueryValueExW(key, kRunValue, nullptr, &type, nullptr, &size);
    std::vector<wchar_t> data;
    if (rc == ERROR_SUCCESS) {
        data.assign(size / sizeof(wchar_t) + 2, L'\0');
        DWORD bytes = static_cast<DWORD>((data.size() - 1) * sizeof(wchar_t));
        rc = ::RegQueryValueExW(key, kRunValue, nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &bytes);
    }
    ::RegCloseKey(key);
    if (rc != ERROR_SUCCESS) return false;
    const std::wstring stored(data.data());  // up to the first terminator, like the shell reads it
    return RunValueNamesPath(stored, ExecutablePath());
}

bool SetAutoRun(bool on) {
    const std::wstring path = RunValueForPath(ExecutablePath());
    HKEY key = nullptr;
    if (::RegOpenKeyW(HKEY_CURRENT_USER, kRunKey, &key) != ERROR_SUCCESS) return false;
    LONG rc;
    if (on) {
        rc = ::RegSetValueExW(key, kRunValue, 0, REG_SZ, reinterpret_cast<const BYTE*>(path.c_str()),
                              static_cast<DWORD>((path.size() + 1) * sizeof(wchar_t)));
    } else {
        rc = ::RegDeleteValueW(key, kRunValue);
    }
    ::RegCloseKey(key);
    return rc == ERROR_SUCCESS;
}

}  // namespace quorlin
