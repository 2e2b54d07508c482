// A long run of the panel in this process (mode "longrun"): the clock driven through days
// faster than real time, with the hovers, tooltips, drags, menus and summons of a user
// between, and the private memory and the GDI and USER objects of the process at the
// start, after the first hour and at the end. A launcher runs from log-on to shut-down:
// what it holds must stay flat.
//
// Per simulated minute the clock shows the new minute (the still part composed again, as
// once a minute for real) and one second within it (the swept part only); the first hour
// has all of its 3,600 seconds. Per simulated hour: 20 hovers with their tooltip, one drag
// (two swaps, there and back, each stored), the panel's, the tray's and a button's menu
// twice each, and two summons with their return.
#include <windows.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "bench/bench_report.h"
#include "bench/bench_support_win.h"
#include "framework/text.h"
#include "tests/support/fakes.h"

namespace quorlin::bench {

namespace {

// The Unix process of this benchmark: the one whose first argument is this exe's path and
// whose second is "longrun" (Wine puts the Windows command line there).
int SelfUnixPid() {
    const std::string self = quorlin::ToUtf8(SelfPath());
    WIN32_FIND_DATAW fd;
    HANDLE h = ::FindFirstFileW(L"Z:\\proc\\*", &fd);
    if (h == INVALID_HANDLE_VALUE) return 0;
    int found = 0;
    do {
        const std::wstring name = fd.cFileName;
        if (name.empty() || name.find_first_not_of(L"0123456789") != std::wstring::npos) continue;
        std::ifstream f(std::filesystem::path(L"Z:\\proc\\" + name + L"\\cmdline"), std::ios::binary);
        const std::string cmdline((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
        const size_t end = cmdline.find('\0');
        if (end == std::string::npos || cmdline.compare(end + 1, 8, std::string("longrun", 8)) != 0) continue;
        const std::string first = cmdline.substr(0, end);
        if (first.size() >= 17 && first.compare(first.size() - 17, 17, "quorlin_bench.exe") == 0) {
            found = std::stoi(quorlin::ToUtf8(name));
            break;
        }
    } while (::FindNextFileW(h, &fd));
    ::FindClose(h);
    return found;
}

struct Held {
    double privateMb;
    DWORD gdi;
    DWORD user;
};

Held Measure(int pid) {
    return Held{UnixMemory(pid).rssAnonMb, ::GetGuiResources(::GetCurrentProcess(), GR_GDIOBJECTS),
                ::GetGuiResources(::GetCurrentProcess(), GR_USEROBJECTS)};
}

}  // namespace

int RunLongRun(const Args& args) {
    const int days = args.Int(L"--days", 7);
    PanelHarness h;
    if (!h.ok) {
        Note("longrun: the application could not start on %ls", h.dir.WPath().c_str());
        return 1;
    }
    quorlin::testing::FixedClock clock{LocalTime{0, 0, 0}};
    CQuorlinDlg& panel = h.Open();
    h.Fill(MixedRows(66));
    panel.RenderPanel();
    Pump();
    const int pid = SelfUnixPid();
    PanelRenderer& renderer = panel.Renderer();
    long long frames = 0, hovers = 0, drags = 0, menus = 0, summons = 0;
    auto tick = [&](int minuteOfDay, int second) {
        clock.time = LocalTime{minuteOfDay / 60, minuteOfDay % 60, second};
        renderer.Render(PanelRenderer::Frame::Tick);
        ++frames;
    };
    auto userHour = [&](int hour) {
        const size_t n = panel.Buttons().Count();
        for (int k = 0; k < 20; ++k, ++hovers) {
            CButtonEx* b = panel.Buttons().At(static_cast<size_t>(hour * 20 + k) % n);
            b->hovered = 1;
            panel.RenderPanel();
            const Rect r = b->ScreenRect();
            panel.ShowTip(b, b->Title, (r.left + r.right) / 2, (r.top + r.bottom) / 2);
            b->hovered = 0;
            panel.HideTip(b);
            panel.RenderPanel();
        }
        // A drag along the ring: the dragged button trades places with another, and back.
        CButtonEx* dragged = panel.Buttons().At(1 + static_cast<size_t>(hour) % (n - 1));
        CButtonEx* other = panel.Buttons().At(1 + static_cast<size_t>(hour + 7) % (n - 1));
        if (dragged != other) {
            const std::int64_t id = dragged->ID;
            RECT onOther{};
            ::GetWindowRect(other->hwnd(), &onOther);
            panel.SwapWhileDragging(onOther, id);
            RECT back{};  // where the other one went
            ::GetWindowRect(other->hwnd(), &back);
            panel.SwapWhileDragging(back, id);
            ++drags;
        }
        for (int k = 0; k < 2; ++k, menus += 3) {
            ::DestroyMenu(panel.CommandSet().BuildPanelMenu());
            ::DestroyMenu(panel.Tray().BuildMenu());
            ::DestroyMenu(panel.Buttons().At(0)->BuildContextMenu());
        }
        for (int k = 0; k < 2; ++k, ++summons) {
            panel.Summons().Summon();
            Pump();
            panel.Summons().SendBack(false);
            Pump();
        }
        Pump();
    };

    const Held start = Measure(pid);
    Held hourOne{};
    const double t0 = NowMs();
    for (int day = 0; day < days; ++day) {
        for (int hour = 0; hour < 24; ++hour) {
            for (int minute = 0; minute < 60; ++minute) {
                const int m = hour * 60 + minute;
                tick(m, 0);
                if (day == 0 && hour == 0) {
                    for (int s = 1; s < 60; ++s) tick(m, s);
                } else {
                    tick(m, 30);
                }
            }
            userHour(day * 24 + hour);
            if (day == 0 && hour == 0) hourOne = Measure(pid);
        }
    }
    const double seconds = (NowMs() - t0) / 1000.0;
    const Held end = Measure(pid);
    h.Close();

    const std::string span = std::to_string(days) + (days == 1 ? " day" : " days");
    Note("longrun: %d simulated %s in %.0f s: %lld frames, %lld hovers with their tooltip, %lld drags (2 swaps "
         "each), %lld menus, %lld summons",
         days, days == 1 ? "day" : "days", seconds, frames, hovers, drags, menus, summons);
    Row("long run (" + span + "): private memory at the start", start.privateMb, "MB RssAnon", "");
    Row("long run (" + span + "): private memory after the first hour", hourOne.privateMb, "MB RssAnon",
        "+" + Fmt(hourOne.privateMb - start.privateMb) + " MB");
    Row("long run (" + span + "): private memory at the end", end.privateMb, "MB RssAnon",
        "+" + Fmt(end.privateMb - hourOne.privateMb) + " MB after the first hour (goal <= +0.5 MB)");
    if (start.gdi == 0 && end.gdi == 0 && start.user == 0 && end.user == 0) {
        Note("longrun: GetGuiResources counts no GDI or USER objects here (Wine does not)");
    } else {
        Row("long run (" + span + "): GDI objects, start -> end", end.gdi, "objects", "from " + std::to_string(start.gdi));
        Row("long run (" + span + "): USER objects, start -> end", end.user, "objects",
            "from " + std::to_string(start.user));
    }
    return 0;
}

}  // namespace quorlin::bench
