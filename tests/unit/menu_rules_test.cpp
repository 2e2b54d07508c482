#include "buttons/menu_rules.h"

#include <algorithm>

#include <gtest/gtest.h>

namespace quorlin {
namespace {

// What remains of the "this button" sub-menu after the removals for (id, kind).
std::vector<int> ThisButtonMenu(int id, int kind) {
    std::vector<int> items = {ID_EDIT, ID_DELETE, ID_OPEN, ID_OPEN_FOLDER,
                              ID_PROPERTIES};
    for (int removed : ButtonMenuRemovals(id, kind)) {
        auto it = std::find(items.begin(), items.end(), removed);
        EXPECT_NE(it, items.end()) << "removes " << removed << " twice or an unknown item";
        if (it != items.end()) items.erase(it);
    }
    return items;
}

TEST(ButtonMenuRemovals, ReservedRowsOfferOnlyOpen) {
    for (int kind = 0; kind <= 4; ++kind) {
        EXPECT_EQ(ThisButtonMenu(1, kind), std::vector<int>{ID_OPEN}) << kind;
        EXPECT_EQ(ThisButtonMenu(2, kind), std::vector<int>{ID_OPEN}) << kind;
    }
}

TEST(ButtonMenuRemovals, FilesAndFoldersKeepAllFive) {
    const std::vector<int> all = {ID_EDIT, ID_DELETE, ID_OPEN, ID_OPEN_FOLDER,
                                  ID_PROPERTIES};
    EXPECT_EQ(ThisButtonMenu(3, 0), all);
    EXPECT_EQ(ThisButtonMenu(40, 2), all);
}

TEST(ButtonMenuRemovals, ShellEntriesLoseOnlyTheContainingFolder) {
    EXPECT_EQ(ThisButtonMenu(7, 3), (std::vector<int>{ID_EDIT, ID_DELETE, ID_OPEN, ID_PROPERTIES}));
}

TEST(ButtonMenuRemovals, WebAddressesLoseFolderAndProperties) {
    const std::vector<int> expected = {ID_EDIT, ID_DELETE, ID_OPEN};
    EXPECT_EQ(ThisButtonMenu(7, 1), expected);
    EXPECT_EQ(ThisButtonMenu(7, 4), expected);
}

TEST(MenuCommands, ExactlyTheTenPanelWideCommandsAreForwarded) {
    for (int id : {ID_TOPMOST, ID_FIXED, ID_ADD_COMPUTER, ID_ADD_CONTROL, ID_ADD_DOCUMENTS, ID_ADD_RECYCLE, ID_ADD_IE, ID_LOCK_BUTTONS, ID_CLEAR_ALL, ID_ADD_URL})
        EXPECT_TRUE(IsPanelWideCommand(id)) << id;
    for (int id : {ID_EDIT, ID_DELETE, ID_OPEN, ID_PROPERTIES, ID_OPEN_FOLDER, ID_EXIT, ID_AUTORUN, ID_CHECK_UPDATE, IDC_LAUNCH_BUTTON, 0})
        EXPECT_FALSE(IsPanelWideCommand(id)) << id;
    EXPECT_EQ(PanelWideCommands().size(), 10u);
}

TEST(MenuCommands, CheckMarksFollowTheSwitches) {
    EXPECT_TRUE(MenuCheckMarks(false, false, false).empty());
    EXPECT_EQ(MenuCheckMarks(true, false, false), std::vector<int>{ID_TOPMOST});
    EXPECT_EQ(MenuCheckMarks(false, true, false), std::vector<int>{ID_FIXED});
    EXPECT_EQ(MenuCheckMarks(false, false, true), std::vector<int>{ID_LOCK_BUTTONS});
    EXPECT_EQ(MenuCheckMarks(true, true, true), (std::vector<int>{ID_TOPMOST, ID_FIXED, ID_LOCK_BUTTONS}));
}

}  // namespace
}  // namespace quorlin
