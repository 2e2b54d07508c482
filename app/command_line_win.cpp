#include "app/command_line_win.h"

#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>

#include <string>
#include <vector>

#include "app/command_line.h"
#include "app/data_location_win.h"
#include "app/quorlin_app_win.h"
#include "framework/seams.h"
#include "framework/text.h"

namespace quorlin {

namespace {

bool WriteTo(HANDLE h, const std::wstring& text) {
    if (!h || h == INVALID_HANDLE_VALUE) return false;
    DWORD mode = 0, written = 0;
    if (::GetConsoleMode(h, &mode))
        return ::WriteConsoleW(h, text.c_str(), static_cast<DWORD>(text.size()), &written, nullptr) != FALSE;
    const std::string bytes = ToUtf8(text);
    return ::WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) != FALSE;
}

void Tell(const std::vector<std::wstring>& lines, bool failed) {
    std::wstring text;
    for (const std::wstring& l : lines) text += l + L"\n";
    if (text.empty()) return;
    std::wstring crlf;
    for (wchar_t c : text) {
        if (c == L'\n') crlf += L'\r';
        crlf += c;
    }
    if (WriteTo(::GetStdHandle(failed ? STD_ERROR_HANDLE : STD_OUTPUT_HANDLE), crlf)) return;
    if (::AttachConsole(ATTACH_PARENT_PROCESS)) {
        HANDLE out = ::CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                   OPEN_EXISTING, 0, nullptr);
        const bool ok = WriteTo(out, L"\r\n" + crlf);
        if (out != INVALID_HANDLE_VALUE) ::CloseHandle(out);
        ::FreeConsole();
        if (ok) return;
    }
    MessageBoxes().Show(0, text, CQuorlinApp::AppName(), kMbOk);
}

// The running panel, found as the single-instance check finds it.
void AskPanelToReload() {
    const UINT message = ::RegisterWindowMessageW(kReloadMessageName);
    for (HWND w = ::GetWindow(::GetDesktopWindow(), GW_CHILD); w && ::IsWindow(w); w = ::GetWindow(w, GW_HWNDNEXT)) {
        if (::GetPropW(w, L"qiv_zembrick")) {
            ::PostMessageW(w, message, 0, 0);
            return;
        }
    }
}

}  // namespace

namespace {

CommandLineAction ActionOf(const wchar_t* commandLine) {
    int argc = 0;
    wchar_t** argv = commandLine && *commandLine ? ::CommandLineToArgvW(commandLine, &argc) : nullptr;
    std::vector<std::wstring> args;
    for (int i = 1; argv && i < argc; ++i) args.push_back(argv[i]);
    if (argv) ::LocalFree(argv);
    return ParseCommandLine(args);
}

}  // namespace

bool CommandLineAsksForSettings(const wchar_t* commandLine) {
    return ActionOf(commandLine).kind == CommandLineAction::Kind::Settings;
}

bool RunCommandLine(const wchar_t* commandLine, int& exitCode) {
    const CommandLineAction action = ActionOf(commandLine);
    if (action.kind == CommandLineAction::Kind::None || action.kind == CommandLineAction::Kind::Settings) return false;
    // The data folder a start of the panel would use (prepared the same way, without its message).
    const std::wstring dataDir = PrepareDataFolder(CQuorlinApp::GetAppDir(), UserAppDataFolder()).folder;
    const TransferResult r = RunCommandLineAction(action, dataDir, UserProfileFolder(), CurrentDateTime());
    if (r.added > 0) AskPanelToReload();
    Tell(r.lines, r.exitCode != 0);
    exitCode = r.exitCode;
    return true;
}

}  // namespace quorlin
