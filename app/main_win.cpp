// The program's entry point: everything else lives in the library.
#include <windows.h>

#include "app/command_line_win.h"
#include "app/quorlin_app_win.h"
#include "framework/seams_win.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int) {
    quorlin::InstallRealSeams();
    // "--export FILE" / "--import FILE" run without any window and end here.
    int exitCode = 0;
    if (quorlin::RunCommandLine(::GetCommandLineW(), exitCode)) return exitCode;
    CQuorlinApp& app = theApp();
    app.InitInstance();
    return app.ExitInstance();
}
