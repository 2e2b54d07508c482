#include "panel/button_collection.h"

#include <algorithm>
#include <climits>
#include <map>

#include "framework/seams.h"
#include "framework/texts.h"
#include "panel/drop_rules.h"
#include "panel/ring_layout.h"
#include "store/alias_table.h"
#include "store/backups.h"
#include "store/button_table.h"
#include "store/db_session.h"

namespace quorlin {

bool ButtonCollection::LoadButtons(bool pruneMissing) {
    buttons.clear();
    bool ok = false;
    std::shared_ptr<Recordset> rs = store_.OpenReadOnlyRecordset(statements::LoadAll(), ok);
    if (!ok) return false;
    try {
        while (!rs->AtEOF()) {
            const FieldValue id = rs->Get(L"ID");
            if (id.type != FieldValue::Type::Int || IsShownId(id.integer)) CreateButtonFromRecord(*rs);
            rs->MoveNext();
        }
        rs->Close();
    } catch (const StoreError& e) {
        host_.ShowLoadError(e.Description());
        return false;
    }
    LoadAliases();
    if (pruneMissing) PruneMissingTargets();
    host_.LayoutButtons();
    return true;
}

void ButtonCollection::LoadAliases() {
    std::map<std::int64_t, std::wstring> aliases;
    if (!ReadAliases(store_.Handle(), aliases)) aliases.clear();
    for (auto& b : buttons) {
        const auto it = aliases.find(b->ID);
        b->Alias = it == aliases.end() ? std::wstring() : it->second;
    }
}

void ButtonCollection::CreateButtonFromRecord(const Recordset& rs) {
    std::unique_ptr<LauncherButton> button = host_.CreateButtonWindow();
    button->LoadFromRecord(rs);
    buttons.push_back(std::move(button));
}

namespace {

// Thrown inside AddButton when an add is refused for a reason that is not a passing store
// error: nothing is added and the user is told this text.
struct Refusal {
    std::wstring text;
};

}  // namespace

ButtonCollection::Presence ButtonCollection::FindDuplicate(const std::wstring& path, std::int32_t kind) {
    bool ok = false;
    std::shared_ptr<Recordset> rs = store_.OpenReadOnlyRecordset(statements::FindDuplicate(kind, path), ok);
    if (!ok) return Presence::Unknown;
    try {
        const bool none = rs->AtBOF() && rs->AtEOF();
        rs->Close();
        return none ? Presence::Absent : Presence::Present;
    } catch (const StoreError&) {
        return Presence::Unknown;
    }
}

bool ButtonCollection::IsDuplicate(const std::wstring& path, std::int32_t kind) {
    return FindDuplicate(path, kind) != Presence::Absent;  // fails closed
}

bool ButtonCollection::AddButton(const std::wstring& title, const std::wstring& path, std::int32_t kind,
                                 const std::wstring& para, const std::wstring& alias) {
    // The test, the insert and the read-back see one state of the table and are stored together.
    if (!store_.BeginTransaction()) return false;
    try {
        const Presence present = FindDuplicate(path, kind);
        if (present != Presence::Absent) {
            store_.RollbackTransaction();
            return present == Presence::Present;  // a test that could not run is a failure
        }
        bool ok = false;
        std::shared_ptr<Recordset> rs = store_.OpenRecordset(statements::LastBySort(), ok);
        std::int64_t next = 0;
        if (!rs->AtBOF() && !rs->AtEOF()) {
            const std::int64_t last = SortOfField(rs->Get(L"sort"));
            // No larger sort exists: the new row could not take the last place.
            if (last == INT64_MAX) throw Refusal{Text(IDS_NO_SORT_LEFT)};
            next = last + 1;
        }
        rs->AddNew();
        rs->Put(L"Title", FieldValue::Text(title));
        rs->Put(L"PathName", FieldValue::Text(path));
        rs->Put(L"iType", FieldValue::Int(kind));
        rs->Put(L"sort", FieldValue::Int(next));
        if (!para.empty()) rs->Put(L"Para", FieldValue::Text(para));
        rs->Update();
        // The row as stored must be the one asked for, under an ID a button can own.
        ButtonRecord stored;
        ReadButtonRecord(*rs, stored);
        if (stored.PathName != path || stored.Title != title || stored.Para != para || stored.iType != kind ||
            stored.sort != next)
            throw Refusal{FillIn(Text(IDS_NAME_NOT_STORABLE), {path})};
        if (IsReservedId(stored.ID)) throw Refusal{Text(IDS_NO_ID_LEFT)};
        // The button and its picture are made before the commit: the picture is kept with
        // the row, in the same transaction.
        std::unique_ptr<LauncherButton> button = host_.CreateButtonWindow();
        button->LoadFromRecord(*rs);
        button->Alias = alias;
        rs->Close();
        if (!SetAliases(store_.Handle(), stored.ID, alias) || !host_.KeepPicture(*button) ||
            !store_.CommitTransaction()) {
            store_.RollbackTransaction();
            return false;
        }
        buttons.push_back(std::move(button));
    } catch (const Refusal& r) {
        store_.RollbackTransaction();
        host_.ShowAddRefusal(r.text);
        return false;
    } catch (const StoreError&) {
        store_.RollbackTransaction();
        return false;
    }
    Sound().PlayResource(kAddSound, kSoundFlags);
    return true;
}

bool ButtonCollection::DeleteButton(std::int64_t id) { return DeleteRow(id, UndoKind::Deleted); }

bool ButtonCollection::DeleteRow(std::int64_t id, UndoKind kind) {
    if (IsReservedId(id)) return false;
    // The row and its undo step are stored together or not at all.
    if (!store_.BeginTransaction()) return false;
    if (!RecordDeleteOne(store_.Handle(), kind, id) || !store_.ExecuteSql(statements::DeleteOne(id)) ||
        !store_.CommitTransaction()) {
        store_.RollbackTransaction();
        return false;
    }
    RemoveButtonById(id);
    Sound().PlayResource(kRemoveSound, kSoundFlags);
    return true;
}

bool ButtonCollection::RemoveButtonById(std::int64_t id) {
    for (size_t i = 0; i < buttons.size(); ++i) {
        if (buttons[i]->ID == id) {
            // Take it out of the collection before the window goes, so that nothing the
            // destruction sets off can reach it through the collection.
            std::unique_ptr<LauncherButton> doomed = std::move(buttons[i]);
            buttons.erase(buttons.begin() + static_cast<std::ptrdiff_t>(i));
            doomed.reset();
            host_.LayoutButtons();
            host_.RenderPanel();
            return true;
        }
    }
    return false;
}

bool ButtonCollection::ClearAllButtons() {
    BackupUnlessUnchanged(store_, CurrentDateTime());
    if (!store_.BeginTransaction()) return false;
    if (!RecordClearAll(store_.Handle()) || !store_.ExecuteSql(statements::DeleteAllButReserved()) ||
        !store_.CommitTransaction()) {
        store_.RollbackTransaction();
        return false;
    }
    const size_t before = buttons.size();
    for (size_t i = buttons.size(); i-- > 0;) {
        if (i < buttons.size() && buttons[i]->ID > kLastReservedId) RemoveButtonById(buttons[i]->ID);
    }
    if (buttons.size() < before) {
        Sound().PlayResource(kRemoveSound, kSoundFlags);
        host_.LayoutButtons();
        host_.RenderPanel();
    }
    return true;
}

void ButtonCollection::PruneMissingTargets() {
    for (size_t i = buttons.size(); i-- > 0;) {
        if (i >= buttons.size()) continue;
        LauncherButton& b = *buttons[i];
        if ((b.iType == ItemKind::File || b.iType == ItemKind::Folder) && !host_.TargetExists(b.PathName))
            DeleteRow(b.ID, UndoKind::Pruned);
    }
}

UndoOutcome ButtonCollection::Undo() {
    UndoOutcome out = UndoNewest(store_, kMaxButtons);
    if (!out.restored.empty()) {
        SyncWithStore();
        Sound().PlayResource(kAddSound, kSoundFlags);
    }
    return out;
}

std::optional<UndoSummary> ButtonCollection::NewestUndo() const { return quorlin::NewestUndo(store_.Handle()); }

std::wstring ButtonCollection::UndoMenuText() const { return quorlin::UndoMenuText(NewestUndo()); }

bool ButtonCollection::SyncWithStore() {
    bool ok = false;
    std::shared_ptr<Recordset> rs = store_.OpenReadOnlyRecordset(statements::LoadAll(), ok);
    if (!ok) return false;
    // Read everything first: the ring is only touched once the store has answered.
    struct Entry {
        std::int64_t id, sort;
        std::unique_ptr<LauncherButton> made;  // for a row that has no button yet
    };
    std::vector<Entry> rows;
    try {
        while (!rs->AtEOF()) {
            // The rows LoadButtons shows, and no others.
            const FieldValue id = rs->Get(L"ID");
            if (id.type == FieldValue::Type::Int && !IsShownId(id.integer)) {
                rs->MoveNext();
                continue;
            }
            Entry e{id.integer, SortOfField(rs->Get(L"sort")), nullptr};
            if (!FindById(e.id)) {
                e.made = host_.CreateButtonWindow();
                e.made->LoadFromRecord(*rs);
            }
            rows.push_back(std::move(e));
            rs->MoveNext();
        }
        rs->Close();
    } catch (const StoreError&) {
        return false;
    }
    std::vector<std::unique_ptr<LauncherButton>> next;
    for (Entry& e : rows) {
        if (e.made) {
            next.push_back(std::move(e.made));
            continue;
        }
        for (auto& b : buttons) {
            if (b && b->ID == e.id) {
                b->sort = e.sort;
                next.push_back(std::move(b));
                break;
            }
        }
    }
    // Buttons whose rows are gone go with their windows once the new order stands.
    std::vector<std::unique_ptr<LauncherButton>> gone = std::move(buttons);
    buttons = std::move(next);
    gone.clear();
    LoadAliases();
    host_.LayoutButtons();
    host_.RenderPanel();
    return true;
}

bool ButtonCollection::SetButtonSort(LauncherButton& button, std::int64_t value) {
    if (!store_.ExecuteSql(statements::SetSort(value, button.ID))) return false;
    button.sort = value;
    return true;
}

bool ButtonCollection::SwapWhileDragging(const Rect& ghostScreenRect, std::int64_t draggedId) {
    std::vector<SwapCandidate> candidates;
    candidates.reserve(buttons.size());
    for (const auto& b : buttons) candidates.push_back({b->ID, b->ScreenRect()});
    std::optional<size_t> target = FindSwapTarget(ghostScreenRect, draggedId, candidates);
    if (!target) return false;
    size_t j = buttons.size();
    for (size_t i = 0; i < buttons.size(); ++i) {
        if (buttons[i]->ID == draggedId) {
            j = i;
            break;
        }
    }
    if (j == buttons.size()) return false;
    const size_t t = *target;

    LauncherButton& dragged = *buttons[j];
    LauncherButton& other = *buttons[t];
    const std::int64_t sortDragged = dragged.sort;
    const std::int64_t sortOther = other.sort;
    // Equal sorts: the exchange would store nothing, and the ring would show an order the
    // next start does not.
    if (sortDragged == sortOther) return false;
    // Both rows change together: a half-done exchange would leave two rows with one sort.
    if (!store_.BeginTransaction()) return false;
    const bool stored = SetButtonSort(other, sortDragged) && SetButtonSort(dragged, sortOther) &&
                        store_.CommitTransaction();
    if (!stored) {
        store_.RollbackTransaction();
        other.sort = sortOther;
        dragged.sort = sortDragged;
        return false;
    }
    std::swap(buttons[j], buttons[t]);
    host_.LayoutButtons();
    host_.RenderPanel();
    return true;
}

LauncherButton* ButtonCollection::FindById(std::int64_t id) const {
    for (const auto& b : buttons)
        if (b->ID == id) return b.get();
    return nullptr;
}

void ButtonCollection::ReloadButton(LauncherButton& button) {
    bool ok = false;
    std::shared_ptr<Recordset> rs = store_.OpenReadOnlyRecordset(statements::SelectById(button.ID), ok);
    try {
        if (ok && !rs->AtEOF()) button.LoadFromRecord(*rs);
        rs->Close();
    } catch (const StoreError&) {
        // The button keeps what it shows.
    }
}

EditOutcome ButtonCollection::UpdateButton(std::int64_t id, const std::wstring& title, const std::wstring& path,
                                           const std::wstring& para, const std::optional<std::wstring>& alias) {
    // The row and the picture kept with it change together.
    if (!store_.BeginTransaction()) return EditOutcome::StoreFailed;
    bool opened = false;  // a failed open shows up as a store error below
    std::shared_ptr<Recordset> rs = store_.OpenRecordset(statements::SelectById(id), opened);
    try {
        if (rs->AtBOF() && rs->AtEOF()) {
            rs->Close();
            store_.RollbackTransaction();
            return EditOutcome::RowGone;
        }
        rs->Put(L"Title", FieldValue::Text(title));
        rs->Put(L"PathName", FieldValue::Text(path));
        rs->Put(L"Para", FieldValue::Text(para));
        rs->Update();
        // Looked up now: the button may have gone while the edit was being made.
        LauncherButton* button = FindById(id);
        const std::wstring oldAlias = button ? button->Alias : std::wstring();
        if (button) button->LoadFromRecord(*rs);
        if (button && alias) button->Alias = *alias;
        rs->Close();
        if ((alias && !SetAliases(store_.Handle(), id, *alias)) || (button && !host_.KeepPicture(*button)) ||
            !store_.CommitTransaction()) {
            store_.RollbackTransaction();
            if (button) {
                ReloadButton(*button);  // it shows the row as it is again
                button->Alias = oldAlias;
            }
            return EditOutcome::StoreFailed;
        }
    } catch (const StoreError&) {
        store_.RollbackTransaction();
        return EditOutcome::StoreFailed;
    }
    return EditOutcome::Stored;
}

EditOutcome ButtonCollection::UpdateAliases(std::int64_t id, const std::wstring& alias) {
    if (!store_.BeginTransaction()) return EditOutcome::StoreFailed;
    bool opened = false;
    std::shared_ptr<Recordset> rs = store_.OpenReadOnlyRecordset(statements::SelectById(id), opened);
    try {
        const bool gone = rs->AtBOF() && rs->AtEOF();
        rs->Close();
        if (gone) {
            store_.RollbackTransaction();
            return EditOutcome::RowGone;
        }
    } catch (const StoreError&) {
        store_.RollbackTransaction();
        return EditOutcome::StoreFailed;
    }
    if (!SetAliases(store_.Handle(), id, alias) || !store_.CommitTransaction()) {
        store_.RollbackTransaction();
        return EditOutcome::StoreFailed;
    }
    if (LauncherButton* button = FindById(id)) button->Alias = alias;
    return EditOutcome::Stored;
}

}  // namespace quorlin
