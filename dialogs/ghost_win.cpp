#include "dialogs/ghost_win.h"

#include <windowsx.h>

#include "dialogs/ghost_logic.h"

using namespace quorlin;

namespace {

Rect ToRect(const RECT& r) { return Rect{r.left, r.top, r.right, r.bottom}; }
RECT ToRECT(const Rect& r) { return RECT{r.left, r.top, r.right, r.bottom}; }

Gdiplus::Color Argb(std::uint32_t argb) { return Gdiplus::Color(static_cast<Gdiplus::ARGB>(argb)); }

// Draws a picture at its natural pixel size (not at its resolution's physical size).
void DrawNatural(Gdiplus::Graphics& g, Gdiplus::Image& picture, int x, int y) {
    g.DrawImage(&picture, static_cast<INT>(x), static_cast<INT>(y), static_cast<INT>(picture.GetWidth()),
                static_cast<INT>(picture.GetHeight()));
}

}  // namespace

CDelDlg::CDelDlg(GhostHost& host, int iconHalf, std::wstring appDir)
    : host_(host), appDir_(std::move(appDir)), iconHalfSize_(iconHalf) {
    fw::LoadPngResource(IDB_LABEL_DELETE, deleteLabel_);
    fw::LoadPngResource(IDB_LABEL_MOVE, moveLabel_);
    fw::LoadPngResource(IDB_BADGE_LOCKED, lockedBadge_);
}

CDelDlg::~CDelDlg() {
    if (dragging_ && hwnd_ && ::GetCapture() == hwnd_) {
        dragging_ = false;
        ::ReleaseCapture();
    }
}

Gdiplus::Image* CDelDlg::Image() const {
    Gdiplus::Image* picture = nullptr;
    if (draggedId_ < 0 || !host_.FindPicture(draggedId_, picture)) return nullptr;
    return picture;
}

bool CDelDlg::CreateHidden() {
    if (!Create(::GetDesktopWindow())) return false;
    ::ShowWindow(hwnd_, SW_HIDE);
    return true;
}

BOOL CDelDlg::OnInitDialog() {
    ModifyStyleEx(0, WS_EX_LAYERED);
    // No taskbar entry.
    ModifyStyleEx(WS_EX_APPWINDOW | WS_EX_DLGMODALFRAME, WS_EX_LAYERED | WS_EX_TOOLWINDOW);
    return TRUE;
}

BOOL CDelDlg::PreTranslateMessage(MSG* msg) {
    // Escape and Enter would end the dialog.
    return msg->message == WM_KEYDOWN && (msg->wParam == VK_ESCAPE || msg->wParam == VK_RETURN);
}

// ---------------------------------------------------------------- the drag

void CDelDlg::StartDrag(std::int64_t id, int x, int y) {
    outside_ = false;
    const Rect r = GhostRectAtCursor(x, y);
    ::MoveWindow(hwnd_, r.left, r.top, r.Width(), r.Height(), TRUE);
    ::ShowWindow(hwnd_, SW_SHOWNA);
    if (id != draggedId_) {
        draggedId_ = id;
        RenderGhost(-1);
    }
    // The physical button is still down over the launcher button. Rather than inject a
    // second press and hope it reaches us, take the capture now, grabbed at our centre,
    // which is where the cursor is.
    dragging_ = true;
    grabPoint_ = POINT{kGhostWidth / 2, kGhostHeight / 2};
    ::SetCapture(hwnd_);
    host_.RequestRender();  // the panel draws itself without the lifted button
}

LRESULT CDelDlg::OnLButtonDown(WPARAM, LPARAM lp, bool& handled) {
    dragging_ = true;
    ::SetCapture(hwnd_);
    grabPoint_ = POINT{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
    handled = false;
    return 0;
}

LRESULT CDelDlg::OnMouseMove(WPARAM, LPARAM lp, bool& handled) {
    handled = false;
    if (!dragging_) return 0;
    Gdiplus::Image* picture = nullptr;
    if (!host_.FindPicture(draggedId_, picture)) {
        // The button went while it was carried (another window deleted it): the drag ends.
        dragging_ = false;
        if (::GetCapture() == hwnd_) ::ReleaseCapture();
        EndDrag();
        return 0;
    }

    RECT window{};
    ::GetWindowRect(hwnd_, &window);
    const Rect moved = FollowCursor(ToRect(window), Point{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)},
                                    Point{grabPoint_.x, grabPoint_.y});
    ::MoveWindow(hwnd_, moved.left, moved.top, moved.Width(), moved.Height(), TRUE);

    RECT panelRect{};
    if (!host_.PanelScreenRect(panelRect)) return 0;
    const GhostMove move = TrackGhostMove(outside_, moved, ToRect(panelRect), iconHalfSize_);
    outside_ = move.outside;
    if (move.redraw) RenderGhost(-1);
    if (move.swapRect) host_.SwapWhileDragging(ToRECT(*move.swapRect), draggedId_);
    return 0;
}

