#include "dialogs/tooltip_logic.h"

#include <algorithm>
#include <cmath>

#include <gtest/gtest.h>

namespace quorlin {
namespace {

constexpr int kCx = 1920;
constexpr int kCy = 1050;

TEST(TooltipBubble, WidthIsTheTruncatedTextWidthPlusTwenty) {
    EXPECT_EQ(BubbleWidth(56.3), 76);
    EXPECT_EQ(BubbleWidth(56.99), 76);
    EXPECT_EQ(BubbleWidth(57.0), 77);
    EXPECT_EQ(BubbleWidth(0.0), 20);
}

TEST(TooltipBubble, SitsBelowTheCursor) {
    const TipPlacement p = PlaceTip(56.3, 500, 300, L"", L"Notes", kCx, kCy);
    EXPECT_EQ(p.window, (Rect{500, 325, 576, 350}));
    EXPECT_EQ(BubbleRectAt(500, 300, 76), (Rect{500, 325, 576, 350}));
}

TEST(ClampToScreen, LeftEdge) {
    Rect atZero = BubbleRectAt(0, 300, 76);
    ClampToScreen(atZero, 76, kCx, kCy);
    EXPECT_EQ(atZero, (Rect{0, 325, 76, 350}));
    Rect leftOf = BubbleRectAt(-40, 300, 76);
    ClampToScreen(leftOf, 76, kCx, kCy);
    EXPECT_EQ(leftOf, (Rect{0, 325, 76, 350}));
}

TEST(ClampToScreen, RightEdge) {
    Rect touching = BubbleRectAt(1844, 300, 76);  // 1844 + 76 reaches the width
    ClampToScreen(touching, 76, kCx, kCy);
    EXPECT_EQ(touching, (Rect{1844, 325, 1920, 350}));
    Rect beyond = BubbleRectAt(1900, 300, 76);
    ClampToScreen(beyond, 76, kCx, kCy);
    EXPECT_EQ(beyond, (Rect{1844, 325, 1920, 350}));
    Rect inside = BubbleRectAt(1843, 300, 76);
    ClampToScreen(inside, 76, kCx, kCy);
    EXPECT_EQ(inside, (Rect{1843, 325, 1919, 350}));
}

TEST(ClampToScreen, BottomEdgeKeepsTheHeight) {
    Rect atBottom = BubbleRectAt(500, kCy - 25, 76);
    ClampToScreen(atBottom, 76, kCx, kCy);
    EXPECT_EQ(atBottom, (Rect{500, 1050, 576, 1075}));
    Rect below = BubbleRectAt(500, 1100, 76);
    ClampToScreen(below, 76, kCx, kCy);
    EXPECT_EQ(below, (Rect{500, 1050, 576, 1075}));
    Rect above = BubbleRectAt(500, kCy - 26, 76);
    ClampToScreen(above, 76, kCx, kCy);
    EXPECT_EQ(above, (Rect{500, 1049, 576, 1074}));
    // Corner: both axes at once.
    Rect corner = BubbleRectAt(1900, 1100, 76);
    ClampToScreen(corner, 76, kCx, kCy);
    EXPECT_EQ(corner, (Rect{1844, 1050, 1920, 1075}));
}

TEST(TooltipBubble, RedrawsOnlyWhenTheTextChanges) {
    EXPECT_FALSE(PlaceTip(40, 10, 10, L"Notes", L"Notes", kCx, kCy).redraw);
    EXPECT_TRUE(PlaceTip(40, 10, 10, L"Notes", L"notes", kCx, kCy).redraw);
    // An empty title on the very first show matches the empty stored text: nothing drawn.
    const TipPlacement empty = PlaceTip(0, 10, 10, L"", L"", kCx, kCy);
    EXPECT_FALSE(empty.redraw);
    EXPECT_EQ(empty.window.Width(), 20);
}

TEST(FillBubble, ShapesInPaintingOrder) {
    using K = BubbleShape::Kind;
    const std::vector<BubbleShape> s = FillBubble(76, 25);
    ASSERT_EQ(s.size(), 7u);
    struct Expected {
        K kind;
        int x, y, w, h;
        float start, sweep;
    };
    const Expected e[] = {
        {K::Rectangle, 11, 0, 54, 25, 0, 0}, {K::Rectangle, 0, 11, 12, 3, 0, 0},  {K::Rectangle, 64, 11, 12, 3, 0, 0},
        {K::Pie, 0, 0, 24, 24, 180, 90},     {K::Pie, 52, 1, 24, 24, 360, 90},   {K::Pie, 52, 0, 24, 24, 270, 90},
        {K::Pie, 0, 1, 24, 24, 90, 90},
    };
    for (std::size_t i = 0; i < s.size(); ++i) {
        EXPECT_EQ(s[i].kind, e[i].kind) << i;
        EXPECT_EQ(s[i].x, e[i].x) << i;
        EXPECT_EQ(s[i].y, e[i].y) << i;
        EXPECT_EQ(s[i].width, e[i].w) << i;
        EXPECT_EQ(s[i].height, e[i].h) << i;
        if (s[i].kind == K::Pie) {
            EXPECT_EQ(s[i].startAngle, e[i].start) << i;
            EXPECT_EQ(s[i].sweepAngle, e[i].sweep) << i;
        }
    }
}

bool Covers(const BubbleShape& s, double px, double py) {
    if (s.kind == BubbleShape::Kind::Rectangle)
        return px >= s.x && px < s.x + s.width && py >= s.y && py < s.y + s.height;
    const double r = s.width / 2.0;
    const double dx = px - (s.x + r), dy = py - (s.y + r);
    if (std::hypot(dx, dy) > r) return false;
    // Clockwise from +x with y pointing down.
    double angle = std::atan2(dy, dx) * 180.0 / 3.14159265358979;
    if (angle < 0) angle += 360.0;
    const double from = std::fmod(s.startAngle, 360.0f);
    double rel = angle - from;
    if (rel < 0) rel += 360.0;
    return rel <= s.sweepAngle + 1e-9;
}

TEST(FillBubble, ShapesCoverTheRoundedBubbleAndStayInside) {
    for (int w : {24, 40, 76, 300}) {
        const int h = 25;
        const std::vector<BubbleShape> shapes = FillBubble(w, h);
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w; ++x) {
                const double px = x + 0.5, py = y + 0.5;
                // Inside the rounded rectangle with corner radius 12.
                const double cx = std::clamp(px, 12.0, w - 12.0);
                const double cy = std::clamp(py, 12.0, h - 12.0);
                const bool inBubble = std::hypot(px - cx, py - cy) <= 12.0;
                const bool covered = std::any_of(shapes.begin(), shapes.end(),
                                                 [&](const BubbleShape& s) { return Covers(s, px, py); });
                if (inBubble) {
                    EXPECT_TRUE(covered) << "w=" << w << " gap at " << x << "," << y;
                }
            }
        }
        for (const BubbleShape& s : shapes) {
            EXPECT_GE(s.x, 0);
            EXPECT_GE(s.y, 0);
            EXPECT_LE(s.x + s.width, w);
            EXPECT_LE(s.y + s.height, h);
        }
    }
}

TEST(TooltipBubble, TextBoxIsTwoPixelsLow) {
    const RectF box = TipTextBox(76, 25);
    EXPECT_EQ(box.x, 0.0f);
    EXPECT_EQ(box.y, 2.0f);
    EXPECT_EQ(box.width, 76.0f);
    EXPECT_EQ(box.height, 25.0f);
}

TEST(TipOwner, ALateLeaveOfTheOldButtonKeepsTheNeighboursTip) {
    int a = 0, b = 0;
    TipOwner tip;
    EXPECT_FALSE(tip.LeaveHides(&a));  // nothing shown
    tip.Shown(&a);
    tip.Shown(&b);  // the neighbour's first move comes before a's leave
    EXPECT_FALSE(tip.LeaveHides(&a));
    EXPECT_EQ(tip.owner(), &b);
    EXPECT_TRUE(tip.LeaveHides(&b));
    EXPECT_EQ(tip.owner(), nullptr);
    tip.Shown(&a);
    tip.Hidden();
    EXPECT_FALSE(tip.LeaveHides(&a));
}

}  // namespace
}  // namespace quorlin
