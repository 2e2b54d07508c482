#include "framework/gdiplus_win.h"

#include <objidl.h>

#include <cstring>

#include "framework/window_win.h"

namespace quorlin::fw {

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

unsigned LayeredCanvas::Pixel(int x, int y) const {
    if (!bits_ || x < 0 || y < 0 || x >= width_ || y >= height_) return 0;
    ::GdiFlush();
    const auto* p = static_cast<const unsigned*>(bits_);
    return p[static_cast<size_t>(height_ - 1 - y) * width_ + x];
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

bool LoadPngResource(UINT id, std::unique_ptr<Gdiplus::Image>& out) {
    HINSTANCE module = ResourceModule();
    HRSRC res = ::FindResourceW(module, MAKEINTRESOURCEW(id), L"PNG");
    if (!res) return false;
    const DWORD size = ::SizeofResource(module, res);
    HGLOBAL loaded = ::LoadResource(module, res);
    const void* data = loaded ? ::LockResource(loaded) : nullptr;
    if (!data || size == 0) return false;
    HGLOBAL block = ::GlobalAlloc(GMEM_MOVEABLE, size);
    if (!block) return false;
    void* dst = ::GlobalLock(block);
    std::memcpy(dst, data, size);
    ::GlobalUnlock(block);
    IStream* stream = nullptr;
    if (::CreateStreamOnHGlobal(block, FALSE, &stream) != S_OK) {
        ::GlobalFree(block);
        return false;
    }
    // Decode completely into a bitmap that owns its pixels before the block goes away.
    {
        Gdiplus::Bitmap decoded(stream);
        if (decoded.GetLastStatus() == Gdiplus::Ok) {
            const UINT w = decoded.GetWidth(), h = decoded.GetHeight();
            auto owned = std::make_unique<Gdiplus::Bitmap>(static_cast<INT>(w), static_cast<INT>(h), PixelFormat32bppARGB);
            Gdiplus::Rect all(0, 0, static_cast<INT>(w), static_cast<INT>(h));
            Gdiplus::BitmapData src{}, dstData{};
            if (owned->GetLastStatus() == Gdiplus::Ok &&
                decoded.LockBits(&all, Gdiplus::ImageLockModeRead, PixelFormat32bppARGB, &src) == Gdiplus::Ok) {
                if (owned->LockBits(&all, Gdiplus::ImageLockModeWrite, PixelFormat32bppARGB, &dstData) == Gdiplus::Ok) {
                    for (UINT y = 0; y < h; ++y)
                        std::memcpy(static_cast<BYTE*>(dstData.Scan0) + static_cast<ptrdiff_t>(y) * dstData.Stride,
                                    static_cast<const BYTE*>(src.Scan0) + static_cast<ptrdiff_t>(y) * src.Stride, w * 4);
                    owned->UnlockBits(&dstData);
                }
                decoded.UnlockBits(&src);
            }
            out = std::move(owned);
        } else {
            // A picture that cannot be decoded: an empty image object that draws nothing.
            out.reset(new Gdiplus::Bitmap(static_cast<IStream*>(nullptr)));
        }
    }
    stream->Release();
    ::GlobalFree(block);
    return true;
}

GdiplusSession::GdiplusSession() {
    Gdiplus::GdiplusStartupInput input;
    Gdiplus::GdiplusStartup(&token_, &input, nullptr);
}

GdiplusSession::~GdiplusSession() {
    if (token_) Gdiplus::GdiplusShutdown(token_);
}

}  // namespace quorlin::fw
