#include "store/entry_rules.h"

#include <cwctype>

#include "framework/target_place.h"
#include "store/button_table.h"

namespace quorlin {

namespace {

const wchar_t kProfileToken[] = L"%USERPROFILE%";

bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

bool StartsWith(const std::wstring& text, const wchar_t* head) { return text.rfind(head, 0) == 0; }

bool StartsWithNoCase(const std::wstring& text, const std::wstring& head) {
    if (text.size() < head.size()) return false;
    for (size_t i = 0; i < head.size(); ++i)
        if (std::towlower(text[i]) != std::towlower(head[i])) return false;
    return true;
}

EntryRefusal CheckLocalPath(const std::wstring& p) {
    const std::wstring profile = kProfileToken;
    if (StartsWithNoCase(p, profile) && (p.size() == profile.size() || IsSeparator(p[profile.size()])))
        return EntryRefusal::None;
    switch (HomeOfPath(p)) {
        case PathHome::Drive: return EntryRefusal::None;  // "C:\..." and "\\?\C:\..." (past MAX_PATH)
        case PathHome::Network: return EntryRefusal::NetworkPath;
        case PathHome::Elsewhere: break;
    }
    // Device paths ("\\.\", "\\?\Volume{...}", the object manager's "\??\") are refused with
    // the network's; what is left is relative, or an address of some scheme.
    if ((p.size() >= 2 && IsSeparator(p[0]) && IsSeparator(p[1])) || StartsWith(p, L"\\??\\"))
        return EntryRefusal::NetworkPath;
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
