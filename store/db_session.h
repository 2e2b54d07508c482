// The button store: one SQLite connection to bts.db beside the executable and the
// recordset that every query shares. Portable.
//
// The session keeps the shape the rest of the program was written against: four
// operations (OpenDatabase, ExecuteSql, OpenRecordset, OpenReadOnlyRecordset) and a
// recordset with BOF/EOF, MoveNext, field access by name, AddNew/Update. Store
// failures inside a recordset are thrown as StoreError; the session operations catch
// them and report a flag.
#pragma once

#include <cstdint>
#include <exception>
#include <memory>
#include <string>
#include <vector>

struct sqlite3;

namespace quorlin {

// Codes of the errors the session raises itself (the others are SQLite's result codes).
enum : std::uint32_t {
    kStoreEPointer = 0x80004003u,      // no connection or no recordset object
    kStoreEOutOfMemory = 0x8007000Eu,  // a string argument could not be made
    kStoreNoCurrentRow = 0x800A0BCDu,  // BOF or EOF is true, or the row was deleted
    kStoreItemNotFound = 0x800A0CC1u,  // no field of that name
    kStoreClosed = 0x800A0E78u,        // operation on a closed recordset
    kStoreReadOnly = 0x800A0CB3u,      // the recordset does not allow changes
};

class StoreError : public std::exception {
public:
    StoreError(std::uint32_t code, std::wstring description);
    std::uint32_t Code() const { return code_; }
    const std::wstring& Description() const { return description_; }
    const char* what() const noexcept override { return narrow_.c_str(); }

private:
    std::uint32_t code_;
    std::wstring description_;
    std::string narrow_;
};

// A real cut to its whole part and held within 64 bits (NaN reads as 0): never the
// undefined conversion of an out-of-range double.
std::int64_t SaturatedInt64(double v);

// A field value as it crosses the store boundary: NULL, an integer, a real or a text (a
// blob reads as a text). Texts are kept in the file as WTF-8 (framework/text.h).
struct FieldValue {
    enum class Type { Null, Int, Real, Text };
    Type type = Type::Null;
    std::int64_t integer = 0;
    double real = 0;
    std::wstring text;

    static FieldValue Null() { return FieldValue{}; }
    static FieldValue Int(std::int64_t v) {
        FieldValue f;
        f.type = Type::Int;
        f.integer = v;
        return f;
    }
    static FieldValue Real(double v) {
        FieldValue f;
        f.type = Type::Real;
        f.real = v;
        return f;
    }
    static FieldValue Text(std::wstring v) {
        FieldValue f;
        f.type = Type::Text;
        f.text = std::move(v);
        return f;
    }
    bool IsNull() const { return type == Type::Null; }
};

class Recordset {
public:
    Recordset(std::shared_ptr<sqlite3> db, bool updatable);
    Recordset(const Recordset&) = delete;
    Recordset& operator=(const Recordset&) = delete;

    bool IsOpen() const { return open_; }
    bool AtBOF() const;
    bool AtEOF() const;
    void MoveNext();

    // Field access by name (case-insensitive, as the table's columns are).
    FieldValue Get(const std::wstring& field) const;
    // A NULL reads as 0, a real is cut to its whole part and held within the type's range,
    // a text reads as the number it starts with (0 if none).
    std::int32_t GetInt(const std::wstring& field) const;
    std::int64_t GetInt64(const std::wstring& field) const;
    std::wstring GetText(const std::wstring& field) const;  // a NULL reads as ""
    void Put(const std::wstring& field, const FieldValue& value);

    // AddNew starts a new row; Update stores it (after which the new row, with the ID the
    // database gave it, is the current row) or stores the changed fields of the current row.
    void AddNew();
    void Update();
    void Close();

private:
    friend class DbSession;
    void Open(const std::wstring& statement);
    int ColumnIndex(const std::wstring& field) const;
    void RequireOpen() const;
    void RequireRow() const;

    std::shared_ptr<sqlite3> db_;  // keeps the connection alive while the recordset lives
    bool updatable_;
    bool open_ = false;
    std::wstring table_;
    std::vector<std::wstring> columns_;
    std::vector<std::vector<FieldValue>> rows_;
    size_t pos_ = 0;  // == rows_.size() at EOF
    bool adding_ = false;
    std::vector<std::pair<int, FieldValue>> pending_;
};

class DbSession {
public:
    DbSession() = default;
    ~DbSession();
    DbSession(const DbSession&) = delete;
    DbSession& operator=(const DbSession&) = delete;

