#include "buttons/button_input.h"

#include <cmath>

namespace quorlin {

namespace {

// A press turns into a drag only once the mouse has moved farther than this (at 96 DPI).
constexpr double kDragThreshold = 1.0;

}  // namespace

ButtonActions ButtonInput::OnMouseMove(Point p, bool buttonsLocked, const TrackLeave& trackLeave, int dpi) {
    ButtonActions a;
    if (!hovered_) {
        // A press that arrived before the first move (a layout put the button under a resting
        // cursor) must not turn into a drag.
        pressPoint_ = kNoPress;
        hovered_ = trackLeave ? trackLeave() : false;
        a.requestRepaint = true;
    }

    if (menuJustClosed_) {
        // The move that follows a context menu shows no tooltip.
        menuJustClosed_ = false;
    } else if (pressPoint_ == kNoPress) {
        a.showTip = true;
        a.tipPoint = p;
    } else if (!buttonsLocked) {
        const double dx = static_cast<double>(p.x) - pressPoint_.x;
        const double dy = static_cast<double>(p.y) - pressPoint_.y;
        if (std::sqrt(dx * dx + dy * dy) > ScaleByDpi(kDragThreshold, dpi)) {
            pressPoint_ = kNoPress;
            a.startDrag = true;
        }
    }

    a.setHandCursor = true;
    a.passToDefault = true;
    return a;
}

ButtonActions ButtonInput::OnMouseLeave() {
    pressPoint_ = kNoPress;
    hovered_ = false;
    ButtonActions a;
    a.hideTip = true;
    a.requestRepaint = true;
    a.passToDefault = true;
    return a;
}

ButtonActions ButtonInput::OnLeftDown(Point p) {
    // Not passed on: the system button must never capture the mouse or click by itself.
    pressPoint_ = p;
    ButtonActions a;
    a.hideTip = true;
    return a;
}

ButtonActions ButtonInput::OnLeftUp() {
    // Any release over the button opens it, pressed here or not; a drag's release goes to the ghost.
    pressPoint_ = kNoPress;
    ButtonActions a;
    a.openItem = true;
    return a;
}

ButtonActions ButtonInput::OnRightUp() {
    menuJustClosed_ = true;
    ButtonActions a;
    a.showContextMenu = true;
    a.passToDefault = true;
    return a;
}

}  // namespace quorlin
