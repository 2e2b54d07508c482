// Export and import of the ring as JSON, against real bts.db files.
#include <gtest/gtest.h>

#include "framework/text.h"
#include "panel/drop_rules.h"
#include "store/alias_table.h"
#include "store/button_table.h"
#include "store/button_transfer.h"
#include "store/db_session.h"
#include "store/entry_rules.h"
#include "support/fakes.h"
#include "support/temp_dir.h"

namespace quorlin {
namespace {

using testing::QueryText;

const DateTime kNow{2026, 12, 9, 12, 0, 0};

class TransferTest : public ::testing::Test {
protected:
    void SetUp() override {
        db = dir.MakeDatabase();
        ASSERT_TRUE(store.OpenDatabase(dir.WPath(), L"bts.db", L"t"));
    }
    std::wstring File(const std::string& name) { return FromUtf8(dir.File(name).string()); }
    std::string Rows(const std::filesystem::path& file) {
        return QueryText(file, "select iType, Title, PathName, ifnull(Para, '<null>') from tb_Btns where ID <> 2 order by sort");
    }
    TransferResult Import(const std::string& json) {
        dir.WriteFile("in.json", json);
        return ImportFromFile(store, File("in.json"), L"C:\\Users\\bo", kMaxButtons, kNow);
    }

    testing::TempDir dir;
    std::filesystem::path db;
    testing::RecordingMessageBoxes boxes;
    DbSession store;
};

TEST_F(TransferTest, ExportThenImportIntoAFreshStoreGivesTheSameRing) {
    ASSERT_EQ(store.ExecuteSql(L"insert into tb_Btns (iType, Title, PathName, Para, sort) values "
                               L"(0, '编辑器', 'C:\\Users\\ann\\Desktop\\ed.exe', '-n \"x\"', 9),"
                               L"(2, 'Docs', 'c:\\users\\ANN', null, 5),"
                               L"(4, 'web', 'https://例子.测试/?q=1', null, 7),"
                               L"(0, 'other', 'C:\\Users\\annex\\a.txt', null, 8)"),
              1);
    ASSERT_TRUE(SetAliases(store.Handle(), 3, L"vs 编"));  // 编辑器's words of its own
    const TransferResult out = ExportToFile(store, File("ring.json"), L"C:\\Users\\ann\\");
    ASSERT_EQ(out.exitCode, 0);
    EXPECT_EQ(out.lines[0].substr(0, 5), L"已导出 5");
    std::string json;
    bool tooLarge = false;
    ASSERT_TRUE(ReadWholeFile(File("ring.json"), json, kMaxTransferBytes, tooLarge));
    EXPECT_NE(json.find("\"format\": \"quorlin-buttons\""), std::string::npos);
    EXPECT_NE(json.find("%USERPROFILE%\\\\Desktop\\\\ed.exe"), std::string::npos);
    EXPECT_NE(json.find("\"%USERPROFILE%\""), std::string::npos);           // the folder itself, any letter case
    EXPECT_NE(json.find("C:\\\\Users\\\\annex\\\\a.txt"), std::string::npos);  // not under the profile

    // Another machine, another user.
    testing::TempDir other;
    const auto otherDb = other.MakeDatabase();
    DbSession fresh;
    ASSERT_TRUE(fresh.OpenDatabase(other.WPath(), L"bts.db", L"t"));
    const TransferResult in = ImportFromFile(fresh, File("ring.json"), L"D:\\Home\\bo", kMaxButtons, kNow);
    ASSERT_EQ(in.exitCode, 0);
    EXPECT_EQ(in.added, 4);
    ASSERT_EQ(in.lines.size(), 2u);  // row 1 is there already
    EXPECT_EQ(in.lines[1].substr(0, 7), L"跳过第 1 项");
    std::string expected = Rows(db);
    for (const std::string& from : {std::string("C:\\Users\\ann"), std::string("c:\\users\\ANN")}) {
        for (size_t p; (p = expected.find(from + "\\")) != std::string::npos || (p = expected.find(from + "|")) != std::string::npos;)
            expected.replace(p, from.size(), "D:\\Home\\bo");
    }
    EXPECT_EQ(Rows(otherDb), expected);
    EXPECT_EQ(QueryText(otherDb, "select Title, Alias from tb_Alias join tb_Btns using (ID)"), "编辑器|vs 编");
    EXPECT_EQ(ListBackups(fresh.Path()).size(), 1u);  // taken before the import
}

TEST_F(TransferTest, ImportSkipsDuplicatesAndWhatPassesTheLimitAndSaysSo) {
    for (int i = 0; i < kMaxButtons - 3; ++i)  // with row 1: room for two
        ASSERT_EQ(store.ExecuteSql(L"insert into tb_Btns (iType, Title, PathName, sort) values (0, 'f', 'C:\\f" +
                                   std::to_wstring(i) + L"', " + std::to_wstring(10 + i) + L")"),
                  1);
    const TransferResult r = Import(R"({"format":"quorlin-buttons","version":1,"buttons":[
        {"title":"dup","path":"C:\\f3","kind":0},
        {"title":"a","path":"C:\\a","kind":0,"parameter":""},
        {"title":"a again","path":"C:\\a","kind":0},
        {"title":"a as folder","path":"C:\\a","kind":2,"extra":true},
        {"title":"late","path":"C:\\late","kind":0}]})");
    ASSERT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.added, 2);
    ASSERT_EQ(r.lines.size(), 4u);
    EXPECT_EQ(r.lines[1].substr(0, r.lines[1].find(L'\n')), L"跳过第 1 项“dup”：已经有这个按钮。");
    EXPECT_EQ(r.lines[2].substr(0, 7), L"跳过第 3 项");
    EXPECT_EQ(r.lines[3].substr(0, r.lines[3].find(L'\n')), L"跳过第 5 项“late”：最多只能添加66个按钮。");
    EXPECT_EQ(QueryText(db, "select iType, Title, ifnull(Para, '<null>') from tb_Btns where ID > 2 and Title <> 'f' order by sort"),
              "0|a|<null>\n2|a as folder|<null>");
}

