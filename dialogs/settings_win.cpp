#include "dialogs/settings_win.h"

#include <commctrl.h>

#include <iterator>

#include "framework/seams.h"
#include "framework/texts.h"

using namespace quorlin;

namespace {

struct Label {
    int control;
    unsigned text;
};
constexpr Label kLabels[] = {
    {IDC_SET_GROUP_KEYS, IDS_SET_GROUP_KEYS},       {IDC_SET_HOTKEY_LABEL, IDS_SET_HOTKEY_LABEL},
    {IDC_SET_HOTKEY_DEFAULT, IDS_SET_DEFAULT},      {IDC_SET_QUIET_HOTKEY, IDS_SET_QUIET_HOTKEY},
    {IDC_SET_GROUP_PANEL, IDS_SET_GROUP_PANEL},     {IDC_SET_LANGUAGE_LABEL, IDS_SET_LANGUAGE_LABEL},
    {IDC_SET_SIZE_LABEL, IDS_SET_SIZE_LABEL},       {IDC_SET_AUTORUN, IDS_SET_AUTORUN},
    {IDC_SET_TOPMOST, IDS_SET_TOPMOST},             {IDC_SET_FIXED, IDS_SET_FIXED},
    {IDC_SET_LOCK, IDS_SET_LOCK},                   {IDC_SET_UPDATE_CHECK, IDS_SET_UPDATE_CHECK},
    {IDC_SET_CHECK_NOW, IDS_SET_CHECK_NOW},         {IDC_SET_GROUP_DATA, IDS_SET_GROUP_DATA},
    {IDC_SET_DATA_LABEL, IDS_SET_DATA_LABEL},       {IDC_SET_OPEN_FOLDER, IDS_SET_OPEN_FOLDER},
    {IDC_SET_BACKUPS_LABEL, IDS_SET_BACKUPS_LABEL}, {IDC_SET_RESTORE, IDS_SET_RESTORE},
    {IDC_SET_EXPORT, IDS_SET_EXPORT},               {IDC_SET_IMPORT, IDS_SET_IMPORT},
    {IDCANCEL, IDS_SET_CLOSE},
};

// The check boxes that carry out a menu command as they are.
struct MenuSwitch {
    int control;
    UINT command;
};
constexpr MenuSwitch kMenuSwitches[] = {
    {IDC_SET_AUTORUN, ID_AUTORUN},
    {IDC_SET_TOPMOST, ID_TOPMOST},
    {IDC_SET_FIXED, ID_FIXED},
    {IDC_SET_LOCK, ID_LOCK_BUTTONS},
};

// The hotkey field's value of a combination.
WORD FieldValue(const Hotkey& h) {
    BYTE flags = 0;
    if (h.modifiers & kModShift) flags |= HOTKEYF_SHIFT;
    if (h.modifiers & kModControl) flags |= HOTKEYF_CONTROL;
    if (h.modifiers & kModAlt) flags |= HOTKEYF_ALT;
    return MAKEWORD(static_cast<BYTE>(h.vk), flags);
}

}  // namespace

BOOL CSettingsDlg::OnInitDialog() {
    ::SendDlgItemMessageW(hwnd_, IDC_SET_HOTKEY, HKM_SETRULES, 0, 0);  // every combination reaches us
    Relabel();
    return TRUE;
}

