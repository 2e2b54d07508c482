// A few helpers over SQLite's C interface for the store's own tables and files (undo
// history, backups, import): prepared statements with bound values, so that no text is
// ever spliced into a statement. Portable.
#pragma once

#include <cstdint>
#include <string>

struct sqlite3;
struct sqlite3_stmt;

namespace quorlin {
struct FieldValue;
}

namespace quorlin::sql {

class Stmt {
public:
    Stmt(sqlite3* db, const char* text);  // ok() tells whether it prepared
    ~Stmt();
    Stmt(const Stmt&) = delete;
    Stmt& operator=(const Stmt&) = delete;

    bool ok() const { return stmt_ != nullptr; }
    Stmt& Bind(int index, std::int64_t value);
    Stmt& Bind(int index, const std::wstring& text);
    Stmt& BindNull(int index);
    // True while a row is there; false at the end or on an error (see failed()).
    bool Row();
    // Runs to the end; true when it finished without an error.
    bool Run();
    bool failed() const { return failed_; }
    void Reset();

    std::int64_t Int(int column) const;
    // Texts are bound and read as WTF-8, the form the store keeps them in.
    std::wstring Text(int column) const;
    bool IsNull(int column) const;
    // The column as the store reads a field (NULL, integer, real, text).
    FieldValue Field(int column) const;

private:
    sqlite3* db_;
    sqlite3_stmt* stmt_ = nullptr;
    bool failed_ = false;
};

// Runs one or more statements without values; true on success.
bool Exec(sqlite3* db, const char* text);

// Opens a file with SQLite (no create unless asked; serialized: usable from any thread),
// hardened as the store is (HardenConnection); null on failure.
sqlite3* OpenFile(const std::wstring& path, bool readOnly, bool create = false, bool serialized = false);
void Close(sqlite3* db);

}  // namespace quorlin::sql
