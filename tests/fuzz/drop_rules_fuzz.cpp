// Fuzzes the rules applied to every dropped name: the title made from a path and the test
// for a shortcut that must be resolved first.
//
// Input: flags byte, then the dropped name (see fuzz_support.h for the decoding).
#include <cstdint>
#include <string>

#include "fuzz/fuzz_support.h"
#include "panel/drop_rules.h"

using namespace quorlin;
using namespace quorlin::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::wstring name = WideFrom(data + 1, size - 1, (data[0] & 1) != 0);

    const std::wstring title = TitleFromPath(name);
    if (Utf16Units(name) < 5) {
        // Short names (a drive root such as C:\) stay whole.
        FUZZ_CHECK(title == name);
    } else {
        // The last part of the path, cut before its last dot: it starts right after the
        // last backslash, holds no backslash, and only a dot that another one follows.
        const std::size_t slash = name.rfind(L'\\');
        const std::size_t start = slash == std::wstring::npos ? 0 : slash + 1;
        FUZZ_CHECK(name.compare(start, title.size(), title) == 0);
        FUZZ_CHECK(title.find(L'\\') == std::wstring::npos);
        const std::wstring last = name.substr(start);
        const std::size_t dot = last.rfind(L'.');
        FUZZ_CHECK(title.size() == (dot == std::wstring::npos ? last.size() : dot));
        FUZZ_CHECK(last.find(L'.', title.size() + 1) == std::wstring::npos);
    }

    // Only a name that ends in exactly ".lnk" is a shortcut.
    const bool shortcut = IsShortcutPath(name);
    FUZZ_CHECK(shortcut == (name.size() >= 4 && name.substr(name.size() - 4) == L".lnk"));
    FUZZ_CHECK(IsShortcutPath(name + L".lnk"));
    FUZZ_CHECK(!IsShortcutPath(name + L".LNK"));
    FUZZ_CHECK(!IsShortcutPath(name + L".lnk "));
    return 0;
}
