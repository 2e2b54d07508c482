// Functions of system DLLs that only some commands need (the version check's WinINet, the
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

namespace quorlin::fw {

template <class F>
F LateProc(const wchar_t* dll, const char* name) {
    HMODULE module = ::LoadLibraryW(dll);  // kept for the life of the process
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
