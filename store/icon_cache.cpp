#include "store/icon_cache.h"

#include <sqlite3.h>

#include "framework/png_codec.h"
#include "framework/text.h"
#include "store/db_session.h"

namespace quorlin {

namespace {

// A prepared statement that finalises itself.
class Statement {
public:
    Statement(sqlite3* db, const char* sql) {
        if (db) sqlite3_prepare_v2(db, sql, -1, &st_, nullptr);
    }
    ~Statement() { sqlite3_finalize(st_); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;
    sqlite3_stmt* get() const { return st_; }
    explicit operator bool() const { return st_ != nullptr; }

private:
    sqlite3_stmt* st_ = nullptr;
};

}  // namespace

std::string IconRowStamp(std::int32_t kind, const std::wstring& title, const std::wstring& path) {
    // Lengths first, so that no title or path can pass for another split of the same text.
    const std::string t = ToUtf8(title), p = ToUtf8(path);
    return std::to_string(kind) + "|" + std::to_string(t.size()) + ":" + t + "|" + std::to_string(p.size()) + ":" +
           p + "|";
}

std::string IconStamp(const IconSource& s) {
    return IconRowStamp(s.kind, s.title, s.path) + std::to_string(s.targetSize) + "|" + std::to_string(s.targetTime);
}

bool IconCache::Ensure() {
    if (ensured_) return true;
    // The triggers keep the table in step with tb_Btns in the very transaction that deletes
    // a row or changes what its picture is made of, whoever changes it.
    // (The start-up check accepts exactly these triggers: kOwnTriggers, store/db_session.h.)
    ensured_ = store_.ExecuteSql(
                   L"create table if not exists tb_IconCache (ID integer not null, Size integer not null, "
                   L"Stamp text not null, Png blob not null, primary key (ID, Size))") == 1;
    for (const OwnTrigger& t : kOwnTriggers) {
        if (std::string(t.table) != "tb_IconCache") continue;
        ensured_ = ensured_ && store_.ExecuteSql(L"create trigger if not exists " + FromUtf8(t.name) + L" " +
                                                 FromUtf8(t.body)) == 1;
    }
    return ensured_;
}

namespace {

// The picture of a result row whose columns `first` and `first` + 1 are Stamp and Png;
// none when the bytes are not a picture as we keep one at `size` (so that it is made anew,
// never decoded: a file from elsewhere may hold anything there).
std::optional<CachedPicture> PictureOfRow(sqlite3_stmt* st, int first, int size) {
    const auto* png = static_cast<const std::uint8_t*>(sqlite3_column_blob(st, first + 1));
    const int bytes = sqlite3_column_bytes(st, first + 1);
    if (!png || bytes <= 0 || !png::IsKeptPicture(png, static_cast<std::size_t>(bytes), size)) return std::nullopt;
    CachedPicture picture;
    if (const unsigned char* stamp = sqlite3_column_text(st, first)) picture.stamp = reinterpret_cast<const char*>(stamp);
    picture.png.assign(png, png + bytes);
    return picture;
}

}  // namespace

std::optional<CachedPicture> IconCache::Find(std::int64_t id, int size) {
    if (!Ensure()) return std::nullopt;
    Statement st(store_.Handle(), "select Stamp, Png from tb_IconCache where ID = ?1 and Size = ?2");
    if (!st) return std::nullopt;
    sqlite3_bind_int64(st.get(), 1, id);
    sqlite3_bind_int(st.get(), 2, size);
    if (sqlite3_step(st.get()) != SQLITE_ROW) return std::nullopt;
    return PictureOfRow(st.get(), 0, size);
}

std::map<std::int64_t, CachedPicture> IconCache::FindAll(int size) {
    std::map<std::int64_t, CachedPicture> all;
    if (!Ensure()) return all;
    Statement st(store_.Handle(), "select ID, Stamp, Png from tb_IconCache where Size = ?1");
    if (!st) return all;
    sqlite3_bind_int(st.get(), 1, size);
    while (sqlite3_step(st.get()) == SQLITE_ROW) {
        if (auto picture = PictureOfRow(st.get(), 1, size)) all[sqlite3_column_int64(st.get(), 0)] = std::move(*picture);
    }
    return all;
}

bool IconCache::Put(std::int64_t id, int size, const std::string& stamp, const std::vector<std::uint8_t>& png) {
    if (!Ensure()) return false;
    Statement st(store_.Handle(), "insert or replace into tb_IconCache (ID, Size, Stamp, Png) values (?1, ?2, ?3, ?4)");
    if (!st) return false;
    sqlite3_bind_int64(st.get(), 1, id);
    sqlite3_bind_int(st.get(), 2, size);
    sqlite3_bind_text(st.get(), 3, stamp.data(), static_cast<int>(stamp.size()), SQLITE_TRANSIENT);
    sqlite3_bind_blob(st.get(), 4, png.data(), static_cast<int>(png.size()), SQLITE_TRANSIENT);
    return sqlite3_step(st.get()) == SQLITE_DONE;
}

bool IconCache::Remove(std::int64_t id) {
    if (!Ensure()) return false;
    Statement st(store_.Handle(), "delete from tb_IconCache where ID = ?1");
    if (!st) return false;
    sqlite3_bind_int64(st.get(), 1, id);
    return sqlite3_step(st.get()) == SQLITE_DONE;
}

int IconCache::RemoveOrphans() {
    if (!Ensure()) return -1;
    Statement st(store_.Handle(), "delete from tb_IconCache where ID not in (select ID from tb_Btns)");
    if (!st || sqlite3_step(st.get()) != SQLITE_DONE) return -1;
    return sqlite3_changes(store_.Handle());
}

}  // namespace quorlin
