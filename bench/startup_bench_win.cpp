// Start-up figures (modes "startup" and "phases"): process start to the first composed
// frame on the screen for the empty window program (alone and with quorlin.exe's
// imports loaded first) and for quorlin.exe with 0 and 66 buttons; then the same
// start-up in phases (loader, runtime, panel object, pictures, window) and the private
// memory after each, in fresh processes of this benchmark that start the panel as
// quorlin.exe does.
#include <sqlite3.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "app/quorlin_app_win.h"
#include "bench/bench_report.h"
#include "bench/bench_support_win.h"
#include "framework/seams_win.h"
#include "framework/text.h"
#include "tests/support/temp_dir.h"

using quorlin::testing::TempDir;

namespace quorlin::bench {

// The phases of a start-up, in a fresh process of this benchmark that starts the
// panel as quorlin.exe does (real seams, the panel made from its template).
int RunStartupPhases(const Args& args) {
    const long long t0 = args.Long(L"--t0", 0);
    const double enteredMain = TicksToMs(NowTicks() - t0);
    const std::wstring appDir = args.Str(L"--appdir");
    const std::wstring out = args.Str(L"--out");
    // Private memory of this process after each phase (RssAnon of /proc/<pid>/status;
    // /proc/self seen from a Wine program is the wineserver, so the process finds itself
    // by the unique directory it was started from).
    const int selfPid = UnixPidOf(std::filesystem::path(SelfPath()).parent_path().wstring());
    std::vector<std::pair<std::string, double>> anon;
    auto probe = [&](const char* phase) {
        anon.emplace_back(phase, UnixMemory(selfPid).rssAnonMb);
    };
    probe("memMain");
    quorlin::InstallRealSeams();
    CQuorlinApp& app = theApp();
    app.state.appDir = appDir;
    double t = NowMs();
    app.PrepareRuntime();
    const double runtime = NowMs() - t;
    probe("memRuntime");
    t = NowMs();
    auto panel = std::make_unique<CQuorlinDlg>(theApp().state, theApp().store);
    const double constructed = NowMs() - t;
    probe("memConstruct");
    // The pictures of the rows as a start makes them: decoded from the icon cache (the
    // shell is asked for none of them before the first frame).
    t = NowMs();
    {
        sqlite3* db = nullptr;
        sqlite3_open_v2((std::filesystem::path(appDir) / "bts.db").u8string().c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
        sqlite3_stmt* st = nullptr;
        sqlite3_prepare_v2(db, "select Png from tb_IconCache", -1, &st, nullptr);
        while (st && sqlite3_step(st) == SQLITE_ROW)
            auto picture = quorlin::fw::DecodePicture(sqlite3_column_blob(st, 0),
                                                      static_cast<size_t>(sqlite3_column_bytes(st, 0)));
        sqlite3_finalize(st);
        sqlite3_close(db);
    }
    const double icons = NowMs() - t;
    probe("memIcons");
    app.mainWnd = panel.get();
    t = NowMs();
    panel->Create(nullptr);
    const double created = NowMs() - t;
    const double total = TicksToMs(NowTicks() - t0);
    probe("memInit");
    // The button windows, the tooltip and the ghost, which the panel makes right after its
    // first frame.
    t = NowMs();
    for (size_t i = 0; i < panel->Buttons().Count(); ++i) panel->Buttons().At(i)->EnsureWindowIn(panel->hwnd());
    panel->LayoutButtons();
    const double windows = NowMs() - t;
    t = NowMs();
    panel->Popups().Ensure(panel->Dpi());
    const double popups = NowMs() - t;
    Pump();
    ::Sleep(1500);  // the version check's thread comes and goes
    Pump();
    probe("memPopups");
    std::ofstream f(std::filesystem::path(out), std::ios::trunc);
    f << "main " << enteredMain << "\nruntime " << runtime << "\nconstruct " << constructed << "\npopups " << popups << "\nwindows " << windows
      << "\nicons " << icons << "\ninit " << created << "\ntotal " << total << "\nbuttons " << panel->Buttons().Count()
      << "\n";
    for (const auto& [k, v] : anon) f << k << " " << v << "\n";
    f.close();
    ::DestroyWindow(panel->hwnd());
    Pump();
    app.mainWnd = nullptr;
    panel.reset();
    app.ExitInstance();
    return 0;
}

int RunStartup(const Args& args) {
    const int runs = args.Int(L"--runs", 9);
    const std::wstring quorlinExe = args.Str(L"--exe"), emptyExe = args.Str(L"--empty");
    AppDir none(quorlinExe, {});
    AppDir full(quorlinExe, MixedRows(66));
    // Every start after the first draws the buttons from the icon cache.
    for (AppDir* d : {&none, &full})
        if (!d->PrimeIconCache()) Note("icon cache: not filled in time in %ls", d->dir.WPath().c_str());
    TempDir emptyDir;
    FakePrograms programs(5000);  // in the Programs folder for the start "q66p" only
    if (!programs.ok) Note("startup: the 5,000 shortcuts could not be made");
    const std::wstring position = std::to_wstring(kPanelX) + L" " + std::to_wstring(kPanelY);

    std::map<std::string, std::vector<double>> shown, found, visible;
    struct Config {
        const char* name;
        std::wstring exe, argsLine, dir;
        const wchar_t* prop;
    };
    const std::vector<Config> configs = {
        {"empty", emptyExe, position, emptyDir.WPath(), L"quorlin_bench_empty"},
        {"imports", emptyExe, position + kImports, emptyDir.WPath(), L"quorlin_bench_empty"},
        {"importsAndLate", emptyExe, position + kImportsAndLate, emptyDir.WPath(), L"quorlin_bench_empty"},
        {"q0", none.exe, L"", none.dir.WPath(), L"qiv_zembrick"},
        {"q66", full.exe, L"", full.dir.WPath(), L"qiv_zembrick"},
        {"q66p", full.exe, L"", full.dir.WPath(), L"qiv_zembrick"},
    };
    for (int r = -1; r < runs; ++r) {  // run -1 warms the file cache and Wine's DLLs
        for (const Config& c : configs) {
            if (std::string(c.name) == "q66p") programs.Enter();
            Launch l = StartAndWaitForFrame(c.exe, c.argsLine, c.dir, c.prop);
            if (r >= 0 && l.ok) {
                shown[c.name].push_back(l.shown);
                found[c.name].push_back(l.found);
                visible[c.name].push_back(l.visible);
            }
            Stop(l);
            programs.Leave();
            ::Sleep(200);
        }
    }
    Note("startup: detection = the marked window of the started process is visible and layered, and its "
         "pixels differ from the screen before the start in >= %zu of 240x240 pixels (GetDC(NULL) + BitBlt, "
         "polled every ~1 ms)",
         kShownPixels);
    const double e = Median(shown["empty"]), q0 = Median(shown["q0"]), q66 = Median(shown["q66"]);
    Row("start -> first frame on screen: empty window program", e, "ms", "Wine's own process start");
    const double imp = Median(shown["imports"]), impLate = Median(shown["importsAndLate"]);
    Row("  empty program loading quorlin.exe's imports first", imp, "ms", "+" + Fmt(imp - e) + " ms");
    Row("  the same with comdlg32, wininet, winmm, version too (quorlin loads them on first use)", impLate, "ms",
        "+" + Fmt(impLate - e) + " ms");
    Row("start -> first frame on screen: quorlin.exe, 0 buttons", q0, "ms", Ratio(q0, e, "of empty program"));
    Row("start -> first frame on screen: quorlin.exe, 66 buttons", q66, "ms",
        Ratio(q66, q0, "of 0 buttons") + ", " + Ratio(q66, e, "of empty program") + " (target < 150 ms)");
    const double q66p = Median(shown["q66p"]);
    Row("start -> first frame on screen: quorlin.exe, 66 buttons, 5,000 Start-menu shortcuts", q66p, "ms",
        Ratio(q66p, q66, "of 66 buttons alone") + " (the index is read after the first frame)");
    Row("  of which: start -> panel window marked (66)", Median(found["q66"]), "ms", "");
    Row("  of which: start -> panel visible + layered (66)", Median(visible["q66"]), "ms", "");

    // The same start-up, in phases, in fresh processes of this benchmark (a copy of it in
    // a directory of its own, so that it can find its own Unix process).
    TempDir benchDir;
    const std::wstring benchCopy = (benchDir.Path() / "quorlin_bench.exe").wstring();
    ::CopyFileW(SelfPath().c_str(), benchCopy.c_str(), FALSE);
    for (const auto& [label, dir] : {std::pair<std::string, const AppDir*>{"0", &none}, {"66", &full}}) {
        std::map<std::string, std::vector<double>> phases;
        for (int r = -1; r < runs; ++r) {
            const std::wstring out = (emptyDir.Path() / "phases.txt").wstring();
            const std::wstring cmd = L"\"" + benchCopy + L"\" phases --t0 " + std::to_wstring(NowTicks()) +
                                     L" --appdir \"" + dir->dir.WPath() + L"\" --out \"" + out + L"\"";
            STARTUPINFOW si{};
            si.cb = sizeof(si);
            PROCESS_INFORMATION pi{};
            std::wstring line = cmd;
            if (!::CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) continue;
            ::WaitForSingleObject(pi.hProcess, 30000);
            ::CloseHandle(pi.hThread);
            ::CloseHandle(pi.hProcess);
            std::ifstream f{std::filesystem::path(out)};
            std::string key;
            double v;
            while (f >> key >> v)
                if (r >= 0) phases[key].push_back(v);
        }
        const std::string n = label;
        Row("  phase (" + n + "): process creation -> wmain (Wine loader, DLLs)", Median(phases["main"]), "ms", "");
        Row("  phase (" + n + "): open bts.db + settings + GDI+ start", Median(phases["runtime"]), "ms", "");
        Row("  phase (" + n + "): panel object (no picture decoded)", Median(phases["construct"]), "ms", "");
        Row("  phase (" + n + "): the rows' pictures decoded (a start from panel.cache leaves them to the first use)", Median(phases["icons"]), "ms", "");
        Row("  phase (" + n + "): panel window init (load " + n + " buttons warm, render, show)",
            Median(phases["init"]), "ms", "");
        Row("  phase (" + n + "): process creation -> panel shown, all phases", Median(phases["total"]), "ms", "");
        Row("  phase (" + n + "): then the button windows", Median(phases["windows"]), "ms", "after the first frame");
        Row("  phase (" + n + "): then the tooltip and ghost windows (3 PNG decodes)", Median(phases["popups"]), "ms",
            "after the first frame");
        if (n == "66") {
            const char* keys[] = {"memMain", "memRuntime", "memConstruct", "memIcons", "memInit", "memPopups"};
            const char* names[] = {"at wmain (DLLs of the import set)", "+ bts.db, settings, GDI+ start", "+ panel object",
                                   "+ 66 rows' pictures (from the icon cache)", "+ panel window with 66 buttons (first frame)",
                                   "+ button windows, tooltip, ghost, version check"};
            double before = 0;
            for (size_t k = 0; k < std::size(keys); ++k) {
                const double m = Median(phases[keys[k]]);
                Row(std::string("  memory (66): ") + names[k], m, "MB RssAnon", k ? "+" + Fmt(m - before) + " MB" : "");
                before = m;
            }
        }
    }
    return 0;
}

}  // namespace quorlin::bench
