// The measures of the panel, ghost, tooltip and button input at 144 and 192 DPI.
#include <gtest/gtest.h>

#include "buttons/button_input.h"
#include "dialogs/ghost_logic.h"
#include "dialogs/tooltip_logic.h"
#include "panel/composition.h"
#include "panel/ring_layout.h"

namespace quorlin {
namespace {

TEST(DpiScaling, RoundsToTheNearestPixelAndIgnoresImpossibleValues) {
    EXPECT_EQ(ScaleByDpi(25, 144), 38);  // 37.5
    EXPECT_EQ(ScaleByDpi(-25, 144), -38);
    EXPECT_EQ(ScaleByDpi(240, 192), 480);
    EXPECT_EQ(ScaleByDpi(240, 0), 240);
    EXPECT_EQ(ScaleByDpi(240, -96), 240);
}

TEST(DpiScaling, PanelGeometryDoublesAt192) {
    const PanelGeometry g = PanelGeometry::ForDpi(192);
    EXPECT_EQ(g.panelWidth, 480);
    EXPECT_EQ(g.ringCenterX, 240);
    const RectF ring = g.RingPictureRect(), disc = g.ClockDiscRect(), hand = g.HandRect();
    EXPECT_EQ(ring, (RectF{20, 20, 440, 440}));
    EXPECT_EQ(disc, (RectF{140, 140, 200, 200}));
    EXPECT_EQ(hand, (RectF{230, 140, 20, 200}));
    const PanelGeometry base = PanelGeometry::ForDpi(96);
    EXPECT_EQ(base.RingPictureRect(), PanelGeometry().RingPictureRect());
    EXPECT_EQ(base.HandRect(), PanelGeometry().HandRect());
    // The buttons' pictures: as large as a hovered button at 192 DPI, never below 48.
    EXPECT_EQ(ButtonPictureSide(96), 48);
    EXPECT_EQ(ButtonPictureSide(192), 60);
}

TEST(DpiScaling, RingsKeepTheirCountsAndScaleTheirSizes) {
    for (std::size_t n : {1u, 13u, 14u, 33u, 34u, 66u}) {
        const RingLayout at96 = LayoutRings(n), at192 = LayoutRings(n, PanelGeometry::ForDpi(192));
        EXPECT_EQ(at192.buttonHalf, 2 * at96.buttonHalf) << n;
        ASSERT_EQ(at192.slots.size(), n);
        for (std::size_t i = 0; i < n; ++i) {
            // Radii are doubled, then truncated: within a pixel of twice the 96-DPI centre.
            EXPECT_NEAR(at192.slots[i].centerX, 2 * at96.slots[i].centerX, 2) << n << " " << i;
            EXPECT_NEAR(at192.slots[i].centerY, 2 * at96.slots[i].centerY, 2) << n << " " << i;
        }
    }
    EXPECT_EQ(LayoutRings(14, PanelGeometry::ForDpi(144)).buttonHalf, 17);  // 16.5
}

TEST(DpiScaling, HoveredButtonGrowsByTheScaledStep) {
    const PanelGeometry g = PanelGeometry::ForDpi(192);
    const auto ops = ComposePanel(g, 24, {ButtonView{5, 240, 60, true, true}}, -1, ClockTime{});
    EXPECT_EQ(ops[1].bounds, (RectF{210, 30, 60, 60}));
}

TEST(DpiScaling, GhostZonesAndPictureScale) {
    EXPECT_EQ(GhostRectAtCursor(1000, 500, 192), (Rect{940, 430, 1060, 570}));
    const Rect panel{0, 0, 480, 480};
    // 60 px from the centre: on the clock at 192 DPI (radius 100), in the band at 96.
    const Rect ghost = GhostRectAtCursor(300, 240, 192);
    EXPECT_TRUE(IsInDeleteZone(ghost, panel, 192));
    EXPECT_FALSE(IsInDeleteZone(ghost, panel, 96));
    const GhostPicture p = PlanGhostPicture(false, 7, 22, Rect{0, 0, 120, 140}, 192);
    EXPECT_EQ(p.labelWidth, 70);
    EXPECT_EQ(p.labelHeight, 34);
    EXPECT_EQ(p.labelTopLeft, (Point{60 - 36, 70 - 22 - 34}));
    EXPECT_EQ(ExplosionFrameOrigin(Rect{0, 0, 120, 140}, 192), (Point{10, 20}));
    EXPECT_EQ(PlanGhostPicture(false, 7, 11, Rect{0, 0, 60, 70}).labelWidth, 35);
}

TEST(DpiScaling, TooltipBubbleScales) {
    EXPECT_EQ(BubbleWidth(50.0, 192), 90);
    EXPECT_EQ(BubbleRectAt(100, 100, 90, 192), (Rect{100, 150, 190, 200}));
    EXPECT_EQ(BubbleFontPixels(144), 21.0);
    const auto shapes = FillBubble(90, 50, 192);
    EXPECT_EQ(shapes[0].x, 23);   // a pixel inside the corner radius of 24
    EXPECT_EQ(shapes[3].width, 48);
    EXPECT_EQ(TipTextBox(90, 50, 192).y, 4.0f);
    // Clamped to the work area of its own monitor.
    const TipPlacement t = PlaceTip(50.0, 3830, 200, L"", L"x", Rect{1920, 0, 3840, 1080}, 192);
    EXPECT_EQ(t.window, (Rect{3750, 250, 3840, 300}));
}

TEST(DpiScaling, DragStartsAfterTheScaledThreshold) {
    ButtonInput input;
    const auto track = [] { return true; };
    input.OnMouseMove(Point{10, 10}, false, track, 192);
    input.OnLeftDown(Point{10, 10});
    EXPECT_FALSE(input.OnMouseMove(Point{12, 10}, false, track, 192).startDrag);  // 2 px: not past 2
    EXPECT_TRUE(input.OnMouseMove(Point{13, 10}, false, track, 192).startDrag);
}

}  // namespace
}  // namespace quorlin
