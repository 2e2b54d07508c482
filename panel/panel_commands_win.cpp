#include "panel/panel_commands_win.h"

#include <shlobj.h>
#include <shlwapi.h>

#include <cstring>

#include "app/settings_win.h"
#include "app/ui_language_win.h"
#include "buttons/icon_imaging_win.h"
#include "buttons/menu_rules.h"
#include "dialogs/import_preview_win.h"
#include "framework/display_win.h"
#include "framework/seams.h"
#include "framework/seams_win.h"
#include "framework/texts.h"
#include "framework/user_texts.h"
#include "panel/drop_rules.h"
#include "panel/placement.h"
#include "store/backups.h"
#include "store/button_transfer.h"
#include "store/db_session.h"
#include "update/version_check_win.h"

using namespace quorlin;

PanelCommands::PanelCommands(const fw::WindowBase& window, AppState& state, DbSession& store,
                             ButtonCollectionOf<CButtonEx>& buttons, PanelCalls calls)
    : window_(window), state_(state), store_(store), buttons_(buttons), calls_(std::move(calls)) {}

void PanelCommands::SaveSwitch(const wchar_t* key, bool on) const {
    IniSettings(state_.SettingsFile()).WriteInt(key, on ? 1 : 0);
}

bool PanelCommands::Run(UINT id) {
    if (!fw::RunCommand(*this, id)) return false;
    if (CSettingsDlg* open = Settings(); open && id != ID_SETTINGS) open->Refresh();
    return true;
}

// ---------------------------------------------------------------- the settings window

CSettingsDlg* PanelCommands::Settings() const {
    return settings_ && ::IsWindow(settings_->hwnd()) ? settings_.get() : nullptr;
}

void PanelCommands::OpenSettings() {
    if (CSettingsDlg* open = Settings()) {
        if (::IsIconic(open->hwnd())) ::ShowWindow(open->hwnd(), SW_RESTORE);
        ::SetForegroundWindow(open->hwnd());
        return;
    }
    // A window of its own, in the taskbar: not owned by the panel, which lives on the
    // desktop's layer.
    settings_ = std::make_unique<CSettingsDlg>(*this);
    if (!settings_->Create(nullptr)) {
        settings_.reset();
        return;
    }
    ::ShowWindow(settings_->hwnd(), SW_SHOW);
    ::SetForegroundWindow(settings_->hwnd());
}

void PanelCommands::CloseSettings() {
    // Destroyed, not deleted: this may run inside one of its own messages. The next open
    // makes a new one.
    if (CSettingsDlg* open = Settings()) ::DestroyWindow(open->hwnd());
}

SettingsHost::Switches PanelCommands::CurrentSwitches() const {
    Switches s;
    s.autoRun = IsAutoRunEnabled();
    s.topMost = state_.topMost;
    s.fixed = state_.fixed;
    s.buttonsLocked = state_.buttonsLocked;
    s.quietHotkey = state_.ignoreHotkeyInFullScreen;
    s.updateCheck = state_.updateCheck;
    s.scalePercent = state_.scalePercent;
    s.language = LanguageChoiceOf(IniSettings(state_.SettingsFile()).ReadString(kKeyLanguage));
    return s;
}

void PanelCommands::SetQuietHotkey(bool on) {
    state_.ignoreHotkeyInFullScreen = on;
    SaveSwitch(kKeyIgnoreHotkeyFullScreen, on);
}

void PanelCommands::SetUpdateCheck(bool on) {
    state_.updateCheck = on;
    SaveSwitch(kKeyUpdateCheck, on);
}

void PanelCommands::SetScale(int percent) {
    if (percent == state_.scalePercent) return;
    state_.scalePercent = percent;
    IniSettings(state_.SettingsFile()).WriteInt(kKeyScale, percent);
    calls_.rescale();
}

void PanelCommands::SetLanguage(LanguageChoice choice) {
    const IniSettings ini(state_.SettingsFile());
    const std::wstring value = LanguageSetting(choice);
    if (value.empty()) ini.Remove(kKeyLanguage);
    else ini.WriteString(kKeyLanguage, value);
    ApplyUiLanguage(UiLanguageFor(state_.SettingsFile()));
    calls_.languageChanged();
}

std::vector<BackupFile> PanelCommands::Backups() const { return ListBackups(store_.Path()); }

