#include "buttons/icon_imaging_win.h"

#include <commctrl.h>
#include <commoncontrols.h>
#include <shellapi.h>

#include <cstring>

#include "framework/window_win.h"
#include "res/resource.h"
#include "store/button_table.h"

using namespace quorlin;

namespace {


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

// The same picture scaled to side x side with its alpha kept (high-quality resampling).
std::unique_ptr<Gdiplus::Bitmap> ScaledTo(Gdiplus::Image& source, int side) {
    auto out = std::make_unique<Gdiplus::Bitmap>(side, side, PixelFormat32bppARGB);
    if (out->GetLastStatus() != Gdiplus::Ok) return nullptr;
    Gdiplus::Graphics g(out.get());
    g.SetInterpolationMode(Gdiplus::InterpolationModeHighQualityBicubic);
    g.SetPixelOffsetMode(Gdiplus::PixelOffsetModeHalf);
    g.SetCompositingMode(Gdiplus::CompositingModeSourceCopy);
    g.DrawImage(&source, Gdiplus::Rect(0, 0, side, side), 0, 0,
                static_cast<INT>(source.GetWidth()), static_cast<INT>(source.GetHeight()), Gdiplus::UnitPixel);
    return out;
}

// Our own icon: the system's large size up to 48 (shared, never destroyed), above that the
// icon's own size nearest to `side` (the caller destroys it). `owned` says which.
HICON LoadOwnIcon(UINT id, int side, bool& owned) {
    owned = false;
    if (side <= kIconImageSide) return ::LoadIconW(fw::ResourceModule(), MAKEINTRESOURCEW(id));
    HICON icon = static_cast<HICON>(
        ::LoadImageW(fw::ResourceModule(), MAKEINTRESOURCEW(id), IMAGE_ICON, side, side, LR_DEFAULTCOLOR));
    owned = icon != nullptr;
    return icon ? icon : ::LoadIconW(fw::ResourceModule(), MAKEINTRESOURCEW(id));
}

// IImageList's interface ID (not in every import library of the SDKs).
const IID kImageListIid = {0x46EB5926, 0x582E, 0x4017, {0x9F, 0xDF, 0xE8, 0x99, 0x8D, 0xAA, 0x09, 0x50}};

// The shell's icon from one of its system image lists (SHIL_JUMBO, SHIL_EXTRALARGE).
HICON IconFromSystemList(int list, int index) {
    IImageList* images = nullptr;
    if (FAILED(::SHGetImageList(list, kImageListIid, reinterpret_cast<void**>(&images))) || !images)
        return nullptr;
    HICON icon = nullptr;
    if (FAILED(images->GetIcon(index, ILD_TRANSPARENT, &icon))) icon = nullptr;
    images->Release();
    return icon;
}

int g_shellIconRequests = 0;

}  // namespace

bool PictureComesFromShell(int kind) {
    return kind != ItemKind::BrowserUrl && kind != ItemKind::Url && kind != ItemKind::ShellEntry;
}

int ShellIconRequests() { return g_shellIconRequests; }

