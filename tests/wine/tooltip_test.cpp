// The tooltip bubble: a window of its own for the geometry, the redraw rule and the
// picture, and the panel's bubble as a hover over a real button shows it.
#include <windows.h>

#include <string>

#include "dialogs/tooltip_logic.h"
#include "dialogs/tooltip_win.h"
#include "framework/gdiplus_win.h"
#include "panel_fixture.h"
#include "store/button_table.h"

namespace quorlin::testing {
namespace {

unsigned Alpha(unsigned argb) { return argb >> 24; }
unsigned Red(unsigned argb) { return (argb >> 16) & 0xFF; }

RECT WindowRect(HWND w) {
    RECT r{};
    ::GetWindowRect(w, &r);
    return r;
}

const std::wstring kChineseTitle = L"Zanthe桌面 删除";

// A bubble of the test's own, hidden after creation as the panel's is.
class BubbleTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(tip.CreateHidden()); }
    CToolTipDlg tip;
};

TEST_F(BubbleTest, WindowIsHiddenDisabledLayeredTopMostToolWindowWithACentredFormatAndABoldFont) {
    HWND w = tip.hwnd();
    EXPECT_FALSE(::IsWindowVisible(w));
    EXPECT_FALSE(::IsWindowEnabled(w)) << "never takes the mouse or the keyboard";
    const LONG_PTR ex = ::GetWindowLongPtrW(w, GWL_EXSTYLE);
    EXPECT_TRUE(ex & WS_EX_LAYERED);
    EXPECT_TRUE(ex & WS_EX_TOOLWINDOW);
    EXPECT_TRUE(ex & WS_EX_TOPMOST);
    EXPECT_FALSE(ex & WS_EX_APPWINDOW);
    EXPECT_TRUE(tip.Text().empty());
    ASSERT_TRUE(tip.Format());
    EXPECT_EQ(tip.Format()->GetAlignment(), Gdiplus::StringAlignmentCenter);
    EXPECT_EQ(tip.Format()->GetLineAlignment(), Gdiplus::StringAlignmentCenter);
    ASSERT_TRUE(tip.Font()) << "no font family at all";
    EXPECT_FALSE(tip.FontName().empty());
    EXPECT_FLOAT_EQ(tip.Font()->GetSize(), 14.0f);
    EXPECT_EQ(tip.Font()->GetUnit(), Gdiplus::UnitPixel);
    EXPECT_EQ(tip.Font()->GetStyle() & Gdiplus::FontStyleBold, Gdiplus::FontStyleBold);
    for (WPARAM key : {WPARAM(VK_ESCAPE), WPARAM(VK_RETURN)}) {
        MSG m{w, WM_KEYDOWN, key, 0, 0, {0, 0}};
        EXPECT_TRUE(tip.PreTranslateMessage(&m)) << key;
    }
    // Which family this system gave us, for whoever reads the log.
    std::string utf8(static_cast<size_t>(::WideCharToMultiByte(CP_UTF8, 0, tip.FontName().c_str(), -1, nullptr, 0, nullptr, nullptr)), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, tip.FontName().c_str(), -1, utf8.data(), static_cast<int>(utf8.size()), nullptr, nullptr);
    std::printf("[ bubble   ] font family: %s\n", utf8.c_str());
}

TEST_F(BubbleTest, ChosenFontHasTheChineseGlyphsOfTheTitles) {
    ASSERT_FALSE(tip.FontName().empty());
    // The first preferred family that exists is taken, whatever comes after it.
    std::wstring firstPresent;
    for (const std::wstring& name : CToolTipDlg::PreferredFontFamilies()) {
        Gdiplus::FontFamily f(name.c_str());
        if (f.GetLastStatus() == Gdiplus::Ok) {
            firstPresent = name;
            break;
        }
    }
    EXPECT_EQ(tip.FontName(), firstPresent) << "a Chinese family is installed but was not chosen";

    HDC dc = ::CreateCompatibleDC(nullptr);
    HFONT f = ::CreateFontW(-14, 0, 0, 0, FW_BOLD, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, tip.FontName().c_str());
    HGDIOBJ old = ::SelectObject(dc, f);
    const std::wstring chinese = L"桌面删除移动我的电脑";
    std::vector<WORD> glyphs(chinese.size());
    const DWORD n = ::GetGlyphIndicesW(dc, chinese.c_str(), static_cast<int>(chinese.size()), glyphs.data(),
                                       GGI_MARK_NONEXISTING_GLYPHS);
    EXPECT_EQ(n, chinese.size());
    for (size_t i = 0; i < glyphs.size(); ++i) EXPECT_NE(glyphs[i], 0xFFFF) << "no glyph for character " << i;
    ::SelectObject(dc, old);
    ::DeleteObject(f);
    ::DeleteDC(dc);
}

