#include "buttons/item_actions_logic.h"

#include <gtest/gtest.h>

#include "framework/target_place.h"

namespace quorlin {
namespace {

using OptText = std::optional<std::wstring>;

TEST(ItemActionsOpen, FileAndUrlPassParameters) {
    OpenPlan p = OpenPlanFor(0, L"C:\\Tools\\ed.exe", L"");
    EXPECT_FALSE(p.useBrowser);
    EXPECT_EQ(p.verb, OptText(L"open"));
    EXPECT_EQ(p.file, L"C:\\Tools\\ed.exe");
    EXPECT_EQ(p.params, OptText(L""));  // an empty string, not null

    p = OpenPlanFor(0, L"C:\\Tools\\ed.exe", L"-n a.txt");
    EXPECT_EQ(p.params, OptText(L"-n a.txt"));

    p = OpenPlanFor(4, L"https://x.example/", L"");
    EXPECT_FALSE(p.useBrowser);
    EXPECT_EQ(p.verb, OptText(L"open"));
    EXPECT_EQ(p.params, OptText(L""));
}

TEST(ItemActionsOpen, FolderIgnoresPara) {
    const OpenPlan p = OpenPlanFor(2, L"D:\\Games", L"ignored");
    EXPECT_EQ(p.verb, OptText(L"open"));
    EXPECT_EQ(p.file, L"D:\\Games");
    EXPECT_FALSE(p.params.has_value());
}

TEST(ItemActionsOpen, ShellEntryAndUnknownUseDefaultVerb) {
    OpenPlan p = OpenPlanFor(3, L"::{20D04FE0-3AEA-1069-A2D8-08002B30309D}", L"");
    EXPECT_FALSE(p.useBrowser);
    EXPECT_FALSE(p.verb.has_value());
    EXPECT_EQ(p.file, L"::{20D04FE0-3AEA-1069-A2D8-08002B30309D}");
    EXPECT_EQ(p.params, OptText(L""));

    p = OpenPlanFor(3, L"iexplore.exe", L"http://www.zanthe.example/");
    EXPECT_FALSE(p.verb.has_value());
    EXPECT_EQ(p.params, OptText(L"http://www.zanthe.example/"));

    for (int code : {-1, 5, 42}) {
        SCOPED_TRACE(code);
        p = OpenPlanFor(code, L"C:\\x", L"p");
        EXPECT_FALSE(p.useBrowser);
        EXPECT_FALSE(p.verb.has_value());
        EXPECT_EQ(p.file, L"C:\\x");
        EXPECT_EQ(p.params, OptText(L"p"));
    }
}

TEST(ItemActionsOpen, BrowserUrlGoesToDefaultBrowser) {
    const OpenPlan p = OpenPlanFor(1, L"http://x.example/", L"unused");
    EXPECT_TRUE(p.useBrowser);
    EXPECT_EQ(p.file, L"http://x.example/");
}

TEST(ItemActionsFailure, ShellResultThreshold) {
    for (std::intptr_t r : {std::intptr_t{-1}, std::intptr_t{0}, std::intptr_t{2}, std::intptr_t{31}}) {
        EXPECT_TRUE(IsShellFailure(r)) << r;
    }
    for (std::intptr_t r : {std::intptr_t{32}, std::intptr_t{33}, std::intptr_t{42}}) {
        EXPECT_FALSE(IsShellFailure(r)) << r;
    }
}

TEST(ItemActionsFailure, RemovalPrompt) {
    EXPECT_EQ(RemovalPromptText(L"C:\\gone\\a b.exe"),
              L"打开失败{C:\\gone\\a b.exe}\r\n\r\n此目标不存在或已失效，是否删除此按钮？");
    EXPECT_EQ(RemovalPromptCaption(), L"提示");
    EXPECT_STREQ(kExplorerExe, L"explorer.exe");
}

TEST(ItemActionsFailure, OutOfReachNamesTheDriveOrTheShare) {
    EXPECT_EQ(OutOfReachText(L"t", L"e:\\apps\\t.exe", true), L"“t”在 E 盘上，这个盘现在没有接入。接入后再试。");
    for (const wchar_t* unc : {L"\\\\host\\share\\dir\\t.exe", L"\\\\?\\UNC\\host\\share\\t.exe"})
        EXPECT_NE(OutOfReachText(L"t", unc, false).find(L"在 \\\\host\\share 上"), std::wstring::npos) << unc;
    // The drive a path lives on (the import's rules test the kinds of path).
    wchar_t drive = 0;
    EXPECT_EQ(HomeOfPath(L"\\\\?\\q:\\x", &drive), PathHome::Drive);
    EXPECT_EQ(drive, L'Q');
}

TEST(ItemActionsFolder, SelectParamsQuoteThePath) {
    // A comma would otherwise start the next explorer switch.
    EXPECT_EQ(ContainingFolderParams(L"C:\\a,b\\My Docs\\x.txt"), L"/select, \"C:\\a,b\\My Docs\\x.txt\"");
    // A trailing backslash would escape the closing quote; it names the same folder.
    EXPECT_EQ(ContainingFolderParams(L"D:\\Tools,old\\\\"), L"/select, \"D:\\Tools,old\"");
    EXPECT_EQ(ContainingFolderParams(L"\\\\srv\\share\\"), L"/select, \"\\\\srv\\share\"");
    // A drive root keeps its backslash and needs no quotes.
    EXPECT_EQ(ContainingFolderParams(L"C:\\"), L"/select, C:\\");
    EXPECT_EQ(ContainingFolderParams(L"C:\\\\"), L"/select, C:\\");
    // Quotes cannot be in a file name; a stored one is dropped.
    EXPECT_EQ(ContainingFolderParams(L"C:\\a\"b.txt"), L"/select, \"C:\\ab.txt\"");
}

}  // namespace
}  // namespace quorlin
