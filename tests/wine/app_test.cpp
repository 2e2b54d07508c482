// Start-up, shutdown, the single-instance guard, the settings file and start with
// Windows, on the real program.
#include <gtest/gtest.h>
#include <windows.h>
#include <winternl.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "app/data_location.h"
#include "app/data_location_win.h"
#include "app/quorlin_app_win.h"
#include "app/settings_win.h"
#include "framework/late_library_win.h"
#include "panel_fixture.h"

namespace quorlin::testing {
namespace {

HWND FindPanelWindow() {
    struct Search {
        HWND found = nullptr;
    } s;
    ::EnumWindows(
        [](HWND w, LPARAM lp) -> BOOL {
            if (::GetPropW(w, L"qiv_zembrick")) {
                reinterpret_cast<Search*>(lp)->found = w;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&s));
    return s.found;
}

int CountPanelWindows() {
    int n = 0;
    ::EnumWindows(
        [](HWND w, LPARAM lp) -> BOOL {
            if (::GetPropW(w, L"qiv_zembrick")) ++*reinterpret_cast<int*>(lp);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&n));
    return n;
}

struct Process {
    PROCESS_INFORMATION pi{};
    bool Start(const std::wstring& exe, const std::wstring& dir, const std::wstring& args = L"") {
        STARTUPINFOW si{};
        si.cb = sizeof(si);
        std::wstring cmd = L"\"" + exe + L"\" " + args;
        return ::CreateProcessW(exe.c_str(), cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, dir.c_str(), &si, &pi) !=
               FALSE;
    }
    // Exit code, or STILL_ACTIVE when it did not end within ms.
    DWORD Wait(DWORD ms) {
        if (::WaitForSingleObject(pi.hProcess, ms) != WAIT_OBJECT_0) return STILL_ACTIVE;
        DWORD code = 0;
        ::GetExitCodeProcess(pi.hProcess, &code);
        return code;
    }
    ~Process() {
        if (pi.hProcess) {
            if (::WaitForSingleObject(pi.hProcess, 0) != WAIT_OBJECT_0) ::TerminateProcess(pi.hProcess, 1);
            ::CloseHandle(pi.hProcess);
            ::CloseHandle(pi.hThread);
        }
    }
};

// The panel once its initialisation is done (it is layered from then on).
HWND WaitForPanel(DWORD ms) {
    for (DWORD waited = 0; waited < ms; waited += 100) {
        HWND w = FindPanelWindow();
        if (w && (::GetWindowLongW(w, GWL_EXSTYLE) & WS_EX_LAYERED)) {
            ::Sleep(300);
            return w;
        }
        ::Sleep(100);
    }
    return nullptr;
}

// A copy of the built application directory, so that runs never touch the build's files.
class RealProgramTest : public ::testing::Test {
protected:
    void SetUp() override {
        const std::wstring built = BuiltAppDir();
        ASSERT_FALSE(built.empty()) << "QUORLIN_APPDIR is not set";
        std::filesystem::copy(std::filesystem::path(built), dir.Path(), std::filesystem::copy_options::recursive);
        exe = dir.WPath() + L"\\quorlin.exe";
        ::WritePrivateProfileStringW(L"SETTING", L"UpdateEndpoint", L"http://127.0.0.1:9/ad/zembrick/version.php",
                                     (dir.WPath() + L"\\setting.ini").c_str());
    }
    TempDir dir;
    std::wstring exe;
};

TEST_F(RealProgramTest, SecondStartEndsWithoutAWindowAndExitQuitsTheFirst) {
    ASSERT_EQ(FindPanelWindow(), nullptr) << "a panel from another run is still up";
    Process first;
    ASSERT_TRUE(first.Start(exe, dir.WPath()));
    HWND panel = WaitForPanel(20000);
    ASSERT_NE(panel, nullptr) << "the first instance showed no panel";
    RECT r{};
    ::GetWindowRect(panel, &r);
    EXPECT_EQ(r.right - r.left, 240);
    EXPECT_EQ(r.bottom - r.top, 240);
    EXPECT_TRUE(::GetWindowLongW(panel, GWL_EXSTYLE) & WS_EX_LAYERED);
    EXPECT_TRUE(::GetWindowLongW(panel, GWL_EXSTYLE) & WS_EX_TOOLWINDOW);

    Process second;
    ASSERT_TRUE(second.Start(exe, dir.WPath()));
    EXPECT_EQ(second.Wait(20000), 0u) << "the second instance did not end";
    EXPECT_EQ(CountPanelWindows(), 1);
    EXPECT_EQ(first.Wait(0), static_cast<DWORD>(STILL_ACTIVE));

    // "退出" from the tray menu: the process ends and its window is gone.
    ::PostMessageW(panel, WM_COMMAND, ID_EXIT, 0);
    EXPECT_EQ(first.Wait(20000), 0u);
    EXPECT_FALSE(::IsWindow(panel));
    EXPECT_EQ(FindPanelWindow(), nullptr);
}

// Runs the program from a copy at an executable path of `length` characters, and checks
// that it finds its files there and that "随系统启动" reads back what it wrote.
void RunFromLongPath(const TempDir& dir, size_t length) {
    std::wstring deep = dir.WPath();
    while (deep.size() + 1 + 50 + 12 < length) deep += L"\\" + std::wstring(49, L'd') + L"x";
    deep += L"\\" + std::wstring(length - deep.size() - 1 - 12, L'e');
    const std::wstring deepExe = deep + L"\\quorlin.exe";
    ASSERT_EQ(deepExe.size(), length);
    std::error_code ec;
    std::filesystem::create_directories(std::filesystem::path(L"\\\\?\\" + deep), ec);
    ASSERT_FALSE(ec) << ec.message();
    for (const wchar_t* f : {L"quorlin.exe", L"bts.db", L"setting.ini"})
        ASSERT_TRUE(::CopyFileW((L"\\\\?\\" + dir.WPath() + L"\\" + f).c_str(), (L"\\\\?\\" + deep + L"\\" + f).c_str(),
                                FALSE));
    Process p;
    ASSERT_TRUE(p.Start(deepExe, deep)) << "the system did not start the program";
    HWND panel = WaitForPanel(20000);
    ASSERT_NE(panel, nullptr) << "the program found no bts.db beside itself at a 300-character path";
    // "随系统启动" twice: on with the long path, and since that reads back as on, off again.
    HKEY key = nullptr;
    ::RegCreateKeyW(HKEY_CURRENT_USER, kRunKey, &key);
    ::RegDeleteValueW(key, kRunValue);
    auto stored = [&] {
        wchar_t buf[1024] = {};
        DWORD size = sizeof(buf) - sizeof(wchar_t);
        return ::RegQueryValueExW(key, kRunValue, nullptr, nullptr, reinterpret_cast<BYTE*>(buf), &size) == ERROR_SUCCESS
                   ? std::wstring(buf)
                   : std::wstring(L"<none>");
    };
    ::SendMessageW(panel, WM_COMMAND, ID_AUTORUN, 0);
    EXPECT_EQ(stored(), L"\"" + deepExe + L"\"");
    ::SendMessageW(panel, WM_COMMAND, ID_AUTORUN, 0);
    EXPECT_EQ(stored(), L"<none>");
    ::RegCloseKey(key);
    ::PostMessageW(panel, WM_COMMAND, ID_EXIT, 0);
    EXPECT_EQ(p.Wait(20000), 0u);
}

TEST_F(RealProgramTest, StartsFromAPathOfTwoHundredAndFiftyFiveCharacters) { RunFromLongPath(dir, 255); }

// (A 300-character executable path cannot be started under Wine at all, and the attempt
// corrupts Wine's own heap; the folder such a path gives is checked by the unit tests.)

// The copy the installer put into Program Files, run by tests/package/installer_check.sh
// (QUORLIN_INSTALLED_EXE names it): the program seeds %APPDATA%\Zanthe\bts.db from the
// template on its first start, and a button added from its menu lands there, while
// nothing is written beside the installed executable.
TEST(InstalledCopyTest, DISABLED_AButtonAddedFromTheMenuLandsInThePerUserDatabase) {
    const char* env = std::getenv("QUORLIN_INSTALLED_EXE");
    ASSERT_TRUE(env) << "QUORLIN_INSTALLED_EXE is not set";
    const std::wstring exe(env, env + std::strlen(env));
    const std::wstring exeDir = exe.substr(0, exe.rfind(L'\\'));
    const std::wstring userDir = PerUserDataFolder(UserAppDataFolder());
    ASSERT_FALSE(userDir.empty());
    ::CreateDirectoryW(userDir.c_str(), nullptr);
    ::WritePrivateProfileStringW(L"SETTING", L"UpdateEndpoint", L"http://127.0.0.1:9/ad/zembrick/version.php",
                                 (userDir + L"\\setting.ini").c_str());
    Process p;
    ASSERT_TRUE(p.Start(exe, exeDir));
    HWND panel = WaitForPanel(20000);
    ASSERT_NE(panel, nullptr) << "the installed program showed no panel";
    ::SendMessageW(panel, WM_COMMAND, ID_ADD_CONTROL, 0);  // "控制面板" of "添加常用功能"
    ::PostMessageW(panel, WM_COMMAND, ID_EXIT, 0);
    EXPECT_EQ(p.Wait(20000), 0u);
    const std::filesystem::path userDb = std::filesystem::path(userDir) / L"bts.db";
    EXPECT_EQ(QueryText(userDb, "select count(*) from tb_Btns where iType=3 and ID>2"), "1");
    EXPECT_EQ(QueryText(std::filesystem::path(exeDir) / L"bts.template.db", "select count(*) from tb_Btns"), "2");
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::path(exeDir) / L"bts.db"));
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::path(exeDir) / L"setting.ini"));
}

