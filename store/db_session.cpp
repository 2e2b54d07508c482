#include "store/db_session.h"

#include <sqlite3.h>

#include <cstdio>
#include <cwctype>
#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

#include "framework/seams.h"
#include "framework/text.h"
#include "framework/texts.h"

namespace quorlin {

namespace {

#ifdef _WIN32
const wchar_t kPathSeparator = L'\\';
#else
const wchar_t kPathSeparator = L'/';
#endif

// How long a statement waits for another process's lock before it fails.
const int kBusyTimeoutMs = 2000;

std::wstring Lower(const std::wstring& s) {
    std::wstring out(s);
    for (auto& c : out) c = static_cast<wchar_t>(std::towlower(c));
    return out;
}

bool SameName(const std::wstring& a, const std::wstring& b) {
    return a.size() == b.size() && Lower(a) == Lower(b);
}

[[noreturn]] void ThrowSqlite(sqlite3* db, int rc) {
    std::wstring message = db ? FromUtf8(sqlite3_errmsg(db)) : FromUtf8(sqlite3_errstr(rc));
    throw StoreError(static_cast<std::uint32_t>(db ? sqlite3_extended_errcode(db) : rc), message);
}

struct Statement {
    sqlite3_stmt* stmt = nullptr;
    ~Statement() { sqlite3_finalize(stmt); }
};

void Prepare(sqlite3* db, const std::wstring& text, Statement& st) {
    // WTF-8, as the texts are stored: a name in a statement finds the row that holds it.
    const std::string sql = ToWtf8(ToSqliteStatement(text));
    const char* tail = nullptr;
    int rc = sqlite3_prepare_v2(db, sql.c_str(), static_cast<int>(sql.size()), &st.stmt, &tail);
    if (rc != SQLITE_OK) ThrowSqlite(db, rc);
    if (!st.stmt) throw StoreError(SQLITE_MISUSE, L"empty statement");
    // One statement per call: a second one hidden after a ';' is refused rather than dropped.
    for (; tail && *tail; ++tail) {
        if (*tail != ' ' && *tail != '\t' && *tail != '\r' && *tail != '\n' && *tail != ';')
            throw StoreError(SQLITE_MISUSE, L"more than one statement");
    }
}

FieldValue ReadColumn(sqlite3_stmt* stmt, int i) {
    switch (sqlite3_column_type(stmt, i)) {
        case SQLITE_NULL:
            return FieldValue::Null();
        case SQLITE_INTEGER:
            return FieldValue::Int(sqlite3_column_int64(stmt, i));
        case SQLITE_FLOAT:
            return FieldValue::Real(sqlite3_column_double(stmt, i));
        default: {
            const unsigned char* t = sqlite3_column_text(stmt, i);
            int n = sqlite3_column_bytes(stmt, i);
            return FieldValue::Text(FromWtf8(std::string(reinterpret_cast<const char*>(t ? t : (const unsigned char*)""), n)));
        }
    }
}

void Bind(sqlite3* db, sqlite3_stmt* stmt, int index, const FieldValue& v) {
    int rc = SQLITE_OK;
    switch (v.type) {
        case FieldValue::Type::Null:
            rc = sqlite3_bind_null(stmt, index);
            break;
        case FieldValue::Type::Int:
            rc = sqlite3_bind_int64(stmt, index, v.integer);
            break;
        case FieldValue::Type::Real:
            rc = sqlite3_bind_double(stmt, index, v.real);
            break;
        case FieldValue::Type::Text: {
            std::string u = ToWtf8(v.text);
            rc = sqlite3_bind_text(stmt, index, u.data(), static_cast<int>(u.size()), SQLITE_TRANSIENT);
            break;
        }
    }
    if (rc != SQLITE_OK) ThrowSqlite(db, rc);
}

void StepToDone(sqlite3* db, sqlite3_stmt* stmt) {
    int rc;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
    }
    if (rc != SQLITE_DONE) ThrowSqlite(db, rc);
}

// The table a "select ... from <table> ..." reads, so that changes can be written back.
std::wstring TableOf(const std::wstring& statement) {
    const std::wstring lower = Lower(statement);
    size_t p = 0;
    while ((p = lower.find(L"from", p)) != std::wstring::npos) {
        bool startOk = p == 0 || std::iswspace(lower[p - 1]);
        bool endOk = p + 4 < lower.size() && std::iswspace(lower[p + 4]);
        if (startOk && endOk) {
            size_t b = p + 4;
            while (b < statement.size() && std::iswspace(statement[b])) ++b;
            size_t e = b;
            while (e < statement.size() && (std::iswalnum(statement[e]) || statement[e] == L'_')) ++e;
            return statement.substr(b, e - b);
        }
        p += 4;
    }
    return L"";
}

std::wstring QuoteIdent(const std::wstring& name) {
    std::wstring out = L"\"";
    for (wchar_t c : name) {
        if (c == L'"') out += L'"';
        out += c;
    }
    return out + L"\"";
}

// Whether the file may be written (on Windows this also honours the read-only attribute,
// which SQLite alone would not notice when the process may write anyway).
bool Writable(const std::wstring& path) {
#ifdef _WIN32
    return ::_waccess(path.c_str(), 2) == 0;
#else
    return ::access(ToUtf8(path).c_str(), W_OK) == 0;
#endif
}

}  // namespace

