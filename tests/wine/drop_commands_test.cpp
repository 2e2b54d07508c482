// Dropping files on the panel, the common entries, the panel's commands, the tray icon
// and the hotkey, through real messages to the real panel.
#include <shlobj.h>
#include <shlwapi.h>

#include <filesystem>

#include "app/settings_win.h"
#include "panel/drop_rules.h"
#include "panel_fixture.h"

namespace quorlin::testing {
namespace {

// A drop handle as the shell hands it over: DROPFILES followed by the names, wide,
// double-null terminated. The receiver frees it with DragFinish.
HDROP MakeDrop(const std::vector<std::wstring>& names) {
    size_t chars = 2;  // the list ends with an empty name; an empty list is two nulls
    for (const auto& n : names) chars += n.size() + 1;
    HGLOBAL h = ::GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(DROPFILES) + chars * sizeof(wchar_t));
    auto* df = static_cast<DROPFILES*>(::GlobalLock(h));
    df->pFiles = sizeof(DROPFILES);
    df->fWide = TRUE;
    auto* p = reinterpret_cast<wchar_t*>(reinterpret_cast<BYTE*>(df) + sizeof(DROPFILES));
    for (const auto& n : names) {
        std::copy(n.begin(), n.end(), p);
        p += n.size() + 1;
    }
    ::GlobalUnlock(h);
    return static_cast<HDROP>(h);
}

bool MakeShortcut(const std::wstring& lnk, const std::wstring& target) {
    IShellLinkW* link = nullptr;
    if (FAILED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                  reinterpret_cast<void**>(&link))))
        return false;
    link->SetPath(target.c_str());
    IPersistFile* file = nullptr;
    bool ok = SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file))) &&
              SUCCEEDED(file->Save(lnk.c_str(), TRUE));
    if (file) file->Release();
    link->Release();
    return ok;
}

class DropTest : public PanelTest {
protected:
    void Drop(const std::vector<std::wstring>& names) {
        ::PostMessageW(panel->hwnd(), WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop(names)), 0);
        Pump(20);
    }
    std::wstring MakeFile(const std::wstring& name) {
        const std::wstring p = dir.WPath() + L"\\" + name;
        HANDLE h = ::CreateFileW(p.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        ::CloseHandle(h);
        return p;
    }
    CButtonEx* Last() { return panel->Buttons().At(panel->Buttons().Count() - 1); }
};

TEST_F(DropTest, FilesAndFoldersBecomeButtonsWithTitlesFromTheirNames) {
    OpenPanel();
    const std::wstring file = MakeFile(L"report.final.doc");
    const std::wstring folder = dir.WPath() + L"\\Games";
    ::CreateDirectoryW(folder.c_str(), nullptr);
    Drop({file, folder});
    ASSERT_EQ(panel->Buttons().Count(), 3u);
    EXPECT_EQ(panel->Buttons().At(1)->Title, L"report.final");
    EXPECT_EQ(panel->Buttons().At(1)->iType, ItemKind::File);
    EXPECT_EQ(panel->Buttons().At(1)->PathName, file);
    EXPECT_EQ(panel->Buttons().At(2)->Title, L"Games");
    EXPECT_EQ(panel->Buttons().At(2)->iType, ItemKind::Folder);
    EXPECT_EQ(Query("select count(*) from tb_Btns where Para is null and ID > 2"), "2");
    EXPECT_EQ(sound.Played(), (std::vector<int>{152, 152}));
    // Laid out once after the drop: two rings' worth of room for three buttons on one ring.
    RECT r{};
    ::GetWindowRect(panel->Buttons().At(2)->hwnd(), &r);
    EXPECT_EQ(r.right - r.left, 24);
}

TEST_F(DropTest, ChineseAndApostrophesRoundTripAndADuplicateIsSkipped) {
    OpenPanel();
    const std::wstring quoted = MakeFile(L"O'Brien 报告 100%.txt");
    Drop({quoted});
    ASSERT_EQ(panel->Buttons().Count(), 2u);
    EXPECT_EQ(panel->Buttons().At(1)->Title, L"O'Brien 报告 100%");
    EXPECT_EQ(panel->Buttons().At(1)->PathName, quoted);
    Drop({quoted});  // already there: found by the duplicate test despite the apostrophe
    EXPECT_EQ(panel->Buttons().Count(), 2u);
    EXPECT_EQ(Query("select Title from tb_Btns where Title like 'O''Brien%'"), "O'Brien 报告 100%");
    EXPECT_EQ(sound.Played().size(), 1u);
}

