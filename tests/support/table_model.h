// A model of tb_Btns and its undo history for the crash and power-loss tests: the rows,
// an operation of the collection and what it must do to them, and a plain reader of the file.
#pragma once

#include <sqlite3.h>

#include <algorithm>
#include <cstdint>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace quorlin::testing::model {

struct Row {
    std::int64_t id = 0;
    std::int64_t iType = 0;
    std::optional<std::string> title, path, para;  // nullopt: NULL
    std::int64_t sort = 0;
    bool operator==(const Row& o) const {
        return id == o.id && iType == o.iType && title == o.title && path == o.path && para == o.para &&
               sort == o.sort;
    }
};
using Table = std::map<std::int64_t, Row>;

// The undo history as the model keeps it: oldest step first, rows in ring order.
inline constexpr size_t kUndoSteps = 50;
inline constexpr std::int64_t kLimit = 66;
struct Step {
    std::int64_t kind = 0;
    std::vector<Row> rows;
    bool operator==(const Step& o) const { return kind == o.kind && rows == o.rows; }
};
struct State {
    Table table;
    std::vector<Step> undo;
};

inline std::string Show(const std::optional<std::string>& s) {
    if (!s) return "NULL";
    std::string t = *s;
    if (t.size() > 40) t = t.substr(0, 40) + "...(" + std::to_string(s->size()) + ")";
    return "'" + t + "'";
}

inline std::string Show(const Row& r) {
    return std::to_string(r.id) + "|" + std::to_string(r.iType) + "|" + Show(r.title) + "|" + Show(r.path) + "|" +
           Show(r.para) + "|sort " + std::to_string(r.sort);
}

inline std::string Diff(const Table& expected, const Table& actual) {
    std::string out;
    for (const auto& [id, r] : expected) {
        auto it = actual.find(id);
        if (it == actual.end()) out += "    missing  " + Show(r) + "\n";
        else if (!(it->second == r)) out += "    expected " + Show(r) + "\n    found    " + Show(it->second) + "\n";
    }
    for (const auto& [id, r] : actual)
        if (!expected.count(id)) out += "    extra    " + Show(r) + "\n";
    return out;
}

// "ID:sort,..." in ring order: every row but row 2, by ascending sort.
inline std::string RingOf(const Table& t) {
    std::vector<const Row*> rows;
    for (const auto& [id, r] : t)
        if (id != 2) rows.push_back(&r);
    std::sort(rows.begin(), rows.end(), [](const Row* a, const Row* b) { return a->sort < b->sort; });
    std::string s;
    for (const Row* r : rows) s += (s.empty() ? "" : ",") + std::to_string(r->id) + ":" + std::to_string(r->sort);
    return s.empty() ? "-" : s;
}

// An operation the child announced.
struct Intent {
    enum class Kind { Add, Del, Swap, Clear, Undo, Import } kind = Kind::Add;
    std::int64_t iType = 0, a = 0, b = 0;
    std::string title, path, para;
    std::vector<Intent> rows;  // an import's buttons (as adds)
};

inline std::string Unhex(const std::string& h) {
    std::string out;
    for (size_t i = 1; i + 1 < h.size(); i += 2) out += static_cast<char>(std::stoi(h.substr(i, 2), nullptr, 16));
    return out;
}

inline std::optional<Intent> ParseIntent(const std::string& line) {
    std::istringstream in(line);
    std::string word, op;
    in >> word >> op;
    Intent it;
    if (op == "add") {
        std::string t, p, q;
        in >> it.iType >> t >> p >> q;
        if (!in) return std::nullopt;
        it.kind = Intent::Kind::Add;
        it.title = Unhex(t);
        it.path = Unhex(p);
        it.para = Unhex(q);
    } else if (op == "del") {
        it.kind = Intent::Kind::Del;
        if (!(in >> it.a)) return std::nullopt;
    } else if (op == "swap") {
        it.kind = Intent::Kind::Swap;
        if (!(in >> it.a >> it.b)) return std::nullopt;
    } else if (op == "clear") {
        it.kind = Intent::Kind::Clear;
    } else if (op == "undo") {
        it.kind = Intent::Kind::Undo;
    } else if (op == "import") {
        it.kind = Intent::Kind::Import;
        size_t n = 0;
        if (!(in >> n)) return std::nullopt;
        for (size_t i = 0; i < n; ++i) {
            Intent r;
            std::string t, p, q;
            in >> r.iType >> t >> p >> q;
            if (!in) return std::nullopt;
            r.title = Unhex(t);
            r.path = Unhex(p);
            r.para = Unhex(q);
            it.rows.push_back(r);
        }
    } else {
        return std::nullopt;
    }
    return it;
}

