#include "framework/gdiplus_win.h"

#include <objidl.h>

#include <cstring>
#include <optional>
#include <utility>

#include "framework/png_codec.h"
#include "framework/window_win.h"

namespace quorlin::fw {

namespace {

// Decodes a stream completely into a bitmap that owns its pixels; null when it does not decode.
std::unique_ptr<Gdiplus::Image> DecodeStream(IStream* stream) {
    Gdiplus::Bitmap decoded(stream);
    if (decoded.GetLastStatus() != Gdiplus::Ok) return nullptr;
    const UINT w = decoded.GetWidth(), h = decoded.GetHeight();
    if (w == 0 || h == 0) return nullptr;
    auto owned = std::make_unique<Gdiplus::Bitmap>(static_cast<INT>(w), static_cast<INT>(h), PixelFormat32bppARGB);
    Gdiplus::Rect all(0, 0, static_cast<INT>(w), static_cast<INT>(h));
    Gdiplus::BitmapData src{}, dstData{};
    if (owned->GetLastStatus() != Gdiplus::Ok ||
        decoded.LockBits(&all, Gdiplus::ImageLockModeRead, PixelFormat32bppARGB, &src) != Gdiplus::Ok)
        return nullptr;
    bool copied = false;
    if (owned->LockBits(&all, Gdiplus::ImageLockModeWrite, PixelFormat32bppARGB, &dstData) == Gdiplus::Ok) {
        for (UINT y = 0; y < h; ++y)
            std::memcpy(static_cast<BYTE*>(dstData.Scan0) + static_cast<ptrdiff_t>(y) * dstData.Stride,
                        static_cast<const BYTE*>(src.Scan0) + static_cast<ptrdiff_t>(y) * src.Stride, w * 4);
        owned->UnlockBits(&dstData);
        copied = true;
    }
    decoded.UnlockBits(&src);
    if (!copied) return nullptr;
    return owned;
}

// Decoded pixels and the bitmap drawn from them: GDI+ reads the pixels where they are, so
// making a bitmap neither allocates nor copies (most of a start's cost per picture under
// Wine). The pixels go after the bitmap.
struct PixelStore {
    png::Pixels pixels;
};
class PixelBitmap : private PixelStore, public Gdiplus::Bitmap {
public:
    explicit PixelBitmap(png::Pixels&& p)
        : PixelStore{std::move(p)},
          Gdiplus::Bitmap(pixels.width, pixels.height, pixels.width * 4, PixelFormat32bppARGB, pixels.bgra.data()) {}
    const png::Pixels& Pixels() const { return pixels; }
};

// A 32-bit ARGB bitmap that owns the pixels; null when they are not whole or GDI+ cannot
// make it.
std::unique_ptr<Gdiplus::Image> BitmapOf(png::Pixels&& pixels) {
    if (pixels.width <= 0 || pixels.height <= 0 ||
        pixels.bgra.size() != static_cast<size_t>(pixels.width) * static_cast<size_t>(pixels.height) * 4)
        return nullptr;
    auto bitmap = std::make_unique<PixelBitmap>(std::move(pixels));
    if (bitmap->GetLastStatus() != Gdiplus::Ok) return nullptr;
    return bitmap;
}

// An IStream over a copy of the bytes (released by the caller, with its memory).
IStream* StreamOver(const void* data, size_t size) {
    HGLOBAL block = ::GlobalAlloc(GMEM_MOVEABLE, size);
    if (!block) return nullptr;
    std::memcpy(::GlobalLock(block), data, size);
    ::GlobalUnlock(block);
    IStream* stream = nullptr;
    if (::CreateStreamOnHGlobal(block, TRUE, &stream) != S_OK) {
        ::GlobalFree(block);
        return nullptr;
    }
    return stream;
}

bool PngEncoder(CLSID& clsid) {
    UINT count = 0, bytes = 0;
    if (Gdiplus::GetImageEncodersSize(&count, &bytes) != Gdiplus::Ok || bytes == 0) return false;
    std::vector<BYTE> buffer(bytes);
    auto* codecs = reinterpret_cast<Gdiplus::ImageCodecInfo*>(buffer.data());
    if (Gdiplus::GetImageEncoders(count, bytes, codecs) != Gdiplus::Ok) return false;
    for (UINT i = 0; i < count; ++i) {
        if (codecs[i].MimeType && std::wcscmp(codecs[i].MimeType, L"image/png") == 0) {
            clsid = codecs[i].Clsid;
            return true;
        }
    }
    return false;
}

}  // namespace

const png::Pixels* DecodedPixels(const Gdiplus::Image* picture) {
    const auto* own = dynamic_cast<const PixelBitmap*>(picture);
    return own ? &own->Pixels() : nullptr;
}

std::optional<png::Pixels> PicturePixels(Gdiplus::Image* picture) {
    if (!picture || picture->GetType() != Gdiplus::ImageTypeBitmap) return std::nullopt;
    auto* bitmap = static_cast<Gdiplus::Bitmap*>(picture);
    png::Pixels pixels;
    pixels.width = static_cast<int>(bitmap->GetWidth());
    pixels.height = static_cast<int>(bitmap->GetHeight());
    if (pixels.width <= 0 || pixels.height <= 0 || pixels.width > png::kMaxSide || pixels.height > png::kMaxSide)
        return std::nullopt;
    Gdiplus::Rect all(0, 0, pixels.width, pixels.height);
    Gdiplus::BitmapData data{};
    if (bitmap->LockBits(&all, Gdiplus::ImageLockModeRead, PixelFormat32bppARGB, &data) != Gdiplus::Ok)
        return std::nullopt;
    const size_t row = static_cast<size_t>(pixels.width) * 4;
    pixels.bgra.resize(row * static_cast<size_t>(pixels.height));
    for (int y = 0; y < pixels.height; ++y)
        std::memcpy(pixels.bgra.data() + static_cast<size_t>(y) * row,
                    static_cast<const BYTE*>(data.Scan0) + static_cast<ptrdiff_t>(y) * data.Stride, row);
    bitmap->UnlockBits(&data);
    return pixels;
}

LayeredCanvas::LayeredCanvas(HWND window, int width, int height) : window_(window), width_(width), height_(height) {
    windowDC_ = window ? ::GetDC(window) : nullptr;
    memDC_ = ::CreateCompatibleDC(windowDC_);
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bi.bmiHeader.biWidth = width;
    bi.bmiHeader.biHeight = height;  // bottom-up
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    if (width > 0 && height > 0 && memDC_)
        bitmap_ = ::CreateDIBSection(memDC_, &bi, DIB_RGB_COLORS, &bits_, nullptr, 0);
    if (bitmap_) {
        std::memset(bits_, 0, static_cast<size_t>(width) * height * 4);
        previous_ = ::SelectObject(memDC_, bitmap_);
    } else {
        bits_ = nullptr;
    }
}

LayeredCanvas::~LayeredCanvas() {
    if (bitmap_) {
        ::SelectObject(memDC_, previous_);
        ::DeleteObject(bitmap_);
    }
    if (memDC_) ::DeleteDC(memDC_);
    if (windowDC_) ::ReleaseDC(window_, windowDC_);
}

void LayeredCanvas::Clear() {
    if (!bits_) return;
    ::GdiFlush();
    std::memset(bits_, 0, static_cast<size_t>(width_) * height_ * 4);
}

bool LayeredCanvas::CopyPixelsFrom(const LayeredCanvas& other) {
    if (!bits_ || !other.bits_ || width_ != other.width_ || height_ != other.height_) return false;
    ::GdiFlush();  // both may still have drawing queued
    std::memcpy(bits_, other.bits_, static_cast<size_t>(width_) * height_ * 4);
    return true;
}

std::vector<std::uint32_t> LayeredCanvas::CopyPixels() const {
    if (!bits_) return {};
    ::GdiFlush();
    const auto* p = static_cast<const std::uint32_t*>(bits_);
    return std::vector<std::uint32_t>(p, p + static_cast<size_t>(width_) * height_);
}

bool LayeredCanvas::SetPixels(const std::vector<std::uint32_t>& pixels) {
    if (!bits_ || pixels.size() != static_cast<size_t>(width_) * height_) return false;
    ::GdiFlush();
    std::memcpy(bits_, pixels.data(), pixels.size() * 4);
    return true;
}

unsigned LayeredCanvas::Pixel(int x, int y) const {
    if (!bits_ || x < 0 || y < 0 || x >= width_ || y >= height_) return 0;
    ::GdiFlush();
    const auto* p = static_cast<const unsigned*>(bits_);
    return p[static_cast<size_t>(height_ - 1 - y) * width_ + x];
}

bool LayeredCanvas::CopyPixelsFrom(const LayeredCanvas& other, const RECT& area) {
    if (!bits_ || !other.bits_ || width_ != other.width_ || height_ != other.height_) return false;
    const LONG left = std::max<LONG>(area.left, 0), right = std::min<LONG>(area.right, width_);
    const LONG top = std::max<LONG>(area.top, 0), bottom = std::min<LONG>(area.bottom, height_);
    if (left >= right || top >= bottom) return true;
    ::GdiFlush();
    auto* dst = static_cast<unsigned*>(bits_);
    const auto* src = static_cast<const unsigned*>(other.bits_);
    for (LONG y = top; y < bottom; ++y) {  // bottom-up rows
        const size_t row = static_cast<size_t>(height_ - 1 - y) * width_;
        std::memcpy(dst + row + left, src + row + left, static_cast<size_t>(right - left) * 4);
    }
    return true;
}

bool LayeredCanvas::PushTo(HWND window, const RECT& dirty) const {
    if (!bits_) return false;
    SIZE size{width_, height_};
    POINT src{0, 0};
    BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    UPDATELAYEREDWINDOWINFO info{};
    info.cbSize = sizeof(info);
    info.hdcDst = windowDC_;
    info.psize = &size;
    info.hdcSrc = memDC_;
    info.pptSrc = &src;
    info.pblend = &blend;
    info.dwFlags = ULW_ALPHA;
    info.prcDirty = &dirty;
    return ::UpdateLayeredWindowIndirect(window, &info) != FALSE;
}

bool LayeredCanvas::PushTo(HWND window) const {
    if (!bits_) return false;
    SIZE size{width_, height_};
    POINT src{0, 0};
    BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    return ::UpdateLayeredWindow(window, windowDC_, nullptr, &size, memDC_, &src, 0, &blend, ULW_ALPHA) != FALSE;
}

std::unique_ptr<Gdiplus::Bitmap> ScaledPicture(Gdiplus::Image& source, int width, int height) {
    if (width <= 0 || height <= 0) return nullptr;
    auto out = std::make_unique<Gdiplus::Bitmap>(width, height, PixelFormat32bppARGB);
    if (out->GetLastStatus() != Gdiplus::Ok) return nullptr;
    Gdiplus::Graphics g(out.get());
    g.SetInterpolationMode(Gdiplus::InterpolationModeHighQualityBicubic);
    g.SetPixelOffsetMode(Gdiplus::PixelOffsetModeHalf);
    g.SetCompositingMode(Gdiplus::CompositingModeSourceCopy);
    Gdiplus::ImageAttributes clampEdges;  // no bleeding of the opposite edge into the border
    clampEdges.SetWrapMode(Gdiplus::WrapModeTileFlipXY);
    g.DrawImage(&source, Gdiplus::Rect(0, 0, width, height), 0, 0, static_cast<INT>(source.GetWidth()),
                static_cast<INT>(source.GetHeight()), Gdiplus::UnitPixel, &clampEdges);
    return out;
}

bool PngResourceBytes(UINT id, const void*& data, size_t& size) {
    HINSTANCE module = ResourceModule();
    HRSRC res = ::FindResourceW(module, MAKEINTRESOURCEW(id), L"PNG");
    if (!res) return false;
    size = ::SizeofResource(module, res);
    HGLOBAL loaded = ::LoadResource(module, res);
    data = loaded ? ::LockResource(loaded) : nullptr;
    return data && size != 0;
}

std::unique_ptr<Gdiplus::Image> PictureOfPixels(png::Pixels&& pixels) { return BitmapOf(std::move(pixels)); }

bool LoadPngResource(UINT id, std::unique_ptr<Gdiplus::Image>& out) {
    const void* data = nullptr;
    size_t size = 0;
    if (!PngResourceBytes(id, data, size)) return false;
    std::unique_ptr<Gdiplus::Image> decoded = DecodePicture(data, size);
    // A picture that cannot be decoded: an empty image object that draws nothing, as an
    // image from a broken stream does.
    out = decoded ? std::move(decoded) : std::unique_ptr<Gdiplus::Image>(new Gdiplus::Bitmap(static_cast<IStream*>(nullptr)));
    return true;
}

std::vector<std::uint8_t> EncodePng(Gdiplus::Image* picture) {
    if (std::optional<png::Pixels> pixels = PicturePixels(picture)) {
        std::vector<std::uint8_t> ours = png::Encode(*pixels);
        if (!ours.empty()) return ours;
    }
    std::vector<std::uint8_t> out;
    CLSID png{};
    if (!picture || !PngEncoder(png)) return out;
    IStream* stream = nullptr;
    if (::CreateStreamOnHGlobal(nullptr, TRUE, &stream) != S_OK) return out;
    if (picture->Save(stream, &png, nullptr) == Gdiplus::Ok) {
        HGLOBAL block = nullptr;
        STATSTG stat{};
        if (::GetHGlobalFromStream(stream, &block) == S_OK && stream->Stat(&stat, STATFLAG_NONAME) == S_OK) {
            const auto* bytes = static_cast<const std::uint8_t*>(::GlobalLock(block));
            if (bytes) out.assign(bytes, bytes + static_cast<size_t>(stat.cbSize.QuadPart));
            ::GlobalUnlock(block);
        }
    }
    stream->Release();
    return out;
}

std::unique_ptr<Gdiplus::Image> DecodePicture(const void* data, size_t size) {
    if (!data || size == 0) return nullptr;
    if (std::optional<png::Pixels> pixels = png::Decode(data, size)) {
        if (auto picture = BitmapOf(std::move(*pixels))) return picture;
    }
    IStream* stream = StreamOver(data, size);
    if (!stream) return nullptr;
    std::unique_ptr<Gdiplus::Image> picture = DecodeStream(stream);
    stream->Release();
    return picture;
}

GdiplusSession::GdiplusSession() {
    Gdiplus::GdiplusStartupInput input;
    Gdiplus::GdiplusStartup(&token_, &input, nullptr);
}

GdiplusSession::~GdiplusSession() {
    if (token_) Gdiplus::GdiplusShutdown(token_);
}

}  // namespace quorlin::fw
