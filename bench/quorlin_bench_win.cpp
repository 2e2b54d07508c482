// Speed and memory of quorlin.exe, measured under Wine (or on Windows).
//
//   quorlin_bench.exe inproc  [--runs N] [--big ROWS] [--only render,load,ops]
//       the panel in this process, made modeless from a temporary application directory
//       as the Wine tests make it: RenderPanel with 0 and 66 buttons and its sections,
//       LoadButtons of 66 rows with shell icons and of 1,000 / ROWS (10,000) web-address
//       rows, AddButton, DeleteButton, one swap, ClearAllButtons of 66, and the clock
//       tick that keeps the still part of the picture.
//   quorlin_bench.exe startup --exe QUORLIN.EXE --empty EMPTY_WINDOW.EXE [--runs N]
//       process start to the first composed frame on screen, for the empty window
//       program and for quorlin.exe with 0 and with 66 buttons; and, in fresh processes
//       of this benchmark, the phases of the same start-up.
//   quorlin_bench.exe idle --exe QUORLIN.EXE --empty EMPTY_WINDOW.EXE [--runs N] [--seconds S]
//       CPU of the idle panel over S seconds and the private memory of the running panel
//       against the empty window program (both from Linux's /proc of the Wine process:
//       Wine 8 reports neither for another process), and what quorlin.exe's imports weigh.
//
// Every figure is the median of N runs. Results are lines
//   ROW <tab> measure <tab> value <tab> unit <tab> comparison
// that bench/run_benchmarks.sh gathers into one table; everything else is commentary.
#include <windows.h>
#include <sqlite3.h>

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "app/quorlin_app_win.h"
#include "bench/bench_report.h"
#include "buttons/button_window_win.h"
#include "buttons/icon_imaging_win.h"
#include "dialogs/ghost_win.h"
#include "dialogs/tooltip_win.h"
#include "framework/gdiplus_win.h"
#include "framework/seams_win.h"
#include "framework/text.h"
#include "framework/window_win.h"
#include "panel/composition.h"
#include "panel/panel_window_win.h"
#include "store/button_table.h"
#include "tests/support/fakes.h"
#include "tests/support/temp_dir.h"

using quorlin::testing::TempDir;
using namespace quorlin::bench;

namespace {

// ---------------------------------------------------------------- timing and output

// Performance-counter ticks, comparable across processes (a start time is passed on a
// command line).
long long NowTicks() {
    LARGE_INTEGER c;
    ::QueryPerformanceCounter(&c);
    return c.QuadPart;
}

double TicksToMs(long long ticks) {
    LARGE_INTEGER f;
    ::QueryPerformanceFrequency(&f);
    return static_cast<double>(ticks) * 1000.0 / static_cast<double>(f.QuadPart);
}

void Note(const char* format, ...) {
    va_list args;
    va_start(args, format);
    std::vprintf(format, args);
    va_end(args);
    std::printf("\n");
    std::fflush(stdout);
}

// ---------------------------------------------------------------- arguments

struct Args {
    std::wstring mode;
    std::map<std::wstring, std::wstring> options;
    int Int(const wchar_t* key, int fallback) const {
        auto it = options.find(key);
        return it == options.end() ? fallback : static_cast<int>(std::wcstol(it->second.c_str(), nullptr, 10));
    }
    long long Long(const wchar_t* key, long long fallback) const {
        auto it = options.find(key);
        return it == options.end() ? fallback : std::wcstoll(it->second.c_str(), nullptr, 10);
    }
    std::wstring Str(const wchar_t* key) const {
        auto it = options.find(key);
        return it == options.end() ? std::wstring() : it->second;
    }
};

Args ParseArgs(int argc, wchar_t** argv) {
    Args a;
    if (argc > 1) a.mode = argv[1];
    for (int i = 2; i + 1 < argc; i += 2) a.options[argv[i]] = argv[i + 1];
    return a;
}

// ---------------------------------------------------------------- the button table

// A connection of our own to a bts.db, beside the program's, to fill and empty it.
class SideDb {
public:
    explicit SideDb(const std::filesystem::path& file) {
        sqlite3_open_v2(file.u8string().c_str(), &db_, SQLITE_OPEN_READWRITE, nullptr);
        sqlite3_busy_timeout(db_, 5000);
    }
    ~SideDb() { sqlite3_close(db_); }
    void Exec(const std::string& sql) {
        char* err = nullptr;
        if (sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, &err) != SQLITE_OK) {
            Note("sqlite: %s (%s)", err ? err : "?", sql.c_str());
            sqlite3_free(err);
        }
    }
    struct Row {
        int kind;
        std::string title;
        std::string path;
    };
    void Insert(const std::vector<Row>& rows, int firstSort = 10) {
        Exec("begin");
        sqlite3_stmt* st = nullptr;
        sqlite3_prepare_v2(db_, "insert into tb_Btns (iType, Title, PathName, sort) values (?, ?, ?, ?)", -1, &st,
                           nullptr);
        int sort = firstSort;
        for (const Row& r : rows) {
            sqlite3_bind_int(st, 1, r.kind);
            sqlite3_bind_text(st, 2, r.title.c_str(), -1, SQLITE_TRANSIENT);
            sqlite3_bind_text(st, 3, r.path.c_str(), -1, SQLITE_TRANSIENT);
            sqlite3_bind_int(st, 4, sort++);
            sqlite3_step(st);
            sqlite3_reset(st);
        }
        sqlite3_finalize(st);
        Exec("commit");
    }
    // Back to the reserved row 2 alone (the bench leaves row 1 out: 0 rows shown).
    void KeepOnlyRowTwo() { Exec("delete from tb_Btns where ID <> 2"); }

private:
    sqlite3* db_ = nullptr;
};

