#include "dialogs/ghost_win.h"

// Placeholder while the ghost is being written: the window exists and stays hidden.
CDelDlg::CDelDlg(int iconHalf) : iconHalfSize(iconHalf) {}
CDelDlg::~CDelDlg() = default;
bool CDelDlg::CreateHidden() {
    if (!Create(::GetDesktopWindow())) return false;
    ::ShowWindow(hwnd_, SW_HIDE);
    return true;
}
BOOL CDelDlg::OnInitDialog() { return TRUE; }
BOOL CDelDlg::PreTranslateMessage(MSG* msg) {
    return msg->message == WM_KEYDOWN && (msg->wParam == VK_ESCAPE || msg->wParam == VK_RETURN);
}
void CDelDlg::StartDrag(int, Gdiplus::Image*, int, int) {}
void CDelDlg::RenderGhost(int) {}
LRESULT CDelDlg::OnLButtonDown(WPARAM, LPARAM, bool& handled) { handled = false; return 0; }
LRESULT CDelDlg::OnMouseMove(WPARAM, LPARAM, bool& handled) { handled = false; return 0; }
LRESULT CDelDlg::OnLButtonUp(WPARAM, LPARAM, bool& handled) { handled = false; return 0; }
LRESULT CDelDlg::OnRButtonDown(WPARAM, LPARAM, bool& handled) { handled = false; return 0; }
LRESULT CDelDlg::OnCaptureChanged(WPARAM, LPARAM, bool& handled) { handled = false; return 0; }
void CDelDlg::EndDrag() {}
