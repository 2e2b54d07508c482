#include "panel/program_search_win.h"

#include <shlobj.h>

#include <algorithm>
#include <cwchar>

#include "buttons/item_actions_logic.h"
#include "framework/display_win.h"
#include "framework/seams.h"

using namespace quorlin;

namespace {

const wchar_t kListClass[] = L"QuorlinProgramList";
constexpr int kMaxRows = 8;
constexpr int kRowHeight = 22;
constexpr int kListWidth = 300;
// A change under the Programs folders comes in bursts (an installer writes many files):
// the folders are read again once they have been quiet this long.
constexpr DWORD kQuietMs = 500;
// How long the panel's closing waits for the thread to end.
constexpr DWORD kStopWaitMs = 200;
const COLORREF kListBack = RGB(32, 32, 32);  // the bubble's dark face
const COLORREF kListText = RGB(255, 255, 255);
const COLORREF kSelectedBack = RGB(64, 96, 160);

std::wstring FolderPath(int csidl) {
    wchar_t path[MAX_PATH] = {};
    if (FAILED(::SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path))) return std::wstring();
    return path;
}

bool SameText(const std::wstring& a, const std::wstring& b) { return ::_wcsicmp(a.c_str(), b.c_str()) == 0; }

}  // namespace

ProgramSearch::ProgramSearch(const fw::WindowBase& window, std::function<OnRing()> onRing,
                             std::function<void()> indexChanged, std::function<int()> dpi,
                             ProgramIndex::UsageOf usageOf)
    : window_(window), onRing_(std::move(onRing)), indexChanged_(std::move(indexChanged)), dpi_(std::move(dpi)),
      usageOf_(std::move(usageOf)) {}

ProgramSearch::Shared::Shared()
    : stopEvent(::CreateEventW(nullptr, TRUE, FALSE, nullptr)), doneEvent(::CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}

ProgramSearch::Shared::~Shared() {
    if (stopEvent) ::CloseHandle(stopEvent);
    if (doneEvent) ::CloseHandle(doneEvent);
}

void ProgramSearch::Start() {
    if (thread_.joinable()) return;
    std::vector<std::wstring> roots;
    for (int csidl : {CSIDL_PROGRAMS, CSIDL_COMMON_PROGRAMS}) {
        std::wstring root = FolderPath(csidl);
        if (!root.empty() && std::find(roots.begin(), roots.end(), root) == roots.end()) roots.push_back(root);
    }
    auto shared = std::make_shared<Shared>();
    if (!shared->stopEvent || !shared->doneEvent) return;
    shared->panel = window_.hwnd();
    shared_ = shared;
    thread_ = std::thread(&ProgramSearch::Run, std::move(shared), std::move(roots));
}

void ProgramSearch::Stop() {
    if (thread_.joinable()) {
        {
            std::lock_guard<std::mutex> lock(shared_->mutex);
            shared_->panel = nullptr;  // nothing is posted from now on
        }
        shared_->stopping = true;
        ::SetEvent(shared_->stopEvent);  // wakes the wait; a walk under way looks at `stopping`
        if (::WaitForSingleObject(shared_->doneEvent, kStopWaitMs) == WAIT_OBJECT_0) thread_.join();
        else thread_.detach();  // held up by a drive: it ends by itself, owning what it shares
    }
    shared_.reset();
    if (list_) ::DestroyWindow(list_);
    list_ = nullptr;
    if (font_) ::DeleteObject(font_);
    font_ = nullptr;
    DropIcons();
    rows_.clear();
    selected_ = -1;
}

