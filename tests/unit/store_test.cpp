// The button store against real database files on disk.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <filesystem>
#include <thread>
#include <unistd.h>

#include "store/button_table.h"
#include "store/db_session.h"
#include "support/fakes.h"
#include "support/temp_dir.h"

namespace quorlin {
namespace {

using testing::QueryText;
using testing::RecordingMessageBoxes;
using testing::TempDir;

const wchar_t* const kCaption = L"quorlin";

class StoreOpenTest : public ::testing::Test {
protected:
    TempDir dir;
    RecordingMessageBoxes boxes;
    DbSession session;

    void ExpectOpenFailsWithOneMessage() {
        EXPECT_FALSE(session.OpenDatabase(dir.WPath(), L"bts.db", kCaption));
        ASSERT_EQ(boxes.Count(), 1u);
        EXPECT_EQ(boxes.Shown()[0].text, L"打开数据失败！");
        EXPECT_EQ(boxes.Shown()[0].caption, kCaption);
        EXPECT_EQ(boxes.Shown()[0].flags, kMbOk);
        EXPECT_FALSE(session.IsOpen());
    }
};

TEST_F(StoreOpenTest, MissingFileFailsAndIsNeverCreated) {
    ExpectOpenFailsWithOneMessage();
    EXPECT_FALSE(std::filesystem::exists(dir.File("bts.db")));
}

TEST_F(StoreOpenTest, EmptyFileFailsAndStaysEmpty) {
    dir.WriteFile("bts.db", "");
    ExpectOpenFailsWithOneMessage();
    EXPECT_EQ(std::filesystem::file_size(dir.File("bts.db")), 0u);
}

TEST_F(StoreOpenTest, GarbageFileFailsUnchanged) {
    std::string garbage(4096, '\x5a');
    dir.WriteFile("bts.db", garbage);
    ExpectOpenFailsWithOneMessage();
    EXPECT_EQ(std::filesystem::file_size(dir.File("bts.db")), garbage.size());
}

TEST_F(StoreOpenTest, TruncatedDatabaseFails) {
    auto p = dir.MakeDatabase();
    std::filesystem::resize_file(p, 100);  // the header survives, the pages do not
    ExpectOpenFailsWithOneMessage();
}

TEST_F(StoreOpenTest, DatabaseWithoutButtonTableFails) {
    auto p = dir.File("bts.db");
    sqlite3* db = nullptr;
    sqlite3_open(p.u8string().c_str(), &db);
    sqlite3_exec(db, "create table other (x integer)", nullptr, nullptr, nullptr);
    sqlite3_close(db);
    ExpectOpenFailsWithOneMessage();
    EXPECT_EQ(QueryText(p, "select count(*) from sqlite_master where name = 'tb_Btns'"), "0");
}

TEST_F(StoreOpenTest, ReadOnlyFileFails) {
    if (geteuid() == 0) GTEST_SKIP() << "root ignores file permissions";
    auto p = dir.MakeDatabase();
    std::filesystem::permissions(p, std::filesystem::perms::owner_read, std::filesystem::perm_options::replace);
    ExpectOpenFailsWithOneMessage();
}

TEST_F(StoreOpenTest, FileLockedExclusivelyByAnotherConnectionFails) {
    auto p = dir.MakeDatabase();
    sqlite3* other = nullptr;
    sqlite3_open(p.u8string().c_str(), &other);
    ASSERT_EQ(sqlite3_exec(other, "begin exclusive", nullptr, nullptr, nullptr), SQLITE_OK);
    ExpectOpenFailsWithOneMessage();
    sqlite3_exec(other, "rollback", nullptr, nullptr, nullptr);
    sqlite3_close(other);
    boxes.Clear();
    EXPECT_TRUE(session.OpenDatabase(dir.WPath(), L"bts.db", kCaption));
    EXPECT_EQ(boxes.Count(), 0u);
}

TEST_F(StoreOpenTest, DeliveredDatabaseOpensWithoutMessage) {
    dir.MakeDatabase();
    EXPECT_TRUE(session.OpenDatabase(dir.WPath(), L"bts.db", kCaption));
    EXPECT_EQ(boxes.Count(), 0u);
    EXPECT_TRUE(session.IsOpen());
    EXPECT_EQ(session.ExecuteSql(L"PRAGMA writable_schema = ON"), 1);  // defensive: changes nothing
    EXPECT_EQ(session.ExecuteSql(L"update sqlite_master set sql = 'x' where name = 'tb_Btns'"), 0);
}

class StoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        db = dir.MakeDatabase();
        ASSERT_TRUE(session.OpenDatabase(dir.WPath(), L"bts.db", kCaption));
    }

