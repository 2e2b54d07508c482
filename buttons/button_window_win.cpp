#include "buttons/button_window_win.h"

#include <windowsx.h>

#include "buttons/builtin_entries.h"
#include "buttons/icon_imaging_win.h"
#include "buttons/item_actions_logic.h"
#include "buttons/menu_rules.h"
#include "framework/seams.h"
#include "framework/volumes_win.h"
#include "panel/ring_layout.h"
#include "update/browser_win.h"

using namespace quorlin;

CButtonEx::~CButtonEx() = default;

bool CButtonEx::CreateIn(HWND panel) {
    RECT empty{0, 0, 0, 0};
    return Create(L"BUTTON", L"", WS_CHILD | WS_VISIBLE, empty, panel, IDC_LAUNCH_BUTTON);
}

void CButtonEx::EnsureWindowIn(HWND panel) {
    if (hwnd_ || !CreateIn(panel)) return;
    ::SetWindowTextW(hwnd_, ShownTitle(iType, Title).c_str());
}

Gdiplus::Image* CButtonEx::Image() const {
    if (!image_ && !pendingPng_.empty()) {
        image_ = quorlin::fw::DecodePicture(pendingPng_.data(), pendingPng_.size());
        pendingPng_.clear();  // one that does not decode draws nothing, and is made anew by the refresh
    }
    return image_.get();
}

void CButtonEx::RebuildImage() {
    image_.reset();
    pendingPng_.clear();
    image_ = host_.PictureFor(*this);
    if (hwnd_) ::SetWindowTextW(hwnd_, ShownTitle(iType, Title).c_str());
}

Rect CButtonEx::ScreenRect() const {
    RECT r{};
    ::GetWindowRect(hwnd_, &r);
    return Rect{r.left, r.top, r.right, r.bottom};
}

void CButtonEx::Place(const Rect& r) {
    if (!hwnd_) return;  // placed when its window is made
    ::MoveWindow(hwnd_, r.left, r.top, r.Width(), r.Height(), TRUE);
    ::ShowWindow(hwnd_, SW_SHOWNORMAL);
}

BOOL CButtonEx::OnCommand(WPARAM wp, LPARAM lp) {
    if (IsPanelWideCommand(LOWORD(wp))) {
        host_.ForwardCommand(wp, lp);
        return TRUE;
    }
    return FALSE;
}

// ---------------------------------------------------------------- mouse

LRESULT CButtonEx::OnMouseMove(WPARAM, LPARAM lp, bool& handled) {
    const Point p{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
    ButtonActions a = input_.OnMouseMove(p, host_.State().buttonsLocked, [this] {
        TRACKMOUSEEVENT tme{sizeof(tme), TME_LEAVE, hwnd_, 0};
        return ::TrackMouseEvent(&tme) != FALSE;
    }, host_.Dpi());
    hovered = input_.hovered() ? 1 : 0;
    if (a.requestRepaint) host_.RequestRender();
    if (a.showTip) {
        POINT sp{a.tipPoint.x, a.tipPoint.y};
        ::ClientToScreen(hwnd_, &sp);
        host_.ShowTip(this, ShownTitle(iType, Title), sp.x, sp.y);
    }
    if (a.startDrag) {
        POINT cursor{};
        ::GetCursorPos(&cursor);
        host_.StartDrag(ID, cursor.x, cursor.y);
    }
    if (a.setHandCursor) ::SetCursor(::LoadCursorW(nullptr, IDC_HAND));
    handled = !a.passToDefault;
    return 0;
}

LRESULT CButtonEx::OnMouseLeave(WPARAM, LPARAM, bool& handled) {
    ButtonActions a = input_.OnMouseLeave();
    hovered = 0;
    host_.HideTip(this);  // a neighbour may have shown its own tip already
    if (a.requestRepaint) host_.RequestRender();
    handled = !a.passToDefault;
    return 0;
}

LRESULT CButtonEx::OnLButtonDown(WPARAM, LPARAM lp, bool& handled) {
    input_.OnLeftDown(Point{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)});
    host_.HideTip(nullptr);
    // Not passed on: the system button never captures, never looks pushed, never clicks.
    return 0;
}

LRESULT CButtonEx::OnLButtonUp(WPARAM, LPARAM, bool&) {
    input_.OnLeftUp();
    OpenItem();  // may delete this button: nothing touches it afterwards
    return 0;
}

// The panel draws the button's picture into its own layered image; the window itself
// shows nothing, so it never paints (painting hundreds of system buttons is slow).
LRESULT CButtonEx::OnPaint(WPARAM, LPARAM, bool&) {
    PAINTSTRUCT ps;
    ::BeginPaint(hwnd_, &ps);
    ::EndPaint(hwnd_, &ps);
    return 0;
}

LRESULT CButtonEx::OnEraseBackground(WPARAM, LPARAM, bool&) { return 1; }

HMENU CButtonEx::BuildContextMenu() const {
    HMENU menu = ::LoadMenuW(fw::ResourceModule(), MAKEINTRESOURCEW(IDR_MENU));
    if (!menu) return nullptr;
    HMENU popup = ::GetSubMenu(menu, kContextPopupIndex);
    ::RemoveMenu(menu, kContextPopupIndex, MF_BYPOSITION);
    ::DestroyMenu(menu);
    for (int id : ButtonMenuRemovals(ID, iType)) ::DeleteMenu(popup, static_cast<UINT>(id), MF_BYCOMMAND);
    const AppState& state = host_.State();
    for (int id : MenuCheckMarks(state.topMost, state.fixed, state.buttonsLocked))
        ::CheckMenuItem(popup, static_cast<UINT>(id), MF_BYCOMMAND | MF_CHECKED);
    return popup;
}