// Existing files of the Windows directory, so that the shell gives their real icons.
std::vector<std::string> ExistingFiles(size_t count) {
    std::vector<std::string> files;
    wchar_t windir[MAX_PATH] = {};
    ::GetWindowsDirectoryW(windir, MAX_PATH);
    const std::wstring system32 = std::wstring(windir) + L"\\system32\\";
    WIN32_FIND_DATAW fd;
    HANDLE h = ::FindFirstFileW((system32 + L"*.exe").c_str(), &fd);
    std::vector<std::wstring> names;
    if (h != INVALID_HANDLE_VALUE) {
        do {
            if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(fd.cFileName);
        } while (::FindNextFileW(h, &fd));
        ::FindClose(h);
    }
    std::sort(names.begin(), names.end());
    // A few documents too, whose icons come from their file type.
    for (const wchar_t* doc : {L"win.ini", L"system.ini"}) {
        const std::wstring p = std::wstring(windir) + L"\\" + doc;
        if (::GetFileAttributesW(p.c_str()) != INVALID_FILE_ATTRIBUTES && files.size() < count)
            files.push_back(quorlin::ToUtf8(p));
    }
    for (const auto& n : names) {
        if (files.size() >= count) break;
        files.push_back(quorlin::ToUtf8(system32 + n));
    }
    return files;
}

// 66 rows as a user might have them: half programs and documents (real shell icons),
// half web addresses (our own icon).
std::vector<SideDb::Row> MixedRows(size_t n) {
    std::vector<std::string> files = ExistingFiles(n / 2);
    std::vector<SideDb::Row> rows;
    for (size_t i = 0; i < n; ++i) {
        if (i % 2 == 0 && i / 2 < files.size())
            rows.push_back({quorlin::ItemKind::File, "file " + std::to_string(i), files[i / 2]});
        else
            rows.push_back({quorlin::ItemKind::Url, "site " + std::to_string(i),
                            "http://www" + std::to_string(i) + ".example/"});
    }
    return rows;
}

std::vector<SideDb::Row> UrlRows(size_t n) {
    std::vector<SideDb::Row> rows;
    rows.reserve(n);
    for (size_t i = 0; i < n; ++i)
        rows.push_back({quorlin::ItemKind::Url, "site " + std::to_string(i),
                        "http://www" + std::to_string(i) + ".example/"});
    return rows;
}

void WriteIni(const std::filesystem::path& dir, const std::vector<std::pair<const char*, std::string>>& values) {
    std::ofstream out(dir / "setting.ini", std::ios::binary | std::ios::trunc);
    out << "[SETTING]\r\n";
    for (const auto& kv : values) out << kv.first << "=" << kv.second << "\r\n";
}

// ---------------------------------------------------------------- the panel in process

// The tray as a no-op: the in-process figures are about the panel, not the shell.
class QuietTray : public quorlin::ITray {
public:
    QuietTray() { previous_ = quorlin::SetTray(this); }
    ~QuietTray() override { quorlin::SetTray(previous_); }
    BOOL Notify(DWORD, NOTIFYICONDATAW*) override { return TRUE; }

private:
    quorlin::ITray* previous_ = nullptr;
};

void Pump() {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) continue;
        quorlin::fw::MessageLoop::Dispatch(msg);
    }
}

class PanelHarness {
public:
    PanelHarness() {
        db = dir.MakeDatabase();
        side = std::make_unique<SideDb>(db);
        side->KeepOnlyRowTwo();
        WriteIni(dir.Path(), {{"UpdateEndpoint", "http://127.0.0.1:9/x"}});
        theApp().appDir = dir.WPath();
        ok = theApp().PrepareRuntime();
    }
    ~PanelHarness() {
        Close();
        theApp().ExitInstance();
        theApp().appDir.clear();
    }
    CQuorlinDlg& Open() {
        Close();
        panel = std::make_unique<CQuorlinDlg>();
        theApp().mainWnd = panel.get();
        panel->Create(nullptr);
        Pump();
        return *panel;
    }
    void Close() {
        if (!panel) return;
        if (panel->IsWindow()) ::DestroyWindow(panel->hwnd());
        Pump();
        theApp().mainWnd = nullptr;
        panel.reset();
    }
    // The panel's rows replaced by these (and loaded, untimed).
    void Fill(const std::vector<SideDb::Row>& rows) {
        side->KeepOnlyRowTwo();
        panel->LoadButtons();
        side->Insert(rows);
        panel->LoadButtons();
        Pump();
    }

