// The version check: on its own worker thread, asks the update endpoint for the current
// version and offers the home page when a newer one exists.
#pragma once

#include <windows.h>

#include <chrono>
#include <string>

#include "framework/seams_win.h"

// Each network step (connecting, sending the request, every wait for data) gives up after
// this long...
constexpr DWORD kVersionNetworkTimeoutMs = 10000;
// ...and the whole request, however the server behaves, after this long.
constexpr std::chrono::milliseconds kVersionReplyDeadline{20000};

// Starts a check on a new worker thread and returns at once. interactive: every
// outcome is reported; otherwise only a newer version the user was not asked about yet
// (setting.ini's [SETTING] UpdateAsked), and not while the user is busy (see UserBusy in
// framework/seams_win.h). The endpoint and UpdateAsked are read here, on the caller's thread,
// from settingsFile (setting.ini); the worker only writes UpdateAsked there when it asks.
// The check asks only an https endpoint, with WinINet's certificate checks, and follows no
// redirect; anything else is a failed check. The box is task-modal, without an owner.
void StartVersionCheck(bool interactive, const std::wstring& settingsFile);
// The worker body (also callable directly, e.g. from tests): asks UpdateEndpoint(settingsFile),
// read on the calling thread. Returns 0.
unsigned CheckVersion(bool interactive, const std::wstring& settingsFile);
// How many automatic checks have held their question back because the user was busy: the
// panel starts another check once the user is free (panel/held_notices.h).
unsigned QuestionsHeld();
// "a.b.c.d" from the module's fixed file version, "" when it cannot be read.
std::wstring GetFileVersionString(HMODULE module);
// The body of an HTTPS GET as text, "" on any failure and for any other address; stops reading as soon as the reply
// is longer than any valid reply can be, and gives up after a timeout.
std::wstring FetchReplyText(const std::wstring& address);
// The same with a deadline of the caller's choosing: when it passes before the whole body
// has arrived, the result is "" (the request is abandoned and ends on its own).
std::wstring FetchReplyText(const std::wstring& address, std::chrono::milliseconds deadline);
// The endpoint the check asks: string 151, unless settingsFile (setting.ini; "" for none)
// names another one under [SETTING] UpdateEndpoint (a key the program never writes; for
// tests and mirrors).
std::wstring UpdateEndpoint(const std::wstring& settingsFile);
