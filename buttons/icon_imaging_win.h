// Icons of items as 48 x 48 ARGB pictures: the shell's icon for files and folders, our
// own icons for web addresses and the special shell entries.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "framework/gdiplus_win.h"

// The side of a button's picture, in pixels.
constexpr int kButtonPictureSide = 48;

// Whether the picture of an item of this kind comes from the shell (files, folders and
// unknown kinds) rather than from our own icons.
bool PictureComesFromShell(int kind);
// How many times the shell was asked for an icon in this process.
int ShellIconRequests();

// The picture for one button, or null. The result owns its pixels.
std::unique_ptr<Gdiplus::Image> IconForItem(int kind, const std::wstring& title, const std::wstring& pathName);
// A 48 x 48 ARGB picture of an icon, keeping its per-pixel alpha when it has any.
std::unique_ptr<Gdiplus::Image> IconToImage(HICON icon);
// The shell's large icon of an existing path (the caller destroys it), or null.
HICON ShellIconOf(const std::wstring& path);
// A copy of a picture that owns its own pixels (null for null).
std::unique_ptr<Gdiplus::Image> CopyImage(Gdiplus::Image* source);
