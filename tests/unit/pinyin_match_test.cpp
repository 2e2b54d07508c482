// Typing pinyin, initials, Latin letters and digits at Chinese titles: the table made from
// the Unihan readings and the matcher's kinds, which rank the ring's matches.
#include <gtest/gtest.h>

#include <algorithm>

#include "panel/pinyin_match.h"
#include "panel/pinyin_table.h"

namespace quorlin {
namespace {

bool Has(const std::vector<std::string>& readings, const std::string& r) {
    return std::find(readings.begin(), readings.end(), r) != readings.end();
}

TEST(PinyinTable, EveryReadingOfTheBmpsIdeographsTonesDroppedWithinItsBudget) {
    EXPECT_GT(pinyin_table::kCharacterCount, 26000u);  // both blocks of the plane, Extension A too
    EXPECT_LE(pinyin_table::kTableBytes, 300u * 1024);
    EXPECT_TRUE(Has(PinyinOf(L'重'), "zhong") && Has(PinyinOf(L'重'), "chong"));
    EXPECT_TRUE(Has(PinyinOf(L'行'), "xing") && Has(PinyinOf(L'行'), "hang"));
    EXPECT_EQ(PinyinOf(L'绿').front(), "lv");
    EXPECT_FALSE(PinyinOf(L'\x3400').empty());  // the first of Extension A
    EXPECT_TRUE(PinyinOf(L'a').empty());
}

TEST(PinyinMatch, PolyphonesInitialsMixedTextAndAnyPart) {
    for (const wchar_t* typed : {L"chongqing", L"zhongqing", L"ZhongQ", L"重qing"})
        EXPECT_EQ(MatchText(L"重庆", typed), MatchKind::TitleStart) << typed;
    for (const wchar_t* typed : {L"cq", L"zq", L"zhq"}) EXPECT_EQ(MatchText(L"重庆", typed), MatchKind::Initials) << typed;
    EXPECT_EQ(MatchText(L"中国银行", L"yinhang"), MatchKind::AnyPart);
    EXPECT_EQ(MatchText(L"ＱＱ音乐", L"qqyy"), MatchKind::Initials);
    EXPECT_EQ(MatchText(L"QQ音乐2", L"qqyinyue2"), MatchKind::TitleStart);
    EXPECT_EQ(MatchText(L"微信", L"xin"), MatchKind::AnyPart);
    EXPECT_EQ(MatchText(L"微信", L"wx"), MatchKind::Initials);
    EXPECT_EQ(MatchText(L"绿色", L"luse"), MatchKind::TitleStart);  // ü typed u (or v)
    for (const wchar_t* typed : {L"in", L"qc", L"chongqingx", L"xw", L"c q"})
        EXPECT_EQ(MatchText(L"重庆", typed), MatchKind::None) << typed;
}

TEST(PinyinMatch, KindsRankTitleStartWordStartInitialsAnyPart) {
    const SearchText code(L"Visual Studio Code");
    EXPECT_EQ(code.Match(L"vis"), MatchKind::TitleStart);
    EXPECT_EQ(code.Match(L"studio c"), MatchKind::WordStart);
    EXPECT_EQ(code.Match(L"vsc"), MatchKind::Initials);
    EXPECT_EQ(code.Match(L"vis stu"), MatchKind::Initials);
    EXPECT_EQ(code.Match(L"sual"), MatchKind::AnyPart);
    EXPECT_EQ(code.Match(L""), MatchKind::TitleStart);
    EXPECT_EQ(MatchText(L"腾讯 QQ", L"qq"), MatchKind::WordStart);
    EXPECT_EQ(MatchText(L"[测试]记事本", L"jsb"), MatchKind::Initials);
    // Beyond 63 typed characters only the characters count.
    const std::wstring longTitle(70, L'a');
    EXPECT_EQ(MatchText(L"x" + longTitle, longTitle), MatchKind::AnyPart);
    EXPECT_EQ(MatchText(L"重庆" + longTitle, L"c" + longTitle), MatchKind::None);
}

}  // namespace
}  // namespace quorlin
