#include "buttons/menu_rules.h"

#include <algorithm>

#include <gtest/gtest.h>

namespace quorlin {
namespace {

// What remains of the "this button" sub-menu after the removals for (id, kind).
std::vector<int> ThisButtonMenu(int id, int kind) {
    std::vector<int> items = {kCmdEditItem, kCmdDeleteItem, kCmdOpenItem, kCmdOpenContainingFolder,
                              kCmdShowProperties};
    for (int removed : ButtonMenuRemovals(id, kind)) {
        auto it = std::find(items.begin(), items.end(), removed);
        EXPECT_NE(it, items.end()) << "removes " << removed << " twice or an unknown item";
        if (it != items.end()) items.erase(it);
    }
    return items;
}

TEST(ButtonMenuRemovals, ReservedRowsOfferOnlyOpen) {
    for (int kind = 0; kind <= 4; ++kind) {
        EXPECT_EQ(ThisButtonMenu(1, kind), std::vector<int>{kCmdOpenItem}) << kind;
        EXPECT_EQ(ThisButtonMenu(2, kind), std::vector<int>{kCmdOpenItem}) << kind;
    }
}

TEST(ButtonMenuRemovals, FilesAndFoldersKeepAllFive) {
    const std::vector<int> all = {kCmdEditItem, kCmdDeleteItem, kCmdOpenItem, kCmdOpenContainingFolder,
                                  kCmdShowProperties};
    EXPECT_EQ(ThisButtonMenu(3, 0), all);
    EXPECT_EQ(ThisButtonMenu(40, 2), all);
}

TEST(ButtonMenuRemovals, ShellEntriesLoseOnlyTheContainingFolder) {
    EXPECT_EQ(ThisButtonMenu(7, 3), (std::vector<int>{kCmdEditItem, kCmdDeleteItem, kCmdOpenItem, kCmdShowProperties}));
}

TEST(ButtonMenuRemovals, WebAddressesLoseFolderAndProperties) {
    const std::vector<int> expected = {kCmdEditItem, kCmdDeleteItem, kCmdOpenItem};
    EXPECT_EQ(ThisButtonMenu(7, 1), expected);
    EXPECT_EQ(ThisButtonMenu(7, 4), expected);
}

TEST(MenuCommands, ExactlyTheTenPanelWideCommandsAreForwarded) {
    for (int id : {32776, 32777, 32792, 32793, 32794, 32796, 32797, 32803, 32805, 32813})
        EXPECT_TRUE(IsPanelWideCommand(id)) << id;
    for (int id : {32782, 32783, 32784, 32808, 32810, 32772, 32799, 32801, 1124, 0})
        EXPECT_FALSE(IsPanelWideCommand(id)) << id;
    EXPECT_EQ(PanelWideCommands().size(), 10u);
}

TEST(MenuCommands, CheckMarksFollowTheSwitches) {
    EXPECT_TRUE(MenuCheckMarks(false, false, false).empty());
    EXPECT_EQ(MenuCheckMarks(true, false, false), std::vector<int>{32776});
    EXPECT_EQ(MenuCheckMarks(false, true, false), std::vector<int>{32777});
    EXPECT_EQ(MenuCheckMarks(false, false, true), std::vector<int>{32803});
    EXPECT_EQ(MenuCheckMarks(true, true, true), (std::vector<int>{32776, 32777, 32803}));
}

}  // namespace
}  // namespace quorlin
