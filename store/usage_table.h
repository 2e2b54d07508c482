// How often and how lately the user opened what typing finds: a ring button (by its row's
// ID) or a program of the Start menu (by its shortcut's path). Kept in bts.db beside
// tb_Btns, whose columns stay as they are:
//
//   tb_Usage (ID INTEGER NOT NULL, Path TEXT NOT NULL, Opened INTEGER NOT NULL,
//             Last INTEGER NOT NULL, PRIMARY KEY (ID, Path))
//
// A button's row has its ID and Path ''; a program's has ID 0 and its path. Opened counts
// the openings, Last is the newest one (milliseconds since 1970, UTC). Made on first use,
// together with a trigger that deletes a button's row in the very statement that deletes
// the button (kOwnTriggers, store/db_session.h). At most kMaxUsageRows rows: the least
// recently opened go. Read once; the log keeps it in memory and writes each opening
// through. Portable.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <unordered_map>

struct sqlite3;

namespace quorlin {

constexpr std::size_t kMaxUsageRows = 300;

struct Usage {
    std::int64_t count = 0;
    std::int64_t last = 0;
    bool operator==(const Usage& o) const { return count == o.count && last == o.last; }
    bool operator!=(const Usage& o) const { return !(*this == o); }
};

// True when `a` ranks before `b` among equal matches: opened more often, then more lately.
inline bool UsedMore(const Usage& a, const Usage& b) {
    return a.count != b.count ? a.count > b.count : a.last > b.last;
}

bool HasUsageTable(sqlite3* db);

class UsageLog {
public:
    // Reads every row (none while the table is missing); false on a store error.
    bool Load(sqlite3* db);
    // Counts one opening at `now` in memory and in the store (the table made on first use,
    // the oldest rows beyond the cap dropped, all in one savepoint). False on a store
    // error; the opening still counts in memory until the next start.
    bool CountButton(sqlite3* db, std::int64_t id, std::int64_t now);
    bool CountProgram(sqlite3* db, const std::wstring& path, std::int64_t now);

    Usage OfButton(std::int64_t id) const;
    Usage OfProgram(const std::wstring& path) const;
    bool HasPrograms() const { return !programs_.empty(); }
    std::size_t Size() const { return buttons_.size() + programs_.size(); }

private:
    bool Count(sqlite3* db, std::int64_t id, const std::wstring& path, Usage& kept, std::int64_t now);
    void Trim();

    std::unordered_map<std::int64_t, Usage> buttons_;
    std::unordered_map<std::wstring, Usage> programs_;
};

}  // namespace quorlin
