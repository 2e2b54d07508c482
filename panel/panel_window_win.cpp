#include "panel/panel_window_win.h"

#include <io.h>
#include <shlobj.h>
#include <shlwapi.h>
#include <wtsapi32.h>

#include <cstring>

#include "app/settings_win.h"
#include "buttons/builtin_entries.h"
#include "buttons/icon_imaging_win.h"
#include "buttons/menu_rules.h"
#include "framework/display_win.h"
#include "framework/late_library_win.h"
#include "framework/seams.h"
#include "framework/texts.h"
#include "framework/seams_win.h"
#include "framework/user_texts.h"
#include "panel/composition.h"
#include "panel/drop_rules.h"
#include "panel/placement.h"
#include "store/backups.h"
#include "store/button_transfer.h"
#include "store/db_session.h"
#include "update/version_check_win.h"

using namespace quorlin;

namespace {

const wchar_t kInstanceProp[] = L"qiv_zembrick";
const wchar_t kHotKeyAtom[] = L"qiv_tool-hotkey-S";
const UINT g_taskbarCreated = ::RegisterWindowMessageW(L"TaskbarCreated");
// Another process (quorlin.exe --import) changed bts.db: load the ring again.
const UINT g_reload = ::RegisterWindowMessageW(L"quorlin-reload");


}  // namespace

UINT TaskbarCreatedMessage() { return g_taskbarCreated; }

CQuorlinDlg::CQuorlinDlg(AppState& state, DbSession& store)
    : state_(state), icons_(store), store_(store), collection_(store, *this) {
    appIcon = ::LoadIconW(fw::ResourceModule(), MAKEINTRESOURCEW(IDR_MAINFRAME));
    fw::LoadPngResource(IDB_RING, ringImage);
    fw::LoadPngResource(IDB_FACE, faceImage);
    fw::LoadPngResource(IDB_HOUR, hourHandImage);
    fw::LoadPngResource(IDB_MINUTE, minuteHandImage);
    fw::LoadPngResource(IDB_SECOND, secondHandImage);
    fw::LoadPngResource(IDB_HUB, hubImage);
}

CQuorlinDlg::~CQuorlinDlg() {
    if (trayIcon_) ::DestroyIcon(trayIcon_);
    // The helper windows go first. Buttons are child windows:
    // release them while the panel window still exists.
    ghost_.reset();
    toolTip_.reset();
    collection_.buttons.clear();
}

CButtonEx* CQuorlinDlg::ButtonAt(size_t i) const {
    return i < collection_.buttons.size() ? static_cast<CButtonEx*>(collection_.buttons[i].get()) : nullptr;
}

CButtonEx* CQuorlinDlg::FindButton(std::int64_t id) const { return static_cast<CButtonEx*>(collection_.FindById(id)); }

// ---------------------------------------------------------------- creation and placement

BOOL CQuorlinDlg::OnInitDialog() {
    buttonHalf = kInitialButtonHalf;
    fw::OwnLayoutOnDpiChange(hwnd_);  // the buttons are placed by the ring layout alone
    ApplyDpi(fw::WindowDpi(hwnd_));

    helpersPending_ = true;  // the work after the first frame: see the end
    ::SetPropW(hwnd_, kInstanceProp, reinterpret_cast<HANDLE>(1));
    ModifyStyleEx(0, WS_EX_LAYERED);
    ModifyStyleEx(WS_EX_APPWINDOW | WS_EX_DLGMODALFRAME, WS_EX_LAYERED | WS_EX_TOOLWINDOW);
    MoveToInitialPosition();
    cacheOnly_ = true;
    refreshNext_ = 0;
    icons_.Ensure();
    // The buttons' windows catch the mouse but show nothing: they are made right after
    // the first frame, which needs only the rows and their pictures.
    buttonWindowsLater_ = true;
    startPictures_ = icons_.FindAll(PictureSide());
    LoadButtons();
    startPictures_.clear();
    buttonWindowsLater_ = false;
    RenderPanel();
    cacheOnly_ = false;
    SetTopMost(state_.topMost, false);
    RegisterGlobalHotkey();
    // The frame just composed shows the time: the clock's timer starts without another one.
    clockRunning_ = true;
    ::SetTimer(hwnd_, TIMER_CLOCK, 1000, nullptr);
    initialised = true;
    // Shown here without taking the keyboard, so that the dialog manager does not show it
    // activated, and FALSE: no focus set now (on a shown window that activates it too).
    // Activation cost Wine some 15 ms before the frame reached the screen; the panel becomes
    // the active window right after its first frame.
    activateLater_ = true;
    ::ShowWindow(hwnd_, SW_SHOWNOACTIVATE);
    // The rest waits for a timer, not a posted message: a timer comes after the window
    // system's own events, and under Wine the first frame only reaches the screen once this
    // thread has handled those (a posted message first held it back by 40 ms).
    ::SetTimer(hwnd_, TIMER_HELPERS, USER_TIMER_MINIMUM, nullptr);
    return FALSE;
}

void CQuorlinDlg::MoveToInitialPosition() {
    const IniSettings settings(state_.SettingsFile());
    const bool hasX = settings.Has(kKeyDeskX);
    const bool hasY = settings.Has(kKeyDeskY);
    // The INI service hands back an unsigned value: a monitor left of or above the primary
    // one has negative coordinates, saved as such, so the value is read back as signed.
    const long long x = static_cast<int>(settings.ReadInt(kKeyDeskX, 0));
    const long long y = static_cast<int>(settings.ReadInt(kKeyDeskY, 0));
    Point p = InitialPanelPosition(hasX, x, hasY, y, fw::MonitorWorkAreas(), panelWidth, panelHeight);
    ::MoveWindow(hwnd_, p.x, p.y, panelWidth, panelHeight, TRUE);
}

bool CQuorlinDlg::KeepOnScreen(RECT& r) {
    Rect q{r.left, r.top, r.right, r.bottom};
    bool changed = quorlin::KeepOnScreen(q, fw::MonitorWorkAreas());
    r = RECT{q.left, q.top, q.right, q.bottom};
    return changed;
}

void CQuorlinDlg::PlaceBesideAnchor(HWND window, const RECT& anchor) {
    RECT w{};
    ::GetWindowRect(window, &w);
    std::optional<Rect> place = quorlin::PlaceBesideAnchor(Rect{anchor.left, anchor.top, anchor.right, anchor.bottom},
                                                           Rect{w.left, w.top, w.right, w.bottom},
                                                           fw::MonitorWorkAreas());
    if (place) ::MoveWindow(window, place->left, place->top, place->Width(), place->Height(), TRUE);
}

// ---------------------------------------------------------------- DPI

void CQuorlinDlg::ApplyDpi(int dpi) {
    dpi_ = UsableDpi(dpi);
    geometry_ = PanelGeometry::ForDpi(dpi_);
    panelWidth = geometry_.panelWidth;
    panelHeight = geometry_.panelHeight;
    ringRadius = geometry_.ringRadius;
    ringCenterX = geometry_.ringCenterX;
    ringCenterY = geometry_.ringCenterY;
    ringInset = geometry_.ringInset;
    clockRadius = geometry_.clockRadius;
    LoadPanelPictures();
    if (toolTip_) toolTip_->SetDpi(dpi_);
    if (!hwnd_) return;
    // While the panel is made, its place and size are set once, right after this, and the
    // tray icon is loaded with the rest of the work after the first frame.
    if (!initialised) return;
    RECT r{};
    ::GetWindowRect(hwnd_, &r);
    ::SetWindowPos(hwnd_, nullptr, r.left, r.top, panelWidth, panelHeight, SWP_NOZORDER | SWP_NOACTIVATE);
    LoadTrayIcon();
    if (collection_.buttons.empty()) return;
    for (const auto& b : collection_.buttons) static_cast<CButtonEx*>(b.get())->RefreshImage();
    LayoutButtons();
    RenderPanel();
}

