#include "buttons/icon_imaging_win.h"

#include <shellapi.h>

#include <cstring>

#include "framework/window_win.h"
#include "res/resource.h"
#include "store/button_table.h"

using namespace quorlin;

namespace {

constexpr int kImageSide = 48;

// A bitmap that owns a copy of the source's pixels in 32-bit ARGB.
std::unique_ptr<Gdiplus::Bitmap> OwnedArgbCopy(Gdiplus::Bitmap& source) {
    const UINT w = source.GetWidth(), h = source.GetHeight();
    if (w == 0 || h == 0) return nullptr;
    auto out = std::make_unique<Gdiplus::Bitmap>(static_cast<INT>(w), static_cast<INT>(h), PixelFormat32bppARGB);
    if (out->GetLastStatus() != Gdiplus::Ok) return nullptr;
    Gdiplus::Rect all(0, 0, static_cast<INT>(w), static_cast<INT>(h));
    Gdiplus::BitmapData src{}, dst{};
    if (source.LockBits(&all, Gdiplus::ImageLockModeRead, PixelFormat32bppARGB, &src) != Gdiplus::Ok) return nullptr;
    if (out->LockBits(&all, Gdiplus::ImageLockModeWrite, PixelFormat32bppARGB, &dst) == Gdiplus::Ok) {
        for (UINT y = 0; y < h; ++y)
            std::memcpy(static_cast<BYTE*>(dst.Scan0) + static_cast<ptrdiff_t>(y) * dst.Stride,
                        static_cast<const BYTE*>(src.Scan0) + static_cast<ptrdiff_t>(y) * src.Stride, w * 4);
        out->UnlockBits(&dst);
    } else {
        out.reset();
    }
    source.UnlockBits(&src);
    return out;
}

// The same picture scaled to 48 x 48 with its alpha kept (high-quality resampling).
std::unique_ptr<Gdiplus::Bitmap> ScaledTo48(Gdiplus::Image& source) {
    auto out = std::make_unique<Gdiplus::Bitmap>(kImageSide, kImageSide, PixelFormat32bppARGB);
    if (out->GetLastStatus() != Gdiplus::Ok) return nullptr;
    Gdiplus::Graphics g(out.get());
    g.SetInterpolationMode(Gdiplus::InterpolationModeHighQualityBicubic);
    g.SetPixelOffsetMode(Gdiplus::PixelOffsetModeHalf);
    g.SetCompositingMode(Gdiplus::CompositingModeSourceCopy);
    g.DrawImage(&source, Gdiplus::Rect(0, 0, kImageSide, kImageSide), 0, 0,
                static_cast<INT>(source.GetWidth()), static_cast<INT>(source.GetHeight()), Gdiplus::UnitPixel);
    return out;
}

HICON LoadOwnIcon(UINT id) { return ::LoadIconW(fw::ResourceModule(), MAKEINTRESOURCEW(id)); }

int g_shellIconRequests = 0;

}  // namespace

bool PictureComesFromShell(int kind) {
    return kind != ItemKind::BrowserUrl && kind != ItemKind::Url && kind != ItemKind::ShellEntry;
}

int ShellIconRequests() { return g_shellIconRequests; }

HICON ShellIconOf(const std::wstring& path) {
    if (path.empty()) return nullptr;
    ++g_shellIconRequests;
    SHFILEINFOW info{};
    if (::SHGetFileInfoW(path.c_str(), 0, &info, sizeof(info), SHGFI_ICON) == 0) return nullptr;
    return info.hIcon;
}

