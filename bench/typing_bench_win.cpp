// Typing figures, measured in this process (mode "inproc", part "typing"), with 5,000
// Start-menu shortcuts that the benchmark makes (FakePrograms) and 66 buttons: the index
// of the Programs folders built on its thread, the heap it holds, one keystroke's
// filtering, ranking and drawing of the programs' list, and the summon from WM_HOTKEY to
// the panel in front.
#include <windows.h>
#include <malloc.h>
#include <objidl.h>
#include <shlobj.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <string>
#include <vector>

#include "app/quorlin_app_win.h"
#include "bench/bench_report.h"
#include "bench/bench_support_win.h"
#include "buttons/builtin_entries.h"
#include "panel/keyboard_rules.h"
#include "panel/program_index.h"
#include "panel/program_search_win.h"
#include "store/usage_table.h"

// The live heap bytes of C++ allocations while counting is on (the index's own memory is
// what it allocates and keeps). Every allocation of this program goes through here.
namespace {
std::atomic<bool> g_counting{false};
std::atomic<long long> g_live{0};
}  // namespace

void* operator new(std::size_t n) {
    void* p = std::malloc(n ? n : 1);
    if (!p) throw std::bad_alloc();
    if (g_counting) g_live += static_cast<long long>(_msize(p));
    return p;
}
void operator delete(void* p) noexcept {
    if (!p) return;
    if (g_counting) g_live -= static_cast<long long>(_msize(p));
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept { operator delete(p); }

namespace quorlin::bench {

namespace {

// Names as Start menus have them: Chinese and Latin words, two to a name, numbered.
const wchar_t* const kWords[] = {L"记事本", L"计算器", L"画图", L"微信", L"腾讯", L"音乐", L"视频", L"浏览器",
                                 L"设置", L"照片", L"邮件", L"地图", L"日历", L"相机", L"录音机", L"截图工具",
                                 L"Visual", L"Studio", L"Code", L"Office", L"Word", L"Excel", L"Player",
                                 L"Reader", L"Editor", L"Manager", L"Tools", L"Uninstall", L"Help", L"Setup"};
constexpr size_t kWordCount = sizeof(kWords) / sizeof(kWords[0]);

std::wstring ProgramsFolder() {
    wchar_t path[MAX_PATH] = {};
    return SUCCEEDED(::SHGetFolderPathW(nullptr, CSIDL_PROGRAMS, nullptr, SHGFP_TYPE_CURRENT, path)) ? path : L"";
}

// The window the benchmark's own program search belongs to: where the index arrives.
class SearchHost : public quorlin::fw::SubclassedWindow<SearchHost> {
public:
    ProgramSearch* search = nullptr;
    bool OnUnlistedMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override {
        if (msg != WM_PROGRAMS_READY || !search) return false;
        bool handled = true;
        result = search->OnProgramsReady(wp, lp, handled);
        return true;
    }
};

}  // namespace

FakePrograms::FakePrograms(size_t count) {
    outside_ = (dir_.Path() / "QuorlinBenchPrograms").wstring();
    inside_ = ProgramsFolder() + L"\\QuorlinBenchPrograms";
    ::CreateDirectoryW(outside_.c_str(), nullptr);
    const std::wstring model = dir_.WPath() + L"\\model.lnk";
    wchar_t system[MAX_PATH] = {};
    ::GetSystemDirectoryW(system, MAX_PATH);
    const bool com = SUCCEEDED(::CoInitialize(nullptr));
    IShellLinkW* link = nullptr;
    IPersistFile* file = nullptr;
    if (SUCCEEDED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                     reinterpret_cast<void**>(&link)))) {
        link->SetPath((std::wstring(system) + L"\\notepad.exe").c_str());
        if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
            file->Save(model.c_str(), TRUE);
            file->Release();
        }
        link->Release();
    }
    if (com) ::CoUninitialize();
    size_t made = 0;
    for (size_t i = 0; i < count; ++i) {
        const std::wstring folder = outside_ + L"\\Vendor " + std::to_wstring(i / 100);
        if (i % 100 == 0) ::CreateDirectoryW(folder.c_str(), nullptr);
        const wchar_t* a = kWords[i % kWordCount];
        const wchar_t* b = kWords[(i / kWordCount + i) % kWordCount];
        const std::wstring name = std::wstring(a) + (a[0] < 0x80 ? L" " : L"") + b + L" " + std::to_wstring(i);
        if (::CopyFileW(model.c_str(), (folder + L"\\" + name + L".lnk").c_str(), FALSE)) ++made;
    }
    ok = made == count && !ProgramsFolder().empty();
}

FakePrograms::~FakePrograms() { Leave(); }

bool FakePrograms::Enter() {
    if (!in_) in_ = ::MoveFileW(outside_.c_str(), inside_.c_str()) != FALSE;
    return in_;
}

std::wstring FakePrograms::Root() const { return in_ ? inside_ : outside_; }

void FakePrograms::Leave() {
    if (in_ && ::MoveFileW(inside_.c_str(), outside_.c_str())) in_ = false;
}