TEST_F(BubbleTest, BubbleSitsBelowTheCursorAsWideAsTheMeasuredTextPlusTwenty) {
    const double narrow = tip.MeasureText(L"A");
    const double measured = tip.MeasureText(kChineseTitle);
    EXPECT_GT(narrow, 0.0);
    EXPECT_GT(measured, narrow * 3);
    EXPECT_DOUBLE_EQ(tip.MeasureText(L""), 0.0);
    const int w = static_cast<int>(measured + 20.0);

    tip.ShowTip(true, kChineseTitle, 500, 300);
    EXPECT_TRUE(::IsWindowVisible(tip.hwnd()));
    EXPECT_FALSE(::IsWindowEnabled(tip.hwnd()));
    const RECT r = WindowRect(tip.hwnd());
    EXPECT_EQ(r.left, 500);
    EXPECT_EQ(r.top, 325);
    EXPECT_EQ(r.right, 500 + w);
    EXPECT_EQ(r.bottom, 350);
    // The same as the portable placement computes for that measurement.
    const TipPlacement plan = PlaceTip(measured, 500, 300, L"", kChineseTitle, ::GetSystemMetrics(SM_CXFULLSCREEN),
                                       ::GetSystemMetrics(SM_CYFULLSCREEN));
    EXPECT_EQ(plan.window, (Rect{r.left, r.top, r.right, r.bottom}));

    tip.ShowTip(false, L"", 0, 0);
    EXPECT_FALSE(::IsWindowVisible(tip.hwnd()));
    EXPECT_EQ(tip.Text(), kChineseTitle) << "hiding keeps the picture's text";
}

TEST_F(BubbleTest, BubbleStaysOnTheScreenAtTheLeftRightAndBottomEdges) {
    // The edges of the primary monitor's work area (the display has one monitor at 0, 0).
    RECT work{};
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    const int cxF = work.right, cyF = work.bottom;
    const std::wstring t = L"Edge";
    const int w = static_cast<int>(tip.MeasureText(t) + 20.0);

    tip.ShowTip(true, t, -40, 100);
    RECT r = WindowRect(tip.hwnd());
    EXPECT_EQ(r.left, 0);
    EXPECT_EQ(r.right, w);
    tip.ShowTip(true, t, 0, 100);
    EXPECT_EQ(WindowRect(tip.hwnd()).left, 0);

    tip.ShowTip(true, t, cxF - 5, 100);
    r = WindowRect(tip.hwnd());
    EXPECT_EQ(r.right, cxF);
    EXPECT_EQ(r.left, cxF - w);

    tip.ShowTip(true, t, 300, cyF - 10);  // top would be cyF + 15
    r = WindowRect(tip.hwnd());
    EXPECT_EQ(r.top, cyF);
    EXPECT_EQ(r.bottom - r.top, 25);
    EXPECT_EQ(r.left, 300);

    RECT direct{10, cyF, 10 + w, cyF + 25};
    CToolTipDlg::ClampToScreen(direct, w);
    EXPECT_EQ(direct.top, cyF);
    EXPECT_EQ(direct.bottom, cyF + 25);
}

