// Fuzzes the command line built to open an address with the ".htm" handler: whatever the
// address holds, the started browser must receive it as exactly one argument, unchanged but
// for its quotes, which travel as %22.
//
// The command line is parsed back the way CommandLineToArgvW (and the C runtime of the
// started program) splits it:
//  - the program name ends at the next space or tab, or, when it starts with a quote, at the
//    next quote whatever comes between;
//  - the other arguments are separated by spaces and tabs outside quotes; 2n backslashes
//    before a quote give n backslashes and the quote opens or closes a quoted part, 2n+1
//    give n backslashes and a literal quote; other backslashes are literal; inside a quoted
//    part a run of three quotes gives one literal quote.
//
// Input (fuzz_support.h): flags, then two texts: the handler's command and the address.
#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz/fuzz_support.h"
#include "update/browser_command.h"

using namespace quorlin;
using namespace quorlin::fuzz;

namespace {

struct Parsed {
    std::vector<std::wstring> args;
    bool openQuote = false;  // the line ended inside a quoted part
};

bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t'; }

Parsed ParseCommandLine(const std::wstring& s) {
    Parsed p;
    const std::size_t n = s.size();
    std::size_t i = 0;
    std::wstring program;
    if (i < n && s[i] == L'"') {
        ++i;
        while (i < n && s[i] != L'"') program += s[i++];
        if (i < n) ++i;
        else p.openQuote = true;
    } else {
        while (i < n && !IsBlank(s[i])) program += s[i++];
    }
    p.args.push_back(program);
    while (i < n && IsBlank(s[i])) ++i;

    std::wstring arg;
    bool inArg = false;
    int quotes = 0;  // 1 inside a quoted part
    std::size_t backslashes = 0;
    while (i < n) {
        const wchar_t c = s[i];
        if (IsBlank(c) && quotes == 0) {
            p.args.push_back(arg);
            arg.clear();
            inArg = false;
            backslashes = 0;
            while (i < n && IsBlank(s[i])) ++i;
            continue;
        }
        inArg = true;
        if (c == L'\\') {
            arg += c;
            ++backslashes;
            ++i;
            continue;
        }
        if (c == L'"') {
            if (backslashes % 2 == 0) {
                arg.erase(arg.size() - backslashes / 2);
                ++quotes;
            } else {
                arg.erase(arg.size() - backslashes / 2 - 1);
                arg += L'"';
            }
            backslashes = 0;
            ++i;
            while (i < n && s[i] == L'"') {
                if (++quotes == 3) {
                    arg += L'"';
                    quotes = 0;
                }
                ++i;
            }
            if (quotes == 2) quotes = 0;
            continue;
        }
        arg += c;
        backslashes = 0;
        ++i;
    }
    if (inArg) p.args.push_back(arg);
    p.openQuote = p.openQuote || quotes != 0;
    return p;
}

std::wstring WithoutZeros(std::wstring s) {
    s.erase(std::remove(s.begin(), s.end(), L'\0'), s.end());
    return s;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const TwoParts in = SplitInput(data, size);
    // Neither a registry string nor an address reaches us with a zero character in it.
    const std::wstring handler = WithoutZeros(Wide(in.first, in.flags));
    const std::wstring url = WithoutZeros(Wide(in.second, in.flags));

    const std::wstring line = BuildBrowserCommandLine(handler, url);
    const std::wstring quoted = QuoteAddressArgument(url);
    const std::wstring tail = L" " + quoted;
    FUZZ_CHECK(line.size() >= tail.size() && line.compare(line.size() - tail.size(), tail.size(), tail) == 0);

    // The handler's part: its command cut at the first "%1" in quotes, else at the first %1.
    const std::wstring head = line.substr(0, line.size() - tail.size());
    std::size_t cut = handler.find(L"\"%1\"");
    if (cut == std::wstring::npos) cut = handler.find(L"%1");
    FUZZ_CHECK(head == handler.substr(0, cut));

    std::wstring expected;
    for (wchar_t c : url) {
        if (c == L'"') expected += L"%22";
        else expected += c;
    }

    // The quoted address alone, after a program name: exactly one argument, the address.
    const Parsed alone = ParseCommandLine(L"b.exe " + quoted);
    FUZZ_CHECK(!alone.openQuote);
    FUZZ_CHECK(alone.args.size() == 2);
    FUZZ_CHECK(alone.args[1] == expected);

    // After a handler command that is itself well formed, it adds exactly that argument.
    const Parsed before = ParseCommandLine(head);
    if (!before.openQuote) {
        const Parsed all = ParseCommandLine(line);
        FUZZ_CHECK(!all.openQuote);
        FUZZ_CHECK(all.args.size() == before.args.size() + 1);
        FUZZ_CHECK(all.args.back() == expected);
        for (std::size_t k = 0; k < before.args.size(); ++k) FUZZ_CHECK(all.args[k] == before.args[k]);
    }
    return 0;
}