TEST_F(TransferTest, BadFilesAreRefusedWholeWithAMessage) {
    const std::string before = Rows(db);
    struct Case {
        std::string json;
        std::wstring says;
    } cases[] = {
        {"not json", L"导入文件不是有效的 JSON"},
        {"[1,2]", L"导入文件不是本程序导出的按钮文件"},
        {R"({"format":"other","version":1,"buttons":[]})", L"导入文件不是本程序导出的按钮文件"},
        {R"({"format":"quorlin-buttons","version":2,"buttons":[]})", L"导入文件的版本 2 不受支持"},
        {R"({"format":"quorlin-buttons","version":"1","buttons":[]})", L"导入文件的版本 \"1\" 不受支持"},
        {R"({"format":"quorlin-buttons","buttons":[]})", L"导入文件的版本 - 不受支持"},
        {R"({"format":"quorlin-buttons","version":1})", L"导入文件缺少按钮列表"},
        {R"({"format":"quorlin-buttons","version":1,"buttons":[{"title":"ok","path":"C:\\ok","kind":0},{"title":"x","kind":0}]})",
         L"第 2 项缺少路径"},
        {R"({"format":"quorlin-buttons","version":1,"buttons":[{"path":"","kind":0}]})", L"第 1 项缺少路径"},
        {R"({"format":"quorlin-buttons","version":1,"buttons":[{"path":"C:\\a","kind":7}]})", L"第 1 项的类型"},
        {R"({"format":"quorlin-buttons","version":1,"buttons":[{"path":"C:\\a","kind":1.5}]})", L"第 1 项的类型"},
        {R"({"format":"quorlin-buttons","version":1,"buttons":[{"path":"C:\\a","kind":0,"title":3}]})", L"第 1 项的 \"title\""},
        {R"({"format":"quorlin-buttons","version":1,"buttons":[{"path":"C:\\a\u0000b","kind":0}]})", L"第 1 项的 \"path\""},
        {R"({"format":"quorlin-buttons","version":1,"buttons":[7]})", L"第 1 项不是按钮对象"},
        // Entries that would run something else than they show, or reach another machine.
        {R"({"format":"quorlin-buttons","version":1,"buttons":[{"path":"search-ms:query=x","kind":4}]})", L"第 1 项“search-ms:query=x”被拒绝：网址"},
        {R"({"format":"quorlin-buttons","version":1,"buttons":[{"path":"javascript:x","kind":1}]})", L"第 1 项“javascript:x”被拒绝：网址"},
        {R"({"format":"quorlin-buttons","version":1,"buttons":[{"path":"\\\\h\\s\\x.exe","kind":0}]})", L"第 1 项“\\\\h\\s\\x.exe”被拒绝：网络路径"},
        {R"({"format":"quorlin-buttons","version":1,"buttons":[{"path":"\\\\h@SSL\\DavWWWRoot","kind":2}]})", L"第 1 项“\\\\h@SSL\\DavWWWRoot”被拒绝：网络"},
        {R"({"format":"quorlin-buttons","version":1,"buttons":[{"path":"file://h/x.exe","kind":0}]})", L"第 1 项“file://h/x.exe”被拒绝：文件"},
        {R"({"format":"quorlin-buttons","version":1,"buttons":[{"path":"C:\\a","kind":0,"title":")" + std::string(261, 't') +
             R"("}]})",
         L"第 1 项“C:\\a”被拒绝：标题、路径或参数太长"},
        {R"({"format":"quorlin-buttons","version":1,"buttons":[{"path":"C:\\a","kind":0,"aliases":")" + std::string(101, 'a') +
             R"("}]})",
         L"第 1 项“C:\\a”被拒绝：标题、路径或参数太长，或别名太长"},
        {R"({"format":"quorlin-buttons","version":1,"buttons":[{"path":"C:\\a","kind":0,"aliases":3}]})", L"第 1 项的 \"aliases\""},
    };
    for (const Case& c : cases) {
        const TransferResult r = Import(c.json);
        EXPECT_EQ(r.exitCode, 2) << c.json;
        ASSERT_FALSE(r.lines.empty()) << c.json;
        EXPECT_EQ(r.lines[0].substr(0, c.says.size()), c.says) << c.json;
        EXPECT_NE(r.lines[0].find(L'\n'), std::wstring::npos) << "an English line follows";
    }
    EXPECT_EQ(Rows(db), before);
    EXPECT_TRUE(ListBackups(store.Path()).empty());  // refused before anything was touched
    const TransferResult missing = ImportFromFile(store, File("none.json"), L"", kMaxButtons, kNow);
    EXPECT_EQ(missing.exitCode, 2);
    EXPECT_EQ(missing.lines[0].substr(0, 6), L"无法读取文件");
    const TransferResult unwritable = ExportToFile(store, File("no/such/folder.json"), L"");
    EXPECT_EQ(unwritable.exitCode, 2);
}

