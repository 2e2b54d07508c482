// The icon cache table beside tb_Btns, on a real database file.
#include <gtest/gtest.h>

#include "store/db_session.h"
#include "store/icon_cache.h"
#include "support/fakes.h"
#include "support/temp_dir.h"

namespace quorlin {
namespace {

TEST(IconCache, KeepsPicturesByRowAndSizeAndFollowsTheRowsItBelongsTo) {
    testing::TempDir dir;
    dir.MakeDatabase();
    testing::RecordingMessageBoxes boxes;
    DbSession store;
    ASSERT_TRUE(store.OpenDatabase(dir.WPath(), L"bts.db", L"quorlin"));
    ASSERT_EQ(store.ExecuteSql(L"insert into tb_Btns (ID, iType, Title, PathName, sort) values (7, 0, 'a', 'C:\\a.txt', 5)"), 1);
    IconCache cache(store);

    const IconSource source{0, L"a", L"C:\\a.txt", 10, 20};
    EXPECT_EQ(IconStamp(source).rfind(IconRowStamp(0, L"a", L"C:\\a.txt"), 0), 0u) << "the row's part comes first";
    for (IconSource other : {IconSource{2, L"a", L"C:\\a.txt", 10, 20}, IconSource{0, L"b", L"C:\\a.txt", 10, 20},
                             IconSource{0, L"a", L"C:\\b.txt", 10, 20}, IconSource{0, L"a", L"C:\\a.txt", 11, 20},
                             IconSource{0, L"a", L"C:\\a.txt", 10, 21}, IconSource{0, L"a|", L":\\a.txt", 10, 20}})
        EXPECT_NE(IconStamp(other), IconStamp(source));

    EXPECT_FALSE(cache.Find(7, 48));
    ASSERT_TRUE(cache.Put(7, 48, IconStamp(source), {1, 2, 3}));
    ASSERT_TRUE(cache.Put(7, 96, "big", {4}));
    ASSERT_TRUE(cache.Put(7, 48, IconStamp(source), {1, 2, 3, 0}));  // replaced
    EXPECT_EQ(cache.Find(7, 48)->png, (std::vector<std::uint8_t>{1, 2, 3, 0}));
    EXPECT_EQ(cache.Find(7, 96)->stamp, "big");
    const auto all = cache.FindAll(48);
    ASSERT_EQ(all.size(), 1u);
    EXPECT_EQ(all.at(7).png, (std::vector<std::uint8_t>{1, 2, 3, 0}));

    // A new sort keeps the pictures; a new path drops them, in the same statement.
    ASSERT_EQ(store.ExecuteSql(L"update tb_Btns set sort = 9 where ID = 7"), 1);
    EXPECT_TRUE(cache.Find(7, 48));
    ASSERT_EQ(store.ExecuteSql(L"update tb_Btns set PathName = 'C:\\b.txt' where ID = 7"), 1);
    EXPECT_FALSE(cache.Find(7, 48));
    EXPECT_FALSE(cache.Find(7, 96));
    // Deleting the row drops them; pictures of rows that are gone are removed on request.
    ASSERT_TRUE(cache.Put(7, 48, "x", {1}));
    ASSERT_EQ(store.ExecuteSql(L"delete from tb_Btns where ID = 7"), 1);
    EXPECT_FALSE(cache.Find(7, 48));
    ASSERT_TRUE(cache.Put(12345, 48, "x", {1}));
    ASSERT_TRUE(cache.Put(1, 48, "x", {1}));
    EXPECT_EQ(cache.RemoveOrphans(), 1);
    EXPECT_TRUE(cache.Find(1, 48));
    EXPECT_EQ(testing::QueryText(dir.File("bts.db"), "select group_concat(name) from pragma_table_info('tb_Btns')"),
              "ID,iType,Title,PathName,Para,sort")
        << "tb_Btns keeps exactly its columns";
}

}  // namespace
}  // namespace quorlin
