#include "dialogs/add_dialog_win.h"

#include <shlobj.h>

#include <cstdint>
#include <string>

#include "buttons/builtin_entries.h"
#include "buttons/icon_imaging_win.h"
#include "dialogs/add_dialog_logic.h"
#include "framework/display_win.h"
#include "framework/seams.h"
#include "framework/seams_win.h"
#include "framework/texts.h"
#include "store/button_table.h"

using namespace quorlin;

namespace {

// Room for any path SHGetPathFromIDListW writes (it assumes at least MAX_PATH).
constexpr int kShellPathChars = 512;
// The file chooser's result buffer: long enough for paths beyond MAX_PATH.
constexpr DWORD kFileNameChars = 4096;

// The folder browser's callback: preselect the folder that the target field named, and
// keep the status line showing the file-system path of the current selection.
int CALLBACK FolderBrowserCallback(HWND browser, UINT msg, LPARAM lp, LPARAM data) {
    switch (msg) {
        case BFFM_INITIALIZED:
            ::SendMessageW(browser, BFFM_SETSELECTIONW, TRUE, data);
            ::SendMessageW(browser, BFFM_SETSTATUSTEXTW, 0, data);
            ::SetWindowTextW(browser, Text(IDS_FOLDER_CAPTION).c_str());
            break;
        case BFFM_SELCHANGED: {
            wchar_t path[kShellPathChars] = {};
            if (!::SHGetPathFromIDListW(reinterpret_cast<PCIDLIST_ABSOLUTE>(lp), path)) path[0] = L'\0';
            ::SendMessageW(browser, BFFM_SETSTATUSTEXTW, 0, reinterpret_cast<LPARAM>(path));
            break;
        }
        default:
            break;
    }
    return 0;
}

void ShowControl(HWND dialog, int id, bool visible, bool enabled) {
    HWND control = ::GetDlgItem(dialog, id);
    if (!control) return;
    ::ShowWindow(control, visible ? SW_SHOW : SW_HIDE);
    ::EnableWindow(control, enabled ? TRUE : FALSE);
}

}  // namespace

CAddDlg::CAddDlg(AddDialogHost& host, const RECT& anchor, int kind, std::int64_t recordId)
    : host_(host), anchor_(anchor), kind_(kind), recordId_(recordId) {}
CAddDlg::~CAddDlg() = default;

int CAddDlg::PreviewSide() const { return ScaleByDpi(kIconImageSide, fw::WindowDpi(hwnd_)); }

bool CAddDlg::Record(ButtonRecord& record) const { return recordId_ != 0 && host_.FindRecord(recordId_, record); }

std::wstring CAddDlg::FieldText(int id) const { return fw::GetWindowTextString(::GetDlgItem(hwnd_, id)); }

void CAddDlg::ShowNotice(const std::wstring& text) {
    MessageBoxes().Show(reinterpret_cast<std::uintptr_t>(hwnd_), text, host_.AppName(), kMbOk);
}

// ---------------------------------------------------------------- initialisation