class StartupTest : public PanelTest {};

TEST_F(StartupTest, MissingDatabaseShowsOneMessageAndCreatesNothing) {
    std::filesystem::remove(db);
    EXPECT_FALSE(StartApp());
    ASSERT_EQ(boxes.Count(), 1u);
    EXPECT_EQ(boxes.Shown()[0].text, L"打开数据失败！");
    EXPECT_EQ(boxes.Shown()[0].caption, CQuorlinApp::AppName());
    EXPECT_FALSE(std::filesystem::exists(db));
    EXPECT_EQ(theApp().MainHwnd(), nullptr);
}

TEST_F(StartupTest, GarbageAndEmptyDatabasesEndTheSameWay) {
    dir.WriteFile("bts.db", "this is not a database at all, but it is long enough to look like one. " + std::string(600, 'x'));
    EXPECT_FALSE(StartApp());
    dir.WriteFile("bts.db", "");
    EXPECT_FALSE(StartApp());
    EXPECT_EQ(boxes.Count(), 2u);
    EXPECT_EQ(std::filesystem::file_size(db), 0u);
}

TEST_F(StartupTest, ReadOnlyDatabaseIsRefusedAndLeftAlone) {
    ASSERT_TRUE(::SetFileAttributesW(db.wstring().c_str(), FILE_ATTRIBUTE_READONLY));
    const auto before = std::filesystem::file_size(db);
    const bool opened = StartApp();
    ::SetFileAttributesW(db.wstring().c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_FALSE(opened);
    EXPECT_EQ(boxes.Count(), 1u);
    EXPECT_EQ(std::filesystem::file_size(db), before);
    EXPECT_EQ(Query("select count(*) from tb_Btns"), "2");
}

TEST_F(StartupTest, DatabaseLockedByAnotherProgramIsRefused) {
    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open(db.u8string().c_str(), &other), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(other, "begin exclusive", nullptr, nullptr, nullptr), SQLITE_OK);
    EXPECT_FALSE(StartApp());
    EXPECT_EQ(boxes.Count(), 1u);
    sqlite3_exec(other, "rollback", nullptr, nullptr, nullptr);
    sqlite3_close(other);
}

