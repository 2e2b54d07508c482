// The panel's ordered collection of launcher buttons, kept in step with tb_Btns.
// Every change writes the table first and touches the windows only when the table
// accepted it. Portable: the panel supplies the windows through ButtonHost.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "buttons/launcher_button.h"
#include "framework/geometry.h"
#include "store/undo_history.h"

namespace quorlin {

class DbSession;
class Recordset;

// Sounds, as WAVE resources of the program.
constexpr int kAddSound = 152;
constexpr int kRemoveSound = 148;
// SND_RESOURCE | SND_ASYNC | SND_NODEFAULT: a new sound cuts off the previous one.
constexpr unsigned kSoundFlags = 0x40007;

// What became of an edit of a row.
enum class EditOutcome {
    Stored,       // the row holds the new fields and its button shows them
    RowGone,      // no row has that ID any more (deleted meanwhile)
    StoreFailed,  // the store refused; what it already stored stays stored
};

class ButtonHost {
public:
    virtual ~ButtonHost() = default;
    // A new button window (empty rectangle, control id 1124), not yet in the collection.
    virtual std::unique_ptr<LauncherButton> CreateButtonWindow() = 0;
    virtual void LayoutButtons() = 0;
    virtual void RenderPanel() = 0;
    // The store failed while the buttons were read: tell the user its description.
    virtual void ShowLoadError(const std::wstring& description) = 0;
    // False only when a file or folder target is known to be gone (its button is pruned): a
    // target whose volume is not a local one that is there is never known to be gone.
    virtual bool TargetExists(const std::wstring& path) = 0;
    // An add was refused for a reason the user can act on: tell the user this text. The
    // panel shows it like a load error (a message box owned by the panel).
    virtual void ShowAddRefusal(const std::wstring& text) { ShowLoadError(text); }
    // Keeps the button's picture with its row (the icon cache), inside the caller's
    // transaction; false on a store error, which undoes the change.
    virtual bool KeepPicture(const LauncherButton& button) { return true; }
};

class ButtonCollection {
public:
    ButtonCollection(DbSession& store, ButtonHost& host) : store_(store), host_(host) {}

    // Ring order: ascending sort.
    std::vector<std::unique_ptr<LauncherButton>> buttons;

    // Rows whose ID is 0 or below are not shown (no button can address them). Buttons whose
    // targets are gone are pruned after the load unless `pruneMissing` is false (a start
    // prunes once its first frame is up).
    bool LoadButtons(bool pruneMissing = true);
    void CreateButtonFromRecord(const Recordset& rs);
    // All or nothing, in one transaction: the duplicate test, the insert and the row read
    // back, which must be the row asked for (same texts, kind and sort, an ID above the
    // reserved ones). True when the row and its button were made, or when the same kind and
    // path were already stored; false, with nothing stored, otherwise (also when the
    // duplicate test cannot run).
    // `alias`: the button's words of its own, stored with the row (store/alias_table.h).
    bool AddButton(const std::wstring& title, const std::wstring& path, std::int32_t kind, const std::wstring& para,
                   const std::wstring& alias = L"");
    // Fails closed: true also when the test cannot run.
    bool IsDuplicate(const std::wstring& path, std::int32_t kind);
    // Deletes the row and records it as an undo step in the same transaction.
    bool DeleteButton(std::int64_t id);
    bool RemoveButtonById(std::int64_t id);
    // Writes a backup of bts.db first (a failed backup does not stop the clear: the undo
    // step still holds every row), then deletes and records the rows as one undo step.
    bool ClearAllButtons();
    // Each removed button is an undo step of its own (UndoKind::Pruned).
    void PruneMissingTargets();

    // Takes back the newest deletion step (see UndoNewest; the ring's limit is 66). The
    // restored buttons appear in their places with the add sound; the ring is laid out
    // and rendered. stored is false when the store refused (nothing changed).
    UndoOutcome Undo();
    // What Undo would bring back, and the tray entry's text for it.
    std::optional<UndoSummary> NewestUndo() const;
    std::wstring UndoMenuText() const;
    // Brings the ring in step with tb_Btns after another process changed it (an import
    // from the command line): buttons of new rows are made, those of rows gone are
    // removed, all in ascending sort; existing buttons keep their windows and pictures.
    // Prunes nothing. Lays out and renders; false on a store error (ring unchanged).
    bool SyncWithStore();
    // Swaps the dragged button with the first eligible one under the ghost (screen
    // rectangle); both sorts are stored in one transaction, or neither is and the ring
    // stays as it was. Two buttons that hold the same sort are not swapped.
    bool SwapWhileDragging(const Rect& ghostScreenRect, std::int64_t draggedId);
    bool SetButtonSort(LauncherButton& button, std::int64_t value);
    // Stores new title, path and parameters of a row (and its aliases, when given, in the
    // same transaction) and reloads its button, if it has one.
    EditOutcome UpdateButton(std::int64_t id, const std::wstring& title, const std::wstring& path,
                             const std::wstring& para, const std::optional<std::wstring>& alias = std::nullopt);

    // Stores only the aliases of a row (a shell entry's, whose other fields stay as stored).
    EditOutcome UpdateAliases(std::int64_t id, const std::wstring& alias);

    // The button with this ID, or null (how dialogs find a button again safely).
    LauncherButton* FindById(std::int64_t id) const;
    size_t Count() const { return buttons.size(); }

private:
    bool DeleteRow(std::int64_t id, UndoKind kind);
    enum class Presence { Absent, Present, Unknown };
    Presence FindDuplicate(const std::wstring& path, std::int32_t kind);
    // Reads the button's row again.
    void ReloadButton(LauncherButton& button);
    // Gives every button the aliases stored for its row (none on a store error).
    void LoadAliases();

    DbSession& store_;
    ButtonHost& host_;
};

// A collection whose buttons are all of one type B: its host makes every button it holds
// (CreateButton), so it hands them out as B.
template <class B>
class ButtonCollectionOf : public ButtonCollection {
public:
    class Host : public ButtonHost {
    public:
        virtual std::unique_ptr<B> CreateButton() = 0;
        virtual bool KeepPictureOf(const B& button) { return true; }
        std::unique_ptr<LauncherButton> CreateButtonWindow() final { return CreateButton(); }
        bool KeepPicture(const LauncherButton& button) final { return KeepPictureOf(static_cast<const B&>(button)); }
    };
    ButtonCollectionOf(DbSession& store, Host& host) : ButtonCollection(store, host) {}

    // The button at ring position i, or null.
    B* At(size_t i) const { return i < buttons.size() ? static_cast<B*>(buttons[i].get()) : nullptr; }
    B* Find(std::int64_t id) const { return static_cast<B*>(FindById(id)); }
};

}  // namespace quorlin
