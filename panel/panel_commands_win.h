// The panel's commands. It owns the one table from command ID to action for every entry of
// the panel's menu, the tray menu and the buttons' menus that the panel carries out; the
// panel's menu; export and import with their file chooser and result; the common entries;
// the files dropped on the panel; the add and edit dialogs and the settings window (it is
// their host).
// Handed: the panel's window, the application state (its switches), the store, the
// panel's buttons, and the panel's ways to change its layer, to lay out and render the
// ring, to ask for a render later, to say that a button was edited, and for the settings
// window to change the hotkey, the panel's size and the language.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/app_state.h"
#include "buttons/button_window_win.h"
#include "dialogs/add_dialog_win.h"
#include "dialogs/settings_win.h"
#include "framework/window_win.h"
#include "panel/button_collection.h"
#include "res/resource.h"

namespace quorlin {
class DbSession;
}

class PanelCommands : public AddDialogHost, public SettingsHost {
public:
    static const quorlin::fw::CommandMap<PanelCommands>& Commands() {
        static const quorlin::fw::CommandMap<PanelCommands> map = {
            {ID_EXIT, &PanelCommands::Exit},
            {ID_TOPMOST, &PanelCommands::ToggleTopMost},
            {ID_FIXED, &PanelCommands::ToggleFixed},
            {ID_LOCK_BUTTONS, &PanelCommands::ToggleLockButtons},
            {ID_AUTORUN, &PanelCommands::ToggleAutoRun},
            {ID_CHECK_UPDATE, &PanelCommands::CheckForUpdate},
            {ID_UNDO, &PanelCommands::Undo},
            {ID_EXPORT_BUTTONS, &PanelCommands::ExportButtons},
            {ID_IMPORT_BUTTONS, &PanelCommands::ImportButtons},
            {ID_CLEAR_ALL, &PanelCommands::ClearAll},
            {ID_ADD_COMPUTER, &PanelCommands::AddComputer},
            {ID_ADD_CONTROL, &PanelCommands::AddControlPanel},
            {ID_ADD_DOCUMENTS, &PanelCommands::AddDocuments},
            {ID_ADD_RECYCLE, &PanelCommands::AddRecycleBin},
            {ID_ADD_IE, &PanelCommands::AddBrowser},
            {ID_ADD_URL, &PanelCommands::AddWebAddress},
            {ID_SETTINGS, &PanelCommands::OpenSettings},
        };
        return map;
    }

    struct PanelCalls {
        std::function<void(bool topmost)> setTopMost;  // changes the layer and writes the switch
        std::function<void()> layout;         // places the buttons on the ring
        std::function<void()> render;         // composes the panel now
        std::function<void()> requestRender;  // composes it once the current message is done
        std::function<void()> edited;         // a button's title or target was edited
        // The hotkey in use; registering another one (nothing: the default order), true when
        // Windows took it.
        std::function<std::optional<quorlin::Hotkey>()> activeHotkey;
        std::function<bool(const std::optional<quorlin::Hotkey>&)> changeHotkey;
        std::function<void()> rescale;          // lays the panel out at state.scalePercent
        std::function<void()> languageChanged;  // the texts' language changed: every title anew
    };
    PanelCommands(const quorlin::fw::WindowBase& window, quorlin::AppState& state, quorlin::DbSession& store,
                  quorlin::ButtonCollectionOf<CButtonEx>& buttons, PanelCalls calls);

    // Carries out the command `id`; false when it is none of the table's. An open settings
    // window shows what it changed.
    bool Run(UINT id);
    // The settings window, while it is open (else null).
    CSettingsDlg* Settings() const;
    void CloseSettings();

    // The panel's menu as a right click would show it (pruned and checked); the caller
    // destroys it.
    HMENU BuildPanelMenu() const;
    LRESULT OnNcRightButtonDown(WPARAM, LPARAM, bool&);
    LRESULT OnRightButtonUp(WPARAM, LPARAM, bool&);

    // Files dropped on the panel: a button each (shortcuts by their targets).
    LRESULT OnDropFiles(WPARAM, LPARAM, bool&);
    void AddDroppedFiles(HDROP drop);
    static std::wstring ResolveShortcut(const std::wstring& path);
    // A program of the Start menu put on the ring as its shortcut would be dropped there.
    void AddProgram(const std::wstring& name, const std::wstring& shortcut);

    // The edit dialog of a button, beside `anchor`.
    void EditButton(std::int64_t id, const RECT& anchor);

    // AddDialogHost
    bool FindRecord(std::int64_t id, quorlin::ButtonRecord& record) const override;
    std::unique_ptr<Gdiplus::Image> CopyButtonPicture(std::int64_t id) const override;
    bool AddButton(const std::wstring& title, const std::wstring& path, int kind, const std::wstring& para,
                   const std::wstring& alias) override;
    quorlin::EditOutcome UpdateButton(std::int64_t id, const std::wstring& title, const std::wstring& path,
                                      const std::wstring& para, const std::wstring& alias) override;
    quorlin::EditOutcome UpdateAliases(std::int64_t id, const std::wstring& alias) override {
        return buttons_.UpdateAliases(id, alias);
    }
    void RequestRender() override { calls_.requestRender(); }
    void PlaceBesideAnchor(HWND window, const RECT& anchor) override;
    const std::wstring& AppName() const override { return state_.appName; }

    // SettingsHost
    Switches CurrentSwitches() const override;
    void RunMenuCommand(UINT id) override { Run(id); }
    void SetQuietHotkey(bool on) override;
    void SetUpdateCheck(bool on) override;
    void SetScale(int percent) override;
    void SetLanguage(quorlin::LanguageChoice choice) override;
    std::optional<quorlin::Hotkey> ActiveHotkey() const override { return calls_.activeHotkey(); }
    bool ChangeHotkey(const std::optional<quorlin::Hotkey>& wanted) override { return calls_.changeHotkey(wanted); }
    std::wstring DataFolder() const override { return state_.DataDir(); }
    std::vector<quorlin::BackupFile> Backups() const override;
    void RestoreBackup(const std::wstring& path, HWND owner) override;
    void SettingsClosed() override { CloseSettings(); }

private:
    void Exit();
    void ToggleTopMost();
    void ToggleFixed();
    void ToggleLockButtons();
    void ToggleAutoRun();
    void CheckForUpdate();
    void Undo();
    void ExportButtons();
    void ImportButtons();
    void ClearAll();
    void AddComputer();
    void AddControlPanel();
    void AddDocuments();
    void AddRecycleBin();
    void AddBrowser();
    void AddWebAddress();
    void AddCommonEntry(int commandId);
    // Opens the settings window, or brings it forward when it is open.
    void OpenSettings();

    // The file the user chose in the system's chooser ("" when cancelled).
    std::wstring ChooseButtonFile(bool save);
    void ShowTransferResult(const std::vector<std::wstring>& lines);
    // Writes one switch to setting.ini.
    void SaveSwitch(const wchar_t* key, bool on) const;

    const quorlin::fw::WindowBase& window_;
    quorlin::AppState& state_;
    quorlin::DbSession& store_;
    quorlin::ButtonCollectionOf<CButtonEx>& buttons_;
    PanelCalls calls_;
    std::unique_ptr<CSettingsDlg> settings_;
};
