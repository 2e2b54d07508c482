#include "app/app_paths.h"

#include <gtest/gtest.h>

namespace quorlin {
namespace {

TEST(AppPathsTest, DirectoryIsEverythingBeforeTheLastBackslash) {
    EXPECT_EQ(DirectoryOfModulePath(L"C:\\Tools\\quorlin.exe"), L"C:\\Tools");
    EXPECT_EQ(DirectoryOfModulePath(L"C:\\quorlin.exe"), L"C:");
    EXPECT_EQ(DirectoryOfModulePath(L"quorlin.exe"), L"");
    EXPECT_EQ(DirectoryOfModulePath(L""), L"");
    // A 300-character path keeps its whole folder: nothing is cut below the 511 units
    // GetModuleFileNameW can hand over.
    std::wstring folder = L"C:";
    while (folder.size() < 300 - 12) folder += L"\\" + std::wstring(40, L'd');
    folder.resize(300 - 12);
    const std::wstring exe = folder + L"\\quorlin.exe";
    ASSERT_EQ(exe.size(), 300u);
    EXPECT_EQ(DirectoryOfModulePath(exe), folder);
}

TEST(AppPathsTest, AppNameIsTheFileNameWithoutItsExtension) {
    EXPECT_EQ(AppNameOfModulePath(L"C:\\Tools\\quorlin.exe"), L"quorlin");
    EXPECT_EQ(AppNameOfModulePath(L"C:\\a.b\\my.tool.exe"), L"my.tool");
    EXPECT_EQ(AppNameOfModulePath(L"C:\\Tools\\noext"), L"noext");
    EXPECT_EQ(AppNameOfModulePath(L"Zanthe桌面.exe"), L"Zanthe桌面");
}

}  // namespace
}  // namespace quorlin

namespace quorlin {
namespace {

TEST(RunValueTest, WritesTheQuotedPathAndReadsBothForms) {
    const std::wstring exe = L"C:\\Program Files\\Zanthe\\quorlin.exe";
    EXPECT_EQ(RunValueForPath(exe), L"\"C:\\Program Files\\Zanthe\\quorlin.exe\"");
    EXPECT_TRUE(RunValueNamesPath(RunValueForPath(exe), exe));
    EXPECT_TRUE(RunValueNamesPath(exe, exe));  // as older versions wrote it
    EXPECT_FALSE(RunValueNamesPath(L"\"" + exe, exe));
    EXPECT_FALSE(RunValueNamesPath(RunValueForPath(exe) + L" /min", exe));
    EXPECT_FALSE(RunValueNamesPath(L"C:\\Program", exe));
    EXPECT_FALSE(RunValueNamesPath(L"c:\\program files\\zanthe\\quorlin.exe", exe));
    EXPECT_FALSE(RunValueNamesPath(L"\"\"", L""));
}

TEST(ScalePercentTest, OnlyTheOfferedSizesAreTakenEverythingElseIs100) {
    EXPECT_EQ(ScalePercentFromText(L"200"), 200);
    EXPECT_EQ(ScalePercentFromText(L" 125 "), 125);
    for (const wchar_t* odd : {L"", L"abc", L"100000", L"199", L"75", L"-150", L"150%", L"0x96", L"2 00"})
        EXPECT_EQ(ScalePercentFromText(odd), 100) << odd;
}

}  // namespace
}  // namespace quorlin