    QuietTray tray;
    TempDir dir;
    std::filesystem::path db;
    std::unique_ptr<SideDb> side;
    std::unique_ptr<CQuorlinDlg> panel;
    bool ok = false;
};

// Runs the drawing operations of a frame plan, as the panel's composition does.
// Pixels of a screen rectangle, read through the screen's device context.
class ScreenGrab {
public:
    ScreenGrab(int w, int h) : w_(w), h_(h) {
        screen_ = ::GetDC(nullptr);
        mem_ = ::CreateCompatibleDC(screen_);
        BITMAPINFO bi{};
        bi.bmiHeader = {sizeof(BITMAPINFOHEADER), w, -h, 1, 32, BI_RGB};
        void* p = nullptr;
        bitmap_ = ::CreateDIBSection(mem_, &bi, DIB_RGB_COLORS, &p, nullptr, 0);
        bits_ = static_cast<DWORD*>(p);
        previous_ = ::SelectObject(mem_, bitmap_);
    }
    ~ScreenGrab() {
        ::SelectObject(mem_, previous_);
        ::DeleteObject(bitmap_);
        ::DeleteDC(mem_);
        ::ReleaseDC(nullptr, screen_);
    }
    std::vector<DWORD> Grab(int x, int y) {
        ::BitBlt(mem_, 0, 0, w_, h_, screen_, x, y, SRCCOPY);
        ::GdiFlush();
        return std::vector<DWORD>(bits_, bits_ + static_cast<size_t>(w_) * h_);
    }

private:
    int w_, h_;
    HDC screen_ = nullptr, mem_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ previous_ = nullptr;
    DWORD* bits_ = nullptr;
};

size_t CountDifferent(const std::vector<DWORD>& a, const std::vector<DWORD>& b) {
    size_t n = 0;
    for (size_t i = 0; i < a.size() && i < b.size(); ++i) n += ((a[i] ^ b[i]) & 0xFFFFFFu) != 0;
    return n;
}

size_t IndexOfPicture(const std::vector<quorlin::DrawOp>& ops, quorlin::PanelPicture p) {
    for (size_t k = 0; k < ops.size(); ++k)
        if (ops[k].kind == quorlin::DrawOp::Kind::DrawPicture && ops[k].picture == p) return k;
    return ops.size();
}

// RenderPanel with 0 and 66 buttons, where a frame's time goes, and the clock tick that
// reuses the still part of the picture.
void RenderFigures(PanelHarness& h, CQuorlinDlg& panel, const std::vector<SideDb::Row>& mixed, int runs) {
    const int frames = 40;
    // A clock that stays within one minute unless a figure moves it.
    quorlin::testing::FixedClock fixed(quorlin::LocalTime{10, 10, 30});
    for (int i = 0; i < 5; ++i) panel.RenderPanel();
    const double render0 = TimeMedian(runs, frames, [&] { panel.RenderPanel(); });
    h.Fill(mixed);
    panel.ButtonAt(7)->hovered = 1;
    for (int i = 0; i < 5; ++i) panel.RenderPanel();
    const double render66 = TimeMedian(runs, frames, [&] { panel.RenderPanel(); });
    Row("RenderPanel, 0 buttons", render0, "ms", "");
    Row("RenderPanel, 66 buttons (one hovered)", render66, "ms", Ratio(render66, render0, "of 0 buttons (target <= 2x)"));

    // ---- where the time of a 66-button frame goes
    const double canvasOnly = TimeMedian(runs, frames, [&] { quorlin::fw::LayeredCanvas c(panel.hwnd(), 240, 240); });
    quorlin::fw::LayeredCanvas kept(panel.hwnd(), 240, 240);
    panel.ComposeInto(kept);
    const double pushOnly = TimeMedian(runs, frames, [&] { kept.PushTo(panel.hwnd()); });
    const std::vector<quorlin::DrawOp> ops = panel.PlanFrame();
    const size_t hands = IndexOfPicture(ops, quorlin::PanelPicture::HourHand);
    const size_t firstButton = IndexOfPicture(ops, quorlin::PanelPicture::ButtonImage);
    size_t lastButton = firstButton;
    while (lastButton < ops.size() && ops[lastButton].picture == quorlin::PanelPicture::ButtonImage &&
           ops[lastButton].kind == quorlin::DrawOp::Kind::DrawPicture)
        ++lastButton;
    const size_t second = quorlin::FirstTickOp(ops);
    // One section's steps, less the cost of the graphics object every section pays.
    const double graphicsOnly = TimeMedian(runs, frames, [&] { Gdiplus::Graphics g(kept.MemoryDC()); });
    auto timeOps = [&](size_t from, size_t to) {
        return TimeMedian(runs, frames, [&] { panel.DrawOps(kept, ops, from, to); }) - graphicsOnly;
    };
    Row("  frame section: new DIB + DCs (and release)", canvasOnly, "ms", "");
    Row("  frame section: ring picture 300->220", timeOps(0, firstButton), "ms", "");
    Row("  frame section: 66 icons 48->20 (one 26)", timeOps(firstButton, lastButton), "ms", "");
    Row("  frame section: clock disc + face", timeOps(lastButton, hands), "ms", "");
    Row("  frame section: hour + minute hands", timeOps(hands, second), "ms", "");
    Row("  frame section: second hand + hub", timeOps(second, ops.size()), "ms", "");
    Row("  frame section: UpdateLayeredWindow (whole 240x240)", pushOnly, "ms", "");

    // ---- the clock tick: within a minute only the second hand and the hub are drawn over
    // the kept still part; at a new minute the still part is composed again.
    panel.RenderPanel();
    const int composedBefore = panel.stillCompositions;
    const double tick = TimeMedian(runs, frames, [&] { panel.RenderClockTick(); });
    const bool kept66 = panel.stillCompositions == composedBefore;
    int minute = 0;
    const double newMinute = TimeMedian(runs, frames, [&] {
        fixed.time = quorlin::LocalTime{11, minute++ % 60, 0};
        panel.RenderClockTick();
    });
    Row("clock tick within a minute (RenderClockTick), 66 buttons", tick, "ms",
        Ratio(tick, render66, "of RenderPanel") + (kept66 ? "" : "; STILL PART COMPOSED AGAIN"));
    Row("clock tick at a new minute (still part composed again)", newMinute, "ms", "once a minute");
    Row("clock cost per second, averaged over a minute", (59 * tick + newMinute) / 60, "ms", "");
    panel.ButtonAt(7)->hovered = 0;
}

