// Undo of deletions through the button collection, on a real bts.db: the history is in
// the file, written with each deletion, bounded, and survives a restart.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include "framework/text.h"
#include "framework/user_texts.h"
#include "panel/button_collection.h"
#include "panel/drop_rules.h"
#include "store/db_session.h"
#include "store/undo_history.h"
#include "store/usage_table.h"
#include "support/fakes.h"
#include "support/ring_host.h"
#include "support/temp_dir.h"

namespace quorlin {
namespace {

using testing::QueryText;

class UndoTest : public ::testing::Test {
protected:
    void SetUp() override {
        db = dir.MakeDatabase();
        Open();
    }
    void Open() {
        store = std::make_unique<DbSession>();
        ASSERT_TRUE(store->OpenDatabase(dir.WPath(), L"bts.db", L"t"));
        host = std::make_unique<testing::RingHost>();
        host->everythingExists = true;
        collection = std::make_unique<ButtonCollection>(*store, *host);
        host->collection = collection.get();
        ASSERT_TRUE(collection->LoadButtons());
    }
    std::int64_t Add(const std::wstring& title, const std::wstring& para = L"") {
        EXPECT_TRUE(collection->AddButton(title, L"C:\\" + title, ItemKind::File, para));
        return collection->buttons.back()->ID;
    }
    // Titles in ring order, as stored and as on the ring.
    std::string Stored() { return QueryText(db, "select Title from tb_Btns where ID <> 2 order by sort"); }
    std::string Ring() {
        std::string s;
        for (const auto& b : collection->buttons) s += (s.empty() ? "" : "\n") + ToUtf8(b->Title);
        return s;
    }

