// The real Win32 implementations of the seams, and the tray seam, which only exists
// on Windows.
#pragma once

#include <windows.h>
#include <shellapi.h>

namespace quorlin {

// Installs MessageBoxW, ShellExecuteW/ExW/WinExec and PlaySoundW behind the seams.
void InstallRealSeams();

class ITray {
public:
    virtual ~ITray() = default;
    // Shell_NotifyIconW.
    virtual BOOL Notify(DWORD message, NOTIFYICONDATAW* data) = 0;
};
ITray& Tray();
ITray* SetTray(ITray* impl);

}  // namespace quorlin
