// The helpers of bench/bench_support_win.h: timing, the command line, the side
// connection to a bts.db and its rows, the panel in this process, other processes
// started and watched until their first frame, and Linux's /proc read through drive Z:.
#include "bench/bench_support_win.h"

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>

#include "app/quorlin_app_win.h"
#include "bench/bench_report.h"
#include "framework/text.h"
#include "framework/window_win.h"

namespace quorlin::bench {

// ---------------------------------------------------------------- timing and output

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

Args ParseArgs(int argc, wchar_t** argv) {
    Args a;
    if (argc > 1) a.mode = argv[1];
    for (int i = 2; i + 1 < argc; i += 2) a.options[argv[i]] = argv[i + 1];
    return a;
}

// ---------------------------------------------------------------- the button table

SideDb::SideDb(const std::filesystem::path& file) {
    sqlite3_open_v2(file.u8string().c_str(), &db_, SQLITE_OPEN_READWRITE, nullptr);
    sqlite3_busy_timeout(db_, 5000);
}

SideDb::~SideDb() { sqlite3_close(db_); }

void SideDb::Exec(const std::string& sql) {
    char* err = nullptr;
    if (sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, &err) != SQLITE_OK) {
        Note("sqlite: %s (%s)", err ? err : "?", sql.c_str());
        sqlite3_free(err);
    }
}

void SideDb::Insert(const std::vector<Row>& rows, int firstSort) {
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

void Pump() {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) continue;
        quorlin::fw::MessageLoop::Dispatch(msg);
    }
}

PanelHarness::PanelHarness() {
    db = dir.MakeDatabase();
    side = std::make_unique<SideDb>(db);
    side->KeepOnlyRowTwo();
    WriteIni(dir.Path(), {{"UpdateEndpoint", "http://127.0.0.1:9/x"}});
    theApp().state.appDir = dir.WPath();
    ok = theApp().PrepareRuntime();
}

PanelHarness::~PanelHarness() {
    Close();
    theApp().ExitInstance();
    theApp().state.appDir.clear();
}

CQuorlinDlg& PanelHarness::Open() {
    Close();
    panel = std::make_unique<CQuorlinDlg>(theApp().state, theApp().store);
    theApp().mainWnd = panel.get();
    panel->Create(nullptr);
    Pump();
    return *panel;
}

void PanelHarness::Close() {
    if (!panel) return;
    if (panel->IsWindow()) ::DestroyWindow(panel->hwnd());
    Pump();
    theApp().mainWnd = nullptr;
    panel.reset();
}

void PanelHarness::Fill(const std::vector<SideDb::Row>& rows) {
    side->KeepOnlyRowTwo();
    panel->Buttons().LoadButtons();
    side->Insert(rows);
    panel->Buttons().LoadButtons();
    Pump();
}

// ---------------------------------------------------------------- other processes

namespace {

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

// The text of a file, whole (empty when it cannot be read).
std::string ReadText(const std::wstring& path) {
    std::ifstream f{std::filesystem::path(path), std::ios::binary};
    return std::string(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

}  // namespace

Launch StartAndWaitForFrame(const std::wstring& exe, const std::wstring& arguments, const std::wstring& dir,
                            const wchar_t* prop, int timeoutMs) {
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

AppDir::AppDir(const std::wstring& quorlinExe, const std::vector<SideDb::Row>& rows) {
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

bool AppDir::PrimeIconCache() {
    const std::filesystem::path db = dir.Path() / "bts.db";
    const std::string shown = quorlin::testing::QueryText(db, "select count(*) from tb_Btns where ID <> 2");
    Launch l = StartAndWaitForFrame(exe, L"", dir.WPath(), L"qiv_zembrick");
    bool filled = false;
    for (int i = 0; i < 300 && !filled; ++i) {  // the pictures are checked right after the first frame
        ::Sleep(50);
        filled = quorlin::testing::QueryText(db, "select count(*) from tb_IconCache") == shown;
    }
    ::Sleep(200);
    Stop(l);
    return filled;
}

std::wstring SelfPath() {
    wchar_t path[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    return path;
}

// ---------------------------------------------------------------- Linux's /proc

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

}  // namespace quorlin::bench
