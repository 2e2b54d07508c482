// The version check against a real HTTP server on 127.0.0.1 (tests/wine/version_server.py,
// started by tests/wine/run.sh), which answers each case by the first segment of the path.
// The check runs on the test thread here, except where its own worker thread is the point.
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>

#include "framework/seams.h"
#include "panel_fixture.h"
#include "update/version_check_win.h"
#include "update/version_logic.h"

namespace quorlin::testing {
namespace {

using SteadyClock = std::chrono::steady_clock;

constexpr wchar_t kHomePage[] = L"http://www.zanthe.example/";
constexpr wchar_t kFailed[] = L"版本检测失败,请稍候重试!";
constexpr wchar_t kUpToDate[] = L"已经是最新版本, 无须升级。";
constexpr wchar_t kCaption[] = L"Zanthe桌面-版本检测";

std::string EnvText(const char* name) {
    const char* v = std::getenv(name);
    return v ? v : "";
}

double SecondsSince(SteadyClock::time_point start) {
    return std::chrono::duration<double>(SteadyClock::now() - start).count();
}

// Message boxes that also note the thread each one was shown on.
class ThreadNotingBoxes : public RecordingMessageBoxes {
public:
    int Show(std::uintptr_t owner, const std::wstring& text, const std::wstring& caption, unsigned flags) override {
        lastThread = ::GetCurrentThreadId();
        return RecordingMessageBoxes::Show(owner, text, caption, flags);
    }
    std::atomic<DWORD> lastThread{0};
};

class VersionCheckTest : public PanelTest {
protected:
    void SetUp() override {
        PanelTest::SetUp();
        server = EnvText("QUORLIN_VERSION_SERVER");
        ASSERT_FALSE(server.empty())
            << "QUORLIN_VERSION_SERVER is not set: tests/wine/run.sh starts tests/wine/version_server.py "
               "and sets it (or start the server by hand and export http://127.0.0.1:PORT)";
        // The endpoint is read from the test directory's setting.ini (SettingsFile()).
        theApp().state.appDir = dir.WPath();
    }

    // The endpoint address of one case of the server.
    std::string Endpoint(const std::string& serverCase) const {
        return server + "/" + serverCase + "/ad/zembrick/version.php";
    }
    std::wstring WEndpoint(const std::string& serverCase) const {
        const std::string e = Endpoint(serverCase);
        return std::wstring(e.begin(), e.end());
    }

    // Runs a whole check against one case of the server, with the shown boxes forgotten first.
    void Check(const std::string& serverCase, bool interactive) {
        boxes.Clear();
        WriteSetting("UpdateEndpoint", Endpoint(serverCase));
        EXPECT_EQ(CheckVersion(interactive, SettingsFile()), 0u);
    }

    // The one box the last check showed.
    ShownMessage OnlyBox() {
        const auto shown = boxes.Shown();
        EXPECT_EQ(shown.size(), 1u);
        return shown.empty() ? ShownMessage{} : shown.back();
    }

    // Interactive: the failure notice. Silent: nothing at all.
    void ExpectFailure(const std::string& serverCase) {
        SCOPED_TRACE(serverCase);
        Check(serverCase, true);
        const ShownMessage box = OnlyBox();
        EXPECT_EQ(box.text, kFailed);
        EXPECT_EQ(box.caption, kCaption);
        EXPECT_EQ(box.flags, kMbSystemModal | kMbOk);
        EXPECT_EQ(box.owner, 0u);
        Check(serverCase, false);
        EXPECT_EQ(boxes.Count(), 0u);
    }

    void ExpectUpToDate(const std::string& serverCase) {
        SCOPED_TRACE(serverCase);
        Check(serverCase, true);
        const ShownMessage box = OnlyBox();
        EXPECT_EQ(box.text, kUpToDate);
        EXPECT_EQ(box.caption, kCaption);
        EXPECT_EQ(box.flags, kMbSystemModal | kMbOk);
        Check(serverCase, false);
        EXPECT_EQ(boxes.Count(), 0u);
    }