// LoadButtons of 66 rows with real icons and of many rows with our own web icon, and
// where the time of a row goes.
void LoadFigures(PanelHarness& h, CQuorlinDlg& panel, const std::vector<SideDb::Row>& mixed, int runs, int big) {
    // LoadButtons itself, then (separately) the dispatch of the messages it leaves: Wine
    // paints every moved BUTTON child window. With `paint` false the buttons go again
    // before any message is dispatched (Wine 8 does not finish painting 10,000 of them).
    auto timeLoad = [&](const std::vector<SideDb::Row>& rows, int loadRuns, bool paint, double* paintMs) {
        std::vector<double> t, p;
        for (int r = 0; r < loadRuns; ++r) {
            h.side->KeepOnlyRowTwo();
            panel.LoadButtons();  // empties the collection (untimed)
            Pump();
            h.side->Insert(rows);
            double t0 = NowMs();
            panel.LoadButtons();
            t.push_back(NowMs() - t0);
            if (panel.ButtonCount() != rows.size())
                Note("load: LoadButtons gave %zu buttons for %zu rows", panel.ButtonCount(), rows.size());
            if (paint) {
                t0 = NowMs();
                Pump();
                p.push_back(NowMs() - t0);
            }
        }
        h.side->KeepOnlyRowTwo();
        panel.LoadButtons();
        Pump();
        if (paintMs) *paintMs = Median(p);
        return Median(t);
    };
    double paint66 = 0, paint1k = 0;
    const double load66 = timeLoad(mixed, runs, true, &paint66);
    Row("LoadButtons, 66 rows (33 shell icons, 33 own web icon)", load66, "ms", Fmt(load66 * 1000.0 / 66) + " us/row");
    Row("  then Wine paints the 66 button windows (message pump)", paint66, "ms", Fmt(paint66 * 1000.0 / 66) + " us/row");
    const double load1k = timeLoad(UrlRows(1000), std::max(3, runs / 2), true, &paint1k);
    Row("LoadButtons, 1,000 web-address rows (own icon)", load1k, "ms", Fmt(load1k) + " us/row");
    Row("  then Wine paints the 1,000 button windows", paint1k, "ms", Fmt(paint1k) + " us/row");
    if (big > 1000) {
        const double loadBig = timeLoad(UrlRows(static_cast<size_t>(big)), 1, false, nullptr);
        char name[96];
        std::snprintf(name, sizeof name, "LoadButtons, %d web-address rows (own icon)", big);
        Row(name, loadBig, "ms",
            Fmt(loadBig * 1000.0 / big) + " us/row, " + Ratio(loadBig / big, load1k / 1000, "per row of 1,000") +
                "; not painted");
    }

    // Where a row's time goes: the button window (in batches, as the sibling count grows),
    // its picture, and the layout.
    const int batch = 1000;
    const int batches = std::max(1, big / batch);
    std::vector<std::unique_ptr<quorlin::LauncherButton>> made;
    std::vector<double> perBatch;
    for (int b = 0; b < batches; ++b) {
        const double t0 = NowMs();
        for (int i = 0; i < batch; ++i) made.push_back(panel.CreateButtonWindow());
        perBatch.push_back((NowMs() - t0) * 1000.0 / batch);
    }
    std::string growth;
    for (size_t b = 0; b < perBatch.size(); ++b)
        if (b == 0 || b + 1 == perBatch.size() || (b + 1) % 5 == 0) growth += (growth.empty() ? "" : ", ") + Fmt(perBatch[b]);
    Row("  load section: button window, per row (batches of 1,000)", perBatch.front(), "us",
        "by batch: " + growth + " us");
    const double iconUs = TimeMedian(runs, 200, [] {
        auto image = IconForItem(quorlin::ItemKind::Url, L"site", L"http://www.example/");
    }) * 1000.0;
    Row("  load section: own web icon -> 48x48 picture, per row", iconUs, "us", "");
    const std::vector<std::string> files = ExistingFiles(33);
    const double shellIconUs = TimeMedian(runs, 1, [&] {
        for (const auto& f : files) auto image = IconForItem(quorlin::ItemKind::File, L"f", quorlin::FromUtf8(f));
    }) * 1000.0 / static_cast<double>(files.size());
    Row("  load section: shell icon of a file -> picture, per row", shellIconUs, "us", "");
    const double t0 = NowMs();
    made.clear();
    Pump();
    Row("  load section: destroying the button windows, per row", (NowMs() - t0) * 1000.0 / (batch * batches), "us", "");
}

