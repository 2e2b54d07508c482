// The ring panel: a borderless, layered 240 x 240 dialog on the desktop that carries
// the clock and the launcher buttons, with its menus, tray icon and hotkey.
#pragma once

#include <cstdint>
#include <windows.h>
#include <shellapi.h>

#include <memory>
#include <string>
#include <vector>

#include "framework/gdiplus_win.h"
#include "framework/window_win.h"
#include "panel/button_collection.h"
#include "panel/composition.h"
#include "panel/ring_layout.h"
#include "res/resource.h"

class CButtonEx;

// The tray callback message.
constexpr UINT WM_TRAYICON = WM_USER + 500;
// Posted to itself at initialisation: make the tooltip and the ghost once the first frame is shown.
constexpr UINT WM_MAKE_HELPERS = WM_APP + 1;
constexpr UINT_PTR TIMER_CLOCK = 1525;
constexpr UINT_PTR TIMER_TRAY = 502;

class CQuorlinDlg : public quorlin::fw::Dialog<CQuorlinDlg>, public quorlin::ButtonHost {
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
            {WM_MAKE_HELPERS, &CQuorlinDlg::OnMakeHelpers},
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

    CQuorlinDlg();
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
    static void PlaceBesideAnchor(HWND window, const RECT& anchor);

    // Composition. RenderPanel composes the whole picture (anything may have changed);
    // a clock tick reuses the kept still part of it when nothing but the second moved.
    void RenderPanel() override;
    void RenderClockTick();
    // Composes the current picture into a canvas without pushing it (for tests).
    void ComposeInto(quorlin::fw::LayeredCanvas& canvas);
    // What a clock tick composes: the kept still part (composed again first when it has
    // changed, or always when `stillChanged`), then the second hand and the hub.
    void ComposeTickInto(quorlin::fw::LayeredCanvas& canvas, bool stillChanged = false);
    // How many times the still part has been composed (for tests and benchmarks).
    int stillCompositions = 0;
    // The plan of the current picture, and the execution of some of its steps (also used
    // by the benchmark to time the sections of a frame).
    std::vector<quorlin::DrawOp> PlanFrame() const;
    void DrawOps(quorlin::fw::LayeredCanvas& canvas, const std::vector<quorlin::DrawOp>& ops, size_t from,
                 size_t to) const;

    // The button collection (ring order = ascending sort).
    bool LoadButtons() { return collection_.LoadButtons(); }
    bool AddButton(const std::wstring& title, const std::wstring& path, int kind, const std::wstring& para) {
        return collection_.AddButton(title, path, kind, para);
    }
    bool IsDuplicate(const std::wstring& path, int kind) { return collection_.IsDuplicate(path, kind); }
    bool DeleteButton(std::int64_t id) { return collection_.DeleteButton(id); }
    bool RemoveButtonById(std::int64_t id) { return collection_.RemoveButtonById(id); }
    bool ClearAllButtons() { return collection_.ClearAllButtons(); }
    void PruneMissingTargets() { collection_.PruneMissingTargets(); }
    bool SwapWhileDragging(const RECT& ghost, std::int64_t draggedId) {
        return collection_.SwapWhileDragging(quorlin::Rect{ghost.left, ghost.top, ghost.right, ghost.bottom},
                                             draggedId);
    }
    size_t ButtonCount() const { return collection_.Count(); }
    CButtonEx* ButtonAt(size_t i) const;
    CButtonEx* FindButton(std::int64_t id) const;

    // ButtonHost
    std::unique_ptr<quorlin::LauncherButton> CreateButtonWindow() override;
    void LayoutButtons() override;
    void ShowLoadError(const std::wstring& description) override;
    bool TargetExists(const std::wstring& path) override;

    // Menus (exposed for tests: the menu a right click would show, already pruned and checked).
    HMENU BuildPanelMenu() const;
    HMENU BuildTrayMenu() const;

    // Adding by drop.
    void AddDroppedFiles(HDROP drop);
    static std::wstring ResolveShortcut(const std::wstring& path);

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
    std::unique_ptr<Gdiplus::Image> ringImage, faceImage, hourHandImage, minuteHandImage, secondHandImage, hubImage;
    NOTIFYICONDATAW trayData{};
    int hotKeyId = 0;
    bool trayAdded = false;  // whether the shell accepted the icon (for tests and shutdown)

private:
    Gdiplus::Image* PictureFor(const quorlin::DrawOp& op) const;
    void RenderFrame(bool stillChanged);

    // The picture of everything but the second hand and the hub, with what it was made
    // of: the operations and the pictures they drew.
    std::unique_ptr<quorlin::fw::LayeredCanvas> stillLayer_;
    std::vector<quorlin::DrawOp> stillOps_;
    std::vector<const Gdiplus::Image*> stillPictures_;

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
    LRESULT OnMakeHelpers(WPARAM, LPARAM, bool& handled);

    void OnAddComputer();
    void OnAddControlPanel();
    void OnAddDocuments();
    void OnAddRecycleBin();
    void OnAddBrowser();
    void OnAddWebAddress();
    void OnAutoRun();
    void AddCommonEntry(int commandId);

    void AddTrayIcon();
    void ShowTrayMenu();
    void ShowPanelMenu();
    void MoveToInitialPosition();

    quorlin::ButtonCollection collection_;
    quorlin::PanelGeometry geometry_;
};
