// Fuzzes the placement rules with arbitrary integers, as a settings file or a window
// rectangle can hold them: no undefined behaviour for any value, and on a sane screen
// (sides of 1 to 2^20 pixels, windows that fit on it) the results are on the screen.
//
// Input: raw bytes read as integers (FuzzedDataProvider).
#include <fuzzer/FuzzedDataProvider.h>

#include <climits>
#include <cstdint>

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

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    const std::uint8_t choice = in.ConsumeIntegral<std::uint8_t>();
    const bool sane = (choice & 1) != 0;
    switch ((choice >> 1) % 3) {
        case 0: Initial(in, sane); break;
        case 1: Keep(in, sane); break;
        default: Beside(in, sane); break;
    }
    return 0;
}
