// How a launcher button opens its item and what it says when that fails; no shell calls here.
#pragma once
#include <cstdint>
#include <optional>
#include <string>

namespace quorlin {

inline constexpr wchar_t kOpenVerb[] = L"open";
inline constexpr wchar_t kPropertiesVerb[] = L"properties";
inline constexpr wchar_t kExplorerExe[] = L"explorer.exe";  // started from the Windows folder by full path

// One ShellExecuteW call (no owner, no directory, SW_SHOWNORMAL), or the default browser instead.
struct OpenPlan {
    bool useBrowser = false;             // BrowserUrl: OpenInDefaultBrowser(file), no failure check
    std::optional<std::wstring> verb;    // nullopt = null verb (the shell's default)
    std::wstring file;
    std::optional<std::wstring> params;  // nullopt = null parameters
};

// The open call for an item of kind iType with its PathName and Para.
OpenPlan OpenPlanFor(int iType, const std::wstring& path, const std::wstring& para);

// True when a ShellExecuteW result reports failure (below 32; 32 itself succeeds).
bool IsShellFailure(std::intptr_t result);

// Text and caption of the Yes/No question that offers to delete a button whose target
// failed to open.
std::wstring RemovalPromptText(const std::wstring& path);
std::wstring RemovalPromptCaption();
// What a click on a button whose target is out of reach says: where the target lives (its
// drive, or its network share), and that its drive is not connected when `driveAbsent`.
std::wstring OutOfReachText(const std::wstring& title, const std::wstring& path, bool driveAbsent);

// Parameters for explorer.exe that open the folder holding `path` with it selected:
// "/select, " and the path in quotes (a drive root as it is).
std::wstring ContainingFolderParams(const std::wstring& path);

}  // namespace quorlin
