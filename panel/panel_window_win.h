// The ring panel: a borderless, layered 240 x 240 dialog on the desktop that carries the
// clock and the launcher buttons. The window itself keeps its place and size on the screen
// (position, DPI), the buttons and their ring layout, the order of what happens before and
// after the first frame, and its message table; everything else is done by its parts:
//   renderer  (panel_renderer_win)  the pictures, frames, ticks and the background file;
//   pictures  (button_pictures_win) the buttons' pictures, their cache and refresh;
//   tray      (tray_icon_win)       the tray icon, its balloon and menu;
//   summons   (summon_typing_win)   the hotkey, in front and back, typing, the desktop layer;
//   watch     (clock_watch_win)     whether anybody can see the clock;
//   commands  (panel_commands_win)  every menu command, export and import, drops, the dialogs;
//   popups    (panel_popups_win)    the tooltip bubble and the drag ghost;
//   access    (panel_accessible_win) what screen readers read, and high contrast;
//   programs  (program_search_win)  the Start menu's programs found by typing, and their list.
// Parts never reach one another: the panel hands each what it needs when it makes it.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>

#include "app/app_state.h"
#include "buttons/button_window_win.h"
#include "dialogs/ghost_win.h"
#include "framework/window_win.h"
#include "panel/button_collection.h"
#include "panel/button_pictures_win.h"
#include "panel/clock_watch_win.h"
#include "panel/panel_accessible_win.h"
#include "panel/panel_commands_win.h"
#include "panel/panel_popups_win.h"
#include "panel/panel_renderer_win.h"
#include "panel/program_search_win.h"
#include "panel/ring_layout.h"
#include "panel/summon_typing_win.h"
#include "panel/tray_icon_win.h"
#include "res/resource.h"
#include "store/usage_table.h"

namespace quorlin {
class DbSession;
}

// Looks every few hours whether the day's backup of bts.db is due.
constexpr UINT_PTR TIMER_BACKUP = 1526;
constexpr UINT kBackupCheckMs = 3 * 60 * 60 * 1000;
// Set when initialisation has shown the panel: what the first frame does not need is made
// when it fires, once the window system has had its turn to put that frame on the screen
// (or sooner, see MakeHelpers).
constexpr UINT_PTR TIMER_HELPERS = 1527;

// The identifier of the registered message "TaskbarCreated" (registered at static start).
UINT TaskbarCreatedMessage();

using PanelButtons = quorlin::ButtonCollectionOf<CButtonEx>;

// Where a start is.
enum class StartPhase {
    Composing,  // before the first frame: buttons without windows, pictures from the cache only
    Shown,      // the first frame is up; the work after it is pending (MakeHelpers)
    Running,    // everything is made
};

// The panel's size and the button half-size of the current layout.
struct PanelLayout {
    int width = 240;
    int height = 240;
    int buttonHalf = quorlin::kInitialButtonHalf;
};

