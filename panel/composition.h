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
    // FillEllipse fills `bounds`; StrokeEllipse draws its outline with a pen of `penWidth`
    // centred on it; StrokeRect fills a frame `penWidth` wide just inside it (whole pixels);
    // Line draws from (x, y) to (x + width, y + height).
    enum class Kind { DrawPicture, FillEllipse, StrokeEllipse, StrokeRect, Line };
    Kind kind = Kind::DrawPicture;
    // The picture drawn, or what a drawn shape stands for: a hand or the hub drawn as lines
    // and discs in high contrast carries its hand's picture, so that the hands are told apart
    // whichever way they are drawn; a button's focus ring carries ButtonImage.
    PanelPicture picture = PanelPicture::Ring;
    std::size_t buttonIndex = 0;  // ButtonImage only: index into the buttons given to ComposePanel
    RectF bounds;                 // x, y, width, height
    bool integerBounds = false;   // draw with whole-pixel coordinates (GdipDrawImageRectI)
    std::optional<int> rotationDegrees;  // clockwise about `pivot`, when set
    Point pivot;
    std::uint32_t argb = 0;  // the colour of a shape (every kind but DrawPicture)
    float penWidth = 0;      // StrokeEllipse, StrokeRect and Line
    bool dimmed = false;     // ButtonImage only: drawn at kDimmedOpacity (filtered out by typing)

    bool operator==(const DrawOp& o) const {
        return kind == o.kind && picture == o.picture && buttonIndex == o.buttonIndex && bounds == o.bounds &&
               integerBounds == o.integerBounds && rotationDegrees == o.rotationDegrees && pivot == o.pivot &&
               argb == o.argb && penWidth == o.penWidth && dimmed == o.dimmed;
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

// The colours a frame is drawn in. In high contrast the ring, the clock's face and hands are
// not the program's pictures but shapes in the system's colours (the buttons' pictures
// stay); in either mode the keyboard's selection has a focus ring in `highlight`.
struct Palette {
    bool highContrast = false;
    std::uint32_t background = 0xFFFFFFFF;  // high contrast: the window background
    std::uint32_t text = 0xFF000000;        // high contrast: the ring, face, ticks and hands
    std::uint32_t highlight = 0xFFFFFFFF;   // the focus ring around the keyboard's selection
};

// Width of the focus ring, and its gap outside the (grown) button, at 96 DPI.
constexpr int kFocusRingWidth = 2;
constexpr int kFocusRingGap = 1;
// Width of the ring's and the clock's outline in high contrast, at 96 DPI.
constexpr int kContrastRingWidth = 2;

// Colour of the almost invisible clock disc that keeps the clock area clickable.
constexpr std::uint32_t kClockDiscArgb = 0x01000000;

// How many pixels a hovered (or keyboard-selected) button grows on every side at 96 DPI
// (scaled with the geometry's DPI).
constexpr int kHoverGrowth = 3;
// Opacity of a button whose title does not match the typed filter.
constexpr float kDimmedOpacity = 0.3f;

// Hand angles for a time; the hour hand moves one degree every two minutes.
ClockHands HandAngles(int hour, int minute, int second);

// The operations of one frame: ring, buttons (minus the dragged one) with the focus ring
// after the selected one, disc, face, hands, hub. `draggedId` is -1 while nothing is being
// dragged. In high contrast the ring is a disc in the background colour with a solid outline,
// the face a disc with an outline and twelve ticks, the hands lines and the hub a disc, all
// in the text colour.
std::vector<DrawOp> ComposePanel(const PanelGeometry& geometry, int buttonHalf,
                                 const std::vector<ButtonView>& buttons, std::int64_t draggedId,
                                 const ClockTime& time, const Palette& palette = Palette());

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
