// What a launcher button does with its item: open, open the containing folder,
// properties, delete, and the removal offer when the target is gone. Real button
// windows get real mouse messages and menu commands; the shell is the recording fake.
#include <filesystem>
#include <functional>

#include "dialogs/ghost_win.h"
#include "panel_fixture.h"

namespace quorlin::testing {
namespace {

class ItemActionsTest : public PanelTest {
protected:
    CButtonEx* Add(const std::wstring& title, const std::wstring& path, int kind, const std::wstring& para) {
        EXPECT_TRUE(panel->Buttons().AddButton(title, path, kind, para));
        panel->LayoutButtons();
        return panel->Buttons().At(panel->Buttons().Count() - 1);
    }
    // A click as the mouse makes it: move (hover), press, release on the button window.
    void Click(CButtonEx* b) {
        HWND h = b->hwnd();
        ::SendMessageW(h, WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
        ::SendMessageW(h, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
        ::SendMessageW(h, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
        Pump(20);
    }
    void MenuCommand(CButtonEx* b, UINT id) {
        ::PostMessageW(b->hwnd(), WM_COMMAND, MAKEWPARAM(id, 0), 0);
        Pump(20);
    }
};

TEST_F(ItemActionsTest, OpenUsesTheVerbAndParametersOfEachKind) {
    OpenPanel();
    const std::wstring file = dir.WPath() + L"\\tool.exe";
    dir.WriteFile("tool.exe", "MZ");
    Click(Add(L"tool", file, ItemKind::File, L""));
    Click(Add(L"dir", dir.WPath(), ItemKind::Folder, L"--ignored"));
    Click(Add(L"web", L"https://example.org/", ItemKind::Url, L"-x"));
    Click(Add(L"控制面板", L"::{21EC2020-3AEA-1069-A2DD-08002B30309D}", ItemKind::ShellEntry, L""));
    auto calls = shell.Calls();
    ASSERT_EQ(calls.size(), 4u);
    EXPECT_EQ(calls[0].verb, L"open");
    EXPECT_EQ(calls[0].file, file);
    EXPECT_TRUE(calls[0].hasParams);  // empty Para is passed as an empty string
    EXPECT_EQ(calls[0].params, L"");
    EXPECT_EQ(calls[0].show, SW_SHOWNORMAL);
    EXPECT_EQ(calls[0].owner, 0u);
    EXPECT_EQ(calls[1].verb, L"open");
    EXPECT_FALSE(calls[1].hasParams);  // a folder opens without parameters
    EXPECT_EQ(calls[2].params, L"-x");
    EXPECT_FALSE(calls[3].hasVerb);  // the shell's default verb
    EXPECT_EQ(calls[3].file, L"::{21EC2020-3AEA-1069-A2DD-08002B30309D}");
    EXPECT_EQ(boxes.Count(), 0u);
}

TEST_F(ItemActionsTest, MissingTargetOffersRemovalAndYesRemovesTheButton) {
    OpenPanel();
    const std::wstring gone = dir.WPath() + L"\\gone.txt";
    CButtonEx* b = Add(L"gone", gone, ItemKind::File, L"");
    const int id = b->ID;
    shell.result = 2;  // file not found
    boxes.QueueAnswer(kIdNo);
    Click(b);
    ASSERT_EQ(boxes.Count(), 1u);
    EXPECT_EQ(boxes.Shown()[0].text, L"打开失败{" + gone + L"}\r\n\r\n此目标不存在或已失效，是否删除此按钮？");
    EXPECT_EQ(boxes.Shown()[0].caption, L"提示");
    EXPECT_EQ(boxes.Shown()[0].flags, kMbYesNo | kMbSystemModal);
    ASSERT_NE(panel->Buttons().Find(id), nullptr);  // No keeps it
    sound.Clear();
    boxes.QueueAnswer(kIdYes);
    Click(panel->Buttons().Find(id));
    EXPECT_EQ(panel->Buttons().Find(id), nullptr);
    EXPECT_EQ(Query("select count(*) from tb_Btns where ID = " + std::to_string(id)), "0");
    EXPECT_EQ(sound.Played(), std::vector<int>{148});
}

TEST_F(ItemActionsTest, ReservedButtonStillAsksButYesKeepsIt) {
    OpenPanel();
    shell.result = 2;
    boxes.QueueAnswer(kIdYes);
    Click(panel->Buttons().At(0));
    EXPECT_EQ(boxes.Count(), 1u);
    ASSERT_EQ(panel->Buttons().Count(), 1u);
    EXPECT_EQ(panel->Buttons().At(0)->ID, 1);
}

TEST_F(ItemActionsTest, ResultThirtyTwoCountsAsSuccess) {
    OpenPanel();
    shell.result = 32;
    Click(Add(L"w", L"http://w/", ItemKind::Url, L""));
    EXPECT_EQ(boxes.Count(), 0u);
    shell.result = 31;
    Click(panel->Buttons().At(1));
    EXPECT_EQ(boxes.Count(), 1u);
}

TEST_F(ItemActionsTest, MenuOpenFolderPropertiesAndDelete) {
    OpenPanel();
    const std::wstring file = dir.WPath() + L"\\a b.txt";
    dir.WriteFile("a b.txt", "x");
    CButtonEx* b = Add(L"a", file, ItemKind::File, L"");
    const int id = b->ID;
    MenuCommand(b, ID_OPEN_FOLDER);
    MenuCommand(b, ID_PROPERTIES);
    auto calls = shell.Calls();
    ASSERT_EQ(calls.size(), 2u);
    wchar_t windows[MAX_PATH] = {};
    ::GetWindowsDirectoryW(windows, MAX_PATH);
    EXPECT_EQ(calls[0].file, std::wstring(windows) + L"\\explorer.exe");  // never looked for beside the program
    EXPECT_EQ(calls[0].verb, L"open");
    EXPECT_EQ(calls[0].params, L"/select, \"" + file + L"\"");
    EXPECT_TRUE(calls[1].invokeIdList);
    EXPECT_EQ(calls[1].verb, L"properties");
    EXPECT_EQ(calls[1].file, file);
    EXPECT_EQ(calls[1].owner, reinterpret_cast<std::uintptr_t>(b->hwnd()));
    // Delete from the menu: no question, the sound, the button gone at once.
    sound.Clear();
    MenuCommand(b, ID_DELETE);
    EXPECT_EQ(panel->Buttons().Find(id), nullptr);
    EXPECT_EQ(boxes.Count(), 0u);
    EXPECT_EQ(sound.Played(), std::vector<int>{148});
    EXPECT_EQ(Query("select count(*) from tb_Btns where ID = " + std::to_string(id)), "0");
}

TEST_F(ItemActionsTest, DeletingTheReservedButtonFromItsMenuDoesNothing) {
    OpenPanel();
    MenuCommand(panel->Buttons().At(0), ID_DELETE);
    EXPECT_EQ(panel->Buttons().Count(), 1u);
    EXPECT_TRUE(sound.Played().empty());
}

TEST_F(ItemActionsTest, WithButtonsLockedAPressAndMoveStillOpensNoDragStarts) {
    WriteSetting("LOCK_BTN", "1");
    OpenPanel();
    CButtonEx* b = Add(L"w", L"http://w/", ItemKind::Url, L"");
    HWND h = b->hwnd();
    ::SendMessageW(h, WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
    ::SendMessageW(h, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    ::SendMessageW(h, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(12, 12));
    EXPECT_EQ(panel->Popups().Ghost()->DraggedId(), -1);
    ::SendMessageW(h, WM_LBUTTONUP, 0, MAKELPARAM(12, 12));
    Pump(20);
    EXPECT_EQ(shell.Calls().size(), 1u);
}

// The removal prompt and the context menu run message loops of their own, in which the
// user can still act on the same button. Whatever was done to it meanwhile, answering
// afterwards touches no other row and nothing reads the deleted button (freed memory is
// scribbled over in these tests, so such a read fails loudly).
TEST_F(ItemActionsTest, NestedLoopsSurviveTheButtonGoingMeanwhile) {
    OpenPanel();
    NestedLoopBoxes nested;
    shell.result = 2;  // every target is gone
    struct Case {
        const char* name;
        std::function<void(std::int64_t id)> meanwhile;
        bool keepsOtherButtons;
    };
    const std::vector<Case> cases = {
        {"clicked again, and Yes to the second prompt",
         [&](std::int64_t id) { Click(panel->Buttons().Find(id)); }, true},
        {"deleted from its menu", [&](std::int64_t id) { MenuCommand(panel->Buttons().Find(id), ID_DELETE); }, true},
        {"dragged off the ring", [&](std::int64_t id) { panel->DeleteButton(id); }, true},
        {"all cleared", [&](std::int64_t) { Command(ID_CLEAR_ALL); }, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Add(L"other", L"https://other.example/", ItemKind::Url, L"");
        const std::int64_t id = Add(L"dead", dir.WPath() + L"\\dead.txt", ItemKind::File, L"")->ID;
        nested.QueueAnswer(kIdYes);  // the first prompt, answered after the loop
        nested.QueueAnswer(kIdYes);  // whatever asks inside it
        nested.during = [&] { c.meanwhile(id); };
        Click(panel->Buttons().Find(id));
        EXPECT_EQ(panel->Buttons().Find(id), nullptr);
        EXPECT_EQ(Query("select count(*) from tb_Btns where ID = " + std::to_string(id)), "0");
        EXPECT_EQ(Query("select count(*) from tb_Btns where Title = 'other'"), c.keepsOtherButtons ? "1" : "0");
        EXPECT_EQ(Query("select count(*) from tb_Btns where ID <= 2"), "2");
        nested.Clear();
        ASSERT_TRUE(panel->Buttons().ClearAllButtons());
    }

    // The context menu's loop: the button is deleted while its menu is open.
    Add(L"other", L"https://other.example/", ItemKind::Url, L"");
    CButtonEx* b = Add(L"menu", L"https://menu.example/", ItemKind::Url, L"");
    const std::int64_t id = b->ID;
    TimerScript script([&] {
        panel->DeleteButton(id);
        ::EndMenu();
        return true;
    });
    ::SendMessageW(b->hwnd(), WM_RBUTTONUP, 0, MAKELPARAM(5, 5));
    Pump(20);
    EXPECT_TRUE(script.done);
    EXPECT_EQ(Query("select count(*) from tb_Btns where ID = " + std::to_string(id)), "0");
    EXPECT_EQ(Query("select count(*) from tb_Btns where Title = 'other'"), "1");
}

}  // namespace
}  // namespace quorlin::testing
