// UTF-16/UTF-8 conversion and small string helpers, portable.
// Strings are std::wstring throughout: UTF-16 on Windows, UTF-32 on Linux.
#pragma once
#include <string>

namespace quorlin {

std::string ToUtf8(const std::wstring& text);
// Invalid UTF-8 sequences become U+FFFD.
std::wstring FromUtf8(const std::string& text);
// Leading and trailing white space (space, tab, CR, LF, VT, FF and U+3000) removed.
std::wstring Trim(const std::wstring& text);
// printf-style "%d" rendering of an int.
std::wstring IntToText(long long value);

}  // namespace quorlin
