// The cells live in the module's static TLS block, described by the PE TLS
// directory below. The loader allocates a copy for every thread, including
// threads that existed before the module was loaded with LoadLibrary, and
// frees it when the thread ends; the module itself allocates nothing.
#include <windows.h>

#include "result_cells.h"

namespace {

// The initial image of every thread's cells.
const result_cells cells_image = {};

constexpr DWORD teb_tls_slots = 0x2C;  // ThreadLocalStoragePointer in the x86 TEB

}  // namespace

// The loader writes the module's TLS slot here. The linker finds the directory
// by this symbol name and points the image's TLS data directory at it. No
// callbacks: nothing runs at thread attach or detach.
extern "C" {
ULONG _tls_index = 0;
// Kept through link-time optimisation: only the linker refers to it.
__attribute__((used)) extern const IMAGE_TLS_DIRECTORY _tls_used = {
    reinterpret_cast<ULONG_PTR>(&cells_image),
    reinterpret_cast<ULONG_PTR>(&cells_image + 1),
    reinterpret_cast<ULONG_PTR>(&_tls_index),
    0,
    0,
    {},
};
}

result_cells &thread_result_cells() {
    char **tls_blocks;
    __asm__("movl %%fs:%c1, %0" : "=r"(tls_blocks) : "i"(teb_tls_slots));
    return *reinterpret_cast<result_cells *>(tls_blocks[_tls_index]);
}
