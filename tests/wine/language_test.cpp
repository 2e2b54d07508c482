// The interface in English: setting.ini's LANG=en chooses the English block, and what the
// user reads follows it while the stored titles stay as they are.
#include <gtest/gtest.h>
#include <windows.h>

#include "app/ui_language_win.h"
#include "framework/texts.h"
#include "framework/texts_win.h"
#include "panel_fixture.h"
#include "res/resource.h"
#include "store/button_table.h"

namespace quorlin::testing {
namespace {

TEST(TextTableTest, TheChineseBlockHoldsTheCodesChineseTextsAndTheEnglishBlockEveryText) {
    ResourceTexts chinese(MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_SIMPLIFIED));
    ResourceTexts english(MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US));
    for (unsigned id = IDS_FIRST_TEXT; id <= IDS_LAST_TEXT; ++id) {
        EXPECT_FALSE(ChineseText(id).empty()) << id;
        EXPECT_EQ(chinese.Get(id), ChineseText(id)) << id;
        EXPECT_FALSE(english.Get(id).empty()) << id;
        EXPECT_NE(english.Get(id), ChineseText(id)) << id;
    }
}

class EnglishPanelTest : public PanelTest {
protected:
    void SetUp() override {
        PanelTest::SetUp();
        WriteSetting("LANG", "en");
        ApplyUiLanguage(UiLanguageFor(SettingsFile()));
    }
    void TearDown() override {
        PanelTest::TearDown();
        ApplyUiLanguage(UiLanguage::Chinese);  // what every other test expects
    }
};

TEST_F(EnglishPanelTest, MenuTrayTipQuestionsWorkerMessagesAndBuiltInTooltipsAreEnglish) {
    CQuorlinDlg& p = OpenPanel();
    EXPECT_STREQ(p.Tray().Data().szTip, L"Zanthe Desktop");
    HMENU trayMenu = p.Tray().BuildMenu();
    wchar_t hotkey[64] = {}, text[64] = {};
    ::GetMenuStringW(trayMenu, 0, hotkey, 64, MF_BYPOSITION);
    ::GetMenuStringW(trayMenu, ID_AUTORUN, text, 64, MF_BYCOMMAND);
    ::DestroyMenu(trayMenu);
    EXPECT_EQ(std::wstring(hotkey).rfind(L"Hotkey: ", 0), 0u) << hotkey;
    EXPECT_STREQ(text, L"Start with Windows");

    // The built-in entry keeps its Chinese title in the table; its bubble says it in English.
    Command(ID_ADD_RECYCLE);
    EXPECT_EQ(Query("select Title from tb_Btns where ID = (select max(ID) from tb_Btns)"), "回收站");
    CButtonEx* b = p.Buttons().At(p.Buttons().Count() - 1);
    ASSERT_NE(b, nullptr);
    RECT br{};
    ::GetWindowRect(b->hwnd(), &br);
    ::SetCursorPos((br.left + br.right) / 2, (br.top + br.bottom) / 2);
    ::SendMessageW(b->hwnd(), WM_MOUSEMOVE, 0, MAKELPARAM(10, 10));
    ASSERT_NE(panel->Popups().ToolTip(), nullptr);
    EXPECT_EQ(panel->Popups().ToolTip()->Text(), L"Recycle Bin");
    ::SendMessageW(b->hwnd(), WM_MOUSELEAVE, 0, 0);
    // Its window text, and the title that typing matches, are the shown ones too.
    EXPECT_EQ(fw::GetWindowTextString(b->hwnd()), L"Recycle Bin");
    for (wchar_t c : std::wstring(L"recycle")) ::PostMessageW(p.hwnd(), WM_CHAR, c, 1);
    Pump(10);
    EXPECT_EQ(p.Summons().Keys().selected(), static_cast<int>(p.Buttons().Count() - 1));
    EXPECT_EQ(panel->Popups().ToolTip()->Text(), L"Recycle Bin");
    ::PostMessageW(p.hwnd(), WM_KEYDOWN, VK_ESCAPE, 1);
    Pump(10);

    Command(ID_CLEAR_ALL);  // answered No
    // The version check's worker thread reads the same block.
    Command(ID_CHECK_UPDATE);
    for (int i = 0; i < 200 && boxes.Count() < 2; ++i) Pump(50);
    ASSERT_EQ(boxes.Count(), 2u);
    EXPECT_EQ(boxes.Shown()[0].text, L"Remove all buttons?");
    EXPECT_EQ(boxes.Shown()[0].caption, L"Please confirm");
    EXPECT_EQ(boxes.Shown()[1].text, L"The version check failed. Please try again later.");
    EXPECT_EQ(boxes.Shown()[1].caption, L"Zanthe Desktop - Version check");
}

}  // namespace
}  // namespace quorlin::testing