std::unique_ptr<Gdiplus::Image> IconToImage(HICON icon) {
    if (!icon) return nullptr;
    ICONINFO ii{};
    if (!::GetIconInfo(icon, &ii)) return nullptr;
    std::unique_ptr<Gdiplus::Bitmap> picture;
    BITMAP bm{};
    if (ii.hbmColor && ::GetObjectW(ii.hbmColor, sizeof(bm), &bm) && bm.bmBitsPixel == 32) {
        // Read the colour bitmap's own pixels: GDI+ would drop their alpha when going
        // through the icon. Keep them only if some pixel has a nonzero alpha.
        Gdiplus::Bitmap colour(ii.hbmColor, nullptr);
        Gdiplus::Rect all(0, 0, static_cast<INT>(colour.GetWidth()), static_cast<INT>(colour.GetHeight()));
        Gdiplus::BitmapData data{};
        if (colour.GetLastStatus() == Gdiplus::Ok &&
            colour.LockBits(&all, Gdiplus::ImageLockModeRead, colour.GetPixelFormat(), &data) == Gdiplus::Ok) {
            Gdiplus::Bitmap view(static_cast<INT>(data.Width), static_cast<INT>(data.Height), data.Stride,
                                 PixelFormat32bppARGB, static_cast<BYTE*>(data.Scan0));
            bool hasAlpha = false;
            for (UINT x = 0; x < data.Width && !hasAlpha; ++x) {
                for (UINT y = 0; y < data.Height; ++y) {
                    const BYTE* row = static_cast<const BYTE*>(data.Scan0) + static_cast<ptrdiff_t>(y) * data.Stride;
                    if (row[x * 4 + 3] != 0) {
                        hasAlpha = true;
                        break;
                    }
                }
            }
            if (hasAlpha) picture = OwnedArgbCopy(view);  // copied out before the source goes
            colour.UnlockBits(&data);
        }
    }
    if (!picture) {
        Gdiplus::Bitmap fromIcon(icon);  // transparency from the icon's mask
        if (fromIcon.GetLastStatus() == Gdiplus::Ok) picture = OwnedArgbCopy(fromIcon);
    }
    if (ii.hbmColor) ::DeleteObject(ii.hbmColor);
    if (ii.hbmMask) ::DeleteObject(ii.hbmMask);
    if (!picture) return nullptr;
    if (picture->GetWidth() == kImageSide && picture->GetHeight() == kImageSide) return picture;
    return ScaledTo48(*picture);
}

std::unique_ptr<Gdiplus::Image> IconForItem(int kind, const std::wstring& title, const std::wstring& pathName) {
    HICON icon = nullptr;
    bool fromShell = false;
    if (!PictureComesFromShell(kind) && kind != ItemKind::ShellEntry) {
        icon = LoadOwnIcon(IDI_WEB);
    } else if (kind == ItemKind::ShellEntry) {
        if (title == L"我的电脑") icon = LoadOwnIcon(IDI_COMPUTER);
        else if (title == L"回收站") icon = LoadOwnIcon(IDI_RECYCLE);
        else if (title == L"控制面板") icon = LoadOwnIcon(IDI_CONTROL);
        else if (pathName == L"iexplore.exe") icon = LoadOwnIcon(IDI_IE);
    } else {
        icon = ShellIconOf(pathName);
        fromShell = icon != nullptr;
    }
    if (!icon) {
        icon = LoadOwnIcon(IDI_UNKNOWN);
        fromShell = false;
    }
    std::unique_ptr<Gdiplus::Image> image = IconToImage(icon);
    if (fromShell) ::DestroyIcon(icon);
    return image;
}

std::unique_ptr<Gdiplus::Image> CopyImage(Gdiplus::Image* source) {
    if (!source) return nullptr;
    const INT w = static_cast<INT>(source->GetWidth()), h = static_cast<INT>(source->GetHeight());
    if (w <= 0 || h <= 0) return nullptr;
    auto out = std::make_unique<Gdiplus::Bitmap>(w, h, PixelFormat32bppARGB);
    Gdiplus::Graphics g(out.get());
    g.SetCompositingMode(Gdiplus::CompositingModeSourceCopy);
    g.DrawImage(source, Gdiplus::Rect(0, 0, w, h), 0, 0, w, h, Gdiplus::UnitPixel);
    return out;
}
