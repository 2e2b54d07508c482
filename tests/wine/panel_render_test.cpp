// The real panel window: placement, composition and what its pixels show.
#include "panel_fixture.h"

#include "framework/gdiplus_win.h"

namespace quorlin::testing {
namespace {

unsigned Alpha(unsigned argb) { return argb >> 24; }

class PanelRenderTest : public PanelTest {};

TEST_F(PanelRenderTest, ComposedPictureIsTransparentOutsideRingAndDiscAndOpaqueOnTheClock) {
    CQuorlinDlg& p = OpenPanel();
    fw::LayeredCanvas canvas(p.hwnd(), p.Layout().width, p.Layout().height);
    p.Renderer().ComposeInto(canvas);
    // Corners lie outside the ring band: fully transparent, the mouse passes through.
    EXPECT_EQ(Alpha(canvas.Pixel(0, 0)), 0u);
    EXPECT_EQ(Alpha(canvas.Pixel(239, 239)), 0u);
    EXPECT_EQ(Alpha(canvas.Pixel(5, 120)), 0u);
    // Every pixel of the clock disc catches the mouse (alpha at least 1).
    for (int d = -45; d <= 45; d += 15) {
        EXPECT_GT(Alpha(canvas.Pixel(120 + d, 120)), 0u) << d;
        EXPECT_GT(Alpha(canvas.Pixel(120, 120 + d)), 0u) << d;
    }
    // The ring band itself is faint but present.
    EXPECT_GT(Alpha(canvas.Pixel(120, 18)), 0u);
}

}  // namespace
}  // namespace quorlin::testing