std::int64_t SaturatedInt64(double v) {
    if (!(v == v)) return 0;
    if (v >= 9223372036854775808.0) return INT64_MAX;
    if (v < -9223372036854775808.0) return INT64_MIN;
    return static_cast<std::int64_t>(v);
}

StoreError::StoreError(std::uint32_t code, std::wstring description)
    : code_(code), description_(std::move(description)), narrow_(ToUtf8(description_)) {}

std::wstring ToSqliteStatement(const std::wstring& statement) {
    // "select top N <rest>" -> "select <rest> limit N"
    const std::wstring lower = Lower(statement);
    size_t s = lower.find_first_not_of(L" \t\r\n");
    if (s == std::wstring::npos || lower.compare(s, 6, L"select") != 0) return statement;
    size_t t = lower.find_first_not_of(L" \t\r\n", s + 6);
    if (t == std::wstring::npos || lower.compare(t, 3, L"top") != 0 || t + 3 >= lower.size() ||
        !std::iswspace(lower[t + 3]))
        return statement;
    size_t n = lower.find_first_not_of(L" \t\r\n", t + 3);
    if (n == std::wstring::npos) return statement;
    size_t e = n;
    while (e < lower.size() && std::iswdigit(lower[e])) ++e;
    if (e == n) return statement;
    std::wstring count = statement.substr(n, e - n);
    std::wstring rest = statement.substr(e);
    return statement.substr(0, t) + Trim(rest) + L" limit " + count;
}

// ---------------------------------------------------------------- Recordset

Recordset::Recordset(std::shared_ptr<sqlite3> db, bool updatable) : db_(std::move(db)), updatable_(updatable) {}

void Recordset::Open(const std::wstring& statement) {
    if (!db_) throw StoreError(kStoreEPointer, L"no connection");
    Statement st;
    Prepare(db_.get(), statement, st);
    const int n = sqlite3_column_count(st.stmt);
    columns_.clear();
    for (int i = 0; i < n; ++i) {
        const char* name = sqlite3_column_name(st.stmt, i);
        columns_.push_back(FromUtf8(name ? name : ""));
    }
    rows_.clear();
    int rc;
    while ((rc = sqlite3_step(st.stmt)) == SQLITE_ROW) {
        std::vector<FieldValue> row;
        row.reserve(n);
        for (int i = 0; i < n; ++i) row.push_back(ReadColumn(st.stmt, i));
        rows_.push_back(std::move(row));
    }
    if (rc != SQLITE_DONE) ThrowSqlite(db_.get(), rc);
    table_ = TableOf(statement);
    pos_ = 0;
    adding_ = false;
    pending_.clear();
    open_ = true;
}

void Recordset::RequireOpen() const {
    if (!open_) throw StoreError(kStoreClosed, L"Operation is not allowed when the object is closed.");
}

void Recordset::RequireRow() const {
    RequireOpen();
    if (pos_ >= rows_.size())
        throw StoreError(kStoreNoCurrentRow, L"Either BOF or EOF is True, or the current record has been deleted.");
}

bool Recordset::AtBOF() const {
    RequireOpen();
    return rows_.empty();
}

bool Recordset::AtEOF() const {
    RequireOpen();
    return pos_ >= rows_.size();
}

void Recordset::MoveNext() {
    RequireRow();
    ++pos_;
}

int Recordset::ColumnIndex(const std::wstring& field) const {
    for (size_t i = 0; i < columns_.size(); ++i)
        if (SameName(columns_[i], field)) return static_cast<int>(i);
    throw StoreError(kStoreItemNotFound, L"Item cannot be found in the collection: " + field);
}

FieldValue Recordset::Get(const std::wstring& field) const {
    RequireOpen();
    const int i = ColumnIndex(field);
    if (adding_) {
        for (const auto& p : pending_)
            if (p.first == i) return p.second;
        return FieldValue::Null();
    }
    RequireRow();
    for (const auto& p : pending_)
        if (p.first == i) return p.second;
    return rows_[pos_][i];
}

