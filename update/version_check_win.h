// The version check: on its own worker thread, asks the update endpoint for the current
// version and offers the home page when a newer one exists.
#pragma once

#include <windows.h>

#include <string>

// Starts a check on a new worker thread and returns at once. interactive: every
// outcome is reported; otherwise only a newer version is.
void StartVersionCheck(bool interactive);
// The worker body (also callable directly, e.g. from tests): returns 0.
unsigned CheckVersion(bool interactive);
// "a.b.c.d" from the module's fixed file version, "" when it cannot be read.
std::wstring GetFileVersionString(HMODULE module);
// The body of an HTTP GET as text, "" on any failure; stops reading as soon as the reply
// is longer than any valid reply can be, and gives up after a timeout.
std::wstring FetchReplyText(const std::wstring& address);
// The endpoint the check asks: string 151, unless setting.ini names another one under
// [SETTING] UpdateEndpoint (a key the program never writes; for tests and mirrors).
std::wstring UpdateEndpoint();
