#include "app/quorlin_app_win.h"

#include <objbase.h>

#include "app/app_paths.h"
#include "app/data_location_win.h"
#include "app/settings_win.h"
#include "framework/gdiplus_win.h"
#include "framework/window_win.h"
#include "panel/panel_window_win.h"
#include "store/backups.h"

namespace {

const wchar_t kInstanceName[] = L"qiv_zembrick";

}  // namespace

CQuorlinApp& theApp() {
    static CQuorlinApp app;
    return app;
}

CQuorlinApp::CQuorlinApp() = default;
CQuorlinApp::~CQuorlinApp() = default;

bool CQuorlinApp::CheckSingleInstance() {
    HANDLE semaphore = ::CreateSemaphoreW(nullptr, 1, 1, kInstanceName);
    if (!semaphore) return false;
    if (::GetLastError() != ERROR_ALREADY_EXISTS) return true;  // kept open until the process ends
    ::CloseHandle(semaphore);
    for (HWND w = ::GetWindow(::GetDesktopWindow(), GW_CHILD); w && ::IsWindow(w); w = ::GetWindow(w, GW_HWNDNEXT)) {
        if (::GetPropW(w, kInstanceName)) {
            if (state.openSettings) {  // "--settings": the running panel opens its window and may bring it forward
                DWORD process = 0;
                ::GetWindowThreadProcessId(w, &process);
                ::AllowSetForegroundWindow(process);
                ::PostMessageW(w, ::RegisterWindowMessageW(quorlin::kSettingsMessageName), 0, 0);
                break;
            }
            if (::IsIconic(w)) ::ShowWindow(w, SW_RESTORE);
            ::ShowWindow(w, SW_SHOW);
            ::SwitchToThisWindow(w, TRUE);
            break;
        }
    }
    return false;
}

std::wstring CQuorlinApp::GetAppDir() {
    const std::wstring path = quorlin::ExecutablePath();
    if (path.empty()) return std::wstring();
    return quorlin::DirectoryOfModulePath(path);
}

std::wstring CQuorlinApp::AppName() { return quorlin::AppNameOfModulePath(quorlin::ExecutablePath()); }

HWND CQuorlinApp::MainHwnd() const { return mainWnd ? mainWnd->hwnd() : nullptr; }

bool CQuorlinApp::PrepareRuntime() {
    // COM is started by the panel right after its first frame: nothing before it uses COM.
    state.appName = AppName();
    // A bts.db that is missing or damaged is offered the newest good backup first.
    if (!quorlin::OpenDatabaseOrRestore(store, state.DataDir(), L"bts.db", state.appName, quorlin::CurrentDateTime())) {
        return false;
    }
    quorlin::ReadSwitches(state);
    if (!gdiplusStarted_) {
        Gdiplus::GdiplusStartupInput input;  // version 1, no debug callback, background thread, codecs
        gdiplusStarted_ = Gdiplus::GdiplusStartup(&gdiplusToken, &input, nullptr) == Gdiplus::Ok;
    }
    return true;
}

void CQuorlinApp::RunPanel() {
    CQuorlinDlg panel(state, store);
    mainWnd = &panel;
    panel.DoModal(nullptr);
    mainWnd = nullptr;
}

BOOL CQuorlinApp::InitInstance() {
    if (!CheckSingleInstance()) return FALSE;
    state.appDir = GetAppDir();
    state.appName = AppName();
    state.dataDir = quorlin::SetUpDataAndLanguage(state.appDir, state.appName);
    state.profileDir = quorlin::UserProfileFolder();
    if (!PrepareRuntime()) return FALSE;
    RunPanel();
    return FALSE;
}

int CQuorlinApp::ExitInstance() {
    ReleaseRuntime(true);
    return 0;
}

void CQuorlinApp::ReleaseRuntime(bool shutGdiplus) {
    store.Close();
    if (shutGdiplus && gdiplusStarted_) {
        Gdiplus::GdiplusShutdown(gdiplusToken);
        gdiplusStarted_ = false;
        gdiplusToken = 0;
    }
}
