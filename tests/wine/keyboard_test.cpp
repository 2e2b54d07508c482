// The panel from the keyboard: the hotkey brings it in front and sends it back, typed
// characters filter and open its buttons, and every button window is named by its title.
#include <windows.h>
#include <oleacc.h>
#include <shlobj.h>

#include <string>
#include <vector>

#include "panel/composition.h"
#include "panel/panel_accessible_win.h"
#include "panel_fixture.h"
#include "store/button_table.h"

namespace quorlin::testing {
namespace {

bool IsTopMost(HWND w) { return (::GetWindowLongW(w, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; }

class KeyboardTest : public PanelTest {
protected:
    // Four buttons in ring order after the first, "我的电脑", which stays; every one a
    // file to open.
    CQuorlinDlg& OpenWithTitles() {
        CQuorlinDlg& p = OpenPanel();
        EXPECT_TRUE(p.Buttons().ClearAllButtons());
        EXPECT_EQ(p.Buttons().Count(), 1u);
        for (const wchar_t* title : {L"记事本", L"Notes", L"计算器", L"Mail"})
            EXPECT_TRUE(p.Buttons().AddButton(title, std::wstring(L"C:\\apps\\") + title + L".exe", ItemKind::File, L""));
        p.LayoutButtons();
        p.RenderPanel();
        Pump(20);
        return p;
    }
    void Type(const std::wstring& text) {
        for (wchar_t c : text) ::PostMessageW(panel->hwnd(), WM_CHAR, c, 1);
        Pump(10);
    }
    void Key(WPARAM vk) {
        ::PostMessageW(panel->hwnd(), WM_KEYDOWN, vk, 1);
        Pump(10);
    }
    std::wstring LastOpened() const {
        const auto calls = shell.Calls();
        return calls.empty() ? L"" : calls.back().file;
    }
    // The drawing step of the button at `index`.
    DrawOp ButtonOp(size_t index) const {
        for (const DrawOp& op : panel->Renderer().PlanFrame())
            if (op.picture == PanelPicture::ButtonImage && op.buttonIndex == index) return op;
        ADD_FAILURE() << "button " << index << " is not drawn";
        return DrawOp{};
    }
};

TEST_F(KeyboardTest, TypedLettersDimTheOthersSelectTheFirstMatchAndEnterOpensIt) {
    CQuorlinDlg& p = OpenWithTitles();
    Type(L"NO");
    EXPECT_EQ(p.Summons().Keys().filter(), L"NO");
    EXPECT_EQ(p.Summons().Keys().selected(), 2);
    EXPECT_FALSE(ButtonOp(2).dimmed);
    EXPECT_TRUE(ButtonOp(1).dimmed);
    EXPECT_TRUE(ButtonOp(4).dimmed);
    EXPECT_EQ(ButtonOp(2).bounds.width, ButtonOp(4).bounds.width + 2 * kHoverGrowth) << "selected = drawn as hovered";
    ASSERT_NE(p.Popups().ToolTip(), nullptr);
    EXPECT_TRUE(::IsWindowVisible(p.Popups().ToolTip()->hwnd()));
    EXPECT_EQ(p.Popups().ToolTip()->Text(), L"Notes");
    EXPECT_EQ(p.Popups().TipShownFor(), static_cast<const void*>(&p));
    Key(VK_RETURN);
    EXPECT_EQ(LastOpened(), L"C:\\apps\\Notes.exe");
    EXPECT_EQ(Query("select Opened from tb_Usage where Path = '' and ID = " + std::to_string(p.Buttons().At(2)->ID)), "1");
    EXPECT_FALSE(::IsWindowVisible(p.Popups().ToolTip()->hwnd()));
}

TEST_F(KeyboardTest, ChineseFromAnInputMethodMatchesByCharacters) {
    CQuorlinDlg& p = OpenWithTitles();
    // An input method hands over its result as WM_IME_CHAR; the default handling makes WM_CHAR of it.
    ::PostMessageW(p.hwnd(), WM_IME_CHAR, L'计', 1);
    Pump(20);
    EXPECT_EQ(p.Summons().Keys().filter(), L"计");
    EXPECT_EQ(p.Summons().Keys().selected(), 3);
    Type(L"事");  // "计事" is in no title: nothing selected, everything dimmed
    EXPECT_EQ(p.Summons().Keys().selected(), -1);
    EXPECT_TRUE(ButtonOp(3).dimmed);
    Key(VK_RETURN);
    EXPECT_TRUE(shell.Calls().empty());
    Key(VK_BACK);
    EXPECT_EQ(p.Summons().Keys().filter(), L"计");
    Key(VK_RETURN);
    EXPECT_EQ(LastOpened(), L"C:\\apps\\计算器.exe");
}

TEST_F(KeyboardTest, ArrowsAndTabMoveAroundTheRingEscClearsThenSendsBack) {
    CQuorlinDlg& p = OpenWithTitles();
    ::SendMessageW(p.hwnd(), WM_HOTKEY, p.Summons().HotKeyId(), 0);
    ASSERT_TRUE(p.Summons().InFront());
    Key(VK_TAB);
    EXPECT_EQ(p.Summons().Keys().selected(), 0);
    Key(VK_RIGHT);
    Key(VK_DOWN);
    EXPECT_EQ(p.Summons().Keys().selected(), 2);
    Key(VK_UP);
    EXPECT_EQ(p.Summons().Keys().selected(), 1);
    Key(VK_LEFT);
    Key(VK_LEFT);
    EXPECT_EQ(p.Summons().Keys().selected(), 4) << "round the ring";
    Type(L"m");  // "Mail" only
    Key(VK_TAB);
    EXPECT_EQ(p.Summons().Keys().selected(), 4) << "only matching buttons are stops";
    Key(VK_ESCAPE);
    EXPECT_EQ(p.Summons().Keys().filter(), L"");
    EXPECT_EQ(p.Summons().Keys().selected(), -1);
    EXPECT_FALSE(ButtonOp(1).dimmed);
    EXPECT_TRUE(p.Summons().InFront());
    Key(VK_ESCAPE);
    EXPECT_FALSE(p.Summons().InFront());
    EXPECT_TRUE(::IsWindowVisible(p.hwnd()));
    EXPECT_TRUE(shell.Calls().empty());
}

TEST_F(KeyboardTest, CtrlZWhileTypingUndoesAndTypesNothing) {
    CQuorlinDlg& p = OpenWithTitles();
    ASSERT_TRUE(p.DeleteButton(p.Buttons().At(4)->ID));  // "Mail"
    Type(L"no");
    BYTE keys[256] = {};
    ::GetKeyboardState(keys);
    const BYTE before = keys[VK_CONTROL];
    keys[VK_CONTROL] = 0x80;
    ::SetKeyboardState(keys);
    Key('Z');
    keys[VK_CONTROL] = before;
    ::SetKeyboardState(keys);
    EXPECT_EQ(p.Buttons().Count(), 5u);
    EXPECT_EQ(p.Summons().Keys().filter(), L"no");
    EXPECT_EQ(p.Summons().Keys().selected(), 2);
}

TEST_F(KeyboardTest, NumberKeysOpenTheFirstNineOnlyWithoutAFilter) {
    CQuorlinDlg& p = OpenWithTitles();
    Type(L"3");
    EXPECT_EQ(LastOpened(), L"C:\\apps\\Notes.exe");
    Type(L"9");  // no ninth button
    EXPECT_EQ(shell.Calls().size(), 1u);
    Type(L"a2");  // a digit in a filter is part of it
    EXPECT_EQ(p.Summons().Keys().filter(), L"a2");
    EXPECT_EQ(shell.Calls().size(), 1u);
}

TEST_F(KeyboardTest, HotkeyBringsTheDesktopPanelInFrontWithTheKeyboardAndAgainSendsItBack) {
    HWND other = ::CreateWindowExW(0, L"STATIC", L"other", WS_POPUP | WS_VISIBLE, 0, 0, 300, 300, nullptr, nullptr,
                                   nullptr, nullptr);
    CQuorlinDlg& p = OpenWithTitles();
    p.Summons().SetTopMost(false, false);
    ::SetForegroundWindow(other);
    Pump(20);
    const UserBusyQuery real = SetUserBusyQuery([] { return true; });  // a game runs full screen
    ::SendMessageW(p.hwnd(), WM_HOTKEY, p.Summons().HotKeyId(), 0);
    SetUserBusyQuery(real);
    EXPECT_FALSE(p.Summons().InFront());
    ::SendMessageW(p.hwnd(), WM_HOTKEY, p.Summons().HotKeyId(), 0);
    Pump(20);
    EXPECT_TRUE(p.Summons().InFront());
    EXPECT_TRUE(IsTopMost(p.hwnd()));
    EXPECT_EQ(::GetForegroundWindow(), p.hwnd());
    const HWND focus = ::GetFocus();
    EXPECT_TRUE(focus == p.hwnd() || ::IsChild(p.hwnd(), focus)) << "the keyboard is the panel's";
    ::SendMessageW(p.hwnd(), WM_HOTKEY, p.Summons().HotKeyId(), 0);
    Pump(20);
    EXPECT_FALSE(p.Summons().InFront());
    EXPECT_FALSE(IsTopMost(p.hwnd()));
    EXPECT_EQ(::GetForegroundWindow(), other);

    // Losing the keyboard sends it back too; in topmost mode it stays on top.
    p.Summons().SetTopMost(true, false);
    ::SendMessageW(p.hwnd(), WM_HOTKEY, p.Summons().HotKeyId(), 0);
    Type(L"no");
    ::SetForegroundWindow(other);
    Pump(20);
    EXPECT_FALSE(p.Summons().InFront());
    EXPECT_TRUE(IsTopMost(p.hwnd()));
    EXPECT_EQ(p.Summons().Keys().filter(), L"") << "the filter goes with the keyboard";
    ::DestroyWindow(other);
}

TEST_F(KeyboardTest, ButtonWindowsAreStackedInRingOrderAfterASwap) {
    CQuorlinDlg& p = OpenWithTitles();
    const std::int64_t last = p.Buttons().At(4)->ID;
    RECT r{};
    ::GetWindowRect(p.Buttons().At(2)->hwnd(), &r);
    const int gx = (r.left + r.right) / 2, gy = (r.top + r.bottom) / 2;
    ASSERT_TRUE(p.SwapWhileDragging(RECT{gx - 11, gy - 11, gx + 11, gy + 11}, last));
    ASSERT_EQ(p.Buttons().At(2)->ID, last);
    std::vector<HWND> stacked;
    for (HWND w = ::GetWindow(p.hwnd(), GW_CHILD); w; w = ::GetWindow(w, GW_HWNDNEXT)) stacked.push_back(w);
    std::vector<HWND> ring;
    for (size_t i = 0; i < p.Buttons().Count(); ++i) ring.push_back(p.Buttons().At(i)->hwnd());
    EXPECT_EQ(stacked, ring);
}

TEST_F(KeyboardTest, EveryButtonWindowIsNamedByItsTitle) {
    CQuorlinDlg& p = OpenWithTitles();
    ASSERT_EQ(p.Buttons().Count(), 5u);
    EXPECT_EQ(fw::GetWindowTextString(p.Buttons().At(3)->hwnd()), L"计算器");
    const std::int64_t id = p.Buttons().At(4)->ID;
    ASSERT_EQ(p.Buttons().UpdateButton(id, L"邮件", L"C:\\apps\\Mail.exe", L""), EditOutcome::Stored);
    EXPECT_EQ(fw::GetWindowTextString(p.Buttons().Find(id)->hwnd()), L"邮件");
}

// A program of the Start menu made while the panel runs: after the hotkey, typed by its
// pinyin it is listed beside the panel, an arrow selects it (the ring then shows no
// selection, a screen reader hears its name), Enter opens its shortcut and counts it,
// Ctrl+Enter keeps it.
TEST_F(KeyboardTest, TypingFindsAStartMenuProgramThatEnterOpensAndCtrlEnterPutsOnTheRing) {
    CQuorlinDlg& p = OpenPanel();
    ASSERT_TRUE(p.Buttons().ClearAllButtons());
    wchar_t programs[MAX_PATH] = {}, notepad[MAX_PATH] = {};
    ASSERT_TRUE(SUCCEEDED(::SHGetFolderPathW(nullptr, CSIDL_PROGRAMS, nullptr, SHGFP_TYPE_CURRENT, programs)));
    ::GetSystemDirectoryW(notepad, MAX_PATH);
    const std::wstring folder = std::wstring(programs) + L"\\QuorlinTest", lnk = folder + L"\\记事本.lnk";
    struct Gone {
        std::wstring file, folder;
        ~Gone() {
            ::DeleteFileW(file.c_str());
            ::RemoveDirectoryW(folder.c_str());
        }
    } gone{lnk, folder};
    ::CreateDirectoryW(folder.c_str(), nullptr);
    IShellLinkW* link = nullptr;
    IPersistFile* file = nullptr;
    ASSERT_TRUE(SUCCEEDED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                             reinterpret_cast<void**>(&link))));
    link->SetPath((std::wstring(notepad) + L"\\notepad.exe").c_str());
    ASSERT_TRUE(SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file))));
    EXPECT_TRUE(SUCCEEDED(file->Save(lnk.c_str(), TRUE)));
    file->Release();
    link->Release();

    ::SendMessageW(p.hwnd(), WM_HOTKEY, p.Summons().HotKeyId(), 0);
    EXPECT_TRUE(p.Summons().InFront());
    Type(L"jsb");  // the list comes when the watch over the Programs folders has read them again
    HWND list = nullptr;
    for (int i = 0; i < 400 && !(list && ::IsWindowVisible(list)); ++i, Pump(25))
        list = ::FindWindowW(L"QuorlinProgramList", nullptr);
    ASSERT_TRUE(list && ::IsWindowVisible(list));
    EXPECT_EQ(p.Summons().ProgramRow(), 0) << "no button matches: the first program is selected";
    ASSERT_TRUE(p.Buttons().AddButton(L"记事簿", L"C:\\apps\\jsb.exe", ItemKind::File, L""));  // "jsb" finds it too
    p.LayoutButtons();
    p.RenderPanel();
    EXPECT_EQ(p.Summons().ProgramRow(), -1);
    Key(VK_DOWN);  // from the ring's last match into the list
    EXPECT_EQ(p.Summons().ProgramRow(), 0);
    EXPECT_EQ(ButtonOp(1).bounds.width, ButtonOp(0).bounds.width) << "while a program is selected the ring shows none";
    IAccessible* a = nullptr;
    ASSERT_EQ(::AccessibleObjectFromWindow(p.hwnd(), static_cast<DWORD>(OBJID_CLIENT), kIidAccessible,
                                           reinterpret_cast<void**>(&a)), S_OK);
    VARIANT focus;
    BSTR name = nullptr;
    EXPECT_EQ(a->get_accFocus(&focus), S_OK);
    a->get_accName(focus, &name);
    EXPECT_EQ(std::wstring(name ? name : L""), L"记事本 \x2014 QuorlinTest");
    ::SysFreeString(name);
    a->Release();
    Key(VK_RETURN);
    EXPECT_EQ(LastOpened(), lnk);
    EXPECT_EQ(Query("select Opened from tb_Usage where ID = 0"), "1");
    BYTE keys[256] = {};
    ::GetKeyboardState(keys);
    const BYTE before = keys[VK_CONTROL];
    keys[VK_CONTROL] = 0x80;
    ::SetKeyboardState(keys);
    Key(VK_RETURN);
    keys[VK_CONTROL] = before;
    ::SetKeyboardState(keys);
    EXPECT_EQ(Query("select count(*) from tb_Btns where Title='记事本'"), "1");
    EXPECT_FALSE(::IsWindowVisible(list)) << "on the ring it is listed no more";
    ClosePanel();
    CQuorlinDlg& again = OpenPanel();
    bool kept = false;
    for (size_t i = 0; i < again.Buttons().Count(); ++i) kept = kept || again.Buttons().At(i)->Title == L"记事本";
    EXPECT_TRUE(kept);
}

}  // namespace
}  // namespace quorlin::testing
