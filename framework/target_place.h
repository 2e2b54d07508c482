// Where a file or folder target lives, as far as its path tells, without asking the system:
// on a drive letter, on the network, or elsewhere. A launcher must not reach another machine
// (and hand it the user's credentials) just because a button names it. Portable.
#pragma once

#include <string>

namespace quorlin {

enum class PathHome {
    Drive,      // "C:\...", "C:/..." or "\\?\C:\..." (local, removable or mapped: ask the system)
    Network,    // UNC "\\host\share\...", "//host/share/...", "\\?\UNC\host\share\...", WebDAV "\\host@SSL\..."
    Elsewhere,  // a device path ("\\.\", "\\?\" before anything but a drive), a relative path, an address
};

// Where `path` lives; for a drive, its letter (upper case) in `*drive` when given.
PathHome HomeOfPath(const std::wstring& path, wchar_t* drive = nullptr);

// The place a path lives at, for telling the user: "E:" for a drive, "\\host\share" for a
// network path, else the path itself.
std::wstring PlaceOfPath(const std::wstring& path);

}  // namespace quorlin
