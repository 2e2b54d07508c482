// The icon cache table beside tb_Btns, on a real database file.
#include <gtest/gtest.h>

#include "framework/png_codec.h"
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
    auto Picture = [](int side, std::uint8_t v) { return png::Encode({side, side, std::vector<std::uint8_t>(side * side * 4u, v)}); };

    const IconSource source{0, L"a", L"C:\\a.txt", 10, 20};
    EXPECT_EQ(IconStamp(source).rfind(IconRowStamp(0, L"a", L"C:\\a.txt"), 0), 0u) << "the row's part comes first";
    for (IconSource other : {IconSource{2, L"a", L"C:\\a.txt", 10, 20}, IconSource{0, L"b", L"C:\\a.txt", 10, 20},
                             IconSource{0, L"a", L"C:\\b.txt", 10, 20}, IconSource{0, L"a", L"C:\\a.txt", 11, 20},
                             IconSource{0, L"a", L"C:\\a.txt", 10, 21}, IconSource{0, L"a|", L":\\a.txt", 10, 20}})
        EXPECT_NE(IconStamp(other), IconStamp(source));

    EXPECT_FALSE(cache.Find(7, 48));
    ASSERT_TRUE(cache.Put(7, 48, IconStamp(source), Picture(48, 1)));
    ASSERT_TRUE(cache.Put(7, 96, "big", Picture(96, 4)));
    ASSERT_TRUE(cache.Put(7, 48, IconStamp(source), Picture(48, 2)));  // replaced
    EXPECT_EQ(cache.Find(7, 48)->png, Picture(48, 2));
    EXPECT_EQ(cache.Find(7, 96)->stamp, "big");
    const auto all = cache.FindAll(48);
    ASSERT_EQ(all.size(), 1u);
    EXPECT_EQ(all.at(7).png, Picture(48, 2));

    // A new sort keeps the pictures; a new path drops them, in the same statement.
    ASSERT_EQ(store.ExecuteSql(L"update tb_Btns set sort = 9 where ID = 7"), 1);
    EXPECT_TRUE(cache.Find(7, 48));
    ASSERT_EQ(store.ExecuteSql(L"update tb_Btns set PathName = 'C:\\b.txt' where ID = 7"), 1);
    EXPECT_FALSE(cache.Find(7, 48));
    EXPECT_FALSE(cache.Find(7, 96));
    // Deleting the row drops them; pictures of rows that are gone are removed on request.
    ASSERT_TRUE(cache.Put(7, 48, "x", Picture(48, 1)));
    ASSERT_EQ(store.ExecuteSql(L"delete from tb_Btns where ID = 7"), 1);
    EXPECT_FALSE(cache.Find(7, 48));
    ASSERT_TRUE(cache.Put(12345, 48, "x", Picture(48, 1)));
    ASSERT_TRUE(cache.Put(1, 48, "x", Picture(48, 1)));
    EXPECT_EQ(cache.RemoveOrphans(), 1);
    EXPECT_TRUE(cache.Find(1, 48));
    ASSERT_TRUE(cache.Put(4294967301, 48, "far", Picture(48, 5)) && cache.Put(5, 48, "near", Picture(48, 6)));
    EXPECT_EQ(cache.FindAll(48).at(4294967301).stamp + cache.FindAll(48).at(5).stamp, "farnear");  // past 32 bits: apart
    // Not handed out (so made anew), judged by the header: 4096 x 4096, another side, RGB, no PNG at all.
    std::vector<std::uint8_t> huge = Picture(48, 1), rgb = huge;
    huge[18] = huge[22] = 0x10, huge[19] = huge[23] = 0, rgb[25] = 2;
    for (const auto& bad : {huge, Picture(96, 1), rgb, std::vector<std::uint8_t>{1, 2, 3}})
        EXPECT_FALSE(!cache.Put(5, 48, "near", bad) || cache.Find(5, 48) || cache.FindAll(48).count(5));
    EXPECT_EQ(testing::QueryText(dir.File("bts.db"), "select group_concat(name) from pragma_table_info('tb_Btns')"),
              "ID,iType,Title,PathName,Para,sort")
        << "tb_Btns keeps exactly its columns";
}

}  // namespace
}  // namespace quorlin
