// The panel's commands. It owns the one table from command ID to action for every entry of
// the panel's menu, the tray menu and the buttons' menus that the panel carries out; the
// panel's menu; export and import with their file chooser and result; the common entries;
// the files dropped on the panel; and the add and edit dialogs (it is their host).
// Handed: the panel's window, the application state (its switches), the store, the
// panel's buttons, and the panel's ways to change its layer, to lay out and render the
// ring, to ask for a render later, and to say that a button was edited.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <functional>
#include <string>
#include <vector>

#include "app/app_state.h"
#include "buttons/button_window_win.h"
#include "dialogs/add_dialog_win.h"
#include "framework/window_win.h"
#include "panel/button_collection.h"
#include "res/resource.h"

namespace quorlin {
class DbSession;
}

class PanelCommands : public AddDialogHost {
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
        };
        return map;
    }

    struct PanelCalls {
        std::function<void(bool topmost)> setTopMost;  // changes the layer and writes the switch
        std::function<void()> layout;         // places the buttons on the ring
        std::function<void()> render;         // composes the panel now
        std::function<void()> requestRender;  // composes it once the current message is done
        std::function<void()> edited;         // a button's title or target was edited
    };
    PanelCommands(const quorlin::fw::WindowBase& window, quorlin::AppState& state, quorlin::DbSession& store,
                  quorlin::ButtonCollectionOf<CButtonEx>& buttons, PanelCalls calls);

    // Carries out the command `id`; false when it is none of the table's.
    bool Run(UINT id) { return quorlin::fw::RunCommand(*this, id); }

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
};
