// The Win32 side of "--export FILE" / "--import FILE": run before anything else at start.
#pragma once

namespace quorlin {

// The registered window message that asks a running panel to load its buttons again
// (after an import from the command line). The panel finds it with
// RegisterWindowMessageW(kReloadMessageName).
inline constexpr wchar_t kReloadMessageName[] = L"quorlin-reload";

// When the command line asks for an export or an import (or misuses those switches):
// does it without any window, tells the result, and returns true with the process's exit
// code. Otherwise returns false and the program starts as usual.
//
// The result goes to standard output (standard error when it failed) when the program was
// started with them (redirected to a file or a pipe: UTF-8; a console: as is); else to the
// console of the program that started it (cmd.exe, PowerShell); else, started without a
// console (a shortcut), into one message box.
bool RunCommandLine(const wchar_t* commandLine, int& exitCode);
// Whether the command line is "--settings" (the panel then opens its settings window).
bool CommandLineAsksForSettings(const wchar_t* commandLine);

}  // namespace quorlin