TEST_F(TransferTest, HostileFilesGetAShortRefusalAndEveryMessageIsBounded) {
    const std::string head = R"({"format":"quorlin-buttons","version":)";
    // 20,000 arrays deep where a number belongs, and 8 MB of brackets: refused before they are built.
    for (const std::string& deep : {head + std::string(20000, '[') + std::string(20000, ']') + R"(,"buttons":[]})",
                                    std::string(kMaxTransferBytes, '[')}) {
        const TransferResult r = Import(deep);
        EXPECT_EQ(r.exitCode, 2);
        ASSERT_EQ(r.lines.size(), 1u);
        EXPECT_EQ(r.lines[0].substr(0, 8), L"导入文件嵌套超过");
    }
    // A parse error says where, never the failing token (here a text of a million characters).
    const TransferResult bad = Import(head + "1,\"" + std::string(1000000, 'x') + "\x01\"}");
    ASSERT_EQ(bad.lines.size(), 1u);
    EXPECT_LT(bad.lines[0].size(), 200u);
    // 20,000 duplicates, 30 refused entries: the first 20 listed, then how many more.
    std::string many = head + R"(1,"buttons":[{"title":"d","path":"C:\\d","kind":0})";
    for (int i = 0; i < 20000; ++i) many += R"(,{"title":"d","path":"C:\\d","kind":0})";
    const TransferResult dup = Import(many + "]}");
    EXPECT_EQ(dup.added, 1);
    ASSERT_EQ(dup.lines.size(), 22u) << ToUtf8(dup.lines[0]);
    EXPECT_EQ(dup.lines[21].substr(0, 16), L"……另有 19980 项未列出。");
    std::string refused = head + R"(1,"buttons":[{"path":"\\\\h\\s","kind":0})";
    for (int i = 0; i < 29; ++i) refused += R"(,{"path":"\\\\h\\s","kind":0})";
    const TransferResult r = Import(refused + "]}");
    ASSERT_EQ(r.lines.size(), 21u);
    EXPECT_EQ(r.lines[20].substr(0, 13), L"……另有 10 项未列出。");
}

