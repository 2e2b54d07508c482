#include "panel/hotkey_text.h"
#include "dialogs/settings_logic.h"
#include "panel/held_notices.h"

#include <gtest/gtest.h>

#include <cwchar>

namespace quorlin {
namespace {

Hotkey Parsed(const std::wstring& text) {
    const std::optional<Hotkey> h = ParseHotkey(text);
    EXPECT_TRUE(h.has_value()) << "refused: " << std::string(text.begin(), text.end());
    return h.value_or(Hotkey{});
}

TEST(HotkeyText, ParsesModifiersInAnyCaseOrderAndSpelling) {
    EXPECT_EQ(Parsed(L"Ctrl+Alt+Q"), (Hotkey{kModControl | kModAlt, 0x51}));
    EXPECT_EQ(Parsed(L" control + ALT + q "), (Hotkey{kModControl | kModAlt, 0x51}));
    EXPECT_EQ(Parsed(L"q+alt+ctrl"), (Hotkey{kModControl | kModAlt, 0x51}));
    EXPECT_EQ(Parsed(L"Win+S"), kWinSHotkey);
    EXPECT_EQ(Parsed(L"windows+shift+s"), (Hotkey{kModWin | kModShift, 0x53}));
}

TEST(HotkeyText, ParsesEveryKindOfKey) {
    EXPECT_EQ(Parsed(L"Alt+7").vk, 0x37u);
    EXPECT_EQ(Parsed(L"Alt+0").vk, 0x30u);
    EXPECT_EQ(Parsed(L"Ctrl+F1").vk, 0x70u);
    EXPECT_EQ(Parsed(L"Ctrl+f24").vk, 0x87u);
    EXPECT_EQ(Parsed(L"Ctrl+Num0").vk, 0x60u);
    EXPECT_EQ(Parsed(L"Ctrl+num9").vk, 0x69u);
    EXPECT_EQ(Parsed(L"Ctrl+Alt+Space"), kDefaultHotkey);
    EXPECT_EQ(Parsed(L"Ctrl+PgUp").vk, 0x21u);
    EXPECT_EQ(Parsed(L"Ctrl+pagedown").vk, 0x22u);
    EXPECT_EQ(Parsed(L"Ctrl+Ins").vk, 0x2Du);
    EXPECT_EQ(Parsed(L"Ctrl+Delete").vk, 0x2Eu);
    EXPECT_EQ(Parsed(L"Win+Home").vk, 0x24u);
    EXPECT_EQ(Parsed(L"Alt+Pause").vk, 0x13u);
}

TEST(HotkeyText, RefusesJunk) {
    for (const wchar_t* junk :
         {L"", L"   ", L"Q", L"F10", L"Ctrl+Alt", L"Ctrl+", L"+Q", L"Ctrl++Q", L"Ctrl+Ctrl+Q", L"Ctrl+Control+Q",
          L"Ctrl+Q+W", L"Ctrl+F0", L"Ctrl+F25", L"Ctrl+F01", L"Ctrl+Fx", L"Ctrl+Num10", L"Ctrl+Esc", L"Ctrl+;",
          L"Ctrl+Ä", L"Ctrl+Ｑ", L"Shift+Q", L"Hyper+Q", L"Ctrl Alt Q", L"Ctrl-Alt-Q", L"Ctrl+Alt+Q\x0001"}) {
        EXPECT_FALSE(ParseHotkey(junk).has_value()) << std::string(junk, junk + wcslen(junk));
    }
}

TEST(HotkeyText, FormatsInOneOrderAndReadsBack) {
    EXPECT_EQ(FormatHotkey(kDefaultHotkey), L"Ctrl+Alt+Space");
    EXPECT_EQ(FormatHotkey(kWinSHotkey), L"Win+S");
    EXPECT_EQ(FormatHotkey(Parsed(L"win+shift+alt+ctrl+pgdn")), L"Ctrl+Alt+Shift+Win+PageDown");
    EXPECT_EQ(FormatHotkey(Hotkey{kModControl, 0xBA}), L"Ctrl+0xBA");
    for (const wchar_t* text : {L"Ctrl+Alt+F10", L"Alt+Num5", L"Ctrl+Shift+Z", L"Win+Del", L"Alt+9"}) {
        EXPECT_EQ(FormatHotkey(Parsed(text)), FormatHotkey(Parsed(FormatHotkey(Parsed(text)))));
    }
    EXPECT_EQ(FormatHotkey(Parsed(L"Win+Del")), L"Win+Delete");
    // The top of each key range is named, and read back.
    EXPECT_EQ(FormatHotkey(Parsed(L"Alt+Num9")), L"Alt+Num9");
    EXPECT_EQ(FormatHotkey(Parsed(L"Ctrl+F24")), L"Ctrl+F24");
}

TEST(HotkeyText, RegistrationAddsNoRepeat) {
    EXPECT_EQ(RegistrationModifiers(kWinSHotkey), 0x4008u);
    EXPECT_EQ(RegistrationModifiers(kDefaultHotkey), 0x4003u);
}

TEST(HotkeyText, CandidatesAreTheUsersOrWinSThenTheDefault) {
    EXPECT_EQ(HotkeyCandidates(L""), (std::vector<Hotkey>{kWinSHotkey, kDefaultHotkey}));
    EXPECT_EQ(HotkeyCandidates(L"Ctrl+Banana"), (std::vector<Hotkey>{kWinSHotkey, kDefaultHotkey}));
    const Hotkey user{kModAlt | kModShift, 0x4C};
    EXPECT_EQ(HotkeyCandidates(L"Alt+Shift+L"), (std::vector<Hotkey>{user, kDefaultHotkey}));
    EXPECT_EQ(HotkeyCandidates(L"ctrl+alt+SPACE"), (std::vector<Hotkey>{kDefaultHotkey}));
}

TEST(HotkeyText, TextsNameTheCombinations) {
    EXPECT_EQ(HotkeyMenuText(kDefaultHotkey), L"热键：Ctrl+Alt+Space");
    const std::wstring both = HotkeyRefusedText({kWinSHotkey, kDefaultHotkey});
    EXPECT_EQ(both.rfind(L"热键 Win+S、Ctrl+Alt+Space 都已被其他程序占用", 0), 0u);
    EXPECT_NE(both.find(L"“设置…”"), std::wstring::npos);
    EXPECT_EQ(HotkeyRefusedText({kDefaultHotkey}).rfind(L"热键 Ctrl+Alt+Space 已被", 0), 0u);
}

// The settings window records a combination as the field reports it and takes only what
// HOTKEY would read back; its language list maps onto LANG.
TEST(HotkeyText, RecordedCombinationsAndLanguageChoices) {
    EXPECT_EQ(ReadRecordedKey({0x11, 0x2}).state, RecordedState::Incomplete);  // Ctrl held, no key yet
    EXPECT_EQ(ReadRecordedKey({0x4B, 0}).state, RecordedState::Invalid);       // a plain K
    EXPECT_EQ(ReadRecordedKey({0x4B, 0x1}).state, RecordedState::Invalid);     // Shift+K types a capital
    EXPECT_EQ(ReadRecordedKey({0xBA, 0x2}).state, RecordedState::Invalid);     // Ctrl+; is not a key HOTKEY names
    const RecordedHotkey k = ReadRecordedKey({0x4B, 0x2 | 0x4 | 0x8});        // Ctrl+Alt+K (extended flag ignored)
    ASSERT_EQ(k.state, RecordedState::Valid);
    EXPECT_EQ(FormatHotkey(k.hotkey), L"Ctrl+Alt+K");
    EXPECT_EQ(FormatHotkey(ReadRecordedKey({0x87, 0x1 | 0x4}).hotkey), L"Alt+Shift+F24");
    EXPECT_EQ(LanguageChoiceOf(LanguageSetting(LanguageChoice::English)), LanguageChoice::English);
    EXPECT_EQ(LanguageChoiceOf(L"ZH-tw"), LanguageChoice::Chinese);
    EXPECT_EQ(LanguageChoiceOf(L"fr"), LanguageChoice::Automatic);
    EXPECT_EQ(LanguageSetting(LanguageChoice::Automatic), L"");
}

// While the user is busy the balloon and the version check's question wait; the first
// free look hands each out once.
TEST(HeldNoticesTest, WhatWaitsComesOutOnceWhenTheUserIsFree) {
    HeldNotices held;
    EXPECT_FALSE(held.Waiting(0));
    held.HoldBalloon(L"a");
    held.HoldBalloon(L"b");
    EXPECT_FALSE(held.Look(true, 1).balloon.has_value());
    EXPECT_TRUE(held.Waiting(1));
    const HeldNotices::Released out = held.Look(false, 1);
    EXPECT_EQ(out.balloon, std::optional<std::wstring>(L"b"));
    EXPECT_TRUE(out.askAgain);
    EXPECT_FALSE(held.Waiting(1));
    EXPECT_FALSE(held.Look(false, 1).askAgain);
    EXPECT_TRUE(held.Look(false, 2).askAgain);  // held again by the check it started
}

}  // namespace
}  // namespace quorlin
