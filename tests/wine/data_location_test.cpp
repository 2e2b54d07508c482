// The data folder at start (installed copy, portable copy, one that cannot write) and
// the language of menus and texts, on the real file system and resources.
#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>

#include "app/data_location.h"
#include "app/data_location_win.h"
#include "app/ui_language_win.h"
#include "framework/texts.h"
#include "res/resource.h"
#include "support/fakes.h"
#include "support/temp_dir.h"

namespace quorlin::testing {
namespace {

void Exec(const std::filesystem::path& file, const char* sql) {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open_v2(file.u8string().c_str(), &db, SQLITE_OPEN_READWRITE, nullptr), SQLITE_OK);
    EXPECT_EQ(sqlite3_exec(db, sql, nullptr, nullptr, nullptr), SQLITE_OK) << sqlite3_errmsg(db);
    sqlite3_close(db);
}

const char kAddButton[] = "insert into tb_Btns(sort,PathName,Title,Para,iType) values(3,'C:\\b.exe','b','',0)";

class DataFolderTest : public ::testing::Test {
protected:
    std::wstring ExeDir() const { return exeDir.WPath(); }
    std::wstring UserDir() const { return appData.WPath() + L"\\Zanthe"; }
    std::string UserQuery(const std::string& sql) const {
        return QueryText(appData.Path() / "Zanthe" / "bts.db", sql);
    }
    TempDir exeDir;
    TempDir appData;
};

TEST_F(DataFolderTest, APortableCopyThatCanWriteStaysWhereItIs) {
    exeDir.MakeDatabase();
    const PreparedData d = PrepareDataFolder(ExeDir(), appData.WPath());
    EXPECT_EQ(d.folder, ExeDir());
    EXPECT_FALSE(d.moved);
    EXPECT_FALSE(std::filesystem::exists(appData.Path() / "Zanthe"));
}

TEST_F(DataFolderTest, AnInstalledCopySeedsThePerUserDatabaseOnlyWhenItIsMissing) {
    exeDir.MakeDatabase("bts.template.db");
    PreparedData d = PrepareDataFolder(ExeDir(), appData.WPath());
    EXPECT_EQ(d.folder, UserDir());
    EXPECT_FALSE(d.moved);
    EXPECT_EQ(UserQuery("select count(*) from tb_Btns"), "2");  // the two reserved rows
    // The user's buttons survive the next start, and a newer template.
    Exec(appData.Path() / "Zanthe" / "bts.db", kAddButton);
    d = PrepareDataFolder(ExeDir(), appData.WPath());
    EXPECT_EQ(d.folder, UserDir());
    EXPECT_EQ(UserQuery("select Title from tb_Btns where sort=3"), "b");
}

TEST_F(DataFolderTest, APortableCopyWithAReadOnlyDatabaseMovesOnceWithItsButtonsAndSettings) {
    const auto db = exeDir.MakeDatabase();
    Exec(db, kAddButton);
    exeDir.WriteFile("setting.ini", "[SETTING]\r\nLOCK=1\r\n");
    ASSERT_TRUE(::SetFileAttributesW(db.wstring().c_str(), FILE_ATTRIBUTE_READONLY));
    PreparedData d = PrepareDataFolder(ExeDir(), appData.WPath());
    ::SetFileAttributesW(db.wstring().c_str(), FILE_ATTRIBUTE_NORMAL);  // so that the folder can go
    EXPECT_EQ(d.folder, UserDir());
    EXPECT_TRUE(d.moved);
    EXPECT_EQ(UserQuery("select Title from tb_Btns where sort=3"), "b");
    EXPECT_EQ(::GetPrivateProfileIntW(L"SETTING", L"LOCK", 0, (UserDir() + L"\\setting.ini").c_str()), 1u);
    EXPECT_FALSE(::GetFileAttributesW((UserDir() + L"\\bts.db").c_str()) & FILE_ATTRIBUTE_READONLY);

    ::SetFileAttributesW(db.wstring().c_str(), FILE_ATTRIBUTE_READONLY);
    d = PrepareDataFolder(ExeDir(), appData.WPath());
    ::SetFileAttributesW(db.wstring().c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(d.folder, UserDir());
    EXPECT_FALSE(d.moved);  // told once
}

// Start-up as the program runs it, on the prefix's real %APPDATA%: a portable copy whose
// bts.db is read-only moves, says so once in the language of its setting.ini, and the
// next start is silent.
TEST(DataStartupTest, TheMoveIsToldOnceInTheChosenLanguage) {
    const std::filesystem::path userDir(PerUserDataFolder(UserAppDataFolder()));
    ASSERT_FALSE(userDir.empty());
    ASSERT_FALSE(std::filesystem::exists(userDir / L"bts.db")) << "left over in " << userDir;
    TempDir exeDir;
    const auto db = exeDir.MakeDatabase();
    exeDir.WriteFile("setting.ini", "[SETTING]\r\nLANG=zh\r\n");
    ::SetFileAttributesW(db.wstring().c_str(), FILE_ATTRIBUTE_READONLY);
    RecordingMessageBoxes boxes;
    const std::wstring first = SetUpDataAndLanguage(exeDir.WPath(), L"quorlin");
    const std::wstring second = SetUpDataAndLanguage(exeDir.WPath(), L"quorlin");
    ::SetFileAttributesW(db.wstring().c_str(), FILE_ATTRIBUTE_NORMAL);
    std::error_code ec;
    std::filesystem::remove_all(userDir, ec);
    EXPECT_EQ(first, userDir.wstring());
    EXPECT_EQ(second, userDir.wstring());
    ASSERT_EQ(boxes.Count(), 1u);
    const std::wstring text = boxes.Shown()[0].text;
    EXPECT_EQ(text.rfind(L"程序所在的文件夹不能写入。", 0), 0u) << text;
    EXPECT_NE(text.find(userDir.wstring()), std::wstring::npos) << text;
}

// Reads the first item of menu 131's first pop-up and the "moved" text.
std::wstring FirstMenuText() {
    HMENU menu = ::LoadMenuW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_MENU));
    wchar_t text[64] = {};
    ::GetMenuStringW(::GetSubMenu(menu, 0), 0, text, 64, MF_BYPOSITION);
    ::DestroyMenu(menu);
    return text;
}

TEST(UiLanguageWinTest, MenusAndTextsFollowTheAppliedLanguage) {
    ApplyUiLanguage(UiLanguage::English);
    const std::wstring menuEn = FirstMenuText();
    const std::wstring movedEn = Text(IDS_DATA_MOVED);
    ApplyUiLanguage(UiLanguage::Chinese);  // what every other test expects
    EXPECT_EQ(menuEn, L"Start with Windows");
    EXPECT_EQ(movedEn.rfind(L"The program's folder", 0), 0u) << movedEn;
    EXPECT_EQ(FirstMenuText(), L"随系统启动");
    EXPECT_EQ(Text(IDS_DATA_MOVED).rfind(L"程序所在的文件夹", 0), 0u);
}

TEST(UiLanguageWinTest, TheLangSettingOverridesTheDisplayLanguage) {
    TempDir dir;
    const std::wstring ini = dir.WPath() + L"\\setting.ini";
    ::WritePrivateProfileStringW(L"SETTING", L"LANG", L"en", ini.c_str());
    EXPECT_EQ(UiLanguageFor(ini), UiLanguage::English);
    ::WritePrivateProfileStringW(L"SETTING", L"LANG", L"zh", ini.c_str());
    EXPECT_EQ(UiLanguageFor(ini), UiLanguage::Chinese);
}

}  // namespace
}  // namespace quorlin::testing