BOOL CAddDlg::OnInitDialog() {
    host_.PlaceBesideAnchor(hwnd_, anchor_);

    const bool editMode = recordId_ != 0;
    initialising_ = true;  // the texts put below raise EN_CHANGE; the preview is set afterwards
    if (editMode) {
        ::SetWindowTextW(hwnd_, AddDialogCaption(true).c_str());
        ButtonRecord button;
        if (Record(button)) {
            kind_ = recordKind_ = button.iType;
            // A shell entry's title is shown greyed and never written back (OK only closes):
            // a built-in one reads in the interface language.
            const std::wstring title = ConfirmActionFor(true, button.iType) == ConfirmAction::CloseOnly
                                           ? ShownTitle(button.iType, button.Title)
                                           : button.Title;
            ::SetDlgItemTextW(hwnd_, IDC_TITLE, title.c_str());
            ::SetDlgItemTextW(hwnd_, IDC_PATH, button.PathName.c_str());
            ::SetDlgItemTextW(hwnd_, IDC_PARA, button.Para.c_str());
            ::SetDlgItemTextW(hwnd_, IDC_ALIAS, button.Alias.c_str());
            // Our own copy: the button may be deleted while the dialog is still open.
            preview_ = host_.CopyButtonPicture(recordId_);
        }
    } else {
        ::SetWindowTextW(hwnd_, AddDialogCaption(false).c_str());
        preview_ = IconForItem(kind_, L"", L"", PreviewSide());
    }
    initialising_ = false;

    const AddDialogFields f = FieldsForKind(kind_);
    ShowControl(hwnd_, IDC_TITLE, f.titleVisible, f.titleEnabled);
    ShowControl(hwnd_, IDC_PATH_LABEL, f.targetLabelVisible, true);
    if (f.targetLabelText) ::SetDlgItemTextW(hwnd_, IDC_PATH_LABEL, f.targetLabelText->c_str());
    ShowControl(hwnd_, IDC_PATH, f.targetVisible, true);
    ShowControl(hwnd_, IDC_BROWSE, f.browseVisible, true);
    ShowControl(hwnd_, IDC_PARA_LABEL, f.paramsVisible, true);
    ShowControl(hwnd_, IDC_PARA, f.paramsVisible, f.paramsEnabled);

    // Rounded corners; the region belongs to the window from here on.
    RECT rc{};
    ::GetClientRect(hwnd_, &rc);
    ::SetWindowRgn(hwnd_, ::CreateRoundRectRgn(rc.left + 1, rc.top + 1, rc.right, rc.bottom, 8, 8), TRUE);

    HWND title = ::GetDlgItem(hwnd_, IDC_TITLE);
    ::SetFocus(title);
    ::SendMessageW(title, EM_SETSEL, 0, -1);
    ::SendMessageW(title, EM_SCROLLCARET, 0, 0);
    return FALSE;  // the focus was set here
}

// ---------------------------------------------------------------- painting and moving

LRESULT CAddDlg::OnPaint(WPARAM, LPARAM, bool&) {
    PAINTSTRUCT ps{};
    HDC dc = ::BeginPaint(hwnd_, &ps);
    if (dc && preview_) {
        Gdiplus::Graphics g(dc);
        g.SetSmoothingMode(Gdiplus::SmoothingModeHighQuality);
        const int dpi = fw::WindowDpi(hwnd_);
        const int x = ScaleByDpi(kPreviewOrigin.x, dpi), y = ScaleByDpi(kPreviewOrigin.y, dpi);
        if (dpi == kBaseDpi) {
            // At its own pixel size, whatever resolution the picture claims.
            g.DrawImage(preview_.get(), static_cast<INT>(x), static_cast<INT>(y),
                        static_cast<INT>(preview_->GetWidth()), static_cast<INT>(preview_->GetHeight()));
        } else {
            // Scaled with the dialog (a button's picture is a little larger than the preview).
            g.SetInterpolationMode(Gdiplus::InterpolationModeHighQualityBicubic);
            const int side = PreviewSide();
            g.DrawImage(preview_.get(), Gdiplus::Rect(x, y, side, side));
        }
    }
    ::EndPaint(hwnd_, &ps);
    return 0;
}

LRESULT CAddDlg::OnNcHitTest(WPARAM wp, LPARAM lp, bool&) {
    // The dialog's own surface drags it; borders and anything else keep their meaning.
    const LRESULT hit = ::DefWindowProcW(hwnd_, WM_NCHITTEST, wp, lp);
    return hit == HTCLIENT ? HTCAPTION : hit;
}

// ---------------------------------------------------------------- commands

BOOL CAddDlg::OnCommand(WPARAM wp, LPARAM) {
    if (LOWORD(wp) == IDC_PATH && HIWORD(wp) == EN_CHANGE) {
        OnTargetChanged();
        return TRUE;
    }
    // Only a click of the browse button browses.
    if (LOWORD(wp) == IDC_BROWSE && HIWORD(wp) != BN_CLICKED) return TRUE;
    return FALSE;
}

void CAddDlg::OnTargetChanged() {
    if (initialising_ || recordId_ == 0) return;
    ButtonRecord button;
    if (!Record(button)) return;  // deleted meanwhile: keep the last picture
    if (!TargetChangeRefreshesPreview(true, button.iType)) return;
    preview_ = IconForItem(button.iType, button.Title, FieldText(IDC_PATH), PreviewSide());
    const int dpi = fw::WindowDpi(hwnd_);
    const RECT area{ScaleByDpi(kPreviewRefreshArea.left, dpi), ScaleByDpi(kPreviewRefreshArea.top, dpi),
                    ScaleByDpi(kPreviewRefreshArea.right, dpi), ScaleByDpi(kPreviewRefreshArea.bottom, dpi)};
    ::InvalidateRect(hwnd_, &area, TRUE);
}