std::int64_t Recordset::GetInt64(const std::wstring& field) const {
    FieldValue v = Get(field);
    if (v.type == FieldValue::Type::Int) return v.integer;
    if (v.type == FieldValue::Type::Real) return SaturatedInt64(v.real);
    if (v.type == FieldValue::Type::Text) {
        try {
            return std::stoll(ToUtf8(v.text));
        } catch (...) {
            return 0;
        }
    }
    return 0;
}

std::int32_t Recordset::GetInt(const std::wstring& field) const {
    const std::int64_t v = GetInt64(field);
    if (v > INT32_MAX) return INT32_MAX;
    if (v < INT32_MIN) return INT32_MIN;
    return static_cast<std::int32_t>(v);
}

std::wstring Recordset::GetText(const std::wstring& field) const {
    FieldValue v = Get(field);
    if (v.type == FieldValue::Type::Text) return v.text;
    if (v.type == FieldValue::Type::Int) return std::to_wstring(v.integer);
    if (v.type == FieldValue::Type::Real) {
        char buf[32];
        std::snprintf(buf, sizeof buf, "%.17g", v.real);
        return FromUtf8(buf);
    }
    return L"";
}

void Recordset::Put(const std::wstring& field, const FieldValue& value) {
    RequireOpen();
    if (!updatable_) throw StoreError(kStoreReadOnly, L"The recordset does not allow changes.");
    const int i = ColumnIndex(field);
    if (!adding_) RequireRow();
    for (auto& p : pending_) {
        if (p.first == i) {
            p.second = value;
            return;
        }
    }
    pending_.emplace_back(i, value);
}

void Recordset::AddNew() {
    RequireOpen();
    if (!updatable_) throw StoreError(kStoreReadOnly, L"The recordset does not allow changes.");
    if (table_.empty()) throw StoreError(kStoreReadOnly, L"The recordset names no table to add to.");
    adding_ = true;
    pending_.clear();
}

void Recordset::Update() {
    RequireOpen();
    if (!updatable_) throw StoreError(kStoreReadOnly, L"The recordset does not allow changes.");
    sqlite3* db = db_.get();
    if (adding_) {
        std::wstring cols, marks;
        for (size_t k = 0; k < pending_.size(); ++k) {
            if (k) {
                cols += L", ";
                marks += L", ";
            }
            cols += QuoteIdent(columns_[pending_[k].first]);
            marks += L"?";
        }
        std::wstring sql = pending_.empty()
                               ? L"insert into " + QuoteIdent(table_) + L" default values"
                               : L"insert into " + QuoteIdent(table_) + L" (" + cols + L") values (" + marks + L")";
        {
            Statement st;
            Prepare(db, sql, st);
            for (size_t k = 0; k < pending_.size(); ++k) Bind(db, st.stmt, static_cast<int>(k + 1), pending_[k].second);
            StepToDone(db, st.stmt);
        }
        // Read the stored row back so that the ID the database gave it can be read here.
        const sqlite3_int64 rowid = sqlite3_last_insert_rowid(db);
        std::wstring colList;
        for (size_t i = 0; i < columns_.size(); ++i) colList += (i ? L", " : L"") + QuoteIdent(columns_[i]);
        Statement back;
        Prepare(db, L"select " + colList + L" from " + QuoteIdent(table_) + L" where rowid = ?", back);
        sqlite3_bind_int64(back.stmt, 1, rowid);
        int rc = sqlite3_step(back.stmt);
        if (rc != SQLITE_ROW) ThrowSqlite(db, rc == SQLITE_DONE ? SQLITE_NOTFOUND : rc);
        std::vector<FieldValue> row;
        for (size_t i = 0; i < columns_.size(); ++i) row.push_back(ReadColumn(back.stmt, static_cast<int>(i)));
        rows_.push_back(std::move(row));
        pos_ = rows_.size() - 1;
        adding_ = false;
        pending_.clear();
        return;
    }
    RequireRow();
    if (pending_.empty()) return;
    const int idCol = ColumnIndex(L"ID");
    std::wstring sets;
    for (size_t k = 0; k < pending_.size(); ++k)
        sets += (k ? L", " : L"") + QuoteIdent(columns_[pending_[k].first]) + L" = ?";
    Statement st;
    Prepare(db, L"update " + QuoteIdent(table_) + L" set " + sets + L" where ID = ?", st);
    for (size_t k = 0; k < pending_.size(); ++k) Bind(db, st.stmt, static_cast<int>(k + 1), pending_[k].second);
    Bind(db, st.stmt, static_cast<int>(pending_.size() + 1), rows_[pos_][idCol]);
    StepToDone(db, st.stmt);
    if (sqlite3_changes(db) == 0)
        throw StoreError(kStoreNoCurrentRow, L"The row to update no longer exists.");
    for (auto& p : pending_) rows_[pos_][p.first] = p.second;
    pending_.clear();
}

