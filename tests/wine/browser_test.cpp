// Opening web addresses: the shell first; when it refuses, the ".htm" handler's command line
// from the registry (Wine's, set up here under HKEY_CLASSES_ROOT and put back afterwards).
#include <gtest/gtest.h>
#include <windows.h>
#include <shellapi.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "framework/seams.h"
#include "framework/seams_win.h"
#include "support/fakes.h"
#include "support/temp_dir.h"
#include "update/browser_win.h"

namespace quorlin::testing {
namespace {

constexpr wchar_t kTestClass[] = L"QuorlinTest.HtmlFile";

// The arguments a started program would see in its command line.
std::vector<std::wstring> Arguments(const std::wstring& commandLine) {
    int count = 0;
    LPWSTR* argv = ::CommandLineToArgvW(commandLine.c_str(), &count);
    std::vector<std::wstring> args;
    for (int i = 0; argv && i < count; ++i) args.emplace_back(argv[i]);
    ::LocalFree(argv);
    return args;
}

class BrowserLaunchTest : public ::testing::Test {
protected:
    void SetUp() override {
        shell.result = 2;  // the shell refuses, as for a missing file: the fallback runs
        HKEY key = nullptr;
        if (::RegOpenKeyExW(HKEY_CLASSES_ROOT, L".htm", 0, KEY_QUERY_VALUE, &key) == ERROR_SUCCESS) {
            htmExisted_ = true;
            DWORD type = 0, size = 0;
            if (::RegQueryValueExW(key, nullptr, nullptr, &type, nullptr, &size) == ERROR_SUCCESS) {
                std::vector<wchar_t> data(size / sizeof(wchar_t) + 1, L'\0');
                DWORD bytes = size;
                if (::RegQueryValueExW(key, nullptr, nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &bytes) ==
                    ERROR_SUCCESS) {
                    htmHadDefault_ = true;
                    htmDefault_.assign(data.data());
                }
            }
            ::RegCloseKey(key);
        }
    }

    void TearDown() override {
        ::RegDeleteTreeW(HKEY_CLASSES_ROOT, kTestClass);
        if (!htmExisted_) {
            ::RegDeleteTreeW(HKEY_CLASSES_ROOT, L".htm");
        } else if (htmHadDefault_) {
            SetDefault(L".htm", htmDefault_);
        } else {
            HKEY key = nullptr;
            if (::RegOpenKeyExW(HKEY_CLASSES_ROOT, L".htm", 0, KEY_SET_VALUE, &key) == ERROR_SUCCESS) {
                ::RegDeleteValueW(key, nullptr);
                ::RegCloseKey(key);
            }
        }
    }

    static void SetDefault(const std::wstring& subKey, const std::wstring& value, DWORD type = REG_SZ) {
        HKEY key = nullptr;
        ASSERT_EQ(::RegCreateKeyExW(HKEY_CLASSES_ROOT, subKey.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                                    nullptr),
                  ERROR_SUCCESS);
        ASSERT_EQ(::RegSetValueExW(key, nullptr, 0, type, reinterpret_cast<const BYTE*>(value.c_str()),
                                   static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t))),
                  ERROR_SUCCESS);
        ::RegCloseKey(key);
    }

    // ".htm" belongs to our test class, whose open command is `command`.
    void SetHandler(const std::wstring& command, DWORD type = REG_SZ) {
        SetDefault(L".htm", kTestClass);
        SetDefault(std::wstring(kTestClass) + L"\\shell\\open\\command", command, type);
    }

    // Opens url and returns the one command line the fallback ran.
    std::wstring OpenAndTakeCommandLine(const std::wstring& url) {
        EXPECT_EQ(OpenInDefaultBrowser(url), 33);  // what the command-line seam answered
        const auto lines = shell.CommandLines();
        EXPECT_EQ(lines.size(), 1u);
        return lines.empty() ? std::wstring() : lines.back();
    }

    RecordingShell shell;

private:
    bool htmExisted_ = false;
    bool htmHadDefault_ = false;
    std::wstring htmDefault_;
};

