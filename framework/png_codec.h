// The program's own reader and writer of the PNG pictures it stores and ships: 8-bit RGB
// or RGBA, not interlaced. GDI+ decodes such a picture in about a millisecond under Wine,
// most of it in the imaging component's set-up; this does it in a few microseconds, which
// is what lets the panel draw dozens of cached button pictures before its first frame.
// Anything else (palettes, 16-bit, interlacing, a damaged file) is refused, and the caller
// falls back to GDI+.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace quorlin::png {

// Rows top-down, 4 bytes a pixel in the order blue, green, red, alpha, not premultiplied
// (the layout of a 32-bit ARGB bitmap in memory).
struct Pixels {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> bgra;
};

// The largest side accepted: the program's pictures are at most a few hundred pixels.
constexpr int kMaxSide = 4096;

std::optional<Pixels> Decode(const void* data, std::size_t size);
// Whether the bytes are a picture as the program keeps one for a side of `side` pixels,
// told from the header alone, before anything is decoded: a PNG whose first chunk says
// 8-bit RGBA, not interlaced, exactly side x side, and no longer than such a picture can
// be when packed. Anything else (another size, format or kind of file) is made anew.
bool IsKeptPicture(const void* data, std::size_t size, int side);
// An 8-bit RGBA PNG; empty when the pixels are not a whole picture.
std::vector<std::uint8_t> Encode(const Pixels& pixels);

}  // namespace quorlin::png
