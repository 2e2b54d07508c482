#include "framework/target_place.h"

namespace quorlin {

namespace {

bool IsSlash(wchar_t c) { return c == L'\\' || c == L'/'; }

bool IsLetter(wchar_t c) { return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z'); }

bool StartsWithNoCase(const std::wstring& s, const wchar_t* prefix) {
    size_t i = 0;
    for (; prefix[i]; ++i) {
        if (i >= s.size()) return false;
        wchar_t a = s[i], b = prefix[i];
        if (a >= L'a' && a <= L'z') a = static_cast<wchar_t>(a - 32);
        if (b >= L'a' && b <= L'z') b = static_cast<wchar_t>(b - 32);
        if (a != b) return false;
    }
    return true;
}

// "X:\" at `at`: the drive letter, or 0.
wchar_t DriveAt(const std::wstring& p, size_t at) {
    if (p.size() < at + 3 || !IsLetter(p[at]) || p[at + 1] != L':' || !IsSlash(p[at + 2])) return 0;
    const wchar_t c = p[at];
    return c >= L'a' ? static_cast<wchar_t>(c - 32) : c;
}

}  // namespace

PathHome HomeOfPath(const std::wstring& path, wchar_t* drive) {
    if (wchar_t letter = DriveAt(path, 0)) {
        if (drive) *drive = letter;
        return PathHome::Drive;
    }
    if (path.size() < 3 || !IsSlash(path[0]) || !IsSlash(path[1])) return PathHome::Elsewhere;
    // "\\?\" and "\\.\": the system's own names; a drive behind "\\?\" (a path past MAX_PATH) or
    // the UNC prefix, else a device.
    if ((path[2] == L'?' || path[2] == L'.') && path.size() > 3 && IsSlash(path[3])) {
        if (wchar_t letter = path[2] == L'?' ? DriveAt(path, 4) : 0) {
            if (drive) *drive = letter;
            return PathHome::Drive;
        }
        return StartsWithNoCase(path.substr(4), L"UNC\\") ? PathHome::Network : PathHome::Elsewhere;
    }
    return IsSlash(path[2]) ? PathHome::Elsewhere : PathHome::Network;
}

std::wstring PlaceOfPath(const std::wstring& path) {
    wchar_t letter = 0;
    switch (HomeOfPath(path, &letter)) {
        case PathHome::Drive: return std::wstring(1, letter) + L":";
        case PathHome::Network: {
            // The host and the share: the first two names after the leading slashes (and
            // after "\\?\UNC\").
            size_t at = StartsWithNoCase(path, L"\\\\?\\UNC\\") ? 8 : 2;
            std::wstring out = L"\\\\";
            for (int names = 0; at <= path.size() && names < 2; ++names) {
                size_t end = at;
                while (end < path.size() && !IsSlash(path[end])) ++end;
                if (names) out += L"\\";
                out += path.substr(at, end - at);
                at = end + 1;
            }
            return out;
        }
        case PathHome::Elsewhere: break;
    }
    return path;
}

}  // namespace quorlin