void PanelCommands::RestoreBackup(const std::wstring& path, HWND owner) {
    const auto box = [&](unsigned text, unsigned flags) {
        return MessageBoxes().Show(reinterpret_cast<std::uintptr_t>(owner), Text(text), state_.appName, flags);
    };
    // Read first: the backup of the current buttons written next may prune this file.
    const std::shared_ptr<sqlite3> chosen = LoadGoodBackup(path);
    if (!chosen) {
        box(IDS_RESTORE_FAILED, kMbOk);
        return;
    }
    if (BackupUnlessUnchanged(store_, CurrentDateTime()).empty()) {
        box(IDS_RESTORE_NOT_BACKED_UP, kMbOk);
        return;
    }
    // The name tells when it was written (the file itself may be pruned by now).
    const size_t at = path.rfind(L".backup-");
    const std::wstring stamp = at == std::wstring::npos ? path : path.substr(at + 8);
    const std::wstring question = FillIn(Text(IDS_RESTORE_QUESTION), {ReadableStamp(stamp)});
    if (MessageBoxes().Show(reinterpret_cast<std::uintptr_t>(owner), question, state_.appName, kMbYesNo) != kIdYes)
        return;
    if (!ReplaceStoreContent(store_, chosen.get())) {
        box(IDS_RESTORE_FAILED, kMbOk);
        return;
    }
    buttons_.SyncWithStore();  // lays the ring out and renders it
    calls_.edited();
}

// ---------------------------------------------------------------- the switches and the rest

void PanelCommands::Exit() { ::PostQuitMessage(0); }

void PanelCommands::ToggleTopMost() { calls_.setTopMost(!state_.topMost); }

void PanelCommands::ToggleFixed() {
    state_.fixed = !state_.fixed;
    SaveSwitch(kKeyLock, state_.fixed);
}

void PanelCommands::ToggleLockButtons() {
    state_.buttonsLocked = !state_.buttonsLocked;
    SaveSwitch(kKeyLockButtons, state_.buttonsLocked);
}

void PanelCommands::ToggleAutoRun() { SetAutoRun(!IsAutoRunEnabled()); }

void PanelCommands::CheckForUpdate() { StartVersionCheck(true, state_.SettingsFile()); }

void PanelCommands::Undo() { buttons_.Undo(); }

void PanelCommands::ClearAll() {
    if (MessageBoxes().Show(0, Text(IDS_CLEAR_ALL_QUESTION), Text(IDS_CLEAR_ALL_CAPTION), kMbSystemModal | kMbYesNo) !=
            kIdYes ||
        !buttons_.ClearAllButtons())
        return;
    // The ring is empty: the first start's hint says again what to do.
    state_.hintDone = false;
    IniSettings(state_.SettingsFile()).WriteInt(kKeyHintDone, 0);
    calls_.layout();
}

// ---------------------------------------------------------------- the panel's menu

HMENU PanelCommands::BuildPanelMenu() const {
    HMENU menu = ::LoadMenuW(fw::ResourceModule(), MAKEINTRESOURCEW(IDR_MENU));
    if (!menu) return nullptr;
    HMENU popup = ::GetSubMenu(menu, kContextPopupIndex);
    ::RemoveMenu(menu, kContextPopupIndex, MF_BYPOSITION);
    ::DestroyMenu(menu);
    for (int i = 0; i < kPanelMenuLeadingEntriesRemoved; ++i) ::DeleteMenu(popup, 0, MF_BYPOSITION);
    for (int id : MenuCheckMarks(state_.topMost, state_.fixed, state_.buttonsLocked))
        ::CheckMenuItem(popup, static_cast<UINT>(id), MF_BYCOMMAND | MF_CHECKED);
    return popup;
}

// The whole surface answers HTCAPTION, and the default handling of a right press on a
// caption waits for the release itself (for the system menu), so the release would never
// arrive here. The panel has no system menu: the press needs no default handling.
LRESULT PanelCommands::OnNcRightButtonDown(WPARAM, LPARAM, bool&) { return 0; }

LRESULT PanelCommands::OnRightButtonUp(WPARAM, LPARAM, bool& handled) {
    if (HMENU popup = BuildPanelMenu()) {
        POINT pt;
        ::GetCursorPos(&pt);
        ::TrackPopupMenu(popup, 0, pt.x, pt.y, 0, window_.hwnd(), nullptr);
        ::DestroyMenu(popup);
    }
    handled = false;
    return 0;
}

// ---------------------------------------------------------------- export and import

