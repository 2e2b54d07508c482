#include <gtest/gtest.h>

#include "buttons/builtin_entries.h"
#include "buttons/item_actions_logic.h"
#include "framework/texts.h"
#include "panel/drop_rules.h"
#include "store/button_table.h"

using namespace quorlin;

namespace {

// A table in another language: every text is its id in brackets, patterns keep one "%s".
class BracketTexts : public ITexts {
public:
    std::wstring Get(unsigned id) override {
        if (id == IDS_ENTRY_RECYCLE) return L"Recycle Bin";
        return L"[" + std::to_wstring(id) + L" %s]";
    }
};

}  // namespace

TEST(Texts, FillInReplacesPlacesInOrderAndNeverRescansAnArgument) {
    EXPECT_EQ(FillIn(L"%s: %d of %s", {L"a", L"2", L"%s"}), L"a: 2 of %s");
    EXPECT_EQ(FillIn(L"100% sure, %s", {L"x"}), L"100% sure, x");
    EXPECT_EQ(FillIn(L"%s and %s", {L"one"}), L"one and ");
}

TEST(Texts, ProducersReadTheInstalledTable) {
    BracketTexts other;
    ITexts* before = SetTexts(&other);
    const std::wstring prompt = RemovalPromptText(L"C:\\x");
    const std::wstring limit = DropLimitMessage();
    SetTexts(before);
    EXPECT_EQ(prompt, L"[" + std::to_wstring(IDS_REMOVAL_PROMPT) + L" C:\\x]");
    EXPECT_EQ(limit, L"[" + std::to_wstring(IDS_DROP_LIMIT) + L" 66]");
    EXPECT_EQ(Text(IDS_NOTICE_CAPTION), L"提示");  // the Chinese table is back
}

TEST(BuiltInEntries, StoredChineseTitlesOfTheMenuEntriesMapToTheirTexts) {
    // Every entry the menu adds is recognised by what it stores.
    const struct { int command; unsigned id; } entries[] = {
        {ID_ADD_COMPUTER, IDS_ENTRY_COMPUTER}, {ID_ADD_CONTROL, IDS_ENTRY_CONTROL}, {ID_ADD_DOCUMENTS, IDS_ENTRY_DOCUMENTS},
        {ID_ADD_RECYCLE, IDS_ENTRY_RECYCLE}, {ID_ADD_IE, IDS_ENTRY_BROWSER}};
    for (const auto& e : entries) {
        const CommonEntry entry = *CommonEntryFor(e.command, L"C:\\Users\\me\\Documents");
        EXPECT_EQ(BuiltInEntryTextId(entry.iType, entry.Title), e.id) << e.command;
        EXPECT_EQ(ShownTitle(entry.iType, entry.Title), entry.Title);  // Chinese table: unchanged
    }
    // A user's own button with such a title, or of another kind, is not one of them.
    EXPECT_EQ(BuiltInEntryTextId(ItemKind::File, kRecycleBinTitle), 0u);
    EXPECT_EQ(BuiltInEntryTextId(ItemKind::ShellEntry, kDocumentsTitle), 0u);
    EXPECT_EQ(BuiltInEntryTextId(ItemKind::ShellEntry, L"回收站 "), 0u);

    BracketTexts other;
    ITexts* before = SetTexts(&other);
    const std::wstring recycle = ShownTitle(ItemKind::ShellEntry, kRecycleBinTitle);
    const std::wstring own = ShownTitle(ItemKind::Folder, L"回收站");
    SetTexts(before);
    EXPECT_EQ(recycle, L"Recycle Bin");
    EXPECT_EQ(own, L"回收站");
}
