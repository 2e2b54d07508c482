// Shared by the libFuzzer targets: how an input's bytes become the program's strings, and
// a check that stops the run (libFuzzer then saves the input) when a property fails.
//
// Inputs are laid out as: one flags byte, then the text bytes. A target that needs two texts
// reads a 16-bit little-endian length after the flags byte: that many bytes (or what is
// left) are the first text, the rest is the second. Flag bit 0 chooses how text bytes
// become a std::wstring:
//   0  UTF-8, decoded by the program's own FromUtf8 (malformed bytes become U+FFFD);
//   1  raw 16-bit units, little-endian, any value (lone surrogates too), as a Windows
//      string may hold them - wide strings are UTF-32 here, so each unit is one wchar_t.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <utility>

#include "framework/text.h"
#include "panel/button_collection.h"

#define FUZZ_CHECK(cond)                                                                      \
    do {                                                                                      \
        if (!(cond)) {                                                                        \
            std::fprintf(stderr, "property failed: %s (%s:%d)\n", #cond, __FILE__, __LINE__); \
            std::abort();                                                                     \
        }                                                                                     \
    } while (0)

namespace quorlin::fuzz {

// A panel without windows for the collection the store targets drive.
class NoWindows : public ButtonHost {
public:
    std::unique_ptr<LauncherButton> CreateButtonWindow() override { return std::make_unique<LauncherButton>(); }
    void LayoutButtons() override {}
    void RenderPanel() override {}
    void ShowLoadError(const std::wstring&) override {}
    bool TargetExists(const std::wstring&) override { return true; }
};

inline std::wstring WideFrom(const std::uint8_t* data, std::size_t size, bool units16) {
    if (!units16) return FromUtf8(std::string(reinterpret_cast<const char*>(data), size));
    std::wstring out;
    out.reserve(size / 2);
    for (std::size_t i = 0; i + 1 < size; i += 2) out.push_back(static_cast<wchar_t>(data[i] | (data[i + 1] << 8)));
    return out;
}

// The two texts of an input: flags, 16-bit length of the first text, first text, second text.
struct TwoParts {
    std::uint8_t flags = 0;
    std::string first, second;
};

inline TwoParts SplitInput(const std::uint8_t* data, std::size_t size) {
    TwoParts p;
    if (size == 0) return p;
    p.flags = data[0];
    std::size_t at = 1;
    std::size_t firstLength = 0;
    if (size >= 3) {
        firstLength = data[1] | (data[2] << 8);
        at = 3;
    }
    const char* bytes = reinterpret_cast<const char*>(data);
    firstLength = firstLength < size - at ? firstLength : size - at;
    p.first.assign(bytes + at, firstLength);
    p.second.assign(bytes + at + firstLength, size - at - firstLength);
    return p;
}

inline std::wstring Wide(const std::string& bytes, std::uint8_t flags) {
    return WideFrom(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size(), (flags & 1) != 0);
}

// Length in UTF-16 units, as Windows would count the string.
inline std::size_t Utf16Units(const std::wstring& s) {
    std::size_t n = 0;
    for (wchar_t c : s) n += static_cast<std::uint32_t>(c) > 0xFFFF ? 2 : 1;
    return n;
}

}  // namespace quorlin::fuzz
