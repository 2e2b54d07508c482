#include "store/backups.h"

#include <sqlite3.h>

#include <algorithm>
#include <cwchar>
#include <ctime>
#include <filesystem>
#include <system_error>
#ifndef _WIN32
#include <fcntl.h>
#include <unistd.h>
#endif

#include "framework/seams.h"
#include "framework/text.h"
#include "framework/user_texts.h"
#include "store/alias_table.h"
#include "store/db_session.h"
#include "store/sqlite_util.h"

namespace quorlin {

namespace fs = std::filesystem;

namespace {

#ifdef _WIN32
const wchar_t kSep = L'\\';
fs::path Fs(const std::wstring& p) { return fs::path(p); }
std::wstring Wide(const fs::path& p) { return p.wstring(); }
#else
const wchar_t kSep = L'/';
fs::path Fs(const std::wstring& p) { return fs::path(ToUtf8(p)); }
std::wstring Wide(const fs::path& p) { return FromUtf8(p.string()); }
#endif

std::wstring DirOf(const std::wstring& path) {
    const size_t cut = path.find_last_of(L"\\/");
    return cut == std::wstring::npos ? std::wstring(L".") : path.substr(0, cut);
}

std::wstring NameOf(const std::wstring& path) {
    const size_t cut = path.find_last_of(L"\\/");
    return cut == std::wstring::npos ? path : path.substr(cut + 1);
}

std::wstring Two(int v) {
    std::wstring s = std::to_wstring(v);
    return s.size() < 2 ? L"0" + s : s;
}

// Makes a rename inside the folder durable (POSIX; NTFS journals it by itself).
void SyncFolder(const std::wstring& dir) {
#ifndef _WIN32
    const int fd = ::open(ToUtf8(dir).c_str(), O_RDONLY);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
#else
    (void)dir;
#endif
}

void RemoveQuietly(const std::wstring& path) {
    std::error_code ec;
    fs::remove(Fs(path), ec);
}

bool Exists(const std::wstring& path) {
    std::error_code ec;
    return fs::exists(Fs(path), ec);
}

// Copies the whole database `from` into a new file at `to` (SQLite's online backup).
bool CopyInto(sqlite3* from, const std::wstring& to) {
    RemoveQuietly(to);
    RemoveQuietly(to + L"-journal");
    sqlite3* dest = sql::OpenFile(to, false, true);
    if (!dest) return false;
    bool ok = sql::Exec(dest, "PRAGMA synchronous = FULL");
    if (ok) {
        sqlite3_backup* b = sqlite3_backup_init(dest, "main", from, "main");
        ok = b != nullptr;
        if (b) {
            int rc;
            // Step in slices so that a writer in another process is not held off for long.
            while ((rc = sqlite3_backup_step(b, 64)) == SQLITE_OK || rc == SQLITE_BUSY || rc == SQLITE_LOCKED) {
                if (rc != SQLITE_OK) sqlite3_sleep(20);
            }
            ok = rc == SQLITE_DONE;
            if (sqlite3_backup_finish(b) != SQLITE_OK) ok = false;
        }
    }
    sql::Close(dest);
    if (!ok) {
        RemoveQuietly(to);
        RemoveQuietly(to + L"-journal");
    }
    return ok;
}

bool Rename(const std::wstring& from, const std::wstring& to) {
    std::error_code ec;
    fs::rename(Fs(from), Fs(to), ec);
    return !ec;
}

// Every row of tb_Btns, with its aliases, as one text, to tell whether two files hold the
// same buttons.
bool ButtonsText(sqlite3* db, std::wstring& out) {
    const bool aliases = HasAliasTable(db);
    sql::Stmt st(db, aliases ? "select b.ID, b.iType, b.Title, b.PathName, b.Para, b.sort, a.Alias from tb_Btns b "
                               "left join tb_Alias a on a.ID = b.ID order by b.ID"
                             : "select ID, iType, Title, PathName, Para, sort, NULL from tb_Btns order by ID");
    out.clear();
    while (st.Row()) {
        for (int i = 0; i < 7; ++i) {
            out += st.IsNull(i) ? L"\x1 " : st.Text(i);
            out += L'\x1f';
        }
        out += L'\x1e';
    }
    return !st.failed();
}

}  // namespace

std::wstring JoinPath(const std::wstring& dir, const std::wstring& name) { return dir + kSep + name; }
std::filesystem::path FsPath(const std::wstring& path) { return Fs(path); }

DateTime CurrentDateTime() {
    const std::time_t now = std::time(nullptr);
    std::tm tm{};
#ifdef _WIN32
    localtime_s(&tm, &now);
#else
    localtime_r(&now, &tm);
#endif
    return DateTime{tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec};
}

std::wstring StampOf(const DateTime& t) {
    return std::to_wstring(t.year) + Two(t.month) + Two(t.day) + L"-" + Two(t.hour) + Two(t.minute) + Two(t.second);
}

std::wstring ReadableStamp(const std::wstring& s) {
    if (s.size() < 15) return s;
    return s.substr(0, 4) + L"-" + s.substr(4, 2) + L"-" + s.substr(6, 2) + L" " + s.substr(9, 2) + L":" +
           s.substr(11, 2) + L":" + s.substr(13, 2);
}

std::vector<BackupFile> ListBackups(const std::wstring& dbPath) {
    struct Found {
        BackupFile file;
        bool future = false;  // written while the clock ran ahead
        fs::file_time_type written{};
    };
    std::vector<Found> found;
    const std::wstring prefix = NameOf(dbPath) + L".backup-";
    const fs::file_time_type now = fs::file_time_type::clock::now();
    std::error_code ec;
    for (fs::directory_iterator it(Fs(DirOf(dbPath)), ec), end; !ec && it != end; it.increment(ec)) {
        const std::wstring name = Wide(it->path().filename());
        if (name.compare(0, prefix.size(), prefix) != 0) continue;
        const std::wstring stamp = name.substr(prefix.size());
        // YYYYMMDD-HHMMSS with an optional -N; temporary files and journals are not backups.
        if (stamp.size() < 15 || stamp.find(L'.') != std::wstring::npos || stamp.find(L"journal") != std::wstring::npos)
            continue;
        Found f{{JoinPath(DirOf(dbPath), name), stamp}};
        std::error_code timeError;
        f.written = fs::last_write_time(it->path(), timeError);
        f.future = !timeError && f.written > now;
        found.push_back(std::move(f));
    }
    // Newest first by when each was written. One written while the clock ran ahead tells
    // nothing true about its age: it counts as older than all the others, so that it is
    // the first to go. The name's stamp only breaks ties ("-N" after the bare stamp).
    std::sort(found.begin(), found.end(), [](const Found& a, const Found& b) {
        if (a.future != b.future) return !a.future;
        if (a.written != b.written) return a.written > b.written;
        const std::wstring ka = a.file.stamp.substr(0, 15), kb = b.file.stamp.substr(0, 15);
        if (ka != kb) return ka > kb;
        auto n = [](const std::wstring& s) { return s.size() > 16 ? std::wcstol(s.c_str() + 16, nullptr, 10) : 1L; };
        return n(a.file.stamp) > n(b.file.stamp);
    });
    std::vector<BackupFile> out;
    for (Found& f : found) out.push_back(std::move(f.file));
    return out;
}

std::wstring WriteBackup(sqlite3* source, const std::wstring& dbPath, const DateTime& now) {
    if (!source) return L"";
    const std::wstring base = dbPath + L".backup-" + StampOf(now);
    std::wstring target = base;
    for (int n = 2; Exists(target) && n < 100; ++n) target = base + L"-" + std::to_wstring(n);
    if (Exists(target)) return L"";
    const std::wstring temp = target + L".tmp";
    if (!CopyInto(source, temp)) return L"";
    if (!Rename(temp, target)) {
        RemoveQuietly(temp);
        return L"";
    }
    SyncFolder(DirOf(dbPath));
    // Keep the newest few, never the one just written among those that go; clear what a
    // backup cut short by a crash left behind.
    size_t kept = 1;  // the new one
    for (const BackupFile& b : ListBackups(dbPath)) {
        if (b.path == target) continue;
        if (kept < static_cast<size_t>(kBackupsKept)) ++kept;
        else RemoveQuietly(b.path);
    }
    const std::wstring prefix = NameOf(dbPath) + L".backup-";
    std::error_code ec;
    for (fs::directory_iterator it(Fs(DirOf(dbPath)), ec), end; !ec && it != end; it.increment(ec)) {
        const std::wstring name = Wide(it->path().filename());
        if (name.compare(0, prefix.size(), prefix) == 0 && name.find(L".tmp") != std::wstring::npos &&
            name < NameOf(temp))
            RemoveQuietly(JoinPath(DirOf(dbPath), name));
    }
    return target;
}

std::wstring WriteBackup(DbSession& store, const DateTime& now) {
    return WriteBackup(store.Handle(), store.Path(), now);
}

namespace {

bool SameButtons(DbSession& store, const std::wstring& backup) {
    std::wstring ours, theirs;
    sqlite3* old = sql::OpenFile(backup, true);
    const bool same = old && ButtonsText(store.Handle(), ours) && ButtonsText(old, theirs) && ours == theirs;
    sql::Close(old);
    return same;
}

}  // namespace

std::wstring BackupUnlessUnchanged(DbSession& store, const DateTime& now) {
    if (!store.IsOpen()) return L"";
    const auto all = ListBackups(store.Path());
    if (!all.empty() && SameButtons(store, all[0].path) && IsGoodDatabase(all[0].path)) return all[0].path;
    const std::wstring written = WriteBackup(store, now);
    // What needs a backup goes on only with one that is there and opens as a good database.
    return !written.empty() && IsGoodDatabase(written) ? written : std::wstring();
}

bool DailyBackupIfChanged(DbSession& store, const DateTime& now) {
    if (!store.IsOpen()) return false;
    const auto all = ListBackups(store.Path());
    if (!all.empty()) {
        if (all[0].stamp.compare(0, 8, StampOf(now), 0, 8) == 0) return false;
        if (SameButtons(store, all[0].path)) return false;
    }
    return !WriteBackup(store, now).empty();
}

bool IsGoodDatabase(const std::wstring& path) {
    if (!Exists(path)) return false;
    sqlite3* db = sql::OpenFile(path, true);
    if (!db) return false;
    bool good = false;
    {
        sql::Stmt check(db, "PRAGMA integrity_check");
        good = check.Row() && check.Text(0) == L"ok" && !check.Row() && !check.failed();
    }
    // A tb_Btns the program would refuse at open is no backup to go back to.
    if (good) good = CheckButtonTable(db).empty();
    sql::Close(db);
    return good;
}

std::optional<BackupFile> NewestGoodBackup(const std::wstring& dbPath) {
    for (const BackupFile& b : ListBackups(dbPath))
        if (IsGoodDatabase(b.path)) return b;
    return std::nullopt;
}

DbHealth CheckDatabaseFile(const std::wstring& dbPath, sqlite3** keep) {
    if (keep) *keep = nullptr;
    if (!Exists(dbPath)) return DbHealth::Missing;
    sqlite3* db = sql::OpenFile(dbPath, false, false, true);
    if (!db) return DbHealth::Other;
    DbHealth health = DbHealth::Good;
    auto classify = [&](int rc) {
        const int primary = rc & 0xff;
        return primary == SQLITE_NOTADB || primary == SQLITE_CORRUPT ? DbHealth::Broken : DbHealth::Other;
    };
    {
        sql::Stmt table(db, "select count(*) from sqlite_master where type = 'table' and name = 'tb_Btns'");
        if (!table.ok()) health = classify(sqlite3_errcode(db));
        else if (table.Row()) health = table.Int(0) == 1 ? DbHealth::Good : DbHealth::Broken;
        else health = classify(sqlite3_errcode(db));
    }
    if (health == DbHealth::Good) {
        sql::Stmt check(db, "PRAGMA integrity_check");
        if (check.Row()) health = check.Text(0) == L"ok" ? DbHealth::Good : DbHealth::Broken;
        else health = classify(sqlite3_errcode(db));
    }
    if (health == DbHealth::Good && !CheckButtonTable(db).empty()) health = DbHealth::Broken;
    if (health == DbHealth::Good && keep) *keep = db;
    else sql::Close(db);
    return health;
}

bool RestoreFromBackup(const std::wstring& backupPath, const std::wstring& dbPath, const DateTime& now,
                       std::wstring* keptAs) {
    if (keptAs) keptAs->clear();
    sqlite3* source = sql::OpenFile(backupPath, true);
    if (!source) return false;
    const std::wstring temp = dbPath + L".restore.tmp";
    const bool copied = CopyInto(source, temp);
    sql::Close(source);
    if (!copied) return false;
    if (Exists(dbPath)) {
        std::wstring kept = dbPath + L".broken-" + StampOf(now);
        for (int n = 2; Exists(kept) && n < 100; ++n) kept = dbPath + L".broken-" + StampOf(now) + L"-" + std::to_wstring(n);
        if (!Rename(dbPath, kept)) {
            RemoveQuietly(temp);
            return false;
        }
        // A journal left beside the damaged file belongs to it, never to the restored one.
        for (const wchar_t* suffix : {L"-journal", L"-wal", L"-shm"})
            if (Exists(dbPath + suffix)) Rename(dbPath + suffix, kept + suffix);
        if (keptAs) *keptAs = kept;
    }
    if (!Rename(temp, dbPath)) return false;
    SyncFolder(DirOf(dbPath));
    return true;
}

std::shared_ptr<sqlite3> LoadGoodBackup(const std::wstring& backupPath) {
    if (!IsGoodDatabase(backupPath)) return nullptr;
    sqlite3* file = sql::OpenFile(backupPath, true);
    if (!file) return nullptr;
    sqlite3* memory = nullptr;
    std::shared_ptr<sqlite3> copy;
    if (sqlite3_open_v2(":memory:", &memory, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) == SQLITE_OK &&
        HardenConnection(memory)) {
        sqlite3_backup* b = sqlite3_backup_init(memory, "main", file, "main");
        const bool ok = b && sqlite3_backup_step(b, -1) == SQLITE_DONE;
        if (b && sqlite3_backup_finish(b) == SQLITE_OK && ok) {
            copy.reset(memory, [](sqlite3* d) { sqlite3_close_v2(d); });
            memory = nullptr;
        }
    }
    if (memory) sqlite3_close_v2(memory);
    sql::Close(file);
    return copy;
}

bool ReplaceStoreContent(DbSession& store, sqlite3* source) {
    if (!source || !store.Handle()) return false;
    sqlite3_backup* b = sqlite3_backup_init(store.Handle(), "main", source, "main");
    if (!b) return false;
    const bool done = sqlite3_backup_step(b, -1) == SQLITE_DONE;
    return sqlite3_backup_finish(b) == SQLITE_OK && done;
}

bool OpenDatabaseOrRestore(DbSession& store, const std::wstring& appDir, const std::wstring& fileName,
                           const std::wstring& messageCaption, const DateTime& now) {
    const std::wstring path = JoinPath(appDir, fileName);
    sqlite3* checked = nullptr;  // a Good file stays open for the store
    const DbHealth health = CheckDatabaseFile(path, &checked);
    if (health == DbHealth::Missing || health == DbHealth::Broken) {
        if (auto backup = NewestGoodBackup(path)) {
            const std::wstring when = ReadableStamp(backup->stamp);
            const std::wstring question =
                health == DbHealth::Broken
                    ? Text(TextId::RestoreQuestion, {when, fileName + L".broken-" + StampOf(now)})
                    : Text(TextId::RestoreMissingQuestion, {when});
            const int answer = MessageBoxes().Show(0, question, messageCaption, kMbYesNo | kMbSystemModal);
            if (answer != kIdYes) return false;
            RestoreFromBackup(backup->path, path, now);
        }
    }
    return store.OpenDatabase(appDir, fileName, messageCaption, checked);
}

}  // namespace quorlin
