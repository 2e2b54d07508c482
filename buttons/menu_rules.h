// Which entries the context menus (menu resource 131) lose, which carry a check mark, and
// which commands a launcher button passes on to the panel.
#pragma once
#include <cstdint>
#include <vector>

#include "res/resource.h"  // the command identifiers (ID_...)

namespace quorlin {

// Menu resource and its two pop-ups.
constexpr int kContextMenuResource = IDR_MENU;
constexpr int kTrayPopupIndex = 0;
constexpr int kContextPopupIndex = 1;
// The panel's own menu deletes the entry at position 0 this many times: the "this button"
// sub-menu and the separator after it.
constexpr int kPanelMenuLeadingEntriesRemoved = 2;

// Commands to delete from a button's menu for its record ID and kind (iType), in order.
std::vector<int> ButtonMenuRemovals(std::int64_t id, int itemKind);

// True for the panel-wide commands a button's menu posts on to the panel unchanged.
bool IsPanelWideCommand(int commandId);

// The ten panel-wide commands, in menu-table order.
const std::vector<int>& PanelWideCommands();

// Commands that get a check mark from the current switches, in order.
std::vector<int> MenuCheckMarks(bool topMost, bool fixed, bool buttonsLocked);

}  // namespace quorlin
