#include "panel/panel_window_win.h"

#include <io.h>

#include <chrono>

#include "app/settings_win.h"
#include "buttons/builtin_entries.h"
#include "framework/display_win.h"
#include "framework/seams.h"
#include "framework/volumes_win.h"
#include "panel/composition.h"
#include "panel/placement.h"
#include "store/backups.h"
#include "store/db_session.h"
#include "update/version_check_win.h"

using namespace quorlin;

namespace {

const wchar_t kInstanceProp[] = L"qiv_zembrick";
const UINT g_taskbarCreated = ::RegisterWindowMessageW(L"TaskbarCreated");
// Another process (quorlin.exe --import) changed bts.db: load the ring again.
const UINT g_reload = ::RegisterWindowMessageW(L"quorlin-reload");
// "--settings" while the panel runs.
const UINT g_openSettings = ::RegisterWindowMessageW(kSettingsMessageName);

// Where setting.ini puts the panel, kept whole on a monitor that is there.
void MoveToInitialPosition(HWND hwnd, const AppState& state, int width, int height) {
    const IniSettings settings(state.SettingsFile());
    const bool hasX = settings.Has(kKeyDeskX);
    const bool hasY = settings.Has(kKeyDeskY);
    // The INI service hands back an unsigned value: a monitor left of or above the primary
    // one has negative coordinates, saved as such, so the value is read back as signed.
    const long long x = static_cast<int>(settings.ReadInt(kKeyDeskX, 0));
    const long long y = static_cast<int>(settings.ReadInt(kKeyDeskY, 0));
    const Point p = InitialPanelPosition(hasX, x, hasY, y, fw::MonitorWorkAreas(), width, height);
    ::MoveWindow(hwnd, p.x, p.y, width, height, TRUE);
}

bool IsInput(UINT message) {
    return (message >= WM_KEYFIRST && message <= WM_KEYLAST) || (message >= WM_MOUSEFIRST && message <= WM_MOUSELAST) ||
           (message >= WM_NCMOUSEMOVE && message <= WM_NCXBUTTONDBLCLK) || message == WM_HOTKEY ||
           message == WM_DROPFILES || message == WM_COMMAND || message == WM_ACCESSIBLE_OPEN;
}

bool IsClickOrDrop(UINT message) {
    return message == WM_LBUTTONDOWN || message == WM_RBUTTONDOWN || message == WM_NCLBUTTONDOWN ||
           message == WM_NCRBUTTONDOWN || message == WM_DROPFILES;
}

// When an opening is counted: milliseconds since 1970 (UTC).
std::int64_t NowMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
}

}  // namespace

UINT TaskbarCreatedMessage() { return g_taskbarCreated; }

