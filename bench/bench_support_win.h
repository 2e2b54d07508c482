// What the Windows benchmarks (quorlin_bench.exe) share: timing across processes and
// commentary lines, the command line, a connection of our own to a bts.db with rows to
// fill it, the panel made in this process, starting and stopping other programs and
// waiting for their first frame on the screen, and the figures of Linux's /proc that
// Wine does not give for another process. The ROW lines come from bench/bench_report.h.
#pragma once

#include <windows.h>
#include <sqlite3.h>

#include <cmath>
#include <cwchar>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "framework/seams_win.h"
#include "panel/panel_window_win.h"
#include "tests/support/temp_dir.h"

namespace quorlin::bench {

// ---------------------------------------------------------------- timing and output

// Performance-counter ticks, comparable across processes (a start time is passed on a
// command line).
long long NowTicks();
double TicksToMs(long long ticks);

// One line of commentary (not a ROW line), printf-style.
void Note(const char* format, ...);

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

// The mode, then pairs of option and value.
Args ParseArgs(int argc, wchar_t** argv);

// ---------------------------------------------------------------- the button table

// A connection of our own to a bts.db, beside the program's, to fill and empty it.
class SideDb {
public:
    explicit SideDb(const std::filesystem::path& file);
    ~SideDb();
    void Exec(const std::string& sql);
    struct Row {
        int kind;
        std::string title;
        std::string path;
    };
    void Insert(const std::vector<Row>& rows, int firstSort = 10);
    // Back to the reserved row 2 alone (the bench leaves row 1 out: 0 rows shown).
    void KeepOnlyRowTwo() { Exec("delete from tb_Btns where ID <> 2"); }

private:
    sqlite3* db_ = nullptr;
};

// Existing files of the Windows directory, so that the shell gives their real icons.
std::vector<std::string> ExistingFiles(size_t count);

// 66 rows as a user might have them: half programs and documents (real shell icons),
// half web addresses (our own icon).
std::vector<SideDb::Row> MixedRows(size_t n);

std::vector<SideDb::Row> UrlRows(size_t n);

void WriteIni(const std::filesystem::path& dir, const std::vector<std::pair<const char*, std::string>>& values);

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

// Dispatches the messages waiting on this thread (a WM_QUIT among them is dropped).
void Pump();

// The panel of this process, made modeless from a temporary application directory as
// the Wine tests make it.
class PanelHarness {
public:
    PanelHarness();
    ~PanelHarness();
    CQuorlinDlg& Open();
    void Close();
    // The panel's rows replaced by these (and loaded, untimed).
    void Fill(const std::vector<SideDb::Row>& rows);

    QuietTray tray;
    quorlin::testing::TempDir dir;
    std::filesystem::path db;
    std::unique_ptr<SideDb> side;
    std::unique_ptr<CQuorlinDlg> panel;
    bool ok = false;
};

// ---------------------------------------------------------------- other processes

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
                            const wchar_t* prop, int timeoutMs = 20000);

// Ends a program we started: WM_QUIT to its main thread (the panel's loop ends and it
// shuts down as from the tray menu), and only if that does not work, termination.
void Stop(Launch& l);

// An application directory of quorlin.exe with 0 or more extra rows.
struct AppDir {
    quorlin::testing::TempDir dir;
    std::wstring exe;
    AppDir(const std::wstring& quorlinExe, const std::vector<SideDb::Row>& rows);
    // Starts the program once and lets it keep every button's picture in the icon cache,
    // as any start after the first finds it; false when the cache was not filled in time.
    bool PrimeIconCache();
};

// quorlin.exe's imports beyond those of the empty program, as the empty program loads them;
// then those and the DLLs quorlin.exe loads only on first use (file chooser, version check,
// sounds), had they been imports too.
inline constexpr wchar_t kImports[] = L" ole32.dll gdiplus.dll shell32.dll shlwapi.dll advapi32.dll";
inline constexpr wchar_t kImportsAndLate[] =
    L" ole32.dll gdiplus.dll shell32.dll shlwapi.dll advapi32.dll comdlg32.dll wininet.dll winmm.dll version.dll";

// The path of this benchmark's own exe.
std::wstring SelfPath();

// ---------------------------------------------------------------- Linux's /proc

// Wine fills neither the CPU times nor the private bytes of another process (both read
// 0 under Wine 8), so the idle figures come from Linux's /proc, which a Wine program
// reads through drive Z:. The Unix process of a started program is the one whose command
// line (Wine puts the Windows path of the exe there) holds its unique directory.
int UnixPidOf(const std::wstring& uniqueDir);

// CPU time of all threads of a Unix process in ms (schedstat: nanoseconds on a CPU;
// the 10 ms ticks of /proc/<pid>/stat when schedstat is missing).
double UnixCpuMs(int pid);

struct Memory {
    double rssAnonMb = NAN, rssMb = NAN;
};

// RssAnon (private anonymous pages in memory) and VmRSS of a Unix process.
Memory UnixMemory(int pid);

// ---------------------------------------------------------------- the figures

// render_bench_win.cpp: RenderPanel with 0 and 66 buttons, where a frame's time goes,
// and the clock tick that reuses the still part of the picture.
void RenderFigures(PanelHarness& h, CQuorlinDlg& panel, const std::vector<SideDb::Row>& mixed, int runs);

// store_bench_win.cpp: LoadButtons of 66 rows with real icons and of many rows with our
// own web icon, and where the time of a row goes; AddButton, DeleteButton, one swap and
// ClearAllButtons on a full ring.
void LoadFigures(PanelHarness& h, CQuorlinDlg& panel, const std::vector<SideDb::Row>& mixed, int runs, int big);
void OperationFigures(PanelHarness& h, CQuorlinDlg& panel, const std::vector<SideDb::Row>& mixed, int runs);

// typing_bench_win.cpp: with 5,000 shortcuts in the Programs folder and 66 buttons, the
// index built on its thread and the heap it keeps, one keystroke's filtering, ranking and
// drawing of the programs' list, and the summon from WM_HOTKEY.
void TypingFigures(PanelHarness& h, CQuorlinDlg& panel, const std::vector<SideDb::Row>& mixed, int runs);

// `count` shortcuts to notepad.exe named as programs are (Chinese and Latin words), 100 to
// a folder, made in a temporary folder and moved into the user's Programs folder only
// between Enter and Leave (the destructor leaves).
class FakePrograms {
public:
    explicit FakePrograms(size_t count);
    ~FakePrograms();
    bool Enter();
    void Leave();
    std::wstring Root() const;  // where the folder is now
    bool ok = false;

private:
    quorlin::testing::TempDir dir_;
    std::wstring outside_, inside_;
    bool in_ = false;
};

// startup_bench_win.cpp: the modes "startup" and "phases".
int RunStartup(const Args& args);
int RunStartupPhases(const Args& args);

// idle_bench_win.cpp: the mode "idle".
int RunIdle(const Args& args);
// Mode longrun: days of clock ticks and a user's hovers, drags, menus and summons, and what
// the process holds at the start, after the first hour and at the end.
int RunLongRun(const Args& args);

}  // namespace quorlin::bench
