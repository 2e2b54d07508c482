// Pictures of items: our own icons by kind and title, the shell's icons of files,
// the alpha rule and the 48 x 48 size; PNG resources that fail to decode.
#include <gtest/gtest.h>
#include <windows.h>

#include <shlwapi.h>

#include <cstring>
#include <filesystem>

#include "buttons/icon_imaging_win.h"
#include "framework/gdiplus_win.h"
#include "framework/png_codec.h"
#include "res/resource.h"
#include "store/button_table.h"
#include "support/temp_dir.h"

namespace quorlin::testing {
namespace {

// All pixels of a picture, as ARGB.
std::vector<unsigned> Pixels(Gdiplus::Image* image) {
    std::vector<unsigned> out;
    auto* bitmap = static_cast<Gdiplus::Bitmap*>(image);
    for (UINT y = 0; y < image->GetHeight(); ++y)
        for (UINT x = 0; x < image->GetWidth(); ++x) {
            Gdiplus::Color c;
            bitmap->GetPixel(static_cast<INT>(x), static_cast<INT>(y), &c);
            out.push_back(c.GetValue());
        }
    return out;
}

std::vector<unsigned> OwnIcon(UINT id) {
    auto image = IconToImage(::LoadIconW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id)));
    return image ? Pixels(image.get()) : std::vector<unsigned>{};
}

void ExpectIcon(int kind, const std::wstring& title, const std::wstring& path, UINT id) {
    auto image = IconForItem(kind, title, path);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->GetWidth(), 48u);
    EXPECT_EQ(image->GetHeight(), 48u);
    EXPECT_EQ(Pixels(image.get()), OwnIcon(id)) << "kind " << kind << " expected icon " << id;
}

TEST(IconForItemTest, OwnIconsByKindTitleAndPath) {
    ExpectIcon(ItemKind::Url, L"x", L"http://a/", IDI_WEB);
    ExpectIcon(ItemKind::BrowserUrl, L"x", L"http://a/", IDI_WEB);
    ExpectIcon(ItemKind::ShellEntry, L"我的电脑", L"::{x}", IDI_COMPUTER);
    ExpectIcon(ItemKind::ShellEntry, L"回收站", L"iexplore.exe", IDI_RECYCLE);  // the title decides first
    ExpectIcon(ItemKind::ShellEntry, L"控制面板", L"", IDI_CONTROL);
    ExpectIcon(ItemKind::ShellEntry, L"IE浏览器", L"iexplore.exe", IDI_IE);
    ExpectIcon(ItemKind::ShellEntry, L"IE浏览器", L"IEXPLORE.EXE", IDI_UNKNOWN);  // case matters
    ExpectIcon(ItemKind::ShellEntry, L"other", L"other", IDI_UNKNOWN);
    ExpectIcon(ItemKind::File, L"", L"", IDI_UNKNOWN);
    ExpectIcon(ItemKind::File, L"gone", L"C:\\no\\such\\file.txt", IDI_UNKNOWN);
    ExpectIcon(ItemKind::Folder, L"gone", L"C:\\no\\such\\folder", IDI_UNKNOWN);
    ExpectIcon(9, L"odd", L"", IDI_UNKNOWN);  // unknown kinds are treated like files
}

TEST(IconForItemTest, ExistingFilesAndFoldersGetTheShellsIconAt48) {
    TempDir dir;
    dir.WriteFile("a.txt", "x");
    for (const std::wstring& path : {dir.WPath() + L"\\a.txt", dir.WPath()}) {
        auto image = IconForItem(ItemKind::File, L"t", path);
        ASSERT_NE(image, nullptr);
        EXPECT_EQ(image->GetWidth(), 48u);
        EXPECT_NE(Pixels(image.get()), OwnIcon(IDI_UNKNOWN));
    }
}

TEST(IconToImageTest, KeepsPerPixelAlphaAndScalesSmallIconsTo48) {
    // Icon 130 holds one 32 x 32 image with soft edges.
    HICON small = static_cast<HICON>(::LoadImageW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_UNKNOWN),
                                                  IMAGE_ICON, 32, 32, 0));
    ASSERT_NE(small, nullptr);
    auto image = IconToImage(small);
    ::DestroyIcon(small);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->GetWidth(), 48u);
    auto px = Pixels(image.get());
    int transparent = 0, partial = 0, opaque = 0;
    for (unsigned p : px) {
        const unsigned a = p >> 24;
        if (a == 0) ++transparent;
        else if (a == 255) ++opaque;
        else ++partial;
    }
    EXPECT_GT(transparent, 0);  // the corners of a round icon
    EXPECT_GT(opaque, 0);
    EXPECT_GT(partial, 0);  // half-transparent edges survive the conversion
    EXPECT_EQ(IconToImage(nullptr), nullptr);
}

