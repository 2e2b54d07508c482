// The data folder at start: gathers the facts app/data_location.h decides from, makes the
// per-user folder and seeds it, and says once that a portable copy moved there.
#pragma once

#include <string>

namespace quorlin {

// The user's application-data folder (%APPDATA%), "" when unknown.
std::wstring UserAppDataFolder();
// The user's profile folder (%USERPROFILE%), "" when unknown: export files name paths under
// it relative to it.
std::wstring UserProfileFolder();

// Whether a file can be created (and removed again) in the folder: tried, not derived
// from permissions.
bool CanWriteInFolder(const std::wstring& folder);

struct PreparedData {
    std::wstring folder;     // where bts.db and setting.ini are used from
    bool moved = false;      // a portable copy moved to the per-user folder just now
};

// Decides and prepares the data folder of the executable folder appDir, with appData as
// the user's application-data folder. Seeds bts.db (CopyFileW, never over an existing
// file) only when the per-user one is missing.
PreparedData PrepareDataFolder(const std::wstring& appDir, const std::wstring& appData);

// Start-up: the data folder for appDir, the language from its setting.ini (applied to
// this thread), and the one message after a move (captioned appName). Returns the data
// folder.
std::wstring SetUpDataAndLanguage(const std::wstring& appDir, const std::wstring& appName);

}  // namespace quorlin
