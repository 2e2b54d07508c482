// Inputs found by the fuzzers in tests/fuzz, kept here so that they run with every build.
//
// Placement: window rectangles and screen metrics can hold any int (a window dragged far
// off, a hand-edited setting.ini, a broken display driver); the width of such a rectangle,
// or an edge moved by it, used to overflow int (undefined behaviour, stopped by UBSan here).
// Results now saturate at the int range, and sane screens still get on-screen results.
#include <gtest/gtest.h>

#include <climits>

#include "panel/placement.h"

namespace quorlin {
namespace {

constexpr int kCx = 1920;
constexpr int kCy = 1050;

TEST(PlacementExtremes, KeepOnScreenWithSidesFurtherApartThanAnIntHolds) {
    // Left and right of opposite signs near the limits.
    Rect r{-2000000000, -2000000000, 2000000000, 2000000000};
    EXPECT_TRUE(KeepOnScreen(r, kCx, kCy));
    EXPECT_EQ(r.left, 0);
    EXPECT_EQ(r.right, INT_MAX);  // 4e9 wide: as wide as an int can say
    EXPECT_EQ(r.bottom, kCy);
    EXPECT_EQ(r.top, INT_MIN);

    // A rectangle turned inside out (right far left of left) overflowed the same way; its
    // negative size keeps both tested edges inside, so it stays as it is.
    Rect inverted{5, 5, INT_MIN, INT_MIN};
    EXPECT_FALSE(KeepOnScreen(inverted, kCx, kCy));
    EXPECT_EQ(inverted, (Rect{5, 5, INT_MIN, INT_MIN}));
}

TEST(PlacementExtremes, KeepOnScreenNearTheIntLimitsStillLandsOnTheScreen) {
    Rect farRight{INT_MAX - 240, INT_MAX - 240, INT_MAX, INT_MAX};
    EXPECT_TRUE(KeepOnScreen(farRight, kCx, kCy));
    EXPECT_EQ(farRight, (Rect{kCx - 240, kCy - 240, kCx, kCy}));
    Rect farLeft{INT_MIN, INT_MIN, INT_MIN + 240, INT_MIN + 240};
    EXPECT_TRUE(KeepOnScreen(farLeft, kCx, kCy));
    EXPECT_EQ(farLeft, (Rect{0, INT_MIN, 240, INT_MIN + 240}));  // the top edge is left alone
}

TEST(PlacementExtremes, PlaceBesideAnchorWithAnOverlongWindow) {
    const auto r = PlaceBesideAnchor(Rect{100, 30, 340, 270}, Rect{INT_MIN, INT_MIN, INT_MAX, INT_MAX}, kCx, kCy);
    ASSERT_TRUE(r.has_value());
    EXPECT_EQ(r->left, 340);
    EXPECT_EQ(r->right, INT_MAX);
    EXPECT_EQ(r->bottom, kCy);
    EXPECT_EQ(r->top, INT_MIN);
}

TEST(PlacementExtremes, PlaceBesideAnchorOnABrokenScreen) {
    // A hugely negative screen width puts this anchor in the "right half": the 4e9-pixel
    // window opens to its left, past the smallest int, and is pulled up past it too.
    const auto r = PlaceBesideAnchor(Rect{-1000000000, 0, -999999990, 10}, Rect{-2000000000, 0, 2000000000, 200},
                                     INT_MIN, INT_MIN);
    ASSERT_TRUE(r.has_value());
    EXPECT_EQ(r->left, INT_MIN);
    EXPECT_EQ(r->right, -1000000000);  // still touching the anchor
    EXPECT_EQ(r->top, INT_MIN);
    EXPECT_EQ(r->bottom, INT_MIN);
}

TEST(PlacementExtremes, InitialPositionOnABrokenScreenStaysInTheIntRange) {
    // The fallback x (cx - panel width - 30) lies below the smallest int.
    const Point p = InitialPanelPosition(true, 5, true, 5, INT_MIN, INT_MIN, INT_MAX, INT_MAX);
    EXPECT_EQ(p.x, INT_MIN);
    EXPECT_EQ(p.y, 30);
    // Sane screens are untouched by the wider arithmetic.
    EXPECT_EQ(InitialPanelPosition(false, 0, false, 0, kCx, kCy, 240, 240), (Point{1320, 30}));
}

}  // namespace
}  // namespace quorlin
