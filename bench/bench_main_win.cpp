// Speed and memory of quorlin.exe, measured under Wine (or on Windows).
//
//   quorlin_bench.exe inproc  [--runs N] [--big ROWS] [--only render,load,ops,typing]
//       the panel in this process, made modeless from a temporary application directory
//       as the Wine tests make it: RenderPanel with 0 and 66 buttons and its sections,
//       LoadButtons of 66 rows with shell icons and of 1,000 / ROWS (10,000) web-address
//       rows, AddButton, DeleteButton, one swap, ClearAllButtons of 66, the clock tick
//       that keeps the still part of the picture; with 5,000 Start-menu shortcuts, the
//       index, one keystroke and the summon.
//   quorlin_bench.exe startup --exe QUORLIN.EXE --empty EMPTY_WINDOW.EXE [--runs N]
//       process start to the first composed frame on screen, for the empty window
//       program and for quorlin.exe with 0 and with 66 buttons (and with 66 and 5,000
//       Start-menu shortcuts); and, in fresh processes
//       of this benchmark, the phases of the same start-up.
//   quorlin_bench.exe idle --exe QUORLIN.EXE --empty EMPTY_WINDOW.EXE [--runs N] [--seconds S]
//       CPU of the idle panel over S seconds and the private memory of the running panel
//       against the empty window program (both from Linux's /proc of the Wine process:
//       Wine 8 reports neither for another process), and what quorlin.exe's imports weigh.
//   quorlin_bench.exe longrun [--days D]
//       D (7) simulated days of clock ticks with a user's hovers, drags, menus and summons
//       between, in process; private memory and GDI/USER objects at the start, after the
//       first hour and at the end.
//
// Every figure is the median of N runs. Results are lines
//   ROW <tab> measure <tab> value <tab> unit <tab> comparison
// that bench/run_benchmarks.sh gathers into one table; everything else is commentary.
//
// The files: bench_support_win.* (what the modes share), render_bench_win.cpp and
// store_bench_win.cpp and typing_bench_win.cpp (mode inproc), startup_bench_win.cpp (modes startup and phases),
// idle_bench_win.cpp (mode idle), longrun_bench_win.cpp (mode longrun); the ROW lines come
// from bench_report.h.
#include <cstdio>
#include <string>
#include <vector>

#include "bench/bench_report.h"
#include "bench/bench_support_win.h"

using namespace quorlin::bench;

namespace {

// The panel in this process: the render, load and ops parts of --only (all by default).
int RunInProcess(const Args& args) {
    const int runs = args.Int(L"--runs", 7);
    const std::wstring only = args.Str(L"--only");
    auto part = [&](const wchar_t* name) { return only.empty() || only.find(name) != std::wstring::npos; };
    PanelHarness h;
    if (!h.ok) {
        Note("inproc: the application could not start on %ls", h.dir.WPath().c_str());
        return 1;
    }
    CQuorlinDlg& panel = h.Open();
    const std::vector<SideDb::Row> mixed = MixedRows(66);
    if (part(L"render")) RenderFigures(h, panel, mixed, runs);
    if (part(L"load")) LoadFigures(h, panel, mixed, runs, args.Int(L"--big", 10000));
    if (part(L"ops")) OperationFigures(h, panel, mixed, runs);
    if (part(L"typing")) TypingFigures(h, panel, mixed, runs);
    h.Close();
    return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const Args args = ParseArgs(argc, argv);
    if (args.mode == L"inproc") return RunInProcess(args);
    if (args.mode == L"startup") return RunStartup(args);
    if (args.mode == L"phases") return RunStartupPhases(args);
    if (args.mode == L"idle") return RunIdle(args);
    if (args.mode == L"longrun") return RunLongRun(args);
    std::fprintf(stderr,
                 "usage: quorlin_bench inproc [--runs N]\n"
                 "       quorlin_bench startup --exe QUORLIN.EXE --empty EMPTY_WINDOW.EXE [--runs N]\n"
                 "       quorlin_bench idle --exe QUORLIN.EXE --empty EMPTY_WINDOW.EXE [--runs N] [--seconds S]\n"
                 "       quorlin_bench longrun [--days D]\n");
    return 2;
}
