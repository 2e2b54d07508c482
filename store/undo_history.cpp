#include "store/undo_history.h"

#include <sqlite3.h>

#include <climits>

#include "framework/user_texts.h"
#include "store/alias_table.h"
#include "store/button_table.h"
#include "store/db_session.h"
#include "store/sqlite_util.h"

namespace quorlin {

namespace {

bool EnsureTables(sqlite3* db) {
    return sql::Exec(db,
                     "create table if not exists tb_Undo (Step integer primary key autoincrement, Kind integer not null);"
                     "create table if not exists tb_UndoRows (Step integer not null, ID integer, iType integer, "
                     "Title text, PathName text, Para text, sort integer);"
                     "create index if not exists tb_UndoRows_Step on tb_UndoRows(Step);"
                     "create table if not exists tb_UndoAlias (Step integer not null, ID integer, Alias text);"
                     "create index if not exists tb_UndoAlias_Step on tb_UndoAlias(Step);");
}

bool HasUndoAliases(sqlite3* db) {
    sql::Stmt st(db, "select count(*) from sqlite_master where type = 'table' and name = 'tb_UndoAlias'");
    return st.Row() && st.Int(0) == 1;
}

bool HasTables(sqlite3* db) {
    sql::Stmt st(db, "select count(*) from sqlite_master where type = 'table' and name in ('tb_Undo', 'tb_UndoRows')");
    return st.Row() && st.Int(0) == 2;
}

// Copies the rows `where` selects, and their aliases, into a new step and trims the history.
bool Record(sqlite3* db, UndoKind kind, const char* countSql, const char* copySql, const char* aliasSql,
            std::int64_t arg) {
    {
        sql::Stmt count(db, countSql);
        count.Bind(1, arg);
        if (!count.Row()) return false;
        if (count.Int(0) == 0) return true;
    }
    if (!EnsureTables(db)) return false;
    sql::Stmt step(db, "insert into tb_Undo (Kind) values (?)");
    if (!step.Bind(1, static_cast<std::int64_t>(kind)).Run()) return false;
    const std::int64_t stepId = sqlite3_last_insert_rowid(db);
    sql::Stmt copy(db, copySql);
    if (!copy.Bind(1, stepId).Bind(2, arg).Run()) return false;
    if (HasAliasTable(db)) {
        sql::Stmt aliases(db, aliasSql);
        if (!aliases.Bind(1, stepId).Bind(2, arg).Run()) return false;
    }
    sql::Stmt trimAliases(db,
                          "delete from tb_UndoAlias where Step <= (select Step from tb_Undo order by Step desc limit 1 offset ?)");
    if (!trimAliases.Bind(1, kUndoSteps).Run()) return false;
    sql::Stmt trimRows(db,
                       "delete from tb_UndoRows where Step <= (select Step from tb_Undo order by Step desc limit 1 offset ?)");
    sql::Stmt trimSteps(db, "delete from tb_Undo where Step <= (select Step from tb_Undo order by Step desc limit 1 offset ?)");
    return trimRows.Bind(1, kUndoSteps).Run() && trimSteps.Bind(1, kUndoSteps).Run();
}

struct SavedRow {
    std::int64_t rowid = 0;
    FieldValue sort;
};

bool SortTaken(sqlite3* db, std::int64_t sort, bool& taken) {
    sql::Stmt st(db, "select count(*) from tb_Btns where sort = ?");
    if (!st.Bind(1, sort).Row()) return false;
    taken = st.Int(0) > 0;
    return true;
}

// Frees `sort` by moving the run of used sorts that starts there up by one. False when
// that cannot be done (a store error, or the run reaches the largest sort there is).
bool MakeRoomAt(sqlite3* db, std::int64_t sort, bool& ok) {
    ok = false;
    bool taken = false;
    if (!SortTaken(db, sort, taken)) return false;
    if (!taken) {
        ok = true;
        return true;
    }
    std::int64_t end = sort;
    for (;;) {
        if (end == INT64_MAX) return true;  // no room: ok stays false
        bool next = false;
        if (!SortTaken(db, end + 1, next)) return false;
        if (!next) break;
        ++end;
    }
    sql::Stmt shift(db, "update tb_Btns set sort = sort + 1 where sort between ? and ?");
    if (!shift.Bind(1, sort).Bind(2, end).Run()) return false;
    ok = true;
    return true;
}

// The aliases the step kept for the undo row `undoRow` go to the row it came back as.
bool RestoreAliases(sqlite3* db, std::int64_t undoRow, std::int64_t id) {
    sql::Stmt kept(db, "select a.Alias from tb_UndoAlias a, tb_UndoRows u "
                       "where u.rowid = ? and a.Step = u.Step and a.ID = u.ID limit 1");
    if (!kept.Bind(1, undoRow).Row()) return !kept.failed();
    const std::wstring aliases = kept.Text(0);
    return SetAliases(db, id, aliases);
}

}  // namespace

bool RecordDeleteOne(sqlite3* db, UndoKind kind, std::int64_t id) {
    return Record(db, kind, "select count(*) from tb_Btns where ID = ?",
                  "insert into tb_UndoRows (Step, ID, iType, Title, PathName, Para, sort) "
                  "select ?, ID, iType, Title, PathName, Para, sort from tb_Btns where ID = ?",
                  "insert into tb_UndoAlias (Step, ID, Alias) select ?, ID, Alias from tb_Alias where ID = ?", id);
}

bool RecordClearAll(sqlite3* db) {
    return Record(db, UndoKind::Cleared, "select count(*) from tb_Btns where ID > ?",
                  "insert into tb_UndoRows (Step, ID, iType, Title, PathName, Para, sort) "
                  "select ?, ID, iType, Title, PathName, Para, sort from tb_Btns where ID > ?",
                  "insert into tb_UndoAlias (Step, ID, Alias) select ?, ID, Alias from tb_Alias where ID > ?",
                  kLastReservedId);
}

std::optional<UndoSummary> NewestUndo(sqlite3* db) {
    if (!db || !HasTables(db)) return std::nullopt;
    sql::Stmt step(db, "select Step, Kind from tb_Undo order by Step desc limit 1");
    if (!step.Row()) return std::nullopt;
    UndoSummary s;
    s.kind = static_cast<UndoKind>(step.Int(1));
    sql::Stmt rows(db, "select count(*), (select Title from tb_UndoRows where Step = ?1 order by sort limit 1) "
                       "from tb_UndoRows where Step = ?1");
    if (!rows.Bind(1, step.Int(0)).Row()) return std::nullopt;
    s.count = static_cast<int>(rows.Int(0));
    s.title = rows.Text(1);
    if (s.count == 0) return std::nullopt;
    return s;
}

std::wstring UndoMenuText(const std::optional<UndoSummary>& summary) {
    if (!summary) return MenuText(TextId::UndoNothing);
    if (summary->kind == UndoKind::Cleared || summary->count > 1)
        return MenuText(TextId::UndoClearAll, {std::to_wstring(summary->count)});
    return MenuText(summary->kind == UndoKind::Pruned ? TextId::UndoPrunedButton : TextId::UndoOneButton, {summary->title});
}

UndoOutcome UndoNewest(DbSession& store, int limit) {
    UndoOutcome out;
    sqlite3* db = store.Handle();
    if (!db || !HasTables(db)) {
        out.stored = db != nullptr;
        return out;
    }
    if (!store.BeginTransaction()) return out;
    auto fail = [&] {
        store.RollbackTransaction();
        UndoOutcome none;
        none.hadStep = out.hadStep;
        return none;
    };
    std::int64_t stepId = 0;
    {
        sql::Stmt step(db, "select Step from tb_Undo order by Step desc limit 1");
        if (step.Row()) stepId = step.Int(0);
        if (step.failed()) return fail();
    }
    if (stepId == 0) {
        store.CommitTransaction();
        out.stored = true;
        return out;
    }
    out.hadStep = true;
    const bool withAliases = HasUndoAliases(db);
    std::vector<SavedRow> saved;
    {
        sql::Stmt rows(db, "select rowid, sort from tb_UndoRows where Step = ? order by sort, rowid");
        rows.Bind(1, stepId);
        while (rows.Row()) saved.push_back({rows.Int(0), rows.Field(1)});
        if (rows.failed()) return fail();
    }
    for (const SavedRow& r : saved) {
        // Same kind and path as a row of the ring: compared in SQL, as the values are stored.
        sql::Stmt dup(db, "select count(*) from tb_Btns b, tb_UndoRows u "
                          "where u.rowid = ? and b.iType = u.iType and b.PathName = u.PathName");
        if (!dup.Bind(1, r.rowid).Row()) return fail();
        const bool duplicate = dup.Int(0) > 0;
        if (!duplicate) {
            sql::Stmt count(db, "select count(*) from tb_Btns where ID >= 1 and ID <> 2");
            if (!count.Row()) return fail();
            if (count.Int(0) >= limit) {
                ++out.heldBack;
                continue;
            }
            // A whole-number place is made free; any other stored sort (NULL, a real, a text)
            // goes back as it was, where SQLite's order puts it.
            if (r.sort.type == FieldValue::Type::Int) {
                bool room = false;
                if (!MakeRoomAt(db, r.sort.integer, room)) return fail();
                if (!room) {
                    ++out.heldBack;
                    continue;
                }
            }
            // The stored values themselves go back, byte for byte.
            sql::Stmt put(db, "insert into tb_Btns (iType, Title, PathName, Para, sort) "
                              "select iType, Title, PathName, Para, sort from tb_UndoRows where rowid = ?");
            if (!put.Bind(1, r.rowid).Run()) return fail();
            const std::int64_t id = sqlite3_last_insert_rowid(db);
            // A table emptied by another tool could hand out a reserved ID: no button owns it.
            if (IsReservedId(id)) return fail();
            if (withAliases && !RestoreAliases(db, r.rowid, id)) return fail();
            out.restored.push_back(id);
        } else {
            ++out.duplicates;
        }
        if (withAliases) {
            sql::Stmt dropAliases(db, "delete from tb_UndoAlias where rowid in (select a.rowid from tb_UndoAlias a, "
                                      "tb_UndoRows u where u.rowid = ? and a.Step = u.Step and a.ID = u.ID)");
            if (!dropAliases.Bind(1, r.rowid).Run()) return fail();
        }
        sql::Stmt drop(db, "delete from tb_UndoRows where rowid = ?");
        if (!drop.Bind(1, r.rowid).Run()) return fail();
    }
    if (out.heldBack == 0) {
        sql::Stmt drop(db, "delete from tb_Undo where Step = ?");
        if (!drop.Bind(1, stepId).Run()) return fail();
    }
    if (!store.CommitTransaction()) return fail();
    out.stored = true;
    return out;
}

}  // namespace quorlin
