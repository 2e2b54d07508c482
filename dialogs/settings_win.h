// The settings window: the hotkey (recorded as it is pressed, registered at once), the
// language, the panel's size, the four switches of the menus, the quiet hotkey during
// full-screen programs, the version check, and the data (its folder, the backups with a
// restore, export and import). A modeless window of its own (in the taskbar, no owner);
// every change takes effect at once and is written to setting.ini by whoever carries it
// out. Its labels come from the text table, so a change of language relabels it in place.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "dialogs/settings_logic.h"
#include "framework/window_win.h"
#include "res/resource.h"
#include "store/backups.h"

// What the window asks of its owner (the panel's commands), handed to it when it is made.
class SettingsHost {
public:
    virtual ~SettingsHost() = default;
    struct Switches {
        bool autoRun = false, topMost = false, fixed = false, buttonsLocked = false;
        bool quietHotkey = true, updateCheck = true;
        int scalePercent = 100;
        quorlin::LanguageChoice language = quorlin::LanguageChoice::Automatic;
    };
    // The switches as they are now (the menus may have changed them meanwhile).
    virtual Switches CurrentSwitches() const = 0;
    // Carries out a command of the menus (ID_TOPMOST, ID_AUTORUN, ID_CHECK_UPDATE, ...).
    virtual void RunMenuCommand(UINT id) = 0;
    virtual void SetQuietHotkey(bool on) = 0;
    virtual void SetUpdateCheck(bool on) = 0;
    virtual void SetScale(int percent) = 0;
    // Writes LANG and switches every window of the program to that language.
    virtual void SetLanguage(quorlin::LanguageChoice choice) = 0;
    // The combination in use, if any.
    virtual std::optional<quorlin::Hotkey> ActiveHotkey() const = 0;
    // Registers `wanted` instead of the combination in use (nothing: the default order);
    // on success it is written as HOTKEY (removed for the default). False when Windows
    // refused it: the one in use stays and nothing is written.
    virtual bool ChangeHotkey(const std::optional<quorlin::Hotkey>& wanted) = 0;
    // Where bts.db and setting.ini live.
    virtual std::wstring DataFolder() const = 0;
    // The backups, newest first.
    virtual std::vector<quorlin::BackupFile> Backups() const = 0;
    // Backs the current buttons up, asks, and on yes replaces them by the backup's.
    virtual void RestoreBackup(const std::wstring& path, HWND owner) = 0;
    // The window closed (it is destroyed afterwards by its owner).
    virtual void SettingsClosed() = 0;
};

class CSettingsDlg : public quorlin::fw::Dialog<CSettingsDlg> {
public:
    enum { IDD = IDD_SETTINGS };

    static const quorlin::fw::MessageMap<CSettingsDlg>& Messages() {
        static const quorlin::fw::MessageMap<CSettingsDlg> map = {
            {WM_CLOSE, &CSettingsDlg::OnClose},
        };
        return map;
    }
    static const quorlin::fw::CommandMap<CSettingsDlg>& Commands() {
        static const quorlin::fw::CommandMap<CSettingsDlg> map = {
            {IDC_SET_HOTKEY_DEFAULT, &CSettingsDlg::OnDefaultHotkey},
            {IDC_SET_CHECK_NOW, &CSettingsDlg::OnCheckNow},
            {IDC_SET_OPEN_FOLDER, &CSettingsDlg::OnOpenFolder},
            {IDC_SET_RESTORE, &CSettingsDlg::OnRestore},
            {IDC_SET_EXPORT, &CSettingsDlg::OnExport},
            {IDC_SET_IMPORT, &CSettingsDlg::OnImport},
            {IDCANCEL, &CSettingsDlg::OnCloseCommand},
        };
        return map;
    }

    explicit CSettingsDlg(SettingsHost& host) : host_(host) {}

    BOOL OnInitDialog() override;
    // Check boxes, lists and the hotkey field.
    BOOL OnCommand(WPARAM wp, LPARAM lp) override;

    // Texts in the current language, and every control set from the host's state.
    void Relabel();
    void Refresh();
    // The backups' list read again.
    void RefreshBackups();
    // What the hotkey line says now (the tests read it).
    std::wstring HotkeyStatus() const;
    // The combination in the field was changed to this one (the field's own notification
    // calls it; tests call it as the field would).
    void OnHotkeyRecorded(const quorlin::RecordedKey& recorded);

    void OnDefaultHotkey();
    void OnCheckNow();
    void OnOpenFolder();
    void OnRestore();
    void OnExport();
    void OnImport();
    void OnCloseCommand();

private:
    LRESULT OnClose(WPARAM, LPARAM, bool& handled);
    void SetStatus(const std::wstring& text);
    void ShowHotkeyInField(const std::optional<quorlin::Hotkey>& hotkey);
    bool Checked(int id) const;

    SettingsHost& host_;
    std::vector<quorlin::BackupFile> backups_;
    bool filling_ = false;  // controls set by the program send no changes back
};
