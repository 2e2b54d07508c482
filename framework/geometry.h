// Plain geometry shared by the portable logic and the Win32 code.
#pragma once

namespace quorlin {

struct Point {
    int x = 0;
    int y = 0;
    bool operator==(const Point& o) const { return x == o.x && y == o.y; }
    bool operator!=(const Point& o) const { return !(*this == o); }
};

// A rectangle as Win32 keeps it: left/top inclusive, right/bottom exclusive.
struct Rect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    bool IsEmpty() const { return right <= left || bottom <= top; }
    bool operator==(const Rect& o) const {
        return left == o.left && top == o.top && right == o.right && bottom == o.bottom;
    }
    bool operator!=(const Rect& o) const { return !(*this == o); }
};

// Floating-point rectangle as (x, y, width, height), the way GDI+ takes it.
struct RectF {
    float x = 0, y = 0, width = 0, height = 0;
    bool operator==(const RectF& o) const {
        return x == o.x && y == o.y && width == o.width && height == o.height;
    }
    bool operator!=(const RectF& o) const { return !(*this == o); }
};

// Dots per inch of a screen; every measure of the program is given at kBaseDpi.
constexpr int kBaseDpi = 96;

// A DPI the measures can use: anything below 24 or above 2400 (no screen has it) counts
// as the base.
inline int UsableDpi(int dpi) { return dpi < 24 || dpi > 2400 ? kBaseDpi : dpi; }

// A length of `v` pixels at the base DPI in pixels at `dpi`, rounded to the nearest
// (halves away from zero); at the base DPI exactly `v`.
inline int ScaleByDpi(int v, int dpi) {
    dpi = UsableDpi(dpi);
    if (dpi == kBaseDpi) return v;
    const long long scaled = static_cast<long long>(v) * dpi;
    return static_cast<int>((scaled + (scaled >= 0 ? kBaseDpi / 2 : -kBaseDpi / 2)) / kBaseDpi);
}
inline double ScaleByDpi(double v, int dpi) { return v * UsableDpi(dpi) / kBaseDpi; }

// The DPI the panel is drawn at: the monitor's times the panel's size in percent, kept
// within what UsableDpi takes.
inline int ScaledDpi(int monitorDpi, int percent) {
    const long long dpi = static_cast<long long>(UsableDpi(monitorDpi)) * percent / 100;
    return dpi < kBaseDpi ? UsableDpi(monitorDpi) : dpi > 2400 ? 2400 : static_cast<int>(dpi);
}

}  // namespace quorlin
