// The ring panel: a borderless, layered 240 x 240 dialog on the desktop that carries
// the clock and the launcher buttons, with its menus, tray icon and hotkey.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/app_state.h"
#include "panel/hotkey_text.h"
#include "buttons/button_window_win.h"
#include "dialogs/add_dialog_win.h"
#include "dialogs/ghost_win.h"
#include "dialogs/tooltip_win.h"
#include "framework/display_win.h"
#include "framework/gdiplus_win.h"
#include "framework/window_win.h"
#include "panel/background_cache.h"
#include "panel/button_collection.h"
#include "panel/composition.h"
#include "panel/keyboard_rules.h"
#include "panel/ring_layout.h"
#include "dialogs/tooltip_logic.h"
#include "res/resource.h"
#include "store/icon_cache.h"

namespace quorlin {
class DbSession;
}

// The tray callback message.
constexpr UINT WM_TRAYICON = WM_USER + 500;
// Posted to itself after the first frame, and again until done: check the buttons' pictures
// against what they are made from, a few at a time, and make the stale ones anew.
constexpr UINT WM_REFRESH_PICTURES = WM_APP + 2;
// Posted to itself when another window came to the front: is the panel hidden behind it?
constexpr UINT WM_CHECK_FRONT_WINDOW = WM_APP + 3;
constexpr UINT_PTR TIMER_CLOCK = 1525;
constexpr UINT_PTR TIMER_TRAY = 502;
// Looks every few hours whether the day's backup of bts.db is due.
constexpr UINT_PTR TIMER_BACKUP = 1526;
constexpr UINT kBackupCheckMs = 3 * 60 * 60 * 1000;
// Set when initialisation has shown the panel: what the first frame does not need
// is made when it fires, once the window system has had its turn to put that frame on the
// screen (or sooner, see MakeHelpers).
constexpr UINT_PTR TIMER_HELPERS = 1527;

// The identifier of the registered message "TaskbarCreated" (registered at static start).
UINT TaskbarCreatedMessage();

