// The command line's switches and its run on a store beside the program.
#include <gtest/gtest.h>

#include "app/command_line.h"
#include "framework/text.h"
#include "support/fakes.h"
#include "support/temp_dir.h"

namespace quorlin {
namespace {

using Kind = CommandLineAction::Kind;

TEST(CommandLineTest, SwitchesAndTheirFile) {
    EXPECT_EQ(ParseCommandLine({}).kind, Kind::None);
    EXPECT_EQ(ParseCommandLine({L"whatever", L"x"}).kind, Kind::None);  // started as before
    const CommandLineAction e = ParseCommandLine({L"--EXPORT", L"C:\\a b.json"});
    EXPECT_EQ(e.kind, Kind::Export);
    EXPECT_EQ(e.file, L"C:\\a b.json");
    EXPECT_EQ(ParseCommandLine({L"--import", L"f"}).kind, Kind::Import);
    EXPECT_EQ(ParseCommandLine({L"--import"}).kind, Kind::Usage);
    EXPECT_EQ(ParseCommandLine({L"--import", L""}).kind, Kind::Usage);
    EXPECT_EQ(ParseCommandLine({L"--export", L"a", L"b"}).kind, Kind::Usage);
    EXPECT_EQ(ParseCommandLine({L"--Settings"}).kind, Kind::Settings);
    EXPECT_EQ(ParseCommandLine({L"--settings", L"x"}).kind, Kind::Usage);
}

TEST(CommandLineTest, StoreThatCannotBeOpenedIsReportedNotShown) {
    testing::TempDir dir;
    testing::RecordingMessageBoxes boxes;
    const TransferResult r = RunCommandLineAction({Kind::Export, FromUtf8(dir.File("out.json").string())}, dir.WPath(),
                                                  L"", DateTime{});
    EXPECT_EQ(r.exitCode, 3);
    ASSERT_FALSE(r.lines.empty());
    EXPECT_EQ(r.lines[0].substr(0, 7), L"打开数据失败！");
    EXPECT_EQ(boxes.Count(), 0u);
    EXPECT_FALSE(std::filesystem::exists(dir.File("out.json")));
    EXPECT_FALSE(std::filesystem::exists(dir.File("bts.db")));
    EXPECT_EQ(RunCommandLineAction({Kind::Usage, L""}, dir.WPath(), L"", DateTime{}).exitCode, kExitUsage);
}

TEST(CommandLineTest, ImportOfADisguisedShellEntryIsRefusedWithNothingAdded) {
    testing::TempDir dir;
    testing::RecordingMessageBoxes boxes;
    const auto db = dir.MakeDatabase();
    const std::string before = testing::QueryText(db, "select * from tb_Btns");
    dir.WriteFile("in.json", R"({"format":"quorlin-buttons","version":1,"buttons":[{"title":"ok","path":"C:\\ok.txt","kind":0},
        {"title":"我的电脑","kind":3,"path":"C:\\Windows\\System32\\cmd.exe","parameter":"/c start \\\\host\\s\\x.exe"}]})");
    const TransferResult r = RunCommandLineAction({Kind::Import, FromUtf8(dir.File("in.json").string())}, dir.WPath(),
                                                  L"", DateTime{2026, 12, 9, 12, 0, 0});
    EXPECT_EQ(r.exitCode, 2);
    ASSERT_EQ(r.lines.size(), 1u);
    EXPECT_EQ(r.lines[0].substr(0, 19), L"第 2 项“我的电脑”被拒绝：系统项目");
    EXPECT_EQ(testing::QueryText(db, "select * from tb_Btns"), before);
}

}  // namespace
}  // namespace quorlin
