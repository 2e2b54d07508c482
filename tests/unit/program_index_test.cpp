// The Start menu's programs: the walk of the Programs folders within its caps, and the
// best names for what is typed.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>

#include "framework/text.h"
#include "panel/program_index.h"
#include "support/temp_dir.h"

namespace quorlin {
namespace {

namespace fs = std::filesystem;

void Touch(const fs::path& file) {
    fs::create_directories(file.parent_path());
    std::ofstream(file) << "x";
}

TEST(ProgramIndex, WalksTheProgramsFoldersWithinItsCapsAndNeverFollowsLinks) {
    testing::TempDir user, all, many;
    Touch(user.File("记事本.lnk"));
    Touch(user.File("Accessories/画图.LNK"));
    Touch(user.File("Site.url"));
    Touch(user.File("readme.txt"));
    Touch(user.File("a/b/c/d/e/f/g/h/deep.lnk"));  // deeper than the walk goes
    fs::create_directory_symlink(user.Path(), user.File("loop"));  // a cycle
    Touch(all.File("记事本.lnk"));  // the same place under all users: listed once
    Touch(all.File("Tools/App.appref-ms"));
    std::vector<std::string> found;
    for (const ProgramEntry& e : ScanPrograms({user.WPath(), all.WPath(), user.WPath() + L"/gone"}))
    {
        found.push_back(ToUtf8(e.from + L"|" + e.name));
        EXPECT_TRUE(fs::is_regular_file(ToUtf8(e.FullPath()))) << ToUtf8(e.FullPath());  // its root and the rest
    }
    std::sort(found.begin(), found.end());
    EXPECT_EQ(found, (std::vector<std::string>{"Accessories|画图", "Tools|App", "|Site", "|记事本"}));
    for (int i = 0; i < static_cast<int>(kMaxPrograms) + 10; ++i) Touch(many.File(std::to_string(i) + ".lnk"));
    EXPECT_EQ(ScanPrograms({many.WPath()}).size(), kMaxPrograms);
}

TEST(ProgramIndex, FindsTheBestFirstByPinyinTooAtMostTheLimit) {
    ProgramIndex index;
    index.Set({{L"Windows 记事本", L"", L""}, {L"记事本", L"", L""}, {L"计算器", L"", L""}, {L"Notepad++", L"", L""}});
    std::vector<std::wstring> names;
    for (const ProgramIndex::Hit& h : index.Find(L"JSB")) names.push_back(index.Entries()[h.index].name);
    EXPECT_EQ(names, (std::vector<std::wstring>{L"Windows 记事本", L"记事本"}));  // equals by name
    const auto used = [](const ProgramEntry& e) { return e.name == L"记事本" ? Usage{1, 5} : Usage{}; };
    EXPECT_EQ(index.Entries()[index.Find(L"JSB", 8, used)[0].index].name, L"记事本");  // the one opened first
    ASSERT_EQ(index.Find(L"j", 1).size(), 1u);
    EXPECT_EQ(index.Find(L"j", 1)[0].kind, MatchKind::TitleStart);
    EXPECT_TRUE(index.Find(L"").empty());
}

}  // namespace
}  // namespace quorlin
