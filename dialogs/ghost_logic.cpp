#include "dialogs/ghost_logic.h"

#include <cmath>

#include "framework/text.h"

namespace quorlin {

namespace {

constexpr int kLastReservedId = 2;

// Natural sizes of the label pictures, and where they sit relative to the icon's top edge.
constexpr int kLabelHalfWidth = 18;
constexpr int kLabelHeight = 17;
constexpr int kBadgeHalfWidth = 10;
constexpr int kBadgeHeight = 20;
// Explosion frames are 50 x 50, centred on the ghost.
constexpr int kExplosionHalf = 25;

Point CentreOf(const Rect& r) { return Point{(r.left + r.right) / 2, (r.top + r.bottom) / 2}; }

}  // namespace

Rect GhostRectAtCursor(int x, int y) {
    const int left = x - kGhostWidth / 2;
    const int top = y - kGhostHeight / 2;
    return Rect{left, top, left + kGhostWidth, top + kGhostHeight};
}

Rect FollowCursor(const Rect& ghostWindow, Point clientPoint, Point grabPoint) {
    const int dx = clientPoint.x - grabPoint.x;
    const int dy = clientPoint.y - grabPoint.y;
    return Rect{ghostWindow.left + dx, ghostWindow.top + dy, ghostWindow.right + dx, ghostWindow.bottom + dy};
}

bool IsInDeleteZone(const Rect& ghostScreenRect, const Rect& panelScreenRect) {
    const Point g = CentreOf(ghostScreenRect);
    const Point p = CentreOf(panelScreenRect);
    const double dx = static_cast<double>(p.x) - g.x;
    const double dy = static_cast<double>(p.y) - g.y;
    const long long d = static_cast<long long>(std::sqrt(dx * dx + dy * dy));
    const int half = panelScreenRect.Width() / 2;
    return d < kGhostInnerRadius || d >= half;
}

GhostMove TrackGhostMove(bool wasOutside, const Rect& ghostScreenRect, const Rect& panelScreenRect,
                         int iconHalfSize) {
    GhostMove move;
    move.outside = IsInDeleteZone(ghostScreenRect, panelScreenRect);
    // Redrawing on every move would flicker and waste time; only a crossing changes the label.
    move.redraw = move.outside != wasOutside;
    if (!move.outside) {
        const Point g = CentreOf(ghostScreenRect);
        move.swapRect = Rect{g.x - iconHalfSize, g.y - iconHalfSize, g.x + iconHalfSize, g.y + iconHalfSize};
    }
    return move;
}

bool ShouldDeleteOnDrop(bool outside, std::int64_t draggedId) { return outside && draggedId > kLastReservedId; }

GhostPicture PlanGhostPicture(bool outside, std::int64_t draggedId, int iconHalfSize, const Rect& clientRect) {
    const Point c = CentreOf(clientRect);
    const int r = iconHalfSize;
    const RectF iconBox{static_cast<float>(c.x - r), static_cast<float>(c.y - r), static_cast<float>(2 * r),
                        static_cast<float>(2 * r)};
    GhostPicture picture;
    picture.hitDisc = iconBox;
    picture.icon = iconBox;
    // Labels sit with their bottom edge on the icon's top edge.
    if (draggedId <= kLastReservedId) {
        picture.label = GhostLabel::LockedBadge;
        picture.labelTopLeft = Point{c.x - kBadgeHalfWidth, c.y - r - kBadgeHeight};
    } else {
        picture.label = outside ? GhostLabel::Delete : GhostLabel::Move;
        picture.labelTopLeft = Point{c.x - kLabelHalfWidth, c.y - r - kLabelHeight};
    }
    return picture;
}

std::wstring ExplosionFramePath(const std::wstring& appDir, int frame) {
    return appDir + L"\\Img\\bomb" + IntToText(frame) + L".png";
}

Point ExplosionFrameOrigin(const Rect& clientRect) {
    const Point c = CentreOf(clientRect);
    return Point{c.x - kExplosionHalf, c.y - kExplosionHalf};
}

}  // namespace quorlin