void TypingFigures(PanelHarness& h, CQuorlinDlg& panel, const std::vector<SideDb::Row>& mixed, int runs) {
    const size_t count = 5000;
    FakePrograms fake(count);
    if (!fake.ok || !fake.Enter()) {
        Note("typing: the %zu shortcuts could not be made in the Programs folder", count);
        return;
    }
    h.Fill(mixed);
    std::vector<std::wstring> titles, paths;
    for (size_t i = 0; i < panel.Buttons().Count(); ++i) {
        const CButtonEx* b = panel.Buttons().At(i);
        titles.push_back(ShownTitle(b->iType, b->Title));
        if (b->iType == ItemKind::File) paths.push_back(b->PathName);
    }

    // ---- the heap the index keeps
    g_live = 0;
    g_counting = true;
    ProgramIndex held;
    held.Set(ScanPrograms({fake.Root()}));  // the walk's own allocations are gone when it returns
    const long long heldBytes = g_live;
    g_counting = false;
    if (held.Entries().size() != count) Note("typing: the index holds %zu shortcuts", held.Entries().size());
    Row("index of 5,000 shortcuts: heap it keeps (names, paths, prepared names)", heldBytes / 1048576.0, "MB",
        "target <= 2 MB");

    // ---- the index built on its thread: Start to the index handed to the panel's thread
    SearchHost host;
    host.Create(L"STATIC", L"", WS_POPUP, RECT{kPanelX, kPanelY, kPanelX + kSide, kPanelY + kSide}, nullptr, 0);
    std::vector<double> built;
    std::unique_ptr<ProgramSearch> search;
    const ProgramSearch::OnRing ring{paths, titles};
    for (int r = -1; r < runs; ++r) {  // run -1 warms the file cache
        search = std::make_unique<ProgramSearch>(host, [&] { return ring; }, nullptr, [] { return 96; });
        host.search = search.get();
        const double t0 = NowMs();
        search->Start();
        while (!search->Ready() && NowMs() - t0 < 20000) {
            ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
            Pump();
        }
        if (r >= 0) built.push_back(NowMs() - t0);
        if (r + 1 < runs) search->Stop();
    }
    const double walk = TimeMedian(runs, 1, [&] {
        ProgramIndex index;
        index.Set(ScanPrograms({fake.Root()}));
    });
    Row("index of 5,000 shortcuts built on its thread (start -> handed to the UI thread)", Median(built), "ms",
        "target <= 300 ms; the UI thread only takes it");
    Row("  of which the walk and the prepared names alone", walk, "ms", "");

    // ---- one keystroke: the ring's 66 titles filtered and ranked, the programs found,
    // ranked, and their list placed and painted (its icons kept after the first paint)
    KeyboardSession keys;
    keys.SetTitles(titles);
    const std::vector<std::wstring> typed = {L"j", L"js", L"jsb", L"v", L"vs", L"vsc", L"w", L"wx", L"y", L"yy", L"yyb", L"note"};
    auto keystroke = [&](const std::wstring& filter) {
        keys.OnKey(PanelKey::Escape);
        for (wchar_t c : filter) keys.OnChar(c);
        search->Show(filter);
        if (search->ListWindow()) ::UpdateWindow(search->ListWindow());
    };
    for (const std::wstring& f : typed) keystroke(f);  // the icons of these rows
    const double perKey = TimeMedian(runs, static_cast<int>(typed.size()), [&, k = size_t{0}]() mutable {
        keystroke(typed[k++ % typed.size()]);
    });
    const double ringOnly = TimeMedian(runs, static_cast<int>(typed.size()), [&, k = size_t{0}]() mutable {
        keys.OnKey(PanelKey::Escape);
        for (wchar_t c : typed[k++ % typed.size()]) keys.OnChar(c);
    });
    Row("keystroke: 66 buttons and 5,000 programs filtered, ranked, the list drawn", perKey, "ms",
        "target <= 2 ms; the ring's own frame not included");
    Row("  of which the ring's 66 titles", ringOnly, "ms", "");
    const double findOnly = TimeMedian(runs, static_cast<int>(typed.size()), [&, k = size_t{0}]() mutable {
        held.Find(typed[k++ % typed.size()], 8 + titles.size() + paths.size());
    });
    Row("  of which finding and ranking among the 5,000 programs", findOnly, "ms", "");
    search->Stop();
    host.search = nullptr;
    if (host.hwnd()) ::DestroyWindow(host.hwnd());
    fake.Leave();

    // ---- one opening counted in tb_Usage, written through as the panel does it
    UsageLog usage;
    usage.Load(theApp().store.Handle());
    long long when = 1;
    const double counted = TimeMedian(runs, 20, [&] {
        usage.CountProgram(theApp().store.Handle(), L"C:\\p" + std::to_wstring(when % 400) + L".lnk", when);
        ++when;
    });
    Row("usage: one opening counted and written to tb_Usage (at most 300 rows)", counted, "ms", "on the UI thread");

    // ---- the summon: WM_HOTKEY to the panel in front with the keyboard, its frame shown
    std::vector<double> summons;
    for (int r = -1; r < runs * 4; ++r) {
        const double t0 = NowMs();
        ::SendMessageW(panel.hwnd(), WM_HOTKEY, panel.Summons().HotKeyId(), 0);
        Pump();
        if (r >= 0) summons.push_back(NowMs() - t0);
        if (!panel.Summons().InFront()) Note("summon: the panel is not in front");
        ::SendMessageW(panel.hwnd(), WM_HOTKEY, panel.Summons().HotKeyId(), 0);  // back (untimed)
        Pump();
    }
    Row("summon: WM_HOTKEY -> panel in front with the keyboard, 66 buttons", Median(summons), "ms", "target <= 5 ms");
}

}  // namespace quorlin::bench