TEST_F(StartupTest, MissingSettingsFileGivesTheDefaults) {
    std::filesystem::remove(dir.File("setting.ini"));
    theApp().state.fixed = theApp().state.topMost = theApp().state.buttonsLocked = true;
    theApp().state.transparency = 7;
    ASSERT_TRUE(StartApp());
    EXPECT_FALSE(theApp().state.fixed);
    EXPECT_FALSE(theApp().state.topMost);
    EXPECT_FALSE(theApp().state.buttonsLocked);
    EXPECT_EQ(theApp().state.transparency, 255);
    EXPECT_FALSE(std::filesystem::exists(dir.File("setting.ini")));  // reading creates nothing
}

TEST_F(StartupTest, SwitchesReadAnyNonZeroNumberAsOnAndJunkAsOff) {
    WriteSetting("LOCK", "7");
    WriteSetting("TOPMOST", "abc");
    WriteSetting("LOCK_BTN", "-1");
    WriteSetting("TRANS", "99999999999999999999");
    ASSERT_TRUE(StartApp());
    EXPECT_TRUE(theApp().state.fixed);
    EXPECT_FALSE(theApp().state.topMost);
    EXPECT_TRUE(theApp().state.buttonsLocked);
}

TEST_F(StartupTest, DuplicatedKeysReadWithoutTrouble) {
    dir.WriteFile("setting.ini", "[SETTING]\r\nLOCK=0\r\nLOCK=1\r\nDeskX=12\r\nDeskX=abc\r\n[SETTING]\r\nLOCK_BTN=1\r\n");
    ASSERT_TRUE(StartApp());
    // Whichever duplicate the INI service takes, each switch is a clean bool and nothing crashed.
    EXPECT_TRUE(theApp().state.fixed == true || theApp().state.fixed == false);
    CQuorlinDlg& p = OpenPanel();
    RECT r{};
    ::GetWindowRect(p.hwnd(), &r);
    EXPECT_GE(r.left, 0);
    EXPECT_GE(r.top, 0);
}