CQuorlinDlg::CQuorlinDlg(AppState& state, DbSession& store)
    : state_(state),
      store_(store),
      buttons_(store, *this),
      renderer_(*this,
                PanelRenderer::Scene{
                    [this] {
                        summons_.FollowButtons();
                        std::vector<ButtonView> views;
                        views.reserve(buttons_.Count());
                        const KeyboardSession& keys = summons_.Keys();
                        for (size_t i = 0; i < buttons_.Count(); ++i) {
                            const LauncherButton& b = *buttons_.buttons[i];
                            ButtonView v{b.ID, b.centerX, b.centerY, b.hovered != 0, b.HasImage()};
                            // A program selected beside the panel: the ring shows no selection.
                            v.selected = static_cast<int>(i) == keys.selected() && programs_.Selected() < 0;
                            v.dimmed = keys.IsDimmed(i);
                            views.push_back(v);
                        }
                        const LocalTime now = Clock().Now();
                        return ComposePanel(geometry_, layout_.buttonHalf, views, popups_.DraggedId(),
                                            ClockTime{now.hour, now.minute, now.second}, access_.Colours());
                    },
                    [this](size_t i) -> Gdiplus::Image* {
                        const CButtonEx* b = buttons_.At(i);
                        return b ? b->Image() : nullptr;
                    },
                    [this](size_t i) -> const std::vector<std::uint8_t>* {
                        const CButtonEx* b = buttons_.At(i);
                        return b ? b->PendingPicture() : nullptr;
                    }},
                state.DataDir() + L"\\panel.cache"),
      pictures_(store, buttons_, *this, [this] { RenderPanel(); }),
      tray_(*this, [this] { return TrayIcon::MenuFacts{summons_.HotkeyLine(), buttons_.NewestUndo()}; },
            [this] { StartVersionCheck(false, state_.SettingsFile()); }),
      summons_(*this, state, buttons_,
               SummonAndTyping::PanelCalls{
                   [this] { RenderPanel(); },
                   [this](const std::wstring& text, int x, int y) { ShowTip(this, text, x, y); },
                   [this](bool anyOwner) { HideTip(anyOwner ? nullptr : this); },
                   [this] {
                       watch_.PanelInFront();
                       access_.Summoned();
                   },
                   [this](int selected) { access_.SelectionMoved(selected); },
                   [this](const std::wstring& filter) { return programs_.Show(filter); },
                   [this](int row) { programs_.Select(row); },
                   [this](int row, bool toRing) {
                       const ProgramEntry* e = programs_.Row(row);
                       if (!e) return;
                       if (!toRing) {
                           const std::wstring shortcut = e->FullPath();
                           if (programs_.Open(row)) usage_.CountProgram(store_.Handle(), shortcut, NowMs());
                           return;
                       }
                       const std::wstring name = e->name, shortcut = e->FullPath();  // the list may change meanwhile
                       commands_.AddProgram(name, shortcut);
                   },
                   [this](std::int64_t id) { return usage_.OfButton(id); }}),
      watch_(*this, [this] { renderer_.Render(PanelRenderer::Frame::Tick); },
             [this] { return state_.topMost || summons_.InFront(); }),
      commands_(*this, state, store, buttons_,
                PanelCommands::PanelCalls{
                    [this](bool topmost) { summons_.SetTopMost(topmost, true); }, [this] { LayoutButtons(); },
                    [this] { RenderPanel(); }, [this] { RequestRender(); }, [this] { access_.FollowButtons(); },
                    [this] { return summons_.ActiveHotkey(); },
                    [this](const std::optional<Hotkey>& h) { return summons_.ChangeHotkey(h); },
                    [this] { ApplyDpi(fw::WindowDpi(hwnd_), true); },
                    [this] {  // every title shown in the interface language anew
                        for (size_t i = 0; i < buttons_.Count(); ++i)
                            if (CButtonEx* b = buttons_.At(i); b->hwnd())
                                ::SetWindowTextW(b->hwnd(), ShownTitle(b->iType, b->Title).c_str());
                        tray_.Retitle();
                        summons_.FollowButtons();
                        access_.FollowButtons();
                        RenderPanel();
                    }}),
      popups_(*this, state.appDir),
      access_(*this, buttons_,
              PanelAccessible::PanelCalls{
                  [this] { return programs_.Selected() >= 0 ? -1 : summons_.Keys().selected(); },
                  [this](RECT& where) { return programs_.RowText(programs_.Selected(), &where); },
                  [this] { return geometry_; },
                  [this] { HideTip(nullptr); },
                  [this](std::uint32_t bubble, std::uint32_t text) { popups_.SetTipColours(bubble, text); },
                  [this] { RenderPanel(); }}),
      programs_(*this, [this] {
          ProgramSearch::OnRing ring;
          for (const auto& b : buttons_.buttons) {
              if (b->iType == ItemKind::File) ring.paths.push_back(b->PathName);
              ring.titles.push_back(b->Title);
          }
          return ring;
      }, [this] { summons_.FollowPrograms(); }, [this] { return dpi_; }, [this](const ProgramEntry& e) {
          return usage_.HasPrograms() ? usage_.OfProgram(e.FullPath()) : Usage{};
      }) {}

CQuorlinDlg::~CQuorlinDlg() {
    // The helper windows go first. Buttons are child windows:
    // release them while the panel window still exists.
    popups_.Release();
    buttons_.buttons.clear();
}

// ---------------------------------------------------------------- the start, in order

BOOL CQuorlinDlg::OnInitDialog() {
    fw::OwnLayoutOnDpiChange(hwnd_);  // the buttons are placed by the ring layout alone
    ApplyDpi(fw::WindowDpi(hwnd_));
    ::SetPropW(hwnd_, kInstanceProp, reinterpret_cast<HANDLE>(1));
    ModifyStyleEx(0, WS_EX_LAYERED);
    ModifyStyleEx(WS_EX_APPWINDOW | WS_EX_DLGMODALFRAME, WS_EX_LAYERED | WS_EX_TOOLWINDOW);
    MoveToInitialPosition(hwnd_, state_, layout_.width, layout_.height);
    // The buttons' windows catch the mouse but show nothing: they are made right after
    // the first frame, which needs only the rows and their pictures (all kept ones read in
    // one query).
    pictures_.BeginStart();
    buttons_.LoadButtons(false);  // no target is looked at before the first frame
    pictures_.EndStart();  // the kept pictures, as PNG bytes: none is decoded for a first frame from panel.cache
    renderer_.Render(PanelRenderer::Frame::First);
    phase_ = StartPhase::Shown;
    summons_.SetTopMost(state_.topMost, false);
    if (!summons_.RegisterHotkey()) tray_.ShowBalloonOnce(summons_.RefusedText());  // once the icon is up
    // The frame just composed shows the time: the clock's timer starts without another one.
    watch_.Start();
    // Shown here without taking the keyboard, so that the dialog manager does not show it
    // activated, and FALSE: no focus set now (on a shown window that activates it too).
    // Activation cost Wine some 15 ms before the frame reached the screen; the panel becomes
    // the active window right after its first frame (MakeHelpers).
    ::ShowWindow(hwnd_, SW_SHOWNOACTIVATE);
    // The rest waits for a timer, not a posted message: a timer comes after the window
    // system's own events, and under Wine the first frame only reaches the screen once this
    // thread has handled those (a posted message first held it back by 40 ms).
    ::SetTimer(hwnd_, TIMER_HELPERS, USER_TIMER_MINIMUM, nullptr);
    return FALSE;
}