inline bool IsDuplicateIn(const Table& t, std::int64_t iType, const std::optional<std::string>& path) {
    for (const auto& [id, r] : t)
        if (r.iType == iType && r.path == path) return true;
    return false;
}

inline std::int64_t Shown(const Table& t) {
    std::int64_t n = 0;
    for (const auto& [id, r] : t) n += id != 2;
    return n;
}

inline bool SortTaken(const Table& t, std::int64_t sort) {
    for (const auto& [id, r] : t)
        if (r.sort == sort) return true;
    return false;
}

inline void PushStep(State& s, std::int64_t kind, std::vector<Row> rows) {
    if (rows.empty()) return;
    std::sort(rows.begin(), rows.end(), [](const Row& a, const Row& b) { return a.sort < b.sort; });
    s.undo.push_back({kind, std::move(rows)});
    if (s.undo.size() > kUndoSteps) s.undo.erase(s.undo.begin());
}

// A row added at the end of the ring (an add, or an import's row); false: not added.
inline bool AddRow(Table& t, const Intent& it, std::int64_t id) {
    if (IsDuplicateIn(t, it.iType, it.path)) return false;
    std::int64_t next = 0;
    for (const auto& [k, r] : t) next = std::max(next, r.sort + 1);
    Row r;
    r.id = id;
    r.iType = it.iType;
    r.title = it.title;
    r.path = it.path;
    if (!it.para.empty()) r.para = it.para;
    r.sort = next;
    t[id] = r;
    return true;
}

// What the state must be after the operation completed. Rows it adds take the IDs newId,
// newId + 1, ... in the order they are added. Returns false when the operation must be
// refused.
inline bool Apply(State& s, const Intent& it, std::int64_t newId) {
    Table& t = s.table;
    switch (it.kind) {
        case Intent::Kind::Add:
            AddRow(t, it, newId);
            return true;
        case Intent::Kind::Del: {
            if (it.a <= 2) return false;
            auto r = t.find(it.a);
            if (r != t.end()) {
                PushStep(s, 0, {r->second});
                t.erase(r);
            }
            return true;
        }
        case Intent::Kind::Swap: {
            auto a = t.find(it.a), b = t.find(it.b);
            if (it.a <= 2 || it.b <= 2 || a == t.end() || b == t.end()) return false;
            std::swap(a->second.sort, b->second.sort);
            return true;
        }
        case Intent::Kind::Clear: {
            std::vector<Row> gone;
            for (auto i = t.begin(); i != t.end();) {
                if (i->first > 2) {
                    gone.push_back(i->second);
                    i = t.erase(i);
                } else {
                    ++i;
                }
            }
            PushStep(s, 1, gone);
            return true;
        }
        case Intent::Kind::Undo: {
            if (s.undo.empty()) return true;
            std::vector<Row> held;
            for (Row r : s.undo.back().rows) {
                if (IsDuplicateIn(t, r.iType, r.path)) continue;
                if (Shown(t) >= kLimit) {
                    held.push_back(r);
                    continue;
                }
                // At its old sort; the run of used sorts from there moves up by one.
                std::int64_t end = r.sort;
                if (SortTaken(t, r.sort)) {
                    while (SortTaken(t, end + 1)) ++end;
                    for (auto& [k, o] : t)
                        if (o.sort >= r.sort && o.sort <= end) ++o.sort;
                }
                r.id = newId++;
                t[r.id] = r;
            }
            if (held.empty()) s.undo.pop_back();
            else s.undo.back().rows = held;
            return true;
        }
        case Intent::Kind::Import:
            for (const Intent& row : it.rows) {
                if (IsDuplicateIn(t, row.iType, row.path) || Shown(t) >= kLimit) continue;
                AddRow(t, row, newId++);
            }
            return true;
    }
    return false;
}

// The table and the undo history alike.
inline bool Same(const State& a, const State& b) { return a.table == b.table && a.undo == b.undo; }

inline std::string UndoDiff(const std::vector<Step>& expected, const std::vector<Step>& actual) {
    if (expected == actual) return "";
    std::string out = "    undo history: expected " + std::to_string(expected.size()) + " steps, found " +
                      std::to_string(actual.size()) + "\n";
    for (size_t i = 0; i < std::max(expected.size(), actual.size()); ++i) {
        if (i < expected.size() && i < actual.size() && expected[i] == actual[i]) continue;
        auto show = [](const std::vector<Step>& v, size_t k) {
            if (k >= v.size()) return std::string("(none)");
            std::string t = "kind " + std::to_string(v[k].kind) + ":";
            for (const Row& r : v[k].rows) t += " [" + Show(r) + "]";
            return t;
        };
        out += "    step " + std::to_string(i) + " expected " + show(expected, i) + "\n    step " +
               std::to_string(i) + " found    " + show(actual, i) + "\n";
        break;
    }
    return out;
}

