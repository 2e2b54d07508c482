// A button acts on exactly the row it came from, whatever bts.db holds: row IDs beyond
// 32 bits, tables the program cannot address safely, odd sort and kind values, names
// that UTF-8 alone cannot carry, and a duplicate test that cannot run.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "framework/text.h"
#include "panel/button_collection.h"
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

void Exec(const std::filesystem::path& file, const std::string& sql) {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open_v2(file.u8string().c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr),
              SQLITE_OK);
    char* err = nullptr;
    const int rc = sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &err);
    const std::string message = err ? err : "";
    sqlite3_free(err);
    sqlite3_close(db);
    ASSERT_EQ(rc, SQLITE_OK) << message;
}

std::string Bytes(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

class RowsTest : public ::testing::Test {
protected:
    void SetUp() override {
        db = dir.MakeDatabase();
        host.collection = &collection;
        host.everythingExists = true;
    }
    void Open() { ASSERT_TRUE(store.OpenDatabase(dir.WPath(), L"bts.db", L"t")); }
    std::vector<std::int64_t> Ids() const {
        std::vector<std::int64_t> ids;
        for (const auto& b : collection.buttons) ids.push_back(b->ID);
        return ids;
    }

    TempDir dir;
    std::filesystem::path db;
    RecordingMessageBoxes boxes;
    RecordingSound sound;
    DbSession store;
    testing::RingHost host;
    ButtonCollection collection{store, host};
};

// ---------------------------------------------------------------- row IDs

TEST_F(RowsTest, IdsBeyond32BitsStayApartAndADeleteTakesOnlyItsOwnRow) {
    Exec(db, "insert into tb_Btns (ID, iType, Title, PathName, sort) values (5, 4, 'five', 'http://5', 5);"
             "insert into tb_Btns (ID, iType, Title, PathName, sort) values (4294967301, 4, 'big', 'http://b', 6);");
    Open();
    ASSERT_TRUE(collection.LoadButtons());
    ASSERT_EQ(Ids(), (std::vector<std::int64_t>{1, 5, 4294967301}));
    ASSERT_TRUE(collection.DeleteButton(4294967301));
    EXPECT_EQ(QueryText(db, "select ID from tb_Btns order by ID"), "1\n2\n5");
    EXPECT_EQ(Ids(), (std::vector<std::int64_t>{1, 5}));
}

TEST_F(RowsTest, NewRowsPastTheTopOf31And32BitsAreOrdinaryDeletableRows) {
    for (const std::int64_t seq : {std::int64_t{2147483647}, std::int64_t{4294967295}}) {
        Exec(db, "update sqlite_sequence set seq = " + std::to_string(seq) + " where name = 'tb_Btns'");
        Open();
        ASSERT_TRUE(collection.LoadButtons());
        ASSERT_TRUE(collection.AddButton(L"t", L"http://" + std::to_wstring(seq), ItemKind::Url, L""));
        const std::int64_t id = collection.buttons.back()->ID;
        EXPECT_EQ(id, seq + 1);
        EXPECT_EQ(QueryText(db, "select count(*) from tb_Btns where ID = " + std::to_string(id)), "1");
        ASSERT_TRUE(collection.DeleteButton(id));
        EXPECT_EQ(QueryText(db, "select ID from tb_Btns order by ID"), "1\n2");
        store.Close();
    }
}

TEST_F(RowsTest, RowsNumberedZeroOrBelowAreNeitherShownNorDeleted) {
    // 0 and -1 stand for "no button" in the dialogs and the drag: such a row cannot be addressed.
    Exec(db, "insert into tb_Btns (ID, iType, Title, PathName, sort) values (0, 4, 'zero', 'http://0', 5);"
             "insert into tb_Btns (ID, iType, Title, PathName, sort) values (-1, 4, 'minus', 'http://m', 6);");
    Open();
    ASSERT_TRUE(collection.LoadButtons());
    EXPECT_EQ(Ids(), (std::vector<std::int64_t>{1}));
    EXPECT_FALSE(collection.DeleteButton(0));
    EXPECT_FALSE(collection.DeleteButton(-1));
    ASSERT_TRUE(collection.ClearAllButtons());
    EXPECT_EQ(QueryText(db, "select ID from tb_Btns order by ID"), "-1\n0\n1\n2");
}

TEST_F(RowsTest, AnAddThatWouldGetAReservedIdStoresNothing) {
    // Rows 1 and 2 and the sequence gone (another tool): the next row would be number 1.
    Exec(db, "delete from tb_Btns; delete from sqlite_sequence;");
    Open();
    ASSERT_TRUE(collection.LoadButtons());
    EXPECT_FALSE(collection.AddButton(L"t", L"http://x", ItemKind::Url, L""));
    EXPECT_EQ(QueryText(db, "select count(*) from tb_Btns"), "0");
    EXPECT_TRUE(collection.buttons.empty());
    ASSERT_EQ(host.loadErrors.size(), 1u);
    EXPECT_TRUE(sound.Played().empty());
}

// ---------------------------------------------------------------- the table at open

struct UnusableTable {
    const char* what;
    const char* sql;
};

class UnusableTableTest : public ::testing::TestWithParam<UnusableTable> {};

TEST_P(UnusableTableTest, IsRefusedAtOpenWithTheOpenFailureAndNothingWritten) {
    TempDir dir;
    RecordingMessageBoxes boxes;
    const auto file = dir.File("bts.db");
    Exec(file, GetParam().sql);
    const std::string before = Bytes(file);
    DbSession session;
    EXPECT_FALSE(session.OpenDatabase(dir.WPath(), L"bts.db", L"cap"));
    ASSERT_EQ(boxes.Count(), 1u);
    EXPECT_EQ(boxes.Shown()[0].text, L"打开数据失败！");
    EXPECT_EQ(boxes.Shown()[0].caption, L"cap");
    EXPECT_FALSE(session.IsOpen());
    EXPECT_EQ(Bytes(file), before);
    EXPECT_FALSE(std::filesystem::exists(dir.File("bts.db-journal")));
}

#define ROW_VALUES " insert into tb_Btns (ID, iType, Title, PathName, Para, sort) values (1, 3, 'a', 'p', NULL, 0);"
INSTANTIATE_TEST_SUITE_P(
    Tables, UnusableTableTest,
    ::testing::Values(
        UnusableTable{"NoPrimaryKey",
                      "create table tb_Btns (ID integer, iType integer, Title text, PathName text, Para text, sort integer);"
                      " insert into tb_Btns values (3, 0, 'a', 'p', NULL, 0); insert into tb_Btns values (3, 0, 'b', 'q', NULL, 1);"},
        UnusableTable{"IntPrimaryKeyIsNoRowid",
                      "create table tb_Btns (ID int primary key, iType integer, Title text, PathName text, Para text, sort integer);" ROW_VALUES},
        UnusableTable{"DescendingKeyIsNoRowid",
                      "create table tb_Btns (ID integer primary key desc, iType integer, Title text, PathName text, Para text, sort integer);" ROW_VALUES},
        UnusableTable{"KeyOverTwoColumns",
                      "create table tb_Btns (ID integer, iType integer, Title text, PathName text, Para text, sort integer, primary key (ID, sort));" ROW_VALUES},
        UnusableTable{"WithoutRowid",
                      "create table tb_Btns (ID integer primary key, iType integer, Title text, PathName text, Para text, sort integer) without rowid;" ROW_VALUES},
        UnusableTable{"NoPara", "create table tb_Btns (ID integer primary key, iType integer, Title text, PathName text, sort integer);"},
        UnusableTable{"NoSort", "create table tb_Btns (ID integer primary key, iType integer, Title text, PathName text, Para text);"},
        UnusableTable{"NoTitle", "create table tb_Btns (ID integer primary key, iType integer, PathName text, Para text, sort integer);"},
        UnusableTable{"NoPathName", "create table tb_Btns (ID integer primary key, iType integer, Title text, Para text, sort integer);"},
        UnusableTable{"NoKind", "create table tb_Btns (ID integer primary key, Title text, PathName text, Para text, sort integer);"},
        UnusableTable{"AView", "create table t (ID integer primary key, iType integer, Title text, PathName text, Para text, sort integer);"
                               " create view tb_Btns as select * from t;"}),
    [](const ::testing::TestParamInfo<UnusableTable>& info) { return std::string(info.param.what); });
#undef ROW_VALUES

TEST(UsableTableTest, ColumnsInAnyOrderAndCaseWithPlainIntegerKeyOpen) {
    TempDir dir;
    RecordingMessageBoxes boxes;
    Exec(dir.File("bts.db"),
         "create table tb_Btns (SORT integer, para text, pathname text, title text, itype integer, id INTEGER primary key, extra blob);");
    DbSession session;
    EXPECT_TRUE(session.OpenDatabase(dir.WPath(), L"bts.db", L"cap"));
    EXPECT_EQ(boxes.Count(), 0u);
}

TEST_F(RowsTest, AnAddWhoseRowCannotBeReadBackStoresNothing) {
    Open();
    ASSERT_TRUE(collection.LoadButtons());
    // Something renumbers every new row at once: the row the insert made is gone from under it.
    ASSERT_EQ(store.ExecuteSql(L"create trigger renumber after insert on tb_Btns begin "
                               L"update tb_Btns set ID = new.ID + 1000 where ID = new.ID; end"),
              1);
    const std::string before = QueryText(db, "select * from tb_Btns order by ID");
    EXPECT_FALSE(collection.AddButton(L"t", L"http://x", ItemKind::Url, L""));
    EXPECT_EQ(QueryText(db, "select * from tb_Btns order by ID"), before);
    EXPECT_EQ(collection.Count(), 1u);
    EXPECT_TRUE(sound.Played().empty());
}

// ---------------------------------------------------------------- odd sort and kind values

TEST_F(RowsTest, OddSortsHaveAMeaningAndNeverCollideOrWrap) {
    // SQLite orders numbers by value, then texts: the ring shows them so, and the values read
    // keep that order (a text or a number past 64 bits reads as the largest there is).
    Exec(db, "insert into tb_Btns (ID, iType, Title, PathName, sort) values (10, 4, 'huge', 'http://h', 1e300);"
             "insert into tb_Btns (ID, iType, Title, PathName, sort) values (11, 4, 'tiny', 'http://t', -1e300);"
             "insert into tb_Btns (ID, iType, Title, PathName, sort) values (12, 4, 'text', 'http://x', 'abc');"
             "insert into tb_Btns (ID, iType, Title, PathName, sort) values (13, 4, 'wide', 'http://w', 2147483653);"
             "insert into tb_Btns (ID, iType, Title, PathName, sort) values (14, 4, 'half', 'http://f', 2.5);");
    Open();
    ASSERT_TRUE(collection.LoadButtons());
    ASSERT_EQ(Ids(), (std::vector<std::int64_t>{11, 1, 14, 13, 10, 12}));
    std::vector<std::int64_t> sorts;
    for (const auto& b : collection.buttons) sorts.push_back(b->sort);
    EXPECT_EQ(sorts, (std::vector<std::int64_t>{INT64_MIN, 0, 2, 2147483653, INT64_MAX, INT64_MAX}));
    // Nothing sorts after a text: a new row could not take the last place, so none is made.
    EXPECT_FALSE(collection.AddButton(L"t", L"http://new", ItemKind::Url, L""));
    ASSERT_EQ(host.loadErrors.size(), 1u);
    EXPECT_EQ(QueryText(db, "select count(*) from tb_Btns"), "7");
    // Past 2^31 the next sort is one more, not a wrapped one.
    Exec(db, "delete from tb_Btns where ID in (10, 12)");
    ASSERT_TRUE(collection.LoadButtons());
    ASSERT_TRUE(collection.AddButton(L"t", L"http://new", ItemKind::Url, L""));
    EXPECT_EQ(collection.buttons.back()->sort, 2147483654);
    EXPECT_EQ(QueryText(db, "select sort from tb_Btns where ID = " + std::to_string(collection.buttons.back()->ID)),
              "2147483654");
}

TEST_F(RowsTest, TwoButtonsReadWithOneSortDoNotSwap) {
    // 2.5 and 2 both read as 2: an exchange would store nothing, yet move them on the ring.
    Exec(db, "insert into tb_Btns (ID, iType, Title, PathName, sort) values (10, 4, 'a', 'http://a', 2);"
             "insert into tb_Btns (ID, iType, Title, PathName, sort) values (11, 4, 'b', 'http://b', 2.5);");
    Open();
    ASSERT_TRUE(collection.LoadButtons());
    host.LayoutButtons();
    const Rect r = collection.FindById(10)->ScreenRect();
    const int x = (r.left + r.right) / 2, y = (r.top + r.bottom) / 2;
    EXPECT_FALSE(collection.SwapWhileDragging(Rect{x - 11, y - 11, x + 11, y + 11}, 11));
    EXPECT_EQ(Ids(), (std::vector<std::int64_t>{1, 10, 11}));
}

TEST_F(RowsTest, OddKindsAreUnknownKindsThatAreNeverPruned) {
    Exec(db, "insert into tb_Btns (ID, iType, Title, PathName, sort) values (10, 1e300, 'a', 'C:\\gone', 2);"
             "insert into tb_Btns (ID, iType, Title, PathName, sort) values (11, 'File', 'b', 'C:\\gone', 3);"
             "insert into tb_Btns (ID, iType, Title, PathName, sort) values (12, 4294967296, 'c', 'C:\\gone', 4);"
             "insert into tb_Btns (ID, iType, Title, PathName, sort) values (13, 2.0, 'd', 'C:\\gone', 5);"
             "insert into tb_Btns (ID, iType, Title, PathName, sort) values (14, 2.5, 'e', 'C:\\gone', 6);");
    Open();
    host.everythingExists = false;
    ASSERT_TRUE(collection.LoadButtons());
    // A whole number in 32 bits is a kind (2.0 is Folder, and its missing folder is pruned);
    // anything else is no kind the program knows.
    ASSERT_EQ(Ids(), (std::vector<std::int64_t>{1, 10, 11, 12, 14}));
    for (size_t i = 1; i < 5; ++i) EXPECT_EQ(collection.buttons[i]->iType, kUnknownKind);
    EXPECT_EQ(QueryText(db, "select ID from tb_Btns order by ID"), "1\n2\n10\n11\n12\n14");
}

// ---------------------------------------------------------------- names UTF-8 cannot carry

TEST_F(RowsTest, ANameWithALoneSurrogateIsStoredExactlyAndStaysApartFromItsLookAlike) {
    Open();
    ASSERT_TRUE(collection.LoadButtons());
    // Two names NTFS keeps apart: one with a lone high surrogate, one with U+FFFD in its place.
    const std::wstring lone = std::wstring(L"C:\\a") + static_cast<wchar_t>(0xD800) + L".txt";
    const std::wstring replaced = std::wstring(L"C:\\a") + static_cast<wchar_t>(0xFFFD) + L".txt";
    const std::wstring title = std::wstring(L"t") + static_cast<wchar_t>(0xDC01);
    ASSERT_TRUE(collection.AddButton(title, lone, ItemKind::File, L""));
    ASSERT_TRUE(collection.AddButton(L"r", replaced, ItemKind::File, L""));
    ASSERT_EQ(collection.Count(), 3u);
    EXPECT_EQ(collection.buttons[1]->PathName, lone);
    EXPECT_EQ(collection.buttons[1]->Title, title);
    EXPECT_TRUE(collection.IsDuplicate(lone, ItemKind::File));
    ASSERT_TRUE(collection.LoadButtons());
    ASSERT_EQ(collection.Count(), 3u);
    EXPECT_EQ(collection.buttons[1]->PathName, lone);
    EXPECT_EQ(collection.buttons[2]->PathName, replaced);
}

TEST_F(RowsTest, ANameTheFileCannotHoldExactlyIsRefusedWithAMessage) {
    // A bts.db kept in UTF-16 turns a lone surrogate into U+FFFD: the row read back is not
    // the one asked for, so nothing is stored and the user is told.
    std::filesystem::remove(db);
    Exec(db, std::string("PRAGMA encoding = 'UTF-16le';") + kSchemaSql);
    Open();
    ASSERT_TRUE(collection.LoadButtons());
    const std::string before = QueryText(db, "select * from tb_Btns order by ID");
    const std::wstring lone = std::wstring(L"C:\\a") + static_cast<wchar_t>(0xD800) + L".txt";
    EXPECT_FALSE(collection.AddButton(L"t", lone, ItemKind::File, L""));
    EXPECT_EQ(QueryText(db, "select * from tb_Btns order by ID"), before);
    EXPECT_EQ(collection.Count(), 1u);
    ASSERT_EQ(host.loadErrors.size(), 1u);
    EXPECT_EQ(host.loadErrors[0].rfind(L"这个名称无法按原样保存到数据库", 0), 0u);
    // Names it can hold are stored as ever.
    EXPECT_TRUE(collection.AddButton(L"t", L"C:\\桌面😀.txt", ItemKind::File, L""));
}

TEST(StoreTextTest, Wtf8RoundTripsEveryUtf16StringAndIsUtf8WhereThatSuffices) {
    const std::wstring pair = L"桌面😀";
    EXPECT_EQ(ToWtf8(pair), ToUtf8(pair));
    const std::wstring lone = std::wstring(L"a") + static_cast<wchar_t>(0xDBFF) + L"b" + static_cast<wchar_t>(0xDC00);
    EXPECT_EQ(ToWtf8(lone), "a\xED\xAF\xBF" "b\xED\xB0\x80");
    EXPECT_EQ(FromWtf8(ToWtf8(lone)), lone);
    EXPECT_EQ(FromWtf8(ToWtf8(pair)), pair);
}

// ---------------------------------------------------------------- a duplicate test that cannot run

TEST_F(RowsTest, AnAddWhoseDuplicateTestCannotRunReportsFailure) {
    Open();
    ASSERT_TRUE(collection.LoadButtons());
    // The table becomes unreadable after the open: the duplicate test cannot run.
    ASSERT_EQ(store.ExecuteSql(L"alter table tb_Btns rename column PathName to Gone"), 1);
    EXPECT_FALSE(collection.AddButton(L"t", L"http://x", ItemKind::Url, L""));
    EXPECT_EQ(QueryText(db, "select count(*) from tb_Btns"), "2");
    EXPECT_TRUE(sound.Played().empty());
}

}  // namespace
}  // namespace quorlin
