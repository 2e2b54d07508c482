// Size, place and shape of the tooltip bubble. The Win32 window measures the text, then
// moves itself and paints the shapes these functions give.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "framework/geometry.h"

namespace quorlin {

constexpr int kBubbleHeight = 25;
// The bubble's top edge is this far below the cursor.
constexpr int kBubbleOffsetY = 25;
constexpr std::uint32_t kBubbleArgb = 0x96000000;
constexpr std::uint32_t kBubbleTextArgb = 0xFFFFFFFF;

// Bubble width for a measured text width: the integer part of width + 20.
int BubbleWidth(double measuredTextWidth);

// The bubble's screen rectangle for a cursor at (x, y), before clamping.
Rect BubbleRectAt(int x, int y, int width);

// Pulls the bubble back to the left or right screen edge and up to the bottom edge.
void ClampToScreen(Rect& r, int width, int cxFull, int cyFull);

// One filled piece of the rounded bubble; angles in degrees clockwise from the positive x axis.
struct BubbleShape {
    enum class Kind { Rectangle, Pie };
    Kind kind = Kind::Rectangle;
    int x = 0, y = 0, width = 0, height = 0;  // rectangle, or the pie's bounding square
    float startAngle = 0, sweepAngle = 0;     // pies only
};

// The shapes that, filled in order with one brush, make a W x H bubble with rounded corners.
std::vector<BubbleShape> FillBubble(int width, int height);

// Layout box of the text, centred both ways, two pixels below the exact centre.
RectF TipTextBox(int width, int height);

// What ShowTip does for one cursor position.
struct TipPlacement {
    Rect window;          // where to move and show the bubble
    bool redraw = false;  // the text changed: draw the bubble again
};

// The window rectangle and whether to redraw, given the last drawn text and the new one.
TipPlacement PlaceTip(double measuredTextWidth, int cursorX, int cursorY, const std::wstring& lastText,
                      const std::wstring& text, int cxFull, int cyFull);

// Which window the bubble shows the title of: the last button (or the panel, for the
// keyboard's selection) that showed it. Moving straight from one button onto its neighbour,
// the old button's leave arrives after the new one's first move, so a leave may hide the
// bubble only while it is still the leaving button's.
class TipOwner {
public:
    void Shown(const void* owner) { owner_ = owner; }
    // A leave of `owner`: true when the bubble must be hidden (it is still that button's).
    bool LeaveHides(const void* owner) {
        if (!owner_ || owner_ != owner) return false;
        owner_ = nullptr;
        return true;
    }
    // Hidden for any other reason (a press, a drag, a menu).
    void Hidden() { owner_ = nullptr; }
    const void* owner() const { return owner_; }

private:
    const void* owner_ = nullptr;
};

}  // namespace quorlin
