// Fuzzes the placement rules with arbitrary integers, as a settings file or a window
// rectangle can hold them: no undefined behaviour for any value, and on a sane screen
// (sides of 1 to 2^20 pixels, windows that fit on it) the results are on the screen.
// The rules over a list of monitors give the one-screen results for one work area at
// (0, 0), and on a sane row of monitors keep the window whole on one of them.
//
// Input: raw bytes read as integers (FuzzedDataProvider).
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <vector>

#include "fuzz/fuzz_support.h"
#include "panel/placement.h"

using namespace quorlin;

namespace {

constexpr int kMaxSide = 1 << 20;

Rect AnyRect(FuzzedDataProvider& in) {
    Rect r;
    r.left = in.ConsumeIntegral<int>();
    r.top = in.ConsumeIntegral<int>();
    r.right = in.ConsumeIntegral<int>();
    r.bottom = in.ConsumeIntegral<int>();
    return r;
}

// A rectangle of the given size anywhere its corners can be written down.
Rect SizedRect(FuzzedDataProvider& in, int w, int h) {
    Rect r;
    r.left = in.ConsumeIntegralInRange<int>(INT_MIN, INT_MAX - w);
    r.top = in.ConsumeIntegralInRange<int>(INT_MIN, INT_MAX - h);
    r.right = r.left + w;
    r.bottom = r.top + h;
    return r;
}

void Initial(FuzzedDataProvider& in, bool sane) {
    const bool hasX = in.ConsumeBool(), hasY = in.ConsumeBool();
    const long long x = in.ConsumeIntegral<long long>(), y = in.ConsumeIntegral<long long>();
    if (!sane) {
        (void)InitialPanelPosition(hasX, x, hasY, y, in.ConsumeIntegral<int>(), in.ConsumeIntegral<int>(),
                                   in.ConsumeIntegral<int>(), in.ConsumeIntegral<int>());
        return;
    }
    // A panel that fits with the 30-pixel margins the defaults use.
    const int cx = in.ConsumeIntegralInRange<int>(31, kMaxSide), cy = in.ConsumeIntegralInRange<int>(31, kMaxSide);
    const int w = in.ConsumeIntegralInRange<int>(1, cx - 30), h = in.ConsumeIntegralInRange<int>(1, cy - 30);
    const Point p = InitialPanelPosition(hasX, x, hasY, y, cx, cy, w, h);
    FUZZ_CHECK(p.x >= 0 && p.x <= cx - w);
    FUZZ_CHECK(p.y >= 0 && p.y <= cy - h);
    // A saved value already on the screen is kept.
    if (hasX && x >= 0 && x <= cx - w) FUZZ_CHECK(p.x == x);
    if (hasY && y >= 0 && y <= cy - h) FUZZ_CHECK(p.y == y);
}

void Keep(FuzzedDataProvider& in, bool sane) {
    if (!sane) {
        Rect r = AnyRect(in);
        (void)KeepOnScreen(r, in.ConsumeIntegral<int>(), in.ConsumeIntegral<int>());
        return;
    }
    const int cx = in.ConsumeIntegralInRange<int>(1, kMaxSide), cy = in.ConsumeIntegralInRange<int>(1, kMaxSide);
    const int w = in.ConsumeIntegralInRange<int>(0, cx), h = in.ConsumeIntegralInRange<int>(0, cy);
    const Rect before = SizedRect(in, w, h);
    Rect r = before;
    const bool changed = KeepOnScreen(r, cx, cy);
    FUZZ_CHECK(r.right - r.left == w && r.bottom - r.top == h);
    // Left and right edges on the screen; the bottom edge too (the top may stay above it).
    FUZZ_CHECK(r.left >= 0 && r.right <= cx);
    FUZZ_CHECK(r.bottom <= cy);
    FUZZ_CHECK(changed || r == before);
    FUZZ_CHECK(r.top == before.top || r.bottom == cy);
}

void Beside(FuzzedDataProvider& in, bool sane) {
    if (!sane) {
        const Rect anchor = AnyRect(in), window = AnyRect(in);
        (void)PlaceBesideAnchor(anchor, window, in.ConsumeIntegral<int>(), in.ConsumeIntegral<int>());
        return;
    }
    const int cx = in.ConsumeIntegralInRange<int>(1, kMaxSide), cy = in.ConsumeIntegralInRange<int>(1, kMaxSide);
    const int w = in.ConsumeIntegralInRange<int>(0, cx), h = in.ConsumeIntegralInRange<int>(0, cy);
    const Rect window = SizedRect(in, w, h);
    // An anchor on the screen with room beside it on the side the rule picks.
    Rect anchor;
    anchor.left = in.ConsumeIntegralInRange<int>(0, cx - 1);
    anchor.right = in.ConsumeIntegralInRange<int>(anchor.left, cx);
    anchor.top = in.ConsumeIntegralInRange<int>(0, cy - 1);
    anchor.bottom = in.ConsumeIntegralInRange<int>(anchor.top, cy);
    const auto placed = PlaceBesideAnchor(anchor, window, cx, cy);
    FUZZ_CHECK(placed.has_value() == !anchor.IsEmpty());
    if (!placed) return;
    const Rect& r = *placed;
    FUZZ_CHECK(r.right - r.left == w && r.bottom - r.top == h);
    FUZZ_CHECK(r.left == anchor.right || r.right == anchor.left);  // touching the anchor
    FUZZ_CHECK(r.top >= 0 && r.bottom <= cy);
    FUZZ_CHECK(r.top == anchor.top || r.bottom == cy);
    // Opened to the right, it stays on the screen whenever it fits there, and so to the left.
    if (r.left == anchor.right && anchor.right + w <= cx) FUZZ_CHECK(r.right <= cx);
    if (r.right == anchor.left && anchor.left - w >= 0) FUZZ_CHECK(r.left >= 0);
}

// Any values: the rules over one work area at (0, 0) are the one-screen rules.
void OneAreaIsTheScreen(FuzzedDataProvider& in) {
    const int cx = in.ConsumeIntegral<int>(), cy = in.ConsumeIntegral<int>();
    const std::vector<Rect> areas{Rect{0, 0, cx, cy}};
    const bool hasX = in.ConsumeBool(), hasY = in.ConsumeBool();
    const long long x = in.ConsumeIntegral<long long>(), y = in.ConsumeIntegral<long long>();
    const int w = in.ConsumeIntegral<int>(), h = in.ConsumeIntegral<int>();
    FUZZ_CHECK(InitialPanelPosition(hasX, x, hasY, y, areas, w, h) == InitialPanelPosition(hasX, x, hasY, y, cx, cy, w, h));
    Rect a = AnyRect(in), b = a;
    FUZZ_CHECK(KeepOnScreen(a, areas) == KeepOnScreen(b, cx, cy));
    FUZZ_CHECK(a == b);
    const Rect anchor = AnyRect(in), window = AnyRect(in);
    FUZZ_CHECK(PlaceBesideAnchor(anchor, window, areas) == PlaceBesideAnchor(anchor, window, cx, cy));
}

bool Inside(const Rect& r, const Rect& area) {
    return r.left >= area.left && r.right <= area.right && r.top >= area.top && r.bottom <= area.bottom;
}

// One to four monitors side by side (each may sit higher or lower), and a window that fits
// on every one of them with the 30-pixel margins.
void Monitors(FuzzedDataProvider& in) {
    const int count = in.ConsumeIntegralInRange<int>(1, 4);
    std::vector<Rect> areas;
    int x = in.ConsumeIntegralInRange<int>(-kMaxSide, kMaxSide);
    int minW = INT_MAX, minH = INT_MAX;
    for (int i = 0; i < count; ++i) {
        const int w = in.ConsumeIntegralInRange<int>(61, kMaxSide / 4), h = in.ConsumeIntegralInRange<int>(61, kMaxSide / 4);
        const int top = in.ConsumeIntegralInRange<int>(-kMaxSide / 4, kMaxSide / 4);
        areas.push_back(Rect{x, top, x + w, top + h});
        x += w + in.ConsumeIntegralInRange<int>(0, 100);  // a gap is a taskbar or a hole
        minW = std::min(minW, w);
        minH = std::min(minH, h);
    }
    const int w = in.ConsumeIntegralInRange<int>(1, minW - 30), h = in.ConsumeIntegralInRange<int>(1, minH - 30);
    const int which = in.ConsumeIntegralInRange<int>(0, 2);
    if (which == 0) {
        const bool hasX = in.ConsumeBool(), hasY = in.ConsumeBool();
        const long long sx = in.ConsumeIntegralInRange<long long>(-4LL * kMaxSide, 4LL * kMaxSide);
        const long long sy = in.ConsumeIntegralInRange<long long>(-4LL * kMaxSide, 4LL * kMaxSide);
        const Point p = InitialPanelPosition(hasX, sx, hasY, sy, areas, w, h);
        const Rect placed{p.x, p.y, p.x + w, p.y + h};
        // Whole on the monitor it is nearest to.
        FUZZ_CHECK(Inside(placed, areas[MonitorFor(placed, areas)]));
        if (hasX && hasY) {
            bool wasWhole = false;
            for (const Rect& a : areas) wasWhole = wasWhole || Inside(Rect{int(sx), int(sy), int(sx) + w, int(sy) + h}, a);
            if (wasWhole) FUZZ_CHECK(p.x == sx && p.y == sy);
        }
    } else if (which == 1) {
        const Rect before = SizedRect(in, w, h);
        Rect r = before;
        const Rect area = areas[MonitorFor(before, areas)];
        const bool changed = KeepOnScreen(r, areas);
        FUZZ_CHECK(r.right - r.left == w && r.bottom - r.top == h);
        FUZZ_CHECK(r.left >= area.left && r.right <= area.right && r.bottom <= area.bottom);
        FUZZ_CHECK(changed || r == before);
    } else {
        const Rect window = SizedRect(in, w, h);
        const Rect& on = areas[in.ConsumeIntegralInRange<std::size_t>(0, areas.size() - 1)];
        Rect anchor;
        anchor.left = in.ConsumeIntegralInRange<int>(on.left, on.right - 1);
        anchor.right = in.ConsumeIntegralInRange<int>(anchor.left, on.right);
        anchor.top = in.ConsumeIntegralInRange<int>(on.top, on.bottom - 1);
        anchor.bottom = in.ConsumeIntegralInRange<int>(anchor.top, on.bottom);
        const auto placed = PlaceBesideAnchor(anchor, window, areas);
        FUZZ_CHECK(placed.has_value() == !anchor.IsEmpty());
        if (!placed) return;
        FUZZ_CHECK(placed->left == anchor.right || placed->right == anchor.left);
        FUZZ_CHECK(placed->bottom <= on.bottom);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    const std::uint8_t choice = in.ConsumeIntegral<std::uint8_t>();
    const bool sane = (choice & 1) != 0;
    switch ((choice >> 1) % 5) {
        case 0: Initial(in, sane); break;
        case 1: Keep(in, sane); break;
        case 2: Beside(in, sane); break;
        case 3: OneAreaIsTheScreen(in); break;
        default: Monitors(in); break;
    }
    return 0;
}
