// UTF-16/UTF-8 conversion and small string helpers, portable.
// Strings are std::wstring throughout: UTF-16 on Windows, UTF-32 on Linux.
#pragma once
#include <string>

namespace quorlin {

std::string ToUtf8(const std::wstring& text);
// Invalid UTF-8 sequences become U+FFFD.
std::wstring FromUtf8(const std::string& text);
// WTF-8, the form the button store keeps its texts in: UTF-8, except that a lone UTF-16
// surrogate (legal in NTFS names) is written as its own three-byte sequence instead of
// U+FFFD, so that every UTF-16 string comes back exactly. Other invalid bytes read as U+FFFD.
std::string ToWtf8(const std::wstring& text);
std::wstring FromWtf8(const std::string& text);
// Leading and trailing white space (space, tab, CR, LF, VT, FF and U+3000) removed.
std::wstring Trim(const std::wstring& text);
// A text from outside as the user is shown it: every control character and every mark
// that turns the writing direction round (which could forge a line, or make "exe.txt"
// read as "txt.exe") replaced by U+FFFD.
std::wstring Displayable(const std::wstring& text);
// printf-style "%d" rendering of an int.
std::wstring IntToText(long long value);

}  // namespace quorlin
