// Which entries the context menus (menu resource 131) lose, which carry a check mark, and
// which commands a launcher button passes on to the panel.
#pragma once
#include <cstdint>
#include <vector>

namespace quorlin {

// Command identifiers of menu 131.
constexpr int kCmdExit = 32772;
constexpr int kCmdTopMost = 32776;
constexpr int kCmdFixed = 32777;
constexpr int kCmdEditItem = 32782;
constexpr int kCmdDeleteItem = 32783;
constexpr int kCmdOpenItem = 32784;
constexpr int kCmdAddMyComputer = 32792;
constexpr int kCmdAddControlPanel = 32793;
constexpr int kCmdAddMyDocuments = 32794;
constexpr int kCmdAddRecycleBin = 32796;
constexpr int kCmdAddBrowser = 32797;
constexpr int kCmdStartWithWindows = 32799;
constexpr int kCmdCheckUpdate = 32801;
constexpr int kCmdLockButtons = 32803;
constexpr int kCmdClearAll = 32805;
constexpr int kCmdShowProperties = 32808;
constexpr int kCmdOpenContainingFolder = 32810;
constexpr int kCmdAddWebAddress = 32813;

// Menu resource and its two pop-ups.
constexpr int kContextMenuResource = 131;
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