void CQuorlinDlg::MakeHelpers() {
    if (phase_ != StartPhase::Shown) return;
    phase_ = StartPhase::Running;
    ::KillTimer(hwnd_, TIMER_HELPERS);
    renderer_.KeepBackground();
    // COM serves the shell's icons, links and dialogs; the shell answers the tray icon slowly
    // (some 30 ms under Wine).
    comStarted_ = SUCCEEDED(::CoInitialize(nullptr));
    // The window's own icons (for the switcher and the window list): the first icon a process
    // loads costs some 7 ms under Wine, so not before the first frame.
    appIcon_ = ::LoadIconW(fw::ResourceModule(), MAKEINTRESOURCEW(IDR_MAINFRAME));
    ::SendMessageW(hwnd_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(appIcon_));
    ::SendMessageW(hwnd_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(appIcon_));
    tray_.LoadIcon(monitorDpi_);
    tray_.Add(appIcon_);  // with the balloon of a hotkey refused at start
    bool made = false;
    for (size_t i = 0; i < buttons_.Count(); ++i) {
        CButtonEx* b = buttons_.At(i);
        if (b->hwnd()) continue;
        b->EnsureWindowIn(hwnd_);
        made = true;
    }
    if (made) LayoutButtons();
    popups_.Ensure(dpi_);
    popups_.FollowRing(OnlyBuiltInEntries(buttons_.buttons), state_, summons_.ActiveHotkey(), dpi_);
    buttons_.PruneMissingTargets();  // only targets on local fixed drives: see TargetExists
    if (state_.updateCheck) StartVersionCheck(false, state_.SettingsFile());
    pictures_.StartRefresh();
    watch_.Watch();
    usage_.Load(store_.Handle());  // what typing finds is ranked by it (none on a store error)
    programs_.Start();  // the Start menu's programs, read on a thread of their own
    // The day's backup, off the way to the first frame; then looked at now and then.
    DailyBackupIfChanged(store_, CurrentDateTime());
    ::SetTimer(hwnd_, TIMER_BACKUP, kBackupCheckMs, nullptr);
    ::SetForegroundWindow(hwnd_);  // last: the tray icon's window and the pop-ups are made above
    if (state_.openSettings) {  // "--settings" started the panel
        state_.openSettings = false;
        commands_.Run(ID_SETTINGS);
    }
}

BOOL CQuorlinDlg::PreTranslateMessage(MSG* msg) {
    // Input, a hotkey, a drop or a command before the work after the first frame has run:
    // that work first, so that nothing is handled without the buttons' windows.
    if (phase_ == StartPhase::Shown && IsInput(msg->message)) MakeHelpers();
    if (IsClickOrDrop(msg->message)) popups_.EndHint();  // the first start's hint has done its work
    return summons_.PreTranslate(msg);
}

BOOL CQuorlinDlg::OnCommand(WPARAM wp, LPARAM) { return commands_.Run(LOWORD(wp)) ? TRUE : FALSE; }

bool CQuorlinDlg::OnUnlistedMessage(UINT msg, WPARAM, LPARAM, LRESULT& result) {
    if (msg != 0 && msg == g_reload) {
        buttons_.SyncWithStore();  // lays the ring out and renders it
        result = 0;
        return true;
    }
    if (msg != 0 && msg == g_openSettings) {
        if (phase_ == StartPhase::Shown) MakeHelpers();
        commands_.Run(ID_SETTINGS);
        result = 0;
        return true;
    }
    if (msg != 0 && msg == TaskbarCreatedMessage()) {
        tray_.OnTaskbarCreated();
        result = 1;
        return true;
    }
    return false;
}

