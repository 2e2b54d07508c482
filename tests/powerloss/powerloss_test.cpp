// Power-loss safety of the button store, tested the way SQLite tests itself: the real
// button collection writes a real bts.db through a VFS shim over the system's VFS. The shim
// remembers what was written since each file's last sync and, at a random write, sync or
// delete, cuts the power: from then on every write fails, the writer is closed, and the
// files are put back as a disk could hold them after the cut - the content of the last
// sync, with each later write kept, lost or torn (some of its 512-byte sectors kept), a
// file deleted without a sync of its folder possibly back, a file never synced possibly
// gone. Then the file is opened again and checked:
//
//  - PRAGMA integrity_check says "ok";
//  - the table and its undo history are exactly what the writer was told was committed,
//    or that plus the one operation that was running at the cut, whole (adds, deletes,
//    swaps, clears, undos and imports);
//  - the ring loaded after the restart is that table (checked at the next cycle's load).
//
// A killed process (tests/crash) keeps the operating system's page cache; a power loss
// does not, so only this test shows that a commit waits for the disk.
//
// Usage: powerloss_test [--cuts N] [--seed S] [--fault NAME]
//   QUORLIN_POWERLOSS_CUTS=N   number of cuts (default 500)
//   QUORLIN_POWERLOSS_SEED=S   seed (default: from the clock; printed)
//   QUORLIN_POWERLOSS_FAULT=NAME  plant a fault and expect the checks to fail:
//       sync-off                  PRAGMA synchronous = OFF
//       sync-full                 PRAGMA synchronous = FULL (the deleted journal of a
//                                 commit may come back: the folder is not synced)
//       swap-outside-transaction  the two sorts of a swap stored one by one
// Without a planted fault the run ends with a self-check: a short run with each planted
// fault must be caught. Prints "powerloss: N cuts, N checks passed, N failed" last.
#include <sqlite3.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <new>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "framework/text.h"
#include "panel/button_collection.h"
#include "panel/drop_rules.h"
#include "panel/ring_layout.h"
#include "store/backups.h"
#include "store/button_table.h"
#include "store/button_transfer.h"
#include "store/db_session.h"
#include "support/fakes.h"
#include "support/ring_host.h"
#include "support/table_model.h"
#include "support/temp_dir.h"

namespace {

using namespace quorlin;
using namespace quorlin::testing::model;

// ---------------------------------------------------------------- the disk

struct Pending {
    bool truncate = false;
    sqlite3_int64 offset = 0;  // or the new size
    std::string data;
};

struct FileState {
    std::optional<std::string> durable;  // what survives a cut; nullopt: the name would not exist
    std::vector<Pending> pending;        // changes since the last sync, in order
    bool deletePending = false;          // unlinked, the folder not synced
    std::optional<std::string> ghost;    // an unsynced unlinked file the same name may still show
};

struct Disk {
    std::map<std::string, FileState> files;
    std::mt19937_64* rng = nullptr;
    long ops = 0;     // writes, truncates, syncs and deletes of this cycle
    long cutAt = -1;  // the op at which the power goes
    bool dead = false;
    long torn = 0;    // writes kept only in part, over the run

    bool Tick() {
        if (dead) return false;
        if (++ops == cutAt) {
            dead = true;
            return false;
        }
        return true;
    }
    bool Coin() { return (*rng)() & 1; }

