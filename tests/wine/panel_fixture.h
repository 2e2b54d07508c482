// The real program, in process: an application directory of the test's own with a real
// bts.db and setting.ini, the application object started on it, and the real panel
// window made modeless so that the test can post messages and pump the queue.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <chrono>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <thread>

#include "app/quorlin_app_win.h"
#include "buttons/button_window_win.h"
#include "framework/seams_win.h"
#include "framework/window_win.h"
#include "panel/panel_window_win.h"
#include "support/fakes.h"
#include "support/temp_dir.h"

namespace quorlin::testing {

// Shell_NotifyIconW as the tests see it: records the calls, and asks the real shell too
// when told to (the tray tests under a display do).
class RecordingTray : public ITray {
public:
    RecordingTray() { previous_ = SetTray(this); }
    ~RecordingTray() override { SetTray(previous_); }
    bool useRealTray = false;
    std::vector<DWORD> calls;
    std::vector<std::wstring> balloons;  // the texts of the balloons shown (NIF_INFO)
    BOOL Notify(DWORD message, NOTIFYICONDATAW* data) override {
        calls.push_back(message);
        if (data->uFlags & NIF_INFO) balloons.push_back(data->szInfo);
        if (useRealTray) return ::Shell_NotifyIconW(message, data);
        return TRUE;
    }

private:
    ITray* previous_ = nullptr;
};

// State of the windows that only a user's hand would set otherwise.
struct Probe {
    // As if the ghost carried the button with this ID (-1: nothing).
    static void SetDraggedId(CDelDlg& ghost, std::int64_t id) { ghost.draggedId_ = id; }
    // As if the desktop view that owned the panel were this window.
    static void SetDesktopOwner(SummonAndTyping& summons, HWND owner) { summons.desktopOwner_ = owner; }
    // The button loses its picture, as one whose icon could not be made.
    static void DropPicture(CButtonEx& b) {
        b.image_.reset();
        b.pendingPng_.clear();
    }
    // The two buttons trade pictures.
    static void SwapPictures(CButtonEx& a, CButtonEx& b) {
        std::swap(a.image_, b.image_);
        std::swap(a.pendingPng_, b.pendingPng_);
    }
};

// Message boxes that answer as scripted, but inside a real nested message loop in which
// the test acts, as a user can while a box without an owner is up: click the same button
// again, delete it, clear the panel.
class NestedLoopBoxes : public RecordingMessageBoxes {
public:
    std::function<void()> during;  // run once, inside the loop of the next box shown

    int Show(std::uintptr_t owner, const std::wstring& text, const std::wstring& caption, unsigned flags) override {
        std::function<void()> act = std::move(during);
        during = nullptr;
        const int answer = RecordingMessageBoxes::Show(owner, text, caption, flags);
        fw::MessageLoop::PumpPending();
        if (act) act();
        fw::MessageLoop::PumpPending();
        return answer;
    }
};

// A script run from a thread timer, i.e. from inside whatever message loop is running
// (the dialog's own modal loop included). Each tick calls the step until it says done.
class TimerScript {
public:
    explicit TimerScript(std::function<bool()> step) : step_(std::move(step)) {
        current_ = this;
        id_ = ::SetTimer(nullptr, 0, 25, &TimerScript::Tick);
    }
    ~TimerScript() {
        ::KillTimer(nullptr, id_);
        current_ = nullptr;
    }
    bool done = false;
    int ticks = 0;

private:
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
        TimerScript* self = current_;
        if (!self || self->done) return;
        ++self->ticks;
        if (self->step_()) self->done = true;
    }
    static inline TimerScript* current_ = nullptr;
    std::function<bool()> step_;
    UINT_PTR id_ = 0;
};

// Dispatches messages for about ms milliseconds (at least once).
inline void Pump(int ms = 0) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    do {
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                ::PostQuitMessage(static_cast<int>(msg.wParam));  // keep it for the test to see
                return;
            }
            fw::MessageLoop::Dispatch(msg);
        }
        if (ms > 0) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    } while (std::chrono::steady_clock::now() < end);
}

// True when a WM_QUIT is waiting in the queue (and takes it out).
inline bool TakeQuit() {
    MSG msg;
    return ::PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) != FALSE;
}

class PanelTest : public ::testing::Test {
protected:
    void SetUp() override {
        db = dir.MakeDatabase();
        // The silent version check at start asks a port where nothing listens.
        WriteSetting("UpdateEndpoint", "http://127.0.0.1:9/ad/zembrick/version.php");
    }

    void TearDown() override {
        ClosePanel();
        TakeQuit();
        theApp().ReleaseRuntime(false);  // GDI+ stays up for the process-wide tooltip and ghost
        theApp().state = AppState{};
    }

    void WriteSetting(const std::string& key, const std::string& value) {
        ::WritePrivateProfileStringA("SETTING", key.c_str(), value.c_str(), (dir.Path() / "setting.ini").string().c_str());
    }
    std::string ReadSetting(const std::string& key) {
        char buf[64] = {};
        ::GetPrivateProfileStringA("SETTING", key.c_str(), "<none>", buf, 64, (dir.Path() / "setting.ini").string().c_str());
        return buf;
    }

    // Start-up on the test's directory: COM, store, switches, GDI+.
    bool StartApp() {
        theApp().state.appDir = dir.WPath();
        return theApp().PrepareRuntime();
    }

    // The panel window, as the program makes it (modeless here, so the test drives it).
    CQuorlinDlg& OpenPanel() {
        if (theApp().state.appDir.empty()) {
            EXPECT_TRUE(StartApp());
        }
        panel = std::make_unique<CQuorlinDlg>(theApp().state, theApp().store);
        theApp().mainWnd = panel.get();
        const bool created = panel->Create(nullptr);
        EXPECT_TRUE(created) << "CreateDialogParamW failed, error " << ::GetLastError();
        Pump();
        for (int i = 0; i < 200 && panel->Phase() != StartPhase::Running; ++i) Pump(5);  // the work after the first frame
        return *panel;
    }

    void ClosePanel() {
        if (!panel) return;
        if (panel->IsWindow()) ::DestroyWindow(panel->hwnd());
        Pump();
        theApp().mainWnd = nullptr;
        panel.reset();
    }

    // Posts a command to the panel as a menu would, and lets it run.
    void Command(UINT id) {
        ::PostMessageW(panel->hwnd(), WM_COMMAND, id, 0);
        Pump(20);
    }

    std::string Query(const std::string& sql) { return QueryText(db, sql); }
    // The test directory's setting.ini.
    std::wstring SettingsFile() const { return (dir.Path() / "setting.ini").wstring(); }

    TempDir dir;
    std::filesystem::path db;
    RecordingMessageBoxes boxes;
    RecordingShell shell;
    RecordingSound sound;
    RecordingTray tray;
    FixedClock clock{LocalTime{10, 10, 30}};
    std::unique_ptr<CQuorlinDlg> panel;
};

}  // namespace quorlin::testing
