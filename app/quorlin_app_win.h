// The application object: start-up in order, the single-instance guard, and shutdown.
// It owns the paths and switches (AppState) and the store, and creates the panel, which
// is handed both; no window reaches the application object.
#pragma once

#include <windows.h>

#include <string>

#include "app/app_state.h"
#include "store/db_session.h"

class CQuorlinDlg;

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
    // tests) keeps GDI+ up between them.
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
    quorlin::AppState state;  // appDir, the application's name and the switches
    quorlin::DbSession store;

    // The framework's main-window pointer: the panel while its dialog runs.
    CQuorlinDlg* mainWnd = nullptr;

private:
    bool gdiplusStarted_ = false;
};

// The one application object of the process.
CQuorlinApp& theApp();