    // The insert as the collection does it: sort after the largest, Para only when non-empty.
    ButtonRecord Insert(const std::wstring& title, const std::wstring& path, int kind, const std::wstring& para) {
        bool ok = false;
        auto rs = session.OpenRecordset(statements::LastBySort(), ok);
        EXPECT_TRUE(ok);
        int next = (rs->AtBOF() && rs->AtEOF()) ? 0 : rs->GetInt(L"sort") + 1;
        rs->AddNew();
        rs->Put(L"Title", FieldValue::Text(title));
        rs->Put(L"PathName", FieldValue::Text(path));
        rs->Put(L"iType", FieldValue::Int(kind));
        rs->Put(L"sort", FieldValue::Int(next));
        if (!para.empty()) rs->Put(L"Para", FieldValue::Text(para));
        rs->Update();
        ButtonRecord r;
        ReadButtonRecord(*rs, r);
        rs->Close();
        return r;
    }

    bool IsDuplicate(int kind, const std::wstring& path) {
        bool ok = false;
        auto rs = session.OpenReadOnlyRecordset(statements::FindDuplicate(kind, path), ok);
        if (!ok) return true;
        bool found = !(rs->AtBOF() && rs->AtEOF());
        rs->Close();
        return found;
    }

    std::vector<ButtonRecord> LoadAll() {
        bool ok = false;
        auto rs = session.OpenReadOnlyRecordset(statements::LoadAll(), ok);
        EXPECT_TRUE(ok);
        std::vector<ButtonRecord> out;
        while (!rs->AtEOF()) {
            ButtonRecord r;
            ReadButtonRecord(*rs, r);
            out.push_back(r);
            rs->MoveNext();
        }
        rs->Close();
        return out;
    }

    TempDir dir;
    RecordingMessageBoxes boxes;
    DbSession session;
    std::filesystem::path db;
};

TEST_F(StoreTest, LoadAllShowsRowOneButNeverRowTwo) {
    auto rows = LoadAll();
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].ID, 1);
    EXPECT_EQ(rows[0].iType, ItemKind::ShellEntry);
    EXPECT_EQ(rows[0].Para, L"");
}

TEST_F(StoreTest, NewRowsCountRowTwoAndGetFreshIds) {
    auto a = Insert(L"A", L"C:\\a.txt", ItemKind::File, L"");
    EXPECT_GT(a.ID, 2);
    EXPECT_EQ(a.sort, 2);  // reserved sorts are 0 and 1
    auto b = Insert(L"B", L"C:\\b.txt", ItemKind::File, L"-x");
    EXPECT_EQ(b.ID, a.ID + 1);
    EXPECT_EQ(b.sort, 3);
    EXPECT_EQ(b.Para, L"-x");
    // A deleted row's number is never given out again.
    ASSERT_EQ(session.ExecuteSql(statements::DeleteOne(b.ID)), 1);
    auto c = Insert(L"C", L"C:\\c.txt", ItemKind::File, L"");
    EXPECT_GT(c.ID, b.ID);
    EXPECT_EQ(c.sort, 3);
}

TEST_F(StoreTest, EmptyTableGivesSortZero) {
    ASSERT_EQ(session.ExecuteSql(L"delete from tb_Btns"), 1);
    EXPECT_EQ(Insert(L"A", L"x", ItemKind::File, L"").sort, 0);
}

TEST_F(StoreTest, TextsWithQuotesPercentChineseAndEmojiRoundTrip) {
    const std::wstring path = L"C:\\Users\\O'Brien\\100% \"done\"\\报告 😀.doc";
    const std::wstring title = L"O'Brien's 报告 😀 %s %d";
    const std::wstring para = L"--name='x' \"y\" 100%";
    EXPECT_FALSE(IsDuplicate(ItemKind::File, path));
    auto r = Insert(title, path, ItemKind::File, para);
    EXPECT_TRUE(IsDuplicate(ItemKind::File, path));
    auto rows = LoadAll();
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[1].ID, r.ID);
    EXPECT_EQ(rows[1].Title, title);
    EXPECT_EQ(rows[1].PathName, path);
    EXPECT_EQ(rows[1].Para, para);
}