LRESULT CDelDlg::OnLButtonUp(WPARAM, LPARAM, bool&) {
    // Cleared before the release, so that the capture change it causes is not a cancel.
    dragging_ = false;
    ::ReleaseCapture();
    if (ShouldDeleteOnDrop(outside_, draggedId_)) {
        if (host_.DeleteButton(draggedId_)) PlayExplosion();
    }
    EndDrag();
    return 0;  // the drop is ours alone
}

LRESULT CDelDlg::OnRButtonDown(WPARAM, LPARAM, bool& handled) {
    // Cancel. Swaps already made stay made.
    dragging_ = false;
    if (::GetCapture() == hwnd_) ::ReleaseCapture();
    EndDrag();
    handled = false;
    return 0;
}

LRESULT CDelDlg::OnCaptureChanged(WPARAM, LPARAM lp, bool& handled) {
    handled = false;
    // Another window took the mouse in the middle of a drag (a menu, a system dialog,
    // a focus change): treat it as a cancel, or the ghost would hang under nobody's cursor.
    if (dragging_ && reinterpret_cast<HWND>(lp) != hwnd_) {
        dragging_ = false;
        EndDrag();
    }
    return 0;
}

void CDelDlg::EndDrag() {
    outside_ = false;
    draggedId_ = -1;
    ::ShowWindow(hwnd_, SW_HIDE);
    host_.RequestRender();
}

void CDelDlg::PlayExplosion() {
    // Blocks the interface thread for the six frames; the remove sound plays on meanwhile.
    for (int frame = 0; frame < kExplosionFrameCount; ++frame) {
        RenderGhost(frame);
        ::Sleep(kExplosionFrameDelayMs);
    }
}

// ---------------------------------------------------------------- the picture

bool CDelDlg::ComposeGhost(fw::LayeredCanvas& canvas, int frame) {
    if (!canvas.Ok()) return false;
    Gdiplus::Graphics g(canvas.MemoryDC());
    g.SetSmoothingMode(Gdiplus::SmoothingModeHighQuality);
    const Rect client{0, 0, canvas.Width(), canvas.Height()};

    if (frame >= 0) {
        const std::wstring path = ExplosionFramePath(appDir_, frame);
        Gdiplus::Image picture(path.c_str());  // released at the end of this scope
        if (picture.GetLastStatus() != Gdiplus::Ok || picture.GetWidth() == 0) return false;
        const Point origin = ExplosionFrameOrigin(client);
        DrawNatural(g, picture, origin.x, origin.y);
        return true;
    }

    const GhostPicture plan = PlanGhostPicture(outside_, draggedId_, iconHalfSize_, client);
    // Almost invisible, yet it makes the icon area of the layered window catch the mouse.
    Gdiplus::SolidBrush hitBrush(Argb(kGhostHitDiscArgb));
    g.FillEllipse(&hitBrush, plan.hitDisc.x, plan.hitDisc.y, plan.hitDisc.width, plan.hitDisc.height);

    Gdiplus::Image* label = nullptr;
    switch (plan.label) {
        case GhostLabel::Move: label = moveLabel_.get(); break;
        case GhostLabel::Delete: label = deleteLabel_.get(); break;
        case GhostLabel::LockedBadge: label = lockedBadge_.get(); break;
    }
    if (label) DrawNatural(g, *label, plan.labelTopLeft.x, plan.labelTopLeft.y);

    if (Gdiplus::Image* picture = Image())
        g.DrawImage(picture, Gdiplus::RectF(plan.icon.x, plan.icon.y, plan.icon.width, plan.icon.height));
    return true;
}

void CDelDlg::RenderGhost(int frame) {
    if (!hwnd_) return;
    RECT rc{};
    ::GetClientRect(hwnd_, &rc);
    fw::LayeredCanvas canvas(hwnd_, rc.right - rc.left, rc.bottom - rc.top);
    const bool drew = ComposeGhost(canvas, frame);
    canvas.PushTo(hwnd_);
    ++renderCount_;
    lastFrame_ = frame;
    if (frame >= 0 && drew) ++explosionFramesDrawn_;
}