void Recordset::Close() {
    RequireOpen();
    open_ = false;
    rows_.clear();
    pending_.clear();
    adding_ = false;
}

// ---------------------------------------------------------------- DbSession

std::wstring CheckButtonTable(sqlite3* db) {
    try {
        Statement table;
        Prepare(db, L"select count(*) from sqlite_master where type = 'table' and name = 'tb_Btns'", table);
        int rc = sqlite3_step(table.stmt);
        if (rc != SQLITE_ROW) ThrowSqlite(db, rc);
        if (sqlite3_column_int(table.stmt, 0) != 1) return L"tb_Btns is missing";

        // A WITHOUT ROWID table has no rowid for ID to stand for.
        Statement list;
        Prepare(db, L"select wr from pragma_table_list where schema = 'main' and name = 'tb_Btns'", list);
        rc = sqlite3_step(list.stmt);
        if (rc != SQLITE_ROW) ThrowSqlite(db, rc);
        if (sqlite3_column_int(list.stmt, 0) != 0) return L"tb_Btns is a WITHOUT ROWID table";

        Statement info;
        Prepare(db, L"select name, type, pk from pragma_table_info('tb_Btns')", info);
        bool idIsKey = false;
        int keyColumns = 0;
        std::vector<std::wstring> names;
        while ((rc = sqlite3_step(info.stmt)) == SQLITE_ROW) {
            const char* name = reinterpret_cast<const char*>(sqlite3_column_text(info.stmt, 0));
            const char* type = reinterpret_cast<const char*>(sqlite3_column_text(info.stmt, 1));
            const int pk = sqlite3_column_int(info.stmt, 2);
            names.push_back(FromUtf8(name ? name : ""));
            if (pk > 0) ++keyColumns;
            // Only the declared type "INTEGER" makes the key the rowid itself.
            if (SameName(names.back(), L"ID") && pk == 1 && SameName(FromUtf8(type ? type : ""), L"INTEGER"))
                idIsKey = true;
        }
        if (rc != SQLITE_DONE) ThrowSqlite(db, rc);
        if (!idIsKey || keyColumns != 1) return L"tb_Btns.ID is not its INTEGER PRIMARY KEY";
        for (const wchar_t* needed : {L"iType", L"Title", L"PathName", L"Para", L"sort"}) {
            bool found = false;
            for (const auto& n : names) found = found || SameName(n, needed);
            if (!found) return std::wstring(L"tb_Btns has no column ") + needed;
        }
        // "INTEGER PRIMARY KEY DESC" is no rowid alias: SQLite then keeps an index for the key.
        Statement indexes;
        Prepare(db, L"select count(*) from pragma_index_list('tb_Btns') where origin = 'pk'", indexes);
        rc = sqlite3_step(indexes.stmt);
        if (rc != SQLITE_ROW) ThrowSqlite(db, rc);
        if (sqlite3_column_int(indexes.stmt, 0) != 0) return L"tb_Btns.ID is not the rowid";
        // A trigger or view the file brought along could add, change or hide rows behind
        // every statement of ours: only our own, exactly as we make them, are accepted.
        Statement objects;
        Prepare(db, L"select type, name, sql from sqlite_master where type in ('trigger', 'view')", objects);
        while ((rc = sqlite3_step(objects.stmt)) == SQLITE_ROW) {
            auto column = [&](int i) {
                const unsigned char* t = sqlite3_column_text(objects.stmt, i);
                return std::string(t ? reinterpret_cast<const char*>(t) : "");
            };
            const std::string type = column(0), name = column(1), sql = column(2);
            bool own = false;
            for (const OwnTrigger& t : kOwnTriggers)
                own = own || (type == "trigger" && name == t.name && sql == std::string("CREATE TRIGGER ") + t.name + " " + t.body);
            if (!own) return L"bts.db holds a " + FromUtf8(type) + L" the program did not make: " + FromUtf8(name);
        }
        if (rc != SQLITE_DONE) ThrowSqlite(db, rc);
        return L"";
    } catch (const StoreError& e) {
        return e.Description().empty() ? L"tb_Btns cannot be read" : e.Description();
    }
}

