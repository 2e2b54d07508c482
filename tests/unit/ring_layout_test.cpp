#include "panel/ring_layout.h"

#include <cmath>
#include <set>
#include <utility>

#include <gtest/gtest.h>

namespace quorlin {
namespace {

std::vector<std::pair<int, double>> RingsOf(std::size_t n) {
    std::vector<std::pair<int, double>> rings;
    for (const Ring& r : AssignRings(n).rings) rings.emplace_back(r.count, r.radius);
    return rings;
}

using Rings = std::vector<std::pair<int, double>>;

TEST(RingGeometry, DerivedRectanglesOfTheDefaultPanel) {
    const PanelGeometry g;
    const RectF ring = g.RingPictureRect();
    EXPECT_EQ(ring.x, 10.0f);
    EXPECT_EQ(ring.y, 10.0f);
    EXPECT_EQ(ring.width, 220.0f);
    EXPECT_EQ(ring.height, 220.0f);
    const RectF disc = g.ClockDiscRect();
    EXPECT_EQ(disc.x, 70.0f);
    EXPECT_EQ(disc.y, 70.0f);
    EXPECT_EQ(disc.width, 100.0f);
    EXPECT_EQ(disc.height, 100.0f);
    const RectF hand = g.HandRect();
    EXPECT_EQ(hand.x, 115.0f);
    EXPECT_EQ(hand.y, 70.0f);
    EXPECT_EQ(hand.width, 10.0f);
    EXPECT_EQ(hand.height, 100.0f);
}

TEST(RingAssignment, RegimesAtTheirBoundaries) {
    EXPECT_EQ(AssignRings(0).buttonHalf, 12);
    EXPECT_EQ(AssignRings(13).buttonHalf, 12);
    EXPECT_EQ(RingsOf(13), (Rings{{13, 78.0}}));

    EXPECT_EQ(AssignRings(14).buttonHalf, 11);
    EXPECT_EQ(RingsOf(14), (Rings{{6, 64.0}, {8, 93.0}}));
    EXPECT_EQ(AssignRings(33).buttonHalf, 11);
    EXPECT_EQ(RingsOf(33), (Rings{{13, 64.0}, {20, 93.0}}));

    EXPECT_EQ(AssignRings(34).buttonHalf, 10);
    EXPECT_EQ(RingsOf(34), (Rings{{8, 60.0}, {11, 84.0}, {15, 106.0}}));
    EXPECT_EQ(RingsOf(66), (Rings{{15, 60.0}, {20, 84.0}, {31, 106.0}}));
}

TEST(RingAssignment, InnerRingsAreCappedForLargeCollections) {
    // 100 / 4 = 25 and 100 / 3 = 33 are both over their caps.
    EXPECT_EQ(RingsOf(100), (Rings{{15, 60.0}, {20, 84.0}, {65, 106.0}}));
}

TEST(RingLayout, EmptyCollectionPlacesNothing) {
    const RingLayout layout = LayoutRings(0);
    EXPECT_EQ(layout.buttonHalf, 12);
    EXPECT_TRUE(layout.slots.empty());
}

TEST(RingLayout, OneButtonStandsAtTwelveOClock) {
    const RingLayout layout = LayoutRings(1);
    ASSERT_EQ(layout.slots.size(), 1u);
    EXPECT_EQ(layout.slots[0].centerX, 120);
    EXPECT_EQ(layout.slots[0].centerY, 42);
    EXPECT_EQ(layout.slots[0].window, (Rect{108, 30, 132, 54}));
    EXPECT_EQ(layout.slots[0].window.Width(), 24);
}

TEST(RingLayout, UpToThreeButtonsAre120DegreesApart) {
    const RingLayout two = LayoutRings(2);
    ASSERT_EQ(two.slots.size(), 2u);
    EXPECT_EQ(Point({two.slots[1].centerX, two.slots[1].centerY}), (Point{187, 159}));

    // 240 degrees: the pi constant lands r*cos just above -39, which truncates to -38.
    const RingLayout three = LayoutRings(3);
    ASSERT_EQ(three.slots.size(), 3u);
    EXPECT_EQ(Point({three.slots[0].centerX, three.slots[0].centerY}), (Point{120, 42}));
    EXPECT_EQ(Point({three.slots[1].centerX, three.slots[1].centerY}), (Point{187, 159}));
    EXPECT_EQ(Point({three.slots[2].centerX, three.slots[2].centerY}), (Point{53, 158}));
}

TEST(RingLayout, FourButtonsOnTheCompassPoints) {
    const RingLayout layout = LayoutRings(4);
    const std::vector<Point> expected = {{120, 42}, {198, 120}, {120, 198}, {42, 120}};
    ASSERT_EQ(layout.slots.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(layout.slots[i].centerX, expected[i].x) << i;
        EXPECT_EQ(layout.slots[i].centerY, expected[i].y) << i;
    }
}

TEST(RingLayout, FourteenButtonsUseTwoRingsAndTheCollectionIndexForAngles) {
    const RingLayout layout = LayoutRings(14);
    EXPECT_EQ(layout.buttonHalf, 11);
    ASSERT_EQ(layout.slots.size(), 14u);
    // Inner ring: 60 degrees apart at radius 64, from 12 o'clock.
    EXPECT_EQ(layout.slots[0].centerX, 120);
    EXPECT_EQ(layout.slots[0].centerY, 56);
    EXPECT_EQ(layout.slots[1].centerX, 175);
    EXPECT_EQ(layout.slots[1].centerY, 89);
    EXPECT_EQ(layout.slots[3].centerX, 120);
    EXPECT_EQ(layout.slots[3].centerY, 184);
    // Outer ring: index 6 at 6 x 45 = 270 degrees, i.e. 9 o'clock, radius 93.
    EXPECT_EQ(layout.slots[6].centerX, 27);
    EXPECT_EQ(layout.slots[6].centerY, 120);
    EXPECT_EQ(layout.slots[8].centerX, 120);
    EXPECT_EQ(layout.slots[8].centerY, 27);
    EXPECT_EQ(layout.slots[6].window, (Rect{16, 109, 38, 131}));
}

TEST(RingLayout, EveryButtonGetsItsOwnSlotOnItsRing) {
    for (std::size_t n : {13u, 14u, 33u, 34u, 66u}) {
        const RingAssignment assignment = AssignRings(n);
        const RingLayout layout = LayoutRings(n);
        ASSERT_EQ(layout.slots.size(), n);
        std::set<std::pair<int, int>> centres;
        std::size_t index = 0;
        for (const Ring& ring : assignment.rings) {
            for (int k = 0; k < ring.count; ++k, ++index) {
                const ButtonSlot& s = layout.slots[index];
                const double dist = std::hypot(s.centerX - 120.0, s.centerY - 120.0);
                // Truncating both coordinates can pull a centre inwards by up to about 1.5 px.
                EXPECT_LE(dist, ring.radius + 0.01) << "n=" << n << " i=" << index;
                EXPECT_GE(dist, ring.radius - 1.5) << "n=" << n << " i=" << index;
                EXPECT_EQ(s.window.Width(), 2 * layout.buttonHalf);
                EXPECT_EQ(s.window.Height(), 2 * layout.buttonHalf);
                EXPECT_EQ(s.window.left + layout.buttonHalf, s.centerX);
                centres.insert({s.centerX, s.centerY});
            }
        }
        EXPECT_EQ(centres.size(), n) << "two buttons share a slot for n=" << n;
    }
}

Rect Square(int cx, int cy, int half) { return Rect{cx - half, cy - half, cx + half, cy + half}; }

TEST(FindSwapTarget, ReservedDraggedIdNeverReorders) {
    const std::vector<SwapCandidate> c = {{5, Square(100, 100, 12)}};
    EXPECT_FALSE(FindSwapTarget(Square(100, 100, 11), 1, c).has_value());
    EXPECT_FALSE(FindSwapTarget(Square(100, 100, 11), 2, c).has_value());
    EXPECT_EQ(FindSwapTarget(Square(100, 100, 11), 3, c), std::optional<std::size_t>(0));
}

TEST(FindSwapTarget, DistanceEqualToThresholdDoesNotHit) {
    // Side 24: T = 16.
    const std::vector<SwapCandidate> c24 = {{5, Square(100, 100, 12)}};
    EXPECT_FALSE(FindSwapTarget(Square(116, 100, 11), 9, c24).has_value());
    EXPECT_TRUE(FindSwapTarget(Square(115, 100, 11), 9, c24).has_value());
    // Side 22: T = 14; side 20: T = 13.
    const std::vector<SwapCandidate> c22 = {{5, Square(100, 100, 11)}};
    EXPECT_FALSE(FindSwapTarget(Square(100, 114, 11), 9, c22).has_value());
    EXPECT_TRUE(FindSwapTarget(Square(100, 113, 11), 9, c22).has_value());
    const std::vector<SwapCandidate> c20 = {{5, Square(100, 100, 10)}};
    EXPECT_FALSE(FindSwapTarget(Square(100, 87, 11), 9, c20).has_value());
    EXPECT_TRUE(FindSwapTarget(Square(100, 88, 11), 9, c20).has_value());
    // Diagonal: sqrt(11^2 + 11^2) = 15.56 < 16 hits; sqrt(12^2 + 11^2) = 16.28 does not.
    EXPECT_TRUE(FindSwapTarget(Square(111, 111, 11), 9, c24).has_value());
    EXPECT_FALSE(FindSwapTarget(Square(112, 111, 11), 9, c24).has_value());
}

TEST(FindSwapTarget, SkipsItselfAndReservedButtons) {
    const std::vector<SwapCandidate> c = {
        {1, Square(100, 100, 12)}, {2, Square(100, 100, 12)}, {7, Square(100, 100, 12)}, {8, Square(100, 100, 12)}};
    EXPECT_EQ(FindSwapTarget(Square(100, 100, 11), 7, c), std::optional<std::size_t>(3));
    const std::vector<SwapCandidate> onlyReservedAndSelf = {{1, Square(100, 100, 12)}, {7, Square(100, 100, 12)}};
    EXPECT_FALSE(FindSwapTarget(Square(100, 100, 11), 7, onlyReservedAndSelf).has_value());
}

TEST(FindSwapTarget, FirstQualifyingButtonInCollectionOrderWins) {
    // The ghost is closer to index 2 but index 1 already qualifies.
    const std::vector<SwapCandidate> c = {
        {4, Square(300, 300, 12)}, {5, Square(110, 100, 12)}, {6, Square(101, 100, 12)}};
    EXPECT_EQ(FindSwapTarget(Square(100, 100, 11), 9, c), std::optional<std::size_t>(1));
    EXPECT_FALSE(FindSwapTarget(Square(100, 100, 11), 9, {}).has_value());
}

TEST(FindSwapTarget, CentresTruncateTowardZero) {
    // Candidate centre x = -27. Ghost {-23..0}: centre -11 (toward zero), 16 away -> miss.
    const std::vector<SwapCandidate> c = {{5, Rect{-39, -12, -15, 12}}};
    EXPECT_FALSE(FindSwapTarget(Rect{-23, -10, 0, 10}, 9, c).has_value());
    // Ghost {-24..-1}: centre -12, 15 away -> hit.
    EXPECT_TRUE(FindSwapTarget(Rect{-24, -10, -1, 10}, 9, c).has_value());
}

}  // namespace
}  // namespace quorlin