// AddButton, DeleteButton, one swap and ClearAllButtons on a full ring.
void OperationFigures(PanelHarness& h, CQuorlinDlg& panel, const std::vector<SideDb::Row>& mixed, int runs) {
    std::vector<SideDb::Row> base(mixed.begin(), mixed.begin() + 65);
    h.Fill(base);
    const std::wstring extraPath = quorlin::FromUtf8(ExistingFiles(40).back());
    std::vector<double> add, del, delPaint, swapPaint;
    for (int r = 0; r < runs * 3; ++r) {
        double t0 = NowMs();
        panel.AddButton(L"bench", extraPath, quorlin::ItemKind::File, L"");
        add.push_back(NowMs() - t0);
        const std::int64_t id = panel.ButtonAt(panel.ButtonCount() - 1)->ID;
        panel.LayoutButtons();
        panel.RenderPanel();
        Pump();
        t0 = NowMs();
        panel.DeleteButton(id);
        del.push_back(NowMs() - t0);
        t0 = NowMs();
        Pump();
        delPaint.push_back(NowMs() - t0);
    }
    Row("AddButton (65 -> 66: row, window, shell icon)", Median(add), "ms", "the caller lays out and renders");
    Row("DeleteButton (66 -> 65: row, layout, render)", Median(del), "ms",
        "then Wine paints the moved windows: " + Fmt(Median(delPaint)) + " ms");

    h.Fill(mixed);
    std::vector<double> swap;
    const std::int64_t aId = panel.ButtonAt(10)->ID, bId = panel.ButtonAt(40)->ID;
    for (int r = 0; r < runs * 3; ++r) {
        RECT ghost{};
        ::GetWindowRect(panel.FindButton(aId)->hwnd(), &ghost);
        const double t0 = NowMs();
        const bool swapped = panel.SwapWhileDragging(ghost, bId);
        swap.push_back(NowMs() - t0);
        if (!swapped) Note("ops: no swap at run %d", r);
        const double t1 = NowMs();
        Pump();
        swapPaint.push_back(NowMs() - t1);
    }
    Row("SwapWhileDragging (66: 2 sorts in 1 transaction, layout, render)", Median(swap), "ms",
        "then Wine paints the moved windows: " + Fmt(Median(swapPaint)) + " ms");

    std::vector<double> clear;
    for (int r = 0; r < runs; ++r) {
        h.Fill(mixed);
        const double t0 = NowMs();
        panel.ClearAllButtons();
        clear.push_back(NowMs() - t0);
        Pump();
        if (panel.ButtonCount() != 0) Note("ops: %zu buttons left after the clear", panel.ButtonCount());
    }
    const double c = Median(clear);
    Row("ClearAllButtons of 66 (each removal lays out and renders)", c, "ms", Fmt(c / 66) + " ms per button");
}

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
    h.Close();
    return 0;
}

// ---------------------------------------------------------------- other processes

struct FindMark {
    DWORD pid;
    const wchar_t* prop;
    HWND found;
};

BOOL CALLBACK FindMarkedWindow(HWND w, LPARAM lp) {
    auto* f = reinterpret_cast<FindMark*>(lp);
    DWORD pid = 0;
    ::GetWindowThreadProcessId(w, &pid);
    if (pid == f->pid && ::GetPropW(w, f->prop)) {
        f->found = w;
        return FALSE;
    }
    return TRUE;
}

constexpr int kPanelX = 100, kPanelY = 100, kSide = 240;
// Pixels that must change on the screen before a frame counts as shown there: the
// panel's ring band and clock cover far more; a cursor or a stray pixel far fewer.
constexpr size_t kShownPixels = 2000;

struct Launch {
    PROCESS_INFORMATION pi{};
    HWND window = nullptr;
    double found = NAN;    // ms after the start: our window exists (marked)
    double visible = NAN;  // ... is visible and layered
    double shown = NAN;    // ... its pixels are on the screen
    bool ok = false;
};

