// The version check against a real HTTPS server on localhost (tests/wine/version_server.py,
// started by tests/wine/run.sh with a certificate made for the run and trusted here), which
// answers each case by the first segment of the path.
// The check runs on the test thread here, except where its own worker thread is the point.
#include <gtest/gtest.h>
#include <windows.h>
#include <wincrypt.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>

#include "framework/seams.h"
#include "panel_fixture.h"
#include "update/version_check_win.h"
#include "update/version_logic.h"

namespace quorlin::testing {
namespace {

using SteadyClock = std::chrono::steady_clock;

constexpr wchar_t kHomePage[] = L"https://www.zanthe.example/";
constexpr wchar_t kNewer9[] = L"发现新版本:2.0.0.9 是否打开主页下载更新?";
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
    // The server's certificate, in the machine's trusted roots while these tests run.
    static void SetUpTestSuite() {
        std::ifstream in(EnvText("QUORLIN_VERSION_CERT"), std::ios::binary);
        const std::string pem{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
        BYTE der[8192];
        DWORD size = sizeof(der);
        HCERTSTORE root = ::CertOpenStore(CERT_STORE_PROV_SYSTEM_W, 0, 0, CERT_SYSTEM_STORE_LOCAL_MACHINE, L"ROOT");
        if (::CryptStringToBinaryA(pem.c_str(), 0, CRYPT_STRING_BASE64HEADER, der, &size, nullptr, nullptr))
            ::CertAddEncodedCertificateToStore(root, X509_ASN_ENCODING, der, size, CERT_STORE_ADD_REPLACE_EXISTING, &cert);
        ::CertControlStore(root, 0, CERT_STORE_CTRL_COMMIT, nullptr);  // written now, not when cert is let go
        ::CertCloseStore(root, 0);
    }
    static void TearDownTestSuite() {
        HCERTSTORE root = ::CertOpenStore(CERT_STORE_PROV_SYSTEM_W, 0, 0, CERT_SYSTEM_STORE_LOCAL_MACHINE, L"ROOT");
        ::CertDeleteCertificateFromStore(::CertFindCertificateInStore(root, X509_ASN_ENCODING, 0, CERT_FIND_EXISTING, cert, nullptr));
        ::CertFreeCertificateContext(cert);
        ::CertControlStore(root, 0, CERT_STORE_CTRL_COMMIT, nullptr);
        ::CertCloseStore(root, 0);
    }
    static inline PCCERT_CONTEXT cert = nullptr;

    void SetUp() override {
        PanelTest::SetUp();
        ASSERT_NE(cert, nullptr) << "QUORLIN_VERSION_CERT names no certificate (tests/wine/run.sh sets it)";
        server = EnvText("QUORLIN_VERSION_SERVER");
        ASSERT_FALSE(server.empty())
            << "QUORLIN_VERSION_SERVER is not set: tests/wine/run.sh starts tests/wine/version_server.py "
               "and sets it (or start the server by hand and export https://localhost:PORT)";
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
        EXPECT_EQ(box.flags, kMbTaskModal | kMbOk);
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
        EXPECT_EQ(box.flags, kMbTaskModal | kMbOk);
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
    EXPECT_EQ(UpdateEndpoint(SettingsFile()), L"https://www.zanthe.example/ad/zembrick/version.php");
    WriteSetting("UpdateEndpoint", "http://mirror.example/ad/zembrick/version.php");
    EXPECT_EQ(UpdateEndpoint(SettingsFile()), L"http://mirror.example/ad/zembrick/version.php");
    // Read at any length.
    const std::string longAddress = "http://mirror.example/" + std::string(700, 'p') + "/version.php";
    WriteSetting("UpdateEndpoint", longAddress);
    EXPECT_EQ(UpdateEndpoint(SettingsFile()), std::wstring(longAddress.begin(), longAddress.end()));
    // Without a settings file there is no setting to read.
    EXPECT_EQ(UpdateEndpoint(L""), L"https://www.zanthe.example/ad/zembrick/version.php");
}

TEST_F(VersionCheckTest, NewerVersionIsNamedWithoutTheServersNotesAndYesOpensTheHomePage) {
    boxes.Clear();
    boxes.QueueAnswer(kIdYes);
    WriteSetting("UpdateEndpoint", Endpoint("ok9"));
    EXPECT_EQ(CheckVersion(true, SettingsFile()), 0u);
    const ShownMessage box = OnlyBox();
    EXPECT_EQ(box.text, kNewer9);
    EXPECT_EQ(box.caption, kCaption);
    EXPECT_EQ(box.flags, kMbTaskModal | kMbYesNo);
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
        EXPECT_EQ(box.flags, kMbTaskModal | kMbYesNo);
        EXPECT_EQ(box.text, kNewer9);
    }
    EXPECT_TRUE(shell.Calls().empty());
    EXPECT_TRUE(shell.CommandLines().empty());
}

TEST_F(VersionCheckTest, ReplyShapesThatStillOfferTheUpdate) {
    // An unterminated note, UTF-8 notes (also cut across network writes), CRLF, and an error
    // status (not examined): the notes are never shown.
    for (const char* serverCase : {"nofinal", "cn", "split", "crlf", "error500"}) {
        SCOPED_TRACE(serverCase);
        Check(serverCase, true);
        EXPECT_EQ(OnlyBox().text, kNewer9);
    }
}

TEST_F(VersionCheckTest, RepliesOfExactly500CharactersAreAccepted) {
    // 500 UTF-16 characters; in the Chinese one they are 1478 bytes.
    Check("long500", true);
    EXPECT_EQ(OnlyBox().text, kNewer9);
    Check("cn500", true);
    EXPECT_EQ(OnlyBox().text, kNewer9);
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
    EXPECT_EQ(OnlyBox().text, L"发现新版本:9.9.9.9 是否打开主页下载更新?");
    // The server keeps the request's path with its query and the user agent for "lastecho".
    EXPECT_EQ(FetchReplyText(WEndpoint("lastecho")),
              L"/echo/ad/zembrick/version.php?version=2.0.0.8|" + CQuorlinApp::AppName() + L"|");
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
    WriteSetting("UpdateEndpoint", "https://localhost:" + closed + "/ad/zembrick/version.php");
    CheckVersion(true, SettingsFile());
    const ShownMessage box = OnlyBox();
    EXPECT_EQ(box.text, kFailed);
    EXPECT_EQ(box.flags, kMbTaskModal | kMbOk);
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
        EXPECT_EQ(box.flags, kMbTaskModal | kMbOk);
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
    EXPECT_EQ(shown[0].text, kNewer9);
    EXPECT_EQ(shown[0].flags, kMbTaskModal | kMbYesNo);
    EXPECT_NE(threadBoxes.lastThread.load(), ::GetCurrentThreadId());
    EXPECT_EQ(boxes.Count(), 0u);
    // The answer was No: nothing is opened.
    Pump(200);
    EXPECT_TRUE(shell.Calls().empty());
}

TEST_F(VersionCheckTest, PlainHttpIsNeverAskedNorReachedByARedirect) {
    Check("tohttp", true);  // a 302 to the same reply over plain http
    EXPECT_EQ(OnlyBox().text, kFailed);
    boxes.Clear();
    WriteSetting("UpdateEndpoint", EnvText("QUORLIN_VERSION_PLAIN_SERVER") + "/ok9/ad/zembrick/version.php");
    CheckVersion(true, SettingsFile());
    EXPECT_EQ(OnlyBox().text, kFailed);
}

TEST_F(VersionCheckTest, AutomaticCheckAsksOncePerNewVersion) {
    Check("ok9", false);
    EXPECT_EQ(OnlyBox().text, kNewer9);
    EXPECT_EQ(ReadSetting("UpdateAsked"), "2.0.0.9");
    Check("ok9", false);
    EXPECT_EQ(boxes.Count(), 0u);
    Check("ok9", true);  // asked for by the user: answered
    EXPECT_EQ(OnlyBox().text, kNewer9);
}

TEST_F(VersionCheckTest, QuestionIsHeldWhileTheUserIsBusyAndAskedByTheNextCheck) {
    const UserBusyQuery real = SetUserBusyQuery([] { return true; });
    Check("ok9", false);
    EXPECT_EQ(boxes.Count(), 0u);
    EXPECT_EQ(ReadSetting("UpdateAsked"), "<none>");
    SetUserBusyQuery(real);
    Check("ok9", false);
    EXPECT_EQ(OnlyBox().text, kNewer9);
}

}  // namespace
}  // namespace quorlin::testing
