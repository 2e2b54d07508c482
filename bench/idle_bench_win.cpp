// Idle and memory figures (mode "idle"): the CPU of the idle panel (66 and 0 buttons,
// its 1 Hz clock) over a window of S seconds against the empty window program with and
// without a 1 Hz timer, and the private memory of the running panel against the empty
// program, with what the shell's icon lists and each of quorlin.exe's imports weigh.
// Both come from Linux's /proc of the Wine process (Wine 8 reports neither for another
// process).
#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "bench/bench_report.h"
#include "bench/bench_support_win.h"
#include "framework/text.h"
#include "tests/support/temp_dir.h"

using quorlin::testing::TempDir;

namespace quorlin::bench {

int RunIdle(const Args& args) {
    const int runs = args.Int(L"--runs", 3);
    const int seconds = args.Int(L"--seconds", 60);
    const int settleMs = 3000;
    const std::wstring quorlinExe = args.Str(L"--exe");
    AppDir none(quorlinExe, {});
    AppDir full(quorlinExe, MixedRows(66));
    // Every start after the first draws the buttons from the icon cache.
    for (AppDir* d : {&none, &full})
        if (!d->PrimeIconCache()) Note("icon cache: not filled in time in %ls", d->dir.WPath().c_str());
    // The empty program from a directory of its own, so that its Unix process is found.
    TempDir emptyDir;
    const std::wstring emptyExe = (emptyDir.Path() / "empty_window.exe").wstring();
    ::CopyFileW(args.Str(L"--empty").c_str(), emptyExe.c_str(), FALSE);
    const std::wstring position = std::to_wstring(kPanelX) + L" " + std::to_wstring(kPanelY);

    auto measureCpu = [](int pid, int ms) {
        const double c0 = UnixCpuMs(pid), t0 = NowMs();
        ::Sleep(static_cast<DWORD>(ms));
        const double c1 = UnixCpuMs(pid), t1 = NowMs();
        return std::pair<double, double>{c1 - c0, t1 - t0};
    };
    std::vector<double> cpu, cpu0, cpuEmpty, memEmpty, mem0, mem66, rssEmpty, rss66;
    for (int r = 0; r < runs; ++r) {
        {
            Launch l = StartAndWaitForFrame(emptyExe, position, emptyDir.WPath(), L"quorlin_bench_empty");
            ::Sleep(settleMs);
            const int pid = UnixPidOf(emptyDir.WPath());
            const Memory m = UnixMemory(pid);
            memEmpty.push_back(m.rssAnonMb);
            rssEmpty.push_back(m.rssMb);
            const auto [c, t] = measureCpu(pid, 5000);
            cpuEmpty.push_back(100.0 * c / t);
            Stop(l);
        }
        {
            Launch l = StartAndWaitForFrame(none.exe, L"", none.dir.WPath(), L"qiv_zembrick");
            ::Sleep(settleMs);
            const int pid = UnixPidOf(none.dir.WPath());
            mem0.push_back(UnixMemory(pid).rssAnonMb);
            const auto [c, t] = measureCpu(pid, seconds * 1000);
            cpu0.push_back(100.0 * c / t);
            Stop(l);
        }
        {
            Launch l = StartAndWaitForFrame(full.exe, L"", full.dir.WPath(), L"qiv_zembrick");
            ::Sleep(settleMs);
            const int pid = UnixPidOf(full.dir.WPath());
            const Memory m = UnixMemory(pid);
            mem66.push_back(m.rssAnonMb);
            rss66.push_back(m.rssMb);
            const auto [c, t] = measureCpu(pid, seconds * 1000);
            cpu.push_back(100.0 * c / t);
            Note("idle: run %d: unix pid %d, %.1f ms CPU in %.1f s (%.3f %%)", r, pid, c, t / 1000, cpu.back());
            Stop(l);
        }
        ::Sleep(200);
    }
    // The empty program started with `words` after its position: the median of its
    // private memory a moment after its frame, or of its CPU over the idle window.
    auto emptyProgram = [&](const std::wstring& words, bool cpuToo) {
        std::vector<double> values;
        for (int r = 0; r < std::max(1, runs); ++r) {
            Launch l = StartAndWaitForFrame(emptyExe, position + words, emptyDir.WPath(), L"quorlin_bench_empty");
            ::Sleep(cpuToo ? settleMs : 1500);
            const int pid = UnixPidOf(emptyDir.WPath());
            if (cpuToo) {
                const auto [c, t] = measureCpu(pid, seconds * 1000);
                values.push_back(100.0 * c / t);
            } else {
                values.push_back(UnixMemory(pid).rssAnonMb);
            }
            Stop(l);
        }
        return Median(values);
    };
    // What any 1 Hz clock costs under this Wine: a bare timer, and a timer that pushes a
    // new 240 x 240 frame each second (no drawing at all).
    const double bareTimer = emptyProgram(L" --timer", true);
    const double pushTimer = emptyProgram(L" --tick", true);
    // What the shell's icon machinery weighs once it is asked for one icon.
    const double withShellIcon = emptyProgram(L" --shell-icon", false);
    // What quorlin.exe's imports weigh: the empty program with them loaded, one after another.
    std::vector<std::pair<std::wstring, double>> imports;
    std::wstring list;
    for (const wchar_t* dll : {L"ole32.dll", L"gdiplus.dll", L"shell32.dll", L"shlwapi.dll", L"advapi32.dll",
                               L"comdlg32.dll", L"wininet.dll", L"winmm.dll", L"version.dll"}) {
        list += L" ";
        list += dll;
        imports.emplace_back(dll, emptyProgram(list, false));
    }
    const double withImports = emptyProgram(kImports, false);
    const double c = Median(cpu);
    Row("idle panel CPU (66 buttons, 1 Hz clock), " + std::to_string(seconds) + " s", c, "% of a core",
        "target < 0.1 %; " + Fmt(c * 10) + " ms per tick");
    Row("idle panel CPU (0 buttons, 1 Hz clock)", Median(cpu0), "% of a core", "");
    Row("idle CPU of the empty window program", Median(cpuEmpty), "% of a core", "");
    Row("  the empty program with a 1 Hz timer that does nothing", bareTimer, "% of a core", "");
    Row("  the empty program pushing a new 240x240 frame at 1 Hz", pushTimer, "% of a core",
        "the floor of any 1 Hz clock under this Wine");
    const double e = Median(memEmpty), m0 = Median(mem0), m66 = Median(mem66);
    Row("private memory (RssAnon): empty window program", e, "MB", "VmRSS " + Fmt(Median(rssEmpty)) + " MB");
    Row("  memory: empty program after one SHGetFileInfo(SHGFI_ICON)", withShellIcon, "MB",
        "+" + Fmt(withShellIcon - e) + " MB: the shell's system icon lists");
    double previous = e;
    for (const auto& [dll, m] : imports) {
        Row("  memory: empty program + " + quorlin::ToUtf8(dll) + " (cumulative)", m, "MB", "+" + Fmt(m - previous) + " MB");
        previous = m;
    }
    Row("  memory: empty program + quorlin.exe's imports (the first five)", withImports, "MB",
        Fmt(previous - withImports) + " MB less than with the four loaded on first use");
    Row("private memory (RssAnon): quorlin.exe, 0 buttons", m0, "MB",
        "+" + Fmt(m0 - e) + " MB over empty, +" + Fmt(m0 - withImports) + " MB over empty + imports");
    Row("private memory (RssAnon): quorlin.exe, 66 buttons", m66, "MB",
        "+" + Fmt(m66 - e) + " MB over empty (target < 8 MB); VmRSS " + Fmt(Median(rss66)) + " MB");
    Row("  the same less the shell's icon lists", m66 - (withShellIcon - e), "MB",
        "+" + Fmt(m66 - withShellIcon) + " MB over the empty program after one shell icon");
    return 0;
}

}  // namespace quorlin::bench
