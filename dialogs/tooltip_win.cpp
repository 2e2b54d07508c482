#include "dialogs/tooltip_win.h"

// Placeholder while the bubble is being written: the window exists and stays hidden.
CToolTipDlg::CToolTipDlg() = default;
CToolTipDlg::~CToolTipDlg() = default;
bool CToolTipDlg::CreateHidden() {
    if (!Create(::GetDesktopWindow())) return false;
    ::ShowWindow(hwnd_, SW_HIDE);
    return true;
}
BOOL CToolTipDlg::OnInitDialog() { return TRUE; }
BOOL CToolTipDlg::PreTranslateMessage(MSG* msg) {
    return msg->message == WM_KEYDOWN && (msg->wParam == VK_ESCAPE || msg->wParam == VK_RETURN);
}
void CToolTipDlg::ShowTip(bool, const std::wstring&, int, int) {}
double CToolTipDlg::MeasureText(const std::wstring&) { return 0; }
void CToolTipDlg::RenderTip(const std::wstring&) {}
