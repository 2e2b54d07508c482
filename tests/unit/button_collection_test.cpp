// The collection against a real bts.db on disk, with a host that lays buttons out on
// the real ring geometry instead of creating windows.
#include "panel/button_collection.h"

#include <gtest/gtest.h>

#include <set>

#include "panel/ring_layout.h"
#include "store/db_session.h"
#include "support/fakes.h"
#include "support/ring_host.h"
#include "support/temp_dir.h"

namespace quorlin {
namespace {

using testing::QueryText;
using testing::RecordingMessageBoxes;
using testing::RecordingSound;
using testing::TempDir;

using FakeButton = testing::PlacedButton;
using FakeHost = testing::RingHost;

class ButtonCollectionTest : public ::testing::Test {
protected:
    void SetUp() override {
        db = dir.MakeDatabase();
        ASSERT_TRUE(store.OpenDatabase(dir.WPath(), L"bts.db", L"t"));
        host.collection = &collection;
    }

    std::vector<int> Ids() const {
        std::vector<int> ids;
        for (const auto& b : collection.buttons) ids.push_back(b->ID);
        return ids;
    }
    // IDs of the stored rows in ring order, as the next start would show them.
    std::string StoredOrder() { return QueryText(db, "select ID from tb_Btns where ID <> 2 order by sort"); }
    std::string Str(const std::vector<int>& ids) {
        std::string s;
        for (size_t i = 0; i < ids.size(); ++i) s += (i ? "\n" : "") + std::to_string(ids[i]);
        return s;
    }
    int AddFile(const std::wstring& path) {
        host.existing.insert(path);
        EXPECT_TRUE(collection.AddButton(L"t", path, ItemKind::File, L""));
        return collection.buttons.back()->ID;
    }