    testing::TempDir dir;
    std::filesystem::path db;
    testing::RecordingSound sound;
    testing::RecordingMessageBoxes boxes;
    std::unique_ptr<DbSession> store;
    std::unique_ptr<testing::RingHost> host;
    std::unique_ptr<ButtonCollection> collection;
};

TEST_F(UndoTest, DeletedButtonComesBackWithEverythingInItsPlace) {
    Add(L"a");
    const std::int64_t b = Add(L"b", L"--x");
    Add(L"c");
    const std::string before = QueryText(db, "select iType, Title, PathName, Para from tb_Btns where Title = 'b'");
    ASSERT_TRUE(collection->DeleteButton(b));
    EXPECT_EQ(collection->UndoMenuText(), L"撤销删除“b”");
    sound.Clear();

    const UndoOutcome out = collection->Undo();
    EXPECT_TRUE(out.stored);
    ASSERT_EQ(out.restored.size(), 1u);
    EXPECT_GT(out.restored[0], b);  // a new ID
    EXPECT_EQ(Stored(), "我的电脑\na\nb\nc");
    EXPECT_EQ(Ring(), Stored());
    EXPECT_EQ(QueryText(db, "select iType, Title, PathName, Para from tb_Btns where Title = 'b'"), before);
    EXPECT_EQ(sound.Played(), std::vector<int>{kAddSound});
    EXPECT_FALSE(collection->NewestUndo());
    EXPECT_EQ(collection->UndoMenuText(), L"撤销");
    // tb_Btns keeps exactly its columns.
    EXPECT_EQ(QueryText(db, "select group_concat(name) from pragma_table_info('tb_Btns')"), "ID,iType,Title,PathName,Para,sort");
}

TEST_F(UndoTest, UsageIsCountedCappedReadAgainAndGoesWithItsButton) {
    const std::int64_t a = Add(L"a"), b = Add(L"b");
    UsageLog log;
    ASSERT_TRUE(log.Load(store->Handle()));  // no table yet
    ASSERT_TRUE(log.CountButton(store->Handle(), a, 10));
    ASSERT_TRUE(log.CountButton(store->Handle(), a, 20));
    ASSERT_TRUE(log.CountButton(store->Handle(), b, 30));
    for (std::int64_t i = 0; i + 1 < static_cast<std::int64_t>(kMaxUsageRows); ++i)
        ASSERT_TRUE(log.CountProgram(store->Handle(), L"C:\\p" + std::to_wstring(i) + L".lnk", 100 + i));
    EXPECT_EQ(QueryText(db, "select count(*) from tb_Usage"), std::to_string(kMaxUsageRows));  // the oldest went
    ASSERT_TRUE(collection->DeleteButton(b));
    UsageLog again;
    ASSERT_TRUE(again.Load(store->Handle()));
    EXPECT_EQ(again.OfButton(a), (Usage{}));  // a was the oldest: dropped by the cap
    EXPECT_EQ(again.OfButton(b), (Usage{})) << "deleted with its button";
    EXPECT_EQ(again.OfProgram(L"C:\\p0.lnk"), (Usage{1, 100}));
    EXPECT_EQ(QueryText(db, "select count(*) from tb_Usage"), std::to_string(kMaxUsageRows - 1));
    EXPECT_EQ(log.OfButton(a), (Usage{})) << "dropped in memory too";
    EXPECT_EQ(CheckButtonTable(store->Handle()), L"");  // its trigger is one of ours
}

TEST_F(UndoTest, AliasesAreKeptWithTheirRowsThroughAddEditDeleteClearAndUndo) {
    ASSERT_TRUE(collection->AddButton(L"a", L"C:\\a", ItemKind::File, L"", L"alpha"));
    const std::int64_t a = collection->buttons.back()->ID;
    const std::int64_t b = Add(L"b");
    ASSERT_EQ(collection->UpdateButton(b, L"b", L"C:\\b", L"", std::wstring(L"beta")), EditOutcome::Stored);
    EXPECT_EQ(collection->FindById(b)->Alias, L"beta");
    auto aliases = [&] { return QueryText(db, "select ID, Alias from tb_Alias order by Alias"); };
    EXPECT_EQ(aliases(), std::to_string(a) + "|alpha\n" + std::to_string(b) + "|beta");
    ASSERT_TRUE(collection->DeleteButton(a));
    ASSERT_TRUE(collection->ClearAllButtons());
    EXPECT_EQ(aliases(), "");
    collection->Undo();
    collection->Undo();
    collection.reset();
    Open();  // as the next start reads them
    std::string ring;
    for (const auto& x : collection->buttons) ring += ToUtf8(x->Title + L"=" + x->Alias) + ";";
    EXPECT_EQ(ring, "我的电脑=;a=alpha;b=beta;");
    EXPECT_EQ(QueryText(db, "select count(*) from tb_UndoAlias"), "0");
}

TEST_F(UndoTest, ClearAllIsOneStepAndLaterAddsMoveBehindTheRestoredRows) {
    for (const wchar_t* t : {L"a", L"b", L"c", L"d"}) Add(t);
    ASSERT_TRUE(collection->ClearAllButtons());
    EXPECT_EQ(collection->UndoMenuText(), L"撤销清空（4 个按钮）");
    SetTextLanguage(TextLanguage::English);  // the panel's language once applied
    EXPECT_EQ(collection->UndoMenuText(), L"Undo clearing (4 buttons)");
    SetTextLanguage(TextLanguage::Both);
    Add(L"new");  // takes the sort the first cleared row had
    EXPECT_EQ(collection->Undo().restored.size(), 4u);
    EXPECT_EQ(Stored(), "我的电脑\na\nb\nc\nd\nnew");
    EXPECT_EQ(Ring(), Stored());
    EXPECT_EQ(QueryText(db, "select count(*) from (select sort from tb_Btns group by sort having count(*) > 1)"), "0");
    ASSERT_TRUE(collection->ClearAllButtons() && collection->ClearAllButtons());  // the second, of an empty ring: no step
    EXPECT_EQ(collection->Undo().restored.size(), 5u);
}

TEST_F(UndoTest, StoredValuesComeBackExactlyEvenWhenOdd) {
    // A name with a lone surrogate (stored as WTF-8), and a row whose sort is a text.
    Add(std::wstring(L"x") + static_cast<wchar_t>(0xD800));
    const std::int64_t texty = Add(L"t");
    ASSERT_EQ(store->ExecuteSql(L"update tb_Btns set sort = 'zz', iType = 2.0 where ID = " + std::to_wstring(texty)), 1);
    const std::string query = "select hex(Title), hex(PathName), typeof(sort), sort, typeof(iType) from tb_Btns where ID > 2 "
                              "order by sort";
    const std::string before = QueryText(db, query);
    ASSERT_TRUE(collection->ClearAllButtons());
    ASSERT_EQ(collection->Undo().restored.size(), 2u);
    EXPECT_EQ(QueryText(db, query), before);
    EXPECT_EQ(collection->buttons.size(), 3u);
    EXPECT_EQ(collection->buttons[1]->Title, std::wstring(L"x") + static_cast<wchar_t>(0xD800));
}

TEST_F(UndoTest, RowThatTookTheOldSortMovesUpWithItsRun) {
    Add(L"a");
    const std::int32_t b = Add(L"b");
    Add(L"c");
    const std::string sortB = QueryText(db, "select sort from tb_Btns where Title = 'b'");
    ASSERT_TRUE(collection->DeleteButton(b));
    // Another program gave the old place to c; the row after it follows.
    ASSERT_EQ(store->ExecuteSql(L"update tb_Btns set sort = " + FromUtf8(sortB) + L" where Title = 'c'"), 1);
    Add(L"d");
    ASSERT_EQ(collection->Undo().restored.size(), 1u);
    EXPECT_EQ(Stored(), "我的电脑\na\nb\nc\nd");
}

TEST_F(UndoTest, HistorySurvivesARestartAndKeepsTheNewestFifty) {
    std::vector<std::int32_t> ids;
    for (int i = 0; i < kUndoSteps + 5; ++i) ids.push_back(Add(L"t" + std::to_wstring(i)));
    for (std::int32_t id : ids) ASSERT_TRUE(collection->DeleteButton(id));
    EXPECT_EQ(QueryText(db, "select count(*) from tb_Undo"), std::to_string(kUndoSteps));
    EXPECT_EQ(QueryText(db, "select count(*) from tb_UndoRows"), std::to_string(kUndoSteps));
    collection.reset();
    store->Close();
    Open();
    EXPECT_EQ(collection->UndoMenuText(), L"撤销删除“t54”");
    ASSERT_EQ(collection->Undo().restored.size(), 1u);
    EXPECT_EQ(Ring(), "我的电脑\nt54");
}

TEST_F(UndoTest, ButtonThatIsThereAgainIsNotDuplicated) {
    const std::int32_t a = Add(L"a");
    ASSERT_TRUE(collection->DeleteButton(a));
    Add(L"a");
    sound.Clear();
    const UndoOutcome out = collection->Undo();
    EXPECT_TRUE(out.stored);
    EXPECT_EQ(out.duplicates, 1);
    EXPECT_TRUE(out.restored.empty());
    EXPECT_EQ(Stored(), "我的电脑\na");
    EXPECT_TRUE(sound.Played().empty());
    EXPECT_FALSE(collection->NewestUndo());  // the step is spent
}

TEST_F(UndoTest, RowsBeyondTheLimitStayInTheStepForLater) {
    for (const wchar_t* t : {L"a", L"b", L"c"}) Add(t);
    ASSERT_TRUE(collection->ClearAllButtons());
    while (collection->Count() < static_cast<size_t>(kMaxButtons - 1)) Add(L"f" + std::to_wstring(collection->Count()));
    UndoOutcome out = collection->Undo();
    EXPECT_EQ(out.restored.size(), 1u);
    EXPECT_EQ(out.heldBack, 2);
    EXPECT_EQ(collection->Count(), static_cast<size_t>(kMaxButtons));
    ASSERT_TRUE(collection->NewestUndo());
    EXPECT_EQ(collection->NewestUndo()->count, 2);
    // Room again (made by another program, so no newer step comes first): the rest comes back.
    ASSERT_EQ(store->ExecuteSql(L"delete from tb_Btns where Title like 'f%'"), 1);
    ASSERT_TRUE(collection->SyncWithStore());
    out = collection->Undo();
    EXPECT_EQ(out.restored.size(), 2u);
    EXPECT_EQ(out.heldBack, 0);
    EXPECT_EQ(Stored(), "我的电脑\na\nb\nc");
    EXPECT_FALSE(collection->NewestUndo());
}

TEST_F(UndoTest, DeletionWhoseStepCannotBeWrittenIsRefused) {
    const std::int32_t a = Add(L"a");
    // A table of that name that is not ours: the step cannot be stored, so neither is the delete.
    ASSERT_EQ(store->ExecuteSql(L"create table tb_Undo (other text)"), 1);
    EXPECT_FALSE(collection->DeleteButton(a));
    EXPECT_FALSE(collection->ClearAllButtons());
    EXPECT_EQ(Stored(), "我的电脑\na");
    EXPECT_EQ(Ring(), Stored());
}

TEST_F(UndoTest, PrunedButtonIsAStepOfItsOwnKind) {
    Add(L"gone");
    host->everythingExists = false;
    collection->PruneMissingTargets();
    ASSERT_TRUE(collection->NewestUndo());
    EXPECT_EQ(collection->NewestUndo()->kind, UndoKind::Pruned);
    EXPECT_EQ(collection->UndoMenuText(), L"恢复“gone”（目标曾不存在）");
}

TEST_F(UndoTest, SyncShowsRowsAnotherProgramAddedAndKeepsTheButtonsItHas) {
    Add(L"a");
    LauncherButton* kept = collection->buttons.back().get();
    const int rebuilt = static_cast<testing::PlacedButton*>(kept)->rebuilt;
    ASSERT_EQ(store->ExecuteSql(L"insert into tb_Btns (iType, Title, PathName, sort) values (0, 'x', 'C:\\x', 50)"), 1);
    ASSERT_EQ(store->ExecuteSql(L"delete from tb_Btns where Title = 'a'"), 1);
    ASSERT_EQ(store->ExecuteSql(L"insert into tb_Btns (iType, Title, PathName, sort) values (0, 'a', 'C:\\a', 40)"), 1);
    ASSERT_TRUE(collection->SyncWithStore());
    EXPECT_EQ(Ring(), "我的电脑\na\nx");
    EXPECT_NE(collection->buttons[1].get(), kept);  // a new row, a new button
    Add(L"y");
    kept = collection->buttons.back().get();
    ASSERT_TRUE(collection->SyncWithStore());
    EXPECT_EQ(collection->buttons.back().get(), kept);
    EXPECT_EQ(static_cast<testing::PlacedButton*>(kept)->rebuilt, rebuilt);
}

}  // namespace
}  // namespace quorlin
