#include "panel/composition.h"

#include <algorithm>
#include <cmath>

namespace quorlin {

namespace {

DrawOp Picture(PanelPicture picture, const RectF& bounds) {
    DrawOp op;
    op.kind = DrawOp::Kind::DrawPicture;
    op.picture = picture;
    op.bounds = bounds;
    return op;
}

DrawOp RotatedHand(PanelPicture picture, const PanelGeometry& g, int degrees) {
    DrawOp op = Picture(picture, g.HandRect());
    op.rotationDegrees = degrees;
    op.pivot = Point{g.ringCenterX, g.ringCenterY};
    return op;
}

}  // namespace

ClockHands HandAngles(int hour, int minute, int second) {
    ClockHands hands;
    hands.hour = (hour % 12) * 30 + (minute * 30) / 60;
    hands.minute = minute * 6;
    hands.second = second * 6;
    return hands;
}

std::vector<DrawOp> ComposePanel(const PanelGeometry& g, int buttonHalf,
                                 const std::vector<ButtonView>& buttons, std::int64_t draggedId,
                                 const ClockTime& time) {
    std::vector<DrawOp> ops;
    ops.reserve(buttons.size() + 8);
    ops.push_back(Picture(PanelPicture::Ring, g.RingPictureRect()));

    const int growth = ScaleByDpi(kHoverGrowth, g.dpi);
    for (std::size_t i = 0; i < buttons.size(); ++i) {
        const ButtonView& b = buttons[i];
        // The ghost shows the dragged button; a button without a picture has nothing to draw.
        if (b.id == draggedId || !b.hasImage) continue;
        const int half = (b.hovered || b.selected) ? buttonHalf + growth : buttonHalf;
        DrawOp op = Picture(PanelPicture::ButtonImage,
                            RectF{static_cast<float>(b.centerX - half), static_cast<float>(b.centerY - half),
                                  static_cast<float>(2 * half), static_cast<float>(2 * half)});
        op.buttonIndex = i;
        op.integerBounds = true;
        op.dimmed = b.dimmed;
        ops.push_back(op);
    }

    DrawOp disc;
    disc.kind = DrawOp::Kind::FillEllipse;
    disc.bounds = g.ClockDiscRect();
    disc.argb = kClockDiscArgb;
    ops.push_back(disc);
    ops.push_back(Picture(PanelPicture::Face, g.ClockDiscRect()));

    const ClockHands hands = HandAngles(time.hour, time.minute, time.second);
    ops.push_back(RotatedHand(PanelPicture::HourHand, g, hands.hour));
    ops.push_back(RotatedHand(PanelPicture::MinuteHand, g, hands.minute));
    ops.push_back(RotatedHand(PanelPicture::SecondHand, g, hands.second));
    ops.push_back(Picture(PanelPicture::Hub, g.HandRect()));
    return ops;
}

std::size_t FirstTickOp(const std::vector<DrawOp>& ops) {
    for (std::size_t k = 0; k < ops.size(); ++k)
        if (ops[k].kind == DrawOp::Kind::DrawPicture && ops[k].picture == PanelPicture::SecondHand) return k;
    return ops.size();
}

Rect TickDirtyRect(const PanelGeometry& g, int fromDegrees, int toDegrees) {
    const RectF hand = g.HandRect();
    const double cx = g.ringCenterX, cy = g.ringCenterY;
    double left = hand.x, top = hand.y, right = hand.x + hand.width, bottom = hand.y + hand.height;  // the hub
    for (int degrees : {fromDegrees, toDegrees}) {
        const double a = degrees * 3.14159265358979323846 / 180.0;
        const double c = std::cos(a), s = std::sin(a);
        for (double x : {static_cast<double>(hand.x), static_cast<double>(hand.x + hand.width)}) {
            for (double y : {static_cast<double>(hand.y), static_cast<double>(hand.y + hand.height)}) {
                // Clockwise on screen (y grows downwards), as GDI+ rotates.
                const double rx = cx + (x - cx) * c - (y - cy) * s;
                const double ry = cy + (x - cx) * s + (y - cy) * c;
                left = std::min(left, rx);
                right = std::max(right, rx);
                top = std::min(top, ry);
                bottom = std::max(bottom, ry);
            }
        }
    }
    constexpr int kSmoothing = 2;
    Rect r{static_cast<int>(std::floor(left)) - kSmoothing, static_cast<int>(std::floor(top)) - kSmoothing,
           static_cast<int>(std::ceil(right)) + kSmoothing, static_cast<int>(std::ceil(bottom)) + kSmoothing};
    r.left = std::max(r.left, 0);
    r.top = std::max(r.top, 0);
    r.right = std::min(r.right, g.panelWidth);
    r.bottom = std::min(r.bottom, g.panelHeight);
    return r;
}

}  // namespace quorlin
