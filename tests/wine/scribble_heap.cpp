// Freed memory is overwritten before it goes back to the heap, in every Wine test. A
// window or handler that reads an object after it was deleted (a button deleted inside
// a message box's loop, say) then reads garbage pointers and fails at once, instead of
// reading stale values that happen to still be right.
#include <malloc.h>

#include <cstdlib>
#include <cstring>
#include <new>

namespace {
// Called through a volatile pointer: the compiler would otherwise drop a store into
// memory that is freed right after.
void* (*volatile g_fill)(void*, int, std::size_t) = std::memset;

void Scribble(void* p) noexcept {
    if (p) g_fill(p, 0xDD, _msize(p));
}
}  // namespace

void* operator new(std::size_t n) {
    if (void* p = std::malloc(n ? n : 1)) return p;
    throw std::bad_alloc();
}
void* operator new[](std::size_t n) { return operator new(n); }
void operator delete(void* p) noexcept {
    Scribble(p);
    std::free(p);
}
void operator delete[](void* p) noexcept { operator delete(p); }
void operator delete(void* p, std::size_t) noexcept { operator delete(p); }
void operator delete[](void* p, std::size_t) noexcept { operator delete(p); }
