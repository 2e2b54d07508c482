// The button collection when the store cannot take a change: a full disk, a store that may
// only be read, a folder where no journal can be made, a file locked by another process.
// Whatever failed, the table and the ring stay exactly as they were, the operation reports
// false without a sound or a message, and the store works again once the cause is gone.
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <unistd.h>

#include <climits>
#include <filesystem>
#include <set>

#include "panel/button_collection.h"
#include "panel/ring_layout.h"
#include "store/button_table.h"
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

using RingHost = testing::RingHost;

class StoreFailureTest : public ::testing::Test {
protected:
    void SetUp() override {
        db = dir.MakeDatabase();
        ASSERT_TRUE(store.OpenDatabase(dir.WPath(), L"bts.db", L"t"));
        host.collection = &collection;
        host.everythingExists = true;
        ASSERT_TRUE(collection.LoadButtons());
        for (const wchar_t* p : {L"C:\\a.txt", L"C:\\b.txt", L"C:\\c.txt"})
            ASSERT_TRUE(collection.AddButton(L"t", p, ItemKind::File, L""));
        host.LayoutButtons();
        sound.Clear();
    }

    // Everything stored, row by row.
    std::string Table() { return QueryText(db, "select * from tb_Btns order by ID"); }
    // The ring: ID, sort and path of every button in order.
    std::string Ring() const {
        std::string s;
        for (const auto& b : collection.buttons)
            s += std::to_string(b->ID) + ":" + std::to_string(b->sort) + ":" + ToNarrow(b->PathName) + ";";
        return s;
    }
    static std::string ToNarrow(const std::wstring& w) { return std::string(w.begin(), w.end()); }
    std::int64_t MovableId(size_t k) const {
        size_t seen = 0;
        for (const auto& b : collection.buttons)
            if (b->ID > kLastReservedId && seen++ == k) return b->ID;
        return 0;
    }
    // The ghost held over the button with this ID.
    Rect GhostOver(std::int64_t id) const {
        const Rect r = collection.FindById(id)->ScreenRect();
        const int x = (r.left + r.right) / 2, y = (r.top + r.bottom) / 2;
        return Rect{x - 11, y - 11, x + 11, y + 11};
    }
    int PageCount() {
        bool ok = false;
        auto rs = store.OpenReadOnlyRecordset(L"PRAGMA page_count", ok);
        return ok ? rs->GetInt(L"page_count") : -1;
    }

    // Every change fails, reports false and leaves table and ring as they were, silently
    // (an add also when even its duplicate test cannot read the table).
    void ExpectEveryChangeRefused(int expectedError) {
        const std::string table = Table();
        const std::string ring = Ring();
        EXPECT_FALSE(collection.AddButton(L"new", L"C:\\new.txt", ItemKind::File, L"p"));
        EXPECT_EQ(sqlite3_extended_errcode(store.Handle()) & 0xFF, expectedError) << sqlite3_errmsg(store.Handle());
        EXPECT_FALSE(collection.SwapWhileDragging(GhostOver(MovableId(0)), MovableId(2)));
        EXPECT_FALSE(collection.DeleteButton(MovableId(1)));
        EXPECT_FALSE(collection.ClearAllButtons());
        EXPECT_EQ(Table(), table);
        EXPECT_EQ(Ring(), ring);
        EXPECT_TRUE(sound.Played().empty());
        EXPECT_EQ(boxes.Count(), 0u);
    }

    // Once the cause is gone every operation works again: no transaction was left open.
    void ExpectStoreWorksAgain() {
        const std::int64_t first = MovableId(0), last = MovableId(2);
        ASSERT_TRUE(collection.SwapWhileDragging(GhostOver(first), last));
        ASSERT_TRUE(collection.AddButton(L"new", L"C:\\new.txt", ItemKind::File, L""));
        const std::int64_t added = collection.buttons.back()->ID;
        EXPECT_EQ(collection.buttons.back()->sort, 5);  // rows 1, 2 and the three buttons hold 0..4
        ASSERT_TRUE(collection.DeleteButton(first));
        EXPECT_EQ(QueryText(db, "select ID from tb_Btns where ID <> 2 order by sort"),
                  "1\n" + std::to_string(last) + "\n" + std::to_string(MovableId(1)) + "\n" + std::to_string(added));
        ASSERT_TRUE(collection.LoadButtons());
        EXPECT_EQ(collection.Count(), 4u);
        EXPECT_EQ(QueryText(db, "PRAGMA integrity_check"), "ok");
    }

