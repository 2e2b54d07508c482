#include "dialogs/tooltip_logic.h"

namespace quorlin {

namespace {

// Room around the measured text.
constexpr double kTextPadding = 20.0;
// Corner quarter-discs have radius 12; the straight parts overlap them by a pixel so no seam shows.
constexpr int kCornerDiameter = 24;
constexpr int kCornerInset = 11;
constexpr int kStripWidth = 12;
constexpr float kTextDrop = 2.0f;

}  // namespace

int BubbleWidth(double measuredTextWidth) { return static_cast<int>(measuredTextWidth + kTextPadding); }

Rect BubbleRectAt(int x, int y, int width) {
    return Rect{x, y + kBubbleOffsetY, x + width, y + kBubbleOffsetY + kBubbleHeight};
}

void ClampToScreen(Rect& r, int width, int cxFull, int cyFull) {
    if (r.left <= 0) {
        r.left = 0;
        r.right = width;
    } else if (r.left + width >= cxFull) {
        r.left = cxFull - width;
        r.right = cxFull;
    }
    if (r.top >= cyFull) {
        r.bottom += cyFull - r.top;
        r.top = cyFull;
    }
}

std::vector<BubbleShape> FillBubble(int w, int h) {
    using K = BubbleShape::Kind;
    const int d = kCornerDiameter;
    return {
        {K::Rectangle, kCornerInset, 0, w - 2 * kCornerInset, h, 0, 0},
        {K::Rectangle, 0, kCornerInset, kStripWidth, h - 2 * kCornerInset, 0, 0},
        {K::Rectangle, w - kStripWidth, kCornerInset, kStripWidth, h - 2 * kCornerInset, 0, 0},
        {K::Pie, 0, 0, d, d, 180, 90},
        {K::Pie, w - d, h - d, d, d, 360, 90},
        {K::Pie, w - d, 0, d, d, 270, 90},
        {K::Pie, 0, h - d, d, d, 90, 90},
    };
}

RectF TipTextBox(int width, int height) {
    return RectF{0.0f, kTextDrop, static_cast<float>(width), static_cast<float>(height)};
}

TipPlacement PlaceTip(double measuredTextWidth, int cursorX, int cursorY, const std::wstring& lastText,
                      const std::wstring& text, int cxFull, int cyFull) {
    TipPlacement placement;
    const int width = BubbleWidth(measuredTextWidth);
    placement.window = BubbleRectAt(cursorX, cursorY, width);
    ClampToScreen(placement.window, width, cxFull, cyFull);
    // An unchanged text keeps the picture the window already has.
    placement.redraw = text != lastText;
    return placement;
}

}  // namespace quorlin
