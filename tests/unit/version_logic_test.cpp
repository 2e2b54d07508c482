#include "update/version_logic.h"

#include <gtest/gtest.h>

#include <climits>

#include "framework/text.h"

namespace quorlin {
namespace {

using Pieces = std::vector<std::wstring>;

TEST(VersionSplit, TerminatedPieces) {
    EXPECT_EQ(SplitTerminated(L"a||b|c", L'|'), (Pieces{L"a", L"", L"b"}));
    EXPECT_EQ(SplitTerminated(L"2.0.0.9", L'|'), Pieces{});
    EXPECT_EQ(SplitTerminated(L"", L'|'), Pieces{});
    EXPECT_EQ(SplitTerminated(L"|", L'|'), Pieces{L""});
    EXPECT_EQ(SplitTerminated(L"||", L'|'), (Pieces{L"", L""}));
    EXPECT_EQ(SplitTerminated(L"2.0.0.8.", L'.'), (Pieces{L"2", L"0", L"0", L"8"}));
}

TEST(VersionNumber, WtolLikeParse) {
    EXPECT_EQ(WideToInt32(L"42abc"), 42);
    EXPECT_EQ(WideToInt32(L" \t\n 12 3"), 12);
    EXPECT_EQ(WideToInt32(L"-7"), -7);
    EXPECT_EQ(WideToInt32(L"+5"), 5);
    EXPECT_EQ(WideToInt32(L"- 5"), 0);
    EXPECT_EQ(WideToInt32(L"abc"), 0);
    EXPECT_EQ(WideToInt32(L""), 0);
    EXPECT_EQ(WideToInt32(L"2147483647"), INT32_MAX);
    EXPECT_EQ(WideToInt32(L"-2147483648"), INT32_MIN);
    EXPECT_EQ(WideToInt32(L"2147483648"), INT32_MAX);
    EXPECT_EQ(WideToInt32(L"-99999999999999999999999"), INT32_MIN);
    EXPECT_EQ(WideToInt32(L"000000000000000000000000000017"), 17);
}

TEST(VersionNumber, ComponentsWeighPowersOfTen) {
    EXPECT_EQ(VersionToNumber(L"2.0.0.8"), 2008);
    EXPECT_EQ(VersionToNumber(L"2.0.0.10"), 2010);
    EXPECT_EQ(VersionToNumber(L"2.0.1.0"), 2010);
    EXPECT_EQ(VersionToNumber(L"3"), 3);
    EXPECT_EQ(VersionToNumber(L"1.2.3"), 123);
    EXPECT_EQ(VersionToNumber(L"1..2"), 102);
    EXPECT_EQ(VersionToNumber(L""), 0);
    EXPECT_EQ(VersionToNumber(L"x.y"), 0);
    EXPECT_EQ(VersionToNumber(L"-1.0"), -10);
}

TEST(VersionNumber, HugeValuesSaturate) {
    EXPECT_EQ(VersionToNumber(L"99999999999"), INT32_MAX);
    EXPECT_EQ(VersionToNumber(L"3000000.0.0.0"), INT32_MAX);
    EXPECT_EQ(VersionToNumber(L"-3000000.0.0.0"), INT32_MIN);
    // Hundreds of components push the power of ten to infinity.
    std::wstring many = L"1";
    std::wstring zeros = L"0";
    for (int i = 0; i < 400; ++i) {
        many += L".0";
        zeros += L".0";
    }
    EXPECT_EQ(VersionToNumber(many), INT32_MAX);
    EXPECT_EQ(VersionToNumber(zeros), 0);
    EXPECT_EQ(VersionToNumber(zeros + L".5"), 5);
}

TEST(VersionText, FormatAndQuery) {
    EXPECT_EQ(FormatVersion(2, 0, 0, 8), L"2.0.0.8");
    EXPECT_EQ(FormatVersion(1000, 65535, 0, 1), L"1000.65535.0.1");
    EXPECT_EQ(FormatFileVersion(0x00020000u, 0x00000008u), L"2.0.0.8");
    EXPECT_EQ(FormatFileVersion(0x00010002u, 0x00030004u), L"1.2.3.4");
    EXPECT_EQ(BuildVersionQuery(L"http://u.example/ad/zembrick/version.php", L"2.0.0.8"),
              L"http://u.example/ad/zembrick/version.php?version=2.0.0.8");
    EXPECT_EQ(BuildVersionQuery(L"http://u.example/ad/zembrick/version.php", L""),
              L"http://u.example/ad/zembrick/version.php?version=");
}

TEST(VersionReply, NewerVersionIsNamedButNoNoteIsShown) {
    for (const wchar_t* reply : {L"2.0.0.9|x|Faster start|New icons|", L"2.0.0.9|x|Faster start", L"2.0.0.9|"}) {
        const VersionReport r = AnalyseVersionReply(reply, L"2.0.0.8");
        EXPECT_EQ(r.outcome, VersionOutcome::Newer);
        EXPECT_EQ(r.version, L"2.0.0.9");
        EXPECT_EQ(r.message, L"发现新版本:2.0.0.9 是否打开主页下载更新?");
    }
}

TEST(VersionReply, NotNewerIsUpToDate) {
    for (const wchar_t* reply : {L"2.0.0.8|", L"2.0.0.7|", L"3|", L"2.0.0.8|x|notes|"}) {
        SCOPED_TRACE(reply);
        const VersionReport r = AnalyseVersionReply(reply, L"2.0.0.8");
        EXPECT_EQ(r.outcome, VersionOutcome::UpToDate);
        EXPECT_EQ(r.message, L"已经是最新版本, 无须升级。");
    }
}

TEST(VersionReply, BadRepliesFail) {
    // Also any first field but digits and dots: the server's text is never shown.
    for (const std::wstring reply : {L"2.0.0.9", L"", L"9.9 call 555-0100|", L"<b>9</b>|", L"9..9|", L"9.|",
                                     L" 9|", L"v9|", L"900000000000000000000000000000000|"}) {
        const VersionReport r = AnalyseVersionReply(reply, L"2.0.0.8");
        EXPECT_EQ(r.outcome, VersionOutcome::Failure);
        EXPECT_EQ(r.message, L"版本检测失败,请稍候重试!");
    }
}

TEST(VersionReply, LengthLimitInUtf16Units) {
    const std::wstring head = L"2.0.0.9|x|";
    const std::wstring exact = head + std::wstring(500 - head.size() - 1, L'n') + L"|";
    ASSERT_EQ(exact.size(), 500u);
    EXPECT_EQ(AnalyseVersionReply(exact, L"2.0.0.8").outcome, VersionOutcome::Newer);
    EXPECT_EQ(AnalyseVersionReply(exact + L"|", L"2.0.0.8").outcome, VersionOutcome::Failure);
    EXPECT_EQ(AnalyseVersionReply(std::wstring(501, L'|'), L"2.0.0.8").outcome, VersionOutcome::Failure);

    // An astral character is two units on every platform.
    const std::wstring astral = head + std::wstring(500 - head.size() - 3, L'n') + L"\U0001F600|";
    EXPECT_EQ(AnalyseVersionReply(astral, L"2.0.0.8").outcome, VersionOutcome::Newer);
    EXPECT_EQ(AnalyseVersionReply(L"n" + astral, L"2.0.0.8").outcome, VersionOutcome::Failure);
}

TEST(VersionReply, UnreadableRunningVersion) {
    EXPECT_EQ(AnalyseVersionReply(L"0.0.0.1|", L"").outcome, VersionOutcome::Newer);
    EXPECT_EQ(AnalyseVersionReply(L"0|", L"").outcome, VersionOutcome::UpToDate);
}

TEST(VersionReply, WhichOutcomesAreShown) {
    EXPECT_TRUE(ShowsVersionMessage(VersionOutcome::Newer, false));
    EXPECT_TRUE(ShowsVersionMessage(VersionOutcome::Newer, true));
    EXPECT_FALSE(ShowsVersionMessage(VersionOutcome::UpToDate, false));
    EXPECT_FALSE(ShowsVersionMessage(VersionOutcome::Failure, false));
    EXPECT_TRUE(ShowsVersionMessage(VersionOutcome::UpToDate, true));
    EXPECT_TRUE(ShowsVersionMessage(VersionOutcome::Failure, true));
}

// Feeds `bytes` in two chunks split at `at`.
std::wstring FeedSplit(const std::string& bytes, std::size_t at) {
    ReplyAccumulator acc;
    acc.Feed(bytes.data(), at);
    acc.Feed(bytes.data() + at, bytes.size() - at);
    acc.Finish();
    return acc.Text();
}

TEST(ReplyAccumulator, DropsCarriageReturns) {
    ReplyAccumulator acc;
    const std::string body = "2.0.0.9|x|\r\nline|\r\n\xE6\r\x9B\xB4|";  // a CR even inside a sequence
    acc.Feed(body.data(), body.size());
    acc.Finish();
    EXPECT_EQ(acc.Text(), L"2.0.0.9|x|\nline|\n更|");
}

TEST(ReplyAccumulator, SequencesSplitAcrossChunks) {
    const std::wstring expected = L"2.0.0.9|x|更快启动|新图标\U0001F600|";
    const std::string body = ToUtf8(expected);
    for (std::size_t at = 0; at <= body.size(); ++at) {
        SCOPED_TRACE(at);
        EXPECT_EQ(FeedSplit(body, at), expected);
    }
    ReplyAccumulator oneByOne;
    for (char c : body) oneByOne.Feed(&c, 1);
    oneByOne.Finish();
    EXPECT_EQ(oneByOne.Text(), expected);
}

TEST(ReplyAccumulator, MalformedBytesDecodeAsInOnePiece) {
    const std::string samples[] = {
        "a\xE6\x9B" "b",          // sequence cut short by an ASCII byte
        "\x80\xBF\xE6",           // stray continuations, lead at the very end
        "\xF0\x9F\x98",           // astral sequence missing its last byte
        "\xC0\xAF\xED\xA0\x80z",  // overlong form and an encoded surrogate
        "\xFF\xE6\x9B\xB4\xE6",
    };
    for (const std::string& s : samples) {
        const std::wstring whole = FromUtf8(s);
        for (std::size_t at = 0; at <= s.size(); ++at) {
            SCOPED_TRACE(at);
            EXPECT_EQ(FeedSplit(s, at), whole);
        }
    }
}

TEST(ReplyAccumulator, UnfinishedSequenceWaitsForFinish) {
    ReplyAccumulator acc;
    acc.Feed("ab\xE6\x9B", 4);
    EXPECT_EQ(acc.Text(), L"ab");
    acc.Finish();
    EXPECT_EQ(acc.Text(), L"ab\uFFFD\uFFFD");
}

TEST(ReplyAccumulator, ZeroByteEndsItsLine) {
    ReplyAccumulator acc;
    acc.Feed("2.0|x", 5);
    acc.Feed("\0junk", 5);
    acc.Feed("more\nnote|", 10);
    acc.Finish();
    EXPECT_EQ(acc.Text(), L"2.0|xnote|");
}

TEST(ReplyAccumulator, TooLongAfterFiveHundredUnits) {
    ReplyAccumulator acc;
    const std::string ascii(500, 'a');
    acc.Feed(ascii.data(), ascii.size());
    EXPECT_FALSE(acc.TooLong());
    acc.Feed("b", 1);
    EXPECT_TRUE(acc.TooLong());
    const std::size_t size = acc.Text().size();
    acc.Feed("ccc", 3);
    acc.Finish();
    EXPECT_EQ(acc.Text().size(), size);  // ignored once refused

    // 250 Chinese characters are 750 bytes but only 250 units.
    ReplyAccumulator cjk;
    std::string body;
    for (int i = 0; i < 250; ++i) body += "\xE6\x9B\xB4";
    cjk.Feed(body.data(), body.size());
    EXPECT_FALSE(cjk.TooLong());

    // 499 units plus one astral character: 501 units on every platform.
    ReplyAccumulator astral;
    const std::string head(499, 'a');
    astral.Feed(head.data(), head.size());
    astral.Feed("\xF0\x9F\x98", 3);
    EXPECT_FALSE(astral.TooLong());
    astral.Feed("\x80", 1);
    EXPECT_TRUE(astral.TooLong());
}

TEST(ReplyAccumulator, StopsEarlyInsideOneHugeChunk) {
    ReplyAccumulator acc;
    const std::string page(1 << 20, 'x');
    acc.Feed(page.data(), page.size());
    EXPECT_TRUE(acc.TooLong());
    EXPECT_LT(acc.Text().size(), 4096u);
}

}  // namespace
}  // namespace quorlin