LRESULT CQuorlinDlg::OnTimer(WPARAM wp, LPARAM, bool& handled) {
    handled = false;  // default processing follows for every timer
    if (wp == TIMER_CLOCK) {
        renderer_.Render(PanelRenderer::Frame::Tick);
        tray_.LookAgain();  // what waited while the user was busy
    } else if (wp == TIMER_BACKUP) {
        DailyBackupIfChanged(store_, CurrentDateTime());
    } else if (wp == TIMER_HELPERS) {
        MakeHelpers();
    } else if (wp == TIMER_TRAY) {
        tray_.AddAgain();
        summons_.AttachToDesktop();
    }
    return 0;
}

LRESULT CQuorlinDlg::OnDestroy(WPARAM, LPARAM, bool& handled) {
    watch_.Stop();
    programs_.Stop();
    renderer_.KeepBackground();  // a panel closed before its work after the first frame still keeps it
    ::KillTimer(hwnd_, TIMER_BACKUP);
    summons_.UnregisterHotkey();
    tray_.Remove();
    ::RemovePropW(hwnd_, kInstanceProp);
    access_.Release();  // screen readers holding the panel's object get errors from now on
    // The helper windows go before the buttons whose pictures the ghost may borrow.
    popups_.Release();
    renderer_.Release();
    // Buttons go with their windows, before the panel's handle is gone.
    buttons_.buttons.clear();
    if (comStarted_) ::CoUninitialize();
    comStarted_ = false;
    handled = false;
    return 0;
}

// ---------------------------------------------------------------- place, size and DPI

void CQuorlinDlg::ApplyDpi(int monitorDpi, bool keepCentre) {
    monitorDpi_ = UsableDpi(monitorDpi);
    dpi_ = ScaledDpi(monitorDpi_, state_.scalePercent);
    geometry_ = PanelGeometry::ForDpi(dpi_);
    layout_.width = geometry_.panelWidth;
    layout_.height = geometry_.panelHeight;
    renderer_.SetLayout(dpi_, geometry_);
    pictures_.SetSide(ButtonPictureSide(dpi_));
    popups_.SetDpi(dpi_);
    // While the panel is made, its place and size are set once, right after this, and the
    // tray icon is loaded with the rest of the work after the first frame.
    if (!hwnd_ || phase_ == StartPhase::Composing) return;
    RECT r{};
    ::GetWindowRect(hwnd_, &r);
    Rect q{r.left, r.top, r.left + layout_.width, r.top + layout_.height};
    if (keepCentre) {
        q = ResizeAroundCentre(Rect{r.left, r.top, r.right, r.bottom}, layout_.width, layout_.height,
                               fw::MonitorWorkAreas());
        const IniSettings settings(state_.SettingsFile());
        settings.WriteInt(kKeyDeskX, q.left);
        settings.WriteInt(kKeyDeskY, q.top);
    }
    ::SetWindowPos(hwnd_, nullptr, q.left, q.top, layout_.width, layout_.height, SWP_NOZORDER | SWP_NOACTIVATE);
    tray_.LoadIcon(monitorDpi_);
    for (size_t i = 0; i < buttons_.Count(); ++i) buttons_.At(i)->RefreshImage();
    LayoutButtons();
    RenderPanel();
}

LRESULT CQuorlinDlg::OnDpiChanged(WPARAM wp, LPARAM lp, bool&) {
    const int dpi = LOWORD(wp);
    const RECT* suggested = reinterpret_cast<const RECT*>(lp);
    ApplyDpi(dpi);
    if (suggested) {
        // The system's suggestion keeps the panel under the cursor while it is dragged.
        ::SetWindowPos(hwnd_, nullptr, suggested->left, suggested->top, layout_.width, layout_.height,
                       SWP_NOZORDER | SWP_NOACTIVATE);
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
    if (!hwnd_ || phase_ == StartPhase::Composing) return 0;
    RECT r{};
    ::GetWindowRect(hwnd_, &r);
    Rect q{r.left, r.top, r.right, r.bottom};
    if (KeepOnScreen(q, fw::MonitorWorkAreas())) ::MoveWindow(hwnd_, q.left, q.top, q.Width(), q.Height(), TRUE);
    const IniSettings settings(state_.SettingsFile());
    settings.WriteInt(kKeyDeskX, q.left);
    settings.WriteInt(kKeyDeskY, q.top);
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
        ::DrawIcon(dc, (rc.right - rc.left - cx + 1) / 2, (rc.bottom - rc.top - cy + 1) / 2, appIcon_);
        ::EndPaint(hwnd_, &ps);
        return 0;
    }
    handled = false;
    return 0;
}