TEST(IconToImageTest, IconWithoutAlphaTakesItsMask) {
    // A 32-bit icon whose alpha bytes are all 0: left half opaque by its mask.
    BITMAPV5HEADER bi{};
    bi.bV5Size = sizeof(bi);
    bi.bV5Width = 16;
    bi.bV5Height = 16;
    bi.bV5Planes = 1;
    bi.bV5BitCount = 32;
    bi.bV5Compression = BI_RGB;
    void* bits = nullptr;
    HDC dc = ::GetDC(nullptr);
    HBITMAP colour = ::CreateDIBSection(dc, reinterpret_cast<BITMAPINFO*>(&bi), DIB_RGB_COLORS, &bits, nullptr, 0);
    ::ReleaseDC(nullptr, dc);
    auto* p = static_cast<unsigned*>(bits);
    for (int i = 0; i < 16 * 16; ++i) p[i] = 0x00FF0000;  // red, alpha 0
    BYTE maskBits[16 * 2];
    for (int row = 0; row < 16; ++row) {
        maskBits[row * 2] = 0x00;      // left 8 px: opaque
        maskBits[row * 2 + 1] = 0xFF;  // right 8 px: transparent
    }
    HBITMAP mask = ::CreateBitmap(16, 16, 1, 1, maskBits);
    ICONINFO ii{TRUE, 0, 0, mask, colour};
    HICON icon = ::CreateIconIndirect(&ii);
    ::DeleteObject(colour);
    ::DeleteObject(mask);
    auto image = IconToImage(icon);
    ::DestroyIcon(icon);
    ASSERT_NE(image, nullptr);
    auto px = Pixels(image.get());
    EXPECT_GT(px[24 * 48 + 8] >> 24, 200u);  // left side opaque
    EXPECT_LT(px[24 * 48 + 40] >> 24, 50u);  // right side transparent
}

TEST(PngResourceTest, MissingAndBrokenPicturesDrawNothing) {
    std::unique_ptr<Gdiplus::Image> image;
    EXPECT_FALSE(fw::LoadPngResource(4242, image));
    EXPECT_EQ(image, nullptr);
    ASSERT_TRUE(fw::LoadPngResource(9999, image));  // a PNG resource that is not a picture
    ASSERT_NE(image, nullptr);
    fw::LayeredCanvas canvas(::GetDesktopWindow(), 20, 20);
    Gdiplus::Graphics g(canvas.MemoryDC());
    g.DrawImage(image.get(), Gdiplus::Rect(0, 0, 20, 20));
    for (int x = 0; x < 20; ++x) EXPECT_EQ(canvas.Pixel(x, 10), 0u);
    // A good picture stays drawable after the loader freed its memory.
    ASSERT_TRUE(fw::LoadPngResource(IDB_FACE, image));
    EXPECT_EQ(image->GetWidth(), 130u);
    fw::LayeredCanvas face(::GetDesktopWindow(), 130, 130);
    Gdiplus::Graphics fg(face.MemoryDC());
    EXPECT_EQ(fg.DrawImage(image.get(), 0, 0, 130, 130), Gdiplus::Ok);
}

BOOL CALLBACK CollectPng(HMODULE, LPCWSTR, LPWSTR name, LONG_PTR list) {
    if (IS_INTRESOURCE(name)) reinterpret_cast<std::vector<UINT>*>(list)->push_back(static_cast<UINT>(reinterpret_cast<ULONG_PTR>(name)));
    return TRUE;
}

// Our own reader gives exactly the pixels GDI+ gives, for every picture the program ships,
// and a picture written by our writer comes back from the cache unchanged.
TEST(PngResourceTest, OwnReaderMatchesGdiplusOnEveryShippedPicture) {
    HMODULE module = ::GetModuleHandleW(nullptr);
    std::vector<UINT> ids;
    ::EnumResourceNamesW(module, L"PNG", CollectPng, reinterpret_cast<LONG_PTR>(&ids));
    ASSERT_GT(ids.size(), 15u);
    int read = 0;
    for (UINT id : ids) {
        HRSRC res = ::FindResourceW(module, MAKEINTRESOURCEW(id), L"PNG");
        const void* data = ::LockResource(::LoadResource(module, res));
        const DWORD size = ::SizeofResource(module, res);
        IStream* stream = ::SHCreateMemStream(static_cast<const BYTE*>(data), size);
        ASSERT_NE(stream, nullptr);
        Gdiplus::Bitmap reference(stream);
        stream->Release();
        const std::optional<png::Pixels> ours = png::Decode(data, size);
        if (reference.GetLastStatus() != Gdiplus::Ok) {
            EXPECT_FALSE(ours) << "resource " << id;
            continue;
        }
        ASSERT_TRUE(ours) << "resource " << id;
        ASSERT_EQ(static_cast<UINT>(ours->width), reference.GetWidth());
        ASSERT_EQ(static_cast<UINT>(ours->height), reference.GetHeight());
        std::vector<unsigned> mine(ours->bgra.size() / 4);
        std::memcpy(mine.data(), ours->bgra.data(), ours->bgra.size());
        EXPECT_EQ(mine, Pixels(&reference)) << "resource " << id;
        ++read;
    }
    EXPECT_GT(read, 15);

    auto shell = IconForItem(ItemKind::File, L"", L"C:\\windows\\notepad.exe");
    ASSERT_NE(shell, nullptr);
    const std::vector<std::uint8_t> file = fw::EncodePng(shell.get());
    auto back = fw::DecodePicture(file.data(), file.size());
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(Pixels(back.get()), Pixels(shell.get()));
}

}  // namespace
}  // namespace quorlin::testing
