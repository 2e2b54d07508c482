// The panel as a screen reader reads it (oleacc's AccessibleObjectFromWindow, as another
// program would call it) and in high contrast (switched on through the seam: Wine 8 has none).
#include <windows.h>
#include <oleacc.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <utility>
#include <vector>

#include "app/ui_language_win.h"
#include "framework/png_codec.h"
#include "panel/panel_accessible_win.h"
#include "panel_fixture.h"
#include "store/button_table.h"

namespace quorlin::testing {
namespace {

class FakeHighContrast : public IHighContrast {
public:
    FakeHighContrast() { previous_ = SetHighContrast(this); }
    ~FakeHighContrast() override { SetHighContrast(previous_); }
    bool on = false;
    bool On() override { return on; }

private:
    IHighContrast* previous_ = nullptr;
};

std::vector<std::pair<DWORD, LONG>> g_events;  // (event, child) of the events of the panel's client object
void CALLBACK OnEvent(HWINEVENTHOOK, DWORD event, HWND, LONG object, LONG child, DWORD, DWORD) {
    if (object == OBJID_CLIENT) g_events.emplace_back(event, child);
}
bool Heard(DWORD event, LONG child) {
    return std::find(g_events.begin(), g_events.end(), std::make_pair(event, child)) != g_events.end();
}

class AccessibilityTest : public PanelTest {
protected:
    // The ring: "我的电脑" (a built-in entry), then two files.
    CQuorlinDlg& OpenWithButtons() {
        CQuorlinDlg& p = OpenPanel();
        EXPECT_TRUE(p.Buttons().ClearAllButtons());
        for (const wchar_t* title : {L"记事本", L"Notes"})
            EXPECT_TRUE(p.Buttons().AddButton(title, std::wstring(L"C:\\apps\\") + title + L".exe", ItemKind::File, L""));
        p.LayoutButtons();
        p.RenderPanel();
        Pump(20);
        return p;
    }
    static VARIANT Child(long id) {
        VARIANT v;
        v.vt = VT_I4;
        v.lVal = id;
        return v;
    }
    static std::wstring Read(HRESULT (STDMETHODCALLTYPE IAccessible::*get)(VARIANT, BSTR*), IAccessible* a, long id) {
        BSTR text = nullptr;
        (a->*get)(Child(id), &text);
        std::wstring out = text ? text : L"";
        ::SysFreeString(text);
        return out;
    }
    static long Number(HRESULT (STDMETHODCALLTYPE IAccessible::*get)(VARIANT, VARIANT*), IAccessible* a, long id) {
        VARIANT v;
        ::VariantInit(&v);
        (a->*get)(Child(id), &v);
        return v.vt == VT_I4 ? v.lVal : -1;
    }
};

TEST_F(AccessibilityTest, AScreenReaderReadsTheRingInOrderOpensAButtonAndHearsTheSelectionMove) {
    CQuorlinDlg& p = OpenWithButtons();
    IAccessible* a = nullptr;
    ASSERT_EQ(::AccessibleObjectFromWindow(p.hwnd(), static_cast<DWORD>(OBJID_CLIENT), kIidAccessible,
                                           reinterpret_cast<void**>(&a)),
              S_OK);
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(Number(&IAccessible::get_accRole, a, CHILDID_SELF), ROLE_SYSTEM_CLIENT);
    EXPECT_EQ(Read(&IAccessible::get_accName, a, CHILDID_SELF), L"Zanthe桌面");
    LONG count = 0;
    EXPECT_EQ(a->get_accChildCount(&count), S_OK);
    ASSERT_EQ(count, 4);  // three buttons and the clock
    const wchar_t* names[] = {L"我的电脑", L"记事本", L"Notes"};
    for (long c = 1; c <= 3; ++c) {
        EXPECT_EQ(Number(&IAccessible::get_accRole, a, c), ROLE_SYSTEM_PUSHBUTTON);
        EXPECT_EQ(Read(&IAccessible::get_accName, a, c), names[c - 1]);
        EXPECT_EQ(Read(&IAccessible::get_accDescription, a, c), L"第 1 圈，第 " + std::to_wstring(c) + L" 个，共 3 个");
        EXPECT_EQ(Read(&IAccessible::get_accDefaultAction, a, c), L"打开");
        EXPECT_EQ(Number(&IAccessible::get_accState, a, c) & STATE_SYSTEM_FOCUSABLE, STATE_SYSTEM_FOCUSABLE);
        LONG x = 0, y = 0, w = 0, h = 0;
        EXPECT_EQ(a->accLocation(&x, &y, &w, &h, Child(c)), S_OK);
        const Rect r = p.Buttons().At(static_cast<size_t>(c - 1))->ScreenRect();
        EXPECT_TRUE(r.left == x && r.top == y && r.Width() == w && r.Height() == h) << c;
    }
    EXPECT_EQ(Number(&IAccessible::get_accRole, a, 4), ROLE_SYSTEM_STATICTEXT);
    EXPECT_EQ(Read(&IAccessible::get_accName, a, 4), L"10:10");  // the test's clock

    ApplyUiLanguage(UiLanguage::English);
    EXPECT_EQ(Read(&IAccessible::get_accName, a, 1), L"My Computer");
    EXPECT_EQ(Read(&IAccessible::get_accDescription, a, 3), L"ring 1, 3 of 3");
    EXPECT_EQ(Read(&IAccessible::get_accDefaultAction, a, 3), L"open");
    ApplyUiLanguage(UiLanguage::Chinese);

    EXPECT_EQ(a->accDoDefaultAction(Child(3)), S_OK);
    Pump(20);
    ASSERT_FALSE(shell.Calls().empty());
    EXPECT_EQ(shell.Calls().back().file, L"C:\\apps\\Notes.exe");

    const HWINEVENTHOOK hook = ::SetWinEventHook(EVENT_OBJECT_REORDER, EVENT_OBJECT_NAMECHANGE, nullptr, &OnEvent,
                                                 ::GetCurrentProcessId(), 0, WINEVENT_OUTOFCONTEXT);
    g_events.clear();
    ::SetFocus(p.hwnd());
    ::PostMessageW(p.hwnd(), WM_KEYDOWN, VK_RIGHT, 1);
    Pump(50);
    EXPECT_TRUE(Heard(EVENT_OBJECT_FOCUS, 1) && Heard(EVENT_OBJECT_SELECTION, 1));
    EXPECT_EQ(Number(&IAccessible::get_accState, a, 1) & STATE_SYSTEM_SELECTED, STATE_SYSTEM_SELECTED);
    p.CommandSet().UpdateButton(p.Buttons().At(2)->ID, L"Notizen", L"C:\\apps\\Notes.exe", L"", L"");
    EXPECT_TRUE(p.Buttons().DeleteButton(p.Buttons().At(1)->ID));
    Pump(50);
    ::UnhookWinEvent(hook);
    EXPECT_TRUE(Heard(EVENT_OBJECT_NAMECHANGE, 3) && Heard(EVENT_OBJECT_REORDER, CHILDID_SELF));
    a->Release();
}

TEST_F(AccessibilityTest, HighContrastDrawsThePanelAndTheBubbleInTheSystemColoursAtOnce) {
    FakeHighContrast contrast;
    CQuorlinDlg& p = OpenWithButtons();
    ::SetFocus(p.hwnd());
    ::PostMessageW(p.hwnd(), WM_KEYDOWN, VK_RIGHT, 1);  // the first button selected: its focus ring
    Pump(20);
    contrast.on = true;
    ::SendMessageW(p.hwnd(), WM_SETTINGCHANGE, SPI_SETHIGHCONTRAST, 0);
    auto colour = [](int sys) {
        const COLORREF c = ::GetSysColor(sys);
        return 0xFF000000u | (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c);
    };
    const fw::LayeredCanvas* frame = p.Renderer().PushedFrame();
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(frame->Pixel(11, 120), colour(COLOR_WINDOWTEXT)) << "the ring's outline";
    EXPECT_EQ(frame->Pixel(120, 182), colour(COLOR_WINDOW)) << "inside the ring";
    EXPECT_EQ(frame->Pixel(120, 71), colour(COLOR_WINDOWTEXT)) << "the clock's outline";
    EXPECT_EQ(frame->Pixel(120, 140), colour(COLOR_WINDOWTEXT)) << "the second hand, at half a minute";
    const Rect b = p.Buttons().At(0)->ScreenRect();  // 24 px; the ring: 3 px growth, 1 px gap, 2 px pen
    RECT panelRect{};
    ::GetWindowRect(p.hwnd(), &panelRect);
    const int left = b.left - panelRect.left - 3 - 1, top = b.top - panelRect.top + 12;
    EXPECT_EQ(frame->Pixel(left - 1, top), colour(COLOR_HIGHLIGHT)) << "the focus ring";
    EXPECT_EQ(frame->Pixel(left - 2, top), colour(COLOR_HIGHLIGHT)) << "two pixels wide";
    ASSERT_NE(p.Popups().ToolTip(), nullptr);
    fw::LayeredCanvas tip(80, 25);
    p.Popups().ToolTip()->ComposeTip(tip, L"x");
    EXPECT_EQ(tip.Pixel(3, 12), colour(COLOR_INFOBK)) << "the bubble";

    if (const char* out = std::getenv("QUORLIN_SCREEN_DIR")) {  // the README's picture
        png::Pixels shot{frame->Width(), frame->Height(), {}};
        for (int y = 0; y < shot.height; ++y) {
            for (int x = 0; x < shot.width; ++x) {
                const unsigned v = frame->Pixel(x, y), alpha = v >> 24;
                for (int shift : {0, 8, 16})
                    shot.bgra.push_back(static_cast<std::uint8_t>(alpha ? ((v >> shift) & 0xFF) * 255 / alpha : 0));
                shot.bgra.push_back(static_cast<std::uint8_t>(alpha));
            }
        }
        const std::vector<std::uint8_t> bytes = png::Encode(shot);
        std::ofstream(std::string(out) + "/panel-high-contrast.png", std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }
    contrast.on = false;
    ::SendMessageW(p.hwnd(), WM_SETTINGCHANGE, SPI_SETHIGHCONTRAST, 0);
    EXPECT_EQ(p.Renderer().PlanFrame().front().kind, DrawOp::Kind::DrawPicture) << "the ring's picture again";
}

}  // namespace
}  // namespace quorlin::testing
