#include "update/browser_command.h"

namespace quorlin {

namespace {

bool StartsWithAsciiNoCase(const std::wstring& text, const wchar_t* prefix) {
    std::size_t i = 0;
    for (; prefix[i]; ++i) {
        if (i >= text.size()) return false;
        const wchar_t c = text[i] >= L'A' && text[i] <= L'Z' ? static_cast<wchar_t>(text[i] - L'A' + L'a') : text[i];
        if (c != prefix[i]) return false;
    }
    return true;
}

}  // namespace

bool IsWebAddressAnyCase(const std::wstring& url) {
    return StartsWithAsciiNoCase(url, L"http://") || IsHttpsAddress(url);
}

bool IsHttpsAddress(const std::wstring& url) { return StartsWithAsciiNoCase(url, L"https://"); }

std::wstring QuoteAddressArgument(const std::wstring& url) {
    std::wstring arg = L"\"";
    // A quote can never end the argument early: it is percent-encoded, which a browser reads
    // as the same address.
    for (wchar_t c : url) {
        if (c == L'"') arg += L"%22";
        else arg += c;
    }
    // Backslashes only have a special meaning before a quote, and the sole quote left is the
    // closing one: double the backslashes in front of it so they stay literal.
    std::size_t trailing = 0;
    while (trailing < url.size() && url[url.size() - 1 - trailing] == L'\\') ++trailing;
    arg.append(trailing, L'\\');
    arg += L'"';
    return arg;
}

std::wstring BuildBrowserCommandLine(const std::wstring& handlerCommand, const std::wstring& url) {
    std::wstring line = handlerCommand;
    std::size_t cut = line.find(L"\"%1\"");
    if (cut == std::wstring::npos) cut = line.find(L"%1");
    if (cut != std::wstring::npos) line.erase(cut);
    return line + L" " + QuoteAddressArgument(url);
}

}  // namespace quorlin