void CQuorlinDlg::LoadPanelPictures() {
    if (picturesDpi_ == dpi_ && ringImage) return;
    struct Picture {
        std::unique_ptr<Gdiplus::Image>& image;
        UINT id, hiId;
        RectF drawn;
    };
    const Picture pictures[] = {
        {ringImage, IDB_RING, IDB_RING_HI, geometry_.RingPictureRect()},
        {faceImage, IDB_FACE, IDB_FACE_HI, geometry_.ClockDiscRect()},
        {hourHandImage, IDB_HOUR, IDB_HOUR_HI, geometry_.HandRect()},
        {minuteHandImage, IDB_MINUTE, IDB_MINUTE_HI, geometry_.HandRect()},
        {secondHandImage, IDB_SECOND, IDB_SECOND_HI, geometry_.HandRect()},
        {hubImage, IDB_HUB, IDB_HUB_HI, geometry_.HandRect()},
    };
    for (const Picture& p : pictures) {
        if (dpi_ == kBaseDpi) {
            fw::LoadPngResource(p.id, p.image);
            continue;
        }
        std::unique_ptr<Gdiplus::Image> source;
        if (!fw::LoadPngResource(p.hiId, source) || !source) {
            fw::LoadPngResource(p.id, p.image);  // the small one, stretched, rather than none
            continue;
        }
        std::unique_ptr<Gdiplus::Bitmap> scaled =
            fw::ScaledPicture(*source, static_cast<int>(p.drawn.width + 0.5f), static_cast<int>(p.drawn.height + 0.5f));
        if (scaled) p.image = std::move(scaled);
        else p.image = std::move(source);
    }
    picturesDpi_ = dpi_;
}

void CQuorlinDlg::LoadTrayIcon() {
    const int side = fw::MetricForDpi(SM_CXSMICON, dpi_);
    HICON icon = static_cast<HICON>(
        ::LoadImageW(fw::ResourceModule(), MAKEINTRESOURCEW(IDR_MAINFRAME), IMAGE_ICON, side, side, LR_DEFAULTCOLOR));
    if (!icon) return;
    HICON old = trayIcon_;
    trayIcon_ = icon;
    trayData.hIcon = trayIcon_;
    if (trayAdded) {
        trayData.uFlags = NIF_ICON;
        Tray().Notify(NIM_MODIFY, &trayData);
        trayData.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    }
    if (old) ::DestroyIcon(old);
}

LRESULT CQuorlinDlg::OnDpiChanged(WPARAM wp, LPARAM lp, bool&) {
    const int dpi = LOWORD(wp);
    const RECT* suggested = reinterpret_cast<const RECT*>(lp);
    ApplyDpi(dpi);
    if (suggested) {
        // The system's suggestion keeps the panel under the cursor while it is dragged.
        RECT r{suggested->left, suggested->top, suggested->left + panelWidth, suggested->top + panelHeight};
        ::SetWindowPos(hwnd_, nullptr, r.left, r.top, panelWidth, panelHeight, SWP_NOZORDER | SWP_NOACTIVATE);
    }
    RenderPanel();
    return 0;
}

LRESULT CQuorlinDlg::OnNcHitTest(WPARAM, LPARAM, bool& handled) {
    if (state_.fixed) {
        handled = false;
        return 0;
    }
    return HTCAPTION;
}

LRESULT CQuorlinDlg::OnExitSizeMove(WPARAM, LPARAM, bool& handled) {
    handled = false;
    if (!hwnd_ || !initialised) return 0;
    RECT r{};
    ::GetWindowRect(hwnd_, &r);
    if (KeepOnScreen(r)) ::MoveWindow(hwnd_, r.left, r.top, r.right - r.left, r.bottom - r.top, TRUE);
    const IniSettings settings(state_.SettingsFile());
    settings.WriteInt(kKeyDeskX, r.left);
    settings.WriteInt(kKeyDeskY, r.top);
    return 0;
}

// ---------------------------------------------------------------- stacking

