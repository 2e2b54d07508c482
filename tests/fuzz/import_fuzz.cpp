// Fuzzes the import file's reader (ParseTransferJson over nlohmann-json). Whatever the bytes:
//  - it answers either rows and no problem, or problems and no row;
//  - every row it accepts has a non-empty path without a zero character and a kind 0 to 4;
//  - the rows written out again as an export file read back as the same rows.
//
// Input: one flags byte (bit 0: the profile folder is "C:\Users\me", else none), then the file.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz/fuzz_support.h"
#include "store/button_transfer.h"

using namespace quorlin;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    const std::wstring profile = (data[0] & 1) ? L"C:\\Users\\me" : L"";
    const std::string bytes(reinterpret_cast<const char*>(data + 1), size - 1);
    const ParsedTransfer parsed = ParseTransferJson(bytes, profile);
    FUZZ_CHECK(parsed.ok == parsed.problems.empty());
    if (!parsed.ok) {
        FUZZ_CHECK(parsed.rows.empty());
        return 0;
    }
    for (const TransferRow& r : parsed.rows) {
        FUZZ_CHECK(!r.path.empty());
        FUZZ_CHECK(r.path.find(L'\0') == std::wstring::npos);
        FUZZ_CHECK(r.kind >= 0 && r.kind <= 4);
    }
    const ParsedTransfer again = ParseTransferJson(MakeTransferJson(parsed.rows, profile), profile);
    FUZZ_CHECK(again.ok);
    FUZZ_CHECK(again.rows == parsed.rows);
    return 0;
}