    TempDir dir;
    std::filesystem::path db;
    RecordingMessageBoxes boxes;
    RecordingSound sound;
    DbSession store;
    RingHost host;
    ButtonCollection collection{store, host};
};

TEST_F(StoreFailureTest, FullDiskDuringAnAddLeavesTableAndRingAsTheyWere) {
    // No page may be added to the file: a row that needs more room hits SQLITE_FULL.
    const int pages = PageCount();
    ASSERT_GT(pages, 0);
    ASSERT_EQ(store.ExecuteSql(L"PRAGMA max_page_count = " + std::to_wstring(pages)), 1);
    ASSERT_EQ(store.ExecuteSql(L"PRAGMA synchronous = OFF"), 1);  // many small adds follow
    const std::string table = Table();
    const std::string ring = Ring();
    EXPECT_FALSE(collection.AddButton(std::wstring(20000, L'T'), L"C:\\big.txt", ItemKind::File, L""));
    EXPECT_EQ(sqlite3_extended_errcode(store.Handle()), SQLITE_FULL);
    EXPECT_EQ(Table(), table);
    EXPECT_EQ(Ring(), ring);
    EXPECT_TRUE(sound.Played().empty());
    EXPECT_EQ(boxes.Count(), 0u);
    EXPECT_EQ(QueryText(db, "PRAGMA integrity_check"), "ok");

    // Small rows fill the last free room one by one; the add that no longer fits changes nothing.
    std::string tableBefore, ringBefore;
    bool full = false;
    for (int i = 0; i < 2000 && !full; ++i) {
        tableBefore = Table();
        ringBefore = Ring();
        const size_t count = collection.Count();
        if (collection.AddButton(L"t", L"C:\\fill" + std::to_wstring(i), ItemKind::File, L"")) {
            ASSERT_EQ(collection.Count(), count + 1);
            continue;
        }
        full = true;
        EXPECT_EQ(sqlite3_extended_errcode(store.Handle()), SQLITE_FULL);
        EXPECT_EQ(Table(), tableBefore);
        EXPECT_EQ(Ring(), ringBefore);
    }
    ASSERT_TRUE(full) << "the file never filled up";
    EXPECT_EQ(sound.Played().size(), collection.Count() - 4);  // one add sound per stored row only

    // Room again: the next add is stored with the next sort.
    ASSERT_EQ(store.ExecuteSql(L"PRAGMA max_page_count = 1000000"), 1);
    ASSERT_TRUE(collection.AddButton(L"t", L"C:\\after.txt", ItemKind::File, L""));
    EXPECT_EQ(collection.buttons.back()->sort, collection.buttons[collection.Count() - 2]->sort + 1);
    EXPECT_EQ(QueryText(db, "select count(*) from tb_Btns"), std::to_string(collection.Count() + 1));
}

TEST_F(StoreFailureTest, QueryOnlyStoreRefusesEveryChange) {
    ASSERT_EQ(store.ExecuteSql(L"PRAGMA query_only = 1"), 1);
    ExpectEveryChangeRefused(SQLITE_READONLY);
    ASSERT_EQ(store.ExecuteSql(L"PRAGMA query_only = 0"), 1);
    ExpectStoreWorksAgain();
}

