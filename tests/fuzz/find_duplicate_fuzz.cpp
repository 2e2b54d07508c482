// Fuzzes the one statement that carries a text: FindDuplicate, whose path is written into a
// quoted SQL literal with every apostrophe doubled. Whatever the path holds:
//  - the statement has exactly one string literal, it is the last thing in the statement,
//    and it reads back as the path (checked with a small tokenizer of SQL's rules);
//  - SQLite itself takes it as one statement, and through the real store and button
//    collection (IsDuplicate on a real bts.db) it finds the row with that kind and path and
//    nothing else: not the same path of another kind, not a longer path.
//
// Input: flags byte, two bytes of the kind (little-endian, signed), then the path.
#include <sqlite3.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "fuzz/fuzz_support.h"
#include "panel/button_collection.h"
#include "store/button_table.h"
#include "store/db_session.h"
#include "support/temp_dir.h"

using namespace quorlin;
using namespace quorlin::fuzz;

namespace {

struct Store {
    testing::TempDir dir;
    DbSession session;
    fuzz::NoWindows host;
    std::unique_ptr<ButtonCollection> collection;
    Store() {
        dir.MakeDatabase();
        if (!session.OpenDatabase(dir.WPath(), L"bts.db", L"fuzz")) std::abort();
        // Speed only: nothing here needs to survive a crash.
        sqlite3_exec(session.Handle(), "PRAGMA synchronous = OFF; PRAGMA journal_mode = MEMORY; PRAGMA locking_mode = EXCLUSIVE", nullptr, nullptr,
                     nullptr);
        // No rows at all, so that only the row each input inserts can be found.
        sqlite3_exec(session.Handle(), "delete from tb_Btns", nullptr, nullptr, nullptr);
        collection = std::make_unique<ButtonCollection>(session, host);
    }
};

Store& TheStore() {
    static Store store;
    return store;
}

// The string literals of an SQL text: '...' with '' standing for one apostrophe. Returns
// false when a literal is not closed.
bool Literals(const std::string& sql, std::vector<std::string>& found, std::size_t& lastEnd) {
    for (std::size_t i = 0; i < sql.size(); ++i) {
        if (sql[i] != '\'') continue;
        std::string value;
        std::size_t j = i + 1;
        for (;; ++j) {
            if (j >= sql.size()) return false;
            if (sql[j] == '\'') {
                if (j + 1 < sql.size() && sql[j + 1] == '\'') {
                    value += '\'';
                    ++j;
                    continue;
                }
                break;
            }
            value += sql[j];
        }
        found.push_back(value);
        lastEnd = j + 1;
        i = j;
    }
    return true;
}

void InsertRow(sqlite3* db, std::int32_t kind, const std::string& path) {
    sqlite3_stmt* st = nullptr;
    FUZZ_CHECK(sqlite3_prepare_v2(db, "insert into tb_Btns (iType, Title, PathName, sort) values (?, 't', ?, 9)", -1,
                                  &st, nullptr) == SQLITE_OK);
    sqlite3_bind_int(st, 1, kind);
    sqlite3_bind_text(st, 2, path.data(), static_cast<int>(path.size()), SQLITE_TRANSIENT);
    FUZZ_CHECK(sqlite3_step(st) == SQLITE_DONE);
    sqlite3_finalize(st);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 3) return 0;
    const std::int32_t kind = static_cast<std::int16_t>(data[1] | (data[2] << 8));
    std::wstring path = WideFrom(data + 3, size - 3, (data[0] & 1) != 0);
    // A path never holds a zero character (SQLite would end the statement there).
    path.erase(std::remove(path.begin(), path.end(), L'\0'), path.end());

    // The text as the store hands it to SQLite.
    const std::wstring statement = statements::FindDuplicate(kind, path);
    const std::string sql = ToWtf8(ToSqliteStatement(statement));
    const std::string stored = ToWtf8(path);  // the path as a field value stores it (WTF-8)

    std::vector<std::string> literals;
    std::size_t lastEnd = 0;
    FUZZ_CHECK(Literals(sql, literals, lastEnd));
    FUZZ_CHECK(literals.size() == 1);
    FUZZ_CHECK(literals[0] == stored);
    FUZZ_CHECK(lastEnd == sql.size());
    const std::string head = "select ID from tb_Btns where iType=" + std::to_string(kind) + " and PathName = ";
    FUZZ_CHECK(sql.compare(0, head.size(), head) == 0);

    // SQLite's own parser: one complete statement, no parameters, nothing left over.
    Store& s = TheStore();
    sqlite3* db = s.session.Handle();
    sqlite3_stmt* st = nullptr;
    const char* tail = nullptr;
    FUZZ_CHECK(sqlite3_prepare_v2(db, sql.c_str(), static_cast<int>(sql.size()), &st, &tail) == SQLITE_OK);
    FUZZ_CHECK(st != nullptr && tail == sql.c_str() + sql.size());
    FUZZ_CHECK(sqlite3_bind_parameter_count(st) == 0);
    sqlite3_finalize(st);

    // Through the store and the collection: found exactly when kind and path both match.
    FUZZ_CHECK(!s.collection->IsDuplicate(path, kind));
    InsertRow(db, kind, stored);
    FUZZ_CHECK(s.collection->IsDuplicate(path, kind));
    FUZZ_CHECK(!s.collection->IsDuplicate(path, kind ^ 1));
    FUZZ_CHECK(!s.collection->IsDuplicate(path + L"'", kind));
    if (!path.empty()) FUZZ_CHECK(!s.collection->IsDuplicate(path.substr(0, path.size() - 1), kind));
    FUZZ_CHECK(sqlite3_exec(db, "delete from tb_Btns", nullptr, nullptr, nullptr) == SQLITE_OK);
    return 0;
}
