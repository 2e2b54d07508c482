// Backups of bts.db beside it, and the restore of one at start. Portable.
//
// A backup is a consistent copy made with SQLite's online backup (never a file copy of
// the open database), written as <name>.backup-YYYYMMDD-HHMMSS.tmp and then renamed to
// <name>.backup-YYYYMMDD-HHMMSS (a second one within the same second gets "-2", "-3",
// ...). The newest kBackupsKept are kept (never pruning the one just written). They are
// written before clear-all, before an import, and once a day when tb_Btns differs from the
// newest backup.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

struct sqlite3;

namespace quorlin {

class DbSession;

constexpr int kBackupsKept = 5;

struct DateTime {
    int year = 2000, month = 1, day = 1, hour = 0, minute = 0, second = 0;
};
// The local time now.
DateTime CurrentDateTime();
// "YYYYMMDD-HHMMSS"
std::wstring StampOf(const DateTime& t);
// "YYYY-MM-DD HH:MM:SS" of a stamp, for people.
std::wstring ReadableStamp(const std::wstring& stamp);

struct BackupFile {
    std::wstring path;
    std::wstring stamp;  // "YYYYMMDD-HHMMSS" or "YYYYMMDD-HHMMSS-N"
};
// The backups of the database file at dbPath, newest first: by when each was written (the
// file's last-write time), one written at a time still to come (a clock that ran ahead)
// counting as the oldest; the stamp in the name only breaks ties.
std::vector<BackupFile> ListBackups(const std::wstring& dbPath);

// Writes a backup of the open connection `source` whose file is dbPath; then keeps only
// the newest kBackupsKept. Returns the new file's path, or "" when it could not be written.
std::wstring WriteBackup(sqlite3* source, const std::wstring& dbPath, const DateTime& now);
std::wstring WriteBackup(DbSession& store, const DateTime& now);

// The newest backup when it holds the same buttons as the store (tb_Btns row for row),
// else a new one as WriteBackup writes it: so that backups before clears and imports that
// change nothing do not push older ones out. "" when none could be written, or when the
// file is not there afterwards or does not open as a good database (IsGoodDatabase).
std::wstring BackupUnlessUnchanged(DbSession& store, const DateTime& now);

// Writes a backup when the newest one is from another day (or there is none) and the
// buttons differ from it. True when one was written.
bool DailyBackupIfChanged(DbSession& store, const DateTime& now);

// A database that passes integrity_check and has tb_Btns.
bool IsGoodDatabase(const std::wstring& path);
std::optional<BackupFile> NewestGoodBackup(const std::wstring& dbPath);

enum class DbHealth {
    Good,     // opens, passes integrity_check, has tb_Btns
    Missing,  // no file
    Broken,   // not a database, damaged, without a usable tb_Btns, or with a foreign trigger or view
    Other,    // locked by another program, not readable, ...: not ours to replace
};
// With keep, a Good file's connection (read-write, serialized) is handed over there
// instead of closed, its pages already read: the caller opens the store with it.
DbHealth CheckDatabaseFile(const std::wstring& dbPath, sqlite3** keep = nullptr);

// Replaces dbPath by a copy of the backup (SQLite's online backup into a temporary file
// beside it, which is then renamed). A file already at dbPath is kept, with its journal,
// as <name>.broken-YYYYMMDD-HHMMSS; keptAs tells that name ("" when there was none).
bool RestoreFromBackup(const std::wstring& backupPath, const std::wstring& dbPath, const DateTime& now,
                       std::wstring* keptAs = nullptr);

// A backup read whole into memory once it passed IsGoodDatabase, so that what follows
// (the backup a restore writes first may prune the file) cannot take it away. Null when
// the file is no good backup.
std::shared_ptr<sqlite3> LoadGoodBackup(const std::wstring& backupPath);
// Replaces all the open store holds by what `source` holds: SQLite's online backup into
// the store's own connection, one transaction, so all of it or nothing. The store stays
// open and keeps its path. False (and the store unchanged) when it failed.
bool ReplaceStoreContent(DbSession& store, sqlite3* source);

// Start-up's open of the store: when bts.db is missing or broken and a good backup
// exists, asks (system-modal Yes/No through the message-box seam) whether to restore the
// newest one, and does so on Yes. Then opens as DbSession::OpenDatabase does (with its
// "打开数据失败！" on failure). An answer No ends with false and no further message.
bool OpenDatabaseOrRestore(DbSession& store, const std::wstring& appDir, const std::wstring& fileName,
                           const std::wstring& messageCaption, const DateTime& now);

// dir + the platform's separator + name.
std::wstring JoinPath(const std::wstring& dir, const std::wstring& name);
// std::filesystem's path of one of our wide strings (UTF-8 on POSIX).
std::filesystem::path FsPath(const std::wstring& path);

}  // namespace quorlin
