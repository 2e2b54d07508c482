// The add/edit dialog: a small modal window to type a new web address or to change a
// button's title, target and parameters, with a live preview of the icon.
#pragma once

#include <cstdint>
#include <windows.h>

#include <memory>
#include <string>

#include "framework/gdiplus_win.h"
#include "framework/window_win.h"
#include "res/resource.h"

class CButtonEx;

class CAddDlg : public quorlin::fw::Dialog<CAddDlg> {
public:
    enum { IDD = IDD_ADD };

    static const quorlin::fw::MessageMap<CAddDlg>& Messages() {
        static const quorlin::fw::MessageMap<CAddDlg> map = {
            {WM_PAINT, &CAddDlg::OnPaint},
            {WM_NCHITTEST, &CAddDlg::OnNcHitTest},
        };
        return map;
    }
    static const quorlin::fw::CommandMap<CAddDlg>& Commands() {
        static const quorlin::fw::CommandMap<CAddDlg> map = {
            {IDC_BROWSE, &CAddDlg::OnBrowse},
            {IDOK, &CAddDlg::OnConfirm},
        };
        return map;
    }

    CAddDlg();
    ~CAddDlg() override;

    BOOL OnInitDialog() override;
    BOOL OnCommand(WPARAM wp, LPARAM lp) override;  // EN_CHANGE of the target field

    // Edit mode: the button whose record is edited. The dialog keeps only its ID and finds
    // the button again through the panel whenever it needs it, so a button deleted while
    // the dialog is open is never touched.
    void SetRecord(const CButtonEx* button);

    RECT anchor{0, 0, 0, 0};
    int kind = -1;       // the ItemKind shown: 4 in add mode, the record's iType in edit mode
    std::int64_t recordId = 0;    // 0 in add mode
    std::unique_ptr<Gdiplus::Image> preview;  // always the dialog's own copy

    void OnTargetChanged();
    void OnBrowse();
    void OnConfirm();

private:
    LRESULT OnPaint(WPARAM, LPARAM, bool& handled);
    LRESULT OnNcHitTest(WPARAM, LPARAM, bool& handled);
    // The edited button as the panel has it now, or null (add mode, or deleted meanwhile).
    // Never kept across a message: every use looks it up again.
    CButtonEx* Record() const;
    std::wstring FieldText(int id) const;
    // A notice owned by the dialog, captioned with the application's name.
    void ShowNotice(const std::wstring& text);
    // The store part of an edit; false leaves the dialog open.
    bool WriteRecord(const std::wstring& title, const std::wstring& target, const std::wstring& params);
    int recordKind_ = -1;       // the record's iType when the dialog opened (-1 in add mode)
    bool initialising_ = false;  // the texts put by OnInitDialog do not rebuild the preview
};