// The panel owns its buttons, the tooltip, the ghost and the dialogs it opens, and is the
// host each of them reaches back through.
class CQuorlinDlg : public quorlin::fw::Dialog<CQuorlinDlg>,
                    public quorlin::ButtonHost,
                    public ButtonWindowHost,
                    public GhostHost,
                    public AddDialogHost {
public:
    enum { IDD = IDD_QUORLIN_DIALOG };

    static const quorlin::fw::MessageMap<CQuorlinDlg>& Messages() {
        static const quorlin::fw::MessageMap<CQuorlinDlg> map = {
            {WM_NCHITTEST, &CQuorlinDlg::OnNcHitTest},
            {WM_EXITSIZEMOVE, &CQuorlinDlg::OnExitSizeMove},
            {WM_TIMER, &CQuorlinDlg::OnTimer},
            {WM_DESTROY, &CQuorlinDlg::OnDestroy},
            {WM_PAINT, &CQuorlinDlg::OnPaint},
            {WM_QUERYDRAGICON, &CQuorlinDlg::OnQueryDragIcon},
            {WM_TRAYICON, &CQuorlinDlg::OnTrayIcon},
            {WM_NCRBUTTONDOWN, &CQuorlinDlg::OnNcRightButtonDown},
            {WM_NCRBUTTONUP, &CQuorlinDlg::OnRightButtonUp},
            {WM_RBUTTONUP, &CQuorlinDlg::OnRightButtonUp},
            {WM_HOTKEY, &CQuorlinDlg::OnHotKey},
            {WM_DROPFILES, &CQuorlinDlg::OnDropFiles},
            {WM_DPICHANGED, &CQuorlinDlg::OnDpiChanged},
            {WM_ACTIVATE, &CQuorlinDlg::OnActivate},
            {WM_KEYDOWN, &CQuorlinDlg::OnKeyDown},
            {WM_CHAR, &CQuorlinDlg::OnChar},
            {WM_REFRESH_PICTURES, &CQuorlinDlg::OnRefreshPictures},
            {WM_WTSSESSION_CHANGE, &CQuorlinDlg::OnSessionChange},
            {WM_POWERBROADCAST, &CQuorlinDlg::OnPowerBroadcast},
            {WM_CHECK_FRONT_WINDOW, &CQuorlinDlg::OnCheckFrontWindow},
        };
        return map;
    }
    static const quorlin::fw::CommandMap<CQuorlinDlg>& Commands() {
        static const quorlin::fw::CommandMap<CQuorlinDlg> map = {
            {ID_ADD_COMPUTER, &CQuorlinDlg::OnAddComputer},
            {ID_ADD_CONTROL, &CQuorlinDlg::OnAddControlPanel},
            {ID_ADD_DOCUMENTS, &CQuorlinDlg::OnAddDocuments},
            {ID_ADD_RECYCLE, &CQuorlinDlg::OnAddRecycleBin},
            {ID_ADD_IE, &CQuorlinDlg::OnAddBrowser},
            {ID_ADD_URL, &CQuorlinDlg::OnAddWebAddress},
            {ID_AUTORUN, &CQuorlinDlg::OnAutoRun},
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

    // Window placement and stacking.
    void SetTopMost(bool topmost, bool persist);
    bool AttachToDesktop();
    static HWND FindWorkerDesktopView();
    static bool KeepOnScreen(RECT& r);
    void PlaceBesideAnchor(HWND window, const RECT& anchor) override;

    // Composition. RenderPanel composes the whole picture (anything may have changed);
    // a clock tick reuses the kept still part of it when nothing but the second moved.
    void RenderPanel() override;
    void RenderClockTick();
    // Composes the current picture into a canvas without pushing it (for tests).
    void ComposeInto(quorlin::fw::LayeredCanvas& canvas);
    // What a clock tick composes: the kept still part (composed again first when it has
    // changed, or always when `stillChanged`), then the second hand and the hub.
    void ComposeTickInto(quorlin::fw::LayeredCanvas& canvas, bool stillChanged = false);
    // How many times the still part has been composed.
    int StillCompositions() const { return stillCompositions_; }
    // The file that keeps the panel's background (everything under the clock's hands)
    // between starts, and how many starts of this panel took it from there.
    std::wstring BackgroundFile() const;
    int BackgroundsFromFile() const { return backgroundsFromFile_; }
    // The plan of the current picture, and the execution of some of its steps (also used
    // by the benchmark to time the sections of a frame).
    std::vector<quorlin::DrawOp> PlanFrame() const;
    void DrawOps(quorlin::fw::LayeredCanvas& canvas, const std::vector<quorlin::DrawOp>& ops, size_t from,
                 size_t to, const RECT* clip = nullptr) const;
    // The whole picture as last pushed to the window (null before the first push), and the
    // part of the window the last push updated.
    const quorlin::fw::LayeredCanvas* PushedFrame() const { return frame_.get(); }
    RECT LastPush() const { return lastPush_; }

    // The button collection (ring order = ascending sort).
    bool LoadButtons() { return collection_.LoadButtons(); }
    bool AddButton(const std::wstring& title, const std::wstring& path, int kind, const std::wstring& para) override {
        return collection_.AddButton(title, path, kind, para);
    }
    bool IsDuplicate(const std::wstring& path, int kind) { return collection_.IsDuplicate(path, kind); }
    bool DeleteButton(std::int64_t id) override { return collection_.DeleteButton(id); }
    bool RemoveButtonById(std::int64_t id) { return collection_.RemoveButtonById(id); }
    bool ClearAllButtons() { return collection_.ClearAllButtons(); }
    void PruneMissingTargets() { collection_.PruneMissingTargets(); }
    // Takes back the newest deletion (Ctrl+Z on the panel, the tray's undo entry).
    quorlin::UndoOutcome UndoLastDeletion() { return collection_.Undo(); }
    // Brings the ring in step with bts.db (another process imported): the "quorlin-reload" message.
    bool SyncWithStore() { return collection_.SyncWithStore(); }
    bool SwapWhileDragging(const RECT& ghost, std::int64_t draggedId) override {
        return collection_.SwapWhileDragging(quorlin::Rect{ghost.left, ghost.top, ghost.right, ghost.bottom},
                                             draggedId);
    }
    size_t ButtonCount() const { return collection_.Count(); }
    CButtonEx* ButtonAt(size_t i) const;
    CButtonEx* FindButton(std::int64_t id) const;

    // The tooltip and the drag ghost: made right after the first frame is on screen, or by
    // whoever needs one first; null before that.
    void EnsureHelperWindows();
    // The windows of the buttons loaded at start (made right after the first frame).
    void MakeButtonWindows();
    // Whatever the first frame does not need (COM, the tray icon, the buttons' windows, the
    // pop-ups, the version check, the refresh of the pictures, the watch over what hides the
    // panel, the day's backup): made once, when TIMER_HELPERS fires or, should input or a
    // command come first, before it is handled.
    void MakeHelpers();
    bool HelpersPending() const { return helpersPending_; }
    CToolTipDlg* ToolTip() const { return toolTip_.get(); }
    CDelDlg* Ghost() const { return ghost_.get(); }

    // ButtonHost (the collection)
    std::unique_ptr<quorlin::LauncherButton> CreateButtonWindow() override;
    void LayoutButtons() override;
    void ShowLoadError(const std::wstring& description) override;
    bool TargetExists(const std::wstring& path) override;
    bool KeepPicture(const quorlin::LauncherButton& button) override;

    // ButtonWindowHost, GhostHost, AddDialogHost (the windows the panel owns)
    const quorlin::AppState& State() const override { return state_; }
    void RequestRender() override;
    void ForwardCommand(WPARAM wp, LPARAM lp) override;
    void ShowTip(const void* owner, const std::wstring& text, int x, int y) override;
    void HideTip(const void* leaving) override;
    void StartDrag(std::int64_t id, int x, int y) override;
    bool FindPicture(std::int64_t id, Gdiplus::Image*& picture) const override;
    void EditButton(std::int64_t id, const RECT& anchor) override;
    bool PanelScreenRect(RECT& r) const override;
    bool FindRecord(std::int64_t id, quorlin::ButtonRecord& record) const override;
    std::unique_ptr<Gdiplus::Image> CopyButtonPicture(std::int64_t id) const override;
    quorlin::EditOutcome UpdateButton(std::int64_t id, const std::wstring& title, const std::wstring& path,
                                      const std::wstring& para) override;
    const std::wstring& AppName() const override { return state_.appName; }
    int Dpi() const override { return dpi_; }

    // Lays the panel out again and draws it at `dpi`: its size, rings, pictures, the
    // buttons' pictures, the tooltip and the ghost (at start, and when the panel moves to
    // a monitor of another DPI). The window keeps its top-left corner.
    void ApplyDpi(int dpi);
    // The cached picture while the panel starts (the row's part of the stamp must match;
    // a file's picture that is not cached waits for the refresh after the first frame);
    // afterwards the cached one whose whole stamp matches, or one made anew.
    std::unique_ptr<Gdiplus::Image> PictureFor(const quorlin::ButtonRecord& record) override;
    // Whether the clock's timer runs: not while the display is off, the session is locked
    // or the window in front hides the whole panel.
    bool ClockRunning() const { return clockRunning_; }
    // Whether the refresh of the pictures after the first frame has finished.
    bool PicturesRefreshed() const { return !cacheOnly_ && refreshNext_ == kRefreshDone; }

    // Menus (exposed for tests: the menu a right click would show, already pruned and checked).
    HMENU BuildPanelMenu() const;
    HMENU BuildTrayMenu() const;

    // Adding by drop.
    void AddDroppedFiles(HDROP drop);
    static std::wstring ResolveShortcut(const std::wstring& path);

    // The panel's size and the button half-size of the current layout.
    int PanelWidth() const { return panelWidth; }
    int PanelHeight() const { return panelHeight; }
    int ButtonHalf() const { return buttonHalf; }
    // Whether initialisation has finished.
    bool Initialised() const { return initialised; }
    // The desktop view that owns the panel on the desktop layer, or null.
    HWND DesktopOwner() const { return desktopOwner; }
    // The tray icon's record, and whether the shell accepted it.
    const NOTIFYICONDATAW& TrayData() const { return trayData; }
    bool TrayAdded() const { return trayAdded; }
    int HotKeyId() const { return hotKeyId; }
    // The combination registered (none when every one tried was refused), and those tried.
    const std::optional<quorlin::Hotkey>& ActiveHotkey() const { return hotkey_; }
    const std::vector<quorlin::Hotkey>& HotkeysTried() const { return hotkeysTried_; }

    // The hotkey: Summon brings the panel in front of every window with the keyboard;
    // SendBack returns it to its layer (the desktop, or on top in topmost mode) and hands
    // the keyboard back to the window that had it. InFront: summoned and not sent back yet.
    void Summon();
    void SendBack(bool restoreForeground);
    bool InFront() const { return inFront_; }

    // Launching by typing: a WM_KEYDOWN or WM_CHAR meant for the panel (or one of its
    // buttons); true when it was the panel's and is done.
    bool HandleKey(UINT message, WPARAM wp);
    const quorlin::KeyboardSession& Keys() const { return keys_; }
    // Who the tooltip bubble shows the title of (a button, the panel for the keyboard's
    // selection, or nobody).
    const void* TipShownFor() const { return tipOwner_.owner(); }

private:
    friend struct quorlin::testing::Probe;  // the tests' way to set state the shell would
    quorlin::AppState& state_;

    // Geometry.
    int clockRadius = 50;
    int ringInset = 10;
    bool initialised = false;
    int panelWidth = 240;
    int panelHeight = 240;
    double ringRadius = 86.0;
    int ringCenterX = 120;
    int ringCenterY = 120;
    int buttonHalf = quorlin::kInitialButtonHalf;
    HWND desktopOwner = nullptr;

    HICON appIcon = nullptr;
    HICON trayIcon_ = nullptr;  // the application's icon at the tray's size for the DPI
    int dpi_ = quorlin::kBaseDpi;
    int picturesDpi_ = quorlin::kBaseDpi;  // the DPI the six panel pictures were made for
    std::unique_ptr<Gdiplus::Image> ringImage, faceImage, hourHandImage, minuteHandImage, secondHandImage, hubImage;
    NOTIFYICONDATAW trayData{};
    int hotKeyId = 0;
    bool trayAdded = false;  // whether the shell accepted the icon

    std::optional<quorlin::Hotkey> hotkey_;
    std::vector<quorlin::Hotkey> hotkeysTried_;
    bool hotkeyBalloonDue_ = false;  // every combination was refused and the balloon has not been shown
    bool inFront_ = false;
    HWND previousForeground_ = nullptr;
    quorlin::KeyboardSession keys_;
    std::vector<std::wstring> keyTitles_;  // the titles the session was last given
    quorlin::TipOwner tipOwner_;

    quorlin::IconCache icons_;
    bool cacheOnly_ = true;  // until the first frame: no picture from the shell
    bool buttonWindowsLater_ = false;  // while loading at start: buttons without windows
    std::map<std::int64_t, quorlin::CachedPicture> startPictures_;  // the kept pictures, while loading at start
    bool comStarted_ = false;          // COM started for this thread after the first frame
    bool helpersPending_ = false;      // from initialisation until MakeHelpers has run
    bool activateLater_ = false;       // shown without activation: activated by MakeHelpers
    static constexpr size_t kRefreshDone = static_cast<size_t>(-1);
    size_t refreshNext_ = 0;  // the next button the refresh looks at
    bool refreshChanged_ = false;

    bool clockRunning_ = false;
    bool displayOff_ = false;
    bool sessionLocked_ = false;
    bool hiddenByFrontWindow_ = false;
    HPOWERNOTIFY displayNotification_ = nullptr;
    HWINEVENTHOOK frontWindowHook_ = nullptr;
    bool sessionNotification_ = false;

    std::unique_ptr<CToolTipDlg> toolTip_;
    std::unique_ptr<CDelDlg> ghost_;
    int stillCompositions_ = 0;

    Gdiplus::Image* PictureFor(const quorlin::DrawOp& op) const;
    void RenderFrame(bool stillChanged);
    // Composes the still part again when its steps or pictures changed (or always when
    // `stillChanged`); true when it did.
    bool UpdateStillLayer(const std::vector<quorlin::DrawOp>& ops, size_t split, bool stillChanged, int width,
                          int height);
    // The kept still part, then the steps from `split` on, into a canvas of the panel's size.
    void ComposeFrameInto(quorlin::fw::LayeredCanvas& canvas, const std::vector<quorlin::DrawOp>& ops,
                          size_t split) const;

    // The picture of everything but the second hand and the hub, with what it was made
    // of: the operations and the pictures they drew.
    std::unique_ptr<quorlin::fw::LayeredCanvas> stillLayer_;
    // The picture last pushed, kept whole so that a tick can push only what it changed, and
    // the second hand's angle in it.
    std::unique_ptr<quorlin::fw::LayeredCanvas> frame_;
    std::optional<int> frameSecond_;
    RECT lastPush_{0, 0, 0, 0};
    std::vector<quorlin::DrawOp> stillOps_;
    std::vector<const Gdiplus::Image*> stillPictures_;
    // The first still part of a start: the background from its file when that was made
    // from exactly these steps and pictures, else composed and kept for the file.
    void ComposeStartStill(const std::vector<quorlin::DrawOp>& ops, size_t split);
    // A digest of everything the first `hands` steps draw; nullopt when a picture cannot be read.
    std::optional<quorlin::BackgroundKey> BackgroundKeyOf(const std::vector<quorlin::DrawOp>& ops,
                                                          size_t hands) const;
    // Writes what ComposeStartStill kept: after the first frame, or as the panel closes before that.
    void KeepBackground();
    std::optional<std::pair<quorlin::BackgroundKey, std::vector<std::uint32_t>>> backgroundToKeep_;
    int backgroundsFromFile_ = 0;

    LRESULT OnNcHitTest(WPARAM, LPARAM, bool& handled);
    LRESULT OnExitSizeMove(WPARAM, LPARAM, bool& handled);
    LRESULT OnTimer(WPARAM, LPARAM, bool& handled);
    LRESULT OnDestroy(WPARAM, LPARAM, bool& handled);
    LRESULT OnPaint(WPARAM, LPARAM, bool& handled);
    LRESULT OnQueryDragIcon(WPARAM, LPARAM, bool& handled);
    LRESULT OnTrayIcon(WPARAM, LPARAM, bool& handled);
    LRESULT OnNcRightButtonDown(WPARAM, LPARAM, bool& handled);
    LRESULT OnRightButtonUp(WPARAM, LPARAM, bool& handled);
    LRESULT OnHotKey(WPARAM, LPARAM, bool& handled);
    LRESULT OnDropFiles(WPARAM, LPARAM, bool& handled);
    LRESULT OnDpiChanged(WPARAM, LPARAM, bool& handled);
    // The six panel pictures for dpi_: the 96-DPI pictures as they are, at any other DPI
    // the larger ones scaled down to the size they are drawn at.
    void LoadPanelPictures();
    void LoadTrayIcon();
    // The side of the buttons' pictures at the panel's DPI (48 at 96 DPI); the cache keeps
    // one picture per side.
    int PictureSide() const { return quorlin::ButtonPictureSide(dpi_); }
    LRESULT OnActivate(WPARAM, LPARAM, bool& handled);
    LRESULT OnKeyDown(WPARAM, LPARAM, bool& handled);
    LRESULT OnChar(WPARAM, LPARAM, bool& handled);

    void RegisterGlobalHotkey();
    void ShowHotkeyBalloon();
    // Gives the session the current titles when they changed since it last saw them.
    void SyncKeyTitles();
    void CarryOut(const quorlin::KeyActions& actions);

    LRESULT OnRefreshPictures(WPARAM, LPARAM, bool& handled);
    LRESULT OnSessionChange(WPARAM, LPARAM, bool& handled);
    LRESULT OnPowerBroadcast(WPARAM, LPARAM, bool& handled);
    LRESULT OnCheckFrontWindow(WPARAM, LPARAM, bool& handled);
    // Starts or stops the clock's timer as the panel can be seen or not; a clock that starts
    // again shows the right time at once.
    void UpdateClock();
    // Asks to be told about the session, the display and the window in front.
    void WatchVisibility();
    void StopWatchingVisibility();
    // What the picture of a row is made from, the target on disk looked at.
    static quorlin::IconSource SourceOf(const quorlin::ButtonRecord& record);

    void OnAddComputer();
    void OnAddControlPanel();
    void OnAddDocuments();
    void OnAddRecycleBin();
    void OnAddBrowser();
    void OnAddWebAddress();
    void OnAutoRun();
    void AddCommonEntry(int commandId);

    void ExportButtons();
    void ImportButtons();
    // The file the user chose in the system's chooser ("" when cancelled).
    std::wstring ChooseButtonFile(bool save);
    void ShowTransferResult(const std::vector<std::wstring>& lines);

    void AddTrayIcon();
    void ShowTrayMenu();
    void ShowPanelMenu();
    void MoveToInitialPosition();
    // Writes one switch to setting.ini.
    void SaveSwitch(const wchar_t* key, bool on) const;

    quorlin::DbSession& store_;
    quorlin::ButtonCollection collection_;
    quorlin::PanelGeometry geometry_;
};
