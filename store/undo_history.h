// The undo history of deletions, kept in bts.db beside tb_Btns (whose columns stay as
// they are) so that it survives a restart:
//
//   tb_Undo      (Step INTEGER PRIMARY KEY AUTOINCREMENT, Kind INTEGER)   one row per step
//   tb_UndoRows  (Step, ID, iType, Title, PathName, Para, sort)            the deleted rows
//   tb_UndoAlias (Step, ID, Alias)                                         their aliases
//
// Both are made on first use. A step is recorded in the same transaction as the deletion
// it takes back, so the file never holds one without the other. The newest kUndoSteps
// steps are kept. Portable.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct sqlite3;

namespace quorlin {

class DbSession;

constexpr int kUndoSteps = 50;

enum class UndoKind : std::int32_t {
    Deleted = 0,  // one button: drag-off, "删除", the answer Yes to a missing target
    Cleared = 1,  // clear-all, as one step
    Pruned = 2,   // one button removed because its file or folder was gone
};

// Inside the caller's transaction, before the delete: records the rows the delete will
// remove as a new step. No row, no step. False when the history could not be written
// (the caller must then roll back).
bool RecordDeleteOne(sqlite3* db, UndoKind kind, std::int64_t id);
bool RecordClearAll(sqlite3* db);

// What the newest step would bring back (for the tray entry).
struct UndoSummary {
    UndoKind kind = UndoKind::Deleted;
    int count = 0;          // rows the step holds
    std::wstring title;     // the title of its first row in ring order
};
std::optional<UndoSummary> NewestUndo(sqlite3* db);
// The tray entry's text for it (MenuText: in the panel's language).
std::wstring UndoMenuText(const std::optional<UndoSummary>& summary);

// Takes back the newest step in one transaction. Each row comes back with its title,
// path, kind, parameter, sort and aliases exactly as they were stored, under a new ID: at its old
// sort when that is free, otherwise the rows from that sort up to the next unused one move
// up by one, so that it stands again between the same neighbours (a sort that is no whole
// number goes back as it was). Rows go back in ring order. A row whose kind
// and path are on the ring again is dropped (the button is there); a row that would make
// the ring hold more than `limit` buttons stays in the step for a later undo. The step
// goes when none of its rows is left.
struct UndoOutcome {
    bool stored = false;    // the transaction committed (false: nothing changed)
    bool hadStep = false;
    std::vector<std::int64_t> restored;  // new IDs, in ring order
    int duplicates = 0;
    int heldBack = 0;
};
UndoOutcome UndoNewest(DbSession& store, int limit);

}  // namespace quorlin
