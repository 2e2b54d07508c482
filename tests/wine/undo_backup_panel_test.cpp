// Undo, backups, export and import through the real panel: its tray entries, a restart
// on the same bts.db, a damaged bts.db at start, and quorlin.exe --import while it runs.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "app/ui_language_win.h"
#include "dialogs/import_preview_win.h"
#include "dialogs/settings_win.h"
#include "panel_fixture.h"
#include "framework/user_texts.h"
#include "store/backups.h"

namespace quorlin::testing {
namespace {

// The file chooser answers with a file the test chose (or a cancel).
class ScriptedChooser : public IFileChooser {
public:
    ScriptedChooser() { previous_ = SetFileChooser(this); }
    ~ScriptedChooser() override { SetFileChooser(previous_); }
    std::wstring answer;  // "" cancels
    int shown = 0;
    BOOL Open(OPENFILENAMEW* ofn) override { return Answer(ofn); }
    BOOL Save(OPENFILENAMEW* ofn) override { return Answer(ofn); }

private:
    BOOL Answer(OPENFILENAMEW* ofn) {
        ++shown;
        if (answer.empty() || answer.size() >= ofn->nMaxFile) return FALSE;
        answer.copy(ofn->lpstrFile, answer.size());
        ofn->lpstrFile[answer.size()] = L'\0';
        return TRUE;
    }
    IFileChooser* previous_ = nullptr;
};

std::wstring TrayText(CQuorlinDlg& p, UINT* state = nullptr) {
    HMENU tray = p.Tray().BuildMenu();
    wchar_t text[128] = {};
    ::GetMenuStringW(tray, ID_UNDO, text, 128, MF_BYCOMMAND);
    if (state) *state = ::GetMenuState(tray, ID_UNDO, MF_BYCOMMAND);
    ::DestroyMenu(tray);
    return text;
}

class UndoPanelTest : public PanelTest {
protected:
    void SetUp() override {
        PanelTest::SetUp();
        SetTextLanguage(TextLanguage::Chinese);  // as a Chinese start applies it
    }
    void TearDown() override {
        PanelTest::TearDown();
        SetTextLanguage(TextLanguage::Both);
    }
    void Exec(const std::string& sql) {
        sqlite3* handle = nullptr;
        ASSERT_EQ(sqlite3_open(db.u8string().c_str(), &handle), SQLITE_OK);
        ASSERT_EQ(sqlite3_exec(handle, sql.c_str(), nullptr, nullptr, nullptr), SQLITE_OK) << sqlite3_errmsg(handle);
        sqlite3_close(handle);
    }
    void Restart() {
        ClosePanel();
        theApp().ReleaseRuntime(false);
        theApp().state = AppState{};
    }
    std::string Ring() {
        return Query("select iType || ':' || Title || ':' || PathName || ':' || ifnull(Para, '-') || ':' || sort "
                     "from tb_Btns where ID <> 2 order by sort");
    }
    void AddThree(CQuorlinDlg& p) {
        ASSERT_TRUE(p.Buttons().AddButton(L"甲", L"http://a.example/", ItemKind::Url, L""));
        ASSERT_TRUE(p.Buttons().AddButton(L"乙", L"::{645FF040-5081-101B-9F08-00AA002F954E}", ItemKind::ShellEntry, L""));
        ASSERT_TRUE(p.Buttons().AddButton(L"丙", L"http://c.example/", ItemKind::Url, L"-x"));
    }
};

TEST_F(UndoPanelTest, ClearAllThenTheTrayUndoEntryRestoresEveryButton) {
    CQuorlinDlg& p = OpenPanel();
    UINT state = 0;
    EXPECT_EQ(TrayText(p, &state), L"撤销");
    EXPECT_NE(state & MF_GRAYED, 0u);
    AddThree(p);
    const std::string before = Ring();
    boxes.QueueAnswer(kIdYes);
    Command(ID_CLEAR_ALL);
    ASSERT_EQ(p.Buttons().Count(), 1u);
    EXPECT_FALSE(ListBackups(db.wstring()).empty());  // a backup came first

    EXPECT_EQ(TrayText(p, &state), L"撤销清空（3 个按钮）");
    EXPECT_EQ(state & MF_GRAYED, 0u);
    Command(ID_UNDO);
    EXPECT_EQ(p.Buttons().Count(), 4u);
    EXPECT_EQ(Ring(), before);
    EXPECT_EQ(TrayText(p, &state), L"撤销");
    EXPECT_NE(state & MF_GRAYED, 0u);
}

// The settings window: a backup restored after the current ring was backed up and the
// user said yes; a combination another program holds is reported and not written, a free
// one summons at once and is written; 200 % doubles the panel around its centre; English
// relabels the window and the menus at once.
TEST_F(UndoPanelTest, SettingsWindowRestoresAfterAskingChangesTheHotkeyAndTheLanguageAtOnce) {
    CQuorlinDlg& p = OpenPanel();
    AddThree(p);
    const std::string three = Ring();
    boxes.QueueAnswer(kIdYes);
    Command(ID_CLEAR_ALL);  // backs the three up first
    Command(ID_SETTINGS);
    CSettingsDlg* s = p.CommandSet().Settings();
    ASSERT_NE(s, nullptr);
    const HWND w = s->hwnd();
    EXPECT_EQ(fw::GetWindowTextString(w), L"Zanthe桌面 设置");
    boxes.QueueAnswer(kIdNo);
    ::SendMessageW(w, WM_COMMAND, IDC_SET_RESTORE, 0);
    ASSERT_EQ(boxes.Count(), 2u);
    EXPECT_EQ(boxes.Shown()[1].text.rfind(L"现在的按钮已先备份。", 0), 0u);
    EXPECT_EQ(p.Buttons().Count(), 1u);
    // The empty ring's backup is the newest now; the three are one further down.
    ASSERT_GE(::SendDlgItemMessageW(w, IDC_SET_BACKUPS, LB_GETCOUNT, 0, 0), 2);
    ::SendDlgItemMessageW(w, IDC_SET_BACKUPS, LB_SETCURSEL, 1, 0);
    boxes.QueueAnswer(kIdYes);
    ::SendMessageW(w, WM_COMMAND, IDC_SET_RESTORE, 0);
    EXPECT_EQ(Ring(), three);
    EXPECT_EQ(p.Buttons().Count(), 4u);

    HWND holder = ::CreateWindowW(L"STATIC", L"", 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
    ASSERT_TRUE(::RegisterHotKey(holder, 1, MOD_CONTROL | MOD_ALT, 'J'));
    s->OnHotkeyRecorded({'J', HOTKEYF_CONTROL | HOTKEYF_ALT});
    EXPECT_NE(s->HotkeyStatus().find(L"Ctrl+Alt+J 已被其他程序占用"), std::wstring::npos);
    EXPECT_EQ(ReadSetting("HOTKEY"), "<none>");
    s->OnHotkeyRecorded({'K', HOTKEYF_CONTROL | HOTKEYF_ALT});
    EXPECT_EQ(ReadSetting("HOTKEY"), "Ctrl+Alt+K");
    EXPECT_EQ(FormatHotkey(*p.Summons().ActiveHotkey()), L"Ctrl+Alt+K");
    ::UnregisterHotKey(holder, 1);
    ::DestroyWindow(holder);

    RECT before{}, after{};
    ::GetWindowRect(p.hwnd(), &before);
    ::SendDlgItemMessageW(w, IDC_SET_SIZE, CB_SETCURSEL, 4, 0);  // 200 %, around the same centre
    ::SendMessageW(w, WM_COMMAND, MAKEWPARAM(IDC_SET_SIZE, CBN_SELCHANGE), 0);
    ::GetWindowRect(p.hwnd(), &after);
    EXPECT_EQ(after.right - after.left, 2 * (before.right - before.left));
    EXPECT_EQ(after.left + after.right, before.left + before.right);
    EXPECT_EQ(ReadSetting("Scale"), "200");
    ::SendDlgItemMessageW(w, IDC_SET_LANGUAGE, CB_SETCURSEL, 2, 0);
    ::SendMessageW(w, WM_COMMAND, MAKEWPARAM(IDC_SET_LANGUAGE, CBN_SELCHANGE), 0);
    EXPECT_EQ(ReadSetting("LANG"), "en");
    EXPECT_EQ(fw::GetWindowTextString(w), L"Zanthe Desktop Settings");
    HMENU menu = p.CommandSet().BuildPanelMenu();
    wchar_t text[64] = {};
    ::GetMenuStringW(menu, ID_SETTINGS, text, 64, MF_BYCOMMAND);
    ::DestroyMenu(menu);
    ApplyUiLanguage(UiLanguage::Chinese);  // what every other test expects
    EXPECT_STREQ(text, L"Settings…");
    ::SendMessageW(w, WM_COMMAND, IDCANCEL, 0);
    EXPECT_EQ(p.CommandSet().Settings(), nullptr);
}

TEST_F(UndoPanelTest, UndoStillWorksAfterThePanelAndTheStoreWereClosedAndOpenedAgain) {
    CQuorlinDlg& first = OpenPanel();
    AddThree(first);
    const std::string before = Ring();
    ASSERT_TRUE(first.DeleteButton(4));
    Restart();

    CQuorlinDlg& p = OpenPanel();
    ASSERT_EQ(p.Buttons().Count(), 3u);
    EXPECT_EQ(TrayText(p), L"撤销删除“乙”");
    Command(ID_UNDO);
    EXPECT_EQ(p.Buttons().Count(), 4u);
    EXPECT_EQ(Ring(), before);
}

TEST_F(UndoPanelTest, DamagedStoreAtStartIsOfferedTheNewestBackupAndKeepsWhatItHeld) {
    Exec("insert into tb_Btns (iType, Title, PathName, Para, sort) values (4, 'a', 'http://a/', null, 5), "
         "(4, '乙', 'http://b/', '-q', 6)");
    const std::string committed = Ring();
    EXPECT_EQ(OpenPanel().Buttons().Count(), 3u);  // its first frame writes the day's backup
    Restart();
    ASSERT_EQ(ListBackups(db.wstring()).size(), 1u);
    dir.WriteFile("bts.db", "SQLite format 3" + std::string(4096, '\x7f'));
    boxes.QueueAnswer(kIdYes);
    ASSERT_TRUE(StartApp());
    ASSERT_EQ(boxes.Count(), 1u);
    EXPECT_EQ(boxes.Shown()[0].flags, static_cast<unsigned>(kMbYesNo | kMbSystemModal));
    EXPECT_NE(boxes.Shown()[0].text.find(L"备份"), std::wstring::npos);
    EXPECT_EQ(Ring(), committed);
    EXPECT_EQ(OpenPanel().Buttons().Count(), 3u);
}

TEST_F(UndoPanelTest, TrayExportAndImportGoThroughTheFileChooser) {
    ScriptedChooser chooser;
    CQuorlinDlg& p = OpenPanel();
    AddThree(p);
    chooser.answer = (dir.Path() / L"导出 1.json").wstring();
    Command(ID_EXPORT_BUTTONS);
    ASSERT_TRUE(std::filesystem::exists(dir.Path() / L"导出 1.json"));
    ASSERT_EQ(boxes.Count(), 1u);
    EXPECT_NE(boxes.Shown()[0].text.find(L"已导出 4 个按钮"), std::wstring::npos);

    boxes.QueueAnswer(kIdYes);
    Command(ID_CLEAR_ALL);
    ASSERT_EQ(p.Buttons().Count(), 1u);
    // The preview lists every entry and adds nothing until "导入" is pressed.
    int previewed = -1;
    TimerScript agree([&] {
        HWND d = ::FindWindowW(L"#32770", nullptr);
        for (; d; d = ::FindWindowExW(nullptr, d, L"#32770", nullptr))
            if (dynamic_cast<CImportPreviewDlg*>(fw::WindowBase::FromHandle(d))) break;
        if (!d) return false;
        previewed = static_cast<int>(::SendDlgItemMessageW(d, IDC_IMPORT_LIST, LVM_GETITEMCOUNT, 0, 0));
        EXPECT_EQ(p.Buttons().Count(), 1u);
        ::PostMessageW(d, WM_COMMAND, IDOK, 0);
        return true;
    });
    Command(ID_IMPORT_BUTTONS);
    EXPECT_EQ(previewed, 4);
    EXPECT_EQ(p.Buttons().Count(), 4u);  // on the ring at once
    EXPECT_EQ(Query("select group_concat(Title, ',') from (select Title from tb_Btns where ID <> 2 order by sort)"),
              "我的电脑,甲,乙,丙");
    chooser.answer.clear();  // cancelled: nothing happens
    const size_t shown = boxes.Count();
    Command(ID_IMPORT_BUTTONS);
    EXPECT_EQ(boxes.Count(), shown);
    EXPECT_EQ(chooser.shown, 3);
}

// quorlin.exe --import, started beside the running panel's bts.db: the panel shows the
// new buttons when the import has finished, without a restart.
TEST_F(UndoPanelTest, ImportFromTheCommandLineShowsUpOnTheRunningPanel) {
    const char* built = std::getenv("QUORLIN_APPDIR");
    ASSERT_NE(built, nullptr);
    std::string appdir = built;
    if (!appdir.empty() && appdir[0] == '/') appdir = "Z:" + appdir;
    std::filesystem::copy_file(std::filesystem::path(appdir) / "quorlin.exe", dir.File("quorlin.exe"));
    dir.WriteFile("new.json", R"({"format":"quorlin-buttons","version":1,"buttons":[)"
                              R"({"title":"n1","path":"http://n1.example/","kind":4},)"
                              R"({"title":"n2","path":"http://n2.example/","kind":4}]})");
    CQuorlinDlg& p = OpenPanel();
    ASSERT_EQ(p.Buttons().Count(), 1u);

    // Its report goes to a file, never into a message box.
    SECURITY_ATTRIBUTES sa{sizeof(sa), nullptr, TRUE};
    HANDLE out = ::CreateFileW(dir.File("out.txt").wstring().c_str(), GENERIC_WRITE, FILE_SHARE_READ, &sa,
                               CREATE_ALWAYS, 0, nullptr);
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdOutput = si.hStdError = out;
    PROCESS_INFORMATION pi{};
    const std::wstring exe = dir.File("quorlin.exe").wstring();
    std::wstring cmd = L"\"" + exe + L"\" --import \"" + dir.File("new.json").wstring() + L"\"";
    ASSERT_TRUE(::CreateProcessW(exe.c_str(), cmd.data(), nullptr, nullptr, TRUE, 0, nullptr, dir.WPath().c_str(),
                                 &si, &pi));
    ::CloseHandle(out);
    for (int i = 0; i < 3000 && ::WaitForSingleObject(pi.hProcess, 0) == WAIT_TIMEOUT; ++i) Pump(10);
    DWORD code = 99;
    ::GetExitCodeProcess(pi.hProcess, &code);
    ::CloseHandle(pi.hProcess);
    ::CloseHandle(pi.hThread);
    EXPECT_EQ(code, 0u);
    Pump(50);
    ASSERT_EQ(p.Buttons().Count(), 3u);
    EXPECT_EQ(p.Buttons().At(2)->Title, L"n2");
}

}  // namespace
}  // namespace quorlin::testing
