#include "panel/background_cache.h"

#include <zlib.h>

#include <cstring>

namespace quorlin {

namespace {

constexpr char kMagic[8] = {'Q', 'R', 'L', 'N', 'B', 'G', '0', '2'};
// magic, width, height, key (2 x 8), CRC-32 of the pixels and the trailer, length of the
// packed pixels; then the packed pixels (the background's, then each kept picture's); then
// the trailer: the number of kept pictures and the width and height of each.
constexpr std::size_t kHeader = 8 + 4 + 4 + 16 + 4 + 4;
constexpr std::size_t kMaxPictures = 8;
constexpr int kMaxSide = 4096;

std::uint64_t Mix(std::uint64_t x) {
    x ^= x >> 33;
    x *= 0xff51afd7ed558ccdull;
    x ^= x >> 33;
    x *= 0xc4ceb9fe1a85ec53ull;
    x ^= x >> 33;
    return x;
}

void Put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}
void Put64(std::vector<std::uint8_t>& out, std::uint64_t v) {
    for (int i = 0; i < 8; ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}
std::uint64_t Get(const std::uint8_t* p, int bytes) {
    std::uint64_t v = 0;
    for (int i = 0; i < bytes; ++i) v |= static_cast<std::uint64_t>(p[i]) << (8 * i);
    return v;
}

std::uint32_t Crc(const std::vector<std::uint8_t>& raw, const std::vector<std::uint8_t>& trailer) {
    const uLong first = crc32(0, raw.data(), static_cast<uInt>(raw.size()));
    return static_cast<std::uint32_t>(crc32(first, trailer.data(), static_cast<uInt>(trailer.size())));
}

bool SizeOk(int width, int height) { return width > 0 && height > 0 && width <= kMaxSide && height <= kMaxSide; }

}  // namespace

void BackgroundKeyBuilder::Add(std::uint64_t value) {
    ++count_;
    a_ = Mix(a_ ^ value) + count_;
    b_ = Mix(b_ + value * 0x9e3779b97f4a7c15ull) ^ a_;
}

void BackgroundKeyBuilder::AddBytes(const void* data, std::size_t size) {
    Add(size);
    const auto* p = static_cast<const std::uint8_t*>(data);
    for (; size >= 8; p += 8, size -= 8) Add(Get(p, 8));
    if (size) Add(Get(p, static_cast<int>(size)));
}

void BackgroundKeyBuilder::AddText(const std::string& text) { AddBytes(text.data(), text.size()); }

void BackgroundKeyBuilder::AddOps(const std::vector<DrawOp>& ops, std::size_t count) {
    if (count > ops.size()) count = ops.size();
    Add(count);
    auto real = [&](double v) {
        std::uint64_t bits = 0;
        std::memcpy(&bits, &v, sizeof bits);
        Add(bits);
    };
    for (std::size_t k = 0; k < count; ++k) {
        const DrawOp& op = ops[k];
        Add(static_cast<std::uint64_t>(op.kind));
        Add(static_cast<std::uint64_t>(op.picture));
        Add(op.buttonIndex);
        real(op.bounds.x);
        real(op.bounds.y);
        real(op.bounds.width);
        real(op.bounds.height);
        Add(op.integerBounds);
        Add(op.rotationDegrees ? 1u : 0u);
        Add(static_cast<std::uint64_t>(static_cast<std::int64_t>(op.rotationDegrees.value_or(0))));
        Add(static_cast<std::uint64_t>(static_cast<std::int64_t>(op.pivot.x)));
        Add(static_cast<std::uint64_t>(static_cast<std::int64_t>(op.pivot.y)));
        Add(op.argb);
        real(op.penWidth);
        Add(op.dimmed);
    }
}

BackgroundKey BackgroundKeyBuilder::Finish() const { return BackgroundKey{Mix(a_ ^ count_), Mix(b_ + a_)}; }

std::size_t FirstHandOp(const std::vector<DrawOp>& ops) {
    for (std::size_t k = 0; k < ops.size(); ++k) {
        const DrawOp& op = ops[k];
        // A hand's picture, or the shape drawn for it in high contrast.
        if ((op.picture == PanelPicture::HourHand || op.picture == PanelPicture::MinuteHand ||
             op.picture == PanelPicture::SecondHand || op.picture == PanelPicture::Hub))
            return k;
    }
    return ops.size();
}

std::vector<std::uint8_t> EncodeBackground(const BackgroundKey& key, int width, int height,
                                           const std::vector<std::uint32_t>& pixels,
                                           const std::vector<png::Pixels>& pictures) {
    if (!SizeOk(width, height) || pixels.size() != static_cast<std::size_t>(width) * height ||
        pictures.size() > kMaxPictures)
        return {};
    std::vector<std::uint8_t> raw(reinterpret_cast<const std::uint8_t*>(pixels.data()),
                                  reinterpret_cast<const std::uint8_t*>(pixels.data()) + pixels.size() * 4);
    std::vector<std::uint8_t> trailer;
    Put32(trailer, static_cast<std::uint32_t>(pictures.size()));
    for (const png::Pixels& p : pictures) {
        if (!SizeOk(p.width, p.height) || p.bgra.size() != static_cast<std::size_t>(p.width) * p.height * 4) return {};
        Put32(trailer, static_cast<std::uint32_t>(p.width));
        Put32(trailer, static_cast<std::uint32_t>(p.height));
        raw.insert(raw.end(), p.bgra.begin(), p.bgra.end());
    }
    const uLong rawBytes = static_cast<uLong>(raw.size());
    uLongf packedBytes = compressBound(rawBytes);
    std::vector<std::uint8_t> out(kHeader + packedBytes);
    // Level 1: the file is read far more often than written, and inflating costs the same.
    if (compress2(out.data() + kHeader, &packedBytes, raw.data(), rawBytes, 1) != Z_OK) return {};
    out.resize(kHeader + packedBytes);
    out.insert(out.end(), trailer.begin(), trailer.end());
    std::vector<std::uint8_t> header(kMagic, kMagic + 8);
    Put32(header, static_cast<std::uint32_t>(width));
    Put32(header, static_cast<std::uint32_t>(height));
    Put64(header, key.a);
    Put64(header, key.b);
    Put32(header, Crc(raw, trailer));
    Put32(header, static_cast<std::uint32_t>(packedBytes));
    std::memcpy(out.data(), header.data(), kHeader);
    return out;
}

std::optional<std::vector<std::uint32_t>> DecodeBackground(const std::vector<std::uint8_t>& data,
                                                           const BackgroundKey& key, int width, int height,
                                                           std::vector<png::Pixels>* pictures) {
    if (!SizeOk(width, height) || data.size() < kHeader || std::memcmp(data.data(), kMagic, 8) != 0) return std::nullopt;
    const std::uint8_t* h = data.data() + 8;
    if (Get(h, 4) != static_cast<std::uint64_t>(width) || Get(h + 4, 4) != static_cast<std::uint64_t>(height) ||
        Get(h + 8, 8) != key.a || Get(h + 16, 8) != key.b)
        return std::nullopt;
    const auto crc = static_cast<std::uint32_t>(Get(h + 24, 4));
    const std::uint64_t packed = Get(h + 28, 4);
    if (packed > data.size() - kHeader || data.size() - kHeader - packed < 4) return std::nullopt;
    // The trailer: how many pictures follow the background, and their sizes.
    const std::uint8_t* t = data.data() + kHeader + packed;
    const std::uint64_t count = Get(t, 4);
    if (count > kMaxPictures || data.size() - kHeader - packed != 4 + 8 * count) return std::nullopt;
    const std::size_t background = static_cast<std::size_t>(width) * height * 4;
    std::size_t rawSize = background;
    std::vector<png::Pixels> kept(static_cast<std::size_t>(count));
    for (std::size_t i = 0; i < kept.size(); ++i) {
        kept[i].width = static_cast<int>(Get(t + 4 + 8 * i, 4));
        kept[i].height = static_cast<int>(Get(t + 8 + 8 * i, 4));
        if (!SizeOk(kept[i].width, kept[i].height)) return std::nullopt;
        rawSize += static_cast<std::size_t>(kept[i].width) * kept[i].height * 4;
    }
    std::vector<std::uint8_t> raw(rawSize);
    uLongf rawBytes = static_cast<uLongf>(rawSize);
    if (uncompress(raw.data(), &rawBytes, data.data() + kHeader, static_cast<uLong>(packed)) != Z_OK ||
        rawBytes != rawSize || Crc(raw, std::vector<std::uint8_t>(t, data.data() + data.size())) != crc)
        return std::nullopt;
    std::vector<std::uint32_t> pixels(background / 4);
    std::memcpy(pixels.data(), raw.data(), background);
    std::size_t at = background;
    for (png::Pixels& p : kept) {
        const std::size_t bytes = static_cast<std::size_t>(p.width) * p.height * 4;
        p.bgra.assign(raw.begin() + static_cast<std::ptrdiff_t>(at), raw.begin() + static_cast<std::ptrdiff_t>(at + bytes));
        at += bytes;
    }
    if (pictures) *pictures = std::move(kept);
    return pixels;
}

}  // namespace quorlin
