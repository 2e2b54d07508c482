// Where DLLs come from, and functions of system DLLs that only some commands need (the version check's WinINet, the
// version block reader, the sounds, the file chooser, the session notifications), loaded on
// first use instead of at the program's start:
// every DLL in the import table is loaded and initialised before the first frame.
//
//   QUORLIN_LATE_PROC(L"winmm.dll", PlaySoundW)
//
// declares, in the enclosing namespace, a function PlaySoundW with the same parameters
// that finds the real one on its first call and returns a zero value (FALSE, null) when
// the DLL or the function cannot be had.
#pragma once

#include <windows.h>

#include <string>

namespace quorlin::fw {

// Limits where the process looks for DLLs to the system folder (SetDefaultDllDirectories with
// LOAD_LIBRARY_SEARCH_SYSTEM32), so that a DLL planted beside a portable copy, or in the
// current folder, is never loaded. Called first thing at start. A Windows 7 without
// KB2533623 lacks that call: the current folder is then taken out of the search
// (SetDllDirectoryW(L"")). True when the search is limited to the system folder.
inline bool RestrictDllSearch() {
    using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
    const HMODULE kernel = ::GetModuleHandleW(L"kernel32.dll");
    const auto setDefault = kernel ? reinterpret_cast<SetDefaultDllDirectoriesFn>(reinterpret_cast<void*>(
                                         ::GetProcAddress(kernel, "SetDefaultDllDirectories")))
                                   : nullptr;
    if (setDefault && setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32)) return true;
    ::SetDllDirectoryW(L"");
    return false;
}

// Loads a system DLL from the system folder only, never from the program's folder: by
// LOAD_LIBRARY_SEARCH_SYSTEM32, or, where Windows does not know that flag, by its full path
// (whose own dependencies are then looked for in the system folder first).
inline HMODULE LoadSystemLibrary(const wchar_t* dll) {
    HMODULE module = ::LoadLibraryExW(dll, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (module || ::GetLastError() != ERROR_INVALID_PARAMETER) return module;
    wchar_t folder[MAX_PATH] = {};
    const UINT n = ::GetSystemDirectoryW(folder, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return nullptr;
    const std::wstring path = std::wstring(folder, n) + L"\\" + dll;
    return ::LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

template <class F>
F LateProc(const wchar_t* dll, const char* name) {
    HMODULE module = LoadSystemLibrary(dll);  // kept for the life of the process
    return module ? reinterpret_cast<F>(reinterpret_cast<void*>(::GetProcAddress(module, name))) : nullptr;
}

}  // namespace quorlin::fw

#define QUORLIN_LATE_PROC(dll, fn)                                                        \
    template <class... Args>                                                              \
    auto fn(Args... args) {                                                               \
        static const auto real = ::quorlin::fw::LateProc<decltype(&::fn)>(dll, #fn);      \
        using Result = decltype(real(args...));                                           \
        return real ? real(args...) : Result{};                                           \
    }