TEST_F(BubbleTest, PictureIsDrawnOnlyWhenTheTextChanges) {
    // The very first show of an empty text draws nothing: the stored text is already empty.
    tip.ShowTip(true, L"", 200, 200);
    EXPECT_EQ(tip.RenderCount(), 0);
    EXPECT_EQ(WindowRect(tip.hwnd()).right - WindowRect(tip.hwnd()).left, 20);

    tip.ShowTip(true, L"Alpha", 200, 200);
    EXPECT_EQ(tip.RenderCount(), 1);
    EXPECT_EQ(tip.Text(), L"Alpha");
    const int alphaWidth = WindowRect(tip.hwnd()).right - WindowRect(tip.hwnd()).left;

    // Following the cursor over one button only moves the window.
    for (int x = 201; x < 230; x += 3) tip.ShowTip(true, L"Alpha", x, 210);
    EXPECT_EQ(tip.RenderCount(), 1);
    EXPECT_EQ(WindowRect(tip.hwnd()).left, 228);
    EXPECT_EQ(WindowRect(tip.hwnd()).top, 235);

    // Case matters; a longer title gives a wider bubble.
    tip.ShowTip(true, L"alpha", 200, 200);
    EXPECT_EQ(tip.RenderCount(), 2);
    tip.ShowTip(true, L"Alpha and a much longer title", 200, 200);
    EXPECT_EQ(tip.RenderCount(), 3);
    EXPECT_GT(WindowRect(tip.hwnd()).right - WindowRect(tip.hwnd()).left, alphaWidth + 40);

    // An empty title after another one: a bubble 20 px wide, drawn.
    tip.ShowTip(true, L"", 200, 200);
    EXPECT_EQ(tip.RenderCount(), 4);
    EXPECT_EQ(WindowRect(tip.hwnd()).right - WindowRect(tip.hwnd()).left, 20);
}

TEST_F(BubbleTest, BubbleIsHalfTransparentBlackWithRoundedCornersAndOpaqueWhiteText) {
    const int w = static_cast<int>(tip.MeasureText(kChineseTitle) + 20.0);
    fw::LayeredCanvas canvas(tip.hwnd(), w, 25);
    tip.ComposeTip(canvas, kChineseTitle);
    // The corners are cut off.
    for (POINT c : {POINT{0, 0}, POINT{w - 1, 0}, POINT{0, 24}, POINT{w - 1, 24}})
        EXPECT_EQ(Alpha(canvas.Pixel(c.x, c.y)), 0u) << c.x << "," << c.y;
    // Edges of the bubble: black at alpha 150 (the top row is above the text).
    const unsigned top = canvas.Pixel(w / 2, 0);
    EXPECT_NEAR(static_cast<int>(Alpha(top)), 150, 2);
    EXPECT_EQ(top & 0xFFFFFF, 0u);
    EXPECT_NEAR(static_cast<int>(Alpha(canvas.Pixel(1, 12))), 150, 2) << "left strip";
    EXPECT_NEAR(static_cast<int>(Alpha(canvas.Pixel(w - 2, 12))), 150, 2) << "right strip";
    EXPECT_NEAR(static_cast<int>(Alpha(canvas.Pixel(6, 3))), 150, 30) << "inside the top-left quarter-disc";
    // The text: opaque white strokes inside the bubble, none at the rims.
    int white = 0;
    for (int y = 0; y < 25; ++y)
        for (int x = 0; x < w; ++x) {
            const unsigned p = canvas.Pixel(x, y);
            if (Alpha(p) > 240 && Red(p) > 240) ++white;
        }
    EXPECT_GT(white, 40);
    for (int x = 0; x < w; ++x) EXPECT_LT(Alpha(canvas.Pixel(x, 0)), 230u) << x;  // seams painted twice reach ~212

    // FillBubble alone: the same shape without text.
    fw::LayeredCanvas plain(tip.hwnd(), 40, 25);
    {
        Gdiplus::Graphics g(plain.MemoryDC());
        g.SetSmoothingMode(Gdiplus::SmoothingModeHighQuality);
        CToolTipDlg::FillBubble(g, 40, 25, 0x96000000);
    }
    EXPECT_NEAR(static_cast<int>(Alpha(plain.Pixel(20, 12))), 150, 2);
    EXPECT_EQ(Alpha(plain.Pixel(0, 0)), 0u);
    EXPECT_EQ(Alpha(plain.Pixel(39, 24)), 0u);
}

// The panel's bubble, shown by a hover over a real launcher button.
class ToolTipPanelTest : public PanelTest {};

