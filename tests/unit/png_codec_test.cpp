#include "framework/png_codec.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <string>

using namespace quorlin;

namespace {

png::Pixels Sample(int w, int h) {
    png::Pixels p;
    p.width = w;
    p.height = h;
    for (int i = 0; i < w * h; ++i) {
        // Colour under full transparency too: nothing is premultiplied away.
        p.bgra.push_back(static_cast<std::uint8_t>(i * 7));
        p.bgra.push_back(static_cast<std::uint8_t>(i * 13 + 1));
        p.bgra.push_back(static_cast<std::uint8_t>(255 - i));
        p.bgra.push_back(static_cast<std::uint8_t>(i % 3 == 0 ? 0 : i * 29));
    }
    return p;
}

void Chunk(std::string& out, const std::string& type, const std::string& body) {
    const auto u32 = [&out](std::uint32_t v) {
        for (int s = 24; s >= 0; s -= 8) out.push_back(static_cast<char>(v >> s));
    };
    u32(static_cast<std::uint32_t>(body.size()));
    const std::string typed = type + body;
    out += typed;
    u32(static_cast<std::uint32_t>(crc32(0, reinterpret_cast<const Bytef*>(typed.data()), typed.size())));
}

// A PNG of 2 x 2 pixels with the given header bytes 8..12 and raw (filtered) rows.
std::string Handmade(const std::string& depthColourEtc, const std::string& rows) {
    std::string out("\x89PNG\r\n\x1a\n", 8);
    Chunk(out, "IHDR", std::string("\0\0\0\2\0\0\0\2", 8) + depthColourEtc);
    uLongf size = compressBound(rows.size());
    std::string packed(size, '\0');
    compress(reinterpret_cast<Bytef*>(packed.data()), &size, reinterpret_cast<const Bytef*>(rows.data()), rows.size());
    packed.resize(size);
    Chunk(out, "IDAT", packed);
    Chunk(out, "IEND", "");
    return out;
}

}  // namespace

TEST(PngCodec, WhatItWritesItReadsBackExactly) {
    const png::Pixels in = Sample(37, 5);
    const std::vector<std::uint8_t> file = png::Encode(in);
    const std::optional<png::Pixels> out = png::Decode(file.data(), file.size());
    ASSERT_TRUE(out);
    EXPECT_EQ(out->width, 37);
    EXPECT_EQ(out->height, 5);
    EXPECT_EQ(out->bgra, in.bgra);
    EXPECT_TRUE(png::Encode(png::Pixels{}).empty());
}

TEST(PngCodec, ReadsRgbAndTheUpAndSubFilters) {
    // Row 1 filter None: (10,20,30) (40,50,60); row 2 filter Up adds row 1, then Sub.
    const std::string rows = std::string("\0\x0a\x14\x1e\x28\x32\x3c", 7) + std::string("\2\1\1\1\2\2\2", 7);
    const std::string file = Handmade(std::string("\x08\x02\0\0\0", 5), rows);
    const std::optional<png::Pixels> p = png::Decode(file.data(), file.size());
    ASSERT_TRUE(p);
    const std::vector<std::uint8_t> expected = {30, 20, 10, 255, 60, 50, 40, 255, 31, 21, 11, 255, 62, 52, 42, 255};
    EXPECT_EQ(p->bgra, expected);
    const std::string sub = std::string("\0\x0a\x14\x1e\x28\x32\x3c", 7) + std::string("\1\1\1\1\2\2\2", 7);
    const std::string file2 = Handmade(std::string("\x08\x02\0\0\0", 5), sub);
    const std::optional<png::Pixels> q = png::Decode(file2.data(), file2.size());
    ASSERT_TRUE(q);
    EXPECT_EQ((std::vector<std::uint8_t>(q->bgra.begin() + 8, q->bgra.end())),
              (std::vector<std::uint8_t>{1, 1, 1, 255, 3, 3, 3, 255}));
}

TEST(PngCodec, RefusesWhatItDoesNotReadOrWhatIsDamaged) {
    const std::string rgbRows = std::string(7, '\0') + std::string(7, '\0');
    const std::string ok = Handmade(std::string("\x08\x02\0\0\0", 5), rgbRows);
    ASSERT_TRUE(png::Decode(ok.data(), ok.size()));
    const std::string refused[] = {
        Handmade(std::string("\x08\x03\0\0\0", 5), rgbRows),     // palette
        Handmade(std::string("\x10\x02\0\0\0", 5), rgbRows),     // 16 bits a sample
        Handmade(std::string("\x08\x02\0\0\x01", 5), rgbRows),   // interlaced
        Handmade(std::string("\x08\x02\0\0\0", 5), rgbRows.substr(1)),  // a row short
        Handmade(std::string("\x08\x02\0\0\0", 5), std::string("\x05", 1) + rgbRows.substr(1)),  // no such filter
        ok.substr(0, ok.size() - 12),  // no end
        ok.substr(0, 40),
        std::string("GIF89a") + ok.substr(6),
    };
    for (const std::string& file : refused) EXPECT_FALSE(png::Decode(file.data(), file.size())) << file.size();
    std::string damaged = ok;
    damaged[damaged.size() - 20] ^= 0x55;  // inside the compressed rows or their checksum
    EXPECT_FALSE(png::Decode(damaged.data(), damaged.size()));
    EXPECT_FALSE(png::Decode(nullptr, 0));
}
