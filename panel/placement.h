// Where the panel opens, how it is pulled back onto the screen after a move, and where a
// pop-up opens beside an anchor. All values are screen pixels; cxFull/cyFull are the
// SM_CXFULLSCREEN/SM_CYFULLSCREEN metrics.
#pragma once
#include <cstddef>
#include <optional>
#include <vector>

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

// ---- every monitor
// The same rules on a desktop of several monitors, given as the work areas of the
// monitors (screen pixels), the primary one first. Each rule works within the work area
// of the monitor the rectangle is on (MonitorFor); with one work area (0, 0, cxFull,
// cyFull) the results are those of the functions above. An empty list counts as one
// empty work area at (0, 0).

// Index of the monitor a rectangle is on: the one it overlaps most, or, when it
// overlaps none, the nearest one (the first of equals). 0 for an empty list.
std::size_t MonitorFor(const Rect& r, const std::vector<Rect>& workAreas);

// The saved position when the panel there lies whole on one monitor's work area;
// otherwise pulled onto the monitor it is nearest to. Without a saved value, the primary
// monitor's defaults.
Point InitialPanelPosition(bool hasDeskX, long long deskX, bool hasDeskY, long long deskY,
                           const std::vector<Rect>& workAreas, int panelW, int panelH);

bool KeepOnScreen(Rect& r, const std::vector<Rect>& workAreas);

std::optional<Rect> PlaceBesideAnchor(const Rect& anchor, const Rect& window, const std::vector<Rect>& workAreas);

// The window `r` at a new size around the same centre, pulled whole into the work area
// of the monitor it was on (its top-left corner first when it is larger than that).
Rect ResizeAroundCentre(const Rect& r, int width, int height, const std::vector<Rect>& workAreas);

}  // namespace quorlin

namespace quorlin {

// Whether the window in front hides the whole panel: its rectangle holds the panel's, and
// the panel is not kept above it. A hidden panel's clock need not move.
bool FrontWindowHidesPanel(const Rect& panel, const Rect& front, bool panelAbove);

}  // namespace quorlin
