#include "app/ui_language.h"

#include <gtest/gtest.h>

namespace quorlin {
namespace {

const unsigned short kZhCN = 0x0804, kZhTW = 0x0404, kEnUS = 0x0409, kDeDE = 0x0407;

TEST(UiLanguageTest, FollowsTheDisplayLanguageChineseForEveryZh) {
    EXPECT_EQ(ChooseUiLanguage(L"", kZhCN), UiLanguage::Chinese);
    EXPECT_EQ(ChooseUiLanguage(L"", kZhTW), UiLanguage::Chinese);
    EXPECT_EQ(ChooseUiLanguage(L"", kEnUS), UiLanguage::English);
    EXPECT_EQ(ChooseUiLanguage(L"", kDeDE), UiLanguage::English);
}

TEST(UiLanguageTest, TheLangSettingOverridesAndUnknownValuesAreIgnored) {
    EXPECT_EQ(ChooseUiLanguage(L"zh", kEnUS), UiLanguage::Chinese);
    EXPECT_EQ(ChooseUiLanguage(L"ZH-cn", kEnUS), UiLanguage::Chinese);
    EXPECT_EQ(ChooseUiLanguage(L"en", kZhCN), UiLanguage::English);
    EXPECT_EQ(ChooseUiLanguage(L"en_GB", kZhCN), UiLanguage::English);
    EXPECT_EQ(ChooseUiLanguage(L"english", kZhCN), UiLanguage::Chinese);  // not a language tag
    EXPECT_EQ(ChooseUiLanguage(L"fr", kZhCN), UiLanguage::Chinese);
    EXPECT_EQ(ChooseUiLanguage(L"z", kEnUS), UiLanguage::English);
}

}  // namespace
}  // namespace quorlin
