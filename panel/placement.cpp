#include "panel/placement.h"

#include <climits>

namespace quorlin {

namespace {

// Settings files and window rectangles may hold any int: the sums below are made in 64 bits
// and the results brought back into the int range, so that no value overflows.
int ClampToInt(long long v) {
    return v < INT_MIN ? INT_MIN : v > INT_MAX ? INT_MAX : static_cast<int>(v);
}

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
    return Point{ClampToInt(x), ClampToInt(y)};
}

bool KeepOnScreen(Rect& r, int cxFull, int cyFull) {
    const long long w = static_cast<long long>(r.right) - r.left;
    const long long h = static_cast<long long>(r.bottom) - r.top;
    bool changed = false;
    if (r.left <= 0) {
        r.left = 0;
        r.right = ClampToInt(w);
        changed = true;
    } else if (r.left + w >= cxFull) {
        r.left = ClampToInt(cxFull - w);
        r.right = cxFull;
        changed = true;
    }
    // A top edge above the screen is deliberately left alone.
    if (r.top + h >= cyFull) {
        r.top = ClampToInt(cyFull - h);
        r.bottom = cyFull;
        changed = true;
    }
    return changed;
}

std::optional<Rect> PlaceBesideAnchor(const Rect& anchor, const Rect& window, int cxFull, int cyFull) {
    if (anchor.IsEmpty()) return std::nullopt;
    const long long width = static_cast<long long>(window.right) - window.left;
    const long long height = static_cast<long long>(window.bottom) - window.top;
    // Anchors in the left half open the window to their right, the others to their left.
    const long long left = anchor.left < cxFull / 2 ? anchor.right : anchor.left - width;
    long long top = anchor.top;
    if (top + height > cyFull) top = cyFull - height;
    return Rect{ClampToInt(left), ClampToInt(top), ClampToInt(left + width), ClampToInt(top + height)};
}

}  // namespace quorlin

namespace quorlin {

bool FrontWindowHidesPanel(const Rect& panel, const Rect& front, bool panelAbove) {
    if (panelAbove || panel.IsEmpty() || front.IsEmpty()) return false;
    return front.left <= panel.left && front.top <= panel.top && front.right >= panel.right &&
           front.bottom >= panel.bottom;
}

}  // namespace quorlin
