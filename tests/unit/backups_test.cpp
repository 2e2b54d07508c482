// Backups of bts.db beside it and the restore offered at start, on real files.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <fstream>

#include "framework/text.h"
#include "panel/button_collection.h"
#include "store/backups.h"
#include "store/button_transfer.h"
#include "store/db_session.h"
#include "store/icon_cache.h"
#include "support/fakes.h"
#include "support/ring_host.h"
#include "support/temp_dir.h"

namespace quorlin {
namespace {

using testing::QueryText;

DateTime At(int day, int hour, int minute = 0, int second = 0) { return DateTime{2026, 12, day, hour, minute, second}; }

class BackupTest : public ::testing::Test {
protected:
    void SetUp() override {
        db = dir.MakeDatabase();
        ASSERT_TRUE(store.OpenDatabase(dir.WPath(), L"bts.db", L"t"));
    }
    void AddRow(const std::string& title) {
        ASSERT_EQ(store.ExecuteSql(L"insert into tb_Btns (iType, Title, PathName, sort) values (0, '" + FromUtf8(title) +
                                   L"', 'C:\\" + FromUtf8(title) + L"', (select max(sort) + 1 from tb_Btns))"),
                  1);
    }
    std::vector<std::string> Names() {
        std::vector<std::string> out;
        for (const auto& b : ListBackups(store.Path())) out.push_back(ToUtf8(b.stamp));
        return out;
    }
    // Garbles the second page (tb_Btns's) so that integrity_check fails; the header stays.
    void Damage(const std::filesystem::path& file) {
        std::fstream f(file, std::ios::in | std::ios::out | std::ios::binary);
        f.seekp(4096);
        const std::string junk(3000, '\x77');
        f.write(junk.data(), static_cast<std::streamsize>(junk.size()));
    }