TEST_F(StoreTest, DuplicateTestIsPerKindAndExact) {
    Insert(L"A", L"C:\\Tools", ItemKind::Folder, L"");
    EXPECT_TRUE(IsDuplicate(ItemKind::Folder, L"C:\\Tools"));
    EXPECT_FALSE(IsDuplicate(ItemKind::File, L"C:\\Tools"));
    EXPECT_FALSE(IsDuplicate(ItemKind::Folder, L"C:\\Tools\\"));
    // An apostrophe cannot end the literal early and match everything.
    EXPECT_FALSE(IsDuplicate(ItemKind::Folder, L"x' or '1'='1"));
}

TEST_F(StoreTest, ParaNullOnInsertAndEmptyOnEditBothReadEmpty) {
    auto r = Insert(L"A", L"p", ItemKind::File, L"");
    EXPECT_EQ(QueryText(db, "select Para is null from tb_Btns where ID = " + std::to_string(r.ID)), "1");
    bool ok = false;
    auto rs = session.OpenRecordset(statements::SelectById(r.ID), ok);
    ASSERT_TRUE(ok);
    rs->Put(L"Title", FieldValue::Text(L"B"));
    rs->Put(L"Para", FieldValue::Text(L""));
    rs->Update();
    ButtonRecord back;
    ReadButtonRecord(*rs, back);
    rs->Close();
    EXPECT_EQ(back.Title, L"B");
    EXPECT_EQ(back.Para, L"");
    EXPECT_EQ(back.sort, r.sort);
    EXPECT_EQ(QueryText(db, "select Para is null, Para = '' from tb_Btns where ID = " + std::to_string(r.ID)), "0|1");
}

TEST_F(StoreTest, EditOfAVanishedRowIsSeenAsNoRow) {
    auto r = Insert(L"A", L"p", ItemKind::File, L"");
    ASSERT_EQ(session.ExecuteSql(statements::DeleteOne(r.ID)), 1);
    bool ok = false;
    auto rs = session.OpenRecordset(statements::SelectById(r.ID), ok);
    ASSERT_TRUE(ok);
    EXPECT_TRUE(rs->AtBOF() && rs->AtEOF());
    EXPECT_THROW(rs->Put(L"Title", FieldValue::Text(L"x")), StoreError);
}

TEST_F(StoreTest, UpdateOfARowDeletedAfterItWasReadFailsInsteadOfSucceeding) {
    auto r = Insert(L"A", L"p", ItemKind::File, L"");
    bool ok = false;
    auto rs = session.OpenRecordset(statements::SelectById(r.ID), ok);
    ASSERT_TRUE(ok);
    ASSERT_EQ(QueryText(db, "select count(*) from tb_Btns"), "3");
    sqlite3* other = nullptr;
    sqlite3_open(db.u8string().c_str(), &other);
    sqlite3_exec(other, ("delete from tb_Btns where ID = " + std::to_string(r.ID)).c_str(), nullptr, nullptr, nullptr);
    sqlite3_close(other);
    rs->Put(L"Title", FieldValue::Text(L"x"));
    EXPECT_THROW(rs->Update(), StoreError);
}

TEST_F(StoreTest, RejectedStatementReportsFailureAndTheNextOneWorks) {
    EXPECT_EQ(session.ExecuteSql(L"delete from no_such_table"), 0);
    EXPECT_FALSE(session.LastError().empty());
    bool ok = true;
    auto bad = session.OpenReadOnlyRecordset(L"select nonsense from", ok);
    EXPECT_FALSE(ok);
    EXPECT_THROW(bad->AtEOF(), StoreError);
    EXPECT_EQ(session.ExecuteSql(statements::SetSort(5, 1)), 1);
    EXPECT_EQ(QueryText(db, "select sort from tb_Btns where ID = 1"), "5");
}

TEST_F(StoreTest, SecondOpenReplacesTheSharedRecordsetButAHeldOneStaysValid) {
    bool ok = false;
    auto first = session.OpenReadOnlyRecordset(statements::LoadAll(), ok);
    ASSERT_TRUE(ok);
    auto second = session.OpenReadOnlyRecordset(statements::SelectById(2), ok);
    ASSERT_TRUE(ok);
    EXPECT_NE(first.get(), second.get());
    EXPECT_EQ(first->GetInt(L"ID"), 1);
    EXPECT_EQ(second->GetInt(L"ID"), 2);
    session.Close();
    EXPECT_EQ(first->GetText(L"Title"), L"我的电脑");  // the connection lives while a recordset is held
}

