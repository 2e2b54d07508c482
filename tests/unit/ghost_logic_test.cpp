#include "dialogs/ghost_logic.h"

#include <gtest/gtest.h>

namespace quorlin {
namespace {

const Rect kPanel{100, 100, 340, 340};  // centre (220, 220), half width 120

TEST(GhostPlacement, CentredOnTheCursor) {
    EXPECT_EQ(GhostRectAtCursor(500, 400), (Rect{470, 365, 530, 435}));
    EXPECT_EQ(FollowCursor(Rect{470, 365, 530, 435}, Point{35, 30}, Point{30, 35}), (Rect{475, 360, 535, 430}));
}

TEST(GhostZone, ExamplesAroundAPanelAt100) {
    EXPECT_FALSE(IsInDeleteZone(GhostRectAtCursor(220, 160), kPanel));  // d = 60
    EXPECT_TRUE(IsInDeleteZone(GhostRectAtCursor(220, 180), kPanel));   // d = 40, over the clock
    EXPECT_TRUE(IsInDeleteZone(GhostRectAtCursor(220, 340), kPanel));   // d = 120
    EXPECT_TRUE(IsInDeleteZone(GhostRectAtCursor(900, 900), kPanel));   // far off the panel
}

TEST(GhostZone, BandIncludesFiftyAndExcludesHalfTheWidth) {
    EXPECT_FALSE(IsInDeleteZone(GhostRectAtCursor(220, 170), kPanel));  // d = 50
    EXPECT_TRUE(IsInDeleteZone(GhostRectAtCursor(220, 171), kPanel));   // d = 49
    EXPECT_FALSE(IsInDeleteZone(GhostRectAtCursor(101, 220), kPanel));  // d = 119
    EXPECT_TRUE(IsInDeleteZone(GhostRectAtCursor(100, 220), kPanel));   // d = 120
    EXPECT_TRUE(IsInDeleteZone(GhostRectAtCursor(220, 100), kPanel));
}

TEST(GhostZone, DiagonalDistancesAtTheBandEdges) {
    // (30, 40) is exactly 50; (35, 35) is 49.5, on the clock.
    EXPECT_FALSE(IsInDeleteZone(GhostRectAtCursor(250, 260), kPanel));
    EXPECT_TRUE(IsInDeleteZone(GhostRectAtCursor(255, 255), kPanel));
    // (84, 85) is 119.5, still in the band; (72, 96) is exactly 120.
    EXPECT_FALSE(IsInDeleteZone(GhostRectAtCursor(220 + 84, 220 + 85), kPanel));
    EXPECT_TRUE(IsInDeleteZone(GhostRectAtCursor(220 + 72, 220 + 96), kPanel));
}

TEST(GhostZone, CentresTruncateTowardZero) {
    // Panel {-241..0}: centre x -120 (not -121); a ghost 50 px to its left is in the band.
    const Rect panel{-241, 0, 0, 240};
    EXPECT_FALSE(IsInDeleteZone(GhostRectAtCursor(-170, 120), panel));
    EXPECT_TRUE(IsInDeleteZone(GhostRectAtCursor(-169, 120), panel));
}

TEST(GhostMoveTracking, RedrawsOnlyWhenCrossingAZoneBorder) {
    // Back and forth across the outer edge of the band: one redraw per crossing.
    const int ys[] = {160, 161, 95, 90, 102, 103, 94, 96};
    bool outside = false;
    int redraws = 0;
    int swaps = 0;
    for (int y : ys) {
        const GhostMove m = TrackGhostMove(outside, GhostRectAtCursor(220, y), kPanel, 11);
        redraws += m.redraw ? 1 : 0;
        swaps += m.swapRect ? 1 : 0;
        EXPECT_EQ(m.redraw, m.outside != outside) << y;
        EXPECT_EQ(m.swapRect.has_value(), !m.outside) << y;
        outside = m.outside;
    }
    // 160, 161 in; 95, 90 out; 102, 103 in; 94 out; 96 out (d = 124).
    EXPECT_EQ(redraws, 3);
    EXPECT_EQ(swaps, 4);
    EXPECT_TRUE(outside);
}

TEST(GhostMoveTracking, SwapRectangleIsTheIconAroundTheGhostCentre) {
    const GhostMove m = TrackGhostMove(false, GhostRectAtCursor(220, 160), kPanel, 11);
    ASSERT_TRUE(m.swapRect.has_value());
    EXPECT_EQ(*m.swapRect, (Rect{209, 149, 231, 171}));
    EXPECT_FALSE(m.redraw);
}

TEST(GhostDrop, DeletesOnlyUnreservedButtonsInTheDeleteZone) {
    EXPECT_TRUE(ShouldDeleteOnDrop(true, 3));
    EXPECT_FALSE(ShouldDeleteOnDrop(false, 3));
    EXPECT_FALSE(ShouldDeleteOnDrop(true, 2));
    EXPECT_FALSE(ShouldDeleteOnDrop(true, 1));
    EXPECT_FALSE(ShouldDeleteOnDrop(true, -1));
}

TEST(GhostPicture, LabelFollowsTheZone) {
    const Rect client{0, 0, 60, 70};  // centre (30, 35)
    const GhostPicture del = PlanGhostPicture(true, 9, 11, client);
    EXPECT_EQ(del.label, GhostLabel::Delete);
    EXPECT_EQ(del.labelTopLeft, (Point{12, 7}));  // 17 px high: bottom edge on the icon's top (24)
    const GhostPicture move = PlanGhostPicture(false, 9, 11, client);
    EXPECT_EQ(move.label, GhostLabel::Move);
    EXPECT_EQ(move.labelTopLeft, (Point{12, 7}));

    EXPECT_EQ(move.hitDisc.x, 19.0f);
    EXPECT_EQ(move.hitDisc.y, 24.0f);
    EXPECT_EQ(move.hitDisc.width, 22.0f);
    EXPECT_EQ(move.icon.x, 19.0f);
    EXPECT_EQ(move.icon.y, 24.0f);
    EXPECT_EQ(move.icon.width, 22.0f);
    EXPECT_EQ(move.icon.height, 22.0f);
}

TEST(GhostPicture, ReservedButtonShowsTheBadgeInBothZones) {
    const Rect client{0, 0, 60, 70};
    for (bool outside : {false, true}) {
        for (int id : {1, 2}) {
            const GhostPicture p = PlanGhostPicture(outside, id, 11, client);
            EXPECT_EQ(p.label, GhostLabel::LockedBadge);
            EXPECT_EQ(p.labelTopLeft, (Point{20, 4}));  // 20 px high: bottom edge at 24
        }
    }
}

TEST(GhostPicture, IconSizeComesFromTheHalfSize) {
    const GhostPicture p = PlanGhostPicture(false, 9, 12, Rect{0, 0, 60, 70});
    EXPECT_EQ(p.icon.x, 18.0f);
    EXPECT_EQ(p.icon.width, 24.0f);
    EXPECT_EQ(p.labelTopLeft, (Point{12, 6}));
}

TEST(Explosion, FramePathsUseBackslashes) {
    EXPECT_EQ(ExplosionFramePath(L"C:\\Tools\\Quorlin", 0), L"C:\\Tools\\Quorlin\\Img\\bomb0.png");
    EXPECT_EQ(ExplosionFramePath(L"C:\\Tools\\Quorlin", 5), L"C:\\Tools\\Quorlin\\Img\\bomb5.png");
    EXPECT_EQ(ExplosionFramePath(L"D:\\\x684C\x9762", 3), L"D:\\\x684C\x9762\\Img\\bomb3.png");
}

TEST(Explosion, FramesAreCentredOnTheGhost) {
    EXPECT_EQ(ExplosionFrameOrigin(Rect{0, 0, 60, 70}), (Point{5, 10}));
}

}  // namespace
}  // namespace quorlin
