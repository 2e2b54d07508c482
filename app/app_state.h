// What the windows know of the application: where it lives, its name, and the switches
// of setting.ini. One object, made by the application before any window, handed to each
// window that reads it. Portable.
#pragma once

#include <string>

namespace quorlin {

// The registered window message by which "quorlin.exe --settings" asks a running panel to
// open its settings window.
inline constexpr wchar_t kSettingsMessageName[] = L"quorlin-settings";
// The panel sizes the user can choose, in percent of the monitor's DPI.
inline constexpr int kScalePercents[] = {100, 125, 150, 175, 200};

struct AppState {
    std::wstring appDir;   // the executable's directory without a trailing backslash
    std::wstring dataDir;  // where bts.db and setting.ini live (app/data_location.h); "" means appDir
    std::wstring appName;  // the executable's file name without extension: caption of our own boxes
    std::wstring profileDir;  // the user's profile folder: export files name paths under it relative to it

    int transparency = 255;      // TRANS: read and kept; the panel always draws at full opacity
    bool fixed = false;          // LOCK: the panel cannot be dragged
    bool topMost = false;        // TOPMOST: above all windows instead of on the desktop layer
    bool buttonsLocked = false;  // LOCK_BTN: no drag of buttons; dropping files asks first
    int scalePercent = 100;      // Scale: the panel's size on top of the monitor's DPI (kScalePercents)
    bool ignoreHotkeyInFullScreen = true;  // QuietHotkey: no summoning while a full-screen program runs
    bool hintDone = false;       // HintDone: a button was added, the first start's hint is not shown
    bool updateCheck = true;     // UpdateCheck: the version check at start
    bool openSettings = false;   // "--settings": the settings window opens once the panel is up

    const std::wstring& DataDir() const { return dataDir.empty() ? appDir : dataDir; }
    // setting.ini in the data folder.
    std::wstring SettingsFile() const { return DataDir() + L"\\setting.ini"; }
};

}  // namespace quorlin