TEST_F(StoreTest, ReadOnlyRecordsetRefusesChangesAndMissingFieldsThrow) {
    bool ok = false;
    auto rs = session.OpenReadOnlyRecordset(statements::LoadAll(), ok);
    ASSERT_TRUE(ok);
    EXPECT_THROW(rs->AddNew(), StoreError);
    EXPECT_THROW(rs->Put(L"Title", FieldValue::Text(L"x")), StoreError);
    EXPECT_THROW(rs->Get(L"NoSuchField"), StoreError);
    rs->MoveNext();
    EXPECT_TRUE(rs->AtEOF());
    EXPECT_THROW(rs->MoveNext(), StoreError);
    EXPECT_THROW(rs->GetInt(L"ID"), StoreError);
    rs->Close();
    EXPECT_THROW(rs->AtEOF(), StoreError);
    EXPECT_THROW(rs->Close(), StoreError);
}

TEST_F(StoreTest, DeleteAllButReservedSparesRowsOneAndTwoWhateverTheirSort) {
    Insert(L"A", L"a", ItemKind::File, L"");
    Insert(L"B", L"b", ItemKind::File, L"");
    ASSERT_EQ(session.ExecuteSql(statements::SetSort(99, 1)), 1);
    ASSERT_EQ(session.ExecuteSql(statements::DeleteAllButReserved()), 1);
    EXPECT_EQ(QueryText(db, "select ID, sort from tb_Btns order by ID"), "1|99\n2|1");
}

TEST_F(StoreTest, TransactionStoresBothOrNeither) {
    auto a = Insert(L"A", L"a", ItemKind::File, L"");
    auto b = Insert(L"B", L"b", ItemKind::File, L"");
    ASSERT_TRUE(session.BeginTransaction());
    ASSERT_EQ(session.ExecuteSql(statements::SetSort(b.sort, a.ID)), 1);
    session.RollbackTransaction();
    EXPECT_EQ(QueryText(db, "select sort from tb_Btns where ID = " + std::to_string(a.ID)), std::to_string(a.sort));
    ASSERT_TRUE(session.BeginTransaction());
    ASSERT_EQ(session.ExecuteSql(statements::SetSort(b.sort, a.ID)), 1);
    ASSERT_EQ(session.ExecuteSql(statements::SetSort(a.sort, b.ID)), 1);
    ASSERT_TRUE(session.CommitTransaction());
    EXPECT_EQ(QueryText(db, "select ID from tb_Btns where ID > 2 order by sort"),
              std::to_string(b.ID) + "\n" + std::to_string(a.ID));
}

TEST_F(StoreTest, AnotherStatementCannotBeSmuggledIntoOne) {
    EXPECT_EQ(session.ExecuteSql(L"delete from tb_Btns where ID = 99; delete from tb_Btns"), 0);
    EXPECT_EQ(QueryText(db, "select count(*) from tb_Btns"), "2");
}

TEST(StatementsTest, TextsAreTheOnesTheProgramIssues) {
    EXPECT_EQ(statements::LoadAll(), L"select * from tb_Btns where ID <> 2 order by sort asc");
    EXPECT_EQ(statements::FindDuplicate(2, L"C:\\It's"), L"select ID from tb_Btns where iType=2 and PathName = 'C:\\It''s'");
    EXPECT_EQ(statements::DeleteOne(7), L"delete from tb_Btns where ID = 7");
    EXPECT_EQ(statements::DeleteAllButReserved(), L"delete from tb_Btns where ID > 2");
    EXPECT_EQ(statements::SetSort(-3, 12), L"update tb_Btns set [sort] = -3 where ID = 12");
    EXPECT_EQ(statements::SelectById(4), L"select * from tb_Btns where ID = 4");
    EXPECT_EQ(DoubleApostrophes(L"''a'"), L"''''a''");
}

TEST(StatementsTest, TopBecomesLimit) {
    EXPECT_EQ(ToSqliteStatement(statements::LastBySort()), L"select * from tb_Btns order by sort desc limit 1");
    EXPECT_EQ(ToSqliteStatement(L"SELECT TOP 5 ID from t"), L"SELECT ID from t limit 5");
    EXPECT_EQ(ToSqliteStatement(L"select topic from t"), L"select topic from t");
    EXPECT_EQ(ToSqliteStatement(L"select * from top"), L"select * from top");
}

}  // namespace
}  // namespace quorlin
