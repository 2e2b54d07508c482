// The import preview: a modal window that lists every entry of an import file (title,
// kind, path, parameters, and why an entry is refused, refused ones in red) with "Import"
// and "Cancel". It adds nothing itself: the owner imports the previewed entries
// (ImportPreviewed) once DoModal returned IDOK. A file with a refused entry cannot be
// imported at all (as on the command line): Import stays greyed and Cancel is the default.
#pragma once

#include <windows.h>

#include <string>

#include "framework/window_win.h"
#include "res/resource.h"
#include "store/button_transfer.h"

class CImportPreviewDlg : public quorlin::fw::Dialog<CImportPreviewDlg> {
public:
    enum { IDD = IDD_IMPORT_PREVIEW };

    static const quorlin::fw::MessageMap<CImportPreviewDlg>& Messages() {
        static const quorlin::fw::MessageMap<CImportPreviewDlg> map = {
            {WM_NOTIFY, &CImportPreviewDlg::OnNotify},
        };
        return map;
    }
    static const quorlin::fw::CommandMap<CImportPreviewDlg>& Commands() {
        static const quorlin::fw::CommandMap<CImportPreviewDlg> map = {
            {IDOK, &CImportPreviewDlg::OnImport},
        };
        return map;
    }

    // The preview is read, not copied: it must outlive the dialog.
    explicit CImportPreviewDlg(const quorlin::ImportPreview& preview);

    BOOL OnInitDialog() override;
    void OnImport();

    // True once the user chose Import (a modal dialog then returns IDOK).
    bool Agreed() const { return agreed_; }

private:
    // The list asks for each cell it draws (it holds no copy of 200,000 entries), and
    // draws refused entries in red.
    LRESULT OnNotify(WPARAM, LPARAM, bool& handled);

    const quorlin::ImportPreview& preview_;
    bool agreed_ = false;
};