namespace {

// The shell's icon of a path: looked up on disk, or (`attributes` not 0) by its name and
// those attributes alone, without the file being touched.
HICON ShellIcon(const std::wstring& path, int side, DWORD attributes) {
    const UINT byName = attributes ? SHGFI_USEFILEATTRIBUTES : 0;
    SHFILEINFOW info{};
    if (side > kIconImageSide) {
        if (::SHGetFileInfoW(path.c_str(), attributes, &info, sizeof(info), SHGFI_SYSICONINDEX | byName) == 0)
            return nullptr;
        if (HICON icon = IconFromSystemList(SHIL_JUMBO, info.iIcon)) return icon;
        if (HICON icon = IconFromSystemList(SHIL_EXTRALARGE, info.iIcon)) return icon;
    }
    if (::SHGetFileInfoW(path.c_str(), attributes, &info, sizeof(info), SHGFI_ICON | byName) == 0) return nullptr;
    return info.hIcon;
}

// The picture of `icon`, or of our unknown-item icon when there is none; the icon is
// destroyed after when `owned`.
std::unique_ptr<Gdiplus::Image> PictureOfIcon(HICON icon, bool owned, int side) {
    if (!icon) icon = LoadOwnIcon(IDI_UNKNOWN, side, owned);
    std::unique_ptr<Gdiplus::Image> image = IconToImage(icon, side);
    if (owned) ::DestroyIcon(icon);
    return image;
}

// A copy of a picture that owns its pixels, drawn through `attributes` when given.
std::unique_ptr<Gdiplus::Image> DrawnCopy(Gdiplus::Image* source, const Gdiplus::ImageAttributes* attributes) {
    if (!source) return nullptr;
    const INT w = static_cast<INT>(source->GetWidth()), h = static_cast<INT>(source->GetHeight());
    if (w <= 0 || h <= 0) return nullptr;
    auto out = std::make_unique<Gdiplus::Bitmap>(w, h, PixelFormat32bppARGB);
    Gdiplus::Graphics g(out.get());
    g.SetCompositingMode(Gdiplus::CompositingModeSourceCopy);
    g.DrawImage(source, Gdiplus::Rect(0, 0, w, h), 0, 0, w, h, Gdiplus::UnitPixel, attributes);
    return out;
}

}  // namespace

HICON ShellIconOf(const std::wstring& path, int side) {
    if (path.empty()) return nullptr;
    ++g_shellIconRequests;
    return ShellIcon(path, side, 0);
}

std::unique_ptr<Gdiplus::Image> GenericPictureFor(int kind, const std::wstring& pathName, int side) {
    HICON icon = ShellIcon(pathName, side, kind == ItemKind::Folder ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_NORMAL);
    return PictureOfIcon(icon, icon != nullptr, side);
}

std::unique_ptr<Gdiplus::Image> FadedPicture(Gdiplus::Image* source) {
    // Grey, and a third as opaque.
    Gdiplus::ColorMatrix fade = {{{0.3f, 0.3f, 0.3f, 0, 0},
                                  {0.59f, 0.59f, 0.59f, 0, 0},
                                  {0.11f, 0.11f, 0.11f, 0, 0},
                                  {0, 0, 0, 0.35f, 0},
                                  {0, 0, 0, 0, 1}}};
    Gdiplus::ImageAttributes attributes;
    attributes.SetColorMatrix(&fade);
    return DrawnCopy(source, &attributes);
}

std::unique_ptr<Gdiplus::Image> IconToImage(HICON icon, int side) {
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
    if (side <= 0) side = kIconImageSide;
    if (picture->GetWidth() == static_cast<UINT>(side) && picture->GetHeight() == static_cast<UINT>(side))
        return picture;
    return ScaledTo(*picture, side);
}

std::unique_ptr<Gdiplus::Image> IconForItem(int kind, const std::wstring& title, const std::wstring& pathName,
                                            int side) {
    HICON icon = nullptr;
    bool owned = false;
    if (!PictureComesFromShell(kind) && kind != ItemKind::ShellEntry) {
        icon = LoadOwnIcon(IDI_WEB, side, owned);
    } else if (kind == ItemKind::ShellEntry) {
        if (title == L"我的电脑") icon = LoadOwnIcon(IDI_COMPUTER, side, owned);
        else if (title == L"回收站") icon = LoadOwnIcon(IDI_RECYCLE, side, owned);
        else if (title == L"控制面板") icon = LoadOwnIcon(IDI_CONTROL, side, owned);
        else if (pathName == L"iexplore.exe") icon = LoadOwnIcon(IDI_IE, side, owned);
    } else {
        icon = ShellIconOf(pathName, side);
        owned = icon != nullptr;
    }
    return PictureOfIcon(icon, owned, side);
}

std::unique_ptr<Gdiplus::Image> CopyImage(Gdiplus::Image* source) { return DrawnCopy(source, nullptr); }
