// The add/edit dialog: a small modal window to type a new web address or to change a
// button's title, target and parameters, with a live preview of the icon.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>

#include "framework/gdiplus_win.h"
#include "framework/window_win.h"
#include "panel/button_collection.h"
#include "res/resource.h"
#include "store/button_table.h"

// What the dialog asks of the window that owns it (the panel), handed to it when it is made.
class AddDialogHost {
public:
    virtual ~AddDialogHost() = default;
    // The fields of the button with this ID as the owner has them now; false when it is gone.
    virtual bool FindRecord(std::int64_t id, quorlin::ButtonRecord& record) const = 0;
    // A copy of that button's picture for the dialog to keep, or null.
    virtual std::unique_ptr<Gdiplus::Image> CopyButtonPicture(std::int64_t id) const = 0;
    // Adds a button with its aliases (a duplicate is a silent no-op).
    virtual bool AddButton(const std::wstring& title, const std::wstring& path, int kind,
                           const std::wstring& para, const std::wstring& alias) = 0;
    // Stores the edited fields and aliases of a row and refreshes its button.
    virtual quorlin::EditOutcome UpdateButton(std::int64_t id, const std::wstring& title, const std::wstring& path,
                                              const std::wstring& para, const std::wstring& alias) = 0;
    // Stores only the aliases of a row (a shell entry's).
    virtual quorlin::EditOutcome UpdateAliases(std::int64_t id, const std::wstring& alias) = 0;
    // Asks for a new composition of the owner's picture (posted, done later).
    virtual void RequestRender() = 0;
    // Moves a window beside the anchor rectangle, kept on screen.
    virtual void PlaceBesideAnchor(HWND window, const RECT& anchor) = 0;
    // The caption of the dialog's notices: the application's name.
    virtual const std::wstring& AppName() const = 0;
};

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

    // kind: the ItemKind to add (add mode), or -1 with the ID of the button to edit.
    CAddDlg(AddDialogHost& host, const RECT& anchor, int kind, std::int64_t recordId = 0);
    ~CAddDlg() override;

    BOOL OnInitDialog() override;
    BOOL OnCommand(WPARAM wp, LPARAM lp) override;  // EN_CHANGE of the target field

    // The ItemKind shown: the one to add, or the record's iType in edit mode.
    int Kind() const { return kind_; }
    // The picture shown, always the dialog's own copy.
    Gdiplus::Image* Preview() const { return preview_.get(); }

    void OnTargetChanged();
    void OnBrowse();
    void OnConfirm();

private:
    LRESULT OnPaint(WPARAM, LPARAM, bool& handled);
    LRESULT OnNcHitTest(WPARAM, LPARAM, bool& handled);
    // The edited button's fields as the panel has them now; false in add mode or when it
    // was deleted meanwhile. Never kept across a message: every use asks again. The dialog
    // keeps only the ID, so a button deleted while it is open is never touched.
    bool Record(quorlin::ButtonRecord& record) const;
    std::wstring FieldText(int id) const;
    // The preview's side: 48 at 96 DPI, scaled with the dialog.
    int PreviewSide() const;
    // A notice owned by the dialog, captioned with the application's name.
    void ShowNotice(const std::wstring& text);
    // The store part of an edit; false leaves the dialog open.
    bool WriteRecord(const std::wstring& title, const std::wstring& target, const std::wstring& params,
                     const std::wstring& aliases);
    bool Written(quorlin::EditOutcome outcome);
    AddDialogHost& host_;
    const RECT anchor_;
    int kind_;
    const std::int64_t recordId_;  // 0 in add mode
    std::unique_ptr<Gdiplus::Image> preview_;
    int recordKind_ = -1;       // the record's iType when the dialog opened (-1 in add mode)
    bool initialising_ = false;  // the texts put by OnInitDialog do not rebuild the preview
};
