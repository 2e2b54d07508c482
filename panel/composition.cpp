#include "panel/composition.h"

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
                                 const std::vector<ButtonView>& buttons, int draggedId,
                                 const ClockTime& time) {
    std::vector<DrawOp> ops;
    ops.reserve(buttons.size() + 8);
    ops.push_back(Picture(PanelPicture::Ring, g.RingPictureRect()));

    for (std::size_t i = 0; i < buttons.size(); ++i) {
        const ButtonView& b = buttons[i];
        // The ghost shows the dragged button; a button without a picture has nothing to draw.
        if (b.id == draggedId || !b.hasImage) continue;
        const int half = (b.hovered || b.selected) ? buttonHalf + kHoverGrowth : buttonHalf;
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

}  // namespace quorlin
