// Crash safety of the button store: crash_child (beside this program) changes a real bts.db
// through the button collection while we kill it with SIGKILL at random moments, often in
// the middle of an SQLite write. After every kill we open the file ourselves and check:
//
//  - PRAGMA integrity_check says "ok";
//  - the table is exactly what the child reported as committed, or that plus the one
//    operation it had announced and not yet reported (it may have been committed just
//    before the kill) - never half of an operation (one sort of a swap, a partial clear);
//  - no two rows share a sort, and the reserved rows are there;
//  - every "ready" and "done" report of the child matched our own model of the table, so
//    the collection on the ring was in step with what was stored;
//  - the undo history in the file (tb_Undo, tb_UndoRows) is exactly the model's: each
//    deletion and clear stored its step with it, each undo took its step back whole;
//  - every finished backup beside the store is a good database.
//
// Then the next child starts on the same file (recovering whatever the kill left behind).
//
// Usage: crash_test [--kills N] [--seed S] [--keep]
//   QUORLIN_CRASH_KILLS=N   number of kills (default 400; the long run uses 5000)
//   QUORLIN_CRASH_SEED=S    seed of the whole run (default: from the clock; printed)
// Prints "crash: N kills, N checks passed, N failed" last; exit status 0 when none failed.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <optional>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "framework/text.h"
#include "store/backups.h"
#include "support/temp_dir.h"

extern char** environ;