    // The content a cut leaves of base followed by pending changes.
    std::string Settle(std::string base, const std::vector<Pending>& pending) {
        for (const Pending& p : pending) {
            const int fate = static_cast<int>((*rng)() % 3);  // 0 kept, 1 lost, 2 torn
            if (fate == 1) continue;
            if (p.truncate) {
                if (fate == 0) base.resize(static_cast<size_t>(p.offset));
                continue;
            }
            if (base.size() < p.offset + p.data.size()) base.resize(p.offset + p.data.size());
            if (fate == 2) ++torn;
            for (size_t s = 0; s < p.data.size(); s += 512) {
                if (fate == 2 && !Coin()) continue;
                const size_t n = std::min<size_t>(512, p.data.size() - s);
                std::memcpy(&base[p.offset + s], p.data.data() + s, n);
            }
        }
        return base;
    }
};

Disk g_disk;
sqlite3_vfs* g_real = nullptr;
sqlite3_vfs g_vfs;

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteAll(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

struct ShimFile {
    sqlite3_file base;
    sqlite3_file* real;
    std::string* path;  // null: a temporary file, not kept across a cut
};

ShimFile* Shim(sqlite3_file* f) { return reinterpret_cast<ShimFile*>(f); }
const sqlite3_io_methods* M(sqlite3_file* f) { return Shim(f)->real->pMethods; }

int ShimClose(sqlite3_file* f) {
    ShimFile* s = Shim(f);
    const int rc = M(f)->xClose(s->real);
    delete s->path;
    s->path = nullptr;
    return rc;
}

int ShimRead(sqlite3_file* f, void* buf, int n, sqlite3_int64 off) {
    if (g_disk.dead) return SQLITE_IOERR_READ;
    return M(f)->xRead(Shim(f)->real, buf, n, off);
}

int ShimWrite(sqlite3_file* f, const void* buf, int n, sqlite3_int64 off) {
    ShimFile* s = Shim(f);
    if (s->path ? !g_disk.Tick() : g_disk.dead) return SQLITE_IOERR_WRITE;
    const int rc = M(f)->xWrite(s->real, buf, n, off);
    if (rc == SQLITE_OK && s->path)
        g_disk.files[*s->path].pending.push_back({false, off, std::string(static_cast<const char*>(buf), n)});
    return rc;
}

int ShimTruncate(sqlite3_file* f, sqlite3_int64 size) {
    ShimFile* s = Shim(f);
    if (s->path ? !g_disk.Tick() : g_disk.dead) return SQLITE_IOERR_TRUNCATE;
    const int rc = M(f)->xTruncate(s->real, size);
    if (rc == SQLITE_OK && s->path) g_disk.files[*s->path].pending.push_back({true, size, {}});
    return rc;
}

// A sync makes the file's content durable; the real one is not needed: the cut is ours.
// (The unix VFS also syncs the folder at a new journal's first sync: its name is durable.)
int ShimSync(sqlite3_file* f, int) {
    ShimFile* s = Shim(f);
    if (!s->path) return g_disk.dead ? SQLITE_IOERR_FSYNC : SQLITE_OK;
    if (!g_disk.Tick()) return SQLITE_IOERR_FSYNC;
    FileState& st = g_disk.files[*s->path];
    st.durable = ReadAll(*s->path);
    st.pending.clear();
    st.ghost.reset();
    return SQLITE_OK;
}

int ShimFileSize(sqlite3_file* f, sqlite3_int64* size) { return M(f)->xFileSize(Shim(f)->real, size); }
int ShimLock(sqlite3_file* f, int l) { return M(f)->xLock(Shim(f)->real, l); }
int ShimUnlock(sqlite3_file* f, int l) { return M(f)->xUnlock(Shim(f)->real, l); }
int ShimCheckReserved(sqlite3_file* f, int* out) { return M(f)->xCheckReservedLock(Shim(f)->real, out); }
int ShimFileControl(sqlite3_file* f, int op, void* arg) { return M(f)->xFileControl(Shim(f)->real, op, arg); }
int ShimSectorSize(sqlite3_file* f) { return M(f)->xSectorSize(Shim(f)->real); }
int ShimDevice(sqlite3_file* f) { return M(f)->xDeviceCharacteristics(Shim(f)->real); }

const sqlite3_io_methods kShimIo = {
    1, ShimClose, ShimRead, ShimWrite, ShimTruncate, ShimSync, ShimFileSize, ShimLock, ShimUnlock,
    ShimCheckReserved, ShimFileControl, ShimSectorSize, ShimDevice,
    nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,  // version 1: no shared memory, no mapping
};

int ShimOpen(sqlite3_vfs*, const char* name, sqlite3_file* f, int flags, int* outFlags) {
    ShimFile* s = Shim(f);
    s->base.pMethods = nullptr;
    s->real = reinterpret_cast<sqlite3_file*>(reinterpret_cast<char*>(f) + sizeof(ShimFile));
    s->path = nullptr;
    const bool kept = name && (flags & (SQLITE_OPEN_MAIN_DB | SQLITE_OPEN_MAIN_JOURNAL | SQLITE_OPEN_SUPER_JOURNAL));
    std::error_code ec;
    const bool existed = name && std::filesystem::exists(name, ec);
    if (g_disk.dead && !existed && (flags & SQLITE_OPEN_CREATE)) return SQLITE_CANTOPEN;
    const int rc = g_real->xOpen(g_real, name, s->real, flags, outFlags);
    if (rc != SQLITE_OK) {
        if (s->real->pMethods) s->real->pMethods->xClose(s->real);
        return rc;
    }
    s->base.pMethods = &kShimIo;
    if (kept) {
        s->path = new std::string(name);
        const bool known = g_disk.files.count(name) > 0;
        FileState& st = g_disk.files[name];
        if (existed && !known) st.durable = ReadAll(name);
        if (!existed) {
            // A new file: its name is not durable before its first sync. An old one unlinked
            // without a folder sync may still stand in its place.
            if (st.deletePending) st.ghost = g_disk.Settle(st.durable.value_or(""), st.pending);
            st.durable.reset();
            st.pending.clear();
            st.deletePending = false;
        }
    }
    return SQLITE_OK;
}

int ShimDelete(sqlite3_vfs*, const char* name, int syncDir) {
    if (!g_disk.Tick()) return SQLITE_IOERR_DELETE;
    const int rc = g_real->xDelete(g_real, name, 0);
    if (rc != SQLITE_OK) return rc;
    auto it = g_disk.files.find(name);
    if (it == g_disk.files.end()) return rc;
    if (syncDir) g_disk.files.erase(it);  // the folder synced: gone for good
    else it->second.deletePending = true;
    return rc;
}

void InstallShim() {
    g_real = sqlite3_vfs_find(nullptr);
    g_vfs = *g_real;
    g_vfs.iVersion = 1;
    g_vfs.zName = "powerloss";
    g_vfs.szOsFile = static_cast<int>(sizeof(ShimFile)) + g_real->szOsFile;
    g_vfs.xOpen = ShimOpen;
    g_vfs.xDelete = ShimDelete;
    sqlite3_vfs_register(&g_vfs, 1);  // the default: DbSession opens through it
}

// The cut itself: every tracked file as the disk may hold it now.
void PowerOn() {
    for (auto it = g_disk.files.begin(); it != g_disk.files.end();) {
        FileState& st = it->second;
        std::optional<std::string> after;
        if (!st.durable) {
            const int pick = static_cast<int>((*g_disk.rng)() % 3);
            if (pick == 0 && !st.pending.empty()) after = g_disk.Settle("", st.pending);
            else if (pick == 1 && st.ghost) after = st.ghost;
        } else if (!st.deletePending || g_disk.Coin()) {
            after = g_disk.Settle(*st.durable, st.pending);
        }
        std::error_code ec;
        if (after) {
            WriteAll(it->first, *after);
            st = FileState{};
            st.durable = *after;
            ++it;
        } else {
            std::filesystem::remove(it->first, ec);
            it = g_disk.files.erase(it);
        }
    }
}

// ---------------------------------------------------------------- the writer

enum class Fault { None, SyncOff, SyncFull, SwapOutsideTransaction };

const char* FaultName(Fault f) {
    switch (f) {
        case Fault::SyncOff: return "sync-off";
        case Fault::SyncFull: return "sync-full";
        case Fault::SwapOutsideTransaction: return "swap-outside-transaction";
        default: return "none";
    }
}

std::string RingText(const ButtonCollection& c) {
    std::string s;
    for (const auto& b : c.buttons) s += (s.empty() ? "" : ",") + std::to_string(b->ID) + ":" + std::to_string(b->sort);
    return s.empty() ? "-" : s;
}

struct Stats {
    long cuts = 0, passed = 0, failed = 0;
    long startup = 0;      // cut while opening or loading
    long inFlight = 0;     // cut while an operation ran
    long inFlightStored = 0;
    long inWrite = 0;      // a journal was on disk at the cut: inside a write transaction
    long reported = 0;     // operations reported committed
    long undos = 0;        // of those, undos and imports that added rows
    long imports = 0;
};

class Run {
public:
    Run(std::string dir, unsigned long long seed, Fault fault, bool quiet)
        : dir_(std::move(dir)), file_(dir_ + "/bts.db"), rng_(seed), seed_(seed), fault_(fault), quiet_(quiet) {}

    bool Start() {
        Db db(file_);
        std::string error;
        if (!db.db || !db.Read(model_.table, error) || !db.ReadUndo(model_.undo, error)) return false;
        for (const auto& [id, r] : model_.table) maxId_ = std::max(maxId_, id);
        g_disk.rng = &rng_;
        g_disk.files.clear();
        g_disk.files[file_].durable = ReadAll(file_);
        return true;
    }

    void Cycle(Stats& s) {
        failures_.clear();
        g_disk.ops = 0;
        g_disk.dead = false;
        g_disk.cutAt = std::uniform_int_distribution<long>(1, 100)(rng_);
        std::optional<Intent> pending;
        bool loaded = false;
        {
            quorlin::testing::RecordingMessageBoxes boxes;
            quorlin::testing::RecordingSound sound;
            DbSession store;
            quorlin::testing::RingHost host;
            host.everythingExists = true;
            ButtonCollection collection(store, host);
            host.collection = &collection;
            if (store.OpenDatabase(FromUtf8(dir_), L"bts.db", L"powerloss") && collection.LoadButtons() &&
                !g_disk.dead) {
                loaded = true;
                if (RingText(collection) != RingOf(model_.table))
                    Fail("loaded ring " + RingText(collection) + " but the table holds " + RingOf(model_.table));
                if (fault_ == Fault::SyncOff) store.ExecuteSql(L"PRAGMA synchronous = OFF");
                if (fault_ == Fault::SyncFull) store.ExecuteSql(L"PRAGMA synchronous = FULL");
                for (int step = 0; step < 100000 && !g_disk.dead; ++step) {
                    Intent it;
                    std::int64_t newId = 0;
                    bool ran = false;
                    const bool ok = Step(collection, store, host, it, newId, ran);
                    if (!ran) continue;
                    if (g_disk.dead && !ok) {
                        pending = it;
                        break;
                    }
                    State next = model_;
                    const bool allowed = Apply(next, it, newId);
                    if (ok != allowed) {
                        Fail(std::string("an operation ") + (allowed ? "failed" : "succeeded") + " that should not have");
                    } else if (ok) {
                        Accept(next);
                        ++s.reported;
                        if (it.kind == Intent::Kind::Undo && newId) ++s.undos;
                        if (it.kind == Intent::Kind::Import && newId) ++s.imports;
                    }
                    if (RingText(collection) != RingOf(model_.table))
                        Fail("ring " + RingText(collection) + " but the table holds " + RingOf(model_.table));
                }
            } else if (!g_disk.dead) {
                Fail("cannot open or load the store: " + ToUtf8(store.LastError()));
            }
        }
        g_disk.dead = true;
        ++s.cuts;
        if (!loaded) ++s.startup;
        if (pending) ++s.inFlight;
        std::error_code ec;
        if (std::filesystem::exists(file_ + "-journal", ec) && std::filesystem::file_size(file_ + "-journal", ec) > 0)
            ++s.inWrite;
        PowerOn();
        g_disk.dead = false;
        g_disk.cutAt = -1;
        Check(pending, s);
        Finish(s);
    }

private:
    void Fail(const std::string& what) { failures_.push_back(what); }

    std::vector<LauncherButton*> Movable(const ButtonCollection& c) const {
        std::vector<LauncherButton*> out;
        for (const auto& b : c.buttons)
            if (!IsReservedId(b->ID)) out.push_back(b.get());
        return out;
    }

    std::wstring Text(bool path) {
        static const std::vector<std::wstring> pieces = {
            L"a", L"It's", L"桌面", L"%s", L"😀", L" ", L"\\", L".txt", std::wstring(1, static_cast<wchar_t>(0xD800)),
        };
        std::wstring s = path ? L"C:\\" : L"";
        const int n = std::uniform_int_distribution<int>(0, 4)(rng_);
        for (int i = 0; i < n; ++i) s += pieces[rng_() % pieces.size()];
        if (path) s += L"\\f" + std::to_wstring(counter_++);
        if (rng_() % 30 == 0) s += std::wstring(3000, L'x');  // a row over more than one page
        return s;
    }

    // One operation of the collection; ran is false when none was due.
    bool Step(ButtonCollection& c, DbSession& store, quorlin::testing::RingHost& host, Intent& it, std::int64_t& newId,
              bool& ran) {
        auto movable = Movable(c);
        const int roll = static_cast<int>(rng_() % 100);
        ran = true;
        if (movable.size() < 3 ? roll < 80 : movable.size() > 30 ? roll < 15 : roll < 40) {
            it.kind = Intent::Kind::Add;
            it.iType = static_cast<std::int64_t>(rng_() % 5);
            std::wstring title = Text(false), path = Text(true), para = rng_() % 2 ? Text(false) : L"";
            if (!movable.empty() && rng_() % 10 == 0) {
                const LauncherButton* b = movable[rng_() % movable.size()];
                it.iType = b->iType;
                path = b->PathName;
            }
            it.title = ToWtf8(title);
            it.path = ToWtf8(path);
            it.para = ToWtf8(para);
            const size_t before = c.buttons.size();
            const bool ok = c.AddButton(title, path, static_cast<std::int32_t>(it.iType), para);
            host.LayoutButtons();
            if (ok && c.buttons.size() > before) newId = c.buttons.back()->ID;
            return ok;
        }
        if (roll < 48 || movable.empty()) {
            it.kind = Intent::Kind::Del;
            it.a = movable.empty() || roll < 41 ? std::vector<std::int64_t>{1, 2, 0, -3}[rng_() % 4]
                                                : movable[rng_() % movable.size()]->ID;
            return c.DeleteButton(it.a);
        }
        if (roll < 50) {
            it.kind = Intent::Kind::Clear;
            return c.ClearAllButtons();
        }
        if (roll < 57) {
            it.kind = Intent::Kind::Undo;
            const UndoOutcome out = c.Undo();
            host.LayoutButtons();
            if (!out.restored.empty()) newId = out.restored.front();
            return out.stored;
        }
        if (roll < 61) return Import(c, store, host, movable, it, newId);
        if (movable.size() < 2) {
            ran = false;
            return false;
        }
        LauncherButton* dragged = movable[rng_() % movable.size()];
        LauncherButton* over = movable[rng_() % movable.size()];
        if (dragged == over) {
            ran = false;
            return false;
        }
        const Rect r = over->ScreenRect();
        const int gx = (r.left + r.right) / 2, gy = (r.top + r.bottom) / 2;
        const Rect ghost{gx - 11, gy - 11, gx + 11, gy + 11};
        std::vector<SwapCandidate> candidates;
        for (const auto& b : c.buttons) candidates.push_back({b->ID, b->ScreenRect()});
        const auto t = FindSwapTarget(ghost, dragged->ID, candidates);
        if (!t) {
            ran = false;
            return false;
        }
        it.kind = Intent::Kind::Swap;
        it.a = dragged->ID;
        it.b = candidates[*t].id;
        if (fault_ != Fault::SwapOutsideTransaction) return c.SwapWhileDragging(ghost, dragged->ID);
        // The planted fault: both sorts stored one by one, each in its own transaction.
        LauncherButton* target = c.buttons[*t].get();
        const std::int64_t sa = dragged->sort, sb = target->sort;
        if (!c.SetButtonSort(*target, sa) || !c.SetButtonSort(*dragged, sb)) return false;
        size_t j = 0;
        while (c.buttons[j].get() != dragged) ++j;
        std::swap(c.buttons[j], c.buttons[*t]);
        host.LayoutButtons();
        return true;
    }

    void Accept(const State& next) {
        model_ = next;
        for (const auto& [id, r] : model_.table) maxId_ = std::max(maxId_, id);
    }

    // A few buttons, now and then one already on the ring, imported as --import does it
    // (backup first, then one transaction), then the ring brought in step as the panel does.
    bool Import(ButtonCollection& c, DbSession& store, quorlin::testing::RingHost& host,
                const std::vector<LauncherButton*>& movable, Intent& it, std::int64_t& newId) {
        it.kind = Intent::Kind::Import;
        std::vector<TransferRow> rows;
        const int n = 1 + static_cast<int>(rng_() % 4);
        for (int i = 0; i < n; ++i) {
            TransferRow r;
            r.kind = static_cast<std::int32_t>(rng_() % 5);
            r.title = Text(false);
            r.path = Text(true);
            r.parameter = rng_() % 2 ? Text(false) : L"";
            if (!movable.empty() && rng_() % 5 == 0) {
                const LauncherButton* b = movable[rng_() % movable.size()];
                r.kind = b->iType;
                r.path = b->PathName;
            }
            Intent row;
            row.iType = r.kind;
            row.title = ToWtf8(r.title);
            row.path = ToWtf8(r.path);
            row.para = ToWtf8(r.parameter);
            it.rows.push_back(row);
            rows.push_back(std::move(r));
        }
        const ImportReport report = ImportRows(store, rows, kMaxButtons, CurrentDateTime());
        if (report.result != ImportReport::Result::Done) return false;
        if (!report.added.empty()) newId = report.added.front();
        const bool synced = c.SyncWithStore();
        host.LayoutButtons();
        return synced;
    }

    void Check(const std::optional<Intent>& pending, Stats& s) {
        Db db(file_);
        if (!db.db) {
            Fail("cannot open the file after the cut");
            return;
        }
        std::string error;
        if (const std::string problems = db.IntegrityProblems(); !problems.empty()) Fail("integrity_check: " + problems);
        State actual;
        if (!db.Read(actual.table, error)) {
            Fail("cannot read tb_Btns: " + error);
            model_ = State{};
            return;
        }
        if (!db.ReadUndo(actual.undo, error)) Fail("cannot read the undo history: " + error);
        if (!actual.table.count(1) || !actual.table.count(2)) Fail("a reserved row is gone");
        if (Same(actual, model_)) return;
        if (pending) {
            // The rows an undo or an import adds take consecutive IDs from the smallest new one.
            std::int64_t newId = 0;
            size_t fresh = 0;
            for (const auto& [id, r] : actual.table)
                if (!model_.table.count(id)) {
                    ++fresh;
                    if (newId == 0 || id < newId) newId = id;
                }
            State next = model_;
            if (Apply(next, *pending, newId) && Same(next, actual) && (fresh == 0 || newId > maxId_)) {
                Accept(next);
                ++s.inFlightStored;
                return;
            }
        }
        Fail("the file is neither the committed state nor that plus the running operation:\n" +
             Diff(model_.table, actual.table) + UndoDiff(model_.undo, actual.undo));
        Accept(actual);  // go on from what is there
    }

    void Finish(Stats& s) {
        // Whatever the reopened file held, the next cycle starts from it as durable.
        g_disk.files.clear();
        std::error_code ec;
        for (const std::string& p : {file_, file_ + "-journal"})
            if (std::filesystem::exists(p, ec)) g_disk.files[p].durable = ReadAll(p);
        if (failures_.empty()) {
            ++s.passed;
            return;
        }
        ++s.failed;
        if (quiet_) return;
        std::printf("powerloss: FAIL at cut %ld (seed %llu):\n", s.cuts, seed_);
        for (const auto& f : failures_) std::printf("  %s\n", f.c_str());
        std::fflush(stdout);
    }

    std::string dir_, file_;
    std::mt19937_64 rng_;
    unsigned long long seed_;
    Fault fault_;
    bool quiet_;
    State model_;
    std::int64_t maxId_ = 0;
    std::vector<std::string> failures_;
    unsigned long counter_ = 0;
};

// Runs `cuts` cuts on a new bts.db; stops early after `stopAfterFailures` failed checks (0: never).
Stats RunCuts(long cuts, unsigned long long seed, Fault fault, bool quiet, long stopAfterFailures) {
    Stats s;
    quorlin::testing::TempDir dir;
    dir.MakeDatabase();
    Run run(dir.Path().string(), seed, fault, quiet);
    if (!run.Start()) {
        std::printf("powerloss: cannot read the new database\n");
        s.failed = 1;
        return s;
    }
    while (s.cuts < cuts && (stopAfterFailures == 0 || s.failed < stopAfterFailures)) run.Cycle(s);
    return s;
}

long EnvOr(const char* name, long fallback) {
    const char* v = std::getenv(name);
    return v && *v ? std::strtol(v, nullptr, 10) : fallback;
}

Fault ParseFault(const std::string& name) {
    for (Fault f : {Fault::SyncOff, Fault::SyncFull, Fault::SwapOutsideTransaction})
        if (name == FaultName(f)) return f;
    return Fault::None;
}

}  // namespace

int main(int argc, char** argv) {
    long cuts = EnvOr("QUORLIN_POWERLOSS_CUTS", 500);
    unsigned long long seed = static_cast<unsigned long long>(EnvOr(
        "QUORLIN_POWERLOSS_SEED",
        static_cast<long>(std::chrono::system_clock::now().time_since_epoch().count() % 1000000007)));
    const char* f = std::getenv("QUORLIN_POWERLOSS_FAULT");
    std::string faultName = f ? f : "";
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--cuts" && i + 1 < argc) cuts = std::strtol(argv[++i], nullptr, 10);
        else if (a == "--seed" && i + 1 < argc) seed = std::strtoull(argv[++i], nullptr, 10);
        else if (a == "--fault" && i + 1 < argc) faultName = argv[++i];
        else {
            std::fprintf(stderr, "usage: powerloss_test [--cuts N] [--seed S] [--fault NAME]\n");
            return 2;
        }
    }
    const Fault fault = ParseFault(faultName);
    if (!faultName.empty() && fault == Fault::None) {
        std::fprintf(stderr, "powerloss: unknown fault %s\n", faultName.c_str());
        return 2;
    }
    InstallShim();
    std::printf("powerloss: seed %llu, %ld cuts%s%s\n", seed, cuts, fault == Fault::None ? "" : ", planted fault ",
                fault == Fault::None ? "" : FaultName(fault));
    std::fflush(stdout);