void CAddDlg::OnBrowse() {
    switch (BrowseActionFor(kind_)) {
        case BrowseAction::FileChooser: {
            std::wstring file(kFileNameChars, L'\0');
            OPENFILENAMEW ofn{};
            ofn.lStructSize = sizeof(ofn);
            ofn.hwndOwner = hwnd_;
            // One filter: its name, its pattern, and the empty entry that ends the list.
            const std::wstring filter = Text(IDS_FILE_FILTER) + L'\0' + L"*.*" + L'\0' + L'\0';
            ofn.lpstrFilter = filter.c_str();
            ofn.nFilterIndex = 1;
            ofn.lpstrFile = file.data();
            ofn.nMaxFile = kFileNameChars;
            ofn.Flags = OFN_EXPLORER | OFN_HIDEREADONLY;
            if (FileChooser().Open(&ofn)) {
                file.resize(wcslen(file.c_str()));
                ::SetDlgItemTextW(hwnd_, IDC_PATH, file.c_str());
            }
            break;
        }
        case BrowseAction::FolderChooser: {
            const std::wstring start = FieldText(IDC_PATH);
            wchar_t displayName[kShellPathChars] = {};
            BROWSEINFOW bi{};
            bi.hwndOwner = hwnd_;
            bi.pidlRoot = nullptr;
            bi.pszDisplayName = displayName;
            const std::wstring instruction = Text(IDS_FOLDER_INSTRUCTION);
            bi.lpszTitle = instruction.c_str();
            bi.ulFlags = BIF_RETURNONLYFSDIRS | BIF_STATUSTEXT;
            bi.lpfn = FolderBrowserCallback;
            bi.lParam = reinterpret_cast<LPARAM>(start.c_str());
            if (PIDLIST_ABSOLUTE chosen = ::SHBrowseForFolderW(&bi)) {
                wchar_t path[kShellPathChars] = {};
                if (::SHGetPathFromIDListW(chosen, path)) ::SetDlgItemTextW(hwnd_, IDC_PATH, path);
                ::CoTaskMemFree(chosen);
            }
            break;
        }
        case BrowseAction::None:
            break;
    }
}

void CAddDlg::OnConfirm() {
    const AddEditCheck check = ValidateAddEditInput(kind_, FieldText(IDC_TITLE), FieldText(IDC_PATH),
                                                    FieldText(IDC_PARA), FieldText(IDC_ALIAS));
    if (!check.ok) {
        ShowNotice(check.message);
        if (check.focusControl) ::SetFocus(::GetDlgItem(hwnd_, check.focusControl));
        return;
    }
    switch (ConfirmActionFor(recordId_ != 0, kind_)) {
        case ConfirmAction::AddButton:
            // Closes whatever the result: a duplicate address is a silent no-op.
            host_.AddButton(check.title, check.target, kind_, check.params, check.aliases);
            break;
        case ConfirmAction::CloseOnly: {
            // Only the aliases of a shell entry can change; its own fields stay as stored.
            ButtonRecord button;
            if (Record(button) && button.Alias != check.aliases && !Written(host_.UpdateAliases(recordId_, check.aliases)))
                return;
            EndDialog(IDOK);
            return;
        }
        case ConfirmAction::WriteRecord:
            if (!WriteRecord(check.title, check.target, check.params, check.aliases)) return;
            break;
    }
    host_.RequestRender();
    EndDialog(IDOK);
}

bool CAddDlg::WriteRecord(const std::wstring& title, const std::wstring& target, const std::wstring& params,
                          const std::wstring& aliases) {
    return Written(host_.UpdateButton(recordId_, title, target, params, aliases));
}

bool CAddDlg::Written(EditOutcome outcome) {
    switch (outcome) {
        case EditOutcome::Stored:
            return true;
        case EditOutcome::RowGone:
            ShowNotice(Text(IDS_ROW_GONE));
            return false;
        case EditOutcome::StoreFailed:
            break;  // silent; the dialog stays open. What was already stored stays stored.
    }
    return false;
}
