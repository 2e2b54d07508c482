// The drag ghost: a small top-most layered window that carries a dragged button's icon
// under the cursor, reorders the ring over the band and deletes the button with an
// explosion when it is dropped off the ring.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>

#include "framework/gdiplus_win.h"
#include "framework/window_win.h"
#include "res/resource.h"

namespace quorlin::testing {
struct Probe;
}

// What the ghost asks of the window that owns it (the panel), handed to it when it is made.
class GhostHost {
public:
    virtual ~GhostHost() = default;
    // The owner's window rectangle on screen; false while it has no window.
    virtual bool PanelScreenRect(RECT& r) const = 0;
    // Over the ring band: swap the dragged button with the first eligible one under the
    // ghost's screen rectangle; true when the ring changed.
    virtual bool SwapWhileDragging(const RECT& ghost, std::int64_t draggedId) = 0;
    // Deletes the button (row, window, ring, picture); true when it is gone.
    virtual bool DeleteButton(std::int64_t id) = 0;
    // Asks for a new composition of the owner's picture (posted, done later).
    virtual void RequestRender() = 0;
    // The picture of the button with this ID (null when it has none); false when there is
    // no such button (deleted meanwhile).
    virtual bool FindPicture(std::int64_t id, Gdiplus::Image*& picture) const = 0;
};

class CDelDlg : public quorlin::fw::Dialog<CDelDlg> {
public:
    enum { IDD = IDD_GHOST };

    static const quorlin::fw::MessageMap<CDelDlg>& Messages() {
        static const quorlin::fw::MessageMap<CDelDlg> map = {
            {WM_LBUTTONDOWN, &CDelDlg::OnLButtonDown},
            {WM_MOUSEMOVE, &CDelDlg::OnMouseMove},
            {WM_LBUTTONUP, &CDelDlg::OnLButtonUp},
            {WM_RBUTTONDOWN, &CDelDlg::OnRButtonDown},
            {WM_CAPTURECHANGED, &CDelDlg::OnCaptureChanged},
        };
        return map;
    }

    // appDir: the folder whose Img\ holds the explosion frames.
    CDelDlg(GhostHost& host, int iconHalf, std::wstring appDir);
    ~CDelDlg() override;

    // Creates the window from its template with the desktop as parent, hidden.
    bool CreateHidden();
    BOOL OnInitDialog() override;
    BOOL PreTranslateMessage(MSG* msg) override;

    // Lifts a button: shows the ghost centred on the cursor (screen x, y) and takes the
    // mouse capture, as if the ghost had been pressed right there. The button's picture is
    // found through the host by ID whenever it is drawn, never kept: a button deleted
    // during the drag ends the drag.
    void StartDrag(std::int64_t id, int x, int y);
    // frame -1: the ghost picture; 0 to 5: an explosion frame.
    void RenderGhost(int frame);
    // Draws what RenderGhost would push onto a canvas of the ghost's client size.
    // Returns true when something from the frame's picture was drawn (an explosion
    // frame whose file could be read, or the ghost picture).
    bool ComposeGhost(quorlin::fw::LayeredCanvas& canvas, int frame);

    // The button carried, -1 when idle; its picture, the button's own (null when none).
    std::int64_t DraggedId() const { return draggedId_; }
    Gdiplus::Image* Image() const;
    bool Dragging() const { return dragging_; }
    bool Outside() const { return outside_; }
    POINT GrabPoint() const { return grabPoint_; }
    int IconHalfSize() const { return iconHalfSize_; }
    Gdiplus::Image* DeleteLabel() const { return deleteLabel_.get(); }
    Gdiplus::Image* MoveLabel() const { return moveLabel_.get(); }
    Gdiplus::Image* LockedBadge() const { return lockedBadge_.get(); }
    // Pictures pushed to the window (explosion frames included), the last frame pushed,
    // and the explosion frames whose picture file was found and drawn.
    int RenderCount() const { return renderCount_; }
    int LastFrame() const { return lastFrame_; }
    int ExplosionFramesDrawn() const { return explosionFramesDrawn_; }

private:
    friend struct quorlin::testing::Probe;  // the tests' way to set state the mouse would
    GhostHost& host_;
    const std::wstring appDir_;
    bool dragging_ = false;
    POINT grabPoint_{0, 0};
    bool outside_ = false;
    int iconHalfSize_;
    std::unique_ptr<Gdiplus::Image> deleteLabel_, moveLabel_, lockedBadge_;
    std::int64_t draggedId_ = -1;
    int renderCount_ = 0;
    int lastFrame_ = -2;
    int explosionFramesDrawn_ = 0;

    LRESULT OnLButtonDown(WPARAM, LPARAM, bool& handled);
    LRESULT OnMouseMove(WPARAM, LPARAM, bool& handled);
    LRESULT OnLButtonUp(WPARAM, LPARAM, bool& handled);
    LRESULT OnRButtonDown(WPARAM, LPARAM, bool& handled);
    LRESULT OnCaptureChanged(WPARAM, LPARAM, bool& handled);
    // Back to idle: forget the button, hide, and let the panel draw it (or its gap) again.
    void EndDrag();
    void PlayExplosion();
};
