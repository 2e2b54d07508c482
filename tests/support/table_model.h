// A model of tb_Btns for the crash and power-loss tests: the rows, an operation of the
// collection and what it must do to the table, and a plain reader of the file.
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
    enum class Kind { Add, Del, Swap, Clear } kind = Kind::Add;
    std::int64_t iType = 0, a = 0, b = 0;
    std::string title, path, para;
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
    } else {
        return std::nullopt;
    }
    return it;
}

inline bool IsDuplicateIn(const Table& t, const Intent& it) {
    for (const auto& [id, r] : t)
        if (r.iType == it.iType && r.path && *r.path == it.path) return true;
    return false;
}

// What the table must be after the operation completed. For an add that stores a row,
// newId is the ID the database gave it. Returns false when the operation must be refused.
inline bool Apply(Table& t, const Intent& it, std::int64_t newId) {
    switch (it.kind) {
        case Intent::Kind::Add: {
            if (IsDuplicateIn(t, it)) return true;
            std::int64_t next = 0;
            for (const auto& [id, r] : t) next = std::max(next, r.sort + 1);
            Row r;
            r.id = newId;
            r.iType = it.iType;
            r.title = it.title;
            r.path = it.path;
            if (!it.para.empty()) r.para = it.para;
            r.sort = next;
            t[newId] = r;
            return true;
        }
        case Intent::Kind::Del:
            if (it.a <= 2) return false;
            t.erase(it.a);
            return true;
        case Intent::Kind::Swap: {
            auto a = t.find(it.a), b = t.find(it.b);
            if (it.a <= 2 || it.b <= 2 || a == t.end() || b == t.end()) return false;
            std::swap(a->second.sort, b->second.sort);
            return true;
        }
        case Intent::Kind::Clear:
            for (auto i = t.begin(); i != t.end();) i = i->first > 2 ? t.erase(i) : std::next(i);
            return true;
    }
    return false;
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