TEST_F(DropTest, NamesLongerThanFiveHundredCharactersAreKeptWhole) {
    OpenPanel();
    const std::wstring name = L"C:\\" + std::wstring(600, L'x') + L".txt";
    Drop({name});
    // No such file: the row is made, and the name stored is the whole name, not a cut one.
    ASSERT_EQ(panel->Buttons().Count(), 2u);
    EXPECT_EQ(panel->Buttons().At(1)->PathName, name);
    EXPECT_EQ(Query("select length(PathName) from tb_Btns where ID > 2"), std::to_string(name.size()));
}

TEST_F(DropTest, ShortcutToAFolderAddsTheFolderUnderTheShortcutsName) {
    OpenPanel();
    const std::wstring folder = dir.WPath() + L"\\Projects";
    ::CreateDirectoryW(folder.c_str(), nullptr);
    const std::wstring lnk = dir.WPath() + L"\\Editor.lnk";
    ASSERT_TRUE(MakeShortcut(lnk, folder));
    Drop({lnk});
    ASSERT_EQ(panel->Buttons().Count(), 2u);
    EXPECT_EQ(Last()->Title, L"Editor");
    EXPECT_EQ(Last()->iType, ItemKind::Folder);
    EXPECT_EQ(Last()->PathName, folder);
}

TEST_F(DropTest, UpperCaseLnkIsAddedAsTheFileItself) {
    OpenPanel();
    const std::wstring target = MakeFile(L"target.txt");
    const std::wstring lnk = dir.WPath() + L"\\NOTES.LNK";
    ASSERT_TRUE(MakeShortcut(lnk, target));
    Drop({lnk});
    ASSERT_EQ(panel->Buttons().Count(), 2u);
    EXPECT_EQ(Last()->Title, L"NOTES");
    EXPECT_EQ(Last()->PathName, lnk);
    EXPECT_EQ(Last()->iType, ItemKind::File);
}

TEST_F(DropTest, BrokenShortcutAddsAButtonThatThePruneRemovesAtTheNextStart) {
    OpenPanel();
    const std::wstring lnk = dir.WPath() + L"\\broken.lnk";
    dir.WriteFile("broken.lnk", "not a shortcut at all");
    Drop({lnk});
    ASSERT_EQ(panel->Buttons().Count(), 2u);
    EXPECT_EQ(Last()->Title, L"broken");
    EXPECT_EQ(Last()->iType, ItemKind::File);
    const std::wstring stored = Last()->PathName;
    EXPECT_TRUE(stored == L" " || stored.empty()) << "unreadable shortcut target";
    ASSERT_TRUE(panel->Buttons().LoadButtons());
    EXPECT_EQ(panel->Buttons().Count(), 1u);
}

TEST_F(DropTest, ZeroNamesChangeNothing) {
    OpenPanel();
    Drop({});
    EXPECT_EQ(panel->Buttons().Count(), 1u);
    EXPECT_EQ(boxes.Count(), 0u);
}

TEST_F(DropTest, LimitStopsTheDropWithOneMessageAndDuplicatesDoNotCount) {
    OpenPanel();
    for (int i = 0; i < 63; ++i)
        ASSERT_TRUE(panel->Buttons().AddButton(L"t", L"http://h/" + std::to_wstring(i), ItemKind::Url, L""));
    ASSERT_EQ(panel->Buttons().Count(), 64u);
    const std::wstring dup = MakeFile(L"dup.txt");
    ASSERT_TRUE(panel->Buttons().AddButton(L"dup", dup, ItemKind::File, L""));  // 65 now
    std::vector<std::wstring> names{dup};
    for (int i = 0; i < 5; ++i) names.push_back(MakeFile(L"f" + std::to_wstring(i) + L".txt"));
    Drop(names);
    EXPECT_EQ(panel->Buttons().Count(), 66u);  // the duplicate did not count; one more fitted
    ASSERT_EQ(boxes.Count(), 1u);
    EXPECT_EQ(boxes.Shown()[0].text, L"最多只能添加66个按钮");
    EXPECT_EQ(boxes.Shown()[0].owner, reinterpret_cast<std::uintptr_t>(panel->hwnd()));
    EXPECT_EQ(Query("select count(*) from tb_Btns"), "67");
}

TEST_F(DropTest, SeventyFilesAtOnceStopAtTheLimit) {
    OpenPanel();
    std::vector<std::wstring> names;
    for (int i = 0; i < 70; ++i) names.push_back(MakeFile(L"g" + std::to_wstring(i) + L".txt"));
    Drop(names);
    EXPECT_EQ(panel->Buttons().Count(), 66u);
    EXPECT_EQ(boxes.Count(), 1u);
    EXPECT_EQ(panel->Layout().buttonHalf, 10);  // three rings
}

