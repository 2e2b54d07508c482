#include "buttons/menu_rules.h"

#include <algorithm>

namespace quorlin {

namespace {

// Item kinds (iType) as stored in the button table.
constexpr int kKindFile = 0;
constexpr int kKindBrowserUrl = 1;
constexpr int kKindFolder = 2;
constexpr int kKindUrl = 4;

constexpr int kLastReservedId = 2;

void AddOnce(std::vector<int>& ids, int id) {
    if (std::find(ids.begin(), ids.end(), id) == ids.end()) ids.push_back(id);
}

}  // namespace

std::vector<int> ButtonMenuRemovals(std::int64_t id, int itemKind) {
    std::vector<int> removed;
    // Reserved rows can only be opened.
    if (id <= kLastReservedId) {
        removed = {ID_EDIT, ID_DELETE, ID_OPEN_FOLDER, ID_PROPERTIES};
    }
    // Only files and folders live in a folder that can be opened.
    if (itemKind != kKindFile && itemKind != kKindFolder) AddOnce(removed, ID_OPEN_FOLDER);
    // Web addresses have no properties sheet.
    if (itemKind == kKindBrowserUrl || itemKind == kKindUrl) AddOnce(removed, ID_PROPERTIES);
    return removed;
}

const std::vector<int>& PanelWideCommands() {
    static const std::vector<int> commands = {
        ID_TOPMOST,        ID_FIXED,        ID_ADD_COMPUTER, ID_ADD_CONTROL, ID_ADD_DOCUMENTS,
        ID_ADD_RECYCLE,  ID_ADD_IE,   ID_LOCK_BUTTONS,   ID_CLEAR_ALL,        ID_ADD_URL};
    return commands;
}

bool IsPanelWideCommand(int commandId) {
    const std::vector<int>& all = PanelWideCommands();
    return std::find(all.begin(), all.end(), commandId) != all.end();
}

std::vector<int> MenuCheckMarks(bool topMost, bool fixed, bool buttonsLocked) {
    std::vector<int> checked;
    if (topMost) checked.push_back(ID_TOPMOST);
    if (fixed) checked.push_back(ID_FIXED);
    if (buttonsLocked) checked.push_back(ID_LOCK_BUTTONS);
    return checked;
}

}  // namespace quorlin