// ---------------------------------------------------------------- the file

struct Db {
    sqlite3* db = nullptr;
    explicit Db(const std::string& path) {
        // Read-write, as the program opens it: a hot journal left by the kill is rolled back here.
        if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
            sqlite3_close(db);
            db = nullptr;
        }
        if (db) sqlite3_busy_timeout(db, 5000);
    }
    ~Db() { sqlite3_close(db); }
    // All rows of the first column of a query, as text.
    std::vector<std::string> Column(const char* sql, std::string& error) const {
        std::vector<std::string> out;
        sqlite3_stmt* st = nullptr;
        if (sqlite3_prepare_v2(db, sql, -1, &st, nullptr) != SQLITE_OK) {
            error = sqlite3_errmsg(db);
            return out;
        }
        int rc;
        while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
            const unsigned char* t = sqlite3_column_text(st, 0);
            out.push_back(t ? reinterpret_cast<const char*>(t) : "NULL");
        }
        if (rc != SQLITE_DONE) error = sqlite3_errmsg(db);
        sqlite3_finalize(st);
        return out;
    }
    bool ReadUndo(std::vector<Step>& steps, std::string& error) const {
        steps.clear();
        if (Column("select name from sqlite_master where name = 'tb_Undo'", error).empty()) return error.empty();
        sqlite3_stmt* st = nullptr;
        if (sqlite3_prepare_v2(db,
                               "select u.Step, u.Kind, r.ID, r.iType, r.Title, r.PathName, r.Para, r.sort from tb_Undo u "
                               "left join tb_UndoRows r on r.Step = u.Step order by u.Step, r.sort",
                               -1, &st, nullptr) != SQLITE_OK) {
            error = sqlite3_errmsg(db);
            return false;
        }
        auto text = [&](int i) -> std::optional<std::string> {
            if (sqlite3_column_type(st, i) == SQLITE_NULL) return std::nullopt;
            const unsigned char* p = sqlite3_column_text(st, i);
            return std::string(reinterpret_cast<const char*>(p), sqlite3_column_bytes(st, i));
        };
        std::int64_t current = -1;
        int rc;
        while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
            if (sqlite3_column_int64(st, 0) != current) {
                current = sqlite3_column_int64(st, 0);
                steps.push_back({sqlite3_column_int64(st, 1), {}});
            }
            if (sqlite3_column_type(st, 2) == SQLITE_NULL) continue;  // a step without rows
            Row r;
            r.id = sqlite3_column_int64(st, 2);
            r.iType = sqlite3_column_int64(st, 3);
            r.title = text(4);
            r.path = text(5);
            r.para = text(6);
            r.sort = sqlite3_column_int64(st, 7);
            steps.back().rows.push_back(r);
        }
        if (rc != SQLITE_DONE) error = sqlite3_errmsg(db);
        sqlite3_finalize(st);
        return rc == SQLITE_DONE;
    }
    // "" when PRAGMA integrity_check says ok, else what it (or the failing query) said.
    std::string IntegrityProblems() const {
        std::string error;
        const auto lines = Column("PRAGMA integrity_check", error);
        if (lines == std::vector<std::string>{"ok"}) return "";
        std::string all;
        for (const auto& l : lines) all += l + "; ";
        return all + error;
    }
    bool Read(Table& t, std::string& error) const {
        t.clear();
        sqlite3_stmt* st = nullptr;
        if (sqlite3_prepare_v2(db, "select ID, iType, Title, PathName, Para, sort from tb_Btns", -1, &st, nullptr) !=
            SQLITE_OK) {
            error = sqlite3_errmsg(db);
            return false;
        }
        auto text = [&](int i) -> std::optional<std::string> {
            if (sqlite3_column_type(st, i) == SQLITE_NULL) return std::nullopt;
            const unsigned char* p = sqlite3_column_text(st, i);
            return std::string(reinterpret_cast<const char*>(p), sqlite3_column_bytes(st, i));
        };
        int rc;
        while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
            Row r;
            r.id = sqlite3_column_int64(st, 0);
            r.iType = sqlite3_column_int64(st, 1);
            r.title = text(2);
            r.path = text(3);
            r.para = text(4);
            r.sort = sqlite3_column_int64(st, 5);
            t[r.id] = r;
        }
        if (rc != SQLITE_DONE) error = sqlite3_errmsg(db);
        sqlite3_finalize(st);
        return rc == SQLITE_DONE;
    }
};
}  // namespace quorlin::testing::model
