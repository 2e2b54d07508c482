// The table tb_Btns: the record each launcher button keeps, the kind codes, the
// reserved rows and every statement the program issues against the table. Portable.
#pragma once

#include <cstdint>
#include <string>

namespace quorlin {

class Recordset;

// Codes stored in iType. Other values may appear in a table and are treated like File.
struct ItemKind {
    enum : std::int32_t {
        File = 0,        // a file or program (a dropped shortcut is stored as its target)
        BrowserUrl = 1,  // a web address opened through our own browser launch
        Folder = 2,      // a folder
        ShellEntry = 3,  // a shell special entry, identified by its Title
        Url = 4,         // a web address opened by the shell
    };
};

// Rows 1 and 2 belong to the database as delivered: never deleted, never reordered;
// row 2 is never shown.
constexpr std::int32_t kLastReservedId = 2;
inline bool IsReservedId(std::int32_t id) { return id <= kLastReservedId; }

// The copy of one row that a launcher button holds.
struct ButtonRecord {
    std::int32_t ID = 0;
    std::int32_t sort = 0;
    std::wstring PathName;
    std::wstring Title;
    std::wstring Para;         // empty when the column is NULL
    std::int32_t iType = -1;   // -1 until a record is loaded
};

// Fills a record from the current row: ID, iType, Title, PathName, sort, Para in that
// order. A failing field access throws StoreError to the caller.
void ReadButtonRecord(const Recordset& rs, ButtonRecord& record);

// Every apostrophe doubled, so that the text forms one quoted SQL string literal.
std::wstring DoubleApostrophes(const std::wstring& text);

// The statements, formatted exactly as the program issues them.
namespace statements {
std::wstring LoadAll();
std::wstring FindDuplicate(std::int32_t kind, const std::wstring& pathName);
std::wstring LastBySort();
std::wstring DeleteOne(std::int32_t id);
std::wstring DeleteAllButReserved();
std::wstring SetSort(std::int32_t sort, std::int32_t id);
std::wstring SelectById(std::int32_t id);
}  // namespace statements

}  // namespace quorlin
