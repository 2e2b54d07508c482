#include "update/version_check_win.h"

// Placeholder while the check is being written.
void StartVersionCheck(bool) {}
unsigned CheckVersion(bool) { return 0; }
std::wstring GetFileVersionString(HMODULE) { return L""; }
std::wstring FetchReplyText(const std::wstring&) { return L""; }
std::wstring UpdateEndpoint() { return L""; }
