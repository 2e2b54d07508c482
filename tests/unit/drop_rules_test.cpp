#include "panel/drop_rules.h"

#include <gtest/gtest.h>

namespace quorlin {
namespace {

TEST(DropRulesTitle, UsesLastPartWithoutExtension) {
    EXPECT_EQ(TitleFromPath(L"C:\\Users\\me\\Desktop\\Editor.lnk"), L"Editor");
    EXPECT_EQ(TitleFromPath(L"D:\\Games"), L"Games");
    EXPECT_EQ(TitleFromPath(L"D:\\data\\report.final.doc"), L"report.final");
    EXPECT_EQ(TitleFromPath(L"D:\\x\\.profile"), L"");
    EXPECT_EQ(TitleFromPath(L"Editor.lnk"), L"Editor");               // no backslash: whole name
    EXPECT_EQ(TitleFromPath(L"C:\\my.dir\\readme"), L"readme");       // a dot in a folder is ignored
    EXPECT_EQ(TitleFromPath(L"D:\\Games\\"), L"");
    EXPECT_EQ(TitleFromPath(L"C:\\Users\\me\\NOTES.LNK"), L"NOTES");
    EXPECT_EQ(TitleFromPath(L"D:\\文档\\报告.docx"), L"报告");
}

TEST(DropRulesTitle, NamesShorterThanFiveUnitsStayWhole) {
    EXPECT_EQ(TitleFromPath(L"C:\\"), L"C:\\");
    EXPECT_EQ(TitleFromPath(L"a.bc"), L"a.bc");
    EXPECT_EQ(TitleFromPath(L""), L"");
    EXPECT_EQ(TitleFromPath(L"ab.cd"), L"ab");  // five: the ordinary rule applies
    // Counted in UTF-16 units on every platform: an astral character counts twice.
    EXPECT_EQ(TitleFromPath(L"a\U0001F600."), L"a\U0001F600.");     // 4 units
    EXPECT_EQ(TitleFromPath(L"a\U0001F600.b"), L"a\U0001F600");     // 5 units
}

TEST(DropRulesShortcut, OnlyExactLowerCaseSuffix) {
    EXPECT_TRUE(IsShortcutPath(L"C:\\Users\\me\\Desktop\\Editor.lnk"));
    EXPECT_TRUE(IsShortcutPath(L".lnk"));  // exactly four characters still ends in .lnk
    EXPECT_FALSE(IsShortcutPath(L"NOTES.LNK"));
    EXPECT_FALSE(IsShortcutPath(L"a.Lnk"));
    EXPECT_FALSE(IsShortcutPath(L"lnk"));
    EXPECT_FALSE(IsShortcutPath(L""));
    EXPECT_FALSE(IsShortcutPath(L"a.lnk "));
    EXPECT_FALSE(IsShortcutPath(L"a.lnk.txt"));
    EXPECT_FALSE(IsShortcutPath(L"C:\\x\\lnk"));
}

TEST(DropRulesLimit, StopsAtSixtySix) {
    EXPECT_EQ(kMaxButtons, 66);
    EXPECT_EQ(DropLimitMessage(), L"最多只能添加66个按钮");
    // Five names dropped on a panel of 64: two are added, then the limit stops the rest.
    int count = 64, added = 0, limitMessages = 0;
    for (int i = 0; i < 5; ++i) {
        if (!CanDropMore(count)) { ++limitMessages; break; }
        ++added;
        ++count;
    }
    EXPECT_EQ(added, 2);
    EXPECT_EQ(limitMessages, 1);
    EXPECT_TRUE(CanDropMore(0));
    EXPECT_FALSE(CanDropMore(67));
}

TEST(DropRulesLimit, LockQuestionAndKinds) {
    EXPECT_STREQ(kUnreadableShortcutTarget, L" ");
    EXPECT_EQ(DropKindFor(true), 2);
    EXPECT_EQ(DropKindFor(false), 0);
}

TEST(DropRulesCommonEntries, TableRows) {
    struct Row { int id; const wchar_t* title; const wchar_t* path; int kind; };
    const Row rows[] = {
        {ID_ADD_COMPUTER, L"我的电脑", L"::{20D04FE0-3AEA-1069-A2D8-08002B30309D}", 3},
        {ID_ADD_CONTROL, L"控制面板", L"::{21EC2020-3AEA-1069-A2DD-08002B30309D}", 3},
        {ID_ADD_RECYCLE, L"回收站", L"::{645FF040-5081-101B-9F08-00AA002F954E}", 3},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.id);
        auto e = CommonEntryFor(r.id, L"C:\\Users\\me\\Documents");
        ASSERT_TRUE(e.has_value());
        EXPECT_EQ(e->Title, r.title);
        EXPECT_EQ(e->PathName, r.path);
        EXPECT_EQ(e->iType, r.kind);
        EXPECT_EQ(e->Para, L"");
    }
}

TEST(DropRulesCommonEntries, DocumentsAndBrowser) {
    auto docs = CommonEntryFor(ID_ADD_DOCUMENTS, L"C:\\Users\\me\\Documents");
    ASSERT_TRUE(docs.has_value());
    EXPECT_EQ(docs->Title, L"我的文档");
    EXPECT_EQ(docs->PathName, L"C:\\Users\\me\\Documents");
    EXPECT_EQ(docs->iType, 2);
    EXPECT_EQ(docs->Para, L"");

    auto ie = CommonEntryFor(ID_ADD_IE, L"ignored");
    ASSERT_TRUE(ie.has_value());
    EXPECT_EQ(ie->Title, L"IE浏览器");
    EXPECT_EQ(ie->PathName, L"iexplore.exe");
    EXPECT_EQ(ie->iType, 3);
    EXPECT_EQ(ie->Para, L"http://www.zanthe.example/");

    EXPECT_FALSE(CommonEntryFor(ID_ADD_DOCUMENTS + 1, L"x").has_value());  // gap in the command range
    EXPECT_FALSE(CommonEntryFor(ID_ADD_URL, L"x").has_value());  // web address goes to the dialog
    EXPECT_FALSE(CommonEntryFor(0, L"x").has_value());
}

}  // namespace
}  // namespace quorlin
