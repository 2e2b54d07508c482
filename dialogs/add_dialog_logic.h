// Field layout, caption and input checks of the add/edit dialog (CAddDlg), free of window code.
#pragma once
#include <optional>
#include <string>

#include "framework/geometry.h"

namespace quorlin {

// Control ids of dialog 149 that the rules below name.
constexpr int kTitleEditId = 1000;
constexpr int kParamsEditId = 1001;
constexpr int kTargetEditId = 1002;
constexpr int kBrowseButtonId = 1003;
constexpr int kParamsLabelId = 1004;
constexpr int kTargetLabelId = 1005;
constexpr int kAliasEditId = 1008;

// Where the icon preview is drawn and the client area invalidated when it changes (client pixels).
constexpr Point kPreviewOrigin{300, 20};
constexpr Rect kPreviewRefreshArea{300, 20, 460, 140};

// What the browse button 1003 opens.
enum class BrowseAction { None, FileChooser, FolderChooser };

// How OnInitDialog leaves the controls for one kind. "Visible" and "enabled" are separate
// because some fields are hidden and also disabled, and the ShellEntry title is shown disabled.
struct AddDialogFields {
    bool titleVisible = true;                    // 1000
    bool titleEnabled = true;                    // 1000
    bool targetLabelVisible = true;              // 1005
    std::optional<std::wstring> targetLabelText; // 1005; nullopt = keep the template's text
    bool targetVisible = true;                   // 1002
    bool browseVisible = true;                   // 1003
    bool paramsVisible = true;                   // label 1004 and edit 1001
    bool paramsEnabled = true;                   // edit 1001
};

// Field states for an ItemKind code (any code, unknown ones included).
AddDialogFields FieldsForKind(int kind);

// What the browse button does for a kind.
BrowseAction BrowseActionFor(int kind);

// Window text: "修改" (Edit) in edit mode, "添加" (Add) in add mode.
// When the edited row has gone from the table the dialog says Text(IDS_ROW_GONE).
std::wstring AddDialogCaption(bool editMode);

// Result of the OK checks: trimmed values when ok, else the message and the control to focus.
struct AddEditCheck {
    bool ok = false;
    std::wstring title;
    std::wstring target;
    std::wstring params;
    std::wstring aliases;  // the button's words of its own (every kind has them)
    std::wstring message;  // empty when ok
    int focusControl = 0;  // kTitleEditId, kTargetEditId, kParamsEditId, or 0 = leave the focus where it is
};

// Runs the OK checks in order: title (present, at most kMaxTitleLength), target (present),
// the http(s) prefix for Url (4) only, the target's length, the parameters' length, then
// the aliases' length (store/button_table.h's and store/alias_table.h's limits; a text over
// one is refused with its message).
AddEditCheck ValidateAddEditInput(int kind, const std::wstring& title, const std::wstring& target,
                                  const std::wstring& params, const std::wstring& aliases = L"");

// What OK does once the input passed: add a row, only close (ShellEntry edit), or rewrite the row.
enum class ConfirmAction { AddButton, CloseOnly, WriteRecord };
ConfirmAction ConfirmActionFor(bool editMode, int kind);

// True when a change of the target text must rebuild the preview (edit mode, not a web address).
bool TargetChangeRefreshesPreview(bool editMode, int recordKind);

}  // namespace quorlin
