// Fuzzes the PNG reader with whatever a damaged or hostile bts.db or picture could hold:
// it must refuse or decode without reading or writing out of bounds, and a picture it
// decodes must come back unchanged through the writer and the reader.
#include <cstdint>

#include "framework/png_codec.h"
#include "fuzz/fuzz_support.h"

using namespace quorlin;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::optional<png::Pixels> pixels = png::Decode(data, size);
    if (!pixels) return 0;
    FUZZ_CHECK(pixels->width > 0 && pixels->height > 0);
    FUZZ_CHECK(pixels->bgra.size() == static_cast<std::size_t>(pixels->width) * pixels->height * 4);
    const std::vector<std::uint8_t> again = png::Encode(*pixels);
    const std::optional<png::Pixels> back = png::Decode(again.data(), again.size());
    FUZZ_CHECK(back && back->width == pixels->width && back->height == pixels->height && back->bgra == pixels->bgra);
    return 0;
}