TEST_F(BrowserLaunchTest, AnAddressTheShellOpensNeverReachesTheRegistry) {
    SetHandler(L"\"C:\\Browser\\browser.exe\" \"%1\"");
    shell.result = 42;
    EXPECT_EQ(OpenInDefaultBrowser(L"http://www.zanthe.example/"), 42);
    const auto calls = shell.Calls();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].owner, 0u);
    EXPECT_EQ(calls[0].verb, L"open");
    EXPECT_EQ(calls[0].file, L"http://www.zanthe.example/");
    EXPECT_FALSE(calls[0].hasParams);
    EXPECT_EQ(calls[0].show, SW_SHOWNORMAL);
    EXPECT_TRUE(shell.CommandLines().empty());
}

TEST_F(BrowserLaunchTest, HandlerShapesPutTheAddressOnTheCommandLineAsOneArgument) {
    const std::wstring url = L"http://www.zanthe.example/a b?q=\"x\"&y=1";
    struct Case {
        const wchar_t* handler;
        const wchar_t* expected;
    };
    const Case cases[] = {
        // The quoted placeholder and what follows it give way to the address.
        {L"\"C:\\Program Files\\Browser\\browser.exe\" -osint -url \"%1\" --new-tab",
         L"\"C:\\Program Files\\Browser\\browser.exe\" -osint -url  \"http://www.zanthe.example/a b?q=%22x%22&y=1\""},
        // A bare placeholder: cut there, the space before it stays.
        {L"C:\\Browser\\browser.exe %1 -new",
         L"C:\\Browser\\browser.exe  \"http://www.zanthe.example/a b?q=%22x%22&y=1\""},
        // No placeholder: the address is appended.
        {L"C:\\Browser\\browser.exe -new-window",
         L"C:\\Browser\\browser.exe -new-window \"http://www.zanthe.example/a b?q=%22x%22&y=1\""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.handler, c.handler + wcslen(c.handler)));
        SetHandler(c.handler);
        EXPECT_EQ(OpenInDefaultBrowser(url), 33);
        const auto lines = shell.CommandLines();
        ASSERT_FALSE(lines.empty());
        EXPECT_EQ(lines.back(), c.expected);
        // The program would get the address back as one argument, a quote as %22.
        const auto args = Arguments(lines.back());
        ASSERT_FALSE(args.empty());
        EXPECT_EQ(args.back(), L"http://www.zanthe.example/a b?q=%22x%22&y=1");
    }
    EXPECT_EQ(shell.CommandLines().size(), 3u);
    // Each time the shell was asked first.
    EXPECT_EQ(shell.Calls().size(), 3u);
}

TEST_F(BrowserLaunchTest, LongAddressesAndLongHandlersAreKeptWhole) {
    // A handler command longer than any fixed buffer of 255 characters.
    const std::wstring program = L"C:\\" + std::wstring(300, L'd') + L"\\browser.exe";
    SetHandler(L"\"" + program + L"\" \"%1\"");
    const std::wstring url = L"http://www.zanthe.example/?q=" + std::wstring(5000 - 29, L'z');
    ASSERT_EQ(url.size(), 5000u);
    const std::wstring line = OpenAndTakeCommandLine(url);
    EXPECT_EQ(line, L"\"" + program + L"\"  \"" + url + L"\"");
    const auto args = Arguments(line);
    ASSERT_EQ(args.size(), 2u);
    EXPECT_EQ(args[0], program);
    EXPECT_EQ(args[1], url);
}

TEST_F(BrowserLaunchTest, CharactersOutsideTheAnsiCodePageSurvive) {
    SetHandler(L"C:\\Browser\\browser.exe \"%1\"");
    const std::wstring url = L"http://例子.example/路径?q=ünï€😀";
    const std::wstring line = OpenAndTakeCommandLine(url);
    EXPECT_EQ(line, L"C:\\Browser\\browser.exe  \"" + url + L"\"");
    EXPECT_EQ(Arguments(line).back(), url);
}

