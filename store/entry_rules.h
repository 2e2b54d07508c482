// What an entry handed to the program from outside (an import file) may hold before it
// becomes a button, and the common shell entries the program itself makes. The add
// dialog's web-address rule is the same function. Portable.
//
// A button runs what it names on the user's behalf, so an entry is refused when it could
// run something other than what it shows, or reach another machine unasked:
// - a web address (kinds 1 and 4) begins with "http://" or "https://";
// - a shell entry (kind 3) has the path and parameter of one of the common entries the
//   panel's menu adds (its picture and shown name come from its title, so any other path
//   could look like My Computer and run a program); its title may be any;
// - a file or folder (kinds 0 and 2, and any other code) is a local path: a drive-letter
//   path ("C:\..."), "\\?\C:\...", or "%USERPROFILE%\..." as an export writes it. Network
//   paths (UNC "\\host\share", "\\?\UNC\", WebDAV "\\host@SSL\..." and "\\host@8080\..."),
//   device paths ("\\.\", "\??\", "\\?\" before anything but a drive), addresses of any
//   scheme ("file://", "search-ms:", "ms-msdt:", ...) and relative paths are refused.
#pragma once

#include <string>

namespace quorlin {

// The stored titles of the built-in entries (kept in Chinese whatever the language).
inline constexpr wchar_t kComputerTitle[] = L"我的电脑";
inline constexpr wchar_t kControlPanelTitle[] = L"控制面板";
inline constexpr wchar_t kDocumentsTitle[] = L"我的文档";
inline constexpr wchar_t kRecycleBinTitle[] = L"回收站";
inline constexpr wchar_t kBrowserTitle[] = L"IE浏览器";

// Home page handed to the browser common entry as its parameter.
inline constexpr wchar_t kBrowserHomePage[] = L"http://www.zanthe.example/";

// The paths of the common shell entries.
inline constexpr wchar_t kComputerPath[] = L"::{20D04FE0-3AEA-1069-A2D8-08002B30309D}";
inline constexpr wchar_t kControlPanelPath[] = L"::{21EC2020-3AEA-1069-A2DD-08002B30309D}";
inline constexpr wchar_t kRecycleBinPath[] = L"::{645FF040-5081-101B-9F08-00AA002F954E}";
inline constexpr wchar_t kBrowserPath[] = L"iexplore.exe";

// A shell entry (kind 3) as the panel's menu adds it.
struct CommonShellEntry {
    const wchar_t* title;
    const wchar_t* path;
    const wchar_t* parameter;
};
inline constexpr CommonShellEntry kCommonShellEntries[] = {
    {kComputerTitle, kComputerPath, L""},
    {kControlPanelTitle, kControlPanelPath, L""},
    {kRecycleBinTitle, kRecycleBinPath, L""},
    {kBrowserTitle, kBrowserPath, kBrowserHomePage},
};

// True for an address that begins with "http://" or "https://" (letter case counts).
bool IsWebAddress(const std::wstring& address);

enum class EntryRefusal {
    None,
    WebAddress,    // kind 1 or 4 without http:// or https://
    ShellEntry,    // kind 3 that is not one of the common shell entries
    NetworkPath,   // UNC, WebDAV or device path
    NotLocalPath,  // an address of some scheme, a relative or drive-less path
};

// Whether an entry of this kind may become a button; `path` as an import file writes it
// ("%USERPROFILE%" not yet replaced).
EntryRefusal CheckEntry(int kind, const std::wstring& path, const std::wstring& parameter);

}  // namespace quorlin
