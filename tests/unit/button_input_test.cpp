#include "buttons/button_input.h"

#include <gtest/gtest.h>

namespace quorlin {
namespace {

// Counts leave-tracking requests and answers them with a chosen result.
struct Tracker {
    int calls = 0;
    bool result = true;
    ButtonInput::TrackLeave Fn() {
        return [this] {
            ++calls;
            return result;
        };
    }
};

class ButtonInputTest : public ::testing::Test {
protected:
    ButtonActions Move(int x, int y, bool locked = false) { return input.OnMouseMove(Point{x, y}, locked, tracker.Fn()); }

    ButtonInput input;
    Tracker tracker;
};

TEST_F(ButtonInputTest, FirstMoveArmsTrackingRepaintsAndShowsTheTip) {
    const ButtonActions a = Move(5, 6);
    EXPECT_EQ(tracker.calls, 1);
    EXPECT_TRUE(input.hovered());
    EXPECT_TRUE(a.requestRepaint);
    EXPECT_TRUE(a.showTip);
    EXPECT_EQ(a.tipPoint, (Point{5, 6}));
    EXPECT_TRUE(a.setHandCursor);
    EXPECT_TRUE(a.passToDefault);
    EXPECT_FALSE(a.startDrag);

    // Later moves only move the tip.
    const ButtonActions b = Move(7, 8);
    EXPECT_EQ(tracker.calls, 1);
    EXPECT_FALSE(b.requestRepaint);
    EXPECT_TRUE(b.showTip);
    EXPECT_EQ(b.tipPoint, (Point{7, 8}));
}

TEST_F(ButtonInputTest, FailedTrackingIsRetriedOnTheNextMove) {
    tracker.result = false;
    EXPECT_TRUE(Move(1, 1).requestRepaint);
    EXPECT_FALSE(input.hovered());
    tracker.result = true;
    EXPECT_TRUE(Move(2, 2).requestRepaint);
    EXPECT_EQ(tracker.calls, 2);
    EXPECT_TRUE(input.hovered());
}

TEST_F(ButtonInputTest, OnePixelAlongOneAxisIsNotADrag) {
    Move(10, 10);
    const ButtonActions down = input.OnLeftDown(Point{10, 10});
    EXPECT_TRUE(down.hideTip);
    EXPECT_FALSE(down.passToDefault);
    EXPECT_TRUE(input.hasPendingPress());

    const ButtonActions a = Move(11, 10);
    EXPECT_FALSE(a.startDrag);
    EXPECT_FALSE(a.showTip);  // a pending press hides the tip
    const ButtonActions b = Move(10, 9);
    EXPECT_FALSE(b.startDrag);
    EXPECT_TRUE(input.hasPendingPress());
}

TEST_F(ButtonInputTest, OnePixelDiagonallyStartsADrag) {
    Move(10, 10);
    input.OnLeftDown(Point{10, 10});
    const ButtonActions a = Move(11, 11);
    EXPECT_TRUE(a.startDrag);
    EXPECT_FALSE(a.showTip);
    EXPECT_TRUE(a.setHandCursor);
    EXPECT_FALSE(input.hasPendingPress());
    // The drag is handed over once.
    EXPECT_FALSE(Move(20, 20).startDrag);
}

TEST_F(ButtonInputTest, LockedButtonsNeverDragAndTheReleaseOpens) {
    Move(10, 10, true);
    input.OnLeftDown(Point{10, 10});
    for (int x = 11; x < 20; ++x) {
        const ButtonActions a = Move(x, x, true);
        EXPECT_FALSE(a.startDrag);
        EXPECT_FALSE(a.showTip);
    }
    EXPECT_TRUE(input.hasPendingPress());
    const ButtonActions up = input.OnLeftUp();
    EXPECT_TRUE(up.openItem);
    EXPECT_FALSE(up.passToDefault);
    EXPECT_FALSE(input.hasPendingPress());
    EXPECT_TRUE(Move(20, 20, true).showTip);
}

TEST_F(ButtonInputTest, ReleaseWithoutAPressStillOpens) {
    // Pressed on another button, released on this one.
    Move(3, 3, true);
    EXPECT_TRUE(input.OnLeftUp().openItem);
    ButtonInput fresh;
    EXPECT_TRUE(fresh.OnLeftUp().openItem);
}

TEST_F(ButtonInputTest, FirstMoveAfterTheContextMenuSkipsTheTip) {
    Move(4, 4);
    const ButtonActions menu = input.OnRightUp();
    EXPECT_TRUE(menu.showContextMenu);
    EXPECT_TRUE(menu.passToDefault);
    EXPECT_TRUE(input.menuJustClosed());

    const ButtonActions first = Move(5, 5);
    EXPECT_FALSE(first.showTip);
    EXPECT_TRUE(first.setHandCursor);
    EXPECT_FALSE(input.menuJustClosed());
    EXPECT_TRUE(Move(6, 6).showTip);
}

TEST_F(ButtonInputTest, MoveAfterTheMenuDoesNotStartAPendingDrag) {
    Move(4, 4);
    input.OnLeftDown(Point{4, 4});
    input.OnRightUp();
    EXPECT_FALSE(Move(30, 30).startDrag);
    EXPECT_TRUE(Move(31, 31).startDrag);
}

TEST_F(ButtonInputTest, PressBeforeAnyMoveIsForgottenByTheFirstMove) {
    // A new layout put the button under a resting cursor, and the press came first.
    input.OnLeftDown(Point{8, 8});
    const ButtonActions a = Move(12, 12);
    EXPECT_FALSE(a.startDrag);
    EXPECT_TRUE(a.showTip);
    EXPECT_FALSE(input.hasPendingPress());
    EXPECT_FALSE(Move(20, 20).startDrag);
    EXPECT_TRUE(input.OnLeftUp().openItem);
}

TEST_F(ButtonInputTest, LeaveForgetsHoverAndPress) {
    Move(4, 4);
    input.OnLeftDown(Point{4, 4});
    const ButtonActions a = input.OnMouseLeave();
    EXPECT_TRUE(a.hideTip);
    EXPECT_TRUE(a.requestRepaint);
    EXPECT_TRUE(a.passToDefault);
    EXPECT_FALSE(input.hovered());
    EXPECT_FALSE(input.hasPendingPress());
    // Coming back arms tracking again.
    const ButtonActions back = Move(5, 5);
    EXPECT_EQ(tracker.calls, 2);
    EXPECT_TRUE(back.requestRepaint);
    EXPECT_TRUE(back.showTip);
}

}  // namespace
}  // namespace quorlin
