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
// At least a fifth of the kills must come inside a write transaction, or the run fails.
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
#include "support/table_model.h"
#include "support/temp_dir.h"

extern char** environ;

namespace {

using namespace quorlin::testing::model;

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
        if (const std::string problems = db.IntegrityProblems(); !problems.empty()) Fail("integrity_check: " + problems);
        const auto sameSort = db.Column("select sort from tb_Btns group by sort having count(*) > 1", error);
        if (!sameSort.empty()) Fail("two rows share sort " + sameSort[0]);
        State actual;
        if (!db.Read(actual.table, error)) {
            Fail("cannot read tb_Btns: " + error);
            return;
        }
        if (!db.ReadUndo(actual.undo, error)) Fail("cannot read the undo history: " + error);
        if (!actual.table.count(1) || !actual.table.count(2)) Fail("a reserved row is gone");
        // Every row the child made carries the aliases it gave it (the end of its path): stored
        // with the row, gone with it, brought back with it by an undo, never left behind.
        const bool aliases = !db.Column("select name from sqlite_master where name = 'tb_Alias'", error).empty();
        const auto outOfStep = db.Column(aliases ? "select ID from tb_Btns where ID > 2 and ID not in (select ID from tb_Alias "
                                                   "where Alias = 'al' || substr(tb_Btns.PathName, -12)) union all "
                                                   "select ID from tb_Alias where ID not in (select ID from tb_Btns)"
                                                 : "select ID from tb_Btns where ID > 2", error);
        if (!outOfStep.empty()) Fail("row " + outOfStep[0] + " and its aliases are out of step");
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
    // A run whose kills mostly miss the writes proves little: a good share must have come
    // inside a write transaction (a hot journal left behind).
    if (s.kills >= 50 && s.hotJournal * 5 < s.kills) {
        std::printf("crash: FAIL: only %ld of %ld kills came inside a write transaction (at least a fifth needed)\n",
                    s.hotJournal, s.kills);
        ++s.failed;
    }
    if (keep) {
        const std::string kept = "/tmp/quorlin-crash-" + std::to_string(seed) + ".db";
        std::error_code ec;
        std::filesystem::copy_file(dir.File("bts.db"), kept, std::filesystem::copy_options::overwrite_existing, ec);
        std::printf("crash: final store kept as %s\n", kept.c_str());
    }
    std::printf("crash: %ld kills, %ld checks passed, %ld failed\n", s.kills, s.passed, s.failed);
    return s.failed == 0 ? 0 : 1;
}