// The thread: the folders are watched before they are read, so that no change between the
// two is missed; each change is read again after a quiet moment. Ends when told to stop.
void ProgramSearch::Run(std::shared_ptr<Shared> shared, std::vector<std::wstring> roots) {
    std::vector<HANDLE> waits{shared->stopEvent};
    for (const std::wstring& root : roots) {
        const HANDLE change = ::FindFirstChangeNotificationW(
            root.c_str(), TRUE, FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_DIR_NAME);
        if (change != INVALID_HANDLE_VALUE) waits.push_back(change);
    }
    while (!shared->stopping) {
        ProgramIndex index;
        index.Set(ScanPrograms(roots, &shared->stopping));
        {
            std::lock_guard<std::mutex> lock(shared->mutex);
            if (shared->stopping || !shared->panel) break;
            shared->pending = std::move(index);
            ::PostMessageW(shared->panel, WM_PROGRAMS_READY, 0, 0);
        }
        const DWORD r = ::WaitForMultipleObjects(static_cast<DWORD>(waits.size()), waits.data(), FALSE, INFINITE);
        if (r <= WAIT_OBJECT_0 || r >= WAIT_OBJECT_0 + waits.size()) break;  // stop, or the wait failed
        // Quiet first: every change of the burst is taken up by the one walk that follows.
        for (;;) {
            for (std::size_t i = 1; i < waits.size(); ++i) ::FindNextChangeNotification(waits[i]);
            if (::WaitForSingleObject(shared->stopEvent, kQuietMs) == WAIT_OBJECT_0) break;
            bool again = false;
            for (std::size_t i = 1; i < waits.size(); ++i)
                if (::WaitForSingleObject(waits[i], 0) == WAIT_OBJECT_0) again = true;
            if (!again) break;
        }
    }
    for (std::size_t i = 1; i < waits.size(); ++i) ::FindCloseChangeNotification(waits[i]);
    ::SetEvent(shared->doneEvent);
}

LRESULT ProgramSearch::OnProgramsReady(WPARAM, LPARAM, bool&) {
    if (!shared_) return 0;
    std::optional<ProgramIndex> index;
    {
        std::lock_guard<std::mutex> lock(shared_->mutex);
        index.swap(shared_->pending);
    }
    if (!index) return 0;
    index_ = std::move(*index);
    ready_ = true;
    DropIcons();  // a shortcut written again may have another
    Hide();  // the rows named entries of the index before
    if (indexChanged_) indexChanged_();
    return 0;
}

// ---------------------------------------------------------------- the list

