// The program's entry point: everything else lives in the library.
#include <windows.h>

#include "app/quorlin_app_win.h"
#include "framework/seams_win.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int) {
    quorlin::InstallRealSeams();
    CQuorlinApp& app = theApp();
    app.InitInstance();
    return app.ExitInstance();
}