void CSettingsDlg::Relabel() {
    ::SetWindowTextW(hwnd_, Text(IDS_SETTINGS_TITLE).c_str());
    for (const Label& l : kLabels) ::SetDlgItemTextW(hwnd_, l.control, Text(l.text).c_str());
    filling_ = true;
    HWND languages = ::GetDlgItem(hwnd_, IDC_SET_LANGUAGE);
    ::SendMessageW(languages, CB_RESETCONTENT, 0, 0);
    for (const wchar_t* name : {L"", L"中文", L"English"}) {
        const std::wstring text = *name ? name : Text(IDS_SET_LANGUAGE_AUTO);
        ::SendMessageW(languages, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
    }
    HWND sizes = ::GetDlgItem(hwnd_, IDC_SET_SIZE);
    if (::SendMessageW(sizes, CB_GETCOUNT, 0, 0) == 0) {
        for (int percent : ScaleChoices())
            ::SendMessageW(sizes, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(ScaleLabel(percent).c_str()));
    }
    filling_ = false;
    Refresh();
    RefreshBackups();
    const std::optional<Hotkey> active = host_.ActiveHotkey();
    SetStatus(active ? FillIn(Text(IDS_SET_HOTKEY_ACTIVE), {FormatHotkey(*active)}) : NoHotkeyMenuText());
}

void CSettingsDlg::Refresh() {
    const SettingsHost::Switches s = host_.CurrentSwitches();
    filling_ = true;
    const bool values[] = {s.autoRun, s.topMost, s.fixed, s.buttonsLocked};
    for (size_t i = 0; i < std::size(kMenuSwitches); ++i)
        ::CheckDlgButton(hwnd_, kMenuSwitches[i].control, values[i] ? BST_CHECKED : BST_UNCHECKED);
    ::CheckDlgButton(hwnd_, IDC_SET_QUIET_HOTKEY, s.quietHotkey ? BST_CHECKED : BST_UNCHECKED);
    ::CheckDlgButton(hwnd_, IDC_SET_UPDATE_CHECK, s.updateCheck ? BST_CHECKED : BST_UNCHECKED);
    ::SendDlgItemMessageW(hwnd_, IDC_SET_LANGUAGE, CB_SETCURSEL, static_cast<WPARAM>(s.language), 0);
    const std::vector<int>& scales = ScaleChoices();
    int index = 0;
    for (size_t i = 0; i < scales.size(); ++i)
        if (scales[i] == s.scalePercent) index = static_cast<int>(i);
    ::SendDlgItemMessageW(hwnd_, IDC_SET_SIZE, CB_SETCURSEL, index, 0);
    ::SetDlgItemTextW(hwnd_, IDC_SET_DATA_FOLDER, host_.DataFolder().c_str());
    ShowHotkeyInField(host_.ActiveHotkey());
    filling_ = false;
}

void CSettingsDlg::RefreshBackups() {
    backups_ = host_.Backups();
    HWND list = ::GetDlgItem(hwnd_, IDC_SET_BACKUPS);
    ::SendMessageW(list, LB_RESETCONTENT, 0, 0);
    for (const BackupFile& b : backups_) {
        const std::wstring text = ReadableStamp(b.stamp);
        ::SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
    }
    if (backups_.empty()) {
        const std::wstring none = Text(IDS_SET_NO_BACKUP);
        ::SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(none.c_str()));
    } else {
        ::SendMessageW(list, LB_SETCURSEL, 0, 0);
    }
    ::EnableWindow(::GetDlgItem(hwnd_, IDC_SET_RESTORE), !backups_.empty());
}

std::wstring CSettingsDlg::HotkeyStatus() const { return fw::GetWindowTextString(::GetDlgItem(hwnd_, IDC_SET_HOTKEY_STATUS)); }

void CSettingsDlg::SetStatus(const std::wstring& text) { ::SetDlgItemTextW(hwnd_, IDC_SET_HOTKEY_STATUS, text.c_str()); }

void CSettingsDlg::ShowHotkeyInField(const std::optional<Hotkey>& hotkey) {
    const bool was = filling_;
    filling_ = true;
    // The field has no Windows key: a Win combination is named by the line below it only.
    const bool shown = hotkey && !(hotkey->modifiers & kModWin);
    ::SendDlgItemMessageW(hwnd_, IDC_SET_HOTKEY, HKM_SETHOTKEY, shown ? FieldValue(*hotkey) : 0, 0);
    filling_ = was;
}

bool CSettingsDlg::Checked(int id) const { return ::IsDlgButtonChecked(hwnd_, id) == BST_CHECKED; }

