#include "framework/volumes_win.h"

#include <windows.h>

#include "framework/target_place.h"

namespace quorlin::fw {

TargetReach ReachOf(const std::wstring& path) {
    wchar_t letter = 0;
    switch (HomeOfPath(path, &letter)) {
        case PathHome::Network: return TargetReach::Network;
        case PathHome::Elsewhere: return TargetReach::Elsewhere;
        case PathHome::Drive: break;
    }
    const wchar_t root[] = {letter, L':', L'\\', 0};
    switch (::GetDriveTypeW(root)) {
        case DRIVE_FIXED:
        case DRIVE_RAMDISK: return TargetReach::LocalFixed;
        case DRIVE_REMOVABLE:
        case DRIVE_CDROM: return TargetReach::LocalRemovable;
        case DRIVE_REMOTE: return TargetReach::Network;
        default: return TargetReach::AbsentDrive;  // DRIVE_NO_ROOT_DIR, DRIVE_UNKNOWN
    }
}

}  // namespace quorlin::fw