LRESULT CQuorlinDlg::OnQueryDragIcon(WPARAM, LPARAM, bool&) { return reinterpret_cast<LRESULT>(appIcon_); }

// ---------------------------------------------------------------- the buttons

std::unique_ptr<CButtonEx> CQuorlinDlg::CreateButton() {
    auto button = std::make_unique<CButtonEx>(static_cast<ButtonWindowHost&>(*this), [this](std::int64_t id) {
        usage_.CountButton(store_.Handle(), id, NowMs());
    });
    if (phase_ != StartPhase::Composing) button->CreateIn(hwnd_);
    return button;
}

void CQuorlinDlg::LayoutButtons() {
    const RingLayout layout = LayoutRings(buttons_.Count(), geometry_);
    layout_.buttonHalf = layout.buttonHalf;
    for (size_t i = 0; i < buttons_.Count(); ++i) {
        LauncherButton& b = *buttons_.buttons[i];
        b.centerX = layout.slots[i].centerX;
        b.centerY = layout.slots[i].centerY;
        b.Place(layout.slots[i].window);
    }
    // The button windows stacked in ring order: the order in which the dialog manager, screen
    // readers and UI automation walk them. Already so after a load; a swap moves two.
    HWND previous = nullptr;
    for (size_t i = 0; i < buttons_.Count(); ++i) {
        const HWND w = buttons_.At(i)->hwnd();
        if (!w) continue;  // not made yet
        const HWND expected = previous ? ::GetWindow(previous, GW_HWNDNEXT) : ::GetWindow(hwnd_, GW_CHILD);
        if (w != expected)
            ::SetWindowPos(w, previous ? previous : HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        previous = w;
    }
    access_.FollowButtons();  // buttons came, went or moved: screen readers are told
    if (phase_ == StartPhase::Running)
        popups_.FollowRing(OnlyBuiltInEntries(buttons_.buttons), state_, summons_.ActiveHotkey(), dpi_);
}

void CQuorlinDlg::RenderPanel() { renderer_.Render(PanelRenderer::Frame::Full); }

void CQuorlinDlg::ShowLoadError(const std::wstring& description) {
    MessageBoxes().Show(reinterpret_cast<std::uintptr_t>(hwnd_), description, state_.appName, kMbOk);
}

bool CQuorlinDlg::TargetExists(const std::wstring& path) {
    if (path.find_first_not_of(L' ') == std::wstring::npos) return false;  // names nothing (a shortcut not read)
    // A drive that is not there (a USB stick), a removable one, or the network: the button
    // stays, and nothing reaches out to find out.
    if (fw::ReachOf(path) != fw::TargetReach::LocalFixed) return true;
    return ::_waccess(path.c_str(), 0) == 0;
}

std::unique_ptr<Gdiplus::Image> CQuorlinDlg::PictureFor(const ButtonRecord& record) {
    return pictures_.PictureFor(record, phase_ == StartPhase::Composing);
}

// ---------------------------------------------------------------- what the owned windows ask

void CQuorlinDlg::RequestRender() {
    if (hwnd_) ::PostMessageW(hwnd_, WM_RENDER_REQUEST, 0, 0);
}

void CQuorlinDlg::ForwardCommand(WPARAM wp, LPARAM lp) {
    if (hwnd_) ::PostMessageW(hwnd_, WM_COMMAND, wp, lp);
}

void CQuorlinDlg::ShowTip(const void* owner, const std::wstring& text, int x, int y) {
    popups_.ShowTip(owner, text, x, y, dpi_);
}

void CQuorlinDlg::HideTip(const void* leaving) { popups_.HideTip(leaving); }

void CQuorlinDlg::StartDrag(std::int64_t id, int x, int y) { popups_.StartDrag(id, x, y, dpi_); }

void CQuorlinDlg::EditButton(std::int64_t id, const RECT& anchor) { commands_.EditButton(id, anchor); }

bool CQuorlinDlg::PanelScreenRect(RECT& r) const { return hwnd_ && ::GetWindowRect(hwnd_, &r); }

bool CQuorlinDlg::SwapWhileDragging(const RECT& ghost, std::int64_t draggedId) {
    return buttons_.SwapWhileDragging(Rect{ghost.left, ghost.top, ghost.right, ghost.bottom}, draggedId);
}

bool CQuorlinDlg::FindPicture(std::int64_t id, Gdiplus::Image*& picture) const {
    const CButtonEx* button = buttons_.Find(id);
    if (!button) return false;
    picture = button->Image();
    return true;
}