LRESULT CButtonEx::OnRButtonUp(WPARAM wp, LPARAM lp, bool&) {
    input_.OnRightUp();
    HMENU popup = BuildContextMenu();
    if (!popup) return DefaultProc(WM_RBUTTONUP, wp, lp);
    POINT pt{};
    ::GetCursorPos(&pt);
    // The choice comes back here and is posted to ourselves, so that a command that
    // deletes this button runs only after this handler is done with it.
    const HWND self = hwnd_;
    const UINT chosen = static_cast<UINT>(::TrackPopupMenu(popup, TPM_RETURNCMD, pt.x, pt.y, 0, self, nullptr));
    ::DestroyMenu(popup);
    // The menu ran a loop of its own, in which this button may have been deleted: only a
    // window still ours is touched.
    if (fw::WindowBase::FromHandle(self) != this) return 0;
    const LRESULT r = DefaultProc(WM_RBUTTONUP, wp, lp);
    if (chosen) ::PostMessageW(self, WM_COMMAND, MAKEWPARAM(chosen, 0), 0);
    return r;
}

// ---------------------------------------------------------------- item actions
//
// The shell and the message boxes run message loops of their own, in which the user can
// still click, drag or delete this very button. So every action works on a copy of the
// row and on the host (which outlives every button), never on the button after a call
// that may loop.

namespace {

void OfferRemovalOf(ButtonWindowHost& host, const ButtonRecord& item) {
    const int answer =
        MessageBoxes().Show(0, RemovalPromptText(item.PathName), RemovalPromptCaption(), kMbYesNo | kMbSystemModal);
    if (answer == kIdYes) host.DeleteButton(item.ID);  // only that row, if it is still there
}

// True when the item was started.
bool OpenRecord(ButtonWindowHost& host, const ButtonRecord& item) {
    const OpenPlan plan = OpenPlanFor(item.iType, item.PathName, item.Para);
    if (plan.useBrowser) {
        OpenInDefaultBrowser(plan.file);
        return true;
    }
    // A target on a drive that is not there, on a removable one or on the network is out of
    // reach, not gone: the user is told where it lives, and the button stays.
    const bool fileOrFolder = item.iType == ItemKind::File || item.iType == ItemKind::Folder;
    const fw::TargetReach reach = fileOrFolder ? fw::ReachOf(item.PathName) : fw::TargetReach::LocalFixed;
    auto tellWhere = [&] {
        MessageBoxes().Show(0, OutOfReachText(item.Title, item.PathName, reach == fw::TargetReach::AbsentDrive),
                            RemovalPromptCaption(), kMbOk);
    };
    if (reach == fw::TargetReach::AbsentDrive) {
        tellWhere();
        return false;
    }
    const std::intptr_t r = Shell().Execute(0, plan.verb ? plan.verb->c_str() : nullptr, plan.file.c_str(),
                                            plan.params ? plan.params->c_str() : nullptr, nullptr, SW_SHOWNORMAL);
    if (!IsShellFailure(r)) return true;
    if (reach == fw::TargetReach::Network || reach == fw::TargetReach::LocalRemovable) tellWhere();
    else OfferRemovalOf(host, item);
    return false;
}

// explorer.exe by its full path in the Windows folder: a bare name would be looked for in
// the program's folder first. "" when the Windows folder cannot be read.
std::wstring ExplorerPath() {
    wchar_t folder[MAX_PATH] = {};
    const UINT n = ::GetWindowsDirectoryW(folder, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return std::wstring();
    std::wstring path(folder, n);
    if (path.back() != L'\\') path += L'\\';
    return path + kExplorerExe;
}

void OpenFolderOf(ButtonWindowHost& host, const ButtonRecord& item) {
    const std::wstring explorer = ExplorerPath();
    if (explorer.empty()) return;  // nothing is started, and the button is not to blame
    const std::wstring params = ContainingFolderParams(item.PathName);
    const std::intptr_t r = Shell().Execute(0, kOpenVerb, explorer.c_str(), params.c_str(), nullptr, SW_SHOWNORMAL);
    if (IsShellFailure(r)) OfferRemovalOf(host, item);
}

}  // namespace

void CButtonEx::OfferRemoval() { OfferRemovalOf(host_, ButtonRecord(*this)); }

void CButtonEx::OpenItem() {
    // The shell may run a loop of its own in which this button goes: copies only.
    const std::function<void(std::int64_t)> opened = opened_;
    const std::int64_t id = ID;
    if (OpenRecord(host_, ButtonRecord(*this)) && opened) opened(id);
}

void CButtonEx::OpenContainingFolder() { OpenFolderOf(host_, ButtonRecord(*this)); }

void CButtonEx::ShowProperties() {
    const std::wstring path = PathName;
    Shell().ExecuteInvokeIdList(reinterpret_cast<std::uintptr_t>(hwnd_), kPropertiesVerb, path.c_str(),
                                SW_SHOWNORMAL);
}

void CButtonEx::EditItem() {
    RECT r{};
    ::GetWindowRect(hwnd_, &r);
    host_.EditButton(ID, r);
    // This button may have been deleted while the dialog was open: nothing touches it here.
}

void CButtonEx::DeleteItem() {
    host_.DeleteButton(ID);  // last step
}