    std::string server;
};

TEST_F(VersionCheckTest, RunningVersionComesFromTheExecutablesVersionBlock) {
    EXPECT_EQ(GetFileVersionString(::GetModuleHandleW(nullptr)), L"2.0.0.8");
    // A handle that names no module has no version to read.
    EXPECT_EQ(GetFileVersionString(reinterpret_cast<HMODULE>(static_cast<std::uintptr_t>(0x10))), L"");
}

TEST_F(VersionCheckTest, EndpointIsString151UnlessTheSettingNamesAnother) {
    WriteSetting("UpdateEndpoint", "");
    EXPECT_EQ(UpdateEndpoint(SettingsFile()), L"http://www.zanthe.example/ad/zembrick/version.php");
    WriteSetting("UpdateEndpoint", "http://mirror.example/ad/zembrick/version.php");
    EXPECT_EQ(UpdateEndpoint(SettingsFile()), L"http://mirror.example/ad/zembrick/version.php");
    // Read at any length.
    const std::string longAddress = "http://mirror.example/" + std::string(700, 'p') + "/version.php";
    WriteSetting("UpdateEndpoint", longAddress);
    EXPECT_EQ(UpdateEndpoint(SettingsFile()), std::wstring(longAddress.begin(), longAddress.end()));
    // Without a settings file there is no setting to read.
    EXPECT_EQ(UpdateEndpoint(L""), L"http://www.zanthe.example/ad/zembrick/version.php");
}

TEST_F(VersionCheckTest, NewerVersionListsItsNotesAndYesOpensTheHomePage) {
    boxes.Clear();
    boxes.QueueAnswer(kIdYes);
    WriteSetting("UpdateEndpoint", Endpoint("ok9"));
    EXPECT_EQ(CheckVersion(true, SettingsFile()), 0u);
    const ShownMessage box = OnlyBox();
    // Field 1 ("x") is part of the format and shown nowhere.
    EXPECT_EQ(box.text, L"发现新版本:2.0.0.9 是否下载更新?\r\n新版更新内容：\r\nFaster start\r\nNew icons\r\n");
    EXPECT_EQ(box.caption, kCaption);
    EXPECT_EQ(box.flags, kMbSystemModal | kMbYesNo);
    EXPECT_EQ(box.owner, 0u);

    const auto calls = shell.Calls();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].verb, L"open");
    EXPECT_EQ(calls[0].file, kHomePage);
    EXPECT_FALSE(calls[0].hasParams);
    EXPECT_EQ(calls[0].show, SW_SHOWNORMAL);
    EXPECT_EQ(calls[0].owner, 0u);
    EXPECT_TRUE(shell.CommandLines().empty());  // the shell took it: no fallback
}

TEST_F(VersionCheckTest, NewerVersionIsOfferedAlsoSilentlyAndNoOpensNothing) {
    for (bool interactive : {false, true}) {
        SCOPED_TRACE(interactive ? "interactive" : "silent");
        boxes.Clear();
        boxes.QueueAnswer(kIdNo);
        WriteSetting("UpdateEndpoint", Endpoint("ok9"));
        CheckVersion(interactive, SettingsFile());
        const ShownMessage box = OnlyBox();
        EXPECT_EQ(box.flags, kMbSystemModal | kMbYesNo);
        EXPECT_NE(box.text.find(L"发现新版本:2.0.0.9"), std::wstring::npos);
    }
    EXPECT_TRUE(shell.Calls().empty());
    EXPECT_TRUE(shell.CommandLines().empty());
}

