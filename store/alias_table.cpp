#include "store/alias_table.h"

#include "framework/text.h"
#include "store/db_session.h"
#include "store/sqlite_util.h"

namespace quorlin {

bool HasAliasTable(sqlite3* db) {
    sql::Stmt st(db, "select count(*) from sqlite_master where type = 'table' and name = 'tb_Alias'");
    return st.Row() && st.Int(0) == 1;
}

bool EnsureAliasTable(sqlite3* db) {
    if (!sql::Exec(db, "create table if not exists tb_Alias (ID integer primary key, Alias text not null)")) return false;
    for (const OwnTrigger& t : kOwnTriggers) {
        if (std::string(t.table) != "tb_Alias") continue;
        const std::string make = std::string("create trigger if not exists ") + t.name + " " + t.body;
        if (!sql::Exec(db, make.c_str())) return false;
    }
    return true;
}

bool SetAliases(sqlite3* db, std::int64_t id, const std::wstring& aliases) {
    if (aliases.empty()) {
        if (!HasAliasTable(db)) return true;
        sql::Stmt drop(db, "delete from tb_Alias where ID = ?");
        return drop.Bind(1, id).Run();
    }
    if (!EnsureAliasTable(db)) return false;
    sql::Stmt put(db, "insert or replace into tb_Alias (ID, Alias) values (?, ?)");
    return put.Bind(1, id).Bind(2, aliases).Run();
}

bool ReadAliases(sqlite3* db, std::map<std::int64_t, std::wstring>& aliases) {
    aliases.clear();
    if (!HasAliasTable(db)) return true;
    sql::Stmt st(db, "select ID, Alias from tb_Alias");
    while (st.Row()) aliases[st.Int(0)] = st.Text(1);
    return st.ok() && !st.failed();
}

}  // namespace quorlin
