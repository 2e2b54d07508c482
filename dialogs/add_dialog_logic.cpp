#include "dialogs/add_dialog_logic.h"

#include "framework/text.h"
#include "framework/texts.h"
#include "store/alias_table.h"
#include "store/button_table.h"
#include "store/entry_rules.h"

namespace quorlin {

AddDialogFields FieldsForKind(int kind) {
    AddDialogFields f;  // every control shown: the File layout and the fallback for unknown codes
    switch (kind) {
        case ItemKind::File:
            f.targetLabelText = Text(IDS_LABEL_FILE);
            break;
        case ItemKind::BrowserUrl:
            f.targetLabelText = Text(IDS_LABEL_URL);
            f.browseVisible = false;
            f.paramsVisible = false;
            break;
        case ItemKind::Folder:
            f.targetLabelText = Text(IDS_LABEL_FOLDER);
            f.paramsVisible = false;
            f.paramsEnabled = false;
            break;
        case ItemKind::ShellEntry:
            // A namespace path cannot be edited meaningfully: only the title is left, greyed.
            f.titleEnabled = false;
            f.targetLabelVisible = false;
            f.targetVisible = false;
            f.browseVisible = false;
            f.paramsVisible = false;
            break;
        case ItemKind::Url:
            f.targetLabelText = Text(IDS_LABEL_URL);
            f.browseVisible = false;
            f.paramsVisible = false;
            f.paramsEnabled = false;
            break;
        default:
            break;
    }
    return f;
}

BrowseAction BrowseActionFor(int kind) {
    if (kind == ItemKind::File) return BrowseAction::FileChooser;
    if (kind == ItemKind::Folder) return BrowseAction::FolderChooser;
    return BrowseAction::None;
}

std::wstring AddDialogCaption(bool editMode) {
    return Text(editMode ? IDS_EDIT_CAPTION : IDS_ADD_CAPTION);
}

AddEditCheck ValidateAddEditInput(int kind, const std::wstring& title, const std::wstring& target,
                                  const std::wstring& params, const std::wstring& aliases) {
    AddEditCheck r;
    r.title = Trim(title);
    if (r.title.empty()) {
        r.message = Text(IDS_NEED_TITLE);
        r.focusControl = kTitleEditId;
        return r;
    }
    if (LengthInUtf16Units(r.title) > kMaxTitleLength) {
        r.message = FillIn(Text(IDS_TITLE_TOO_LONG), {std::to_wstring(kMaxTitleLength)});
        r.focusControl = kTitleEditId;
        return r;
    }
    r.target = Trim(target);
    if (r.target.empty()) {
        r.message = Text(IDS_NEED_TARGET);
        r.focusControl = kTargetEditId;
        return r;
    }
    // Only a typed web address is checked, by the rule an imported one passes too.
    if (kind == ItemKind::Url && !IsWebAddress(r.target)) {
        r.message = Text(IDS_NEED_HTTP);
        return r;
    }
    if (LengthInUtf16Units(r.target) > kMaxPathLength) {
        r.message = FillIn(Text(IDS_TARGET_TOO_LONG), {std::to_wstring(kMaxPathLength)});
        r.focusControl = kTargetEditId;
        return r;
    }
    r.params = Trim(params);
    if (LengthInUtf16Units(r.params) > kMaxParameterLength) {
        r.message = FillIn(Text(IDS_PARAMS_TOO_LONG), {std::to_wstring(kMaxParameterLength)});
        r.focusControl = kParamsEditId;
        return r;
    }
    r.aliases = Trim(aliases);
    if (LengthInUtf16Units(r.aliases) > kMaxAliasLength) {
        r.message = FillIn(Text(IDS_ALIAS_TOO_LONG), {std::to_wstring(kMaxAliasLength)});
        r.focusControl = kAliasEditId;
        return r;
    }
    r.ok = true;
    return r;
}

ConfirmAction ConfirmActionFor(bool editMode, int kind) {
    if (!editMode) return ConfirmAction::AddButton;
    return kind == ItemKind::ShellEntry ? ConfirmAction::CloseOnly : ConfirmAction::WriteRecord;
}

bool TargetChangeRefreshesPreview(bool editMode, int recordKind) {
    return editMode && recordKind != ItemKind::BrowserUrl && recordKind != ItemKind::Url;
}

}  // namespace quorlin
