// The clock watch. It owns whether the clock's timer runs: not while the display is off,
// the session is locked or the window in front hides the whole panel; it asks Windows to
// be told of each of those and stops asking when the panel goes.
// Handed: the panel's window (which the timer and the notices go to), a frame to draw when
// the clock starts again (the right time at once), and whether the panel is on top of
// every window (topmost, or summoned) for the window in front to be judged against.
#pragma once

#include <windows.h>

#include <functional>

#include "framework/window_win.h"

// Posted to the panel when another window came to the front: is the panel hidden behind it?
constexpr UINT WM_CHECK_FRONT_WINDOW = WM_APP + 3;
constexpr UINT_PTR TIMER_CLOCK = 1525;

class ClockWatch {
public:
    ClockWatch(const quorlin::fw::WindowBase& window, std::function<void()> tick, std::function<bool()> panelOnTop);

    // The clock runs from the first frame, which shows the time (no frame of its own).
    void Start();
    // Asks to be told about the session, the display and the window in front; Stop ends
    // that and the timer.
    void Watch();
    void Stop();
    // The panel was brought in front of every window: it can be seen.
    void PanelInFront();
    // Whether the clock's timer runs.
    bool Running() const { return running_; }

    LRESULT OnSessionChange(WPARAM, LPARAM, bool&);
    LRESULT OnPowerBroadcast(WPARAM, LPARAM, bool&);
    LRESULT OnCheckFrontWindow(WPARAM, LPARAM, bool&);

private:
    // Starts or stops the clock's timer as the panel can be seen or not; a clock that starts
    // again shows the right time at once.
    void Update();

    const quorlin::fw::WindowBase& window_;
    std::function<void()> tick_;
    std::function<bool()> panelOnTop_;
    bool running_ = false;
    bool displayOff_ = false;
    bool sessionLocked_ = false;
    bool hiddenByFrontWindow_ = false;
    HPOWERNOTIFY displayNotification_ = nullptr;
    HWINEVENTHOOK frontWindowHook_ = nullptr;
    bool sessionNotification_ = false;
};
