#include "framework/png_codec.h"

#include <zlib.h>

#include <cstdlib>
#include <cstring>

namespace quorlin::png {

namespace {

const std::uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};

std::uint32_t ReadU32(const std::uint8_t* p) {
    return (std::uint32_t(p[0]) << 24) | (std::uint32_t(p[1]) << 16) | (std::uint32_t(p[2]) << 8) | p[3];
}

void PutU32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<std::uint8_t>(v >> shift));
}

void PutChunk(std::vector<std::uint8_t>& out, const char type[4], const std::uint8_t* data, std::size_t size) {
    PutU32(out, static_cast<std::uint32_t>(size));
    const std::size_t start = out.size();
    out.insert(out.end(), type, type + 4);
    if (size) out.insert(out.end(), data, data + size);
    PutU32(out, static_cast<std::uint32_t>(crc32(0, out.data() + start, static_cast<uInt>(size + 4))));
}

int Paeth(int a, int b, int c) {
    const int p = a + b - c;
    const int pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
    if (pa <= pb && pa <= pc) return a;
    return pb <= pc ? b : c;
}

// Undoes the filter of one row in place; `previous` is the row above, unfiltered (zeros
// for the first row). False for an unknown filter type.
bool Unfilter(int type, std::uint8_t* row, const std::uint8_t* previous, std::size_t length, int bpp) {
    switch (type) {
        case 0:
            return true;
        case 1:
            for (std::size_t i = static_cast<std::size_t>(bpp); i < length; ++i) row[i] += row[i - bpp];
            return true;
        case 2:
            for (std::size_t i = 0; i < length; ++i) row[i] += previous[i];
            return true;
        case 3:
            for (std::size_t i = 0; i < length; ++i) {
                const int left = i >= static_cast<std::size_t>(bpp) ? row[i - bpp] : 0;
                row[i] += static_cast<std::uint8_t>((left + previous[i]) / 2);
            }
            return true;
        case 4:
            for (std::size_t i = 0; i < length; ++i) {
                const bool hasLeft = i >= static_cast<std::size_t>(bpp);
                row[i] += static_cast<std::uint8_t>(
                    Paeth(hasLeft ? row[i - bpp] : 0, previous[i], hasLeft ? previous[i - bpp] : 0));
            }
            return true;
        default:
            return false;
    }
}

}  // namespace

std::optional<Pixels> Decode(const void* data, std::size_t size) {
    const auto* p = static_cast<const std::uint8_t*>(data);
    if (!p || size < 8 + 25 || std::memcmp(p, kSignature, 8) != 0) return std::nullopt;
    std::size_t at = 8;
    int width = 0, height = 0, bpp = 0;
    bool headerSeen = false, ended = false;
    std::vector<std::uint8_t> compressed;
    while (!ended) {
        if (size - at < 12) return std::nullopt;
        const std::uint32_t length = ReadU32(p + at);
        if (length > size - at - 12) return std::nullopt;
        const std::uint8_t* type = p + at + 4;
        const std::uint8_t* body = p + at + 8;
        if (std::memcmp(type, "IHDR", 4) == 0) {
            if (headerSeen || length != 13) return std::nullopt;
            const std::uint32_t w = ReadU32(body), h = ReadU32(body + 4);
            const int depth = body[8], colour = body[9];
            if (w == 0 || h == 0 || w > kMaxSide || h > kMaxSide || depth != 8 || body[10] != 0 || body[11] != 0 ||
                body[12] != 0)
                return std::nullopt;
            if (colour == 6) bpp = 4;
            else if (colour == 2) bpp = 3;
            else return std::nullopt;
            width = static_cast<int>(w);
            height = static_cast<int>(h);
            headerSeen = true;
        } else if (!headerSeen) {
            return std::nullopt;  // IHDR comes first
        } else if (std::memcmp(type, "IDAT", 4) == 0) {
            compressed.insert(compressed.end(), body, body + length);
        } else if (std::memcmp(type, "IEND", 4) == 0) {
            ended = true;
        } else if (!(type[0] & 0x20)) {
            return std::nullopt;  // a critical chunk we do not know (PLTE and others)
        }
        at += 12 + length;
    }
    if (!headerSeen || compressed.empty()) return std::nullopt;

    const std::size_t stride = static_cast<std::size_t>(width) * static_cast<std::size_t>(bpp);
    std::vector<std::uint8_t> raw((stride + 1) * static_cast<std::size_t>(height));
    uLongf rawSize = static_cast<uLongf>(raw.size());
    if (uncompress(raw.data(), &rawSize, compressed.data(), static_cast<uLong>(compressed.size())) != Z_OK ||
        rawSize != raw.size())
        return std::nullopt;

    Pixels out;
    out.width = width;
    out.height = height;
    out.bgra.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4);
    std::vector<std::uint8_t> zeros(stride, 0);
    const std::uint8_t* previous = zeros.data();
    for (int y = 0; y < height; ++y) {
        std::uint8_t* line = raw.data() + static_cast<std::size_t>(y) * (stride + 1);
        if (!Unfilter(line[0], line + 1, previous, stride, bpp)) return std::nullopt;
        const std::uint8_t* src = line + 1;
        std::uint8_t* dst = out.bgra.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(width) * 4;
        for (int x = 0; x < width; ++x, src += bpp, dst += 4) {
            dst[0] = src[2];
            dst[1] = src[1];
            dst[2] = src[0];
            dst[3] = bpp == 4 ? src[3] : 255;
        }
        previous = line + 1;
    }
    return out;
}

