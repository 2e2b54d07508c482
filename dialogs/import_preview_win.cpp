#include "dialogs/import_preview_win.h"

#include <commctrl.h>

#include "dialogs/import_preview_logic.h"
#include "framework/late_library_win.h"

using namespace quorlin;

// comctl32 only when a preview is shown: an import of the program's start would load it (and
// its themes) before every first frame.
namespace late {
QUORLIN_LATE_PROC(L"comctl32.dll", InitCommonControlsEx)
}  // namespace late

CImportPreviewDlg::CImportPreviewDlg(const ImportPreview& preview) : preview_(preview) {
    // The list view's window class, before the template makes one.
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_LISTVIEW_CLASSES};
    late::InitCommonControlsEx(&icc);
}

BOOL CImportPreviewDlg::OnInitDialog() {
    ::SetDlgItemTextW(hwnd_, IDC_IMPORT_SUMMARY, ImportSummary(preview_).c_str());
    HWND list = ::GetDlgItem(hwnd_, IDC_IMPORT_LIST);
    ListView_SetExtendedListViewStyle(list, LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
    RECT client{};
    ::GetClientRect(list, &client);
    const int width = client.right - ::GetSystemMetrics(SM_CXVSCROLL);
    static const int kShares[kPreviewColumns] = {16, 10, 30, 12, 32};  // percent of the width
    for (int c = 0; c < kPreviewColumns; ++c) {
        std::wstring name = PreviewColumnName(c);
        LVCOLUMNW column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
        column.pszText = name.data();
        column.cx = width * kShares[c] / 100;
        column.iSubItem = c;
        ListView_InsertColumn(list, c, &column);
    }
    ListView_SetItemCountEx(list, static_cast<int>(preview_.entries.size()), LVSICF_NOINVALIDATEALL);
    if (preview_.ok) return TRUE;
    ::EnableWindow(::GetDlgItem(hwnd_, IDOK), FALSE);
    ::SendMessageW(hwnd_, DM_SETDEFID, IDCANCEL, 0);
    ::SetFocus(::GetDlgItem(hwnd_, IDCANCEL));
    return FALSE;  // the focus is set
}

void CImportPreviewDlg::OnImport() {
    if (!preview_.ok) return;  // Enter while Import is greyed
    agreed_ = true;
    EndDialog(IDOK);
}

LRESULT CImportPreviewDlg::OnNotify(WPARAM, LPARAM lp, bool& handled) {
    const auto* header = reinterpret_cast<const NMHDR*>(lp);
    if (header->idFrom != IDC_IMPORT_LIST) {
        handled = false;
        return 0;
    }
    if (header->code == LVN_GETDISPINFOW) {
        LVITEMW& item = reinterpret_cast<NMLVDISPINFOW*>(lp)->item;
        if ((item.mask & LVIF_TEXT) && item.pszText && item.cchTextMax > 0 && item.iItem >= 0 &&
            static_cast<size_t>(item.iItem) < preview_.entries.size()) {
            const std::wstring text = PreviewCell(preview_.entries[item.iItem], item.iSubItem);
            ::lstrcpynW(item.pszText, text.c_str(), item.cchTextMax);
        }
        return 0;
    }
    if (header->code == NM_CUSTOMDRAW) {
        auto* draw = reinterpret_cast<NMLVCUSTOMDRAW*>(lp);
        if (draw->nmcd.dwDrawStage == CDDS_PREPAINT) return CDRF_NOTIFYITEMDRAW;
        if (draw->nmcd.dwDrawStage == CDDS_ITEMPREPAINT && draw->nmcd.dwItemSpec < preview_.entries.size() &&
            !preview_.entries[draw->nmcd.dwItemSpec].refusal.empty())
            draw->clrText = RGB(192, 0, 0);
        return CDRF_DODEFAULT;
    }
    handled = false;
    return 0;
}
