// The panel's background (ring, buttons, disc and face: everything under the clock's hands)
// kept between runs in a file of its own, so that a start whose buttons and pictures have
// not changed takes that picture as it is instead of composing it again (some 12 ms with
// 66 buttons under Wine, most of it scaling pictures). The file is a cache: it is keyed by
// a digest of everything the picture is made from, checked whole on reading, and any file
// that does not match exactly is ignored and written anew.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "framework/png_codec.h"
#include "panel/composition.h"

namespace quorlin {

// A 128-bit digest of what a picture is made from.
struct BackgroundKey {
    std::uint64_t a = 0;
    std::uint64_t b = 0;
    bool operator==(const BackgroundKey& o) const { return a == o.a && b == o.b; }
    bool operator!=(const BackgroundKey& o) const { return !(*this == o); }
};

// Builds a key from numbers, bytes and drawing steps, in the order they are given.
class BackgroundKeyBuilder {
public:
    void Add(std::uint64_t value);
    void AddBytes(const void* data, std::size_t size);
    void AddText(const std::string& text);
    // Every field of the first `count` steps.
    void AddOps(const std::vector<DrawOp>& ops, std::size_t count);
    BackgroundKey Finish() const;

private:
    std::uint64_t a_ = 0x243f6a8885a308d3ull;
    std::uint64_t b_ = 0x13198a2e03707344ull;
    std::uint64_t count_ = 0;
};

// Where the clock's hands begin: the steps before it are the background (the ring, the
// buttons, the disc and the face); the size of `ops` when there is no hand.
std::size_t FirstHandOp(const std::vector<DrawOp>& ops);

// The file's bytes for a `width` x `height` picture (`pixels` in the canvas's own order),
// with up to 8 pictures kept beside it (those a start draws over it: the hands and the hub).
std::vector<std::uint8_t> EncodeBackground(const BackgroundKey& key, int width, int height,
                                           const std::vector<std::uint32_t>& pixels,
                                           const std::vector<png::Pixels>& pictures = {});
// The pixels when `data` is a whole, undamaged file for exactly this key and size, and the
// pictures kept with them into `pictures` when given.
std::optional<std::vector<std::uint32_t>> DecodeBackground(const std::vector<std::uint8_t>& data,
                                                           const BackgroundKey& key, int width, int height,
                                                           std::vector<png::Pixels>* pictures = nullptr);

}  // namespace quorlin
