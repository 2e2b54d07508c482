// GDI+ with the Windows headers as we include them (NOMINMAX), plus small RAII helpers
// for the GDI objects a composition makes and releases.
#pragma once

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

namespace Gdiplus {
using std::max;
using std::min;
}  // namespace Gdiplus
#include <gdiplus.h>

#include "framework/png_codec.h"

namespace quorlin::fw {

// A fresh, fully transparent 32-bit bottom-up BI_RGB DIB section selected
// into a memory DC compatible with a window's DC. Pixels are premultiplied BGRA.
class LayeredCanvas {
public:
    LayeredCanvas(HWND window, int width, int height);
    // A canvas that holds no window's DC (compatible with the screen), to be kept
    // between frames.
    LayeredCanvas(int width, int height) : LayeredCanvas(nullptr, width, height) {}
    ~LayeredCanvas();
    LayeredCanvas(const LayeredCanvas&) = delete;
    LayeredCanvas& operator=(const LayeredCanvas&) = delete;

    bool Ok() const { return bits_ != nullptr; }
    HDC MemoryDC() const { return memDC_; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    // Pixel (x, y) as 0xAARRGGBB (premultiplied), with y from the top.
    unsigned Pixel(int x, int y) const;
    // Fully transparent again.
    void Clear();
    // Takes every pixel of a canvas of the same size; false (and nothing copied) otherwise.
    bool CopyPixelsFrom(const LayeredCanvas& other);
    // Takes the pixels of `area` (clipped to the canvas) from a canvas of the same size.
    bool CopyPixelsFrom(const LayeredCanvas& other, const RECT& area);
    // Every pixel, in the canvas's own order (rows bottom-up); empty when it holds none.
    std::vector<std::uint32_t> CopyPixels() const;
    // Takes pixels given in that order; false (and nothing taken) unless they are all of them.
    bool SetPixels(const std::vector<std::uint32_t>& pixels);
    // UpdateLayeredWindow with per-pixel alpha and constant alpha 255; the window keeps
    // its position. False when the call failed.
    bool PushTo(HWND window) const;
    // The same for the pixels of `dirty` only (UpdateLayeredWindowIndirect): the rest of
    // the window keeps what the last push gave it, so the canvas must hold the whole picture.
    bool PushTo(HWND window, const RECT& dirty) const;

private:
    HWND window_;
    HDC windowDC_ = nullptr;
    HDC memDC_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ previous_ = nullptr;
    void* bits_ = nullptr;
    int width_;
    int height_;
};

// The bytes of a PNG resource (type "PNG"), where the module holds them; false when it is missing.
bool PngResourceBytes(UINT id, const void*& data, size_t& size);
// Loads a PNG resource (type "PNG") fully decoded into a bitmap that owns its pixels.
// Returns null when the resource is missing; a picture that fails to decode yields a
// bitmap that draws nothing, as an image from a broken stream does.
bool LoadPngResource(UINT id, std::unique_ptr<Gdiplus::Image>& out);

// The picture resampled to w x h (high-quality bicubic, alpha kept), owning its pixels;
// null when it cannot be made.
std::unique_ptr<Gdiplus::Bitmap> ScaledPicture(Gdiplus::Image& source, int width, int height);
// A picture as PNG bytes (lossless, with its alpha); empty when it cannot be encoded.
std::vector<std::uint8_t> EncodePng(Gdiplus::Image* picture);
// The pixels of a picture as 32-bit ARGB (not premultiplied), rows top-down; nullopt when
// it has none to give.
std::optional<png::Pixels> PicturePixels(Gdiplus::Image* picture);
// The same pixels without a copy, for a picture made from decoded pixels (DecodePicture,
// LoadPngResource); null for any other picture.
const png::Pixels* DecodedPixels(const Gdiplus::Image* picture);
// A 32-bit ARGB bitmap drawn from these pixels, which it keeps (no copy); null when they
// are not whole.
std::unique_ptr<Gdiplus::Image> PictureOfPixels(png::Pixels&& pixels);
// PNG (or any format GDI+ reads) bytes, fully decoded into a 32-bit ARGB bitmap that
// owns its pixels; null when they do not decode.
std::unique_ptr<Gdiplus::Image> DecodePicture(const void* data, size_t size);

// Starts GDI+ for the lifetime of the object (for tests and tools; the program's
// application object starts it itself).
class GdiplusSession {
public:
    GdiplusSession();
    ~GdiplusSession();

private:
    ULONG_PTR token_ = 0;
};

}  // namespace quorlin::fw