TEST_F(BrowserLaunchTest, ExpandableHandlerCommandIsExpanded) {
    SetHandler(L"%SystemRoot%\\browser.exe \"%1\"", REG_EXPAND_SZ);
    wchar_t root[MAX_PATH] = {};
    ASSERT_GT(::GetEnvironmentVariableW(L"SystemRoot", root, MAX_PATH), 0u);
    EXPECT_EQ(OpenAndTakeCommandLine(L"http://a.example/"),
              std::wstring(root) + L"\\browser.exe  \"http://a.example/\"");
}

TEST_F(BrowserLaunchTest, WithoutAnAssociationTheShellsValueIsReturned) {
    // ".htm" unknown.
    ::RegDeleteTreeW(HKEY_CLASSES_ROOT, L".htm");
    EXPECT_EQ(OpenInDefaultBrowser(L"http://a.example/"), 2);
    // ".htm" names a class without an open command.
    SetDefault(L".htm", kTestClass);
    SetDefault(kTestClass, L"Test page");
    EXPECT_EQ(OpenInDefaultBrowser(L"http://a.example/"), 2);
    // ".htm" with an empty class name.
    SetDefault(L".htm", L"");
    EXPECT_EQ(OpenInDefaultBrowser(L"http://a.example/"), 2);
    // An open command that is empty.
    SetHandler(L"");
    EXPECT_EQ(OpenInDefaultBrowser(L"http://a.example/"), 2);
    EXPECT_TRUE(shell.CommandLines().empty());
    EXPECT_EQ(shell.Calls().size(), 4u);
}

TEST_F(BrowserLaunchTest, FailureToStartTheHandlerIsReturned) {
    SetHandler(L"C:\\Browser\\browser.exe \"%1\"");
    shell.commandLineResult = 2;
    EXPECT_EQ(OpenInDefaultBrowser(L"http://a.example/"), 2);
    EXPECT_EQ(shell.CommandLines().size(), 1u);
}

// The real command line: the shell (refusing here) is passed over, and the handler (this
// program, see main.cpp) writes down the address it was given, not all in the ANSI code page.
TEST_F(BrowserLaunchTest, RealFallbackStartsTheHandlerWithTheWholeAddress) {
    TempDir dir;
    const std::filesystem::path target = dir.Path() / L"argument.txt";
    wchar_t self[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    SetHandler(L"\"" + std::wstring(self) + L"\" --write-argument \"" + target.wstring() + L"\" \"%1\"");
    struct RefusingShell : RecordingShell {  // installed over the fixture's while it lives
        IShell* real = nullptr;
        unsigned RunCommandLine(const std::wstring& line, int show) override { return real->RunCommandLine(line, show); }
    } refusing;
    refusing.result = 2;
    IMessageBoxes* boxes = SetMessageBoxes(nullptr);
    ISound* sound = SetSound(nullptr);
    InstallRealSeams();
    refusing.real = SetShell(&refusing);
    const std::wstring url = L"https://例子.example/路径?q=ünï€😀";
    const int result = OpenInDefaultBrowser(url);
    SetMessageBoxes(boxes);
    SetSound(sound);

    EXPECT_GT(result, 31);
    const std::string expected(reinterpret_cast<const char*>(url.c_str()), url.size() * sizeof(wchar_t));
    std::string written;
    const auto start = std::chrono::steady_clock::now();
    while (written != expected && std::chrono::steady_clock::now() - start < std::chrono::seconds(30)) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        std::ifstream in(target, std::ios::binary);
        written.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    EXPECT_EQ(written, expected);
}

TEST_F(BrowserLaunchTest, OnlyAWebAddressReachesTheHandler) {
    SetHandler(L"C:\\Browser\\browser.exe \"%1\"");
    for (const wchar_t* url : {L"C:\\Windows\\System32\\calc.exe", L"file:///C:/x.exe", L"javascript:alert(1)"})
        EXPECT_EQ(OpenInDefaultBrowser(url), 2) << url;
    EXPECT_TRUE(shell.CommandLines().empty());
}

}  // namespace
}  // namespace quorlin::testing
