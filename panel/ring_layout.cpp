#include "panel/ring_layout.h"

#include <algorithm>
#include <cmath>

namespace quorlin {

namespace {

// The value of pi the layout has always used; keeping it keeps every slot on the same pixel.
constexpr double kPi = 3.141592654;

// IDs 1 and 2 are reserved rows: they never move in a reorder.
constexpr int kLastReservedId = 2;

int CentreOf(int low, int high) { return (low + high) / 2; }

}  // namespace

RectF PanelGeometry::RingPictureRect() const {
    return RectF{static_cast<float>(ringInset), static_cast<float>(ringInset),
                 static_cast<float>(panelWidth - 2 * ringInset),
                 static_cast<float>(panelHeight - 2 * ringInset)};
}

RectF PanelGeometry::ClockDiscRect() const {
    return RectF{static_cast<float>(ringCenterX - clockRadius),
                 static_cast<float>(ringCenterY - clockRadius),
                 static_cast<float>(2 * clockRadius), static_cast<float>(2 * clockRadius)};
}

RectF PanelGeometry::HandRect() const {
    return RectF{static_cast<float>(ringCenterX - 5), static_cast<float>(ringCenterY - clockRadius),
                 10.0f, static_cast<float>(2 * clockRadius)};
}

RingAssignment AssignRings(std::size_t buttonCount, const PanelGeometry& g) {
    const int n = static_cast<int>(buttonCount);
    const double base = g.ringRadius - g.ringInset;
    RingAssignment result;
    if (n <= 13) {
        result.buttonHalf = 12;
        result.rings = {{n, base + 2}};
    } else if (n <= 33) {
        const int inner = n / 3 + 2;
        result.buttonHalf = 11;
        result.rings = {{inner, base - 12}, {n - inner, base + 17}};
    } else {
        const int inner = std::min(n / 4, 15);
        const int middle = std::min(n / 3, 20);
        result.buttonHalf = 10;
        result.rings = {{inner, base - 16}, {middle, base + 8}, {n - inner - middle, base + 30}};
    }
    return result;
}

RingLayout LayoutRings(std::size_t buttonCount, const PanelGeometry& g) {
    const RingAssignment assignment = AssignRings(buttonCount, g);
    const int h = assignment.buttonHalf;
    RingLayout layout;
    layout.buttonHalf = h;
    layout.slots.reserve(buttonCount);

    int index = 0;  // collection index, which (not the position on the ring) sets the angle
    for (const Ring& ring : assignment.rings) {
        if (ring.count <= 0) continue;
        // Capped so that one to three buttons stand at 0, 120 and 240 degrees.
        const double step = std::min(360.0 / ring.count, 120.0);
        for (int k = 0; k < ring.count; ++k, ++index) {
            const double theta = step * index / 180.0 * kPi;
            ButtonSlot slot;
            slot.centerX = g.ringCenterX + static_cast<int>(ring.radius * std::sin(theta));
            slot.centerY = g.ringCenterY - static_cast<int>(ring.radius * std::cos(theta));
            slot.window = Rect{slot.centerX - h, slot.centerY - h, slot.centerX + h, slot.centerY + h};
            layout.slots.push_back(slot);
        }
    }
    return layout;
}

std::optional<std::size_t> FindSwapTarget(const Rect& ghostScreenRect, std::int64_t draggedId,
                                          const std::vector<SwapCandidate>& candidates) {
    if (draggedId <= kLastReservedId) return std::nullopt;
    const int gx = CentreOf(ghostScreenRect.left, ghostScreenRect.right);
    const int gy = CentreOf(ghostScreenRect.top, ghostScreenRect.bottom);
    for (std::size_t i = 0; i < candidates.size(); ++i) {
        const SwapCandidate& c = candidates[i];
        if (c.id == draggedId || c.id <= kLastReservedId) continue;
        const int bx = CentreOf(c.screenRect.left, c.screenRect.right);
        const int by = CentreOf(c.screenRect.top, c.screenRect.bottom);
        const int threshold = (2 * c.screenRect.Width()) / 3;
        const double dx = static_cast<double>(bx) - gx;
        const double dy = static_cast<double>(by) - gy;
        const double distance = std::sqrt(dx * dx + dy * dy);
        if (threshold > distance) return i;
    }
    return std::nullopt;
}

}  // namespace quorlin