std::wstring PanelCommands::ChooseButtonFile(bool save) {
    // The filter: its name, then the pattern, each ended by a zero, and one zero more.
    const std::wstring filter = MenuText(TextId::ChooserFilter) + std::wstring(1, L'\0') + L"*.json" +
                                std::wstring(1, L'\0') + std::wstring(1, L'\0');
    const std::wstring title = MenuText(save ? TextId::ExportChooserTitle : TextId::ImportChooserTitle);
    std::wstring file = save ? L"quorlin-buttons.json" : L"";
    file.resize(4096, L'\0');
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof(ofn);
    ofn.hwndOwner = window_.hwnd();
    ofn.lpstrFilter = filter.c_str();
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = file.data();
    ofn.nMaxFile = static_cast<DWORD>(file.size());
    ofn.lpstrTitle = title.c_str();
    ofn.lpstrDefExt = L"json";
    ofn.Flags = OFN_EXPLORER | OFN_HIDEREADONLY |
                (save ? OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST : OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST);
    const BOOL chosen = save ? FileChooser().Save(&ofn) : FileChooser().Open(&ofn);
    if (!chosen) return std::wstring();
    file.resize(wcslen(file.c_str()));
    return file;
}

void PanelCommands::ShowTransferResult(const std::vector<std::wstring>& lines) {
    std::wstring text;
    for (const std::wstring& l : lines) text += (text.empty() ? L"" : L"\n") + l;
    MessageBoxes().Show(reinterpret_cast<std::uintptr_t>(window_.hwnd()), text, state_.appName, kMbOk);
}

void PanelCommands::ExportButtons() {
    const std::wstring file = ChooseButtonFile(true);
    if (file.empty()) return;
    const TransferResult r = ExportToFile(store_, file, state_.profileDir);
    ShowTransferResult(r.lines);
}

void PanelCommands::ImportButtons() {
    const std::wstring file = ChooseButtonFile(false);
    if (file.empty()) return;
    const ImportPreview preview = PreviewImportFile(file, state_.profileDir);
    if (!preview.ok && preview.refused == 0) {  // not a button file, or a malformed one: nothing to show
        ShowTransferResult(preview.problems);
        return;
    }
    // Every entry shown, the refused ones marked; nothing is added unless the user agrees.
    CImportPreviewDlg dialog(preview);
    if (dialog.DoModal(window_.hwnd()) != IDOK) return;
    const TransferResult r = ImportPreviewed(store_, preview, file, kMaxButtons, CurrentDateTime());
    if (r.added > 0) buttons_.SyncWithStore();
    ShowTransferResult(r.lines);
}

// ---------------------------------------------------------------- common entries and dialogs

void PanelCommands::AddCommonEntry(int commandId) {
    std::wstring documents;
    if (commandId == ID_ADD_DOCUMENTS) {
        wchar_t path[512] = {};
        ::SHGetSpecialFolderPathW(nullptr, path, CSIDL_PERSONAL, FALSE);
        documents = path;
    }
    std::optional<CommonEntry> entry = CommonEntryFor(commandId, documents);
    if (!entry) return;
    buttons_.AddButton(entry->Title, entry->PathName, entry->iType, entry->Para);
    calls_.layout();
    calls_.render();
}

void PanelCommands::AddComputer() { AddCommonEntry(ID_ADD_COMPUTER); }
void PanelCommands::AddControlPanel() { AddCommonEntry(ID_ADD_CONTROL); }
void PanelCommands::AddDocuments() { AddCommonEntry(ID_ADD_DOCUMENTS); }
void PanelCommands::AddRecycleBin() { AddCommonEntry(ID_ADD_RECYCLE); }
void PanelCommands::AddBrowser() { AddCommonEntry(ID_ADD_IE); }

void PanelCommands::AddWebAddress() {
    RECT r{};
    ::GetWindowRect(window_.hwnd(), &r);
    {
        CAddDlg dialog(*this, r, ItemKind::Url);
        dialog.DoModal(::GetDesktopWindow());
    }
    buttons_.PruneMissingTargets();
    calls_.layout();
}

void PanelCommands::EditButton(std::int64_t id, const RECT& anchor) {
    CAddDlg dialog(*this, anchor, -1, id);
    dialog.DoModal(::GetDesktopWindow());
}

bool PanelCommands::FindRecord(std::int64_t id, ButtonRecord& record) const {
    const LauncherButton* button = buttons_.FindById(id);
    if (!button) return false;
    record = *button;
    return true;
}

std::unique_ptr<Gdiplus::Image> PanelCommands::CopyButtonPicture(std::int64_t id) const {
    const CButtonEx* button = buttons_.Find(id);
    return button ? CopyImage(button->Image()) : nullptr;
}

