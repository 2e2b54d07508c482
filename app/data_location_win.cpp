#include "app/data_location_win.h"

#include <windows.h>
#include <shlobj.h>

#include "app/data_location.h"
#include "app/ui_language_win.h"
#include "framework/seams.h"
#include "framework/texts.h"
#include "res/resource.h"

namespace quorlin {

namespace {

bool FileExists(const std::wstring& path) {
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// The read-only attribute counts by itself: Windows refuses to write such a file, while
// Wine run by root would write it anyway.
bool CanOpenForWriting(const std::wstring& path) {
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_READONLY)) return false;
    HANDLE h = ::CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE,
                             FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    ::CloseHandle(h);
    return true;
}

}  // namespace

std::wstring UserAppDataFolder() {
    wchar_t path[MAX_PATH] = {};
    if (FAILED(::SHGetFolderPathW(nullptr, CSIDL_APPDATA | CSIDL_FLAG_CREATE, nullptr, SHGFP_TYPE_CURRENT, path)))
        return std::wstring();
    return path;
}

std::wstring UserProfileFolder() {
    wchar_t path[MAX_PATH] = {};
    if (FAILED(::SHGetFolderPathW(nullptr, CSIDL_PROFILE, nullptr, SHGFP_TYPE_CURRENT, path))) return std::wstring();
    return path;
}

bool CanWriteInFolder(const std::wstring& folder) {
    const std::wstring probe =
        folder + L"\\~quorlin-write-test-" + std::to_wstring(::GetCurrentProcessId()) + L".tmp";
    HANDLE h = ::CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                             FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    ::CloseHandle(h);
    ::DeleteFileW(probe.c_str());  // normally gone already with the handle
    return true;
}

PreparedData PrepareDataFolder(const std::wstring& appDir, const std::wstring& appData) {
    const std::wstring userFolder = PerUserDataFolder(appData);
    const std::wstring besideDb = appDir + L"\\" + kDatabaseFile;
    const std::wstring templateDb = appDir + L"\\" + kTemplateDatabaseFile;
    const std::wstring userDb = userFolder + L"\\" + kDatabaseFile;

    DataFacts facts;
    facts.haveUserFolder = !userFolder.empty();
    facts.templateBesideExe = FileExists(templateDb);
    facts.databaseBesideExe = FileExists(besideDb);
    if (!facts.templateBesideExe && facts.databaseBesideExe) {
        facts.exeFolderWritable = CanWriteInFolder(appDir);
        facts.databaseWritable = CanOpenForWriting(besideDb);
    }
    facts.userDatabaseExists = facts.haveUserFolder && FileExists(userDb);

    const DataDecision decision = DecideDataPlace(facts);
    PreparedData prepared;
    if (decision.place == DataPlace::BesideExe) {
        prepared.folder = appDir;
        return prepared;
    }
    prepared.folder = userFolder;
    ::CreateDirectoryW(userFolder.c_str(), nullptr);  // may exist already
    // A copy of a read-only file is read-only too; the per-user files must take writes.
    if (decision.seed == SeedFrom::Template) {
        if (::CopyFileW(templateDb.c_str(), userDb.c_str(), TRUE))
            ::SetFileAttributesW(userDb.c_str(), FILE_ATTRIBUTE_NORMAL);
    } else if (decision.seed == SeedFrom::PortableDatabase) {
        if (::CopyFileW(besideDb.c_str(), userDb.c_str(), TRUE))
            ::SetFileAttributesW(userDb.c_str(), FILE_ATTRIBUTE_NORMAL);
        const std::wstring besideIni = appDir + L"\\" + kSettingsFile;
        const std::wstring userIni = userFolder + L"\\" + kSettingsFile;
        if (::CopyFileW(besideIni.c_str(), userIni.c_str(), TRUE))
            ::SetFileAttributesW(userIni.c_str(), FILE_ATTRIBUTE_NORMAL);
    }
    prepared.moved = decision.tellMoved;
    return prepared;
}

std::wstring SetUpDataAndLanguage(const std::wstring& appDir, const std::wstring& appName) {
    const PreparedData data = PrepareDataFolder(appDir, UserAppDataFolder());
    ApplyUiLanguage(UiLanguageFor(data.folder + L"\\" + kSettingsFile));
    if (data.moved) {
        MessageBoxes().Show(0, FillIn(Text(IDS_DATA_MOVED), {data.folder}), appName, kMbOk);
    }
    return data.folder;
}

}  // namespace quorlin
