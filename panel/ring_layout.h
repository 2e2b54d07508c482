// Ring geometry of the panel: where each launcher button sits on its ring, and which
// button a dragged ghost is held over.
#pragma once
#include <cstdint>
#include <cstddef>
#include <optional>
#include <vector>

#include "framework/geometry.h"

namespace quorlin {

// The fixed measures of the panel, in panel client pixels.
struct PanelGeometry {
    int panelWidth = 240;
    int panelHeight = 240;
    int ringCenterX = 120;
    int ringCenterY = 120;
    double ringRadius = 86.0;
    int ringInset = 10;
    int clockRadius = 50;

    // Where the ring picture goes: (10, 10, 220, 220).
    RectF RingPictureRect() const;
    // The clock disc and its face: (70, 70, 100, 100).
    RectF ClockDiscRect() const;
    // Where each hand and the hub are drawn before rotation: (115, 70, 10, 100).
    RectF HandRect() const;
};

// buttonHalf before the first layout has run.
constexpr int kInitialButtonHalf = 11;

// One ring of the current regime.
struct Ring {
    int count = 0;        // buttons on this ring
    double radius = 0.0;  // distance of their centres from the ring centre
};

// How n buttons are spread over the rings.
struct RingAssignment {
    int buttonHalf = 12;          // half the side of every button square
    std::vector<Ring> rings;  // inner to outer; consecutive runs of the collection
};

// Where one button goes; `window` is the square of side 2*buttonHalf in client coordinates.
struct ButtonSlot {
    int centerX = 0;
    int centerY = 0;
    Rect window;
};

struct RingLayout {
    int buttonHalf = 12;
    std::vector<ButtonSlot> slots;  // one per button, in collection order
};

// Ring count, sizes and radii for a collection of `buttonCount` buttons.
RingAssignment AssignRings(std::size_t buttonCount, const PanelGeometry& geometry = PanelGeometry());

// The button size and the slot of every button, in collection order.
RingLayout LayoutRings(std::size_t buttonCount, const PanelGeometry& geometry = PanelGeometry());

// A button that a dragged ghost may swap with; `screenRect` is its window in screen pixels.
struct SwapCandidate {
    std::int64_t id = 0;
    Rect screenRect;
};

// Index of the first candidate (collection order) the ghost's centre is over, if any.
std::optional<std::size_t> FindSwapTarget(const Rect& ghostScreenRect, std::int64_t draggedId,
                                          const std::vector<SwapCandidate>& candidates);

}  // namespace quorlin