TEST_F(VersionCheckTest, ReplyShapesThatStillOfferTheUpdate) {
    struct Case {
        const char* serverCase;
        const wchar_t* text;
    };
    const Case cases[] = {
        // The note after the last "|" is not a field: the heading stands alone.
        {"nofinal", L"发现新版本:2.0.0.9 是否下载更新?\r\n新版更新内容：\r\n"},
        // UTF-8 release notes.
        {"cn", L"发现新版本:2.0.0.9 是否下载更新?\r\n新版更新内容：\r\n启动更快\r\n全新图标\r\n"},
        // The same, its characters cut across separate network writes.
        {"split", L"发现新版本:2.0.0.9 是否下载更新?\r\n新版更新内容：\r\n分段到达\r\n"},
        // Carriage returns are dropped; line feeds stay.
        {"crlf", L"发现新版本:2.0.0.9 是否下载更新?\r\n新版更新内容：\r\nfirst\nsecond\r\n"},
        // The status code is not examined.
        {"error500", L"发现新版本:2.0.0.9 是否下载更新?\r\n新版更新内容：\r\nfrom an error page\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.serverCase);
        Check(c.serverCase, false);
        EXPECT_EQ(OnlyBox().text, c.text);
    }
}

TEST_F(VersionCheckTest, RepliesOfExactly500CharactersAreAccepted) {
    // 500 UTF-16 characters; in the Chinese one they are 1478 bytes.
    Check("long500", false);
    EXPECT_EQ(OnlyBox().text, L"发现新版本:2.0.0.9 是否下载更新?\r\n新版更新内容：\r\n" + std::wstring(489, L'n') + L"\r\n");
    Check("cn500", false);
    EXPECT_EQ(OnlyBox().text, L"发现新版本:2.0.0.9 是否下载更新?\r\n新版更新内容：\r\n" + std::wstring(489, L'新') + L"\r\n");
}

TEST_F(VersionCheckTest, SameOlderOrSmallerVersionIsUpToDate) {
    ExpectUpToDate("same");
    ExpectUpToDate("older");
    ExpectUpToDate("three");  // 3 weighs less than 2008
    EXPECT_TRUE(shell.Calls().empty());
}

TEST_F(VersionCheckTest, UnusableRepliesFailOnlyWhenAsked) {
    ExpectFailure("nobar");    // no "|" at all
    ExpectFailure("empty");    // no body
    ExpectFailure("long501");  // longer than any reply
    ExpectFailure("flood");    // an endless body
    EXPECT_TRUE(shell.Calls().empty());
}

TEST_F(VersionCheckTest, RequestCarriesTheRunningVersionAndTheProgramName) {
    boxes.Clear();
    WriteSetting("UpdateEndpoint", Endpoint("echo"));
    CheckVersion(false, SettingsFile());
    // The echo case puts the request's path with its query and the user agent into two notes.
    EXPECT_EQ(OnlyBox().text, L"发现新版本:9.9.9.9 是否下载更新?\r\n新版更新内容：\r\n"
                              L"/echo/ad/zembrick/version.php?version=2.0.0.8\r\n" +
                                  CQuorlinApp::AppName() + L"\r\n");
    EXPECT_EQ(CQuorlinApp::AppName(), L"wine_tests");
}

TEST_F(VersionCheckTest, FloodedReplyIsCutShortOnceItCannotBeValid) {
    const auto start = SteadyClock::now();
    const std::wstring reply = FetchReplyText(WEndpoint("flood"));
    // Reading stopped within one buffer after the limit, long before the deadline.
    EXPECT_GT(reply.size(), kMaxReplyUnits);
    EXPECT_LE(reply.size(), kMaxReplyUnits + 1024);
    EXPECT_EQ(reply.substr(0, 10), L"2.0.0.9|x|");
    EXPECT_LT(SecondsSince(start), kVersionReplyDeadline.count() / 1000.0);
}

TEST_F(VersionCheckTest, UnreachableEndpointFails) {
    const std::string closed = EnvText("QUORLIN_CLOSED_PORT");
    ASSERT_FALSE(closed.empty()) << "QUORLIN_CLOSED_PORT is not set (tests/wine/run.sh sets it)";
    const auto start = SteadyClock::now();
    boxes.Clear();
    WriteSetting("UpdateEndpoint", "http://127.0.0.1:" + closed + "/ad/zembrick/version.php");
    CheckVersion(true, SettingsFile());
    const ShownMessage box = OnlyBox();
    EXPECT_EQ(box.text, kFailed);
    EXPECT_EQ(box.flags, kMbSystemModal | kMbOk);
    boxes.Clear();
    CheckVersion(false, SettingsFile());
    EXPECT_EQ(boxes.Count(), 0u);
    EXPECT_LT(SecondsSince(start), 60.0);
    // An address WinINet cannot even parse fails the same way.
    boxes.Clear();
    WriteSetting("UpdateEndpoint", "not an address");
    CheckVersion(true, SettingsFile());
    EXPECT_EQ(OnlyBox().text, kFailed);
}

// Two checks at once (as when the user asks while the one at start still runs): one server
// never answers, the other trickles a valid-looking reply forever. Both end in the failure
// message, the first by WinINet's timeouts, the second at the overall deadline.
TEST_F(VersionCheckTest, MisbehavingServersEndInTheFailureMessageWithinTheTimeout) {
    const auto start = SteadyClock::now();
    boxes.Clear();
    WriteSetting("UpdateEndpoint", Endpoint("hang"));
    StartVersionCheck(true, SettingsFile());  // takes the endpoint along at once
    WriteSetting("UpdateEndpoint", Endpoint("trickle"));
    StartVersionCheck(true, SettingsFile());
    while (boxes.Count() < 2 && SecondsSince(start) < kVersionReplyDeadline.count() / 1000.0 + 60.0) Pump(50);
    const auto shown = boxes.Shown();
    ASSERT_EQ(shown.size(), 2u);
    for (const ShownMessage& box : shown) {
        EXPECT_EQ(box.text, kFailed);
        EXPECT_EQ(box.flags, kMbSystemModal | kMbOk);
    }
    EXPECT_LT(SecondsSince(start), kVersionReplyDeadline.count() / 1000.0 + 30.0);
}

TEST_F(VersionCheckTest, NetworkTimeoutsEndAStalledRequestLongBeforeALongDeadline) {
    // No answer at all, and a body that stops halfway; side by side to save the wait.
    const std::chrono::milliseconds longDeadline(120000);
    const auto start = SteadyClock::now();
    std::wstring hang = L"-", stall = L"-";
    std::thread first([&] { hang = FetchReplyText(WEndpoint("hang"), longDeadline); });
    std::thread second([&] { stall = FetchReplyText(WEndpoint("stall"), longDeadline); });
    first.join();
    second.join();
    EXPECT_EQ(hang, L"");
    EXPECT_EQ(stall, L"");
    EXPECT_LT(SecondsSince(start), kVersionNetworkTimeoutMs / 1000.0 + 30.0);
}

TEST_F(VersionCheckTest, RequestIsAbandonedAtItsDeadline) {
    // A body that never ends, a byte at a time: WinINet's own timeouts never fire. What
    // came before the deadline looks like a valid reply but is not taken as one.
    auto start = SteadyClock::now();
    EXPECT_EQ(FetchReplyText(WEndpoint("trickle"), std::chrono::milliseconds(3000)), L"");
    EXPECT_LT(SecondsSince(start), 30.0);
    // No answer at all: the caller is back at its deadline, before WinINet's receive timeout.
    start = SteadyClock::now();
    EXPECT_EQ(FetchReplyText(WEndpoint("hang"), std::chrono::milliseconds(1500)), L"");
    EXPECT_LT(SecondsSince(start), kVersionNetworkTimeoutMs / 1000.0);
    // A server that is slow but finishes within the deadline is waited for.
    EXPECT_EQ(FetchReplyText(WEndpoint("slow"), std::chrono::milliseconds(20000)), L"2.0.0.9|x|slow reply|");
}

TEST_F(VersionCheckTest, StartVersionCheckRunsOnItsOwnThreadWithTheEndpointItWasGiven) {
    ThreadNotingBoxes threadBoxes;  // installed over the fixture's boxes while it lives
    WriteSetting("UpdateEndpoint", Endpoint("slow"));  // answers after 3 s
    StartVersionCheck(false, SettingsFile());
    // Back at once: the reply is still seconds away.
    EXPECT_EQ(threadBoxes.Count(), 0u);
    // The worker took its endpoint along: what the application holds now does not matter.
    WriteSetting("UpdateEndpoint", "http://127.0.0.1:9/ad/zembrick/version.php");
    theApp().state.appDir.clear();

    const auto start = SteadyClock::now();
    while (threadBoxes.Count() == 0 && SecondsSince(start) < 60.0) Pump(50);
    const auto shown = threadBoxes.Shown();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, L"发现新版本:2.0.0.9 是否下载更新?\r\n新版更新内容：\r\nslow reply\r\n");
    EXPECT_EQ(shown[0].flags, kMbSystemModal | kMbYesNo);
    EXPECT_NE(threadBoxes.lastThread.load(), ::GetCurrentThreadId());
    EXPECT_EQ(boxes.Count(), 0u);
    // The answer was No: nothing is opened.
    Pump(200);
    EXPECT_TRUE(shell.Calls().empty());
}

}  // namespace
}  // namespace quorlin::testing