TEST_F(TransferTest, ProfileFolderIsReplacedOnlyAtAFolderBoundary) {
    EXPECT_EQ(ToProfileRelative(L"C:\\Users\\me\\a", L"C:\\Users\\me"), L"%USERPROFILE%\\a");
    EXPECT_EQ(ToProfileRelative(L"C:\\Users\\meg\\a", L"C:\\Users\\me"), L"C:\\Users\\meg\\a");
    EXPECT_EQ(ToProfileRelative(L"C:\\Users\\me\\a", L""), L"C:\\Users\\me\\a");
    EXPECT_EQ(FromProfileRelative(L"%userprofile%\\a", L"D:\\p\\"), L"D:\\p\\a");
    EXPECT_EQ(FromProfileRelative(L"%USERPROFILE%x\\a", L"D:\\p"), L"%USERPROFILE%x\\a");
    // Shell entries and web addresses are never touched.
    const std::string json = MakeTransferJson({{L"t", L"C:\\Users\\me", ItemKind::Url, L""}}, L"C:\\Users\\me");
    EXPECT_NE(json.find("\"C:\\\\Users\\\\me\""), std::string::npos);
}

TEST(EntryRulesTest, LocalPathsAndTheProgramsOwnShellEntriesPassAndNothingElse) {
    using R = EntryRefusal;
    const struct {
        int kind;
        const wchar_t* path;
        const wchar_t* parameter;
        R says;
    } cases[] = {
        {0, L"C:/a.exe", L"-x", R::None},
        {2, L"%UserProfile%", L"", R::None},
        {0, L"\\\\?\\D:\\long", L"", R::None},
        {0, L"\\\\?\\UNC\\h\\s\\x", L"", R::NetworkPath},
        {0, L"\\\\.\\PhysicalDrive0", L"", R::NetworkPath},
        {0, L"\\??\\C:\\x", L"", R::NetworkPath},
        {2, L"//h/s", L"", R::NetworkPath},
        {0, L"%USERPROFILE%x\\a", L"", R::NotLocalPath},
        {0, L"cmd.exe", L"", R::NotLocalPath},
        {0, L"C:x.exe", L"", R::NotLocalPath},
        {0, L"ms-msdt:/id x", L"", R::NotLocalPath},
        {4, L"HTTP://x", L"", R::WebAddress},  // letter case counts, as in the add dialog
        {3, kBrowserPath, kBrowserHomePage, R::None},
        {3, kRecycleBinPath, L"/x", R::ShellEntry},
    };
    for (const auto& c : cases) EXPECT_EQ(CheckEntry(c.kind, c.path, c.parameter), c.says) << ToUtf8(c.path);
}

}  // namespace
}  // namespace quorlin