    // Opens appDir + separator + fileName read-write. The file is never created: a missing,
    // unreadable, read-only or locked file, one that is not a database, or one whose tb_Btns
    // the program cannot use safely (CheckButtonTable) shows "打开数据失败！" (captioned
    // messageCaption) and returns false, having written nothing.
    // checked, when given, is a connection to that file that CheckDatabaseFile kept: the
    // session takes it (and closes it on failure) instead of opening the file again.
    bool OpenDatabase(const std::wstring& appDir, const std::wstring& fileName,
                      const std::wstring& messageCaption, sqlite3* checked = nullptr);
    // Runs a statement; 1 on success, 0 on a store error (no message).
    int ExecuteSql(const std::wstring& statement);
    // Both replace the session's recordset with a new one and return it; ok tells whether
    // it opened. After a failure the returned recordset is closed, so any use of it throws.
    std::shared_ptr<Recordset> OpenRecordset(const std::wstring& statement, bool& ok);
    std::shared_ptr<Recordset> OpenReadOnlyRecordset(const std::wstring& statement, bool& ok);

    // Groups several statements so that they are stored together or not at all.
    bool BeginTransaction();
    bool CommitTransaction();
    void RollbackTransaction();

    bool IsOpen() const { return db_ != nullptr; }
    // The database file's path as OpenDatabase built it ("" before the first open).
    const std::wstring& Path() const { return path_; }
    // The raw connection, for tests and tools that inspect the file (integrity checks).
    sqlite3* Handle() const { return db_.get(); }
    // Closes the connection if open and releases the recordset.
    void Close();
    // The description of the last store error met by a session operation.
    const std::wstring& LastError() const { return lastError_; }

private:
    std::shared_ptr<Recordset> Open(const std::wstring& statement, bool updatable, bool& ok);

    std::shared_ptr<sqlite3> db_;
    std::shared_ptr<Recordset> recordset_;
    std::wstring lastError_;
    std::wstring path_;
};

// Whether tb_Btns is a table the program can address row by row: a rowid table whose ID
// column is its INTEGER PRIMARY KEY (so the row's own 64-bit rowid: unique, never NULL),
// with the columns iType, Title, PathName, Para and sort; and whether the file holds no
// trigger or view the program did not make (kOwnTriggers), so that no change of ours sets
// off anything the file brought along. Empty when all is well; otherwise what is wrong.
// Reads only.
std::wstring CheckButtonTable(sqlite3* db);

// The only triggers the program makes in bts.db: the icon cache's (store/icon_cache.h),
// the aliases' (store/alias_table.h) and the usage's (store/usage_table.h), each made
// with the table it keeps in step. Each is made with "create trigger if not exists <name>
// <body>" and kept by SQLite as
// "CREATE TRIGGER <name> <body>"; any other trigger, and any view, is foreign.
struct OwnTrigger {
    const char* table;  // the table whose rows it deletes, made with it
    const char* name;
    const char* body;
};
constexpr OwnTrigger kOwnTriggers[] = {
    {"tb_IconCache", "tb_IconCache_rowDeleted",
     "after delete on tb_Btns begin delete from tb_IconCache where ID = old.ID; end"},
    {"tb_IconCache", "tb_IconCache_rowChanged",
     "after update of iType, Title, PathName on tb_Btns begin delete from tb_IconCache where ID = old.ID; end"},
    {"tb_Alias", "tb_Alias_rowDeleted", "after delete on tb_Btns begin delete from tb_Alias where ID = old.ID; end"},
    {"tb_Usage", "tb_Usage_rowDeleted",
     "after delete on tb_Btns begin delete from tb_Usage where ID = old.ID and Path = ''; end"},
};

// Makes a connection distrust what a file brings along: SQLite's defensive mode (no
// writable_schema, no direct writes to its own tables) and trusted_schema off (the file's
// triggers, views and indexes may call no function with side effects). False when either
// could not be set. Every connection the program opens is hardened.
bool HardenConnection(sqlite3* db);

// The statement as SQLite takes it: "select top N ..." becomes "select ... limit N".
std::wstring ToSqliteStatement(const std::wstring& statement);

}  // namespace quorlin
