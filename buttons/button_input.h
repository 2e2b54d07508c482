// Mouse handling of a launcher button window: hover, tooltip, click, drag and context menu
// decisions. The Win32 window feeds its mouse messages in and carries out the actions.
#pragma once
#include <functional>

#include "framework/geometry.h"

namespace quorlin {

// What the button window must do after one mouse message, in this order.
struct ButtonActions {
    bool requestRepaint = false;   // post the render request (WM_COMMAND 1124) to the panel
    bool hideTip = false;          // hide the tooltip window
    bool showTip = false;          // show the tooltip with the title at `tipPoint`
    Point tipPoint;                // client coordinates; the caller converts to screen
    bool startDrag = false;        // hand this button to the ghost at the cursor's screen position
    bool openItem = false;         // open the button's item
    bool showContextMenu = false;  // show the button's context menu at the cursor
    bool setHandCursor = false;    // set the system hand cursor
    bool passToDefault = false;    // let the default window procedure see the message too
};

class ButtonInput {
public:
    // Asks the window manager for a leave notification; returns whether that succeeded.
    using TrackLeave = std::function<bool()>;

    // WM_MOUSEMOVE; `trackLeave` runs only when the button was not yet hovered. The drag
    // threshold scales with `dpi`.
    ButtonActions OnMouseMove(Point clientPoint, bool buttonsLocked, const TrackLeave& trackLeave,
                              int dpi = kBaseDpi);
    // WM_MOUSELEAVE.
    ButtonActions OnMouseLeave();
    // WM_LBUTTONDOWN.
    ButtonActions OnLeftDown(Point clientPoint);
    // WM_LBUTTONUP.
    ButtonActions OnLeftUp();
    // WM_RBUTTONUP.
    ButtonActions OnRightUp();

    // True while the mouse is over the button with leave tracking armed; the panel enlarges it.
    bool hovered() const { return hovered_; }
    // True between a context menu and the next mouse move.
    bool menuJustClosed() const { return menuJustClosed_; }
    // Client position of a pending press, or nothing.
    bool hasPendingPress() const { return pressPoint_ != kNoPress; }
    Point pressPoint() const { return pressPoint_; }

private:
    static constexpr Point kNoPress{-1, -1};

    bool hovered_ = false;
    bool menuJustClosed_ = false;
    Point pressPoint_ = kNoPress;
};

}  // namespace quorlin