// Starts a program and waits until the window that carries `prop` shows its first
// frame on the screen at (kPanelX, kPanelY).
Launch StartAndWaitForFrame(const std::wstring& exe, const std::wstring& arguments, const std::wstring& dir,
                            const wchar_t* prop, int timeoutMs = 20000) {
    Launch l;
    ScreenGrab grab(kSide, kSide);
    const std::vector<DWORD> before = grab.Grab(kPanelX, kPanelY);
    std::wstring cmd = L"\"" + exe + L"\"" + (arguments.empty() ? L"" : L" " + arguments);
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    const double t0 = NowMs();
    if (!::CreateProcessW(exe.c_str(), cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, dir.c_str(), &si, &l.pi)) {
        Note("start: CreateProcess failed (%lu) for %ls", ::GetLastError(), exe.c_str());
        return l;
    }
    while (NowMs() - t0 < timeoutMs) {
        if (!l.window) {
            FindMark f{l.pi.dwProcessId, prop, nullptr};
            ::EnumWindows(FindMarkedWindow, reinterpret_cast<LPARAM>(&f));
            if (f.found) {
                l.window = f.found;
                l.found = NowMs() - t0;
            }
        }
        if (l.window && std::isnan(l.visible) && ::IsWindowVisible(l.window) &&
            (::GetWindowLongW(l.window, GWL_EXSTYLE) & WS_EX_LAYERED))
            l.visible = NowMs() - t0;
        if (!std::isnan(l.visible)) {
            const double t = NowMs() - t0;
            if (CountDifferent(before, grab.Grab(kPanelX, kPanelY)) >= kShownPixels) {
                l.shown = t;  // the frame was there when this read began
                l.ok = true;
                break;
            }
        }
        if (::WaitForSingleObject(l.pi.hProcess, 0) == WAIT_OBJECT_0) {
            Note("start: %ls ended before showing a frame", exe.c_str());
            break;
        }
        ::Sleep(1);
    }
    return l;
}

// Ends a program we started: WM_QUIT to its main thread (the panel's loop ends and it
// shuts down as from the tray menu), and only if that does not work, termination.
void Stop(Launch& l) {
    if (!l.pi.hProcess) return;
    ::PostThreadMessageW(l.pi.dwThreadId, WM_QUIT, 0, 0);
    if (::WaitForSingleObject(l.pi.hProcess, 10000) != WAIT_OBJECT_0) {
        Note("stop: process %lu did not end; terminating it", l.pi.dwProcessId);
        ::TerminateProcess(l.pi.hProcess, 1);
        ::WaitForSingleObject(l.pi.hProcess, 5000);
    }
    ::CloseHandle(l.pi.hThread);
    ::CloseHandle(l.pi.hProcess);
    l.pi = PROCESS_INFORMATION{};
}

// An application directory of quorlin.exe with 0 or more extra rows.
struct AppDir {
    TempDir dir;
    std::wstring exe;
    AppDir(const std::wstring& quorlinExe, const std::vector<SideDb::Row>& rows) {
        auto db = dir.MakeDatabase();
        SideDb side(db);
        side.KeepOnlyRowTwo();
        side.Insert(rows);
        WriteIni(dir.Path(), {{"UpdateEndpoint", "http://127.0.0.1:9/x"},
                              {"DeskX", std::to_string(kPanelX)},
                              {"DeskY", std::to_string(kPanelY)}});
        exe = (dir.Path() / "quorlin.exe").wstring();
        ::CopyFileW(quorlinExe.c_str(), exe.c_str(), FALSE);
        std::filesystem::create_directories(dir.Path() / "Img");
    }
};

