#include "store/entry_rules.h"

#include <cwctype>

#include "store/button_table.h"

namespace quorlin {

namespace {

const wchar_t kProfileToken[] = L"%USERPROFILE%";

bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }
bool IsAsciiLetter(wchar_t c) { return (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z'); }

bool StartsWith(const std::wstring& text, const wchar_t* head) { return text.rfind(head, 0) == 0; }

bool StartsWithNoCase(const std::wstring& text, const std::wstring& head) {
    if (text.size() < head.size()) return false;
    for (size_t i = 0; i < head.size(); ++i)
        if (std::towlower(text[i]) != std::towlower(head[i])) return false;
    return true;
}

// "X:\" or "X:/" at `at`.
bool IsDrivePath(const std::wstring& p, size_t at) {
    return p.size() >= at + 3 && IsAsciiLetter(p[at]) && p[at + 1] == L':' && IsSeparator(p[at + 2]);
}

EntryRefusal CheckLocalPath(const std::wstring& p) {
    const std::wstring profile = kProfileToken;
    if (StartsWithNoCase(p, profile) && (p.size() == profile.size() || IsSeparator(p[profile.size()])))
        return EntryRefusal::None;
    if (IsDrivePath(p, 0)) return EntryRefusal::None;
    if (p.size() >= 2 && IsSeparator(p[0]) && IsSeparator(p[1])) {
        // "\\?\C:\..." is a local path past MAX_PATH; every other one names another machine
        // (UNC, "\\?\UNC\", WebDAV's "host@SSL" and "host@port") or a device ("\\.\", "\\?\Volume{...}").
        if (p.size() >= 4 && p[2] == L'?' && IsSeparator(p[3]) && IsDrivePath(p, 4)) return EntryRefusal::None;
        return EntryRefusal::NetworkPath;
    }
    if (StartsWith(p, L"\\??\\")) return EntryRefusal::NetworkPath;  // the object manager's names
    return EntryRefusal::NotLocalPath;
}

}  // namespace

bool IsWebAddress(const std::wstring& address) {
    return StartsWith(address, L"http://") || StartsWith(address, L"https://");
}

EntryRefusal CheckEntry(int kind, const std::wstring& path, const std::wstring& parameter) {
    switch (kind) {
        case ItemKind::BrowserUrl:
        case ItemKind::Url:
            return IsWebAddress(path) ? EntryRefusal::None : EntryRefusal::WebAddress;
        case ItemKind::ShellEntry:
            for (const CommonShellEntry& e : kCommonShellEntries)
                if (path == e.path && parameter == e.parameter) return EntryRefusal::None;
            return EntryRefusal::ShellEntry;
        default:
            return CheckLocalPath(path);
    }
}

}  // namespace quorlin
