#include "dialogs/tooltip_logic.h"

#include <algorithm>
#include <climits>

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

int BubbleWidth(double measuredTextWidth, int dpi) {
    return static_cast<int>(measuredTextWidth + ScaleByDpi(kTextPadding, dpi));
}

int BubbleHeight(int dpi) { return ScaleByDpi(kBubbleHeight, dpi); }

double BubbleFontPixels(int dpi) { return ScaleByDpi(kBubbleFontPixels, dpi); }

Rect BubbleRectAt(int x, int y, int width, int dpi) {
    const int offset = ScaleByDpi(kBubbleOffsetY, dpi);
    return Rect{x, y + offset, x + width, y + offset + BubbleHeight(dpi)};
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

void ClampToWorkArea(Rect& r, int width, const Rect& work) {
    const long long w = width;
    if (r.left <= work.left) {
        r.left = work.left;
        r.right = static_cast<int>(std::min<long long>(work.left + w, INT_MAX));
    } else if (r.left + w >= work.right) {
        r.left = static_cast<int>(std::max<long long>(work.right - w, INT_MIN));
        r.right = work.right;
    }
    if (r.top >= work.bottom) {
        r.bottom = static_cast<int>(std::max<long long>(static_cast<long long>(r.bottom) + work.bottom - r.top, INT_MIN));
        r.top = work.bottom;
    }
}

std::vector<BubbleShape> FillBubble(int w, int h, int dpi) {
    using K = BubbleShape::Kind;
    const int d = ScaleByDpi(kCornerDiameter, dpi);
    const int inset = ScaleByDpi(kCornerInset + 1, dpi) - 1;  // a pixel inside the corner's radius
    const int strip = ScaleByDpi(kStripWidth, dpi);
    return {
        {K::Rectangle, inset, 0, w - 2 * inset, h, 0, 0},
        {K::Rectangle, 0, inset, strip, h - 2 * inset, 0, 0},
        {K::Rectangle, w - strip, inset, strip, h - 2 * inset, 0, 0},
        {K::Pie, 0, 0, d, d, 180, 90},
        {K::Pie, w - d, h - d, d, d, 360, 90},
        {K::Pie, w - d, 0, d, d, 270, 90},
        {K::Pie, 0, h - d, d, d, 90, 90},
    };
}

RectF TipTextBox(int width, int height, int dpi) {
    return RectF{0.0f, static_cast<float>(ScaleByDpi(static_cast<double>(kTextDrop), dpi)), static_cast<float>(width),
                 static_cast<float>(height)};
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

TipPlacement PlaceTip(double measuredTextWidth, int cursorX, int cursorY, const std::wstring& lastText,
                      const std::wstring& text, const Rect& workArea, int dpi) {
    TipPlacement placement;
    const int width = BubbleWidth(measuredTextWidth, dpi);
    placement.window = BubbleRectAt(cursorX, cursorY, width, dpi);
    ClampToWorkArea(placement.window, width, workArea);
    placement.redraw = text != lastText;
    return placement;
}

}  // namespace quorlin