// Wine fills neither the CPU times nor the private bytes of another process (both read
// 0 under Wine 8), so the idle figures come from Linux's /proc, which a Wine program
// reads through drive Z:. The Unix process of a started program is the one whose command
// line (Wine puts the Windows path of the exe there) holds its unique directory.
std::string ReadText(const std::wstring& path) {
    std::ifstream f{std::filesystem::path(path), std::ios::binary};
    return std::string(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

int UnixPidOf(const std::wstring& uniqueDir) {
    const std::string needle = quorlin::ToUtf8(std::filesystem::path(uniqueDir).filename().wstring());
    WIN32_FIND_DATAW fd;
    HANDLE h = ::FindFirstFileW(L"Z:\\proc\\*", &fd);
    int found = 0;
    if (h == INVALID_HANDLE_VALUE) return 0;
    do {
        const std::wstring name = fd.cFileName;
        if (name.empty() || name.find_first_not_of(L"0123456789") != std::wstring::npos) continue;
        const std::string cmdline = ReadText(L"Z:\\proc\\" + name + L"\\cmdline");
        if (cmdline.find(needle) != std::string::npos && cmdline.find(".exe") != std::string::npos) {
            found = std::stoi(quorlin::ToUtf8(name));
            break;
        }
    } while (::FindNextFileW(h, &fd));
    ::FindClose(h);
    return found;
}

// CPU time of all threads of a Unix process in ms (schedstat: nanoseconds on a CPU;
// the 10 ms ticks of /proc/<pid>/stat when schedstat is missing).
double UnixCpuMs(int pid) {
    const std::wstring base = L"Z:\\proc\\" + std::to_wstring(pid);
    double total = 0;
    bool any = false;
    WIN32_FIND_DATAW fd;
    HANDLE h = ::FindFirstFileW((base + L"\\task\\*").c_str(), &fd);
    if (h != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring tid = fd.cFileName;
            if (tid.empty() || tid.find_first_not_of(L"0123456789") != std::wstring::npos) continue;
            const std::string st = ReadText(base + L"\\task\\" + tid + L"\\schedstat");
            if (st.empty()) continue;
            total += std::stod(st) / 1e6;
            any = true;
        } while (::FindNextFileW(h, &fd));
        ::FindClose(h);
    }
    if (any) return total;
    const std::string stat = ReadText(base + L"\\stat");
    const size_t close = stat.rfind(')');
    if (close == std::string::npos) return std::nan("");
    std::vector<std::string> fields;
    size_t i = close + 2;
    while (i < stat.size()) {
        size_t j = stat.find(' ', i);
        if (j == std::string::npos) j = stat.size();
        fields.push_back(stat.substr(i, j - i));
        i = j + 1;
    }
    // fields[0] is field 3 (state): utime and stime are fields 14 and 15.
    if (fields.size() < 13) return std::nan("");
    return (std::stod(fields[11]) + std::stod(fields[12])) * 10.0;
}

struct Memory {
    double rssAnonMb = NAN, rssMb = NAN;
};

// RssAnon (private anonymous pages in memory) and VmRSS of a Unix process.
Memory UnixMemory(int pid) {
    const std::string status = ReadText(L"Z:\\proc\\" + std::to_wstring(pid) + L"\\status");
    Memory m;
    auto field = [&](const char* key) {
        const size_t at = status.find(key);
        if (at == std::string::npos) return std::nan("");
        return std::stod(status.substr(at + std::strlen(key))) / 1024.0;
    };
    m.rssAnonMb = field("RssAnon:");
    m.rssMb = field("VmRSS:");
    return m;
}

std::wstring SelfPath() {
    wchar_t path[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    return path;
}

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
    app.appDir = appDir;
    double t = NowMs();
    app.PrepareRuntime();
    const double runtime = NowMs() - t;
    probe("memRuntime");
    t = NowMs();
    auto panel = std::make_unique<CQuorlinDlg>();
    const double constructed = NowMs() - t;
    probe("memConstruct");
    // The pictures of the rows, cold, as the load will make them (the load then finds the
    // shell's and GDI+'s caches warm).
    t = NowMs();
    {
        sqlite3* db = nullptr;
        sqlite3_open_v2((std::filesystem::path(appDir) / "bts.db").u8string().c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
        sqlite3_stmt* st = nullptr;
        sqlite3_prepare_v2(db, "select iType, Title, PathName from tb_Btns where ID <> 2", -1, &st, nullptr);
        while (sqlite3_step(st) == SQLITE_ROW) {
            auto text = [&](int c) {
                const unsigned char* v = sqlite3_column_text(st, c);
                return quorlin::FromUtf8(v ? reinterpret_cast<const char*>(v) : "");
            };
            auto image = IconForItem(sqlite3_column_int(st, 0), text(1), text(2));
        }
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
    // The tooltip and the ghost, which the panel has made right after its first frame.
    t = NowMs();
    EnsureHelperWindows();
    const double popups = NowMs() - t;
    Pump();
    ::Sleep(1500);  // the version check's thread comes and goes
    Pump();
    probe("memPopups");
    std::ofstream f(std::filesystem::path(out), std::ios::trunc);
    f << "main " << enteredMain << "\nruntime " << runtime << "\nconstruct " << constructed << "\npopups " << popups
      << "\nicons " << icons << "\ninit " << created << "\ntotal " << total << "\nbuttons " << panel->ButtonCount()
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

// quorlin.exe's imports beyond those of the empty program, as the empty program loads them.
const wchar_t kImports[] = L" ole32.dll gdiplus.dll shell32.dll shlwapi.dll comdlg32.dll wininet.dll winmm.dll version.dll advapi32.dll";
const wchar_t kImportsNoComdlg[] = L" ole32.dll gdiplus.dll shell32.dll shlwapi.dll wininet.dll winmm.dll version.dll advapi32.dll";

int RunStartup(const Args& args) {
    const int runs = args.Int(L"--runs", 9);
    const std::wstring quorlinExe = args.Str(L"--exe"), emptyExe = args.Str(L"--empty");
    AppDir none(quorlinExe, {});
    AppDir full(quorlinExe, MixedRows(66));
    TempDir emptyDir;
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
        {"importsNoComdlg", emptyExe, position + kImportsNoComdlg, emptyDir.WPath(), L"quorlin_bench_empty"},
        {"q0", none.exe, L"", none.dir.WPath(), L"qiv_zembrick"},
        {"q66", full.exe, L"", full.dir.WPath(), L"qiv_zembrick"},
    };
    for (int r = -1; r < runs; ++r) {  // run -1 warms the file cache and Wine's DLLs
        for (const Config& c : configs) {
            Launch l = StartAndWaitForFrame(c.exe, c.argsLine, c.dir, c.prop);
            if (r >= 0 && l.ok) {
                shown[c.name].push_back(l.shown);
                found[c.name].push_back(l.found);
                visible[c.name].push_back(l.visible);
            }
            Stop(l);
            ::Sleep(200);
        }
    }
    Note("startup: detection = the marked window of the started process is visible and layered, and its "
         "pixels differ from the screen before the start in >= %zu of 240x240 pixels (GetDC(NULL) + BitBlt, "
         "polled every ~1 ms)",
         kShownPixels);
    const double e = Median(shown["empty"]), q0 = Median(shown["q0"]), q66 = Median(shown["q66"]);
    Row("start -> first frame on screen: empty window program", e, "ms", "Wine's own process start");
    const double imp = Median(shown["imports"]), impNoComdlg = Median(shown["importsNoComdlg"]);
    Row("  empty program loading quorlin.exe's imports first", imp, "ms", "+" + Fmt(imp - e) + " ms");
    Row("  the same without comdlg32.dll", impNoComdlg, "ms", "+" + Fmt(impNoComdlg - e) + " ms");
    Row("start -> first frame on screen: quorlin.exe, 0 buttons", q0, "ms", Ratio(q0, e, "of empty program"));
    Row("start -> first frame on screen: quorlin.exe, 66 buttons", q66, "ms",
        Ratio(q66, q0, "of 0 buttons") + ", " + Ratio(q66, e, "of empty program") + " (target < 150 ms)");
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
        Row("  phase (" + n + "): COM + open bts.db + settings + GDI+ start", Median(phases["runtime"]), "ms", "");
        Row("  phase (" + n + "): panel object (6 PNG decodes)", Median(phases["construct"]), "ms", "");
        Row("  phase (" + n + "): the rows' pictures, cold (shell icons, GDI+)", Median(phases["icons"]), "ms", "");
        Row("  phase (" + n + "): panel window init (tray, load " + n + " buttons warm, render, show)",
            Median(phases["init"]), "ms", "");
        Row("  phase (" + n + "): process creation -> panel shown, all phases", Median(phases["total"]), "ms", "");
        Row("  phase (" + n + "): then the tooltip and ghost windows (3 PNG decodes)", Median(phases["popups"]), "ms",
            "after the first frame");
        if (n == "66") {
            const char* keys[] = {"memMain", "memRuntime", "memConstruct", "memIcons", "memInit", "memPopups"};
            const char* names[] = {"at wmain (DLLs of the import set)", "+ COM, bts.db, GDI+ start", "+ panel object",
                                   "+ 66 rows' pictures", "+ panel window with 66 buttons",
                                   "+ tooltip, ghost, version check"};
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

int RunIdle(const Args& args) {
    const int runs = args.Int(L"--runs", 3);
    const int seconds = args.Int(L"--seconds", 60);
    const int settleMs = 3000;
    const std::wstring quorlinExe = args.Str(L"--exe");
    AppDir none(quorlinExe, {});
    AppDir full(quorlinExe, MixedRows(66));
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
    for (const wchar_t* dll : {L"ole32.dll", L"gdiplus.dll", L"shell32.dll", L"shlwapi.dll", L"comdlg32.dll",
                               L"wininet.dll", L"winmm.dll", L"version.dll", L"advapi32.dll"}) {
        list += L" ";
        list += dll;
        imports.emplace_back(dll, emptyProgram(list, false));
    }
    const double allButComdlg = emptyProgram(kImportsNoComdlg, false);
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
    Row("  memory: empty program + all those but comdlg32.dll", allButComdlg, "MB",
        Fmt(previous - allButComdlg) + " MB less than with it");
    Row("private memory (RssAnon): quorlin.exe, 0 buttons", m0, "MB",
        "+" + Fmt(m0 - e) + " MB over empty, +" + Fmt(m0 - allButComdlg) + " MB over empty + imports");
    Row("private memory (RssAnon): quorlin.exe, 66 buttons", m66, "MB",
        "+" + Fmt(m66 - e) + " MB over empty (target < 8 MB); VmRSS " + Fmt(Median(rss66)) + " MB");
    Row("  the same less the shell's icon lists", m66 - (withShellIcon - e), "MB",
        "+" + Fmt(m66 - withShellIcon) + " MB over the empty program after one shell icon");
    return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const Args args = ParseArgs(argc, argv);
    if (args.mode == L"inproc") return RunInProcess(args);
    if (args.mode == L"startup") return RunStartup(args);
    if (args.mode == L"phases") return RunStartupPhases(args);
    if (args.mode == L"idle") return RunIdle(args);
    std::fprintf(stderr,
                 "usage: quorlin_bench inproc [--runs N]\n"
                 "       quorlin_bench startup --exe QUORLIN.EXE --empty EMPTY_WINDOW.EXE [--runs N]\n"
                 "       quorlin_bench idle --exe QUORLIN.EXE --empty EMPTY_WINDOW.EXE [--runs N] [--seconds S]\n");
    return 2;
}
