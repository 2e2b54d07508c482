// The real Win32 implementations of the seams, and the seams that only exist on Windows:
// the tray, the file chooser and the high-contrast switch.
#pragma once

#include <windows.h>
#include <shellapi.h>
#include <commdlg.h>

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

class IFileChooser {
public:
    virtual ~IFileChooser() = default;
    // GetOpenFileNameW and GetSaveFileNameW. Their library (comdlg32) is loaded on first
    // use: linking it would cost every start of the program its load time and memory.
    virtual BOOL Open(OPENFILENAMEW* ofn) = 0;
    virtual BOOL Save(OPENFILENAMEW* ofn) = 0;
};
IFileChooser& FileChooser();
IFileChooser* SetFileChooser(IFileChooser* impl);

class IHighContrast {
public:
    virtual ~IHighContrast() = default;
    // Whether Windows' high-contrast mode is on (SystemParametersInfoW(SPI_GETHIGHCONTRAST)).
    // Wine 8 always says off: the tests switch it on here.
    virtual bool On() = 0;
};
IHighContrast& HighContrast();
IHighContrast* SetHighContrast(IHighContrast* impl);

// Whether the user must not be interrupted now. The real one asks SHQueryUserNotificationState:
// busy, a full-screen Direct3D program (a game) or presentation mode. May be called on any thread.
bool UserBusy();
using UserBusyQuery = bool (*)();
// Installs another query (tests); nullptr puts back the real one. Returns the previous one.
UserBusyQuery SetUserBusyQuery(UserBusyQuery query);

}  // namespace quorlin
