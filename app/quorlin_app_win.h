// The application object: start-up in order, the single-instance guard, the shared
// state every window reaches (directory, store, switches, main window) and shutdown.
#pragma once

#include <windows.h>

#include <string>

#include "store/db_session.h"

class CQuorlinDlg;
class CToolTipDlg;
class CDelDlg;

class CQuorlinApp {
public:
    CQuorlinApp();
    virtual ~CQuorlinApp();

    // Runs the whole life of the program; always false, so that shutdown follows.
    virtual BOOL InitInstance();
    // Releases what start-up acquired, and only that.
    virtual int ExitInstance();
    // The store and COM, and GDI+ when shutGdiplus is set. Pictures and fonts made under
    // GDI+ die with its shutdown, so a process that makes several panels in a row (the
    // tests) keeps GDI+ for the tooltip and ghost, which live until the process ends.
    void ReleaseRuntime(bool shutGdiplus);

    // True for the first instance; a second one brings the running panel forward.
    bool CheckSingleInstance();
    // The executable's directory without a trailing backslash ("" when unknown).
    static std::wstring GetAppDir();

    // Start-up after the single-instance check and appDir: COM, the store (false when
    // it cannot be opened: the user was told), the switches, GDI+.
    bool PrepareRuntime();
    // Runs the panel as a modal dialog until it ends.
    void RunPanel();

    // The executable's file name without its extension: caption of our own message
    // boxes and user agent of the version request.
    static std::wstring AppName();
    // The panel's window, or null while there is none.
    HWND MainHwnd() const;

    ULONG_PTR gdiplusToken = 0;
    std::wstring appDir;
    // Where bts.db and setting.ini live (app/data_location.h); empty means appDir.
    std::wstring dataDir;
    const std::wstring& DataDir() const { return dataDir.empty() ? appDir : dataDir; }
    quorlin::DbSession store;
    int transparency = 255;      // TRANS: read and kept; the panel always draws at full opacity
    bool fixed = false;          // LOCK: the panel cannot be dragged
    bool topMost = false;        // TOPMOST: above all windows instead of on the desktop layer
    bool buttonsLocked = false;  // LOCK_BTN: no drag of buttons; dropping files asks first

    // The framework's main-window pointer: the panel while its dialog runs.
    CQuorlinDlg* mainWnd = nullptr;

private:
    bool comInitialized_ = false;
    bool gdiplusStarted_ = false;
};

// The one application object of the process.
CQuorlinApp& theApp();

// The identifier of the registered message "TaskbarCreated" (registered at static start).
UINT TaskbarCreatedMessage();

// The process-wide tooltip and drag ghost. The panel has them made right after its first
// frame is on screen; whoever needs one first makes both.
extern CToolTipDlg* g_toolTip;
extern CDelDlg* g_ghost;
void EnsureHelperWindows();

// Posts the render request (WM_COMMAND IDC_LAUNCH_BUTTON) to the panel, if there is one.
void PostRenderRequest();