    testing::TempDir dir;
    std::filesystem::path db;
    testing::RecordingMessageBoxes boxes;
    DbSession store;
};

TEST_F(BackupTest, BackupIsAConsistentCopyAndOnlyTheNewestFiveStay) {
    AddRow("a");
    const std::wstring first = WriteBackup(store, At(1, 10));
    ASSERT_FALSE(first.empty());
    EXPECT_EQ(FromUtf8(dir.File("bts.db.backup-20261201-100000").string()), first);
    EXPECT_EQ(QueryText(dir.File("bts.db.backup-20261201-100000"), "select Title from tb_Btns where ID > 2"), "a");
    EXPECT_TRUE(IsGoodDatabase(first));
    // Twice in one second: a second name.
    EXPECT_EQ(WriteBackup(store, At(1, 10)), first + L"-2");
    for (int day = 2; day <= 6; ++day) ASSERT_FALSE(WriteBackup(store, At(day, 9)).empty());
    EXPECT_EQ(Names(), (std::vector<std::string>{"20261206-090000", "20261205-090000", "20261204-090000",
                                                 "20261203-090000", "20261202-090000"}));
}

TEST_F(BackupTest, ABackupReplacesTheOpenStoreInPlaceEvenWhenItsFileIsPrunedMeanwhile) {
    AddRow("old");
    const std::wstring oldest = WriteBackup(store, At(1, 10));
    AddRow("new");
    const auto loaded = LoadGoodBackup(oldest);
    ASSERT_TRUE(loaded);
    std::filesystem::remove(FsPath(oldest));  // the backup written before a restore pruned it
    ASSERT_TRUE(ReplaceStoreContent(store, loaded.get()));
    EXPECT_EQ(QueryText(db, "select Title from tb_Btns where ID > 2 order by sort"), "old");
    AddRow("after");  // the same connection goes on writing
    EXPECT_EQ(QueryText(db, "select Title from tb_Btns where ID > 2 order by sort"), "old\nafter");
    dir.WriteFile("bts.db.backup-20261203-100000", "not a database at all");
    EXPECT_FALSE(LoadGoodBackup(FromUtf8(dir.File("bts.db.backup-20261203-100000").string())));
}

TEST_F(BackupTest, LeftoversOfABackupCutShortAreNoBackupsAndAreCleared) {
    dir.WriteFile("bts.db.backup-20261201-100000.tmp", "half");
    dir.WriteFile("bts.db.backup-20261201-100000.tmp-journal", "half");
    EXPECT_TRUE(Names().empty());
    ASSERT_FALSE(WriteBackup(store, At(2, 10)).empty());
    EXPECT_FALSE(std::filesystem::exists(dir.File("bts.db.backup-20261201-100000.tmp")));
    EXPECT_FALSE(std::filesystem::exists(dir.File("bts.db.backup-20261201-100000.tmp-journal")));
}

TEST_F(BackupTest, AnImportGoesOnOnlyWithItsBackupInPlace) {
    for (int i = 1; i <= kBackupsKept; ++i) {  // from a clock that once ran ahead: stamped and written in the future
        const auto ahead = dir.File("bts.db.backup-2099010" + std::to_string(i) + "-000000");
        ASSERT_TRUE(std::filesystem::copy_file(db, ahead));
        std::filesystem::last_write_time(ahead, std::filesystem::file_time_type::clock::now() + std::chrono::hours(9000));
    }
    AddRow("a");
    EXPECT_EQ(ImportRows(store, {{L"b", L"C:\\b", 0, L""}}, 66, At(9, 12)).added.size(), 1u);
    EXPECT_EQ(Names()[0], "20261209-120000");  // the backup just written stays, and is the newest
    std::filesystem::create_directories(dir.File("bts.db.backup-20261210-120000.tmp") / "x");  // no backup can be written
    dir.WriteFile("in.json", R"({"format":"quorlin-buttons","version":1,"buttons":[{"path":"C:\\c","kind":0}]})");
    const auto refused = ImportFromFile(store, FromUtf8(dir.File("in.json").string()), L"C:\\u", 66, At(10, 12));
    EXPECT_EQ(refused.lines.at(0).rfind(L"无法备份按钮数据，未导入任何按钮。", 0), 0u);
    EXPECT_EQ(QueryText(db, "select count(*) from tb_Btns where ID > 2"), "2");
}

TEST_F(BackupTest, DailyBackupOnlyOnANewDayWhenTheButtonsChanged) {
    EXPECT_TRUE(DailyBackupIfChanged(store, At(1, 8)));  // none yet
    AddRow("a");
    EXPECT_FALSE(DailyBackupIfChanged(store, At(1, 23, 59)));  // same day
    EXPECT_TRUE(DailyBackupIfChanged(store, At(2, 0, 1)));
    EXPECT_FALSE(DailyBackupIfChanged(store, At(3, 12)));  // nothing changed since
    EXPECT_EQ(Names().size(), 2u);
}

TEST_F(BackupTest, ClearAllWritesABackupFirst) {
    AddRow("a");
    testing::RingHost host;
    testing::RecordingSound sound;
    ButtonCollection c(store, host);
    host.collection = &c;
    host.everythingExists = true;
    ASSERT_TRUE(c.LoadButtons());
    ASSERT_TRUE(c.ClearAllButtons());
    const auto all = ListBackups(store.Path());
    ASSERT_EQ(all.size(), 1u);
    EXPECT_EQ(QueryText(FsPath(all[0].path), "select Title from tb_Btns where ID > 2"), "a");
    // Clearing an empty ring (or importing nothing new) keeps the backups there are.
    for (int i = 0; i < kBackupsKept + 1; ++i) ASSERT_TRUE(c.ClearAllButtons());
    ASSERT_EQ(ListBackups(store.Path()).size(), 2u);  // the ring after the first clear
    EXPECT_EQ(ListBackups(store.Path())[1].path, all[0].path);
}

TEST_F(BackupTest, HealthOfTheFileAtStart) {
    store.Close();
    EXPECT_EQ(CheckDatabaseFile(FromUtf8(db.string())), DbHealth::Good);
    dir.WriteFile("other.db", std::string(5000, 'x'));
    EXPECT_EQ(CheckDatabaseFile(FromUtf8(dir.File("other.db").string())), DbHealth::Broken);
    EXPECT_EQ(CheckDatabaseFile(FromUtf8(dir.File("none.db").string())), DbHealth::Missing);
    dir.MakeDatabase("damaged.db");
    Damage(dir.File("damaged.db"));
    EXPECT_EQ(CheckDatabaseFile(FromUtf8(dir.File("damaged.db").string())), DbHealth::Broken);
    // Locked by another program: not ours to replace.
    sqlite3* other = nullptr;
    sqlite3_open(db.c_str(), &other);
    sqlite3_exec(other, "begin exclusive", nullptr, nullptr, nullptr);
    EXPECT_EQ(CheckDatabaseFile(FromUtf8(db.string())), DbHealth::Other);
    sqlite3_exec(other, "rollback", nullptr, nullptr, nullptr);
    ASSERT_TRUE(store.OpenDatabase(dir.WPath(), L"bts.db", L"t") && IconCache(store).Ensure());  // our own triggers
    store.Close();
    EXPECT_EQ(CheckDatabaseFile(FromUtf8(db.string())), DbHealth::Good);  // any other trigger, or a view, is damage:
    for (const char* foreign : {"create trigger t after delete on tb_Btns begin insert into tb_Btns (Title) values (1); end",
                                "drop trigger t; create view v as select 1"}) {
        ASSERT_EQ(sqlite3_exec(other, foreign, nullptr, nullptr, nullptr), SQLITE_OK);
        EXPECT_EQ(CheckDatabaseFile(FromUtf8(db.string())), DbHealth::Broken) << foreign;
    }
    sqlite3_close(other);
}

TEST_F(BackupTest, AGoodFileIsOpenedOnceAndTheStoreWritesThroughTheCheckedConnection) {
    store.Close();
    sqlite3* kept = nullptr;
    dir.MakeDatabase("damaged.db");
    Damage(dir.File("damaged.db"));
    EXPECT_EQ(CheckDatabaseFile(FromUtf8(dir.File("damaged.db").string()), &kept), DbHealth::Broken);
    EXPECT_EQ(kept, nullptr);
    ASSERT_TRUE(OpenDatabaseOrRestore(store, dir.WPath(), L"bts.db", L"t", At(4, 8)));
    AddRow("through");
    store.Close();
    EXPECT_EQ(QueryText(db, "select Title from tb_Btns where ID > 2"), "through");
    EXPECT_EQ(boxes.Count(), 0u);
}

TEST_F(BackupTest, BrokenFileIsOfferedTheNewestGoodBackupAndKeptAside) {
    AddRow("old");
    ASSERT_FALSE(WriteBackup(store, At(1, 10)).empty());
    AddRow("kept");
    ASSERT_FALSE(WriteBackup(store, At(2, 10)).empty());
    dir.WriteFile("bts.db.backup-20261203-100000", "not a database at all");  // newest, but bad
    store.Close();
    const std::string garbage = "garbage " + std::string(5000, 'g');
    dir.WriteFile("bts.db", garbage);
    dir.WriteFile("bts.db-journal", std::string(1, '\0') + "journal");  // not hot: SQLite leaves it

    boxes.QueueAnswer(kIdNo);
    EXPECT_FALSE(OpenDatabaseOrRestore(store, dir.WPath(), L"bts.db", L"t", At(4, 8)));
    ASSERT_EQ(boxes.Count(), 1u);  // the question only
    EXPECT_EQ(boxes.Shown()[0].flags, kMbYesNo | kMbSystemModal);
    EXPECT_NE(boxes.Shown()[0].text.find(L"2026-12-02 10:00:00"), std::wstring::npos);
    EXPECT_EQ(std::filesystem::file_size(db), garbage.size());

    boxes.QueueAnswer(kIdYes);
    ASSERT_TRUE(OpenDatabaseOrRestore(store, dir.WPath(), L"bts.db", L"t", At(4, 8)));
    EXPECT_EQ(QueryText(db, "select Title from tb_Btns where ID > 2 order by sort"), "old\nkept");
    EXPECT_EQ(std::filesystem::file_size(dir.File("bts.db.broken-20261204-080000")), garbage.size());
    EXPECT_FALSE(std::filesystem::exists(dir.File("bts.db-journal")));
    EXPECT_EQ(std::filesystem::file_size(dir.File("bts.db.broken-20261204-080000-journal")), 8u);  // moved with it
    EXPECT_EQ(boxes.Count(), 2u);
}

TEST_F(BackupTest, DamagedPagesAreOfferedARestoreAndWithoutBackupsTheOldMessageStays) {
    AddRow("a");
    ASSERT_FALSE(WriteBackup(store, At(1, 10)).empty());
    store.Close();
    Damage(db);
    boxes.QueueAnswer(kIdYes);
    ASSERT_TRUE(OpenDatabaseOrRestore(store, dir.WPath(), L"bts.db", L"t", At(4, 8)));
    EXPECT_EQ(QueryText(db, "select Title from tb_Btns where ID > 2"), "a");
    EXPECT_EQ(QueryText(db, "PRAGMA integrity_check"), "ok");
    store.Close();
    for (const auto& b : ListBackups(FromUtf8(db.string()))) std::filesystem::remove(FsPath(b.path));
    dir.WriteFile("bts.db", std::string(5000, 'x'));
    boxes.Clear();
    EXPECT_FALSE(OpenDatabaseOrRestore(store, dir.WPath(), L"bts.db", L"t", At(4, 8)));
    ASSERT_EQ(boxes.Count(), 1u);
    EXPECT_EQ(boxes.Shown()[0].text, L"打开数据失败！");
}

TEST_F(BackupTest, MissingFileWithABackupIsOfferedIt) {
    ASSERT_FALSE(WriteBackup(store, At(1, 10)).empty());
    store.Close();
    std::filesystem::remove(db);
    boxes.QueueAnswer(kIdYes);
    ASSERT_TRUE(OpenDatabaseOrRestore(store, dir.WPath(), L"bts.db", L"t", At(4, 8)));
    EXPECT_EQ(QueryText(db, "select count(*) from tb_Btns"), "2");
}

}  // namespace
}  // namespace quorlin