BOOL CSettingsDlg::OnCommand(WPARAM wp, LPARAM) {
    const int id = LOWORD(wp), code = HIWORD(wp);
    if (filling_) return FALSE;
    if (id == IDC_SET_HOTKEY && code == EN_CHANGE) {
        const LRESULT v = ::SendDlgItemMessageW(hwnd_, IDC_SET_HOTKEY, HKM_GETHOTKEY, 0, 0);
        OnHotkeyRecorded(RecordedKey{LOBYTE(LOWORD(v)), HIBYTE(LOWORD(v))});
        return TRUE;
    }
    if ((id == IDC_SET_LANGUAGE || id == IDC_SET_SIZE) && code == CBN_SELCHANGE) {
        const int pick = static_cast<int>(::SendDlgItemMessageW(hwnd_, id, CB_GETCURSEL, 0, 0));
        if (pick < 0) return TRUE;
        if (id == IDC_SET_SIZE && pick < static_cast<int>(ScaleChoices().size())) {
            host_.SetScale(ScaleChoices()[pick]);
        } else if (id == IDC_SET_LANGUAGE && pick <= 2) {
            host_.SetLanguage(static_cast<LanguageChoice>(pick));
            Relabel();
        }
        return TRUE;
    }
    if (code != BN_CLICKED) return FALSE;
    for (const MenuSwitch& m : kMenuSwitches) {
        if (m.control != id) continue;
        host_.RunMenuCommand(m.command);  // the menus' own command: the check follows what it did
        Refresh();
        return TRUE;
    }
    if (id == IDC_SET_QUIET_HOTKEY) {
        host_.SetQuietHotkey(Checked(id));
        return TRUE;
    }
    if (id == IDC_SET_UPDATE_CHECK) {
        host_.SetUpdateCheck(Checked(id));
        return TRUE;
    }
    return FALSE;
}

void CSettingsDlg::OnHotkeyRecorded(const RecordedKey& recorded) {
    const RecordedHotkey r = ReadRecordedKey(recorded);
    if (r.state == RecordedState::Incomplete) return;
    if (r.state == RecordedState::Invalid) {
        SetStatus(Text(IDS_SET_HOTKEY_INVALID));
        return;
    }
    if (host_.ChangeHotkey(r.hotkey)) {
        SetStatus(FillIn(Text(IDS_SET_HOTKEY_ACTIVE), {FormatHotkey(r.hotkey)}));
    } else {
        SetStatus(FillIn(Text(IDS_SET_HOTKEY_TAKEN), {FormatHotkey(r.hotkey)}));
    }
}

void CSettingsDlg::OnDefaultHotkey() {
    const bool ok = host_.ChangeHotkey(std::nullopt);
    const std::optional<Hotkey> active = host_.ActiveHotkey();
    ShowHotkeyInField(active);
    SetStatus(ok && active ? FillIn(Text(IDS_SET_HOTKEY_ACTIVE), {FormatHotkey(*active)}) : NoHotkeyMenuText());
}

void CSettingsDlg::OnCheckNow() { host_.RunMenuCommand(ID_CHECK_UPDATE); }

void CSettingsDlg::OnOpenFolder() {
    const std::wstring folder = host_.DataFolder();
    Shell().Execute(reinterpret_cast<std::uintptr_t>(hwnd_), L"open", folder.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

void CSettingsDlg::OnRestore() {
    const LRESULT pick = ::SendDlgItemMessageW(hwnd_, IDC_SET_BACKUPS, LB_GETCURSEL, 0, 0);
    if (pick < 0 || pick >= static_cast<LRESULT>(backups_.size())) return;
    host_.RestoreBackup(backups_[static_cast<size_t>(pick)].path, hwnd_);
    RefreshBackups();
}

void CSettingsDlg::OnExport() {
    host_.RunMenuCommand(ID_EXPORT_BUTTONS);
}

void CSettingsDlg::OnImport() {
    host_.RunMenuCommand(ID_IMPORT_BUTTONS);
    RefreshBackups();  // an import writes a backup first
}

void CSettingsDlg::OnCloseCommand() { host_.SettingsClosed(); }

LRESULT CSettingsDlg::OnClose(WPARAM, LPARAM, bool&) {
    host_.SettingsClosed();
    return 0;
}
