#include "panel/composition.h"

#include <gtest/gtest.h>

#include <cmath>

namespace quorlin {
namespace {

using Kind = DrawOp::Kind;

std::vector<PanelPicture> PicturesOf(const std::vector<DrawOp>& ops) {
    std::vector<PanelPicture> out;
    for (const DrawOp& op : ops)
        if (op.kind == Kind::DrawPicture) out.push_back(op.picture);
    return out;
}

void ExpectBounds(const RectF& r, float x, float y, float w, float h) {
    EXPECT_EQ(r.x, x);
    EXPECT_EQ(r.y, y);
    EXPECT_EQ(r.width, w);
    EXPECT_EQ(r.height, h);
}

std::vector<DrawOp> OpsOf(const std::vector<DrawOp>& ops, Kind kind) {
    std::vector<DrawOp> out;
    for (const DrawOp& op : ops)
        if (op.kind == kind) out.push_back(op);
    return out;
}

std::vector<DrawOp> ButtonOps(const std::vector<DrawOp>& ops) {
    std::vector<DrawOp> out;
    for (const DrawOp& op : ops)
        if (op.kind == Kind::DrawPicture && op.picture == PanelPicture::ButtonImage) out.push_back(op);
    return out;
}

TEST(HandAngles, HandsPointUpAtNoonAndMidnight) {
    for (int hour : {0, 12}) {
        const ClockHands h = HandAngles(hour, 0, 0);
        EXPECT_EQ(h.hour, 0) << hour;
        EXPECT_EQ(h.minute, 0) << hour;
        EXPECT_EQ(h.second, 0) << hour;
    }
}

TEST(HandAngles, HourHandAdvancesOneDegreeEveryTwoMinutes) {
    EXPECT_EQ(HandAngles(3, 30, 0).hour, 105);
    EXPECT_EQ(HandAngles(3, 30, 0).minute, 180);
    EXPECT_EQ(HandAngles(15, 30, 0).hour, 105);
    EXPECT_EQ(HandAngles(11, 59, 0).hour, 359);
    EXPECT_EQ(HandAngles(11, 59, 0).minute, 354);
    EXPECT_EQ(HandAngles(23, 59, 59).hour, 359);
    EXPECT_EQ(HandAngles(23, 59, 59).second, 354);
    EXPECT_EQ(HandAngles(1, 1, 0).hour, 30);  // 30 / 60 rounds down
    EXPECT_EQ(HandAngles(1, 2, 0).hour, 31);
    EXPECT_EQ(HandAngles(6, 0, 15).second, 90);
}

TEST(ComposePanel, WithoutButtonsDrawsRingAndClockInOrder) {
    const PanelGeometry g;
    const std::vector<DrawOp> ops = ComposePanel(g, 12, {}, -1, ClockTime{15, 30, 45});
    ASSERT_EQ(ops.size(), 7u);

    EXPECT_EQ(ops[0].kind, Kind::DrawPicture);
    EXPECT_EQ(ops[0].picture, PanelPicture::Ring);
    EXPECT_FALSE(ops[0].integerBounds);
    EXPECT_FALSE(ops[0].rotationDegrees.has_value());
    ExpectBounds(ops[0].bounds, 10, 10, 220, 220);

    EXPECT_EQ(ops[1].kind, Kind::FillEllipse);
    EXPECT_EQ(ops[1].argb, 0x01000000u);
    ExpectBounds(ops[1].bounds, 70, 70, 100, 100);

    EXPECT_EQ(ops[2].picture, PanelPicture::Face);
    ExpectBounds(ops[2].bounds, 70, 70, 100, 100);
    EXPECT_FALSE(ops[2].rotationDegrees.has_value());

    const PanelPicture hands[] = {PanelPicture::HourHand, PanelPicture::MinuteHand, PanelPicture::SecondHand};
    const int angles[] = {105, 180, 270};
    for (int i = 0; i < 3; ++i) {
        const DrawOp& op = ops[3 + i];
        EXPECT_EQ(op.kind, Kind::DrawPicture);
        EXPECT_EQ(op.picture, hands[i]);
        ExpectBounds(op.bounds, 115, 70, 10, 100);
        ASSERT_TRUE(op.rotationDegrees.has_value());
        EXPECT_EQ(*op.rotationDegrees, angles[i]);
        EXPECT_EQ(op.pivot, (Point{120, 120}));
    }

    EXPECT_EQ(ops[6].picture, PanelPicture::Hub);
    ExpectBounds(ops[6].bounds, 115, 70, 10, 100);
    EXPECT_FALSE(ops[6].rotationDegrees.has_value());
}

TEST(ComposePanel, ButtonsComeBetweenRingAndClock) {
    const std::vector<ButtonView> buttons = {{1, 120, 42, false, true}, {5, 198, 120, false, true}};
    const std::vector<DrawOp> ops = ComposePanel(PanelGeometry(), 12, buttons, -1, ClockTime{});
    EXPECT_EQ(PicturesOf(ops),
              (std::vector<PanelPicture>{PanelPicture::Ring, PanelPicture::ButtonImage, PanelPicture::ButtonImage,
                                         PanelPicture::Face, PanelPicture::HourHand, PanelPicture::MinuteHand,
                                         PanelPicture::SecondHand, PanelPicture::Hub}));
    ASSERT_EQ(ops.size(), 9u);
    EXPECT_EQ(ops[3].kind, Kind::FillEllipse);  // the disc right after the last button
    EXPECT_EQ(ops[1].buttonIndex, 0u);
    EXPECT_EQ(ops[2].buttonIndex, 1u);
}

TEST(ComposePanel, HoveredButtonIsThreePixelsLargerOnEachSide) {
    const std::vector<ButtonView> buttons = {{3, 120, 42, false, true}, {4, 198, 120, true, true}};
    const auto ops = ComposePanel(PanelGeometry(), 12, buttons, -1, ClockTime{});
    const auto drawn = ButtonOps(ops);
    ASSERT_EQ(drawn.size(), 2u);
    EXPECT_TRUE(drawn[0].integerBounds);
    EXPECT_TRUE(drawn[1].integerBounds);
    EXPECT_FALSE(drawn[0].rotationDegrees.has_value());
    ExpectBounds(drawn[0].bounds, 108, 30, 24, 24);
    ExpectBounds(drawn[1].bounds, 183, 105, 30, 30);
}

TEST(ComposePanel, SelectedButtonIsDrawnAsHoveredAndOnlyFilteredOutOnesAreDimmed) {
    ButtonView selected{3, 120, 42, false, true};
    selected.selected = true;
    ButtonView dimmed{4, 198, 120, false, true};
    dimmed.dimmed = true;
    const auto drawn = ButtonOps(ComposePanel(PanelGeometry(), 12, {selected, dimmed}, -1, ClockTime{}));
    ASSERT_EQ(drawn.size(), 2u);
    ExpectBounds(drawn[0].bounds, 105, 27, 30, 30);
    EXPECT_FALSE(drawn[0].dimmed);
    ExpectBounds(drawn[1].bounds, 186, 108, 24, 24);
    EXPECT_TRUE(drawn[1].dimmed);
    // In either mode the selection also has a focus ring: 2 px in the highlight colour, 1 px
    // outside its grown square.
    for (bool contrast : {false, true}) {
        Palette colours;
        colours.highContrast = contrast;
        colours.highlight = 0xFF0078D7;
        const auto rings = OpsOf(ComposePanel(PanelGeometry(), 12, {selected, dimmed}, -1, ClockTime{}, colours),
                                 Kind::StrokeRect);
        ASSERT_EQ(rings.size(), 1u) << contrast;
        ExpectBounds(rings[0].bounds, 102, 24, 36, 36);
        EXPECT_EQ(rings[0].penWidth, 2.0f);
        EXPECT_EQ(rings[0].argb, 0xFF0078D7u);
    }
}

TEST(ComposePanel, HighContrastDrawsRingFaceAndHandsAsShapesInTheSystemColoursAndKeepsThePictures) {
    Palette hc;
    hc.highContrast = true;
    hc.background = 0xFF000000;
    hc.text = 0xFFFFFF00;
    const PanelGeometry g;
    const auto ops = ComposePanel(g, 12, {{3, 120, 42, false, true}}, -1, ClockTime{9, 41, 30}, hc);
    EXPECT_EQ(PicturesOf(ops), std::vector<PanelPicture>{PanelPicture::ButtonImage});
    ASSERT_GE(ops.size(), 2u);
    EXPECT_EQ(ops[0].kind, Kind::FillEllipse);
    EXPECT_EQ(ops[0].argb, hc.background);
    EXPECT_EQ(ops[1].kind, Kind::StrokeEllipse);
    EXPECT_EQ(ops[1].argb, hc.text);
    EXPECT_GE(ops[1].penWidth, 2.0f);
    EXPECT_EQ(OpsOf(ops, Kind::Line).size(), 15u) << "twelve ticks and three hands";
    const std::size_t split = FirstTickOp(ops);
    ASSERT_EQ(ops.size() - split, 2u) << "the second hand and the hub move";
    EXPECT_EQ(ops[split].rotationDegrees, 180);
    const RectF hand = g.HandRect();  // what a tick's dirty part is made from
    for (const DrawOp& op : OpsOf(ops, Kind::Line)) {
        if (!op.rotationDegrees) continue;
        EXPECT_EQ(op.argb, hc.text);
        for (float y : {op.bounds.y, op.bounds.y + op.bounds.height}) EXPECT_TRUE(y >= hand.y && y <= hand.y + hand.height);
        EXPECT_LE(op.penWidth, hand.width - 2);
    }
}

TEST(ComposePanel, ButtonSizeFollowsTheCurrentButtonHalf) {
    const std::vector<ButtonView> buttons = {{3, 60, 60, false, true}, {4, 80, 80, true, true}};
    const auto drawn = ButtonOps(ComposePanel(PanelGeometry(), 10, buttons, -1, ClockTime{}));
    ASSERT_EQ(drawn.size(), 2u);
    ExpectBounds(drawn[0].bounds, 50, 50, 20, 20);
    ExpectBounds(drawn[1].bounds, 67, 67, 26, 26);
}

TEST(ComposePanel, DraggedButtonIsLeftOut) {
    const std::vector<ButtonView> buttons = {
        {3, 120, 42, false, true}, {7, 198, 120, true, true}, {9, 120, 198, false, true}};
    const auto drawn = ButtonOps(ComposePanel(PanelGeometry(), 12, buttons, 7, ClockTime{}));
    ASSERT_EQ(drawn.size(), 2u);
    EXPECT_EQ(drawn[0].buttonIndex, 0u);
    EXPECT_EQ(drawn[1].buttonIndex, 2u);
    ExpectBounds(drawn[1].bounds, 108, 186, 24, 24);
    // Once the drag is over the button is back.
    EXPECT_EQ(ButtonOps(ComposePanel(PanelGeometry(), 12, buttons, -1, ClockTime{})).size(), 3u);
}

TEST(ComposePanel, ButtonWithoutPictureDrawsNothing) {
    const std::vector<ButtonView> buttons = {{3, 120, 42, true, false}, {4, 198, 120, false, true}};
    const auto drawn = ButtonOps(ComposePanel(PanelGeometry(), 12, buttons, -1, ClockTime{}));
    ASSERT_EQ(drawn.size(), 1u);
    EXPECT_EQ(drawn[0].buttonIndex, 1u);
}

// The panel keeps the picture of the operations before FirstTickOp between clock ticks,
// so that part must not change within a minute and must change with anything else.
std::vector<DrawOp> StillPart(const std::vector<DrawOp>& ops) {
    return std::vector<DrawOp>(ops.begin(), ops.begin() + static_cast<std::ptrdiff_t>(FirstTickOp(ops)));
}

TEST(FirstTickOp, OnlyTheSecondHandAndHubMoveWithinAMinute) {
    const std::vector<ButtonView> buttons = {{3, 120, 42, false, true}, {7, 198, 120, true, true}};
    const auto first = ComposePanel(PanelGeometry(), 12, buttons, -1, ClockTime{9, 41, 0});
    const std::size_t split = FirstTickOp(first);
    ASSERT_EQ(first.size() - split, 2u);
    EXPECT_EQ(first[split].picture, PanelPicture::SecondHand);
    EXPECT_EQ(first[split + 1].picture, PanelPicture::Hub);
    for (int second = 1; second < 60; ++second) {
        const auto later = ComposePanel(PanelGeometry(), 12, buttons, -1, ClockTime{9, 41, second});
        EXPECT_EQ(StillPart(later), StillPart(first)) << second;
        EXPECT_NE(later[split], first[split]) << "the second hand moves at " << second;
    }
}

TEST(FirstTickOp, StillPartChangesWithTheMinuteHourAndButtons) {
    const std::vector<ButtonView> buttons = {{3, 120, 42, false, true}, {7, 198, 120, false, true}};
    const auto base = StillPart(ComposePanel(PanelGeometry(), 12, buttons, -1, ClockTime{9, 41, 30}));
    EXPECT_NE(StillPart(ComposePanel(PanelGeometry(), 12, buttons, -1, ClockTime{9, 42, 30})), base);
    EXPECT_NE(StillPart(ComposePanel(PanelGeometry(), 12, buttons, -1, ClockTime{10, 41, 30})), base);
    EXPECT_NE(StillPart(ComposePanel(PanelGeometry(), 12, buttons, 7, ClockTime{9, 41, 30})), base);
    EXPECT_NE(StillPart(ComposePanel(PanelGeometry(), 10, buttons, -1, ClockTime{9, 41, 30})), base);
    auto hovered = buttons;
    hovered[1].hovered = true;
    EXPECT_NE(StillPart(ComposePanel(PanelGeometry(), 12, hovered, -1, ClockTime{9, 41, 30})), base);
    auto dimmed = buttons;
    dimmed[0].dimmed = true;
    EXPECT_NE(StillPart(ComposePanel(PanelGeometry(), 12, dimmed, -1, ClockTime{9, 41, 30})), base);
    auto moved = buttons;
    moved[0].centerX += 1;
    EXPECT_NE(StillPart(ComposePanel(PanelGeometry(), 12, moved, -1, ClockTime{9, 41, 30})), base);
}

TEST(FirstTickOp, PlanWithoutSecondHandHasNothingThatMoves) {
    EXPECT_EQ(FirstTickOp({}), 0u);
    auto ops = ComposePanel(PanelGeometry(), 12, {}, -1, ClockTime{});
    ops.resize(FirstTickOp(ops));
    EXPECT_EQ(FirstTickOp(ops), ops.size());
}

}  // namespace
}  // namespace quorlin

namespace quorlin {
namespace {

bool Contains(const Rect& r, double x, double y) { return x >= r.left && x <= r.right && y >= r.top && y <= r.bottom; }

TEST(TickDirtyRect, HoldsTheOldAndNewSecondHandAndTheHubAndLittleElse) {
    const PanelGeometry g;
    for (int second = 0; second < 60; ++second) {
        SCOPED_TRACE(second);
        const int from = second * 6, to = ((second + 1) % 60) * 6;
        const Rect r = TickDirtyRect(g, from, to);
        for (int degrees : {from, to}) {  // the hand's tip, 50 px from the centre
            const double a = degrees * 3.14159265358979323846 / 180.0;
            EXPECT_TRUE(Contains(r, 120 + 50 * std::sin(a), 120 - 50 * std::cos(a)));
        }
        EXPECT_TRUE(Contains(r, 115, 70) && Contains(r, 125, 170)) << "the hub";
        EXPECT_GE(r.left, 0);
        EXPECT_LE(r.right, g.panelWidth);
        EXPECT_LT(r.Width() * r.Height(), g.panelWidth * g.panelHeight / 4);
    }
}

}  // namespace
}  // namespace quorlin
