#include "framework/texts_win.h"

#include <windows.h>

#include "framework/window_win.h"

namespace quorlin {

std::wstring ResourceTexts::Get(unsigned id) {
    // Strings live in blocks of 16: block id / 16 + 1, each entry a length and its characters.
    const HINSTANCE module = fw::ResourceModule();
    HRSRC found = ::FindResourceExW(module, RT_STRING, MAKEINTRESOURCEW(id / 16 + 1), language_);
    if (found) {
        HGLOBAL loaded = ::LoadResource(module, found);
        const WCHAR* p = loaded ? static_cast<const WCHAR*>(::LockResource(loaded)) : nullptr;
        const DWORD units = ::SizeofResource(module, found) / sizeof(WCHAR);
        const WCHAR* end = p ? p + units : nullptr;
        for (unsigned i = 0; p && p < end; ++i) {
            const unsigned length = *p++;
            if (length > static_cast<unsigned>(end - p)) break;
            if (i == id % 16) {
                if (length) return std::wstring(p, length);
                break;
            }
            p += length;
        }
    }
    const wchar_t* text = nullptr;
    // With a zero length LoadStringW hands out a pointer to the resource itself.
    const int length = ::LoadStringW(module, id, reinterpret_cast<LPWSTR>(&text), 0);
    return length > 0 && text ? std::wstring(text, static_cast<size_t>(length)) : std::wstring();
}

}  // namespace quorlin
