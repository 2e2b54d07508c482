// Where the buttons (bts.db) and the settings (setting.ini) live. Portable: the facts
// about the disk are gathered by app/data_location_win.cpp.
//
// The rule:
//  - An installed copy (its folder holds the delivered database as bts.template.db, which
//    the installer lays down and the program never writes) keeps them per user, in
//    %APPDATA%\Zanthe; bts.db there is copied from the template when it is missing.
//  - A portable copy (no template) keeps them beside the executable, as long as that
//    folder and its bts.db can be written. When either cannot, it moves to the per-user
//    folder: bts.db there is copied from the one beside the executable (and setting.ini
//    with it) the first time, and the user is told so once.
// Writability is found by trying (creating and removing a file), never from permissions,
// so the rule is the same on Windows and under Wine.
#pragma once

#include <string>

namespace quorlin {

inline const wchar_t kDatabaseFile[] = L"bts.db";
inline const wchar_t kTemplateDatabaseFile[] = L"bts.template.db";
inline const wchar_t kSettingsFile[] = L"setting.ini";
// The per-user folder's name under the user's application-data folder.
inline const wchar_t kPerUserFolder[] = L"Zanthe";

struct DataFacts {
    bool haveUserFolder = false;     // %APPDATA% is known
    bool templateBesideExe = false;  // bts.template.db beside the executable: an installed copy
    bool databaseBesideExe = false;  // bts.db beside the executable exists
    bool exeFolderWritable = false;  // a file could be created (and removed) beside the executable
    bool databaseWritable = false;   // bts.db beside the executable opens for writing
    bool userDatabaseExists = false; // %APPDATA%\Zanthe\bts.db exists
};

enum class DataPlace { BesideExe, PerUser };
enum class SeedFrom { Nothing, Template, PortableDatabase };

struct DataDecision {
    DataPlace place = DataPlace::BesideExe;
    SeedFrom seed = SeedFrom::Nothing;  // what to copy into the per-user folder first
    bool tellMoved = false;             // show the one "moved to the per-user place" message
};

DataDecision DecideDataPlace(const DataFacts& facts);

// The per-user folder from the application-data folder ("" when that is unknown).
std::wstring PerUserDataFolder(const std::wstring& appDataFolder);

}  // namespace quorlin