TEST_F(StoreFailureTest, FolderWhereNoJournalCanBeMadeRefusesEveryChange) {
    if (::geteuid() == 0) GTEST_SKIP() << "root may write into a read-only folder";
    // A read-only medium: the file was opened, but no rollback journal can be created beside it.
    std::filesystem::permissions(dir.Path(), std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
    ExpectEveryChangeRefused(SQLITE_READONLY);  // SQLITE_READONLY_DIRECTORY
    std::filesystem::permissions(dir.Path(), std::filesystem::perms::owner_all);
    ExpectStoreWorksAgain();
}

TEST_F(StoreFailureTest, JournalNameTakenBySomethingElseRefusesEveryChange) {
    // Something else holds the journal's name (this also holds for root, unlike permissions):
    // SQLite takes it for a journal to roll back and cannot even read the table.
    std::filesystem::create_directory(dir.File("bts.db-journal"));
    ExpectEveryChangeRefused(SQLITE_IOERR);
    std::filesystem::remove(dir.File("bts.db-journal"));
    ExpectStoreWorksAgain();
}

TEST_F(StoreFailureTest, StoreLockedByAnotherProcessRefusesEveryChange) {
    sqlite3_busy_timeout(store.Handle(), 20);  // do not wait the full two seconds here
    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open_v2(db.u8string().c_str(), &other, SQLITE_OPEN_READWRITE, nullptr), SQLITE_OK);
    // It is writing: our reads still work, our writes cannot get the file.
    ASSERT_EQ(sqlite3_exec(other, "begin immediate", nullptr, nullptr, nullptr), SQLITE_OK);
    ExpectEveryChangeRefused(SQLITE_BUSY);
    ASSERT_EQ(sqlite3_exec(other, "commit", nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(other);
    ExpectStoreWorksAgain();
}

TEST_F(StoreFailureTest, SwapWhoseCommitIsBlockedByAReaderLeavesNothingBehind) {
    // Another process is reading: both updates are made in our transaction, but the commit
    // cannot get the file. Nothing of the swap may stay, and the ring keeps its order.
    sqlite3_busy_timeout(store.Handle(), 20);
    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open_v2(db.u8string().c_str(), &other, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK);
    sqlite3_stmt* reading = nullptr;
    ASSERT_EQ(sqlite3_prepare_v2(other, "select ID from tb_Btns", -1, &reading, nullptr), SQLITE_OK);
    ASSERT_EQ(sqlite3_step(reading), SQLITE_ROW);  // holds a shared lock while the statement runs
    const std::string table = Table();
    const std::string ring = Ring();
    EXPECT_FALSE(collection.SwapWhileDragging(GhostOver(MovableId(0)), MovableId(2)));
    EXPECT_EQ(Ring(), ring);
    sqlite3_finalize(reading);
    sqlite3_close(other);
    EXPECT_EQ(Table(), table);
    EXPECT_EQ(QueryText(db, "select count(*) from (select sort from tb_Btns group by sort having count(*) > 1)"), "0");
    ExpectStoreWorksAgain();
}

TEST_F(StoreFailureTest, AddWhenTheLargestSortCannotGrowIsRefused) {
    // A sort one more than the largest does not exist in 64 bits: the add must not wrap
    // around to the front of the ring (nor overflow).
    const std::int64_t last = MovableId(2);
    ASSERT_EQ(store.ExecuteSql(statements::SetSort(INT64_MAX, last)), 1);
    ASSERT_TRUE(collection.LoadButtons());
    const std::string table = Table();
    const std::string ring = Ring();
    EXPECT_FALSE(collection.AddButton(L"t", L"C:\\more.txt", ItemKind::File, L""));
    EXPECT_EQ(Table(), table);
    EXPECT_EQ(Ring(), ring);
    EXPECT_TRUE(sound.Played().empty());
    // One below the limit still takes the last place.
    ASSERT_EQ(store.ExecuteSql(statements::SetSort(INT64_MAX - 1, last)), 1);
    ASSERT_TRUE(collection.AddButton(L"t", L"C:\\more.txt", ItemKind::File, L""));
    EXPECT_EQ(collection.buttons.back()->sort, INT64_MAX);
}

}  // namespace
}  // namespace quorlin
