// setting.ini beside the executable (section "SETTING") and the start-with-Windows
// value under the current user's Run key.
#pragma once

#include <windows.h>

#include <string>
#include <utility>

namespace quorlin {

inline const wchar_t kSettingsSection[] = L"SETTING";
inline const wchar_t kKeyTrans[] = L"TRANS";
inline const wchar_t kKeyLock[] = L"LOCK";
inline const wchar_t kKeyTopMost[] = L"TOPMOST";
inline const wchar_t kKeyLockButtons[] = L"LOCK_BTN";
inline const wchar_t kKeyDeskX[] = L"DeskX";
inline const wchar_t kKeyDeskY[] = L"DeskY";
// The newer version the user was last asked about (written by the version check).
inline const wchar_t kKeyUpdateAsked[] = L"UpdateAsked";
// The panel's size in percent (AppState::scalePercent).
inline const wchar_t kKeyScale[] = L"Scale";
// 1 (the default): the hotkey does nothing while a full-screen program runs.
inline const wchar_t kKeyIgnoreHotkeyFullScreen[] = L"QuietHotkey";
// 1 once the user has put a button on the ring: the first start's hint is not shown again.
inline const wchar_t kKeyHintDone[] = L"HintDone";
// Whether the version check runs at start (1, the default) or only when asked (0).
inline const wchar_t kKeyUpdateCheck[] = L"UpdateCheck";
// The interface language: "zh", "en", or missing for the display language's.
inline const wchar_t kKeyLanguage[] = L"LANG";

inline const wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
inline const wchar_t kRunValue[] = L"QIV_ZEMBRICK";

// The keys of section SETTING in one INI file (setting.ini: AppState::SettingsFile()).
// The file is read afresh at every access.
class IniSettings {
public:
    explicit IniSettings(std::wstring file) : file_(std::move(file)) {}
    const std::wstring& File() const { return file_; }

    // GetPrivateProfileIntW of a key (the raw unsigned value as int).
    int ReadInt(const wchar_t* key, int defaultValue) const;
    // Whether the key is present at all (to tell a stored value from the default).
    bool Has(const wchar_t* key) const;
    // The value as text at whatever length it has, "" when missing.
    std::wstring ReadString(const wchar_t* key) const;
    // Writes the "%d" rendering of value; the result is not examined.
    void WriteInt(const wchar_t* key, int value) const;
    // Writes the text; the result is not examined.
    void WriteString(const wchar_t* key, const std::wstring& value) const;
    // Takes the key out of the section.
    void Remove(const wchar_t* key) const;

private:
    std::wstring file_;
};

struct AppState;
// Reads TRANS, LOCK, TOPMOST, LOCK_BTN, Scale, QuietHotkey, HintDone and UpdateCheck of the state's setting.ini into it.
void ReadSwitches(AppState& state);

// A module's full path as GetModuleFileNameW gives it (the executable's for null), whole at
// any length; "" when it cannot be read.
std::wstring ModulePath(HMODULE module);
inline std::wstring ExecutablePath() { return ModulePath(nullptr); }
// True when the Run value exists and equals the executable's path exactly. Reads the
// value at whatever length it has, so every path SetAutoRun can write reads back.
bool IsAutoRunEnabled();
// Writes (on) or deletes (off) the Run value; true when the registry call succeeded.
bool SetAutoRun(bool on);

}  // namespace quorlin
