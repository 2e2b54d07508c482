// The panel moved to a monitor of another DPI (WM_DPICHANGED, as Windows 10 sends it on
// a drag between monitors; Wine 8 has one DPI for all monitors, so the test sends it).
#include "panel_fixture.h"

#include <algorithm>

#include "dialogs/ghost_win.h"
#include "dialogs/tooltip_win.h"
#include "framework/gdiplus_win.h"

namespace quorlin::testing {
namespace {

unsigned Alpha(unsigned argb) { return argb >> 24; }

int IconWidth(HICON icon) {
    ICONINFO ii{};
    if (!icon || !::GetIconInfo(icon, &ii)) return 0;
    BITMAP bm{};
    ::GetObjectW(ii.hbmColor ? ii.hbmColor : ii.hbmMask, sizeof(bm), &bm);
    if (ii.hbmColor) ::DeleteObject(ii.hbmColor);
    if (ii.hbmMask) ::DeleteObject(ii.hbmMask);
    return bm.bmWidth;
}

class DpiChangeTest : public PanelTest {
protected:
    void SetUp() override {
        PanelTest::SetUp();
        OpenPanel();
        ASSERT_EQ(panel->Dpi(), 96) << "the test display runs at 96 DPI";
        ASSERT_TRUE(panel->Buttons().AddButton(L"u", L"http://u/", ItemKind::Url, L""));
        ASSERT_TRUE(panel->Buttons().AddButton(L"s", L"::{645FF040-5081-101B-9F08-00AA002F954E}", ItemKind::ShellEntry, L""));
        panel->LayoutButtons();
        panel->RenderPanel();
        panel->Popups().Ensure(panel->Dpi());
    }
    // What the system sends: the new DPI and the rectangle it suggests.
    void MoveToDpi(int dpi, const RECT& suggested) {
        ::SendMessageW(panel->hwnd(), WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
        Pump(20);
    }
    static RECT WindowRect(HWND w) {
        RECT r{};
        ::GetWindowRect(w, &r);
        return r;
    }
};

TEST_F(DpiChangeTest, At192DpiEverythingIsTwiceAsLargeAndBackAt96ThePictureIsTheSameAgain) {
    fw::LayeredCanvas before(panel->hwnd(), 240, 240);
    panel->Renderer().ComposeInto(before);
    const int trayAt96 = IconWidth(panel->Tray().Data().hIcon);
    const RECT r = WindowRect(panel->hwnd());

    MoveToDpi(192, RECT{r.left + 40, r.top + 20, r.left + 520, r.top + 500});
    const RECT big = WindowRect(panel->hwnd());
    EXPECT_EQ(big.left, r.left + 40);
    EXPECT_EQ(big.top, r.top + 20);
    EXPECT_EQ(big.right - big.left, 480);
    EXPECT_EQ(big.bottom - big.top, 480);
    EXPECT_EQ(panel->Layout().buttonHalf, 24);
    // The button windows catch the mouse over the larger icons, whose pictures are made
    // as large as they are drawn hovered (2 x (24 + 6)), not 48 stretched.
    const RECT button = WindowRect(panel->Buttons().At(0)->hwnd());
    EXPECT_EQ(button.right - button.left, 48);
    EXPECT_EQ(panel->Buttons().At(0)->Image()->GetWidth(), 60u);
    EXPECT_EQ(panel->Popups().Ghost()->IconHalfSize(), 22);
    EXPECT_EQ(panel->Popups().ToolTip()->Dpi(), 192);
    EXPECT_EQ(IconWidth(panel->Tray().Data().hIcon), 2 * trayAt96);

    fw::LayeredCanvas large(panel->hwnd(), 480, 480);
    panel->Renderer().ComposeInto(large);
    EXPECT_EQ(Alpha(large.Pixel(0, 0)), 0u);
    EXPECT_EQ(Alpha(large.Pixel(10, 240)), 0u);
    for (int d = -90; d <= 90; d += 30) EXPECT_GT(Alpha(large.Pixel(240 + d, 240)), 0u) << d;
    EXPECT_GT(Alpha(large.Pixel(240, 36)), 0u);  // the ring band, at twice its radius
    // The 12 o'clock tick of the face: opaque and bright from 40 to 50 px above the centre
    // at 96 DPI, so from 80 to 100 at 192.
    EXPECT_GT(Alpha(large.Pixel(240, 240 - 88)), 200u);

    // The second hand (10:10:30: straight down) is sharp: drawn from its larger picture it
    // has fully opaque pixels across its width; stretched from the small one (10 px wide
    // to 20) none of them would pass 200.
    for (int dy : {50, 70}) {
        unsigned peak = 0;
        for (int x = 230; x <= 250; ++x) peak = std::max(peak, Alpha(large.Pixel(x, 240 + dy)));
        EXPECT_GE(peak, 240u) << dy;
    }

    // The ghost's picture, twice as large: the "move" label (70 x 34 from its larger
    // picture) above the icon (44 x 44 at the centre of 120 x 140).
    Probe::SetDraggedId(*panel->Popups().Ghost(), panel->Buttons().At(1)->ID);
    fw::LayeredCanvas ghost(panel->Popups().Ghost()->hwnd(), 120, 140);
    ASSERT_TRUE(panel->Popups().Ghost()->ComposeGhost(ghost, -1));
    EXPECT_GT(Alpha(ghost.Pixel(26, 30)), 200u);   // the label's plate, left of where the 96-DPI one ends
    EXPECT_GT(Alpha(ghost.Pixel(93, 30)), 200u);   // and right of it
    EXPECT_GT(Alpha(ghost.Pixel(60, 70)), 200u);   // the icon
    EXPECT_EQ(Alpha(ghost.Pixel(5, 135)), 0u);
    Probe::SetDraggedId(*panel->Popups().Ghost(), -1);

    MoveToDpi(96, RECT{r.left, r.top, r.left + 240, r.top + 240});
    EXPECT_EQ(WindowRect(panel->hwnd()).right - r.left, 240);
    EXPECT_EQ(panel->Buttons().At(0)->Image()->GetWidth(), 48u);
    fw::LayeredCanvas after(panel->hwnd(), 240, 240);
    panel->Renderer().ComposeInto(after);
    int differing = 0;
    for (int y = 0; y < 240; ++y)
        for (int x = 0; x < 240; ++x) differing += before.Pixel(x, y) != after.Pixel(x, y);
    EXPECT_EQ(differing, 0);
}

// Scale=200 on this 96-DPI display: the panel is drawn as at 192 DPI, the tray icon is not;
// on a monitor of 144 DPI the size multiplies that one.
TEST_F(PanelTest, TwiceTheSizeIsDrawnAsAt192DpiAndFollowsTheMonitor) {
    WriteSetting("Scale", "200");
    OpenPanel();
    EXPECT_EQ(panel->Dpi(), 192);
    RECT r{};
    ::GetWindowRect(panel->hwnd(), &r);
    EXPECT_EQ(r.right - r.left, 480);
    EXPECT_EQ(IconWidth(panel->Tray().Data().hIcon), ::GetSystemMetrics(SM_CXSMICON));
    fw::LayeredCanvas large(panel->hwnd(), 480, 480);
    panel->Renderer().ComposeInto(large);
    EXPECT_GT(Alpha(large.Pixel(240, 240 - 88)), 200u);  // the 12 o'clock tick, as at 192 DPI
    ::SendMessageW(panel->hwnd(), WM_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&r));
    EXPECT_EQ(panel->Dpi(), 288);
}

}  // namespace
}  // namespace quorlin::testing
