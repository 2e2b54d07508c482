#include "panel/accessible_text.h"

#include <gtest/gtest.h>

namespace quorlin {
namespace {

TEST(AccessibleText, PlacesCountRingsFromTheInnerOneAndButtonsAlongEachRing) {
    EXPECT_EQ(PlaceOnRings(2, 12), (RingPlace{1, 3, 12}));
    EXPECT_EQ(PlaceOnRings(7, 20), (RingPlace{1, 8, 8}));  // 8 inside, 12 outside
    EXPECT_EQ(PlaceOnRings(8, 20), (RingPlace{2, 1, 12}));
    EXPECT_EQ(PlaceOnRings(65, 66), (RingPlace{3, 31, 31}));  // 15, 20 and 31
    EXPECT_EQ(PlaceOnRings(3, 3), RingPlace{});
    EXPECT_EQ(PlaceDescription(PlaceOnRings(2, 12)), L"第 1 圈，第 3 个，共 12 个");
}

TEST(AccessibleText, TheTimeIsHoursAndTwoDigitMinutes) {
    EXPECT_EQ(SpokenTime(10, 42), L"10:42");
    EXPECT_EQ(SpokenTime(9, 5), L"9:05");
    EXPECT_EQ(SpokenTime(0, 0), L"0:00");
}

}  // namespace
}  // namespace quorlin