TEST_F(ToolTipPanelTest, HoverOverAButtonShowsItsTitleBelowTheCursorAndAPressHidesIt) {
    CQuorlinDlg& p = OpenPanel();
    ASSERT_NE(panel->Popups().ToolTip(), nullptr) << "the panel makes the bubble";
    // A new user's ring holds only the built-in entries: the bubble below it says what to do,
    // until the first button is added.
    EXPECT_TRUE(p.Popups().HintShown());
    EXPECT_EQ(p.Popups().ToolTip()->Text().rfind(L"把文件、文件夹或快捷方式拖到这里", 0), 0u);
    ASSERT_TRUE(p.Buttons().AddButton(kChineseTitle, L"http://zanthe.example/", ItemKind::Url, L""));
    p.LayoutButtons();
    EXPECT_FALSE(p.Popups().HintShown());
    EXPECT_EQ(ReadSetting("HintDone"), "1");
    p.RenderPanel();
    Pump(20);
    CButtonEx* b = p.Buttons().At(p.Buttons().Count() - 1);
    ASSERT_NE(b, nullptr);
    ASSERT_EQ(b->Title, kChineseTitle);

    RECT br = WindowRect(b->hwnd());
    const int cx = (br.right - br.left) / 2, cy = (br.bottom - br.top) / 2;
    ::SetCursorPos(br.left + cx, br.top + cy);
    ::SendMessageW(b->hwnd(), WM_MOUSEMOVE, 0, MAKELPARAM(cx, cy));
    EXPECT_TRUE(::IsWindowVisible(panel->Popups().ToolTip()->hwnd()));
    EXPECT_EQ(panel->Popups().ToolTip()->Text(), kChineseTitle);
    RECT r = WindowRect(panel->Popups().ToolTip()->hwnd());
    EXPECT_EQ(r.left, br.left + cx);
    EXPECT_EQ(r.top, br.top + cy + 25);
    EXPECT_EQ(r.right - r.left, static_cast<int>(panel->Popups().ToolTip()->MeasureText(kChineseTitle) + 20.0));

    // It follows the cursor without drawing again.
    const int renders = panel->Popups().ToolTip()->RenderCount();
    ::SendMessageW(b->hwnd(), WM_MOUSEMOVE, 0, MAKELPARAM(cx + 3, cy - 2));
    r = WindowRect(panel->Popups().ToolTip()->hwnd());
    EXPECT_EQ(r.left, br.left + cx + 3);
    EXPECT_EQ(r.top, br.top + cy - 2 + 25);
    EXPECT_EQ(panel->Popups().ToolTip()->RenderCount(), renders);

    ::SendMessageW(b->hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(cx, cy));
    EXPECT_FALSE(::IsWindowVisible(panel->Popups().ToolTip()->hwnd()));
    Pump(10);
}

// Straight from one button onto its neighbour: the old one's leave arrives after the new
// one's first move and must not hide the new one's tip.
TEST_F(ToolTipPanelTest, LeaveOfTheOldButtonKeepsTheTipTheNeighbourShowed) {
    CQuorlinDlg& p = OpenPanel();
    ASSERT_TRUE(p.Buttons().AddButton(L"Left", L"http://left.example/", ItemKind::Url, L""));
    ASSERT_TRUE(p.Buttons().AddButton(L"Right", L"http://right.example/", ItemKind::Url, L""));
    p.LayoutButtons();
    Pump(20);
    CButtonEx* left = p.Buttons().At(p.Buttons().Count() - 2);
    CButtonEx* right = p.Buttons().At(p.Buttons().Count() - 1);
    ::SendMessageW(left->hwnd(), WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
    ::SendMessageW(right->hwnd(), WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
    ::SendMessageW(left->hwnd(), WM_MOUSELEAVE, 0, 0);
    EXPECT_TRUE(::IsWindowVisible(panel->Popups().ToolTip()->hwnd()));
    EXPECT_EQ(panel->Popups().ToolTip()->Text(), L"Right");
    ::SendMessageW(right->hwnd(), WM_MOUSELEAVE, 0, 0);
    EXPECT_FALSE(::IsWindowVisible(panel->Popups().ToolTip()->hwnd()));
    Pump(10);
}

}  // namespace
}  // namespace quorlin::testing
