// The plan of one panel frame: what is drawn where, in drawing order. The Win32 renderer
// only executes these operations on a GDI+ graphics object.
#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "framework/geometry.h"
#include "panel/ring_layout.h"

namespace quorlin {

// The pictures a panel frame is made of.
enum class PanelPicture { Ring, Face, HourHand, MinuteHand, SecondHand, Hub, ButtonImage };

// One drawing step of a frame.
struct DrawOp {
    enum class Kind { DrawPicture, FillEllipse };
    Kind kind = Kind::DrawPicture;
    PanelPicture picture = PanelPicture::Ring;  // DrawPicture only
    std::size_t buttonIndex = 0;  // ButtonImage only: index into the buttons given to ComposePanel
    RectF bounds;                 // x, y, width, height
    bool integerBounds = false;   // draw with whole-pixel coordinates (GdipDrawImageRectI)
    std::optional<int> rotationDegrees;  // clockwise about `pivot`, when set
    Point pivot;
    std::uint32_t argb = 0;  // FillEllipse only
    bool dimmed = false;     // ButtonImage only: drawn at kDimmedOpacity (filtered out by typing)

    bool operator==(const DrawOp& o) const {
        return kind == o.kind && picture == o.picture && buttonIndex == o.buttonIndex && bounds == o.bounds &&
               integerBounds == o.integerBounds && rotationDegrees == o.rotationDegrees && pivot == o.pivot &&
               argb == o.argb && dimmed == o.dimmed;
    }
    bool operator!=(const DrawOp& o) const { return !(*this == o); }
};

// What the frame needs to know about one launcher button.
struct ButtonView {
    std::int64_t id = 0;
    int centerX = 0;
    int centerY = 0;
    bool hovered = false;
    bool hasImage = false;
    bool selected = false;  // chosen from the keyboard: drawn as hovered
    bool dimmed = false;    // its title does not match the typed filter
};

// Local wall-clock time, to the second.
struct ClockTime {
    int hour = 0;  // 0-23
    int minute = 0;
    int second = 0;
};

// Whole-degree angles of the clock hands, clockwise from 12 o'clock.
struct ClockHands {
    int hour = 0;
    int minute = 0;
    int second = 0;
};

// Colour of the almost invisible clock disc that keeps the clock area clickable.
constexpr std::uint32_t kClockDiscArgb = 0x01000000;

// How many pixels a hovered (or keyboard-selected) button grows on every side at 96 DPI
// (scaled with the geometry's DPI).
constexpr int kHoverGrowth = 3;
// Opacity of a button whose title does not match the typed filter.
constexpr float kDimmedOpacity = 0.3f;

// Hand angles for a time; the hour hand moves one degree every two minutes.
ClockHands HandAngles(int hour, int minute, int second);

// The operations of one frame: ring, buttons (minus the dragged one), disc, face, hands, hub.
// `draggedId` is -1 while nothing is being dragged.
std::vector<DrawOp> ComposePanel(const PanelGeometry& geometry, int buttonHalf,
                                 const std::vector<ButtonView>& buttons, std::int64_t draggedId,
                                 const ClockTime& time);

// Where a frame's operations split into the still part and the part that moves every
// second: the operations before the returned index depend only on the ring, the buttons,
// the hour and the minute, so their picture can be kept between clock ticks. It is the
// index of the second hand (everything after it moves with it, or is drawn over it).
std::size_t FirstTickOp(const std::vector<DrawOp>& ops);

// The part of the panel a clock tick changes when only the second hand moved from
// `fromDegrees` to `toDegrees`: both positions of the hand's rectangle, rotated about the
// ring centre, and the hub, widened by a pixel of smoothing on every side and clipped to
// the panel. Everything outside it is the same in both frames.
Rect TickDirtyRect(const PanelGeometry& geometry, int fromDegrees, int toDegrees);

}  // namespace quorlin
