#include "app/settings_win.h"

#include <windows.h>

#include <vector>

#include "app/app_paths.h"
#include "app/app_state.h"

namespace quorlin {

int IniSettings::ReadInt(const wchar_t* key, int defaultValue) const {
    return static_cast<int>(::GetPrivateProfileIntW(kSettingsSection, key, defaultValue, file_.c_str()));
}

bool IniSettings::Has(const wchar_t* key) const {
    // A default that no stored text can produce tells a missing key from a present one.
    wchar_t buffer[4] = {};
    const wchar_t* marker = L"\x01";
    ::GetPrivateProfileStringW(kSettingsSection, key, marker, buffer, 4, file_.c_str());
    return !(buffer[0] == L'\x01' && buffer[1] == 0);
}

std::wstring IniSettings::ReadString(const wchar_t* key) const {
    std::vector<wchar_t> buffer(256);
    for (;;) {
        const DWORD n = ::GetPrivateProfileStringW(kSettingsSection, key, L"", buffer.data(),
                                                   static_cast<DWORD>(buffer.size()), file_.c_str());
        // A value that filled the buffer may have been cut: read again with more room.
        if (n + 1 < buffer.size() || buffer.size() >= 65536) return std::wstring(buffer.data(), n);
        buffer.resize(buffer.size() * 2);
    }
}

void IniSettings::WriteInt(const wchar_t* key, int value) const {
    wchar_t text[16];
    ::wsprintfW(text, L"%d", value);
    ::WritePrivateProfileStringW(kSettingsSection, key, text, file_.c_str());
}

void IniSettings::WriteString(const wchar_t* key, const std::wstring& value) const {
    ::WritePrivateProfileStringW(kSettingsSection, key, value.c_str(), file_.c_str());
}

void IniSettings::Remove(const wchar_t* key) const {
    ::WritePrivateProfileStringW(kSettingsSection, key, nullptr, file_.c_str());
}

void ReadSwitches(AppState& state) {
    const IniSettings settings(state.SettingsFile());
    state.transparency = settings.ReadInt(kKeyTrans, 255);
    state.fixed = settings.ReadInt(kKeyLock, 0) != 0;
    state.topMost = settings.ReadInt(kKeyTopMost, 0) != 0;
    state.buttonsLocked = settings.ReadInt(kKeyLockButtons, 0) != 0;
    state.updateCheck = settings.ReadInt(kKeyUpdateCheck, 1) != 0;
    state.scalePercent = ScalePercentFromText(settings.ReadString(kKeyScale));
    state.ignoreHotkeyInFullScreen = settings.ReadInt(kKeyIgnoreHotkeyFullScreen, 1) != 0;
    state.hintDone = settings.ReadInt(kKeyHintDone, 0) != 0;
}

std::wstring ModulePath(HMODULE module) {
    std::vector<wchar_t> path(512);
    for (;;) {
        const DWORD n = ::GetModuleFileNameW(module, path.data(), static_cast<DWORD>(path.size()));
        if (n == 0) return std::wstring();
        if (n < path.size()) return std::wstring(path.data(), n);
        // Cut to fit: read again with more room (a path never exceeds 32,767 units).
        if (path.size() >= 32768) return std::wstring();
        path.resize(path.size() * 2);
    }
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
