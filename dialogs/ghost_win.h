// The drag ghost: a small top-most layered window that carries a dragged button's icon
// under the cursor, reorders the ring over the band and deletes the button with an
// explosion when it is dropped off the ring.
#pragma once

#include <cstdint>
#include <windows.h>

#include <memory>

#include "framework/gdiplus_win.h"
#include "framework/window_win.h"
#include "res/resource.h"

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

    explicit CDelDlg(int iconHalf);
    ~CDelDlg() override;

    // Creates the window from its template with the desktop as parent, hidden.
    bool CreateHidden();
    BOOL OnInitDialog() override;
    BOOL PreTranslateMessage(MSG* msg) override;

    // Lifts a button: shows the ghost centred on the cursor (screen x, y) and takes the
    // mouse capture, as if the ghost had been pressed right there.
    void StartDrag(std::int64_t id, Gdiplus::Image* buttonImage, int x, int y);
    // frame -1: the ghost picture; 0 to 5: an explosion frame.
    void RenderGhost(int frame);
    // Draws what RenderGhost would push onto a canvas of the ghost's client size.
    // Returns true when something from the frame's picture was drawn (an explosion
    // frame whose file could be read, or the ghost picture).
    bool ComposeGhost(quorlin::fw::LayeredCanvas& canvas, int frame);

    Gdiplus::Image* image = nullptr;  // borrowed from the dragged button, never freed here
    bool dragging = false;
    POINT grabPoint{0, 0};
    bool outside = false;
    int iconHalfSize;
    std::unique_ptr<Gdiplus::Image> deleteLabel, moveLabel, lockedBadge;
    std::int64_t draggedId = -1;

    int renderCount = 0;           // pictures pushed to the window, explosion frames included (for tests)
    int lastFrame = -2;            // the last frame pushed
    int explosionFramesDrawn = 0;  // explosion frames whose picture file was found and drawn

private:
    LRESULT OnLButtonDown(WPARAM, LPARAM, bool& handled);
    LRESULT OnMouseMove(WPARAM, LPARAM, bool& handled);
    LRESULT OnLButtonUp(WPARAM, LPARAM, bool& handled);
    LRESULT OnRButtonDown(WPARAM, LPARAM, bool& handled);
    LRESULT OnCaptureChanged(WPARAM, LPARAM, bool& handled);
    // Back to idle: forget the button, hide, and let the panel draw it (or its gap) again.
    void EndDrag();
    void PlayExplosion();
};