TEST_F(StartupTest, ShutdownReleasesOnlyWhatStartupTook) {
    std::filesystem::remove(db);
    // (GDI+ stays up here: the process-wide tooltip and ghost of earlier tests still use it.)
    EXPECT_FALSE(StartApp());
    theApp().ReleaseRuntime(false);
    theApp().ReleaseRuntime(false);  // nothing left to release twice
    dir.MakeDatabase();
    boxes.Clear();
    EXPECT_TRUE(StartApp());
    EXPECT_TRUE(theApp().store.IsOpen());
    theApp().ReleaseRuntime(false);
    EXPECT_FALSE(theApp().store.IsOpen());
    // COM was released exactly as often as it was taken: one more initialisation is the first.
    EXPECT_EQ(::CoInitialize(nullptr), S_FALSE);  // the test runner's own stays
    ::CoUninitialize();
}

TEST(AppDirTest, IsTheExecutablesFolderWithoutTrailingBackslash) {
    wchar_t path[512];
    ::GetModuleFileNameW(nullptr, path, 512);
    std::wstring full(path);
    EXPECT_EQ(CQuorlinApp::GetAppDir(), full.substr(0, full.rfind(L'\\')));
    EXPECT_EQ(CQuorlinApp::AppName(), L"wine_tests");
}