bool PanelCommands::AddButton(const std::wstring& title, const std::wstring& path, int kind,
                              const std::wstring& para, const std::wstring& alias) {
    return buttons_.AddButton(title, path, kind, para, alias);
}

EditOutcome PanelCommands::UpdateButton(std::int64_t id, const std::wstring& title, const std::wstring& path,
                                        const std::wstring& para, const std::wstring& alias) {
    const EditOutcome outcome = buttons_.UpdateButton(id, title, path, para, alias);
    calls_.edited();  // screen readers hear of a new title
    return outcome;
}

void PanelCommands::PlaceBesideAnchor(HWND window, const RECT& anchor) {
    RECT w{};
    ::GetWindowRect(window, &w);
    std::optional<Rect> place = quorlin::PlaceBesideAnchor(Rect{anchor.left, anchor.top, anchor.right, anchor.bottom},
                                                           Rect{w.left, w.top, w.right, w.bottom},
                                                           fw::MonitorWorkAreas());
    if (place) ::MoveWindow(window, place->left, place->top, place->Width(), place->Height(), TRUE);
}

// ---------------------------------------------------------------- dropped files

std::wstring PanelCommands::ResolveShortcut(const std::wstring& path) {
    if (!IsShortcutPath(path)) return path;
    std::wstring result = kUnreadableShortcutTarget;
    IShellLinkW* link = nullptr;
    if (FAILED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                  reinterpret_cast<void**>(&link))))
        return result;
    IPersistFile* file = nullptr;
    if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
        if (SUCCEEDED(file->Load(path.c_str(), STGM_READ))) {
            wchar_t target[512] = {};
            WIN32_FIND_DATAW data{};
            if (SUCCEEDED(link->GetPath(target, 512, &data, SLGP_UNCPRIORITY))) result = target;
            else result = L"";
        }
        file->Release();
    }
    link->Release();
    return result;
}

void PanelCommands::AddDroppedFiles(HDROP drop) {
    if (state_.buttonsLocked &&
        MessageBoxes().Show(0, Text(IDS_LOCKED_DROP_QUESTION), Text(IDS_NOTICE_CAPTION), kMbSystemModal | kMbYesNo) !=
            kIdYes) {
        ::DragFinish(drop);
        return;
    }
    int count = static_cast<int>(buttons_.Count());
    const UINT n = ::DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < n; ++i) {
        if (!CanDropMore(count)) {
            MessageBoxes().Show(reinterpret_cast<std::uintptr_t>(window_.hwnd()), DropLimitMessage(), state_.appName,
                                kMbOk);
            break;
        }
        // The whole name, however long: a name cut to a fixed buffer would name another file.
        const UINT len = ::DragQueryFileW(drop, i, nullptr, 0);
        std::wstring name(static_cast<size_t>(len) + 1, L'\0');
        name.resize(::DragQueryFileW(drop, i, name.data(), len + 1));
        if (name.empty()) continue;
        const std::wstring target = ResolveShortcut(name);
        const int kind = DropKindFor(::PathIsDirectoryW(target.c_str()) != FALSE);
        if (buttons_.IsDuplicate(target, kind)) continue;
        buttons_.AddButton(TitleFromPath(name), target, kind, L"");
        ++count;
    }
    ::DragFinish(drop);
    calls_.layout();
    calls_.render();
}

void PanelCommands::AddProgram(const std::wstring& name, const std::wstring& shortcut) {
    if (state_.buttonsLocked &&
        MessageBoxes().Show(0, Text(IDS_LOCKED_DROP_QUESTION), Text(IDS_NOTICE_CAPTION), kMbSystemModal | kMbYesNo) !=
            kIdYes)
        return;
    if (!CanDropMore(static_cast<int>(buttons_.Count()))) {
        MessageBoxes().Show(reinterpret_cast<std::uintptr_t>(window_.hwnd()), DropLimitMessage(), state_.appName, kMbOk);
        return;
    }
    const std::wstring target = ResolveShortcut(shortcut);
    const int kind = DropKindFor(::PathIsDirectoryW(target.c_str()) != FALSE);
    if (buttons_.IsDuplicate(target, kind)) return;
    buttons_.AddButton(name, target, kind, L"");
    calls_.layout();
    calls_.render();
}

LRESULT PanelCommands::OnDropFiles(WPARAM wp, LPARAM, bool&) {
    AddDroppedFiles(reinterpret_cast<HDROP>(wp));
    return 0;
}
