// The screens: the DPI a window is shown at and the work areas of the monitors. The
// per-monitor calls are Windows 10's and are looked up at run time, so the program still
// runs on Windows 7 (where the system DPI stands for every monitor).
#pragma once

#include <windows.h>

#include <vector>

#include "framework/geometry.h"

// Sent to a top-level window when it moves to a monitor of another DPI (Windows 8.1 and later).
#ifndef WM_DPICHANGED
#define WM_DPICHANGED 0x02E0
#endif

namespace quorlin::fw {

// The DPI of the monitor the window is on (GetDpiForWindow), else the system's.
int WindowDpi(HWND window);
// The system DPI (GetDpiForSystem, else LOGPIXELSX of the screen).
int SystemDpi();
// A system metric at a DPI (GetSystemMetricsForDpi, else the system's value scaled).
int MetricForDpi(int index, int dpi);

// A dialog that lays itself out at every DPI: asks Windows (10 1703 and later) not to
// resize it, move its controls or change their fonts when its DPI changes.
void OwnLayoutOnDpiChange(HWND dialog);

// The work areas of every monitor, the primary first (screen pixels).
std::vector<quorlin::Rect> MonitorWorkAreas();
// The work area of the monitor a rectangle is on, or the nearest one.
quorlin::Rect WorkAreaNear(const RECT& r);
quorlin::Rect WorkAreaAt(POINT p);

}  // namespace quorlin::fw