    TempDir dir;
    std::filesystem::path db;
    RecordingMessageBoxes boxes;
    RecordingSound sound;
    DbSession store;
    FakeHost host;
    ButtonCollection collection{store, host};
};

TEST_F(ButtonCollectionTest, LoadShowsRowOneAndLaysOut) {
    ASSERT_TRUE(collection.LoadButtons());
    EXPECT_EQ(Ids(), std::vector<int>{1});
    EXPECT_EQ(host.layouts, 1);
    // One button: centre (120, 42), window (108, 30, 24, 24).
    auto* b = static_cast<FakeButton*>(collection.buttons[0].get());
    EXPECT_EQ(b->centerX, 120);
    EXPECT_EQ(b->centerY, 42);
    EXPECT_EQ(b->placed, (Rect{108, 30, 132, 54}));
    EXPECT_EQ(b->rebuilt, 1);
}

TEST_F(ButtonCollectionTest, AddAppendsWithSoundAndDuplicateIsSilent) {
    ASSERT_TRUE(collection.LoadButtons());
    int id = AddFile(L"C:\\a.txt");
    EXPECT_EQ(Ids(), (std::vector<int>{1, id}));
    EXPECT_EQ(sound.Played(), std::vector<int>{kAddSound});
    EXPECT_EQ(sound.LastFlags(), 0x40007u);
    EXPECT_EQ(collection.buttons.back()->sort, 2);
    EXPECT_TRUE(collection.AddButton(L"again", L"C:\\a.txt", ItemKind::File, L""));
    EXPECT_EQ(collection.Count(), 2u);
    EXPECT_EQ(sound.Played().size(), 1u);
    EXPECT_EQ(QueryText(db, "select count(*) from tb_Btns"), "3");
    // The same path as another kind is a different item.
    EXPECT_TRUE(collection.AddButton(L"dir", L"C:\\a.txt", ItemKind::Folder, L""));
    EXPECT_EQ(collection.Count(), 3u);
}

TEST_F(ButtonCollectionTest, DeleteRefusesReservedAndRemovesOthers) {
    ASSERT_TRUE(collection.LoadButtons());
    int a = AddFile(L"a");
    int b = AddFile(L"b");
    sound.Clear();
    EXPECT_FALSE(collection.DeleteButton(1));
    EXPECT_FALSE(collection.DeleteButton(2));
    EXPECT_TRUE(sound.Played().empty());
    EXPECT_EQ(QueryText(db, "select count(*) from tb_Btns where ID <= 2"), "2");
    const int renders = host.renders;
    EXPECT_TRUE(collection.DeleteButton(a));
    EXPECT_EQ(Ids(), (std::vector<int>{1, b}));
    EXPECT_EQ(host.alive, 2);  // the deleted button's object is gone
    EXPECT_GT(host.renders, renders);
    EXPECT_EQ(sound.Played(), std::vector<int>{kRemoveSound});
    EXPECT_EQ(StoredOrder(), Str({1, b}));
    // A delete of an ID that has no button still runs and reports success.
    EXPECT_TRUE(collection.DeleteButton(9999));
}

TEST_F(ButtonCollectionTest, FailedDeleteChangesNothing) {
    ASSERT_TRUE(collection.LoadButtons());
    int a = AddFile(L"a");
    ASSERT_EQ(store.ExecuteSql(L"create trigger keep before delete on tb_Btns begin select raise(abort, 'no'); end"), 1);
    sound.Clear();
    EXPECT_FALSE(collection.DeleteButton(a));
    EXPECT_FALSE(collection.ClearAllButtons());
    EXPECT_EQ(Ids(), (std::vector<int>{1, a}));
    EXPECT_TRUE(sound.Played().empty());
}

TEST_F(ButtonCollectionTest, ClearKeepsRowOneWhereverItStands) {
    ASSERT_TRUE(collection.LoadButtons());
    int a = AddFile(L"a");
    AddFile(L"b");
    // Move row 1 to the middle of the ring.
    ASSERT_EQ(store.ExecuteSql(L"update tb_Btns set sort = 2 where ID = 1"), 1);
    ASSERT_EQ(store.ExecuteSql(L"update tb_Btns set sort = 0 where ID = " + std::to_wstring(a)), 1);
    ASSERT_TRUE(collection.LoadButtons());
    ASSERT_EQ(collection.buttons[1]->ID, 1);
    sound.Clear();
    EXPECT_TRUE(collection.ClearAllButtons());
    EXPECT_EQ(Ids(), std::vector<int>{1});
    EXPECT_EQ(sound.Played(), std::vector<int>{kRemoveSound});  // once, not per button
    EXPECT_EQ(QueryText(db, "select ID from tb_Btns order by ID"), "1\n2");
    // Only row 1 left: nothing removed, no sound.
    sound.Clear();
    EXPECT_TRUE(collection.ClearAllButtons());
    EXPECT_TRUE(sound.Played().empty());
}

TEST_F(ButtonCollectionTest, MissingFilesAndFoldersArePrunedAtLoadWithOneSoundEach) {
    ASSERT_TRUE(collection.LoadButtons());
    int keep = AddFile(L"C:\\keep.txt");
    AddFile(L"C:\\gone.txt");
    host.existing.insert(L"D:\\gone-dir");
    ASSERT_TRUE(collection.AddButton(L"d", L"D:\\gone-dir", ItemKind::Folder, L""));
    ASSERT_TRUE(collection.AddButton(L"w", L"http://x/", ItemKind::Url, L""));  // never tested
    int url = collection.buttons.back()->ID;
    host.existing = {L"C:\\keep.txt"};
    sound.Clear();
    ASSERT_TRUE(collection.LoadButtons());
    EXPECT_EQ(Ids(), (std::vector<int>{1, keep, url}));
    EXPECT_EQ(sound.Played(), (std::vector<int>{kRemoveSound, kRemoveSound}));
    EXPECT_EQ(StoredOrder(), Str({1, keep, url}));
}

TEST_F(ButtonCollectionTest, RowOneWithAMissingFileTargetStays) {
    ASSERT_EQ(store.ExecuteSql(L"update tb_Btns set iType = 0, PathName = 'C:\\nope' where ID = 1"), 1);
    ASSERT_TRUE(collection.LoadButtons());
    EXPECT_EQ(Ids(), std::vector<int>{1});
}

TEST_F(ButtonCollectionTest, OddRowsLoad) {
    ASSERT_EQ(store.ExecuteSql(L"insert into tb_Btns (iType, Title, PathName, Para, sort) values (9, NULL, NULL, NULL, 5)"), 1);
    ASSERT_EQ(store.ExecuteSql(L"insert into tb_Btns (iType, Title, PathName, Para, sort) values (4, 'dup', 'http://a', NULL, 5)"), 1);
    ASSERT_TRUE(collection.LoadButtons());
    ASSERT_EQ(collection.Count(), 3u);
    EXPECT_EQ(collection.buttons[1]->Title + collection.buttons[2]->Title, L"dup");
    for (const auto& b : collection.buttons) EXPECT_TRUE(b->iType != 9 || (b->PathName.empty() && b->Para.empty()));
}

TEST_F(ButtonCollectionTest, TwoHundredRowsAllLoadOnThreeRings) {
    ASSERT_EQ(store.ExecuteSql(L"with recursive n(i) as (select 1 union all select i + 1 from n where i < 200) "
                               L"insert into tb_Btns (iType, Title, PathName, sort) select 4, 't' || i, 'http://' || i, 10 + i from n"),
              1);
    ASSERT_TRUE(collection.LoadButtons());
    EXPECT_EQ(collection.Count(), 201u);
    for (const auto& b : collection.buttons) {
        EXPECT_GE(b->centerX, 0);
        EXPECT_LE(b->centerX, 240);
    }
}

TEST_F(ButtonCollectionTest, SwapExchangesPlacesAndSortsAndSurvivesReload) {
    ASSERT_TRUE(collection.LoadButtons());
    int a = AddFile(L"a");
    int b = AddFile(L"b");
    int c = AddFile(L"c");
    host.LayoutButtons();
    // Ghost (22 x 22) centred on c's window: c is dragged onto a.
    auto screenOf = [&](int id) { return collection.FindById(id)->ScreenRect(); };
    Rect target = screenOf(a);
    int gx = (target.left + target.right) / 2, gy = (target.top + target.bottom) / 2;
    ASSERT_TRUE(collection.SwapWhileDragging(Rect{gx - 11, gy - 11, gx + 11, gy + 11}, c));
    EXPECT_EQ(Ids(), (std::vector<int>{1, c, b, a}));
    EXPECT_EQ(StoredOrder(), Str({1, c, b, a}));
    ASSERT_TRUE(collection.LoadButtons());
    EXPECT_EQ(Ids(), (std::vector<int>{1, c, b, a}));
    // Row 1 never swaps, as target or as dragged button.
    Rect one = screenOf(1);
    gx = (one.left + one.right) / 2;
    gy = (one.top + one.bottom) / 2;
    EXPECT_FALSE(collection.SwapWhileDragging(Rect{gx - 11, gy - 11, gx + 11, gy + 11}, a));
    EXPECT_FALSE(collection.SwapWhileDragging(Rect{gx - 11, gy - 11, gx + 11, gy + 11}, 1));
    EXPECT_EQ(Ids(), (std::vector<int>{1, c, b, a}));
}

TEST_F(ButtonCollectionTest, SwapThatCannotBeStoredLeavesRingAndTableAsTheyWere) {
    ASSERT_TRUE(collection.LoadButtons());
    int a = AddFile(L"a");
    int b = AddFile(L"b");
    host.LayoutButtons();
    // The second update fails: the first must not stay behind.
    ASSERT_EQ(store.ExecuteSql(L"create trigger half before update of sort on tb_Btns when new.ID = " +
                               std::to_wstring(b) + L" begin select raise(abort, 'no'); end"),
              1);
    Rect r = collection.FindById(a)->ScreenRect();
    int gx = (r.left + r.right) / 2, gy = (r.top + r.bottom) / 2;
    EXPECT_FALSE(collection.SwapWhileDragging(Rect{gx - 11, gy - 11, gx + 11, gy + 11}, b));
    EXPECT_EQ(Ids(), (std::vector<int>{1, a, b}));
    EXPECT_EQ(QueryText(db, "select ID, sort from tb_Btns where ID > 2 order by ID"),
              std::to_string(a) + "|2\n" + std::to_string(b) + "|3");
    EXPECT_EQ(collection.FindById(a)->sort, 2);
    EXPECT_EQ(collection.FindById(b)->sort, 3);
}

TEST_F(ButtonCollectionTest, FailedLoadReportsTheStoreErrorDescription) {
    ASSERT_EQ(store.ExecuteSql(L"drop table tb_Btns"), 1);
    EXPECT_FALSE(collection.LoadButtons());
    EXPECT_TRUE(collection.buttons.empty());
    // An open failure is silent; only an error while reading rows is shown.
    EXPECT_TRUE(host.loadErrors.empty());
}

TEST_F(ButtonCollectionTest, FailedInsertIsSilentAndAddsNoButton) {
    ASSERT_TRUE(collection.LoadButtons());
    ASSERT_EQ(store.ExecuteSql(L"create trigger noadd before insert on tb_Btns begin select raise(abort, 'full'); end"), 1);
    sound.Clear();
    EXPECT_FALSE(collection.AddButton(L"t", L"x", ItemKind::File, L""));
    EXPECT_EQ(collection.Count(), 1u);
    EXPECT_TRUE(sound.Played().empty());
    EXPECT_EQ(boxes.Count(), 0u);
}

}  // namespace
}  // namespace quorlin
