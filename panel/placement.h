// Where the panel opens, how it is pulled back onto the screen after a move, and where a
// pop-up opens beside an anchor. All values are screen pixels; cxFull/cyFull are the
// SM_CXFULLSCREEN/SM_CYFULLSCREEN metrics.
#pragma once
#include <optional>

#include "framework/geometry.h"

namespace quorlin {

// Top-left corner of the panel at start-up from the saved DeskX/DeskY (when present).
// The saved values are taken as 64-bit so that a reading of GetPrivateProfileIntW passed
// either as signed or as unsigned still meets the range test.
Point InitialPanelPosition(bool hasDeskX, long long deskX, bool hasDeskY, long long deskY,
                           int cxFull, int cyFull, int panelW, int panelH);

// Snaps a window rectangle back to the left, right or bottom screen edge; true when it moved.
bool KeepOnScreen(Rect& r, int cxFull, int cyFull);

// The rectangle for `window` opened beside `anchor`; nullopt when the anchor is empty.
std::optional<Rect> PlaceBesideAnchor(const Rect& anchor, const Rect& window, int cxFull, int cyFull);

}  // namespace quorlin

namespace quorlin {

// Whether the window in front hides the whole panel: its rectangle holds the panel's, and
// the panel is not kept above it. A hidden panel's clock need not move.
bool FrontWindowHidesPanel(const Rect& panel, const Rect& front, bool panelAbove);

}  // namespace quorlin
