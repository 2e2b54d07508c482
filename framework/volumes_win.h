// What the program may do with a file or folder target before the user clicks it: whether
// its drive is a local one that is there, a removable one, absent, or on the network.
#pragma once

#include <string>

namespace quorlin::fw {

enum class TargetReach {
    LocalFixed,      // a fixed (or RAM) drive that is there: looked at freely; a target missing there is gone
    LocalRemovable,  // a removable drive or disc: looked at, but a missing target is never judged gone
    AbsentDrive,     // a drive letter with no volume behind it now (a USB stick not plugged in)
    Network,         // UNC, WebDAV or a mapped network drive: never touched before a click
    Elsewhere,       // a device path, a relative path or an address: never touched
};

// Tells from the path and the drive's type (GetDriveTypeW on a drive letter's root, which
// reaches no other machine).
TargetReach ReachOf(const std::wstring& path);

// Whether the target's attributes and icon may be read without the user asking.
inline bool MayLookAt(TargetReach reach) {
    return reach == TargetReach::LocalFixed || reach == TargetReach::LocalRemovable;
}

}  // namespace quorlin::fw
