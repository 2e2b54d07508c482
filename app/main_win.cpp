// The program's entry point: everything else lives in the library.
#include <windows.h>

#include "app/command_line_win.h"
#include "app/quorlin_app_win.h"
#include "framework/late_library_win.h"
#include "framework/seams_win.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int) {
    // Before anything loads a DLL: from the system folder only, never from the program's.
    quorlin::fw::RestrictDllSearch();
    quorlin::InstallRealSeams();
    // "--export FILE" / "--import FILE" run without any window and end here.
    int exitCode = 0;
    if (quorlin::RunCommandLine(::GetCommandLineW(), exitCode)) return exitCode;
    CQuorlinApp& app = theApp();
    app.state.openSettings = quorlin::CommandLineAsksForSettings(::GetCommandLineW());
    app.InitInstance();
    return app.ExitInstance();
}
