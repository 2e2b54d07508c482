#include "dialogs/add_dialog_win.h"

#include "app/quorlin_app_win.h"
#include "buttons/button_window_win.h"
#include "panel/panel_window_win.h"

// Placeholder while the dialog is being written.
CAddDlg::CAddDlg() = default;
CAddDlg::~CAddDlg() = default;
BOOL CAddDlg::OnInitDialog() { return TRUE; }
BOOL CAddDlg::OnCommand(WPARAM, LPARAM) { return FALSE; }
void CAddDlg::SetRecord(const CButtonEx* button) { recordId = button ? button->ID : 0; }
void CAddDlg::OnTargetChanged() {}
void CAddDlg::OnBrowse() {}
void CAddDlg::OnConfirm() { EndDialog(IDOK); }
LRESULT CAddDlg::OnPaint(WPARAM, LPARAM, bool& handled) { handled = false; return 0; }
LRESULT CAddDlg::OnNcHitTest(WPARAM, LPARAM, bool& handled) { handled = false; return 0; }
CButtonEx* CAddDlg::Record() const { return theApp().mainWnd ? theApp().mainWnd->FindButton(recordId) : nullptr; }