int ProgramSearch::Show(const std::wstring& filter) {
    rows_.clear();
    selected_ = -1;
    if (!filter.empty() && !index_.Entries().empty()) {
        const OnRing ring = onRing_ ? onRing_() : OnRing{};
        const auto hits = index_.Find(filter, kMaxRows + ring.paths.size() + ring.titles.size(), usageOf_);
        for (const ProgramIndex::Hit& hit : hits) {
            const ProgramEntry& e = index_.Entries()[hit.index];
            const auto same = [&](const std::vector<std::wstring>& list, const std::wstring& s) {
                return std::any_of(list.begin(), list.end(), [&](const std::wstring& x) { return SameText(x, s); });
            };
            if (same(ring.paths, e.FullPath()) || same(ring.titles, e.name)) continue;
            rows_.push_back(hit.index);
            if (rows_.size() == kMaxRows) break;
        }
    }
    if (rows_.empty()) {
        Hide();
        return 0;
    }
    if (!list_) {
        WNDCLASSEXW wc{sizeof(wc)};
        wc.lpfnWndProc = &ProgramSearch::ListProc;
        wc.hInstance = ::GetModuleHandleW(nullptr);
        wc.lpszClassName = kListClass;
        wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
        ::RegisterClassExW(&wc);  // fails harmlessly when registered already
        list_ = ::CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_TOPMOST | WS_EX_NOACTIVATE, kListClass, L"", WS_POPUP, 0, 0,
                                  kListWidth, kRowHeight, window_.hwnd(), nullptr, wc.hInstance, nullptr);
        if (!list_) return 0;
        ::SetWindowLongPtrW(list_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
    // Beside the panel: on its right, or on its left where the screen ends.
    RECT panel{};
    ::GetWindowRect(window_.hwnd(), &panel);
    MONITORINFO mi{sizeof(mi)};
    ::GetMonitorInfoW(::MonitorFromWindow(window_.hwnd(), MONITOR_DEFAULTTONEAREST), &mi);
    const int dpi = dpi_();
    if (dpi != fontDpi_ || !font_) {
        if (font_) ::DeleteObject(font_);
        font_ = ::CreateFontW(-::MulDiv(14, dpi, 96), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                              OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, DEFAULT_PITCH, L"SimSun");
        fontDpi_ = dpi;
    }
    rowHeight_ = ::MulDiv(kRowHeight, dpi, 96);
    const int width = ::MulDiv(kListWidth, dpi, 96);
    const int height = rowHeight_ * static_cast<int>(rows_.size());
    int x = panel.right;
    if (x + width > mi.rcWork.right) x = panel.left - width;
    const int y = std::max<int>(mi.rcWork.top, std::min<int>(panel.top + (panel.bottom - panel.top) / 2,
                                                             mi.rcWork.bottom - height));
    RECT now{};
    ::GetWindowRect(list_, &now);
    // Each keystroke shows the list again: a window already there is only painted anew.
    if (!::IsWindowVisible(list_) || now.left != x || now.top != y || now.right - now.left != width ||
        now.bottom - now.top != height)
        ::SetWindowPos(list_, HWND_TOPMOST, x, y, width, height, SWP_NOACTIVATE | SWP_SHOWWINDOW);
    ::InvalidateRect(list_, nullptr, TRUE);
    return static_cast<int>(rows_.size());
}

void ProgramSearch::Hide() {
    rows_.clear();
    selected_ = -1;
    if (list_) ::ShowWindow(list_, SW_HIDE);
}

void ProgramSearch::Select(int row) {
    selected_ = row >= 0 && row < static_cast<int>(rows_.size()) ? row : -1;
    if (list_) ::InvalidateRect(list_, nullptr, TRUE);
}

const ProgramEntry* ProgramSearch::Row(int row) const {
    if (row < 0 || row >= static_cast<int>(rows_.size())) return nullptr;
    return &index_.Entries()[rows_[static_cast<std::size_t>(row)]];
}

std::wstring ProgramSearch::RowText(int row, RECT* screen) const {
    const ProgramEntry* e = Row(row);
    if (!e) return std::wstring();
    if (screen) {
        ::GetWindowRect(list_, screen);
        screen->top += row * rowHeight_;
        screen->bottom = screen->top + rowHeight_;
    }
    return e->from.empty() ? e->name : e->name + L" \x2014 " + e->from;
}

bool ProgramSearch::Open(int row) const {
    const ProgramEntry* e = Row(row);
    return e && !IsShellFailure(quorlin::Shell().Execute(0, kOpenVerb, e->FullPath().c_str(), nullptr, nullptr, SW_SHOWNORMAL));
}

HICON ProgramSearch::IconOf(const std::wstring& path) {
    const auto found = icons_.find(path);
    if (found != icons_.end()) return found->second;
    SHFILEINFOW info{};
    const HICON icon = ::SHGetFileInfoW(path.c_str(), 0, &info, sizeof(info), SHGFI_ICON | SHGFI_SMALLICON) ? info.hIcon
                                                                                                          : nullptr;
    icons_.emplace(path, icon);
    return icon;
}

void ProgramSearch::DropIcons() {
    for (const auto& kept : icons_)
        if (kept.second) ::DestroyIcon(kept.second);
    icons_.clear();
}

void ProgramSearch::Paint(HDC dc) {
    RECT client{};
    ::GetClientRect(list_, &client);
    const HBRUSH back = ::CreateSolidBrush(kListBack);
    ::FillRect(dc, &client, back);
    ::DeleteObject(back);
    const HGDIOBJ oldFont = ::SelectObject(dc, font_ ? static_cast<HGDIOBJ>(font_) : ::GetStockObject(DEFAULT_GUI_FONT));
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, kListText);
    for (int i = 0; i < static_cast<int>(rows_.size()); ++i) {
        RECT r{0, i * rowHeight_, client.right, (i + 1) * rowHeight_};
        if (i == selected_) {
            const HBRUSH sel = ::CreateSolidBrush(kSelectedBack);
            ::FillRect(dc, &r, sel);
            ::DeleteObject(sel);
        }
        const ProgramEntry& e = index_.Entries()[rows_[static_cast<std::size_t>(i)]];
        const std::wstring line = RowText(i);
        const int margin = rowHeight_ / 3;
        const int side = rowHeight_ - 2 * (rowHeight_ / 8);
        if (const HICON icon = IconOf(e.FullPath()))
            ::DrawIconEx(dc, r.left + margin, r.top + (rowHeight_ - side) / 2, icon, side, side, 0, nullptr, DI_NORMAL);
        r.left += 2 * margin + side;
        r.right -= margin;
        ::DrawTextW(dc, line.c_str(), static_cast<int>(line.size()), &r,
                    DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX);
    }
    ::SelectObject(dc, oldFont);
}

LRESULT CALLBACK ProgramSearch::ListProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    auto* self = reinterpret_cast<ProgramSearch*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (msg == WM_MOUSEACTIVATE) return MA_NOACTIVATE;
    if (msg == WM_ERASEBKGND) return 1;
    if (msg == WM_PAINT && self) {
        PAINTSTRUCT ps;
        const HDC dc = ::BeginPaint(hwnd, &ps);
        self->Paint(dc);
        ::EndPaint(hwnd, &ps);
        return 0;
    }
    return ::DefWindowProcW(hwnd, msg, wp, lp);
}