bool HardenConnection(sqlite3* db) {
    int defensive = 0;
    if (!db || sqlite3_db_config(db, SQLITE_DBCONFIG_DEFENSIVE, 1, &defensive) != SQLITE_OK || defensive != 1)
        return false;
    if (sqlite3_exec(db, "PRAGMA trusted_schema = OFF", nullptr, nullptr, nullptr) != SQLITE_OK) return false;
    Statement trusted;
    sqlite3_prepare_v2(db, "PRAGMA trusted_schema", -1, &trusted.stmt, nullptr);
    return trusted.stmt && sqlite3_step(trusted.stmt) == SQLITE_ROW && sqlite3_column_int(trusted.stmt, 0) == 0;
}

DbSession::~DbSession() { Close(); }

bool DbSession::OpenDatabase(const std::wstring& appDir, const std::wstring& fileName,
                             const std::wstring& messageCaption, sqlite3* checked) {
    Close();
    const std::wstring path = appDir + kPathSeparator + fileName;
    path_ = path;
    try {
        sqlite3* raw = checked;  // a connection handed over is owned (and closed) by db below
        // Read-write, never create: the file is delivered with the program.
        int rc = raw ? SQLITE_OK
                     : sqlite3_open_v2(ToUtf8(path).c_str(), &raw, SQLITE_OPEN_READWRITE | SQLITE_OPEN_FULLMUTEX, nullptr);
        std::shared_ptr<sqlite3> db(raw, [](sqlite3* d) { sqlite3_close_v2(d); });
        if (rc != SQLITE_OK) ThrowSqlite(raw, rc);
        sqlite3_busy_timeout(raw, kBusyTimeoutMs);
        sqlite3_extended_result_codes(raw, 1);
        if (!HardenConnection(raw)) throw StoreError(SQLITE_ERROR, L"the connection could not be hardened");
        // A file we may not write (read-only attribute, read-only medium) cannot hold buttons.
        if (sqlite3_db_readonly(raw, "main") == 1 || !Writable(path))
            throw StoreError(SQLITE_READONLY, L"the database file is read-only");
        const std::wstring unusable = CheckButtonTable(raw);
        if (!unusable.empty()) throw StoreError(SQLITE_NOTFOUND, unusable);
        // Every committed change must survive a crash or a power loss. EXTRA, not FULL: a
        // commit deletes the journal, and only a sync of the folder after that makes the
        // delete durable; without it the journal may come back after a power loss and roll
        // the committed change back (tests/powerloss shows it).
        char* err = nullptr;
        if (sqlite3_exec(raw, "PRAGMA synchronous = EXTRA", nullptr, nullptr, &err) != SQLITE_OK) {
            std::wstring m = FromUtf8(err ? err : "");
            sqlite3_free(err);
            throw StoreError(SQLITE_ERROR, m);
        }
        db_ = std::move(db);
        return true;
    } catch (const StoreError& e) {
        lastError_ = e.Description();
        db_.reset();
        MessageBoxes().Show(0, Text(IDS_OPEN_DATA_FAILED), messageCaption, kMbOk);
        return false;
    }
}

int DbSession::ExecuteSql(const std::wstring& statement) {
    try {
        if (!db_) throw StoreError(kStoreEPointer, L"no connection");
        Statement st;
        Prepare(db_.get(), statement, st);
        StepToDone(db_.get(), st.stmt);
        return 1;
    } catch (const StoreError& e) {
        lastError_ = e.Description();
        return 0;
    }
}

std::shared_ptr<Recordset> DbSession::Open(const std::wstring& statement, bool updatable, bool& ok) {
    recordset_ = std::make_shared<Recordset>(db_, updatable);
    try {
        recordset_->Open(statement);
        ok = true;
    } catch (const StoreError& e) {
        lastError_ = e.Description();
        ok = false;
    }
    return recordset_;
}

std::shared_ptr<Recordset> DbSession::OpenRecordset(const std::wstring& statement, bool& ok) {
    return Open(statement, true, ok);
}

std::shared_ptr<Recordset> DbSession::OpenReadOnlyRecordset(const std::wstring& statement, bool& ok) {
    return Open(statement, false, ok);
}

bool DbSession::BeginTransaction() { return ExecuteSql(L"begin immediate") == 1; }
bool DbSession::CommitTransaction() { return ExecuteSql(L"commit") == 1; }
void DbSession::RollbackTransaction() {
    if (db_ && !sqlite3_get_autocommit(db_.get())) ExecuteSql(L"rollback");
}

void DbSession::Close() {
    recordset_.reset();
    db_.reset();
}

}  // namespace quorlin
