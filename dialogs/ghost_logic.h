// Decisions of the drag ghost: which zone it is over, when to redraw it, the rectangle it
// offers for a swap, what its picture is made of, and where the explosion frames come from.
#pragma once
#include <cstdint>
#include <optional>
#include <string>

#include "framework/geometry.h"

namespace quorlin {

// Size of the ghost window during a drag; the cursor sits at its centre.
constexpr int kGhostWidth = 60;
constexpr int kGhostHeight = 70;
// Inner radius of the ring band: the clock disc.
constexpr int kGhostInnerRadius = 50;
// The explosion: frames 0..5, each shown this long.
constexpr int kExplosionFrameCount = 6;
constexpr int kExplosionFrameDelayMs = 60;
// Colour of the almost invisible disc that lets the ghost's icon area catch the mouse.
constexpr std::uint32_t kGhostHitDiscArgb = 0x01FF0000;

// Screen rectangle of the ghost shown under the cursor at (x, y) when a drag starts.
Rect GhostRectAtCursor(int x, int y);

// The ghost's window moved so that it keeps the grab offset under the cursor.
Rect FollowCursor(const Rect& ghostWindow, Point clientPoint, Point grabPoint);

// True when the ghost's centre is in the delete zone (on the clock or off the ring band).
bool IsInDeleteZone(const Rect& ghostScreenRect, const Rect& panelScreenRect);

// Outcome of one ghost move during a drag.
struct GhostMove {
    bool outside = false;      // the new zone
    bool redraw = false;       // the zone changed: draw the ghost picture again
    std::optional<Rect> swapRect;  // over the ring band: offer this rectangle for a swap
};

// Zone, redraw and swap rectangle after the ghost moved to `ghostScreenRect`.
GhostMove TrackGhostMove(bool wasOutside, const Rect& ghostScreenRect, const Rect& panelScreenRect,
                         int iconHalfSize);

// True when a drop deletes the dragged button (delete zone, not a reserved row).
bool ShouldDeleteOnDrop(bool outside, std::int64_t draggedId);

// The picture drawn above the ghost's icon.
enum class GhostLabel { Move, Delete, LockedBadge };

// Layout of the ghost picture, in ghost client pixels; rectangles are x, y, width, height.
struct GhostPicture {
    RectF hitDisc;        // filled with kGhostHitDiscArgb first
    GhostLabel label = GhostLabel::Move;
    Point labelTopLeft;   // the label is drawn at its natural size
    RectF icon;           // the dragged button's picture, scaled
};

// What to draw for the zone and the dragged ID on a canvas of `clientRect`.
GhostPicture PlanGhostPicture(bool outside, std::int64_t draggedId, int iconHalfSize, const Rect& clientRect);

// Full path of explosion frame `frame` below the application directory.
std::wstring ExplosionFramePath(const std::wstring& appDir, int frame);

// Top-left corner of an explosion frame, drawn at its natural size, on a canvas of `clientRect`.
Point ExplosionFrameOrigin(const Rect& clientRect);

}  // namespace quorlin
