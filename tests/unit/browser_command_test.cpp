#include "update/browser_command.h"

#include <gtest/gtest.h>

#include <vector>

namespace quorlin {
namespace {

// Splits a command line the way CommandLineToArgvW does: the program name ends at the first
// blank (or its closing quote) with no escapes; in the arguments, 2n backslashes before a quote
// give n backslashes and toggle quoting, 2n+1 give n backslashes and a literal quote.
std::vector<std::wstring> ParseCommandLine(const std::wstring& line) {
    std::vector<std::wstring> argv;
    std::size_t i = 0;
    std::wstring prog;
    if (i < line.size() && line[i] == L'"') {
        for (++i; i < line.size() && line[i] != L'"'; ++i) prog += line[i];
        if (i < line.size()) ++i;
    } else {
        for (; i < line.size() && line[i] != L' ' && line[i] != L'\t'; ++i) prog += line[i];
    }
    argv.push_back(prog);
    for (;;) {
        while (i < line.size() && (line[i] == L' ' || line[i] == L'\t')) ++i;
        if (i >= line.size()) break;
        std::wstring arg;
        bool quoted = false;
        while (i < line.size() && (quoted || (line[i] != L' ' && line[i] != L'\t'))) {
            if (line[i] == L'\\') {
                std::size_t n = 0;
                while (i < line.size() && line[i] == L'\\') { ++n; ++i; }
                if (i < line.size() && line[i] == L'"') {
                    arg.append(n / 2, L'\\');
                    if (n % 2) { arg += L'"'; ++i; }
                } else {
                    arg.append(n, L'\\');
                }
            } else if (line[i] == L'"') {
                if (quoted && i + 1 < line.size() && line[i + 1] == L'"') { arg += L'"'; i += 2; continue; }
                quoted = !quoted;
                ++i;
            } else {
                arg += line[i++];
            }
        }
        argv.push_back(arg);
    }
    return argv;
}

using Args = std::vector<std::wstring>;

TEST(BrowserCommandPlaceholder, HandlerShapes) {
    // Quoted placeholder: it and everything after it give way to the address.
    EXPECT_EQ(BuildBrowserCommandLine(L"\"C:\\Program Files\\B\\b.exe\" -osint -url \"%1\" --flag", L"http://x/"),
              L"\"C:\\Program Files\\B\\b.exe\" -osint -url  \"http://x/\"");
    // Bare placeholder: the text before it keeps its trailing space.
    EXPECT_EQ(BuildBrowserCommandLine(L"C:\\b.exe %1 -new", L"http://x/"), L"C:\\b.exe  \"http://x/\"");
    // No placeholder: appended after one space.
    EXPECT_EQ(BuildBrowserCommandLine(L"C:\\b.exe", L"http://x/"), L"C:\\b.exe \"http://x/\"");
    // The quoted form is looked for first, even after an earlier bare one.
    EXPECT_EQ(BuildBrowserCommandLine(L"b.exe %1 \"%1\"", L"u"), L"b.exe %1  \"u\"");
    EXPECT_EQ(BuildBrowserCommandLine(L"", L"u"), L" \"u\"");
}

TEST(BrowserCommandPlaceholder, ParsesBackToProgramAndOneArgument) {
    const std::wstring line =
        BuildBrowserCommandLine(L"\"C:\\Program Files\\B\\b.exe\" -url \"%1\"", L"http://x.example/a b");
    EXPECT_EQ(ParseCommandLine(line), (Args{L"C:\\Program Files\\B\\b.exe", L"-url", L"http://x.example/a b"}));
}

TEST(BrowserCommandAddress, QuotesCannotAddArguments) {
    const std::wstring url = L"http://x/?q=\" --disable-web-security \"y z";
    const std::wstring line = BuildBrowserCommandLine(L"b.exe \"%1\"", url);
    EXPECT_EQ(ParseCommandLine(line), (Args{L"b.exe", L"http://x/?q=%22 --disable-web-security %22y z"}));
    EXPECT_EQ(QuoteAddressArgument(L"a\"b"), L"\"a%22b\"");
}

TEST(BrowserCommandAddress, BackslashesSurviveParsing) {
    for (const std::wstring url : {L"http://x/dir\\", L"http://x/dir\\\\", L"a\\\"b", L"\\\\server\\share\\", L"a\\b"}) {
        SCOPED_TRACE(std::string(url.begin(), url.end()));
        const Args args = ParseCommandLine(BuildBrowserCommandLine(L"b.exe", url));
        ASSERT_EQ(args.size(), 2u);
        std::wstring expected;
        for (wchar_t c : url) expected += (c == L'"') ? std::wstring(L"%22") : std::wstring(1, c);
        EXPECT_EQ(args[1], expected);
    }
    EXPECT_EQ(QuoteAddressArgument(L"d\\"), L"\"d\\\\\"");
    EXPECT_EQ(QuoteAddressArgument(L"a\\b"), L"\"a\\b\"");  // inner backslashes are left alone
}

TEST(BrowserCommandAddress, NoLengthLimit) {
    const std::wstring url = L"http://x/" + std::wstring(5000 - 9, L'q');
    const std::wstring handler = L"\"C:\\b.exe\" \"%1\"";
    const std::wstring line = BuildBrowserCommandLine(handler, url);
    EXPECT_EQ(line, L"\"C:\\b.exe\"  \"" + url + L"\"");
    EXPECT_EQ(ParseCommandLine(line), (Args{L"C:\\b.exe", url}));
}

TEST(BrowserCommandAddress, OnlyWebAddressesGoToABrowser) {
    EXPECT_TRUE(IsWebAddressAnyCase(L"http://x/") && IsWebAddressAnyCase(L"HTTPS://x/") && IsHttpsAddress(L"Https://x"));
    for (const wchar_t* url : {L"file:///C:/x.exe", L"C:\\x.exe", L"javascript:x", L"http:x", L"ms-msdt:x", L""})
        EXPECT_FALSE(IsWebAddressAnyCase(url)) << url;
    EXPECT_FALSE(IsHttpsAddress(L"http://x/"));
}

}  // namespace
}  // namespace quorlin
