// The words of its own that a button can have (its aliases: "vs", "editor"), matched like
// its title when the panel is typed on. Kept in bts.db beside tb_Btns, whose columns stay as
// they are:
//
//   tb_Alias (ID INTEGER PRIMARY KEY, Alias TEXT NOT NULL)   one row per button that has any
//
// Made on first use, together with a trigger that deletes a row's aliases in the very
// statement that deletes the row (kOwnTriggers, store/db_session.h). Every change runs
// inside the caller's transaction; the undo history keeps the aliases of the rows it holds
// (store/undo_history.h). Portable.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>

struct sqlite3;

namespace quorlin {

// The longest aliases a button may have, in UTF-16 units (all its words together).
constexpr std::size_t kMaxAliasLength = 100;

bool HasAliasTable(sqlite3* db);
// Makes the table and its trigger when missing; false on a store error.
bool EnsureAliasTable(sqlite3* db);
// Stores the aliases of row `id`; an empty text removes them. False on a store error.
bool SetAliases(sqlite3* db, std::int64_t id, const std::wstring& aliases);
// Every row's aliases (none while the table is missing); false on a store error.
bool ReadAliases(sqlite3* db, std::map<std::int64_t, std::wstring>& aliases);

}  // namespace quorlin
