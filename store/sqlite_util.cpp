#include "store/sqlite_util.h"

#include <sqlite3.h>

#include "framework/text.h"
#include "store/db_session.h"

namespace quorlin::sql {

Stmt::Stmt(sqlite3* db, const char* text) : db_(db) {
    if (!db || sqlite3_prepare_v2(db, text, -1, &stmt_, nullptr) != SQLITE_OK) {
        sqlite3_finalize(stmt_);
        stmt_ = nullptr;
        failed_ = true;
    }
}

Stmt::~Stmt() { sqlite3_finalize(stmt_); }

Stmt& Stmt::Bind(int index, std::int64_t value) {
    if (stmt_ && sqlite3_bind_int64(stmt_, index, value) != SQLITE_OK) failed_ = true;
    return *this;
}

Stmt& Stmt::Bind(int index, const std::wstring& text) {
    const std::string u = ToWtf8(text);  // as the store keeps its texts
    if (stmt_ && sqlite3_bind_text(stmt_, index, u.data(), static_cast<int>(u.size()), SQLITE_TRANSIENT) != SQLITE_OK)
        failed_ = true;
    return *this;
}

Stmt& Stmt::BindNull(int index) {
    if (stmt_ && sqlite3_bind_null(stmt_, index) != SQLITE_OK) failed_ = true;
    return *this;
}

bool Stmt::Row() {
    if (!stmt_ || failed_) return false;
    const int rc = sqlite3_step(stmt_);
    if (rc == SQLITE_ROW) return true;
    if (rc != SQLITE_DONE) failed_ = true;
    return false;
}

bool Stmt::Run() {
    while (Row()) {
    }
    return !failed_;
}

void Stmt::Reset() {
    if (stmt_) {
        sqlite3_reset(stmt_);
        sqlite3_clear_bindings(stmt_);
    }
    failed_ = stmt_ == nullptr;
}

std::int64_t Stmt::Int(int column) const { return sqlite3_column_int64(stmt_, column); }

std::wstring Stmt::Text(int column) const {
    const unsigned char* t = sqlite3_column_text(stmt_, column);
    const int n = sqlite3_column_bytes(stmt_, column);
    return t ? FromWtf8(std::string(reinterpret_cast<const char*>(t), static_cast<size_t>(n))) : std::wstring();
}

bool Stmt::IsNull(int column) const { return sqlite3_column_type(stmt_, column) == SQLITE_NULL; }

FieldValue Stmt::Field(int column) const {
    switch (sqlite3_column_type(stmt_, column)) {
        case SQLITE_NULL:
            return FieldValue::Null();
        case SQLITE_INTEGER:
            return FieldValue::Int(sqlite3_column_int64(stmt_, column));
        case SQLITE_FLOAT:
            return FieldValue::Real(sqlite3_column_double(stmt_, column));
        default:
            return FieldValue::Text(Text(column));
    }
}

bool Exec(sqlite3* db, const char* text) { return db && sqlite3_exec(db, text, nullptr, nullptr, nullptr) == SQLITE_OK; }

sqlite3* OpenFile(const std::wstring& path, bool readOnly, bool create, bool serialized) {
    sqlite3* db = nullptr;
    int flags = readOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE;
    if (create && !readOnly) flags |= SQLITE_OPEN_CREATE;
    if (serialized) flags |= SQLITE_OPEN_FULLMUTEX;
    if (sqlite3_open_v2(ToUtf8(path).c_str(), &db, flags, nullptr) != SQLITE_OK || !HardenConnection(db)) {
        sqlite3_close_v2(db);
        return nullptr;
    }
    sqlite3_busy_timeout(db, 2000);
    return db;
}

void Close(sqlite3* db) { sqlite3_close_v2(db); }

}  // namespace quorlin::sql
