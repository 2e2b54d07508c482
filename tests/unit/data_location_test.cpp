#include "app/data_location.h"

#include <gtest/gtest.h>

namespace quorlin {
namespace {

DataFacts Portable() {
    DataFacts f;
    f.haveUserFolder = true;
    f.databaseBesideExe = true;
    f.exeFolderWritable = true;
    f.databaseWritable = true;
    return f;
}

TEST(DataLocationTest, AWritablePortableCopyKeepsItsDataBesideTheExecutable) {
    DataFacts f = Portable();
    f.userDatabaseExists = true;  // an earlier move does not pull a writable copy away
    const DataDecision d = DecideDataPlace(f);
    EXPECT_EQ(d.place, DataPlace::BesideExe);
    EXPECT_EQ(d.seed, SeedFrom::Nothing);
    EXPECT_FALSE(d.tellMoved);
}

TEST(DataLocationTest, AnInstalledCopyUsesThePerUserFolderAndSeedsItOnce) {
    DataFacts f = Portable();  // Wine has no ACLs: Program Files may well be writable
    f.templateBesideExe = true;
    f.databaseBesideExe = false;
    DataDecision d = DecideDataPlace(f);
    EXPECT_EQ(d.place, DataPlace::PerUser);
    EXPECT_EQ(d.seed, SeedFrom::Template);
    EXPECT_FALSE(d.tellMoved);
    f.userDatabaseExists = true;
    d = DecideDataPlace(f);
    EXPECT_EQ(d.place, DataPlace::PerUser);
    EXPECT_EQ(d.seed, SeedFrom::Nothing);
}

TEST(DataLocationTest, APortableCopyThatCannotWriteMovesOnceWithAMessage) {
    for (int which = 0; which < 2; ++which) {
        DataFacts f = Portable();
        (which == 0 ? f.exeFolderWritable : f.databaseWritable) = false;
        DataDecision d = DecideDataPlace(f);
        EXPECT_EQ(d.place, DataPlace::PerUser) << which;
        EXPECT_EQ(d.seed, SeedFrom::PortableDatabase) << which;
        EXPECT_TRUE(d.tellMoved) << which;
        f.userDatabaseExists = true;  // the next start: already moved, nothing copied, no message
        d = DecideDataPlace(f);
        EXPECT_EQ(d.place, DataPlace::PerUser) << which;
        EXPECT_EQ(d.seed, SeedFrom::Nothing) << which;
        EXPECT_FALSE(d.tellMoved) << which;
    }
}

TEST(DataLocationTest, WithoutAUserFolderOrADatabaseItStaysBesideTheExecutable) {
    DataFacts f = Portable();
    f.exeFolderWritable = false;
    f.haveUserFolder = false;
    EXPECT_EQ(DecideDataPlace(f).place, DataPlace::BesideExe);
    f = Portable();
    f.exeFolderWritable = false;
    f.databaseBesideExe = false;  // opening the store reports the missing file
    EXPECT_EQ(DecideDataPlace(f).place, DataPlace::BesideExe);
}

TEST(DataLocationTest, PerUserFolderIsZantheUnderApplicationData) {
    EXPECT_EQ(PerUserDataFolder(L"C:\\Users\\li\\AppData\\Roaming"), L"C:\\Users\\li\\AppData\\Roaming\\Zanthe");
    EXPECT_EQ(PerUserDataFolder(L"C:\\Users\\li\\AppData\\Roaming\\"), L"C:\\Users\\li\\AppData\\Roaming\\Zanthe");
    EXPECT_EQ(PerUserDataFolder(L""), L"");
}

}  // namespace
}  // namespace quorlin
