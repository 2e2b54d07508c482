// Backups and the restore at start on Windows files (names, renames over Windows paths).
#include <gtest/gtest.h>
#include <windows.h>

#include <fstream>

#include "store/backups.h"
#include "store/db_session.h"
#include "support/fakes.h"
#include "support/temp_dir.h"

namespace quorlin::testing {
namespace {

TEST(WindowsBackupTest, BrokenStoreIsRestoredFromTheNewestBackupInAFolderWithAChineseName) {
    TempDir top;
    const std::filesystem::path folder = top.Path() / L"桌面 数据";
    std::filesystem::create_directory(folder);
    std::filesystem::copy_file(top.MakeDatabase(), folder / L"bts.db");
    RecordingMessageBoxes boxes;
    DbSession store;
    ASSERT_TRUE(store.OpenDatabase(folder.wstring(), L"bts.db", L"t"));
    ASSERT_EQ(store.ExecuteSql(L"insert into tb_Btns (iType, Title, PathName, sort) values (0, '甲', 'C:\\a', 5)"), 1);
    for (int day = 1; day <= 7; ++day) ASSERT_FALSE(WriteBackup(store, DateTime{2026, 12, day, 9, 0, 0}).empty());
    EXPECT_EQ(ListBackups(store.Path()).size(), static_cast<size_t>(kBackupsKept));
    store.Close();

    {
        std::ofstream f(folder / L"bts.db", std::ios::binary | std::ios::trunc);
        f << std::string(5000, 'x');
    }
    boxes.QueueAnswer(kIdYes);
    ASSERT_TRUE(OpenDatabaseOrRestore(store, folder.wstring(), L"bts.db", L"t", DateTime{2026, 12, 9, 8, 0, 0}));
    EXPECT_EQ(QueryText(folder / L"bts.db", "select Title from tb_Btns where ID > 2"), "甲");
    EXPECT_EQ(std::filesystem::file_size(folder / L"bts.db.broken-20261209-080000"), 5000u);
    EXPECT_EQ(boxes.Count(), 1u);
}

}  // namespace
}  // namespace quorlin::testing
