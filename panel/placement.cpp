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

// ---------------------------------------------------------------- every monitor

namespace {

// A rectangle in 64 bits: sums of int sides never overflow there.
struct Box {
    long long left, top, right, bottom;
};

Box BoxOf(const Rect& r) { return Box{r.left, r.top, r.right, r.bottom}; }

long long Overlap(long long a0, long long a1, long long b0, long long b1) {
    const long long lo = a0 > b0 ? a0 : b0;
    const long long hi = a1 < b1 ? a1 : b1;
    return hi > lo ? hi - lo : 0;
}

// Distance along one axis from [a0, a1) to [b0, b1); 0 when they overlap. In doubles:
// a saved position may lie anywhere a 64-bit value reaches.
double Gap(long long a0, long long a1, long long b0, long long b1) {
    if (a1 < a0) a1 = a0;  // an inverted rectangle counts as its corner
    if (b1 < b0) b1 = b0;
    if (a1 <= b0) return static_cast<double>(b0) - static_cast<double>(a1);
    if (b1 <= a0) return static_cast<double>(a0) - static_cast<double>(b1);
    return 0.0;
}

// a + b, held at the ends of the 64-bit range.
long long SaturatedSum(long long a, long long b) {
    if (b > 0 && a > LLONG_MAX - b) return LLONG_MAX;
    if (b < 0 && a < LLONG_MIN - b) return LLONG_MIN;
    return a + b;
}

std::size_t MonitorForBox(const Box& r, const std::vector<Rect>& areas) {
    std::size_t best = 0;
    double bestOverlap = 0.0;
    for (std::size_t i = 0; i < areas.size(); ++i) {
        const Box a = BoxOf(areas[i]);
        const double o = static_cast<double>(Overlap(r.left, r.right, a.left, a.right)) *
                         static_cast<double>(Overlap(r.top, r.bottom, a.top, a.bottom));
        if (o > bestOverlap) {
            bestOverlap = o;
            best = i;
        }
    }
    if (bestOverlap > 0.0) return best;
    double bestDistance = -1.0;
    for (std::size_t i = 0; i < areas.size(); ++i) {
        const Box a = BoxOf(areas[i]);
        const double dx = Gap(r.left, r.right, a.left, a.right);
        const double dy = Gap(r.top, r.bottom, a.top, a.bottom);
        const double d = dx * dx + dy * dy;
        if (bestDistance < 0.0 || d < bestDistance) {
            bestDistance = d;
            best = i;
        }
    }
    return best;
}

Box AreaFor(const Box& r, const std::vector<Rect>& areas) {
    if (areas.empty()) return Box{0, 0, 0, 0};
    return BoxOf(areas[MonitorForBox(r, areas)]);
}

}  // namespace

std::size_t MonitorFor(const Rect& r, const std::vector<Rect>& workAreas) {
    return MonitorForBox(BoxOf(r), workAreas);
}

Point InitialPanelPosition(bool hasDeskX, long long deskX, bool hasDeskY, long long deskY,
                           const std::vector<Rect>& workAreas, int panelW, int panelH) {
    const Box primary = workAreas.empty() ? Box{0, 0, 0, 0} : BoxOf(workAreas.front());
    const long long primaryWidth = primary.right - primary.left;
    long long x = hasDeskX ? deskX : primary.left + static_cast<long long>(primaryWidth - 2.5 * panelW);
    long long y = hasDeskY ? deskY : primary.top + kDefaultTop;
    const Box m = AreaFor(Box{x, y, SaturatedSum(x, panelW), SaturatedSum(y, panelH)}, workAreas);
    if (x < m.left || x > m.right - panelW) x = m.right - panelW - kRightMargin;
    if (y < m.top || y > m.bottom - panelH) y = m.top + kDefaultTop;
    return Point{ClampToInt(x), ClampToInt(y)};
}

bool KeepOnScreen(Rect& r, const std::vector<Rect>& workAreas) {
    const Box m = AreaFor(BoxOf(r), workAreas);
    const long long w = static_cast<long long>(r.right) - r.left;
    const long long h = static_cast<long long>(r.bottom) - r.top;
    bool changed = false;
    if (r.left <= m.left) {
        r.left = ClampToInt(m.left);
        r.right = ClampToInt(m.left + w);
        changed = true;
    } else if (r.left + w >= m.right) {
        r.left = ClampToInt(m.right - w);
        r.right = ClampToInt(m.right);
        changed = true;
    }
    // A top edge above the monitor is deliberately left alone.
    if (r.top + h >= m.bottom) {
        r.top = ClampToInt(m.bottom - h);
        r.bottom = ClampToInt(m.bottom);
        changed = true;
    }
    return changed;
}

std::optional<Rect> PlaceBesideAnchor(const Rect& anchor, const Rect& window, const std::vector<Rect>& workAreas) {
    if (anchor.IsEmpty()) return std::nullopt;
    const Box m = AreaFor(BoxOf(anchor), workAreas);
    const long long width = static_cast<long long>(window.right) - window.left;
    const long long height = static_cast<long long>(window.bottom) - window.top;
    // Anchors in the left half of their monitor open the window to their right, the others to their left.
    const long long left = anchor.left < m.left + (m.right - m.left) / 2 ? anchor.right : anchor.left - width;
    long long top = anchor.top;
    if (top + height > m.bottom) top = m.bottom - height;
    return Rect{ClampToInt(left), ClampToInt(top), ClampToInt(left + width), ClampToInt(top + height)};
}

Rect ResizeAroundCentre(const Rect& r, int width, int height, const std::vector<Rect>& workAreas) {
    const Box m = AreaFor(BoxOf(r), workAreas);
    const long long w = width, h = height;
    long long x = (static_cast<long long>(r.left) + r.right - w) / 2;
    long long y = (static_cast<long long>(r.top) + r.bottom - h) / 2;
    if (x + w > m.right) x = m.right - w;
    if (y + h > m.bottom) y = m.bottom - h;
    if (x < m.left) x = m.left;
    if (y < m.top) y = m.top;
    return Rect{ClampToInt(x), ClampToInt(y), ClampToInt(x + w), ClampToInt(y + h)};
}

}  // namespace quorlin

namespace quorlin {

bool FrontWindowHidesPanel(const Rect& panel, const Rect& front, bool panelAbove) {
    if (panelAbove || panel.IsEmpty() || front.IsEmpty()) return false;
    return front.left <= panel.left && front.top <= panel.top && front.right >= panel.right &&
           front.bottom >= panel.bottom;
}

}  // namespace quorlin