bool IsKeptPicture(const void* data, std::size_t size, int side) {
    const auto* p = static_cast<const std::uint8_t*>(data);
    if (!p || side <= 0 || side > kMaxSide || size < 8 + 25 || std::memcmp(p, kSignature, 8) != 0) return false;
    const std::uint8_t* body = p + 16;
    if (ReadU32(p + 8) != 13 || std::memcmp(p + 12, "IHDR", 4) != 0) return false;
    if (ReadU32(body) != static_cast<std::uint32_t>(side) || ReadU32(body + 4) != static_cast<std::uint32_t>(side) ||
        body[8] != 8 || body[9] != 6 || body[10] != 0 || body[11] != 0 || body[12] != 0)
        return false;
    // The rows as packed at worst, plus room for the chunks' frames and a few small extras.
    const std::size_t raw = (static_cast<std::size_t>(side) * 4 + 1) * static_cast<std::size_t>(side);
    return size <= compressBound(static_cast<uLong>(raw)) + 1024;
}

std::vector<std::uint8_t> Encode(const Pixels& pixels) {
    const int w = pixels.width, h = pixels.height;
    if (w <= 0 || h <= 0 || w > kMaxSide || h > kMaxSide ||
        pixels.bgra.size() != static_cast<std::size_t>(w) * static_cast<std::size_t>(h) * 4)
        return {};
    // Every row filtered by Up (the difference to the row above): nearly as small as Paeth
    // for icons, and undone by a plain byte addition that the compiler vectorises.
    const std::size_t stride = static_cast<std::size_t>(w) * 4;
    std::vector<std::uint8_t> rgba(stride * static_cast<std::size_t>(h));
    for (std::size_t i = 0; i < rgba.size(); i += 4) {
        rgba[i] = pixels.bgra[i + 2];
        rgba[i + 1] = pixels.bgra[i + 1];
        rgba[i + 2] = pixels.bgra[i];
        rgba[i + 3] = pixels.bgra[i + 3];
    }
    std::vector<std::uint8_t> filtered;
    filtered.reserve((stride + 1) * static_cast<std::size_t>(h));
    for (int y = 0; y < h; ++y) {
        const std::uint8_t* row = rgba.data() + static_cast<std::size_t>(y) * stride;
        const std::uint8_t* up = y > 0 ? row - stride : nullptr;
        filtered.push_back(2);
        for (std::size_t i = 0; i < stride; ++i) filtered.push_back(static_cast<std::uint8_t>(row[i] - (up ? up[i] : 0)));
    }
    uLongf packedSize = compressBound(static_cast<uLong>(filtered.size()));
    std::vector<std::uint8_t> packed(packedSize);
    if (compress2(packed.data(), &packedSize, filtered.data(), static_cast<uLong>(filtered.size()), 6) != Z_OK)
        return {};

    std::vector<std::uint8_t> out(kSignature, kSignature + 8);
    std::uint8_t header[13] = {};
    for (int i = 0; i < 4; ++i) {
        header[i] = static_cast<std::uint8_t>(static_cast<std::uint32_t>(w) >> (24 - 8 * i));
        header[4 + i] = static_cast<std::uint8_t>(static_cast<std::uint32_t>(h) >> (24 - 8 * i));
    }
    header[8] = 8;  // bits per sample
    header[9] = 6;  // RGBA
    PutChunk(out, "IHDR", header, sizeof(header));
    PutChunk(out, "IDAT", packed.data(), packedSize);
    PutChunk(out, "IEND", nullptr, 0);
    return out;
}

}  // namespace quorlin::png