namespace {

// ---------------------------------------------------------------- the model of tb_Btns

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
constexpr size_t kUndoSteps = 50;
constexpr std::int64_t kLimit = 66;
struct Step {
    std::int64_t kind = 0;
    std::vector<Row> rows;
    bool operator==(const Step& o) const { return kind == o.kind && rows == o.rows; }
};
struct State {
    Table table;
    std::vector<Step> undo;
};

std::string Show(const std::optional<std::string>& s) {
    if (!s) return "NULL";
    std::string t = *s;
    if (t.size() > 40) t = t.substr(0, 40) + "...(" + std::to_string(s->size()) + ")";
    return "'" + t + "'";
}

std::string Show(const Row& r) {
    return std::to_string(r.id) + "|" + std::to_string(r.iType) + "|" + Show(r.title) + "|" + Show(r.path) + "|" +
           Show(r.para) + "|sort " + std::to_string(r.sort);
}

std::string Diff(const Table& expected, const Table& actual) {
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
std::string RingOf(const Table& t) {
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

std::string Unhex(const std::string& h) {
    std::string out;
    for (size_t i = 1; i + 1 < h.size(); i += 2) out += static_cast<char>(std::stoi(h.substr(i, 2), nullptr, 16));
    return out;
}

std::optional<Intent> ParseIntent(const std::string& line) {
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

bool IsDuplicateIn(const Table& t, std::int64_t iType, const std::optional<std::string>& path) {
    for (const auto& [id, r] : t)
        if (r.iType == iType && r.path == path) return true;
    return false;
}

std::int64_t Shown(const Table& t) {
    std::int64_t n = 0;
    for (const auto& [id, r] : t) n += id != 2;
    return n;
}

bool SortTaken(const Table& t, std::int64_t sort) {
    for (const auto& [id, r] : t)
        if (r.sort == sort) return true;
    return false;
}

void PushStep(State& s, std::int64_t kind, std::vector<Row> rows) {
    if (rows.empty()) return;
    std::sort(rows.begin(), rows.end(), [](const Row& a, const Row& b) { return a.sort < b.sort; });
    s.undo.push_back({kind, std::move(rows)});
    if (s.undo.size() > kUndoSteps) s.undo.erase(s.undo.begin());
}

// A row added at the end of the ring (an add, or an import's row); false: not added.
bool AddRow(Table& t, const Intent& it, std::int64_t id) {
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
bool Apply(State& s, const Intent& it, std::int64_t newId) {
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

// ---------------------------------------------------------------- the child

struct Child {
    pid_t pid = -1;
    int out = -1;  // its stdout
};

Child Spawn(const std::string& program, const std::string& dir, unsigned long long seed) {
    Child c;
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) return c;
    posix_spawn_file_actions_t fa;
    posix_spawn_file_actions_init(&fa);
    posix_spawn_file_actions_adddup2(&fa, fds[1], 1);
    posix_spawn_file_actions_addopen(&fa, 0, "/dev/null", O_RDONLY, 0);
    const std::string seedText = std::to_string(seed);
    std::vector<char*> argv = {const_cast<char*>(program.c_str()), const_cast<char*>(dir.c_str()),
                               const_cast<char*>(seedText.c_str()), nullptr};
    pid_t pid;
    const int rc = posix_spawn(&pid, program.c_str(), &fa, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&fa);
    ::close(fds[1]);
    if (rc != 0) {
        ::close(fds[0]);
        return c;
    }
    c.pid = pid;
    c.out = fds[0];
    return c;
}

using Clock = std::chrono::steady_clock;

// Reads what the child wrote until the deadline (or until it closes its end); returns false
// at end of file.
bool ReadUntil(int fd, std::string& buffer, Clock::time_point deadline) {
    char chunk[65536];
    for (;;) {
        const auto now = Clock::now();
        if (now >= deadline) return true;
        const auto left = std::chrono::duration_cast<std::chrono::nanoseconds>(deadline - now).count();
        timespec ts{static_cast<time_t>(left / 1000000000), static_cast<long>(left % 1000000000)};
        pollfd p{fd, POLLIN, 0};
        const int n = ::ppoll(&p, 1, &ts, nullptr);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return true;
        const ssize_t got = ::read(fd, chunk, sizeof chunk);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) return false;
        buffer.append(chunk, static_cast<size_t>(got));
    }
}

void ReadToEnd(int fd, std::string& buffer) {
    char chunk[65536];
    for (;;) {
        const ssize_t got = ::read(fd, chunk, sizeof chunk);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) return;
        buffer.append(chunk, static_cast<size_t>(got));
    }
}

std::string ProgramDir() {
    std::error_code ec;
    auto self = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::string(".") : self.parent_path().string();
}

// ---------------------------------------------------------------- the run

struct Stats {
    long kills = 0, passed = 0, failed = 0;
    long beforeReady = 0;     // killed while opening or loading
    long inOperation = 0;     // killed after announcing an operation and before reporting it
    long hotJournal = 0;      // a journal was left: the kill came inside a write transaction
    long inFlightStored = 0;  // the announced operation turned out to be committed
    long reported = 0;        // operations the children reported as done
    long undos = 0, imports = 0;  // of those: undos that brought rows back, imports that added rows
};

class Run {
public:
    Run(std::string child, std::string dir, unsigned long long seed)
        : child_(std::move(child)), dir_(std::move(dir)), file_(dir_ + "/bts.db"), rng_(seed), seed_(seed) {}

    bool Start() {
        Db db(file_);
        std::string error;
        if (!db.db || !db.Read(model_.table, error)) {
            std::printf("crash: cannot read the new database: %s\n", error.c_str());
            return false;
        }
        for (const auto& [id, r] : model_.table) maxId_ = std::max(maxId_, id);
        return true;
    }

    void Cycle(Stats& s) {
        failures_.clear();
        const unsigned long long childSeed = seed_ * 1000003ULL + static_cast<unsigned long long>(s.kills);
        Child c = Spawn(child_, dir_, childSeed);
        if (c.pid < 0) {
            failures_.push_back("cannot start " + child_);
            Finish(s);
            return;
        }
        std::string buffer;
        bool open = true;
        // Mostly kill once the ring is loaded, at a delay spread evenly over the orders of
        // magnitude from a microsecond to 100 ms; now and then during start-up instead.
        const bool early = std::uniform_int_distribution<int>(0, 19)(rng_) == 0;
        const double exponent = std::uniform_real_distribution<double>(0.0, std::log(100000.0))(rng_);
        const auto delay = std::chrono::microseconds(static_cast<long>(std::exp(exponent)));
        if (early) {
            open = ReadUntil(c.out, buffer, Clock::now() + delay / 2);
        } else {
            const auto limit = Clock::now() + std::chrono::seconds(20);
            while (open && buffer.find('\n') == std::string::npos && Clock::now() < limit)
                open = ReadUntil(c.out, buffer, std::min(limit, Clock::now() + std::chrono::milliseconds(5)));
            if (open && buffer.find('\n') != std::string::npos)
                open = ReadUntil(c.out, buffer, Clock::now() + delay);
        }
        ::kill(c.pid, SIGKILL);
        int status = 0;
        while (::waitpid(c.pid, &status, 0) < 0 && errno == EINTR) {
        }
        ReadToEnd(c.out, buffer);
        ::close(c.out);
        ++s.kills;
        if (!(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL)) {
            failures_.push_back("the child ended by itself (status " + std::to_string(status) +
                                ") instead of being killed");
        }

        // Follow the child's reports; only complete lines count.
        const size_t end = buffer.rfind('\n');
        std::istringstream lines(end == std::string::npos ? std::string() : buffer.substr(0, end + 1));
        std::optional<Intent> pending;
        bool ready = false;
        for (std::string line; std::getline(lines, line);) Follow(line, pending, ready, s);
        if (!ready) ++s.beforeReady;
        if (pending) ++s.inOperation;

        // The file as the kill left it.
        std::error_code ec;
        if (std::filesystem::exists(file_ + "-journal", ec) && std::filesystem::file_size(file_ + "-journal", ec) > 0)
            ++s.hotJournal;
        Check(pending, s);
        Finish(s);
    }

private:
    void Fail(const std::string& what) { failures_.push_back(what); }

    void Follow(const std::string& line, std::optional<Intent>& pending, bool& ready, Stats& s) {
        if (line.rfind("ready ", 0) == 0) {
            ready = true;
            if (line.substr(6) != RingOf(model_.table))
                Fail("loaded ring " + line.substr(6) + " but the table holds " + RingOf(model_.table));
        } else if (line.rfind("begin ", 0) == 0) {
            if (pending) Fail("announced an operation while another was unreported");
            pending = ParseIntent(line);
            if (!pending) Fail("unreadable line: " + line);
        } else if (line.rfind("done ", 0) == 0 || line.rfind("false ", 0) == 0) {
            if (!pending) {
                Fail("report without an operation: " + line);
                return;
            }
            std::istringstream in(line);
            std::string word, ring;
            std::int64_t newId = 0;
            in >> word;
            if (word == "done") in >> newId;
            in >> ring;
            State next = model_;
            const bool allowed = Apply(next, *pending, newId);
            const bool ok = word == "done";
            if (ok != allowed) {
                Fail("operation " + std::string(allowed ? "should have succeeded" : "should have been refused") +
                     ": " + line);
            } else if (ok) {
                const bool added = NewIds(next) > 0;
                if (added && newId <= maxId_) Fail("new row got ID " + std::to_string(newId) + ", not a fresh one");
                if (!added && newId != 0) Fail("no row was due, yet the add reported ID " + std::to_string(newId));
                if (added && pending->kind == Intent::Kind::Undo) ++s.undos;
                if (added && pending->kind == Intent::Kind::Import) ++s.imports;
                Accept(next);
                ++s.reported;
            }
            if (ring != RingOf(model_.table))
                Fail("ring " + ring + " after '" + line.substr(0, 20) + "' but the table holds " + RingOf(model_.table));
            pending.reset();
        } else {
            Fail("unreadable line: " + line.substr(0, 80));
        }
    }

    void Check(const std::optional<Intent>& pending, Stats& s) {
        Db db(file_);
        if (!db.db) {
            Fail("cannot open the file after the kill");
            return;
        }
        std::string error;
        const auto integrity = db.Column("PRAGMA integrity_check", error);
        if (integrity != std::vector<std::string>{"ok"}) {
            std::string all;
            for (const auto& l : integrity) all += l + "; ";
            Fail("integrity_check: " + all + error);
        }
        const auto sameSort = db.Column("select sort from tb_Btns group by sort having count(*) > 1", error);
        if (!sameSort.empty()) Fail("two rows share sort " + sameSort[0]);
        State actual;
        if (!db.Read(actual.table, error)) {
            Fail("cannot read tb_Btns: " + error);
            return;
        }
        if (!db.ReadUndo(actual.undo, error)) Fail("cannot read the undo history: " + error);
        if (!actual.table.count(1) || !actual.table.count(2)) Fail("a reserved row is gone");
        CheckBackups();
        if (Same(actual, model_)) return;
        // The announced operation may have been committed before the kill: then exactly it.
        if (pending) {
            std::int64_t newId = 0;
            for (const auto& [id, r] : actual.table)
                if (!model_.table.count(id) && (newId == 0 || id < newId)) newId = id;
            State next = model_;
            if (Apply(next, *pending, newId) && Same(next, actual) && (NewIds(next) == 0 || newId > maxId_)) {
                Accept(next);
                ++s.inFlightStored;
                return;
            }
        }
        Fail("the file is neither the reported state nor that plus the announced operation:\n" +
             Diff(model_.table, actual.table) + UndoDiff(model_.undo, actual.undo));
        Accept(actual);  // go on from what is there
    }

    static bool Same(const State& a, const State& b) { return a.table == b.table && a.undo == b.undo; }

    static std::string UndoDiff(const std::vector<Step>& expected, const std::vector<Step>& actual) {
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

    // Rows of `next` that the model does not have.
    size_t NewIds(const State& next) const {
        size_t n = 0;
        for (const auto& [id, r] : next.table) n += model_.table.count(id) == 0;
        return n;
    }

    void Accept(const State& next) {
        model_ = next;
        for (const auto& [id, r] : model_.table) maxId_ = std::max(maxId_, id);
    }

    // A backup that was finished (renamed to its name) is a whole, good database.
    void CheckBackups() {
        for (const auto& b : quorlin::ListBackups(quorlin::FromUtf8(file_)))
            if (!quorlin::IsGoodDatabase(b.path)) Fail("backup " + quorlin::ToUtf8(b.path) + " is not a good database");
    }

    void Finish(Stats& s) {
        if (failures_.empty()) {
            ++s.passed;
            return;
        }
        ++s.failed;
        std::printf("crash: FAIL at kill %ld (seed %llu):\n", s.kills, seed_);
        for (const auto& f : failures_) std::printf("  %s\n", f.c_str());
        std::fflush(stdout);
    }

    std::string child_, dir_, file_;
    std::mt19937_64 rng_;
    unsigned long long seed_;
    State model_;
    std::int64_t maxId_ = 0;
    std::vector<std::string> failures_;
};

long EnvOr(const char* name, long fallback) {
    const char* v = std::getenv(name);
    return v && *v ? std::strtol(v, nullptr, 10) : fallback;
}

}  // namespace

int main(int argc, char** argv) {
    long kills = EnvOr("QUORLIN_CRASH_KILLS", 400);
    unsigned long long seed = static_cast<unsigned long long>(
        EnvOr("QUORLIN_CRASH_SEED", static_cast<long>(std::chrono::system_clock::now().time_since_epoch().count() % 1000000007)));
    bool keep = false;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--kills" && i + 1 < argc) kills = std::strtol(argv[++i], nullptr, 10);
        else if (a == "--seed" && i + 1 < argc) seed = std::strtoull(argv[++i], nullptr, 10);
        else if (a == "--keep") keep = true;
        else {
            std::fprintf(stderr, "usage: crash_test [--kills N] [--seed S] [--keep]\n");
            return 2;
        }
    }
    // Writes to the child's pipe after it is gone must not end us.
    ::signal(SIGPIPE, SIG_IGN);

    const std::string child = ProgramDir() + "/crash_child";
    if (::access(child.c_str(), X_OK) != 0) {
        std::printf("crash: %s is missing\ncrash: 0 kills, 0 checks passed, 1 failed\n", child.c_str());
        return 1;
    }
    quorlin::testing::TempDir dir;
    dir.MakeDatabase();
    std::printf("crash: seed %llu, %ld kills, store %s\n", seed, kills, dir.Path().string().c_str());
    std::fflush(stdout);

    Stats s;
    Run run(child, dir.Path().string(), seed);
    const auto started = Clock::now();
    if (!run.Start()) {
        std::printf("crash: 0 kills, 0 checks passed, 1 failed\n");
        return 1;
    }
    while (s.kills < kills) {
        run.Cycle(s);
        if (s.kills % 500 == 0) {
            std::printf("crash: %ld kills so far\n", s.kills);
            std::fflush(stdout);
        }
    }
    const double seconds = std::chrono::duration<double>(Clock::now() - started).count();
    std::printf("crash: %.1f s; %ld operations reported committed (%ld undos and %ld imports that added rows); kills: %ld during start-up, %ld with an "
                "operation in flight (%ld of those found committed), %ld inside a write transaction (hot journal "
                "left)\n",
                seconds, s.reported, s.undos, s.imports, s.beforeReady, s.inOperation, s.inFlightStored, s.hotJournal);
    if (keep) {
        const std::string kept = "/tmp/quorlin-crash-" + std::to_string(seed) + ".db";
        std::error_code ec;
        std::filesystem::copy_file(dir.File("bts.db"), kept, std::filesystem::copy_options::overwrite_existing, ec);
        std::printf("crash: final store kept as %s\n", kept.c_str());
    }
    std::printf("crash: %ld kills, %ld checks passed, %ld failed\n", s.kills, s.passed, s.failed);
    return s.failed == 0 ? 0 : 1;
}