// The panel owns its buttons, the tooltip, the ghost and the dialogs it opens, and is the
// host each of them reaches back through.
class CQuorlinDlg : public quorlin::fw::Dialog<CQuorlinDlg>,
                    public PanelButtons::Host,
                    public ButtonWindowHost,
                    public GhostHost {
public:
    enum { IDD = IDD_QUORLIN_DIALOG };

    // Commands go to the commands part's table (OnCommand).
    static const quorlin::fw::MessageMap<CQuorlinDlg>& Messages() {
        using quorlin::fw::ToPart;
        using D = CQuorlinDlg;
        static const quorlin::fw::MessageMap<CQuorlinDlg> map = {
            {WM_NCHITTEST, &D::OnNcHitTest},
            {WM_EXITSIZEMOVE, &D::OnExitSizeMove},
            {WM_TIMER, &D::OnTimer},
            {WM_DESTROY, &D::OnDestroy},
            {WM_PAINT, &D::OnPaint},
            {WM_QUERYDRAGICON, &D::OnQueryDragIcon},
            {WM_DPICHANGED, &D::OnDpiChanged},
            {WM_RENDER_REQUEST, &ToPart<D, &D::renderer_, &PanelRenderer::OnRenderRequest>},
            {WM_REFRESH_PICTURES, &ToPart<D, &D::pictures_, &ButtonPictures::OnRefreshPictures>},
            {WM_DEVICECHANGE, &ToPart<D, &D::pictures_, &ButtonPictures::OnDeviceChange>},
            {WM_TRAYICON, &ToPart<D, &D::tray_, &TrayIcon::OnTrayIcon>},
            {WM_HOTKEY, &ToPart<D, &D::summons_, &SummonAndTyping::OnHotKey>},
            {WM_ACTIVATE, &ToPart<D, &D::summons_, &SummonAndTyping::OnActivate>},
            {WM_KEYDOWN, &ToPart<D, &D::summons_, &SummonAndTyping::OnKeyDown>},
            {WM_CHAR, &ToPart<D, &D::summons_, &SummonAndTyping::OnChar>},
            {WM_WTSSESSION_CHANGE, &ToPart<D, &D::watch_, &ClockWatch::OnSessionChange>},
            {WM_POWERBROADCAST, &ToPart<D, &D::watch_, &ClockWatch::OnPowerBroadcast>},
            {WM_CHECK_FRONT_WINDOW, &ToPart<D, &D::watch_, &ClockWatch::OnCheckFrontWindow>},
            {WM_NCRBUTTONDOWN, &ToPart<D, &D::commands_, &PanelCommands::OnNcRightButtonDown>},
            {WM_NCRBUTTONUP, &ToPart<D, &D::commands_, &PanelCommands::OnRightButtonUp>},
            {WM_RBUTTONUP, &ToPart<D, &D::commands_, &PanelCommands::OnRightButtonUp>},
            {WM_DROPFILES, &ToPart<D, &D::commands_, &PanelCommands::OnDropFiles>},
            {WM_GETOBJECT, &ToPart<D, &D::access_, &PanelAccessible::OnGetObject>},
            {WM_ACCESSIBLE_OPEN, &ToPart<D, &D::access_, &PanelAccessible::OnOpenRequest>},
            {WM_SETTINGCHANGE, &ToPart<D, &D::access_, &PanelAccessible::OnSettingChange>},
            {WM_SYSCOLORCHANGE, &ToPart<D, &D::access_, &PanelAccessible::OnSettingChange>},
            {WM_PROGRAMS_READY, &ToPart<D, &D::programs_, &ProgramSearch::OnProgramsReady>},
        };
        return map;
    }

    // state: the paths and switches (the panel's commands change the switches);
    // store: the open button store. Both outlive the panel.
    CQuorlinDlg(quorlin::AppState& state, quorlin::DbSession& store);
    ~CQuorlinDlg() override;

    BOOL OnInitDialog() override;
    BOOL OnCommand(WPARAM wp, LPARAM lp) override;
    BOOL PreTranslateMessage(MSG* msg) override;
    bool OnUnlistedMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

    // Whatever the first frame does not need (COM, the tray icon, the buttons' windows, the
    // pop-ups, the version check, the refresh of the pictures, the watch over what hides the
    // panel, the day's backup): made once, when TIMER_HELPERS fires or, should input, a
    // hotkey, a drop or a command come first, before it is handled. A render request does
    // not count: it only comes from windows made here, and a frame needs none of this.
    void MakeHelpers();
    StartPhase Phase() const { return phase_; }
    PanelLayout Layout() const { return layout_; }

    // The parts (the tests reach their state through these).
    PanelButtons& Buttons() { return buttons_; }
    PanelRenderer& Renderer() { return renderer_; }
    ButtonPictures& Pictures() { return pictures_; }
    TrayIcon& Tray() { return tray_; }
    SummonAndTyping& Summons() { return summons_; }
    ClockWatch& Watch() { return watch_; }
    PanelCommands& CommandSet() { return commands_; }
    PanelPopups& Popups() { return popups_; }

    // The collection's host
    std::unique_ptr<CButtonEx> CreateButton() override;
    void LayoutButtons() override;
    void RenderPanel() override;
    void ShowLoadError(const std::wstring& description) override;
    bool TargetExists(const std::wstring& path) override;
    bool KeepPictureOf(const CButtonEx& button) override { return pictures_.Keep(button); }

    // The buttons' and the ghost's host
    const quorlin::AppState& State() const override { return state_; }
    void RequestRender() override;
    void ForwardCommand(WPARAM wp, LPARAM lp) override;
    void ShowTip(const void* owner, const std::wstring& text, int x, int y) override;
    void HideTip(const void* leaving) override;
    void StartDrag(std::int64_t id, int x, int y) override;
    void EditButton(std::int64_t id, const RECT& anchor) override;
    bool DeleteButton(std::int64_t id) override { return buttons_.DeleteButton(id); }
    int Dpi() const override { return dpi_; }
    std::unique_ptr<Gdiplus::Image> PictureFor(const quorlin::ButtonRecord& record) override;
    bool PanelScreenRect(RECT& r) const override;
    bool SwapWhileDragging(const RECT& ghost, std::int64_t draggedId) override;
    bool FindPicture(std::int64_t id, Gdiplus::Image*& picture) const override;

private:
    LRESULT OnNcHitTest(WPARAM, LPARAM, bool& handled);
    LRESULT OnExitSizeMove(WPARAM, LPARAM, bool& handled);
    LRESULT OnTimer(WPARAM, LPARAM, bool& handled);
    LRESULT OnDestroy(WPARAM, LPARAM, bool& handled);
    LRESULT OnPaint(WPARAM, LPARAM, bool& handled);
    LRESULT OnQueryDragIcon(WPARAM, LPARAM, bool& handled);
    LRESULT OnDpiChanged(WPARAM, LPARAM, bool& handled);
    // Lays the panel out again and draws it at the monitor's DPI times the panel's size
    // (AppState::scalePercent): its size, rings, pictures, the buttons' pictures, the
    // tooltip, the ghost and the programs' list; the tray icon follows the monitor alone.
    // At start, when the panel moves to a monitor of another DPI (the window keeps its
    // top-left corner), and when the size changes (keepCentre: the window keeps its
    // centre, whole on its monitor, and that place is saved).
    void ApplyDpi(int monitorDpi, bool keepCentre = false);

    quorlin::AppState& state_;
    quorlin::DbSession& store_;
    int dpi_ = quorlin::kBaseDpi;         // what the panel is drawn at: the monitor's DPI times the size
    int monitorDpi_ = quorlin::kBaseDpi;  // the monitor's own
    quorlin::PanelGeometry geometry_;
    PanelLayout layout_;
    HICON appIcon_ = nullptr;  // loaded right after the first frame
    StartPhase phase_ = StartPhase::Composing;
    bool comStarted_ = false;  // COM started for this thread after the first frame
    quorlin::UsageLog usage_;  // how often and lately buttons and programs were opened: read after the first frame

    PanelButtons buttons_;  // ring order = ascending sort
    PanelRenderer renderer_;
    ButtonPictures pictures_;
    TrayIcon tray_;
    SummonAndTyping summons_;
    ClockWatch watch_;
    PanelCommands commands_;
    PanelPopups popups_;
    PanelAccessible access_;  // after popups_: it tells the bubble its colours when it is made
    ProgramSearch programs_;
};