TEST_F(DropTest, LockedButtonsAskFirst) {
    WriteSetting("LOCK_BTN", "1");
    OpenPanel();
    const std::wstring file = MakeFile(L"a.txt");
    boxes.QueueAnswer(kIdNo);
    Drop({file});
    EXPECT_EQ(panel->Buttons().Count(), 1u);
    ASSERT_EQ(boxes.Count(), 1u);
    EXPECT_EQ(boxes.Shown()[0].text, L"按钮已经锁定，是否强行拖入？");
    EXPECT_EQ(boxes.Shown()[0].caption, L"提示");
    EXPECT_EQ(boxes.Shown()[0].flags, kMbSystemModal | kMbYesNo);
    boxes.QueueAnswer(kIdYes);
    Drop({file});
    EXPECT_EQ(panel->Buttons().Count(), 2u);
    EXPECT_TRUE(theApp().state.buttonsLocked);  // the lock stays on
}

class CommandTest : public PanelTest {};

TEST_F(CommandTest, CommonEntriesAreAddedOnceEach) {
    OpenPanel();
    Command(ID_ADD_CONTROL);
    Command(ID_ADD_RECYCLE);
    Command(ID_ADD_IE);
    Command(ID_ADD_DOCUMENTS);
    Command(ID_ADD_COMPUTER);  // row 1 already is My Computer
    Command(ID_ADD_RECYCLE);
    ASSERT_EQ(panel->Buttons().Count(), 5u);
    EXPECT_EQ(Query("select Title, PathName, iType, ifnull(Para, '<null>') from tb_Btns where ID > 2 and iType = 3 order by sort"),
              "控制面板|::{21EC2020-3AEA-1069-A2DD-08002B30309D}|3|<null>\n"
              "回收站|::{645FF040-5081-101B-9F08-00AA002F954E}|3|<null>\n"
              "IE浏览器|iexplore.exe|3|http://www.zanthe.example/");
    wchar_t docs[512] = {};
    ::SHGetSpecialFolderPathW(nullptr, docs, CSIDL_PERSONAL, FALSE);
    EXPECT_EQ(panel->Buttons().At(4)->PathName, docs);
    EXPECT_EQ(panel->Buttons().At(4)->iType, ItemKind::Folder);
    EXPECT_EQ(sound.Played().size(), 4u);
}

TEST_F(CommandTest, SwitchesToggleAndPersist) {
    OpenPanel();
    Command(ID_LOCK_BUTTONS);
    EXPECT_TRUE(theApp().state.buttonsLocked);
    EXPECT_EQ(ReadSetting("LOCK_BTN"), "1");
    Command(ID_LOCK_BUTTONS);
    EXPECT_EQ(ReadSetting("LOCK_BTN"), "0");
    Command(ID_FIXED);
    EXPECT_EQ(ReadSetting("LOCK"), "1");
    Command(ID_TOPMOST);
    EXPECT_EQ(ReadSetting("TOPMOST"), "1");
    HMENU m = panel->CommandSet().BuildPanelMenu();
    EXPECT_EQ(::GetMenuState(m, ID_TOPMOST, MF_BYCOMMAND) & MF_CHECKED, static_cast<UINT>(MF_CHECKED));
    EXPECT_EQ(::GetMenuState(m, ID_FIXED, MF_BYCOMMAND) & MF_CHECKED, static_cast<UINT>(MF_CHECKED));
    EXPECT_EQ(::GetMenuState(m, ID_LOCK_BUTTONS, MF_BYCOMMAND) & MF_CHECKED, 0u);
    ::DestroyMenu(m);
}

TEST_F(CommandTest, ClearAllAsksAndNoKeepsEverything) {
    OpenPanel();
    ASSERT_TRUE(panel->Buttons().AddButton(L"a", L"http://a/", ItemKind::Url, L""));
    boxes.QueueAnswer(kIdNo);
    Command(ID_CLEAR_ALL);
    ASSERT_EQ(boxes.Count(), 1u);
    EXPECT_EQ(boxes.Shown()[0].text, L"确认清空所有按钮？");
    EXPECT_EQ(boxes.Shown()[0].caption, L"请您确认");
    EXPECT_EQ(boxes.Shown()[0].flags, kMbSystemModal | kMbYesNo);
    EXPECT_EQ(boxes.Shown()[0].owner, 0u);
    EXPECT_EQ(panel->Buttons().Count(), 2u);
    boxes.QueueAnswer(kIdYes);
    Command(ID_CLEAR_ALL);
    EXPECT_EQ(panel->Buttons().Count(), 1u);
    EXPECT_EQ(Query("select count(*) from tb_Btns"), "2");
}