    const auto started = std::chrono::steady_clock::now();
    Stats s = RunCuts(cuts, seed, fault, false, 0);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    std::printf("powerloss: %.1f s; %ld operations reported committed (%ld undos and %ld imports that added rows); "
                "cuts: %ld during start-up, %ld with an operation running (%ld of those found committed), %ld inside "
                "a write transaction; %ld torn writes\n",
                seconds, s.reported, s.undos, s.imports, s.startup, s.inFlight, s.inFlightStored, s.inWrite,
                g_disk.torn);
    bool ok = s.failed == 0;
    // Most cuts must land inside a write, or the run proves little.
    if (s.cuts > 0 && s.inWrite * 3 < s.cuts) {
        std::printf("powerloss: FAIL: only %ld of %ld cuts came inside a write transaction\n", s.inWrite, s.cuts);
        ok = false;
    }
    if (fault != Fault::None) {
        std::printf("powerloss: %ld cuts, %ld checks passed, %ld failed (planted fault %s)\n", s.cuts, s.passed,
                    s.failed, FaultName(fault));
        return s.failed > 0 ? 0 : 1;  // a planted fault must be caught
    }
    // Self-check: every planted fault is caught within a few hundred cuts.
    for (Fault planted : {Fault::SyncOff, Fault::SyncFull, Fault::SwapOutsideTransaction}) {
        const Stats p = RunCuts(400, seed + 1 + static_cast<unsigned long long>(planted), planted, true, 1);
        if (p.failed > 0) {
            std::printf("powerloss: planted fault %s caught at cut %ld\n", FaultName(planted), p.cuts);
        } else {
            std::printf("powerloss: FAIL: planted fault %s not caught in %ld cuts\n", FaultName(planted), p.cuts);
            ok = false;
        }
    }
    // A failed self-check counts as one more failure.
    const long failed = s.failed + (!ok && s.failed == 0 ? 1 : 0);
    std::printf("powerloss: %ld cuts, %ld checks passed, %ld failed\n", s.cuts, s.passed, failed);
    return ok ? 0 : 1;
}
