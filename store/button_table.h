// The table tb_Btns: the record each launcher button keeps, the kind codes, the
// reserved rows and every statement the program issues against the table. Portable.
#pragma once

#include <cstdint>
#include <climits>
#include <cstddef>
#include <string>

namespace quorlin {

class Recordset;
struct FieldValue;

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

// The kind of a row whose iType is no whole number in 32 bits (a text, a fraction, NULL, a
// number too large): opened like a File, never pruned as a missing file or folder.
constexpr std::int32_t kUnknownKind = INT32_MIN;

// Rows 1 and 2 belong to the database as delivered: never deleted, never reordered;
// row 2 is never shown. IDs of 0 and below are no buttons' (0 and -1 mean "no button" to
// the dialogs and the drag): such rows are never shown, deleted or reordered either.
constexpr std::int64_t kLastReservedId = 2;
inline bool IsReservedId(std::int64_t id) { return id <= kLastReservedId; }
inline bool IsShownId(std::int64_t id) { return id >= 1 && id != 2; }

// The copy of one row that a launcher button holds. ID is carried whole (SQLite's 64 bits).
struct ButtonRecord {
    std::int64_t ID = 0;
    std::int64_t sort = 0;
    std::wstring PathName;
    std::wstring Title;
    std::wstring Para;         // empty when the column is NULL
    std::int32_t iType = -1;   // -1 until a record is loaded
    std::wstring Alias;        // the words of its own (tb_Alias, store/alias_table.h); not read here
};

// Fills a record from the current row: ID, iType, Title, PathName, sort, Para in that
// order. A failing field access, or an ID that is no integer, throws StoreError.
void ReadButtonRecord(const Recordset& rs, ButtonRecord& record);

// What a stored sort means, in the order SQLite sorts the column: NULL first (the least
// value), then numbers by value (an integer as it is; a real cut to its whole part and held
// within 64 bits, so 1e300 reads as the largest value and -1e300 as the least), then texts
// and blobs after every number (the largest value). A new row needs a sort above the
// largest: with the largest value taken no row can be added.
std::int64_t SortOfField(const FieldValue& value);
// What a stored iType means: a whole number within 32 bits is that kind code (2.0 is 2);
// anything else is kUnknownKind.
std::int32_t KindOfField(const FieldValue& value);

// The longest texts a button may be given, counted in UTF-16 units (Windows' characters):
// a title as long as a classic full path, a path as long as Windows allows one (the
// "\\?\" form; web addresses too), a parameter of a length the shell passes on whole. The
// add/edit dialog and the import refuse anything longer with a message.
constexpr std::size_t kMaxTitleLength = 260;
constexpr std::size_t kMaxPathLength = 32767;
constexpr std::size_t kMaxParameterLength = 2048;
// A text's length as the limits count it (a character beyond U+FFFF counts two).
std::size_t LengthInUtf16Units(const std::wstring& text);
// Which of the three is longer than its limit (the first one, in this order).
enum class OverLimit { None, Title, Path, Parameter };
OverLimit FieldOverLimit(const std::wstring& title, const std::wstring& path, const std::wstring& parameter);

// Every apostrophe doubled, so that the text forms one quoted SQL string literal.
std::wstring DoubleApostrophes(const std::wstring& text);

// The statements, formatted exactly as the program issues them.
namespace statements {
std::wstring LoadAll();
std::wstring FindDuplicate(std::int32_t kind, const std::wstring& pathName);
std::wstring LastBySort();
std::wstring DeleteOne(std::int64_t id);
std::wstring DeleteAllButReserved();
std::wstring SetSort(std::int64_t sort, std::int64_t id);
std::wstring SelectById(std::int64_t id);
}  // namespace statements

}  // namespace quorlin
