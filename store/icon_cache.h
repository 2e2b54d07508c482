// The finished pictures of the buttons, kept in bts.db beside tb_Btns so that the panel
// can show its first frame without asking the shell for a single icon. Portable.
//
// Table tb_IconCache (made on first use; tb_Btns keeps exactly its columns):
//   ID     the tb_Btns row the picture belongs to
//   Size   the picture's side in pixels (48 at 96 DPI; larger ones as pictures follow the DPI)
//   Stamp  what the picture was made from (IconStamp): a row whose stamp differs is stale
//   Png    the picture, PNG-encoded
// Two triggers on tb_Btns delete a row's pictures when the row is deleted or its kind,
// title or path change, in the same transaction. A cached picture is only ever a guess to start with: whoever shows it checks the stamp
// again and makes the picture anew when it differs.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace quorlin {

class DbSession;

// What the picture of a row depends on: kind, title (the shell entries' icons follow it)
// and path, then what the target on disk looked like (size and last-write time; both 0
// for a target that is not a file or folder, or that is missing).
struct IconSource {
    std::int32_t kind = 0;
    std::wstring title;
    std::wstring path;
    std::uint64_t targetSize = 0;
    std::uint64_t targetTime = 0;
};

// The stamp of a picture made from `source`, as stored in the cache.
std::string IconStamp(const IconSource& source);
// The part of the stamp known from the row alone (kind, title, path): a cached picture
// whose stamp starts with it may be shown before the target on disk was looked at.
std::string IconRowStamp(std::int32_t kind, const std::wstring& title, const std::wstring& path);

struct CachedPicture {
    std::string stamp;
    std::vector<std::uint8_t> png;
};

class IconCache {
public:
    // Makes the table and its triggers if the file has none; false on a store error.
    bool Ensure();
    explicit IconCache(DbSession& store) : store_(store) {}

    // The picture of row `id` at `size`, if one is kept as the program keeps it (our PNG
    // of exactly size x size, png::IsKeptPicture; any other is left out, to be made anew).
    std::optional<CachedPicture> Find(std::int64_t id, int size);
    // Every picture kept at `size`, by row, in one query (a start reads them all at once);
    // the same pictures are left out as by Find.
    std::map<std::int64_t, CachedPicture> FindAll(int size);
    // Keeps (or replaces) the picture of row `id` at `size`. False on a store error.
    bool Put(std::int64_t id, int size, const std::string& stamp, const std::vector<std::uint8_t>& png);
    // Forgets every picture of row `id`. False on a store error.
    bool Remove(std::int64_t id);
    // Forgets the pictures of rows tb_Btns no longer has; the number forgotten, -1 on error.
    int RemoveOrphans();

private:
    DbSession& store_;
    bool ensured_ = false;
};

}  // namespace quorlin
