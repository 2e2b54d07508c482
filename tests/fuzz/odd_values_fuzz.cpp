// Fuzzes the odd values a tb_Btns row may hold in sort and iType (any integer, any real,
// 1e300 included, texts and blobs) through the real store and button collection. Built
// with clang's UBSan, whose float-cast-overflow check catches a real converted out of range.
//  - the ring keeps SQLite's order, and the sorts read keep it too (never decreasing);
//  - a kind read as a code is the stored value exactly; anything else is kUnknownKind;
//  - an add either takes a sort above every stored one or is refused, storing nothing.
//
// Input: for sort, then for iType: a type byte (0 integer, 1 real, 2 text, 3 blob) and 8
// bytes (the integer or the real's bits, little-endian); the rest is the text or blob.
#include <sqlite3.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

#include "fuzz/fuzz_support.h"
#include "panel/button_collection.h"
#include "store/button_table.h"
#include "store/db_session.h"
#include "support/temp_dir.h"

using namespace quorlin;

namespace {

struct Store {
    testing::TempDir dir;
    DbSession session;
    fuzz::NoWindows host;
    std::unique_ptr<ButtonCollection> collection;
    Store() {
        // sort may hold NULL here as well: the delivered schema says NOT NULL, another tool may not.
        const auto file = dir.File("bts.db");
        sqlite3* db = nullptr;
        sqlite3_open(file.u8string().c_str(), &db);
        sqlite3_exec(db,
                     "create table tb_Btns (ID integer primary key autoincrement, iType, Title text, PathName text, "
                     "Para text, sort)",
                     nullptr, nullptr, nullptr);
        sqlite3_close(db);
        if (!session.OpenDatabase(dir.WPath(), L"bts.db", L"fuzz")) std::abort();
        sqlite3_exec(session.Handle(), "PRAGMA synchronous = OFF; PRAGMA journal_mode = MEMORY; PRAGMA locking_mode = EXCLUSIVE",
                     nullptr, nullptr, nullptr);
        collection = std::make_unique<ButtonCollection>(session, host);
    }
};

void BindValue(sqlite3_stmt* st, int index, std::uint8_t type, const std::uint8_t* bytes, const std::string& rest) {
    std::int64_t i = 0;
    std::memcpy(&i, bytes, 8);
    double d = 0;
    std::memcpy(&d, bytes, 8);
    switch (type % 5) {
        case 0: sqlite3_bind_int64(st, index, i); break;
        case 1: sqlite3_bind_double(st, index, d); break;  // SQLite stores a NaN as NULL
        case 2: sqlite3_bind_text(st, index, rest.data(), static_cast<int>(rest.size()), SQLITE_TRANSIENT); break;
        case 3: sqlite3_bind_blob(st, index, rest.data(), static_cast<int>(rest.size()), SQLITE_TRANSIENT); break;
        default: sqlite3_bind_null(st, index); break;
    }
}

std::string One(sqlite3* db, const std::string& sql) {
    sqlite3_stmt* st = nullptr;
    std::string out = "?";
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &st, nullptr) == SQLITE_OK && sqlite3_step(st) == SQLITE_ROW) {
        const unsigned char* t = sqlite3_column_text(st, 0);
        out = t ? reinterpret_cast<const char*>(t) : "NULL";
    }
    sqlite3_finalize(st);
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 18) return 0;
    static Store s;
    sqlite3* db = s.session.Handle();
    const std::string rest(reinterpret_cast<const char*>(data + 18), size - 18);
    FUZZ_CHECK(sqlite3_exec(db, "delete from tb_Btns; insert into tb_Btns (ID, iType, Title, PathName, sort) "
                                "values (1, 3, 'a', 'p', 0), (2, 4, 'b', 'q', 1)",
                            nullptr, nullptr, nullptr) == SQLITE_OK);
    sqlite3_stmt* st = nullptr;
    FUZZ_CHECK(sqlite3_prepare_v2(db, "insert into tb_Btns (ID, iType, Title, PathName, sort) values (10, ?, 'o', 'x', ?)",
                                  -1, &st, nullptr) == SQLITE_OK);
    BindValue(st, 2, data[0], data + 1, rest);
    BindValue(st, 1, data[9], data + 10, rest);
    FUZZ_CHECK(sqlite3_step(st) == SQLITE_DONE);
    sqlite3_finalize(st);

    ButtonCollection& c = *s.collection;
    FUZZ_CHECK(c.LoadButtons());
    FUZZ_CHECK(c.Count() == 2);
    FUZZ_CHECK(c.buttons[0]->sort <= c.buttons[1]->sort);
    const LauncherButton* odd = c.FindById(10);
    FUZZ_CHECK(odd != nullptr);
    if (odd->iType != kUnknownKind)
        FUZZ_CHECK(One(db, "select iType = " + std::to_string(odd->iType) + " from tb_Btns where ID = 10") == "1");

    const std::string before = One(db, "select group_concat(ID || ':' || quote(sort)) from tb_Btns");
    if (c.AddButton(L"t", L"http://new", ItemKind::Url, L"")) {
        const std::string id = std::to_string(c.buttons.back()->ID);
        FUZZ_CHECK(One(db, "select count(*) from tb_Btns where ID <> " + id +
                               " and sort >= (select sort from tb_Btns where ID = " + id + ")") == "0");
    } else {
        FUZZ_CHECK(One(db, "select group_concat(ID || ':' || quote(sort)) from tb_Btns") == before);
    }
    return 0;
}
