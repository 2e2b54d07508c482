#include "update/browser_win.h"

#include <windows.h>

#include <vector>

#include "framework/seams.h"
#include "update/browser_command.h"

namespace {

// The default value of root\subKey as text, read at whatever length it has; false when the
// key or its value is missing or is not a string. An expandable string is expanded, as the
// shell does with the commands it runs.
bool ReadDefaultValue(HKEY root, const std::wstring& subKey, std::wstring& value) {
    HKEY key = nullptr;
    if (::RegOpenKeyExW(root, subKey.c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return false;
    DWORD type = 0;
    DWORD size = 0;
    LONG rc = ::RegQueryValueExW(key, nullptr, nullptr, &type, nullptr, &size);
    std::vector<wchar_t> data;
    // The value may grow between the two calls: ask again until it fits.
    while (rc == ERROR_SUCCESS || rc == ERROR_MORE_DATA) {
        data.assign(size / sizeof(wchar_t) + 2, L'\0');  // room for a terminator the value may lack
        DWORD bytes = static_cast<DWORD>((data.size() - 1) * sizeof(wchar_t));
        rc = ::RegQueryValueExW(key, nullptr, nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &bytes);
        if (rc == ERROR_SUCCESS) break;
        if (rc == ERROR_MORE_DATA) size = bytes;
    }
    ::RegCloseKey(key);
    if (rc != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) return false;
    value.assign(data.data());  // up to the first terminator
    if (type == REG_EXPAND_SZ) {
        DWORD needed = ::ExpandEnvironmentStringsW(value.c_str(), nullptr, 0);
        if (needed > 0) {
            std::vector<wchar_t> expanded(needed + 1, L'\0');
            if (::ExpandEnvironmentStringsW(value.c_str(), expanded.data(), needed + 1) > 0)
                value.assign(expanded.data());
        }
    }
    return true;
}

}  // namespace

int OpenInDefaultBrowser(const std::wstring& url) {
    using quorlin::Shell;
    const std::intptr_t shellResult = Shell().Execute(0, L"open", url.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
    if (shellResult > 32) return static_cast<int>(shellResult);

    // The shell refused: run the command that opens ".htm" files, with the address on it (a
    // web address only: a browser handed a file or script address would run it).
    if (!quorlin::IsWebAddressAnyCase(url)) return static_cast<int>(shellResult);
    std::wstring className;
    if (!ReadDefaultValue(HKEY_CLASSES_ROOT, L".htm", className) || className.empty())
        return static_cast<int>(shellResult);
    std::wstring handler;
    if (!ReadDefaultValue(HKEY_CLASSES_ROOT, className + L"\\shell\\open\\command", handler) || handler.empty())
        return static_cast<int>(shellResult);

    const std::wstring commandLine = quorlin::BuildBrowserCommandLine(handler, url);
    return static_cast<int>(Shell().RunCommandLine(commandLine, SW_SHOWNORMAL));
}
