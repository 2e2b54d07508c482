#include "store/usage_table.h"

#include <string>

#include "store/db_session.h"
#include "store/sqlite_util.h"

namespace quorlin {

namespace {

bool EnsureUsageTable(sqlite3* db) {
    if (!sql::Exec(db, "create table if not exists tb_Usage (ID integer not null, Path text not null, "
                       "Opened integer not null, Last integer not null, primary key (ID, Path))"))
        return false;
    for (const OwnTrigger& t : kOwnTriggers) {
        if (std::string(t.table) != "tb_Usage") continue;
        const std::string make = std::string("create trigger if not exists ") + t.name + " " + t.body;
        if (!sql::Exec(db, make.c_str())) return false;
    }
    return true;
}

}  // namespace

bool HasUsageTable(sqlite3* db) {
    sql::Stmt st(db, "select count(*) from sqlite_master where type = 'table' and name = 'tb_Usage'");
    return st.Row() && st.Int(0) == 1;
}

bool UsageLog::Load(sqlite3* db) {
    buttons_.clear();
    programs_.clear();
    if (!HasUsageTable(db)) return true;
    sql::Stmt st(db, "select ID, Path, Opened, Last from tb_Usage");
    while (st.Row()) {
        const Usage u{st.Int(2), st.Int(3)};
        if (st.Int(0) > 0) buttons_[st.Int(0)] = u;
        else if (st.Int(0) == 0 && !st.Text(1).empty()) programs_[st.Text(1)] = u;
    }
    Trim();  // a file another tool filled past the cap
    return st.ok() && !st.failed();
}

bool UsageLog::CountButton(sqlite3* db, std::int64_t id, std::int64_t now) {
    if (id <= 0) return false;  // no button's row
    return Count(db, id, L"", buttons_[id], now);
}

bool UsageLog::CountProgram(sqlite3* db, const std::wstring& path, std::int64_t now) {
    if (path.empty()) return false;
    return Count(db, 0, path, programs_[path], now);
}

Usage UsageLog::OfButton(std::int64_t id) const {
    const auto it = buttons_.find(id);
    return it == buttons_.end() ? Usage{} : it->second;
}

Usage UsageLog::OfProgram(const std::wstring& path) const {
    const auto it = programs_.find(path);
    return it == programs_.end() ? Usage{} : it->second;
}

bool UsageLog::Count(sqlite3* db, std::int64_t id, const std::wstring& path, Usage& kept, std::int64_t now) {
    ++kept.count;
    kept.last = now;
    Trim();
    if (!sql::Exec(db, "savepoint usage")) return false;
    bool ok = EnsureUsageTable(db);
    if (ok) {
        sql::Stmt put(db, "insert into tb_Usage (ID, Path, Opened, Last) values (?, ?, 1, ?) "
                          "on conflict (ID, Path) do update set Opened = Opened + 1, Last = excluded.Last");
        ok = put.Bind(1, id).Bind(2, path).Bind(3, now).Run();
    }
    if (ok) {
        sql::Stmt trim(db, "delete from tb_Usage where rowid not in "
                           "(select rowid from tb_Usage order by Last desc limit ?)");
        ok = trim.Bind(1, static_cast<std::int64_t>(kMaxUsageRows)).Run();
    }
    if (!ok) sql::Exec(db, "rollback to usage");
    sql::Exec(db, "release usage");
    return ok;
}

// Drops the least recently opened entries beyond the cap, as the store does.
void UsageLog::Trim() {
    while (Size() > kMaxUsageRows) {
        auto button = buttons_.end();
        auto program = programs_.end();
        for (auto it = buttons_.begin(); it != buttons_.end(); ++it)
            if (button == buttons_.end() || it->second.last < button->second.last) button = it;
        for (auto it = programs_.begin(); it != programs_.end(); ++it)
            if (program == programs_.end() || it->second.last < program->second.last) program = it;
        if (program == programs_.end() || (button != buttons_.end() && button->second.last <= program->second.last))
            buttons_.erase(button);
        else
            programs_.erase(program);
    }
}

}  // namespace quorlin
