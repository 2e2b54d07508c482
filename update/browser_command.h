// The command line that opens an address with the ".htm" handler when the shell refuses it.
#pragma once
#include <string>

namespace quorlin {

// The address as one command-line argument: double-quoted, each '"' inside written as %22,
// and trailing backslashes doubled so that CommandLineToArgvW gives back the address unchanged.
std::wstring QuoteAddressArgument(const std::wstring& url);

// True when url starts with "http://" or "https://" in any letter case: a web address the
// browser fallback may hand on (the add dialog and the import are stricter: IsWebAddress).
bool IsWebAddressAnyCase(const std::wstring& url);
// True when url starts with "https://" (any letter case).
bool IsHttpsAddress(const std::wstring& url);

// The handler's command cut at its first "\"%1\"" (else its first %1), then " " and the quoted
// address. No length limit: the caller must hand the result to a wide-string process API.
std::wstring BuildBrowserCommandLine(const std::wstring& handlerCommand, const std::wstring& url);

}  // namespace quorlin