// The Run value: the exact path in quotes (bare as older versions wrote it reads back too),
// read back at any length.
class AutoRunTest : public ::testing::Test {
protected:
    void SetUp() override {
        HKEY key = nullptr;
        ::RegCreateKeyW(HKEY_CURRENT_USER, kRunKey, &key);
        ::RegCloseKey(key);
        SetAutoRun(false);
    }
    void TearDown() override { SetAutoRun(false); }
    void Store(const std::wstring& value) {
        HKEY key = nullptr;
        ASSERT_EQ(::RegOpenKeyW(HKEY_CURRENT_USER, kRunKey, &key), ERROR_SUCCESS);
        ::RegSetValueExW(key, kRunValue, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                         static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
        ::RegCloseKey(key);
    }
    std::wstring Stored() {
        wchar_t buf[1024] = {};
        DWORD size = sizeof(buf) - sizeof(wchar_t);
        HKEY key = nullptr;
        if (::RegOpenKeyW(HKEY_CURRENT_USER, kRunKey, &key) != ERROR_SUCCESS) return L"<no key>";
        LONG rc = ::RegQueryValueExW(key, kRunValue, nullptr, nullptr, reinterpret_cast<BYTE*>(buf), &size);
        ::RegCloseKey(key);
        return rc == ERROR_SUCCESS ? std::wstring(buf) : L"<none>";
    }
};

TEST_F(AutoRunTest, SwitchingOnStoresTheQuotedPathAndReadsBack) {
    EXPECT_FALSE(IsAutoRunEnabled());
    EXPECT_TRUE(SetAutoRun(true));
    EXPECT_EQ(Stored(), L"\"" + ExecutablePath() + L"\"");
    EXPECT_TRUE(IsAutoRunEnabled());
    Store(ExecutablePath());
    EXPECT_TRUE(IsAutoRunEnabled());
    EXPECT_TRUE(SetAutoRun(false));
    EXPECT_EQ(Stored(), L"<none>");
    EXPECT_FALSE(IsAutoRunEnabled());
}

TEST_F(AutoRunTest, AnotherPathOrOtherLetterCaseCountsAsOff) {
    std::wstring path = ExecutablePath();
    Store(L"C:\\elsewhere\\quorlin.exe");
    EXPECT_FALSE(IsAutoRunEnabled());
    std::wstring upper = path;
    for (auto& c : upper) c = static_cast<wchar_t>(::towupper(c));
    ASSERT_NE(upper, path);
    Store(upper);
    EXPECT_FALSE(IsAutoRunEnabled());
    Store(L"\"" + path + L"\" -x");
    EXPECT_FALSE(IsAutoRunEnabled());
    // Switching on overwrites the stale value with the current path.
    EXPECT_TRUE(SetAutoRun(!IsAutoRunEnabled()));
    EXPECT_TRUE(IsAutoRunEnabled());
}

TEST_F(AutoRunTest, ALongStoredValueIsReadWhole) {
    // Longer than the 250 characters a fixed buffer would hold: it must be compared, not refused.
    Store(ExecutablePath() + std::wstring(400, L'x'));
    EXPECT_FALSE(IsAutoRunEnabled());
    Store(L"\"" + ExecutablePath() + L"\"");
    EXPECT_TRUE(IsAutoRunEnabled());
}

TEST_F(AutoRunTest, AProgramPathLongerThan511CharactersIsStoredWhole) {
    // Wine starts no program from so long a path: the loader's record of this program names
    // one for a moment instead (GetModuleFileNameW reads it).
    const std::wstring path = L"C:\\" + std::wstring(580, L'p') + L"\\quorlin.exe";
    using FindEntry = NTSTATUS(NTAPI*)(void*, LDR_DATA_TABLE_ENTRY**);
    const auto find = reinterpret_cast<FindEntry>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "LdrFindEntryForAddress")));
    LDR_DATA_TABLE_ENTRY* module = nullptr;
    ASSERT_TRUE(find && find(::GetModuleHandleW(nullptr), &module) == 0);
    UNICODE_STRING* name = &module->FullDllName;
    const UNICODE_STRING real = *name;
    *name = UNICODE_STRING{static_cast<USHORT>(path.size() * 2), static_cast<USHORT>(path.size() * 2 + 2),
                           const_cast<wchar_t*>(path.c_str())};
    const bool stored = SetAutoRun(true);
    *name = real;
    EXPECT_TRUE(stored);
    EXPECT_EQ(Stored(), L"\"" + path + L"\"");
}

// A DLL beside the program never stands in for one of the system's: neither the DLLs loaded
// on first use nor, once the search is limited at start, any other.
TEST(DllSearchTest, ADllBesideTheProgramIsNeverLoaded) {
    wchar_t system[MAX_PATH] = {};
    ASSERT_GT(::GetSystemDirectoryW(system, MAX_PATH), 0u);
    const auto planted = std::filesystem::path(ExecutablePath()).parent_path() / L"qplanted.dll";
    std::filesystem::copy_file(std::filesystem::path(system) / L"version.dll", planted,
                               std::filesystem::copy_options::overwrite_existing);
    EXPECT_EQ(fw::LateProc<FARPROC>(L"qplanted.dll", "GetFileVersionInfoSizeW"), nullptr);
    EXPECT_TRUE(fw::RestrictDllSearch());
    EXPECT_EQ(::LoadLibraryW(L"qplanted.dll"), nullptr);
    std::error_code ignored;
    std::filesystem::remove(planted, ignored);
}

}  // namespace
}  // namespace quorlin::testing
