// Fuzzes the import file's reader (ParseTransferJson over nlohmann-json). Whatever the bytes:
//  - it answers either importable entries and no problem, or problems (at most 20 and one
//    "and N more") and only entries that are refused or none;
//  - every entry it lists has a non-empty path without a zero character and a kind 0 to 4;
//  - the rows written out again as an export file read back as the same rows.
//
// Input: one flags byte (bit 0: the profile folder is "C:\Users\me", else none), then the file.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz/fuzz_support.h"
#include "store/button_transfer.h"

using namespace quorlin;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    const std::wstring profile = (data[0] & 1) ? L"C:\\Users\\me" : L"";
    const std::string bytes(reinterpret_cast<const char*>(data + 1), size - 1);
    const ImportPreview parsed = ParseTransferJson(bytes, profile);
    FUZZ_CHECK(parsed.ok == parsed.problems.empty());
    FUZZ_CHECK(parsed.problems.size() <= kMaxListedProblems + 1);
    FUZZ_CHECK(parsed.ok || parsed.refused > 0 || parsed.entries.empty());
    std::vector<TransferRow> rows;
    for (const ImportEntry& e : parsed.entries) {
        FUZZ_CHECK(!e.row.path.empty());
        FUZZ_CHECK(e.row.path.find(L'\0') == std::wstring::npos);
        FUZZ_CHECK(e.row.kind >= 0 && e.row.kind <= 4);
        FUZZ_CHECK(!parsed.ok || e.refusal.empty());
        rows.push_back(e.row);
    }
    if (!parsed.ok) return 0;
    const ImportPreview again = ParseTransferJson(MakeTransferJson(rows, profile), profile);
    FUZZ_CHECK(again.ok);
    FUZZ_CHECK(again.entries.size() == rows.size());
    for (std::size_t i = 0; i < rows.size() && i < again.entries.size(); ++i) FUZZ_CHECK(again.entries[i].row == rows[i]);
    return 0;
}
