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

DrawOp Shape(DrawOp::Kind kind, PanelPicture standsFor, const RectF& bounds, std::uint32_t argb, float pen = 0) {
    DrawOp op;
    op.kind = kind;
    op.picture = standsFor;
    op.bounds = bounds;
    op.argb = argb;
    op.penWidth = pen;
    return op;
}

// `r` shrunk by `by` on every side.
RectF Inset(const RectF& r, float by) { return RectF{r.x + by, r.y + by, r.width - 2 * by, r.height - 2 * by}; }

// A high-contrast hand: a line up from the ring centre (`tail` below it), `length` long
// (fractions of the clock's radius), turned like the hand's picture; it stays within the
// hand's rectangle, so a tick's dirty part still holds it.
DrawOp LineHand(PanelPicture picture, const PanelGeometry& g, int degrees, double length, double tail, int width,
                std::uint32_t argb) {
    const float r = static_cast<float>(g.clockRadius);
    const float y0 = static_cast<float>(g.ringCenterY) + static_cast<float>(tail) * r;
    DrawOp op = Shape(DrawOp::Kind::Line, picture,
                      RectF{static_cast<float>(g.ringCenterX), y0, 0.0f, -static_cast<float>(length + tail) * r}, argb,
                      static_cast<float>(ScaleByDpi(width, g.dpi)));
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
                                 const ClockTime& time, const Palette& palette) {
    std::vector<DrawOp> ops;
    ops.reserve(buttons.size() + 24);
    const bool contrast = palette.highContrast;
    const float outline = static_cast<float>(ScaleByDpi(kContrastRingWidth, g.dpi));
    if (contrast) {
        ops.push_back(Shape(DrawOp::Kind::FillEllipse, PanelPicture::Ring, g.RingPictureRect(), palette.background));
        ops.push_back(Shape(DrawOp::Kind::StrokeEllipse, PanelPicture::Ring, Inset(g.RingPictureRect(), outline / 2),
                            palette.text, outline));
    } else {
        ops.push_back(Picture(PanelPicture::Ring, g.RingPictureRect()));
    }

    const int growth = ScaleByDpi(kHoverGrowth, g.dpi);
    const float focusPen = static_cast<float>(ScaleByDpi(kFocusRingWidth, g.dpi));
    const float focusOut = static_cast<float>(ScaleByDpi(kFocusRingGap, g.dpi)) + focusPen;
    for (std::size_t i = 0; i < buttons.size(); ++i) {
        const ButtonView& b = buttons[i];
        // The ghost shows the dragged button; a button without a picture has nothing to draw.
        // (A selected button without a picture still shows its focus ring.)
        if (b.id == draggedId) continue;
        const int half = (b.hovered || b.selected) ? buttonHalf + growth : buttonHalf;
        const RectF square{static_cast<float>(b.centerX - half), static_cast<float>(b.centerY - half),
                           static_cast<float>(2 * half), static_cast<float>(2 * half)};
        if (b.hasImage) {
            DrawOp op = Picture(PanelPicture::ButtonImage, square);
            op.buttonIndex = i;
            op.integerBounds = true;
            op.dimmed = b.dimmed;
            ops.push_back(op);
        }
        if (b.selected) {  // the keyboard's selection is seen in any mode, not only by its growth
            DrawOp ring = Shape(DrawOp::Kind::StrokeRect, PanelPicture::ButtonImage, Inset(square, -focusOut),
                                palette.highlight, focusPen);
            ring.buttonIndex = i;
            ops.push_back(ring);
        }
    }

    ops.push_back(Shape(DrawOp::Kind::FillEllipse, PanelPicture::Ring, g.ClockDiscRect(),
                        contrast ? palette.background : kClockDiscArgb));
    const ClockHands hands = HandAngles(time.hour, time.minute, time.second);
    if (!contrast) {
        ops.push_back(Picture(PanelPicture::Face, g.ClockDiscRect()));
        ops.push_back(RotatedHand(PanelPicture::HourHand, g, hands.hour));
        ops.push_back(RotatedHand(PanelPicture::MinuteHand, g, hands.minute));
        ops.push_back(RotatedHand(PanelPicture::SecondHand, g, hands.second));
        ops.push_back(Picture(PanelPicture::Hub, g.HandRect()));
        return ops;
    }
    ops.push_back(Shape(DrawOp::Kind::StrokeEllipse, PanelPicture::Face, Inset(g.ClockDiscRect(), outline / 2),
                        palette.text, outline));
    const float r = static_cast<float>(g.clockRadius);
    for (int hour = 0; hour < 12; ++hour) {  // the ticks: from 0.95 to 0.8 of the radius
        const double a = hour * 30 * 3.14159265358979323846 / 180.0;
        const float sx = static_cast<float>(std::sin(a)), cy = static_cast<float>(-std::cos(a));
        const float x0 = static_cast<float>(g.ringCenterX) + 0.95f * r * sx;
        const float y0 = static_cast<float>(g.ringCenterY) + 0.95f * r * cy;
        ops.push_back(Shape(DrawOp::Kind::Line, PanelPicture::Face, RectF{x0, y0, -0.15f * r * sx, -0.15f * r * cy},
                            palette.text, outline));
    }
    ops.push_back(LineHand(PanelPicture::HourHand, g, hands.hour, 0.5, 0.0, 4, palette.text));
    ops.push_back(LineHand(PanelPicture::MinuteHand, g, hands.minute, 0.75, 0.0, 3, palette.text));
    ops.push_back(LineHand(PanelPicture::SecondHand, g, hands.second, 0.82, 0.15, 1, palette.text));
    const float hub = static_cast<float>(ScaleByDpi(4, g.dpi));
    ops.push_back(Shape(DrawOp::Kind::FillEllipse, PanelPicture::Hub,
                        RectF{g.ringCenterX - hub, g.ringCenterY - hub, 2 * hub, 2 * hub}, palette.text));
    return ops;
}

std::size_t FirstTickOp(const std::vector<DrawOp>& ops) {
    // The second hand, a picture or (in high contrast) a line.
    for (std::size_t k = 0; k < ops.size(); ++k)
        if (ops[k].picture == PanelPicture::SecondHand) return k;
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
