#include "panel/keyboard_rules.h"

#include <gtest/gtest.h>

namespace quorlin {
namespace {

TEST(TitleFold, FoldsLatinGreekCyrillicAndFullWidthAndLeavesChinese) {
    EXPECT_EQ(FoldText(L"NotePad++ 2"), L"notepad++ 2");
    EXPECT_EQ(FoldText(L"ÀÉÎÕÜ×ÞŸ"), L"àéîõü×þÿ");
    EXPECT_EQ(FoldText(L"ĀĆŁŃŒŚŹŻŽİı"), L"āćłńœśźżži" L"ı");
    EXPECT_EQ(FoldText(L"ΑΩΆΎ ЖЁ"), L"αωάύ жё");
    EXPECT_EQ(FoldText(L"ＱＱ音乐１"), L"qq音乐1");
    EXPECT_EQ(FoldText(L"记事本"), L"记事本");
}

TEST(TitleFold, MatchesAnyPartCaseInsensitively) {
    EXPECT_TRUE(TitleMatches(L"Visual Studio Code", L"studio c"));
    EXPECT_TRUE(TitleMatches(L"ZŁOTY", L"złot"));
    EXPECT_TRUE(TitleMatches(L"腾讯QQ", L"讯q"));
    EXPECT_TRUE(TitleMatches(L"anything", L""));
    EXPECT_FALSE(TitleMatches(L"记事本", L"计"));
    EXPECT_FALSE(TitleMatches(L"Paint", L"paints"));
}

TEST(PanelKeys, VirtualKeysByMeaning) {
    EXPECT_EQ(PanelKeyFor(0x09, false), PanelKey::Next);
    EXPECT_EQ(PanelKeyFor(0x09, true), PanelKey::Previous);
    EXPECT_EQ(PanelKeyFor(0x27, true), PanelKey::Next);
    EXPECT_EQ(PanelKeyFor(0x28, false), PanelKey::Next);
    EXPECT_EQ(PanelKeyFor(0x25, false), PanelKey::Previous);
    EXPECT_EQ(PanelKeyFor(0x26, false), PanelKey::Previous);
    EXPECT_EQ(PanelKeyFor(0x0D, false), PanelKey::Enter);
    EXPECT_EQ(PanelKeyFor(0x08, false), PanelKey::Backspace);
    EXPECT_EQ(PanelKeyFor(0x1B, false), PanelKey::Escape);
    EXPECT_FALSE(PanelKeyFor(0x41, false));  // letters come as characters
    EXPECT_FALSE(PanelKeyFor(0x31, false));
}

class KeyboardSessionTest : public ::testing::Test {
protected:
    void SetUp() override { s.SetTitles({L"Notepad", L"记事本", L"Word", L"Calculator", L"WordPad", L"画图"}); }
    KeyActions Type(const std::wstring& text) {
        KeyActions last;
        for (wchar_t c : text) last = s.OnChar(c);
        return last;
    }
    std::vector<int> Dimmed() const {
        std::vector<int> d;
        for (std::size_t i = 0; i < 6; ++i)
            if (s.IsDimmed(i)) d.push_back(static_cast<int>(i));
        return d;
    }
    KeyboardSession s;
};

TEST_F(KeyboardSessionTest, TypingFiltersDimsAndSelectsTheFirstMatch) {
    EXPECT_EQ(s.selected(), -1);
    EXPECT_TRUE(Dimmed().empty());
    const KeyActions a = Type(L"WORD");
    EXPECT_TRUE(a.handled);
    EXPECT_TRUE(a.repaint);
    EXPECT_TRUE(a.moveTip);
    EXPECT_EQ(a.open, -1);
    EXPECT_EQ(s.filter(), L"WORD");
    EXPECT_EQ(s.selected(), 2);
    EXPECT_EQ(Dimmed(), (std::vector<int>{0, 1, 3, 5}));
    Type(L"p");
    EXPECT_EQ(s.selected(), 4);
    Type(L"x");  // no match: all dimmed, nothing to open
    EXPECT_EQ(s.selected(), -1);
    EXPECT_EQ(Dimmed().size(), 6u);
    EXPECT_EQ(s.OnKey(PanelKey::Enter).open, -1);
}

TEST_F(KeyboardSessionTest, ChineseTextFromAnInputMethodMatchesByCharacters) {
    Type(L"事本");
    EXPECT_EQ(s.selected(), 1);
    EXPECT_EQ(s.OnKey(PanelKey::Enter).open, 1);
    s.OnKey(PanelKey::Escape);
    Type(L"图");
    EXPECT_EQ(s.selected(), 5);
}

TEST_F(KeyboardSessionTest, ArrowsAndTabWrapAmongMatchesInRingOrder) {
    Type(L"o");  // Notepad, Word, Calculator, WordPad
    EXPECT_EQ(s.selected(), 0);
    const std::vector<int> forward{2, 3, 4, 0};
    for (int expected : forward) {
        const KeyActions a = s.OnKey(PanelKey::Next);
        EXPECT_TRUE(a.repaint && a.moveTip);
        EXPECT_EQ(s.selected(), expected);
    }
    s.OnKey(PanelKey::Previous);
    EXPECT_EQ(s.selected(), 4);
    // With no filter every button takes part; the first move selects the first or the last.
    s.OnKey(PanelKey::Escape);
    s.OnKey(PanelKey::Previous);
    EXPECT_EQ(s.selected(), 5);
    s.OnKey(PanelKey::Next);
    EXPECT_EQ(s.selected(), 0);
    // A single match stays put.
    s.OnKey(PanelKey::Escape);
    Type(L"calc");
    EXPECT_FALSE(s.OnKey(PanelKey::Next).repaint);
    EXPECT_EQ(s.selected(), 3);
}

TEST_F(KeyboardSessionTest, BackspaceEditsAndAnEmptyFilterSelectsNothing) {
    Type(L"wordp");
    EXPECT_EQ(s.selected(), 4);
    EXPECT_TRUE(s.OnKey(PanelKey::Backspace).repaint);
    EXPECT_EQ(s.filter(), L"word");
    EXPECT_EQ(s.selected(), 2);
    for (int i = 0; i < 4; ++i) s.OnKey(PanelKey::Backspace);
    EXPECT_EQ(s.filter(), L"");
    EXPECT_EQ(s.selected(), -1);
    EXPECT_TRUE(Dimmed().empty());
    const KeyActions more = s.OnKey(PanelKey::Backspace);
    EXPECT_TRUE(more.handled);
    EXPECT_FALSE(more.repaint);
}

TEST_F(KeyboardSessionTest, BackspaceRemovesBothHalvesOfASurrogatePair) {
    s.SetTitles({L"a\xD83D\xDE00", L"ab"});
    Type(L"a\xD83D\xDE00");
    EXPECT_EQ(s.selected(), 0);
    s.OnKey(PanelKey::Backspace);
    EXPECT_EQ(s.filter(), L"a");
}

TEST_F(KeyboardSessionTest, EscClearsFirstAndSendsBackSecond) {
    Type(L"word");
    const KeyActions first = s.OnKey(PanelKey::Escape);
    EXPECT_TRUE(first.handled && first.repaint && first.moveTip);
    EXPECT_FALSE(first.sendBack);
    EXPECT_EQ(s.filter(), L"");
    EXPECT_EQ(s.selected(), -1);
    EXPECT_TRUE(s.OnKey(PanelKey::Escape).sendBack);
    // A selection made with the arrows is cleared the same way.
    s.OnKey(PanelKey::Next);
    EXPECT_FALSE(s.OnKey(PanelKey::Escape).sendBack);
    EXPECT_TRUE(s.OnKey(PanelKey::Escape).sendBack);
}

TEST_F(KeyboardSessionTest, DigitsOpenTheFirstNineOnlyWithoutAFilter) {
    EXPECT_EQ(s.OnChar(L'1').open, 0);
    EXPECT_EQ(s.OnChar(L'6').open, 5);
    EXPECT_EQ(s.OnChar(L'３').open, 2);  // full-width, from an input method
    const KeyActions beyond = s.OnChar(L'7');
    EXPECT_TRUE(beyond.handled);
    EXPECT_EQ(beyond.open, -1);
    EXPECT_EQ(s.filter(), L"");
    // '0' starts a filter; in a filter digits are text.
    s.SetTitles({L"7-Zip", L"Word 2016"});
    EXPECT_EQ(s.OnChar(L'0').open, -1);
    EXPECT_EQ(s.OnChar(L'1').open, -1);
    EXPECT_EQ(s.filter(), L"01");
    EXPECT_EQ(s.selected(), 1);
    // The ninth of nine or more.
    s.OnKey(PanelKey::Escape);
    s.SetTitles(std::vector<std::wstring>(10, L"x"));
    EXPECT_EQ(s.OnChar(L'9').open, 8);
}

TEST_F(KeyboardSessionTest, ControlCharactersAndALeadingSpaceAreNotText) {
    for (wchar_t c : {L'\b', L'\r', L'\t', L'\x1B', L'\x7F'}) EXPECT_FALSE(s.OnChar(c).handled);
    EXPECT_TRUE(s.OnChar(L' ').handled);
    EXPECT_TRUE(s.OnChar(L'\x3000').handled);
    EXPECT_EQ(s.filter(), L"");
    Type(L"word p");
    EXPECT_EQ(s.selected(), -1);  // "WordPad" has no space
}

TEST_F(KeyboardSessionTest, PinyinAndAliasesMatchAndTheBestMatchesComeFirst) {
    s.SetTitles({L"Sticky Notes", L"记事本", L"Notepad", L"微信"}, {L"", L"", L"", L"chat im"});
    Type(L"no");  // the start of a title before the start of a word
    EXPECT_EQ(s.Ranked(), (std::vector<int>{2, 0}));
    EXPECT_EQ(s.selected(), 2);
    s.OnKey(PanelKey::Next);
    EXPECT_EQ(s.selected(), 0);
    s.OnKey(PanelKey::Escape);
    Type(L"jsb");
    EXPECT_EQ(s.selected(), 1);
    EXPECT_EQ(s.KindOf(1), MatchKind::Initials);
    s.OnKey(PanelKey::Escape);
    Type(L"im");
    EXPECT_EQ(s.Ranked(), (std::vector<int>{3}));
}

TEST_F(KeyboardSessionTest, UsageOrdersEqualMatchesButNeverABetterOne) {
    const std::vector<std::wstring> titles{L"Word", L"WordPad", L"MS Word"};
    s.SetTitles(titles, {}, {{1, 100}, {2, 50}, {9, 900}});
    Type(L"word");  // two title starts, then the start of a word however often opened
    EXPECT_EQ(s.Ranked(), (std::vector<int>{1, 0, 2}));
    EXPECT_EQ(s.selected(), 1);
    s.SetTitles(titles, {}, {{2, 60}, {2, 50}, {9, 900}});  // as often: the later first
    EXPECT_EQ(s.Ranked(), (std::vector<int>{0, 1, 2}));
    s.OnKey(PanelKey::Escape);
    EXPECT_EQ(s.Ranked(), (std::vector<int>{0, 1, 2}));  // nothing typed: ring order
}

TEST_F(KeyboardSessionTest, EnterOpensTheSelectedOne) {
    EXPECT_EQ(s.OnKey(PanelKey::Enter).open, -1);
    Type(L"CALC");
    const KeyActions a = s.OnKey(PanelKey::Enter);
    EXPECT_TRUE(a.handled);
    EXPECT_EQ(a.open, 3);
}

TEST_F(KeyboardSessionTest, NewTitlesKeepTheFilterAndReselect) {
    Type(L"pad");
    EXPECT_EQ(s.selected(), 0);
    s.SetTitles({L"Word", L"WordPad"});
    EXPECT_EQ(s.filter(), L"pad");
    EXPECT_EQ(s.selected(), 1);
    EXPECT_TRUE(s.IsDimmed(0));
    EXPECT_FALSE(s.IsDimmed(7));  // out of range: nothing to dim
    // Without a filter a selection past the end is dropped.
    s.OnKey(PanelKey::Escape);
    s.SetTitles({L"a", L"b", L"c"});
    s.OnKey(PanelKey::Previous);
    EXPECT_EQ(s.selected(), 2);
    s.SetTitles({L"a"});
    EXPECT_EQ(s.selected(), -1);
    s.SetTitles({});
    EXPECT_FALSE(s.OnKey(PanelKey::Next).repaint);
    EXPECT_EQ(s.OnChar(L'1').open, -1);
}

TEST_F(KeyboardSessionTest, LosingTheKeyboardForgetsEverything) {
    EXPECT_FALSE(s.Reset().repaint);
    Type(L"word");
    const KeyActions a = s.Reset();
    EXPECT_FALSE(a.handled);
    EXPECT_TRUE(a.repaint && a.moveTip);
    EXPECT_EQ(s.filter(), L"");
    EXPECT_EQ(s.selected(), -1);
}

}  // namespace
}  // namespace quorlin
