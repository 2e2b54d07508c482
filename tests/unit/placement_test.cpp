#include "panel/placement.h"

#include <gtest/gtest.h>

namespace quorlin {
namespace {

constexpr int kCx = 1920;
constexpr int kCy = 1050;

Point Initial(bool hasX, long long x, bool hasY, long long y, int cx = kCx, int cy = kCy, int w = 240) {
    return InitialPanelPosition(hasX, x, hasY, y, cx, cy, w, 240);
}

TEST(InitialPanelPosition, FirstStartUsesTheDefaults) {
    EXPECT_EQ(Initial(false, 0, false, 0), (Point{1320, 30}));
    // 2.5 x 241 = 602.5: the default is truncated toward zero.
    EXPECT_EQ(Initial(false, 0, false, 0, kCx, kCy, 241), (Point{1317, 30}));
}

TEST(InitialPanelPosition, DefaultOnANarrowScreenIsCorrectedLikeASavedValue) {
    // 500 - 600 is negative, so x goes 30 px in from the right edge.
    EXPECT_EQ(Initial(false, 0, false, 0, 500, 400), (Point{230, 30}));
}

TEST(InitialPanelPosition, SavedValuesInsideTheScreenAreKept) {
    EXPECT_EQ(Initial(true, 0, true, 0), (Point{0, 0}));
    EXPECT_EQ(Initial(true, kCx - 240, true, kCy - 240), (Point{1680, 810}));
    EXPECT_EQ(Initial(true, 700, true, 200), (Point{700, 200}));
}

TEST(InitialPanelPosition, SavedValuesOutsideTheScreenAreReplaced) {
    EXPECT_EQ(Initial(true, 5000, true, 30), (Point{1650, 30}));
    EXPECT_EQ(Initial(true, kCx - 239, true, kCy - 239), (Point{1650, 30}));
    EXPECT_EQ(Initial(true, -1, true, -1), (Point{1650, 30}));
    EXPECT_EQ(Initial(true, 100, true, -40), (Point{100, 30}));
}

TEST(InitialPanelPosition, NegativeValuesReadBackAsUnsignedAreReplaced) {
    // A saved -50 may come back from the INI reader as 4294967246.
    EXPECT_EQ(Initial(true, 4294967246LL, true, 4294967246LL), (Point{1650, 30}));
    EXPECT_EQ(Initial(true, 2147483647LL, true, -2147483647LL - 1), (Point{1650, 30}));
}

TEST(KeepOnScreen, SnapsToTheLeftEdge) {
    Rect r{-50, 100, 190, 340};
    EXPECT_TRUE(KeepOnScreen(r, kCx, kCy));
    EXPECT_EQ(r, (Rect{0, 100, 240, 340}));
}

TEST(KeepOnScreen, SnapsToTheRightEdge) {
    Rect r{1800, 100, 2040, 340};
    EXPECT_TRUE(KeepOnScreen(r, kCx, kCy));
    EXPECT_EQ(r, (Rect{1680, 100, 1920, 340}));
}

TEST(KeepOnScreen, SnapsToTheBottomEdge) {
    Rect r{500, 900, 740, 1140};
    EXPECT_TRUE(KeepOnScreen(r, kCx, kCy));
    EXPECT_EQ(r, (Rect{500, 810, 740, 1050}));
}

TEST(KeepOnScreen, CornerCorrectsBothAxes) {
    Rect r{-10, 1000, 230, 1240};
    EXPECT_TRUE(KeepOnScreen(r, kCx, kCy));
    EXPECT_EQ(r, (Rect{0, 810, 240, 1050}));
}

TEST(KeepOnScreen, TopEdgeAboveTheScreenIsLeftAlone) {
    Rect r{500, -40, 740, 200};
    EXPECT_FALSE(KeepOnScreen(r, kCx, kCy));
    EXPECT_EQ(r, (Rect{500, -40, 740, 200}));
}

TEST(KeepOnScreen, WindowWellInsideIsUnchanged) {
    Rect r{1, 0, 241, 240};
    EXPECT_FALSE(KeepOnScreen(r, kCx, kCy));
    EXPECT_EQ(r, (Rect{1, 0, 241, 240}));
    Rect nearRight{1679, 809, 1919, 1049};
    EXPECT_FALSE(KeepOnScreen(nearRight, kCx, kCy));
}

TEST(KeepOnScreen, TouchingAnEdgeCountsAsAChange) {
    // The edges are tested with <= and >=, so a window exactly at an edge is reported moved.
    Rect atLeft{0, 100, 240, 340};
    EXPECT_TRUE(KeepOnScreen(atLeft, kCx, kCy));
    EXPECT_EQ(atLeft, (Rect{0, 100, 240, 340}));
    Rect atRight{1680, 100, 1920, 340};
    EXPECT_TRUE(KeepOnScreen(atRight, kCx, kCy));
    EXPECT_EQ(atRight, (Rect{1680, 100, 1920, 340}));
    Rect atBottom{500, 810, 740, 1050};
    EXPECT_TRUE(KeepOnScreen(atBottom, kCx, kCy));
}

TEST(PlaceBesideAnchor, EmptyAnchorDoesNothing) {
    EXPECT_FALSE(PlaceBesideAnchor(Rect{}, Rect{0, 0, 300, 200}, kCx, kCy).has_value());
    EXPECT_FALSE(PlaceBesideAnchor(Rect{100, 100, 100, 300}, Rect{0, 0, 300, 200}, kCx, kCy).has_value());
}

TEST(PlaceBesideAnchor, LeftHalfOpensToTheRight) {
    const auto r = PlaceBesideAnchor(Rect{100, 30, 340, 270}, Rect{0, 0, 300, 200}, kCx, kCy);
    ASSERT_TRUE(r.has_value());
    EXPECT_EQ(*r, (Rect{340, 30, 640, 230}));
}

TEST(PlaceBesideAnchor, RightHalfOpensToTheLeft) {
    const auto r = PlaceBesideAnchor(Rect{1320, 30, 1560, 270}, Rect{5, 5, 305, 205}, kCx, kCy);
    ASSERT_TRUE(r.has_value());
    EXPECT_EQ(*r, (Rect{1020, 30, 1320, 230}));
    // An anchor starting exactly at half the width counts as the right half (961 / 2 = 480).
    const auto mid = PlaceBesideAnchor(Rect{480, 0, 500, 20}, Rect{0, 0, 100, 50}, 961, kCy);
    ASSERT_TRUE(mid.has_value());
    EXPECT_EQ(mid->left, 380);
    const auto justLeft = PlaceBesideAnchor(Rect{479, 0, 500, 20}, Rect{0, 0, 100, 50}, 961, kCy);
    EXPECT_EQ(justLeft->left, 500);
}

TEST(PlaceBesideAnchor, KeepsTheBottomOnScreen) {
    const auto r = PlaceBesideAnchor(Rect{100, 900, 340, 1140}, Rect{0, 0, 300, 200}, kCx, kCy);
    ASSERT_TRUE(r.has_value());
    EXPECT_EQ(*r, (Rect{340, 850, 640, 1050}));
    // Exactly fitting is left as it is.
    const auto fits = PlaceBesideAnchor(Rect{100, 850, 340, 1090}, Rect{0, 0, 300, 200}, kCx, kCy);
    EXPECT_EQ(fits->top, 850);
}

// Two 1920 x 1080 monitors side by side, the primary on the left with a taskbar.
const std::vector<Rect> kTwo{Rect{0, 0, 1920, 1040}, Rect{1920, 0, 3840, 1080}};

TEST(Monitors, APanelOnTheSecondMonitorStaysThere) {
    EXPECT_EQ(InitialPanelPosition(true, 2500, true, 300, kTwo, 240, 240), (Point{2500, 300}));
    Rect r{3000, 500, 3240, 740};
    EXPECT_FALSE(KeepOnScreen(r, kTwo));
    // Its right and bottom edges are those of the second monitor, not of the primary.
    Rect edge{3700, 900, 3940, 1140};
    EXPECT_TRUE(KeepOnScreen(edge, kTwo));
    EXPECT_EQ(edge, (Rect{3600, 840, 3840, 1080}));
}

TEST(Monitors, ANewSizeKeepsTheCentreOnItsMonitor) {
    EXPECT_EQ(ResizeAroundCentre(Rect{2500, 300, 2740, 540}, 480, 480, kTwo), (Rect{2380, 180, 2860, 660}));
    // At the second monitor's right edge it grows to the left, not onto the primary's.
    EXPECT_EQ(ResizeAroundCentre(Rect{3600, 0, 3840, 240}, 480, 480, kTwo), (Rect{3360, 0, 3840, 480}));
    EXPECT_EQ(ResizeAroundCentre(Rect{1680, 800, 1920, 1040}, 480, 480, kTwo), (Rect{1440, 560, 1920, 1040}));
    EXPECT_EQ(ScaledDpi(96, 200), 192);
    EXPECT_EQ(ScaledDpi(144, 125), 180);
    EXPECT_EQ(ScaledDpi(2000, 200), 2400);
}

TEST(Monitors, AMonitorAboveThePrimaryPlacesByItsOwnTop) {
    const std::vector<Rect> stacked = {Rect{0, 0, 1920, 1080}, Rect{0, -1080, 1920, 0}};
    EXPECT_EQ(InitialPanelPosition(true, 300, true, -500, stacked, 240, 240), (Point{300, -500}));
    EXPECT_EQ(InitialPanelPosition(true, 300, true, -1200, stacked, 240, 240), (Point{300, -1050}));
}

TEST(Monitors, ASavedPanelOffEveryMonitorComesBackWholeOnTheNearest) {
    // Right of the second monitor (it was on a third one, now gone).
    EXPECT_EQ(InitialPanelPosition(true, 4200, true, 300, kTwo, 240, 240), (Point{3570, 300}));
    // Below the primary: the right edge rule and the top margin of that monitor.
    EXPECT_EQ(InitialPanelPosition(true, 100, true, 2000, kTwo, 480, 480), (Point{100, 30}));
    // Straddling the two, more on the primary: pulled onto the primary.
    EXPECT_EQ(InitialPanelPosition(true, 1800, true, 100, kTwo, 240, 240), (Point{1650, 100}));
    // Without a saved position: the primary's defaults, at the panel's size.
    EXPECT_EQ(InitialPanelPosition(false, 0, false, 0, kTwo, 480, 480), (Point{720, 30}));
}

TEST(Monitors, MonitorForPrefersOverlapThenDistance) {
    EXPECT_EQ(MonitorFor(Rect{1900, 0, 2100, 10}, kTwo), 1u);
    EXPECT_EQ(MonitorFor(Rect{-500, -500, -400, -400}, kTwo), 0u);
    EXPECT_EQ(MonitorFor(Rect{5000, 0, 5100, 100}, kTwo), 1u);
    EXPECT_EQ(MonitorFor(Rect{0, 0, 10, 10}, {}), 0u);
}

TEST(Monitors, BesideAnAnchorUsesTheHalvesAndBottomOfItsMonitor) {
    // Left half of the second monitor: opens to the right.
    auto r = PlaceBesideAnchor(Rect{2000, 950, 2240, 1190}, Rect{0, 0, 300, 200}, kTwo);
    ASSERT_TRUE(r.has_value());
    EXPECT_EQ(*r, (Rect{2240, 880, 2540, 1080}));
    r = PlaceBesideAnchor(Rect{3000, 30, 3240, 270}, Rect{0, 0, 300, 200}, kTwo);
    EXPECT_EQ(r->left, 2700);
}

}  // namespace
}  // namespace quorlin

namespace quorlin {
namespace {

TEST(FrontWindowHidesPanel, OnlyAWindowOverTheWholePanelThatThePanelIsNotAboveHidesIt) {
    const Rect panel{100, 100, 340, 340};
    EXPECT_TRUE(FrontWindowHidesPanel(panel, Rect{0, 0, 1920, 1080}, false));
    EXPECT_TRUE(FrontWindowHidesPanel(panel, panel, false));
    EXPECT_FALSE(FrontWindowHidesPanel(panel, Rect{0, 0, 1920, 1080}, true)) << "kept on top";
    EXPECT_FALSE(FrontWindowHidesPanel(panel, Rect{101, 0, 1920, 1080}, false)) << "a column shows";
    EXPECT_FALSE(FrontWindowHidesPanel(panel, Rect{1920, 0, 3840, 1080}, false)) << "another monitor";
    EXPECT_FALSE(FrontWindowHidesPanel(panel, Rect{}, false));
}

}  // namespace
}  // namespace quorlin