void CQuorlinDlg::SetTopMost(bool topmost, bool persist) {
    state_.topMost = topmost;
    if (topmost) {
        ::SetWindowPos(hwnd_, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
        ::SetWindowLongPtrW(hwnd_, GWLP_HWNDPARENT, 0);
        desktopOwner = nullptr;
    } else {
        AttachToDesktop();
        ::SetWindowPos(hwnd_, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
    if (persist) SaveSwitch(kKeyTopMost, topmost);
}

HWND CQuorlinDlg::FindWorkerDesktopView() {
    HWND desktop = ::GetDesktopWindow();
    if (!desktop) return nullptr;
    HWND worker = nullptr;
    while ((worker = ::FindWindowExW(desktop, worker, L"WorkerW", nullptr)) != nullptr) {
        if (::GetWindowLongW(worker, GWL_STYLE) & WS_VISIBLE)
            return ::FindWindowExW(worker, nullptr, L"SHELLDLL_DefView", nullptr);
    }
    return nullptr;
}

bool CQuorlinDlg::AttachToDesktop() {
    HWND view = nullptr;
    if (HWND progman = ::FindWindowW(L"Progman", L"Program Manager")) {
        view = ::FindWindowExW(progman, nullptr, L"SHELLDLL_DefView", nullptr);
        if (!view) view = FindWorkerDesktopView();
    }
    if (view) ::SetWindowLongPtrW(hwnd_, GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(view));
    desktopOwner = view;
    return view != nullptr;
}

BOOL CQuorlinDlg::PreTranslateMessage(MSG* msg) {
    if (!state_.topMost && desktopOwner && !::IsWindow(desktopOwner)) {
        ::SetWindowLongPtrW(hwnd_, GWLP_HWNDPARENT, 0);
        desktopOwner = nullptr;
    }
    // Input, a hotkey, a drop or a command before the work after the first frame has run:
    // that work first, so that nothing is handled without the buttons' windows.
    if (helpersPending_ && ((msg->message >= WM_KEYFIRST && msg->message <= WM_KEYLAST) ||
                            (msg->message >= WM_MOUSEFIRST && msg->message <= WM_MOUSELAST) ||
                            (msg->message >= WM_NCMOUSEMOVE && msg->message <= WM_NCXBUTTONDBLCLK) ||
                            msg->message == WM_HOTKEY || msg->message == WM_DROPFILES ||
                            msg->message == WM_COMMAND)) {
        MakeHelpers();
    }
    // Ctrl+Z while the panel (or one of its buttons) has the keyboard: undo the newest deletion,
    // typed filter or not.
    if (msg->message == WM_KEYDOWN && msg->wParam == 'Z' && ::GetKeyState(VK_CONTROL) < 0 &&
        ::GetKeyState(VK_MENU) >= 0 && (msg->hwnd == hwnd_ || ::IsChild(hwnd_, msg->hwnd))) {
        UndoLastDeletion();
        return TRUE;
    }
    // The keys are the panel's before the dialog manager sees them: it would close the
    // panel on Esc and Enter, move the focus on Tab and arrows, and match typed letters
    // against the buttons' titles as if they were access keys.
    if ((msg->message == WM_KEYDOWN || msg->message == WM_CHAR) &&
        (msg->hwnd == hwnd_ || ::IsChild(hwnd_, msg->hwnd))) {
        if (HandleKey(msg->message, msg->wParam)) return TRUE;
        if (msg->message == WM_CHAR) return TRUE;
    }
    return FALSE;
}

// ---------------------------------------------------------------- the hotkey and the keyboard

void CQuorlinDlg::RegisterGlobalHotkey() {
    hotKeyId = ::GlobalAddAtomW(kHotKeyAtom);
    hotkeysTried_ = HotkeyCandidates(IniSettings(state_.SettingsFile()).ReadString(kHotkeySettingKey));
    for (const Hotkey& h : hotkeysTried_) {
        if (::RegisterHotKey(hwnd_, hotKeyId, RegistrationModifiers(h), h.vk)) {
            hotkey_ = h;
            return;
        }
    }
    hotkeyBalloonDue_ = true;
    ShowHotkeyBalloon();
}

// Once per run: at start, or when the tray icon is back after the shell came up.
void CQuorlinDlg::ShowHotkeyBalloon() {
    if (!hotkeyBalloonDue_ || !trayAdded) return;
    NOTIFYICONDATAW info = trayData;
    info.uFlags = NIF_INFO;
    ::lstrcpynW(info.szInfo, HotkeyRefusedText(hotkeysTried_).c_str(), ARRAYSIZE(info.szInfo));
    ::lstrcpynW(info.szInfoTitle, Text(IDS_TRAY_TIP).c_str(), ARRAYSIZE(info.szInfoTitle));
    info.dwInfoFlags = NIIF_WARNING;
    if (Tray().Notify(NIM_MODIFY, &info)) hotkeyBalloonDue_ = false;
}

void CQuorlinDlg::Summon() {
    const HWND foreground = ::GetForegroundWindow();
    if (foreground != hwnd_) previousForeground_ = foreground;
    inFront_ = true;
    if (::IsIconic(hwnd_)) ::ShowWindow(hwnd_, SW_RESTORE);
    // Owned by the desktop view the panel would stay behind every window.
    if (!state_.topMost && desktopOwner) {
        ::SetWindowLongPtrW(hwnd_, GWLP_HWNDPARENT, 0);
        desktopOwner = nullptr;
    }
    ::SetWindowPos(hwnd_, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
    ::SetForegroundWindow(hwnd_);
    ::SetFocus(hwnd_);
    // In front of everything it can be seen: the clock runs again, showing the time at once.
    hiddenByFrontWindow_ = false;
    UpdateClock();
}

void CQuorlinDlg::SendBack(bool restoreForeground) {
    const HWND previous = previousForeground_;
    previousForeground_ = nullptr;
    inFront_ = false;
    CarryOut(keys_.Reset());
    if (!state_.topMost) {
        ::SetWindowPos(hwnd_, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        AttachToDesktop();
        ::SetWindowPos(hwnd_, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
    if (restoreForeground && previous && previous != hwnd_ && ::IsWindow(previous)) ::SetForegroundWindow(previous);
}

LRESULT CQuorlinDlg::OnHotKey(WPARAM wp, LPARAM, bool& handled) {
    if (static_cast<int>(wp) == hotKeyId) {
        if (inFront_) SendBack(true);
        else Summon();
    }
    handled = false;
    return 0;
}

// Losing the keyboard ends the typing and sends a summoned panel back. The dialog's own
// handling follows (it keeps track of the focus).
LRESULT CQuorlinDlg::OnActivate(WPARAM wp, LPARAM, bool& handled) {
    handled = false;
    if (LOWORD(wp) != WA_INACTIVE) return 0;
    if (inFront_) SendBack(false);
    else CarryOut(keys_.Reset());
    return 0;
}

LRESULT CQuorlinDlg::OnKeyDown(WPARAM wp, LPARAM, bool& handled) {
    handled = HandleKey(WM_KEYDOWN, wp);
    return 0;
}

LRESULT CQuorlinDlg::OnChar(WPARAM wp, LPARAM, bool&) {
    HandleKey(WM_CHAR, wp);
    return 0;
}

void CQuorlinDlg::SyncKeyTitles() {
    std::vector<std::wstring> titles;
    titles.reserve(collection_.buttons.size());
    for (const auto& b : collection_.buttons) titles.push_back(ShownTitle(b->iType, b->Title));
    if (titles == keyTitles_) return;
    keyTitles_ = titles;
    keys_.SetTitles(std::move(titles));
}

bool CQuorlinDlg::HandleKey(UINT message, WPARAM wp) {
    SyncKeyTitles();
    KeyActions a;
    if (message == WM_CHAR) {
        a = keys_.OnChar(static_cast<wchar_t>(wp));
    } else if (message == WM_KEYDOWN) {
        const std::optional<PanelKey> key = PanelKeyFor(static_cast<unsigned>(wp), ::GetKeyState(VK_SHIFT) < 0);
        if (!key) return false;
        a = keys_.OnKey(*key);
    }
    CarryOut(a);
    return a.handled;
}

void CQuorlinDlg::CarryOut(const KeyActions& a) {
    if (a.repaint) RenderPanel();
    if (a.moveTip) {
        const CButtonEx* selected = keys_.selected() >= 0 ? ButtonAt(static_cast<size_t>(keys_.selected())) : nullptr;
        if (selected) {
            const Rect r = selected->ScreenRect();
            ShowTip(this, ShownTitle(selected->iType, selected->Title), (r.left + r.right) / 2, (r.top + r.bottom) / 2);
        } else {
            HideTip(this);
        }
    }
    if (a.open >= 0) {
        if (CButtonEx* button = ButtonAt(static_cast<size_t>(a.open))) {
            HideTip(nullptr);
            button->OpenItem();  // as a click: may run a loop of its own and delete the button
        }
    }
    if (a.sendBack) SendBack(true);
}

bool CQuorlinDlg::OnUnlistedMessage(UINT msg, WPARAM, LPARAM, LRESULT& result) {
    if (msg != 0 && msg == g_reload) {
        SyncWithStore();  // lays the ring out and renders it
        result = 0;
        return true;
    }
    if (msg != 0 && msg == TaskbarCreatedMessage()) {
        ::SetTimer(hwnd_, TIMER_TRAY, 2500, nullptr);
        result = 1;
        return true;
    }
    return false;
}

LRESULT CQuorlinDlg::OnTimer(WPARAM wp, LPARAM, bool& handled) {
    handled = false;  // default processing follows for every timer
    if (wp == TIMER_CLOCK) {
        RenderClockTick();
    } else if (wp == TIMER_BACKUP) {
        DailyBackupIfChanged(store_, CurrentDateTime());
    } else if (wp == TIMER_HELPERS) {
        MakeHelpers();
    } else if (wp == TIMER_TRAY) {
        ::KillTimer(hwnd_, TIMER_TRAY);
        trayAdded = Tray().Notify(NIM_ADD, &trayData) != FALSE;
        AttachToDesktop();
        ShowHotkeyBalloon();
    }
    return 0;
}

LRESULT CQuorlinDlg::OnDestroy(WPARAM, LPARAM, bool& handled) {
    ::KillTimer(hwnd_, TIMER_CLOCK);
    clockRunning_ = false;
    KeepBackground();  // a panel closed before its work after the first frame still keeps it
    StopWatchingVisibility();
    ::KillTimer(hwnd_, TIMER_TRAY);
    ::KillTimer(hwnd_, TIMER_BACKUP);
    ::UnregisterHotKey(hwnd_, hotKeyId);
    if (hotKeyId) ::GlobalDeleteAtom(static_cast<ATOM>(hotKeyId));
    Tray().Notify(NIM_DELETE, &trayData);
    trayAdded = false;
    ::RemovePropW(hwnd_, kInstanceProp);
    // The helper windows go before the buttons whose pictures the ghost may borrow.
    ghost_.reset();
    toolTip_.reset();
    ringImage.reset();
    stillLayer_.reset();
    frame_.reset();
    stillOps_.clear();
    stillPictures_.clear();
    // Buttons go with their windows, before the panel's handle is gone.
    collection_.buttons.clear();
    if (comStarted_) ::CoUninitialize();
    comStarted_ = false;
    handled = false;
    return 0;
}

LRESULT CQuorlinDlg::OnPaint(WPARAM, LPARAM, bool& handled) {
    if (::IsIconic(hwnd_)) {
        PAINTSTRUCT ps;
        HDC dc = ::BeginPaint(hwnd_, &ps);
        ::SendMessageW(hwnd_, WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
        RECT rc;
        ::GetClientRect(hwnd_, &rc);
        const int cx = ::GetSystemMetrics(SM_CXICON), cy = ::GetSystemMetrics(SM_CYICON);
        ::DrawIcon(dc, (rc.right - rc.left - cx + 1) / 2, (rc.bottom - rc.top - cy + 1) / 2, appIcon);
        ::EndPaint(hwnd_, &ps);
        return 0;
    }
    handled = false;
    return 0;
}

void CQuorlinDlg::MakeHelpers() {
    if (!helpersPending_) return;
    helpersPending_ = false;
    ::KillTimer(hwnd_, TIMER_HELPERS);
    KeepBackground();
    // COM serves the shell's icons, links and dialogs; the shell answers the tray icon slowly
    // (some 30 ms under Wine).
    comStarted_ = SUCCEEDED(::CoInitialize(nullptr));
    // The window's own icons (for the switcher and the window list) cost some 3 ms under Wine.
    ::SendMessageW(hwnd_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(appIcon));
    ::SendMessageW(hwnd_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(appIcon));
    LoadTrayIcon();
    AddTrayIcon();
    ShowHotkeyBalloon();  // a hotkey refused at start is told on the icon
    MakeButtonWindows();
    EnsureHelperWindows();
    StartVersionCheck(false, state_.SettingsFile());
    ::PostMessageW(hwnd_, WM_REFRESH_PICTURES, 0, 0);
    WatchVisibility();
    // The day's backup, off the way to the first frame; then looked at now and then.
    DailyBackupIfChanged(store_, CurrentDateTime());
    ::SetTimer(hwnd_, TIMER_BACKUP, kBackupCheckMs, nullptr);
    if (activateLater_) {  // last: the tray icon's window and the pop-ups are made above
        activateLater_ = false;
        ::SetForegroundWindow(hwnd_);
    }
}

// ---------------------------------------------------------------- a clock nobody can see

namespace {

// The panel watching the window in front (a WinEvent callback carries no context).
HWND g_frontWatcher = nullptr;

void CALLBACK FrontWindowChanged(HWINEVENTHOOK, DWORD, HWND, LONG, LONG, DWORD, DWORD) {
    if (g_frontWatcher) ::PostMessageW(g_frontWatcher, WM_CHECK_FRONT_WINDOW, 0, 0);
}

}  // namespace

// wtsapi32 only when the panel is up, not at the program's start.
namespace late {
QUORLIN_LATE_PROC(L"wtsapi32.dll", WTSRegisterSessionNotification)
QUORLIN_LATE_PROC(L"wtsapi32.dll", WTSUnRegisterSessionNotification)
}  // namespace late

void CQuorlinDlg::WatchVisibility() {
    sessionNotification_ = late::WTSRegisterSessionNotification(hwnd_, NOTIFY_FOR_THIS_SESSION) != FALSE;
    if (!displayNotification_)
        displayNotification_ = ::RegisterPowerSettingNotification(hwnd_, &GUID_CONSOLE_DISPLAY_STATE,
                                                                  DEVICE_NOTIFY_WINDOW_HANDLE);
    if (!frontWindowHook_) {
        g_frontWatcher = hwnd_;
        frontWindowHook_ = ::SetWinEventHook(EVENT_SYSTEM_FOREGROUND, EVENT_SYSTEM_FOREGROUND, nullptr,
                                             FrontWindowChanged, 0, 0, WINEVENT_OUTOFCONTEXT);
    }
}

void CQuorlinDlg::StopWatchingVisibility() {
    if (sessionNotification_) late::WTSUnRegisterSessionNotification(hwnd_);
    sessionNotification_ = false;
    if (displayNotification_) ::UnregisterPowerSettingNotification(displayNotification_);
    displayNotification_ = nullptr;
    if (frontWindowHook_) ::UnhookWinEvent(frontWindowHook_);
    frontWindowHook_ = nullptr;
    if (g_frontWatcher == hwnd_) g_frontWatcher = nullptr;
}

void CQuorlinDlg::UpdateClock() {
    const bool run = !displayOff_ && !sessionLocked_ && !hiddenByFrontWindow_;
    if (run == clockRunning_) return;
    clockRunning_ = run;
    if (run) {
        ::SetTimer(hwnd_, TIMER_CLOCK, 1000, nullptr);
        RenderClockTick();  // the right time at once, not a second later
    } else {
        ::KillTimer(hwnd_, TIMER_CLOCK);
    }
}

LRESULT CQuorlinDlg::OnSessionChange(WPARAM wp, LPARAM, bool& handled) {
    constexpr WPARAM kLock = 0x7, kUnlock = 0x8;  // WTS_SESSION_LOCK, WTS_SESSION_UNLOCK
    if (wp == kLock || wp == kUnlock) {
        sessionLocked_ = wp == kLock;
        UpdateClock();
    }
    handled = false;
    return 0;
}

LRESULT CQuorlinDlg::OnPowerBroadcast(WPARAM wp, LPARAM lp, bool& handled) {
    handled = false;
    if (wp != PBT_POWERSETTINGCHANGE || !lp) return TRUE;
    const auto* setting = reinterpret_cast<const POWERBROADCAST_SETTING*>(lp);
    if (setting->PowerSetting != GUID_CONSOLE_DISPLAY_STATE || setting->DataLength < sizeof(DWORD)) return TRUE;
    DWORD state = 0;
    std::memcpy(&state, setting->Data, sizeof(state));
    displayOff_ = state == 0;  // 1 on, 2 dimmed: both can be seen
    UpdateClock();
    return TRUE;
}

LRESULT CQuorlinDlg::OnCheckFrontWindow(WPARAM, LPARAM, bool&) {
    HWND front = ::GetForegroundWindow();
    bool hidden = false;
    if (front && front != hwnd_ && ::IsWindowVisible(front) && !::IsIconic(front)) {
        wchar_t cls[32] = {};
        ::GetClassNameW(front, cls, 32);
        const bool shell = std::wcscmp(cls, L"Progman") == 0 || std::wcscmp(cls, L"WorkerW") == 0 ||
                           std::wcscmp(cls, L"Shell_TrayWnd") == 0;
        RECT p{}, f{};
        if (!shell && ::GetWindowRect(hwnd_, &p) && ::GetWindowRect(front, &f)) {
            const bool frontOnTop = (::GetWindowLongW(front, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
            hidden = FrontWindowHidesPanel(Rect{p.left, p.top, p.right, p.bottom}, Rect{f.left, f.top, f.right, f.bottom},
                                           (state_.topMost || inFront_) && !frontOnTop);
        }
    }
    hiddenByFrontWindow_ = hidden;
    UpdateClock();
    return 0;
}

// ---------------------------------------------------------------- pictures and their cache

IconSource CQuorlinDlg::SourceOf(const ButtonRecord& record) {
    IconSource source{record.iType, record.Title, record.PathName, 0, 0};
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (PictureComesFromShell(record.iType) && !record.PathName.empty() &&
        ::GetFileAttributesExW(record.PathName.c_str(), GetFileExInfoStandard, &data)) {
        source.targetSize = (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
        source.targetTime = (static_cast<std::uint64_t>(data.ftLastWriteTime.dwHighDateTime) << 32) |
                            data.ftLastWriteTime.dwLowDateTime;
    }
    return source;
}

std::unique_ptr<Gdiplus::Image> CQuorlinDlg::PictureFor(const ButtonRecord& record) {
    // While starting, only the row's part of the stamp is checked: the target on disk is
    // looked at by the refresh after the first frame.
    const std::string wanted = cacheOnly_ ? IconRowStamp(record.iType, record.Title, record.PathName)
                                          : IconStamp(SourceOf(record));
    std::optional<CachedPicture> cached;
    if (cacheOnly_) {
        // At start every kept picture was read in one query.
        auto kept = startPictures_.find(record.ID);
        if (kept != startPictures_.end()) cached = std::move(kept->second);
    } else {
        cached = icons_.Find(record.ID, PictureSide());
    }
    if (cached) {
        if (cached->stamp.compare(0, wanted.size(), wanted) == 0 && (cacheOnly_ || cached->stamp == wanted)) {
            if (auto picture = fw::DecodePicture(cached->png.data(), cached->png.size())) return picture;
        }
    }
    if (cacheOnly_ && PictureComesFromShell(record.iType)) return nullptr;  // made after the first frame
    return IconForItem(record.iType, record.Title, record.PathName, PictureSide());
}

bool CQuorlinDlg::KeepPicture(const LauncherButton& button) {
    const auto& b = static_cast<const CButtonEx&>(button);
    if (!b.Image()) return true;  // nothing to keep
    const std::vector<std::uint8_t> png = fw::EncodePng(b.Image());
    if (png.empty()) return true;  // kept by the next refresh instead
    return icons_.Put(b.ID, PictureSide(), IconStamp(SourceOf(b)), png);
}

LRESULT CQuorlinDlg::OnRefreshPictures(WPARAM, LPARAM, bool&) {
    // A few buttons per message, so that the user's input is never kept waiting long.
    constexpr size_t kPerMessage = 8;
    if (refreshNext_ == kRefreshDone) return 0;
    size_t done = 0;
    for (; refreshNext_ < collection_.buttons.size() && done < kPerMessage; ++refreshNext_) {
        CButtonEx* b = ButtonAt(refreshNext_);
        const std::string stamp = IconStamp(SourceOf(*b));
        const std::optional<CachedPicture> cached = icons_.Find(b->ID, PictureSide());
        if (b->Image() && cached && cached->stamp == stamp) continue;
        ++done;
        std::unique_ptr<Gdiplus::Image> picture = IconForItem(b->iType, b->Title, b->PathName, PictureSide());
        const std::vector<std::uint8_t> png = fw::EncodePng(picture.get());
        if (!png.empty()) icons_.Put(b->ID, PictureSide(), stamp, png);
        b->ReplacePicture(std::move(picture));
        refreshChanged_ = true;
    }
    if (refreshNext_ < collection_.buttons.size()) {
        ::PostMessageW(hwnd_, WM_REFRESH_PICTURES, 0, 0);
        return 0;
    }
    refreshNext_ = kRefreshDone;
    icons_.RemoveOrphans();
    if (refreshChanged_) RenderPanel();
    refreshChanged_ = false;
    return 0;
}

void CQuorlinDlg::EnsureHelperWindows() {
    if (!toolTip_) {
        toolTip_ = std::make_unique<CToolTipDlg>();
        toolTip_->CreateHidden();
        toolTip_->SetDpi(dpi_);
    }
    if (!ghost_) {
        ghost_ = std::make_unique<CDelDlg>(static_cast<GhostHost&>(*this), kInitialButtonHalf, state_.appDir);
        ghost_->CreateHidden();
    }
}

void CQuorlinDlg::SaveSwitch(const wchar_t* key, bool on) const {
    IniSettings(state_.SettingsFile()).WriteInt(key, on ? 1 : 0);
}

LRESULT CQuorlinDlg::OnQueryDragIcon(WPARAM, LPARAM, bool&) { return reinterpret_cast<LRESULT>(appIcon); }

// ---------------------------------------------------------------- rendering

std::vector<DrawOp> CQuorlinDlg::PlanFrame() const {
    std::vector<ButtonView> views;
    views.reserve(collection_.buttons.size());
    for (size_t i = 0; i < collection_.buttons.size(); ++i) {
        const LauncherButton& b = *collection_.buttons[i];
        ButtonView v{b.ID, b.centerX, b.centerY, b.hovered != 0, b.HasImage()};
        v.selected = static_cast<int>(i) == keys_.selected();
        v.dimmed = keys_.IsDimmed(i);
        views.push_back(v);
    }
    const std::int64_t draggedId = ghost_ ? ghost_->DraggedId() : -1;
    const LocalTime now = Clock().Now();
    return ComposePanel(geometry_, buttonHalf, views, draggedId, ClockTime{now.hour, now.minute, now.second});
}

Gdiplus::Image* CQuorlinDlg::PictureFor(const DrawOp& op) const {
    if (op.kind != DrawOp::Kind::DrawPicture) return nullptr;
    switch (op.picture) {
        case PanelPicture::Ring: return ringImage.get();
        case PanelPicture::Face: return faceImage.get();
        case PanelPicture::HourHand: return hourHandImage.get();
        case PanelPicture::MinuteHand: return minuteHandImage.get();
        case PanelPicture::SecondHand: return secondHandImage.get();
        case PanelPicture::Hub: return hubImage.get();
        case PanelPicture::ButtonImage:
            return op.buttonIndex < collection_.buttons.size()
                       ? static_cast<CButtonEx*>(collection_.buttons[op.buttonIndex].get())->Image()
                       : nullptr;
    }
    return nullptr;
}

void CQuorlinDlg::DrawOps(fw::LayeredCanvas& canvas, const std::vector<DrawOp>& ops, size_t from, size_t to,
                          const RECT* clip) const {
    if (!canvas.Ok() || from >= to) return;
    Gdiplus::Graphics g(canvas.MemoryDC());
    if (clip) g.SetClip(Gdiplus::Rect(clip->left, clip->top, clip->right - clip->left, clip->bottom - clip->top));
    g.SetSmoothingMode(Gdiplus::SmoothingModeHighQuality);
    g.SetTextRenderingHint(Gdiplus::TextRenderingHintSingleBitPerPixelGridFit);
    for (size_t k = from; k < to && k < ops.size(); ++k) {
        const DrawOp& op = ops[k];
        if (op.kind == DrawOp::Kind::FillEllipse) {
            Gdiplus::SolidBrush brush(Gdiplus::Color(op.argb));
            g.FillEllipse(&brush, op.bounds.x, op.bounds.y, op.bounds.width, op.bounds.height);
            continue;
        }
        Gdiplus::Image* picture = PictureFor(op);
        g.ResetTransform();
        if (op.rotationDegrees) {
            g.TranslateTransform(static_cast<Gdiplus::REAL>(op.pivot.x), static_cast<Gdiplus::REAL>(op.pivot.y),
                                 Gdiplus::MatrixOrderPrepend);
            g.RotateTransform(static_cast<Gdiplus::REAL>(*op.rotationDegrees), Gdiplus::MatrixOrderPrepend);
            g.TranslateTransform(static_cast<Gdiplus::REAL>(-op.pivot.x), static_cast<Gdiplus::REAL>(-op.pivot.y),
                                 Gdiplus::MatrixOrderPrepend);
        }
        if (!picture) continue;  // a picture that is missing draws nothing
        if (op.dimmed) {  // filtered out by typing: the same picture, fainter
            Gdiplus::ColorMatrix fade = {{{1, 0, 0, 0, 0},
                                          {0, 1, 0, 0, 0},
                                          {0, 0, 1, 0, 0},
                                          {0, 0, 0, kDimmedOpacity, 0},
                                          {0, 0, 0, 0, 1}}};
            Gdiplus::ImageAttributes attributes;
            attributes.SetColorMatrix(&fade);
            const Gdiplus::RectF r(op.bounds.x, op.bounds.y, op.bounds.width, op.bounds.height);
            g.DrawImage(picture, r, 0, 0, static_cast<Gdiplus::REAL>(picture->GetWidth()),
                        static_cast<Gdiplus::REAL>(picture->GetHeight()), Gdiplus::UnitPixel, &attributes);
            continue;
        }
        if (op.integerBounds) {
            g.DrawImage(picture, Gdiplus::Rect(static_cast<INT>(op.bounds.x), static_cast<INT>(op.bounds.y),
                                               static_cast<INT>(op.bounds.width), static_cast<INT>(op.bounds.height)));
        } else {
            g.DrawImage(picture, Gdiplus::RectF(op.bounds.x, op.bounds.y, op.bounds.width, op.bounds.height));
        }
    }
    g.ResetTransform();
}

void CQuorlinDlg::ComposeInto(fw::LayeredCanvas& canvas) {
    const std::vector<DrawOp> ops = PlanFrame();
    DrawOps(canvas, ops, 0, ops.size());
}

bool CQuorlinDlg::UpdateStillLayer(const std::vector<DrawOp>& ops, size_t split, bool stillChanged, int width,
                                   int height) {
    std::vector<DrawOp> still(ops.begin(), ops.begin() + static_cast<std::ptrdiff_t>(split));
    std::vector<const Gdiplus::Image*> pictures;
    pictures.reserve(still.size());
    for (const DrawOp& op : still) pictures.push_back(PictureFor(op));

    if (!stillLayer_ || !stillLayer_->Ok() || stillLayer_->Width() != width || stillLayer_->Height() != height) {
        stillLayer_ = std::make_unique<fw::LayeredCanvas>(width, height);
        stillChanged = true;  // a new layer holds nothing yet
    }
    if (!stillChanged && still == stillOps_ && pictures == stillPictures_) return false;
    stillOps_.clear();
    stillPictures_.clear();
    stillLayer_->Clear();
    if (cacheOnly_) {  // the start's first frame
        ComposeStartStill(ops, split);
    } else {
        DrawOps(*stillLayer_, ops, 0, split);
    }
    ++stillCompositions_;
    if (stillLayer_->Ok()) {
        stillOps_ = std::move(still);
        stillPictures_ = std::move(pictures);
    }
    return true;
}

std::wstring CQuorlinDlg::BackgroundFile() const { return state_.DataDir() + L"\\panel.cache"; }

namespace {

// What identifies a loaded module's build: its link time and size, from its own header.
std::uint64_t ModuleStamp(HMODULE module) {
    if (!module) return 0;
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(module);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(reinterpret_cast<const BYTE*>(module) + dos->e_lfanew);
    return (static_cast<std::uint64_t>(nt->FileHeader.TimeDateStamp) << 32) | nt->OptionalHeader.SizeOfImage;
}


}  // namespace

std::optional<BackgroundKey> CQuorlinDlg::BackgroundKeyOf(const std::vector<DrawOp>& ops, size_t hands) const {
    BackgroundKeyBuilder key;
    // Who draws: this program's build and the GDI+ it draws with.
    key.Add(ModuleStamp(::GetModuleHandleW(nullptr)));
    key.Add(ModuleStamp(::GetModuleHandleW(L"gdiplus.dll")));
    key.Add(static_cast<std::uint64_t>(panelWidth));
    key.Add(static_cast<std::uint64_t>(panelHeight));
    key.AddOps(ops, hands);
    for (size_t k = 0; k < hands && k < ops.size(); ++k) {
        if (ops[k].kind != DrawOp::Kind::DrawPicture) continue;
        Gdiplus::Image* picture = PictureFor(ops[k]);
        if (!picture) {
            key.Add(0);  // draws nothing
            continue;
        }
        // Decoded pictures (all of them on a start from the cache) are read where they are;
        // others are copied out of GDI+, the same bytes for the same picture.
        std::optional<png::Pixels> copied;
        const png::Pixels* pixels = fw::DecodedPixels(picture);
        if (!pixels) {
            copied = fw::PicturePixels(picture);
            if (!copied) return std::nullopt;
            pixels = &*copied;
        }
        key.Add((static_cast<std::uint64_t>(pixels->width) << 32) | static_cast<std::uint32_t>(pixels->height));
        key.AddBytes(pixels->bgra.data(), pixels->bgra.size());
    }
    return key.Finish();
}

void CQuorlinDlg::ComposeStartStill(const std::vector<DrawOp>& ops, size_t split) {
    const size_t hands = std::min(FirstHandOp(ops), split);
    const std::optional<BackgroundKey> key = BackgroundKeyOf(ops, hands);
    std::string file;
    bool tooLarge = false;
    if (key && ReadWholeFile(BackgroundFile(), file, 64u << 20, tooLarge)) {
        const std::optional<std::vector<std::uint32_t>> kept =
            DecodeBackground(std::vector<std::uint8_t>(file.begin(), file.end()), *key, stillLayer_->Width(),
                             stillLayer_->Height());
        if (kept && stillLayer_->SetPixels(*kept)) {
            ++backgroundsFromFile_;
            DrawOps(*stillLayer_, ops, hands, split);
            return;
        }
    }
    DrawOps(*stillLayer_, ops, 0, hands);
    if (key && stillLayer_->Ok()) backgroundToKeep_.emplace(*key, stillLayer_->CopyPixels());
    DrawOps(*stillLayer_, ops, hands, split);
}

void CQuorlinDlg::KeepBackground() {
    if (!backgroundToKeep_) return;
    const std::vector<std::uint8_t> bytes =
        EncodeBackground(backgroundToKeep_->first, panelWidth, panelHeight, backgroundToKeep_->second);
    backgroundToKeep_.reset();
    // A reader finds the whole old file or the whole new one (and refuses a damaged one).
    if (!bytes.empty()) WriteFileReplacing(BackgroundFile(), std::string(bytes.begin(), bytes.end()));
}

void CQuorlinDlg::ComposeFrameInto(fw::LayeredCanvas& canvas, const std::vector<DrawOp>& ops, size_t split) const {
    if (canvas.CopyPixelsFrom(*stillLayer_)) {
        DrawOps(canvas, ops, split, ops.size());
    } else {  // no memory for the kept layer: the whole picture, every time
        canvas.Clear();
        DrawOps(canvas, ops, 0, ops.size());
    }
}

void CQuorlinDlg::ComposeTickInto(fw::LayeredCanvas& canvas, bool stillChanged) {
    if (!canvas.Ok()) return;
    const std::vector<DrawOp> ops = PlanFrame();
    const size_t split = FirstTickOp(ops);
    UpdateStillLayer(ops, split, stillChanged, canvas.Width(), canvas.Height());
    ComposeFrameInto(canvas, ops, split);
}

void CQuorlinDlg::RenderFrame(bool stillChanged) {
    if (!hwnd_) return;
    // Buttons added, deleted, moved or renamed while a filter is typed: dim and select anew.
    if (!keys_.filter().empty() || keys_.selected() >= 0) SyncKeyTitles();
    const std::vector<DrawOp> ops = PlanFrame();
    const size_t split = FirstTickOp(ops);
    const bool recomposed = UpdateStillLayer(ops, split, stillChanged, panelWidth, panelHeight);
    const std::optional<int> second =
        split < ops.size() ? ops[split].rotationDegrees : std::optional<int>();
    if (!frame_ || !frame_->Ok() || frame_->Width() != panelWidth || frame_->Height() != panelHeight) {
        frame_ = std::make_unique<fw::LayeredCanvas>(panelWidth, panelHeight);
        frameSecond_.reset();
    }
    // Only the second hand moved since the last push: compose and push just the part it
    // swept; the window keeps the rest of the picture it was given.
    if (!recomposed && frameSecond_ && second && stillLayer_->Ok() && frame_->Ok()) {
        const Rect d = TickDirtyRect(geometry_, *frameSecond_, *second);
        const RECT dirty{d.left, d.top, d.right, d.bottom};
        frame_->CopyPixelsFrom(*stillLayer_, dirty);
        DrawOps(*frame_, ops, split, ops.size(), &dirty);
        if (frame_->PushTo(hwnd_, dirty)) {
            frameSecond_ = second;
            lastPush_ = dirty;
            return;
        }
    }
    ComposeFrameInto(*frame_, ops, split);
    frame_->PushTo(hwnd_);
    frameSecond_ = frame_->Ok() ? second : std::optional<int>();
    lastPush_ = RECT{0, 0, panelWidth, panelHeight};
}

void CQuorlinDlg::RenderPanel() { RenderFrame(true); }

void CQuorlinDlg::RenderClockTick() { RenderFrame(false); }

// ---------------------------------------------------------------- buttons

std::unique_ptr<LauncherButton> CQuorlinDlg::CreateButtonWindow() {
    auto button = std::make_unique<CButtonEx>(static_cast<ButtonWindowHost&>(*this));
    if (!buttonWindowsLater_) button->CreateIn(hwnd_);
    return button;
}

void CQuorlinDlg::MakeButtonWindows() {
    bool made = false;
    for (size_t i = 0; i < collection_.buttons.size(); ++i) {
        CButtonEx* b = ButtonAt(i);
        if (b->hwnd()) continue;
        b->EnsureWindowIn(hwnd_);
        made = true;
    }
    if (made) LayoutButtons();
}

void CQuorlinDlg::LayoutButtons() {
    RingLayout layout = LayoutRings(collection_.buttons.size(), geometry_);
    buttonHalf = layout.buttonHalf;
    for (size_t i = 0; i < collection_.buttons.size(); ++i) {
        LauncherButton& b = *collection_.buttons[i];
        b.centerX = layout.slots[i].centerX;
        b.centerY = layout.slots[i].centerY;
        b.Place(layout.slots[i].window);
    }
    // The button windows stacked in ring order: the order in which the dialog manager, screen
    // readers and UI automation walk them. Already so after a load; a swap moves two.
    HWND previous = nullptr;
    for (size_t i = 0; i < collection_.buttons.size(); ++i) {
        const HWND w = ButtonAt(i)->hwnd();
        if (!w) continue;  // not made yet
        const HWND expected = previous ? ::GetWindow(previous, GW_HWNDNEXT) : ::GetWindow(hwnd_, GW_CHILD);
        if (w != expected)
            ::SetWindowPos(w, previous ? previous : HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        previous = w;
    }
}

void CQuorlinDlg::ShowLoadError(const std::wstring& description) {
    MessageBoxes().Show(reinterpret_cast<std::uintptr_t>(hwnd_), description, state_.appName, kMbOk);
}

bool CQuorlinDlg::TargetExists(const std::wstring& path) { return ::_waccess(path.c_str(), 0) == 0; }

// ---------------------------------------------------------------- what the owned windows ask

void CQuorlinDlg::RequestRender() {
    if (hwnd_) ::PostMessageW(hwnd_, WM_COMMAND, IDC_LAUNCH_BUTTON, 0);
}

void CQuorlinDlg::ForwardCommand(WPARAM wp, LPARAM lp) {
    if (hwnd_) ::PostMessageW(hwnd_, WM_COMMAND, wp, lp);
}

void CQuorlinDlg::ShowTip(const void* owner, const std::wstring& text, int x, int y) {
    EnsureHelperWindows();
    tipOwner_.Shown(owner);
    toolTip_->ShowTip(true, text, x, y);
}

void CQuorlinDlg::HideTip(const void* leaving) {
    if (leaving) {
        if (!tipOwner_.LeaveHides(leaving)) return;
    } else {
        tipOwner_.Hidden();
    }
    if (toolTip_) toolTip_->ShowTip(false, L"", 0, 0);
}

void CQuorlinDlg::StartDrag(std::int64_t id, int x, int y) {
    EnsureHelperWindows();
    ghost_->StartDrag(id, x, y);
}

bool CQuorlinDlg::FindPicture(std::int64_t id, Gdiplus::Image*& picture) const {
    const CButtonEx* button = FindButton(id);
    if (!button) return false;
    picture = button->Image();
    return true;
}

void CQuorlinDlg::EditButton(std::int64_t id, const RECT& anchor) {
    CAddDlg dialog(*this, anchor, -1, id);
    dialog.DoModal(::GetDesktopWindow());
}

bool CQuorlinDlg::PanelScreenRect(RECT& r) const { return hwnd_ && ::GetWindowRect(hwnd_, &r); }

bool CQuorlinDlg::FindRecord(std::int64_t id, ButtonRecord& record) const {
    const LauncherButton* button = collection_.FindById(id);
    if (!button) return false;
    record = *button;
    return true;
}

std::unique_ptr<Gdiplus::Image> CQuorlinDlg::CopyButtonPicture(std::int64_t id) const {
    const CButtonEx* button = FindButton(id);
    return button ? CopyImage(button->Image()) : nullptr;
}

EditOutcome CQuorlinDlg::UpdateButton(std::int64_t id, const std::wstring& title, const std::wstring& path,
                                      const std::wstring& para) {
    return collection_.UpdateButton(id, title, path, para);
}

// ---------------------------------------------------------------- tray, menus and commands

void CQuorlinDlg::AddTrayIcon() {
    trayData = NOTIFYICONDATAW{};
    trayData.cbSize = sizeof(NOTIFYICONDATAW);
    trayData.hWnd = hwnd_;
    trayData.uID = IDR_MAINFRAME;
    trayData.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    trayData.uCallbackMessage = WM_TRAYICON;
    trayData.hIcon = trayIcon_ ? trayIcon_ : appIcon;
    ::lstrcpynW(trayData.szTip, Text(IDS_TRAY_TIP).c_str(), ARRAYSIZE(trayData.szTip));
    trayAdded = Tray().Notify(NIM_ADD, &trayData) != FALSE;
}

LRESULT CQuorlinDlg::OnTrayIcon(WPARAM wp, LPARAM lp, bool&) {
    if (wp != IDR_MAINFRAME) return 1;
    switch (static_cast<UINT>(lp)) {
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK:
            ::ShowWindow(hwnd_, SW_RESTORE);
            ::SwitchToThisWindow(hwnd_, TRUE);
            break;
        case WM_RBUTTONUP:
            ShowTrayMenu();
            break;
        default:
            break;
    }
    return 0;
}

HMENU CQuorlinDlg::BuildTrayMenu() const {
    HMENU menu = ::LoadMenuW(fw::ResourceModule(), MAKEINTRESOURCEW(IDR_MENU));
    if (!menu) return nullptr;
    HMENU popup = ::GetSubMenu(menu, kTrayPopupIndex);
    ::RemoveMenu(menu, kTrayPopupIndex, MF_BYPOSITION);  // the caller owns the popup alone
    ::DestroyMenu(menu);
    if (IsAutoRunEnabled()) ::CheckMenuItem(popup, ID_AUTORUN, MF_BYCOMMAND | MF_CHECKED);
    // The undo entry names what it brings back, and is grey when there is nothing.
    const std::optional<UndoSummary> undo = collection_.NewestUndo();
    ::ModifyMenuW(popup, ID_UNDO, MF_BYCOMMAND | MF_STRING | (undo ? MF_ENABLED : MF_GRAYED), ID_UNDO,
                  quorlin::UndoMenuText(undo).c_str());
    // The hotkey in use, as a line to read, above the commands.
    const std::wstring hotkey = hotkey_ ? HotkeyMenuText(*hotkey_) : NoHotkeyMenuText();
    ::InsertMenuW(popup, 0, MF_BYPOSITION | MF_STRING | MF_GRAYED, 0, hotkey.c_str());
    ::InsertMenuW(popup, 1, MF_BYPOSITION | MF_SEPARATOR, 0, nullptr);
    return popup;
}

void CQuorlinDlg::ShowTrayMenu() {
    ::SetForegroundWindow(hwnd_);
    HMENU popup = BuildTrayMenu();
    if (!popup) return;
    POINT pt;
    ::GetCursorPos(&pt);
    ::TrackPopupMenu(popup, TPM_BOTTOMALIGN, pt.x, pt.y, 0, hwnd_, nullptr);
    ::PostMessageW(hwnd_, WM_NULL, 0, 0);
    ::DestroyMenu(popup);
}

HMENU CQuorlinDlg::BuildPanelMenu() const {
    HMENU menu = ::LoadMenuW(fw::ResourceModule(), MAKEINTRESOURCEW(IDR_MENU));
    if (!menu) return nullptr;
    HMENU popup = ::GetSubMenu(menu, kContextPopupIndex);
    ::RemoveMenu(menu, kContextPopupIndex, MF_BYPOSITION);
    ::DestroyMenu(menu);
    for (int i = 0; i < kPanelMenuLeadingEntriesRemoved; ++i) ::DeleteMenu(popup, 0, MF_BYPOSITION);
    for (int id : MenuCheckMarks(state_.topMost, state_.fixed, state_.buttonsLocked))
        ::CheckMenuItem(popup, static_cast<UINT>(id), MF_BYCOMMAND | MF_CHECKED);
    return popup;
}

void CQuorlinDlg::ShowPanelMenu() {
    HMENU popup = BuildPanelMenu();
    if (!popup) return;
    POINT pt;
    ::GetCursorPos(&pt);
    ::TrackPopupMenu(popup, 0, pt.x, pt.y, 0, hwnd_, nullptr);
    ::DestroyMenu(popup);
}

// The whole surface answers HTCAPTION, and the default handling of a right press on a
// caption waits for the release itself (for the system menu), so the release would never
// arrive here. The panel has no system menu: the press needs no default handling.
LRESULT CQuorlinDlg::OnNcRightButtonDown(WPARAM, LPARAM, bool&) { return 0; }

LRESULT CQuorlinDlg::OnRightButtonUp(WPARAM, LPARAM, bool& handled) {
    ShowPanelMenu();
    handled = false;
    return 0;
}

BOOL CQuorlinDlg::OnCommand(WPARAM wp, LPARAM) {
    switch (LOWORD(wp)) {
        case IDC_LAUNCH_BUTTON:
            RenderPanel();
            return TRUE;
        case ID_EXIT:
            ::PostQuitMessage(0);
            return TRUE;
        case ID_TOPMOST:
            SetTopMost(!state_.topMost, true);
            return TRUE;
        case ID_FIXED:
            state_.fixed = !state_.fixed;
            SaveSwitch(kKeyLock, state_.fixed);
            return TRUE;
        case ID_CHECK_UPDATE:
            StartVersionCheck(true, state_.SettingsFile());
            return TRUE;
        case ID_LOCK_BUTTONS:
            state_.buttonsLocked = !state_.buttonsLocked;
            SaveSwitch(kKeyLockButtons, state_.buttonsLocked);
            return TRUE;
        case ID_UNDO:
            UndoLastDeletion();
            return TRUE;
        case ID_EXPORT_BUTTONS:
            ExportButtons();
            return TRUE;
        case ID_IMPORT_BUTTONS:
            ImportButtons();
            return TRUE;
        case ID_CLEAR_ALL:
            if (MessageBoxes().Show(0, Text(IDS_CLEAR_ALL_QUESTION), Text(IDS_CLEAR_ALL_CAPTION), kMbSystemModal | kMbYesNo) == kIdYes)
                ClearAllButtons();
            return TRUE;
        default:
            return FALSE;
    }
}

void CQuorlinDlg::OnAutoRun() { SetAutoRun(!IsAutoRunEnabled()); }

std::wstring CQuorlinDlg::ChooseButtonFile(bool save) {
    // The filter: its name, then the pattern, each ended by a zero, and one zero more.
    const std::wstring filter = MenuText(TextId::ChooserFilter) + std::wstring(1, L'\0') + L"*.json" +
                                std::wstring(1, L'\0') + std::wstring(1, L'\0');
    const std::wstring title = MenuText(save ? TextId::ExportChooserTitle : TextId::ImportChooserTitle);
    std::wstring file = save ? L"quorlin-buttons.json" : L"";
    file.resize(4096, L'\0');
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof(ofn);
    ofn.hwndOwner = hwnd_;
    ofn.lpstrFilter = filter.c_str();
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = file.data();
    ofn.nMaxFile = static_cast<DWORD>(file.size());
    ofn.lpstrTitle = title.c_str();
    ofn.lpstrDefExt = L"json";
    ofn.Flags = OFN_EXPLORER | OFN_HIDEREADONLY |
                (save ? OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST : OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST);
    const BOOL chosen = save ? FileChooser().Save(&ofn) : FileChooser().Open(&ofn);
    if (!chosen) return std::wstring();
    file.resize(wcslen(file.c_str()));
    return file;
}

void CQuorlinDlg::ShowTransferResult(const std::vector<std::wstring>& lines) {
    std::wstring text;
    for (const std::wstring& l : lines) text += (text.empty() ? L"" : L"\n") + l;
    MessageBoxes().Show(reinterpret_cast<std::uintptr_t>(hwnd_), text, state_.appName, kMbOk);
}

void CQuorlinDlg::ExportButtons() {
    const std::wstring file = ChooseButtonFile(true);
    if (file.empty()) return;
    const TransferResult r = ExportToFile(store_, file, state_.profileDir);
    ShowTransferResult(r.lines);
}

void CQuorlinDlg::ImportButtons() {
    const std::wstring file = ChooseButtonFile(false);
    if (file.empty()) return;
    const TransferResult r = ImportFromFile(store_, file, state_.profileDir, kMaxButtons, CurrentDateTime());
    if (r.added > 0) SyncWithStore();
    ShowTransferResult(r.lines);
}

void CQuorlinDlg::AddCommonEntry(int commandId) {
    std::wstring documents;
    if (commandId == ID_ADD_DOCUMENTS) {
        wchar_t path[512] = {};
        ::SHGetSpecialFolderPathW(nullptr, path, CSIDL_PERSONAL, FALSE);
        documents = path;
    }
    std::optional<CommonEntry> entry = CommonEntryFor(commandId, documents);
    if (!entry) return;
    AddButton(entry->Title, entry->PathName, entry->iType, entry->Para);
    LayoutButtons();
    RenderPanel();
}

void CQuorlinDlg::OnAddComputer() { AddCommonEntry(ID_ADD_COMPUTER); }
void CQuorlinDlg::OnAddControlPanel() { AddCommonEntry(ID_ADD_CONTROL); }
void CQuorlinDlg::OnAddDocuments() { AddCommonEntry(ID_ADD_DOCUMENTS); }
void CQuorlinDlg::OnAddRecycleBin() { AddCommonEntry(ID_ADD_RECYCLE); }
void CQuorlinDlg::OnAddBrowser() { AddCommonEntry(ID_ADD_IE); }

void CQuorlinDlg::OnAddWebAddress() {
    RECT r{};
    ::GetWindowRect(hwnd_, &r);
    {
        CAddDlg dialog(*this, r, ItemKind::Url);
        dialog.DoModal(::GetDesktopWindow());
    }
    PruneMissingTargets();
    LayoutButtons();
}

// ---------------------------------------------------------------- dropped files

std::wstring CQuorlinDlg::ResolveShortcut(const std::wstring& path) {
    if (!IsShortcutPath(path)) return path;
    std::wstring result = kUnreadableShortcutTarget;
    IShellLinkW* link = nullptr;
    if (FAILED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                  reinterpret_cast<void**>(&link))))
        return result;
    IPersistFile* file = nullptr;
    if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
        if (SUCCEEDED(file->Load(path.c_str(), STGM_READ))) {
            wchar_t target[512] = {};
            WIN32_FIND_DATAW data{};
            if (SUCCEEDED(link->GetPath(target, 512, &data, SLGP_UNCPRIORITY))) result = target;
            else result = L"";
        }
        file->Release();
    }
    link->Release();
    return result;
}

void CQuorlinDlg::AddDroppedFiles(HDROP drop) {
    if (state_.buttonsLocked &&
        MessageBoxes().Show(0, Text(IDS_LOCKED_DROP_QUESTION), Text(IDS_NOTICE_CAPTION), kMbSystemModal | kMbYesNo) != kIdYes) {
        ::DragFinish(drop);
        return;
    }
    int count = static_cast<int>(collection_.Count());
    const UINT n = ::DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < n; ++i) {
        if (!CanDropMore(count)) {
            MessageBoxes().Show(reinterpret_cast<std::uintptr_t>(hwnd_), DropLimitMessage(), state_.appName, kMbOk);
            break;
        }
        // The whole name, however long: a name cut to a fixed buffer would name another file.
        const UINT len = ::DragQueryFileW(drop, i, nullptr, 0);
        std::wstring name(static_cast<size_t>(len) + 1, L'\0');
        name.resize(::DragQueryFileW(drop, i, name.data(), len + 1));
        if (name.empty()) continue;
        const std::wstring target = ResolveShortcut(name);
        const int kind = DropKindFor(::PathIsDirectoryW(target.c_str()) != FALSE);
        if (IsDuplicate(target, kind)) continue;
        AddButton(TitleFromPath(name), target, kind, L"");
        ++count;
    }
    ::DragFinish(drop);
    LayoutButtons();
    RenderPanel();
}

LRESULT CQuorlinDlg::OnDropFiles(WPARAM wp, LPARAM, bool&) {
    AddDroppedFiles(reinterpret_cast<HDROP>(wp));
    return 0;
}