TEST_F(CommandTest, AutoRunCommandFlipsTheRunValue) {
    HKEY key = nullptr;
    ::RegCreateKeyW(HKEY_CURRENT_USER, kRunKey, &key);
    ::RegCloseKey(key);
    SetAutoRun(false);
    OpenPanel();
    HMENU tray = panel->Tray().BuildMenu();
    EXPECT_EQ(::GetMenuState(tray, ID_AUTORUN, MF_BYCOMMAND) & MF_CHECKED, 0u);
    ::DestroyMenu(tray);
    Command(ID_AUTORUN);
    EXPECT_TRUE(IsAutoRunEnabled());
    tray = panel->Tray().BuildMenu();
    EXPECT_EQ(::GetMenuState(tray, ID_AUTORUN, MF_BYCOMMAND) & MF_CHECKED, static_cast<UINT>(MF_CHECKED));
    wchar_t text[32] = {};
    ::GetMenuStringW(tray, ID_AUTORUN, text, 32, MF_BYCOMMAND);
    EXPECT_STREQ(text, L"随系统启动");
    ::DestroyMenu(tray);
    Command(ID_AUTORUN);
    EXPECT_FALSE(IsAutoRunEnabled());
    EXPECT_EQ(boxes.Count(), 0u);
}

TEST_F(CommandTest, CheckForUpdatesReportsEveryOutcome) {
    OpenPanel();  // the silent check at start meets nothing listening and says nothing
    Pump(500);
    EXPECT_EQ(boxes.Count(), 0u);
    Command(ID_CHECK_UPDATE);
    for (int i = 0; i < 200 && boxes.Count() == 0; ++i) Pump(50);
    ASSERT_EQ(boxes.Count(), 1u);
    EXPECT_EQ(boxes.Shown()[0].text, L"版本检测失败,请稍候重试!");
    EXPECT_EQ(boxes.Shown()[0].caption, L"Zanthe桌面-版本检测");
    EXPECT_EQ(boxes.Shown()[0].flags & (kMbSystemModal | kMbTaskModal), static_cast<unsigned>(kMbTaskModal));
}

TEST_F(CommandTest, ExitPostsQuitAndTheWindowCleansUp) {
    OpenPanel();
    ::PostMessageW(panel->hwnd(), WM_COMMAND, ID_EXIT, 0);
    Pump(20);
    EXPECT_TRUE(TakeQuit());
    HWND h = panel->hwnd();
    tray.calls.clear();
    ::DestroyWindow(h);
    EXPECT_EQ(tray.calls, std::vector<DWORD>{NIM_DELETE});
    EXPECT_EQ(::GetPropW(h, L"qiv_zembrick"), nullptr);
}

TEST_F(CommandTest, TrayIconRecordAndCallbacks) {
    OpenPanel();
    EXPECT_EQ(tray.calls, std::vector<DWORD>{NIM_ADD});
    EXPECT_EQ(panel->Tray().Data().uID, 128u);
    EXPECT_EQ(panel->Tray().Data().uCallbackMessage, WM_USER + 500);
    EXPECT_EQ(panel->Tray().Data().uFlags, static_cast<UINT>(NIF_MESSAGE | NIF_ICON | NIF_TIP));
    EXPECT_STREQ(panel->Tray().Data().szTip, L"Zanthe桌面");
    EXPECT_EQ(::SendMessageW(panel->hwnd(), WM_TRAYICON, 7, WM_LBUTTONDOWN), 1);  // not our icon
    ::ShowWindow(panel->hwnd(), SW_MINIMIZE);
    EXPECT_EQ(::SendMessageW(panel->hwnd(), WM_TRAYICON, 128, WM_LBUTTONDBLCLK), 0);
    EXPECT_FALSE(::IsIconic(panel->hwnd()));
}

TEST_F(CommandTest, HotKeyIsRegisteredOnceAndBringsThePanelForward) {
    OpenPanel();
    EXPECT_EQ(panel->Summons().HotKeyId(), static_cast<int>(::GlobalFindAtomW(L"qiv_tool-hotkey-S")));
    // Win+S is ours now: a second registration of the same keys fails.
    EXPECT_FALSE(::RegisterHotKey(nullptr, 77, MOD_WIN, 0x53));
    ::SendMessageW(panel->hwnd(), WM_HOTKEY, panel->Summons().HotKeyId(), 0);
    EXPECT_TRUE(::IsWindowVisible(panel->hwnd()));
    ClosePanel();
    EXPECT_TRUE(::RegisterHotKey(nullptr, 77, MOD_WIN, 0x53));  // released with the panel
    ::UnregisterHotKey(nullptr, 77);
}

}  // namespace
}  // namespace quorlin::testing
