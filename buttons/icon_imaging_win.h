// Icons of items as square ARGB pictures (48 x 48 at 96 DPI, larger where the picture is
// shown larger): the shell's icon for files and folders, our own icons for web addresses
// and the special shell entries.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "framework/gdiplus_win.h"

// The side of a button's picture at 96 DPI, in pixels (larger at higher DPIs).
constexpr int kButtonPictureSide = 48;
constexpr int kIconImageSide = kButtonPictureSide;

// Whether the picture of an item of this kind comes from the shell (files, folders and
// unknown kinds) rather than from our own icons.
bool PictureComesFromShell(int kind);
// How many times the shell was asked for an icon in this process.
int ShellIconRequests();

// The picture for one button, side x side, or null. The result owns its pixels. Above
// 48 the icon is taken at a size of at least `side` (the shell's jumbo or extra-large
// list, our icons' large sizes) and scaled down, never a small one stretched up.
std::unique_ptr<Gdiplus::Image> IconForItem(int kind, const std::wstring& title, const std::wstring& pathName,
                                            int side = kIconImageSide);
// A side x side ARGB picture of an icon, keeping its per-pixel alpha when it has any.
std::unique_ptr<Gdiplus::Image> IconToImage(HICON icon, int side = kIconImageSide);
// The shell's icon of an existing path (the caller destroys it), or null: the large icon
// up to 48, above that the largest the shell has (256 or 48).
HICON ShellIconOf(const std::wstring& path, int side = kIconImageSide);
// The shell's picture for a file (or, for kind Folder, a folder) of that name, told by the
// name alone: the target is not touched (a network path, a drive that is not there).
std::unique_ptr<Gdiplus::Image> GenericPictureFor(int kind, const std::wstring& pathName, int side = kIconImageSide);
// A grey, faint copy of a picture: what a button whose target cannot be reached shows.
std::unique_ptr<Gdiplus::Image> FadedPicture(Gdiplus::Image* source);
// A copy of a picture that owns its own pixels (null for null).
std::unique_ptr<Gdiplus::Image> CopyImage(Gdiplus::Image* source);
