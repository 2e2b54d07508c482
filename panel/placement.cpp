#include "panel/placement.h"

namespace quorlin {

namespace {

constexpr long long kDefaultTop = 30;
// Gap to the right screen edge when a saved x is unusable.
constexpr long long kRightMargin = 30;

}  // namespace

Point InitialPanelPosition(bool hasDeskX, long long deskX, bool hasDeskY, long long deskY,
                           int cxFull, int cyFull, int panelW, int panelH) {
    // Two and a half panel widths in from the right edge, truncated toward zero.
    long long x = hasDeskX ? deskX : static_cast<long long>(cxFull - 2.5 * panelW);
    long long y = hasDeskY ? deskY : kDefaultTop;
    if (x < 0 || x > static_cast<long long>(cxFull) - panelW) x = static_cast<long long>(cxFull) - panelW - kRightMargin;
    if (y < 0 || y > static_cast<long long>(cyFull) - panelH) y = kDefaultTop;
    return Point{static_cast<int>(x), static_cast<int>(y)};
}

bool KeepOnScreen(Rect& r, int cxFull, int cyFull) {
    const int w = r.Width();
    const int h = r.Height();
    bool changed = false;
    if (r.left <= 0) {
        r.left = 0;
        r.right = w;
        changed = true;
    } else if (r.left + w >= cxFull) {
        r.left = cxFull - w;
        r.right = cxFull;
        changed = true;
    }
    // A top edge above the screen is deliberately left alone.
    if (r.top + h >= cyFull) {
        r.top = cyFull - h;
        r.bottom = cyFull;
        changed = true;
    }
    return changed;
}

std::optional<Rect> PlaceBesideAnchor(const Rect& anchor, const Rect& window, int cxFull, int cyFull) {
    if (anchor.IsEmpty()) return std::nullopt;
    const int width = window.Width();
    const int height = window.Height();
    // Anchors in the left half open the window to their right, the others to their left.
    const int left = anchor.left < cxFull / 2 ? anchor.right : anchor.left - width;
    int top = anchor.top;
    if (top + height > cyFull) top = cyFull - height;
    return Rect{left, top, left + width, top + height};
}

}  // namespace quorlin
