// Memory layer, Windows builds: VirtualAlloc/VirtualFree of committed pages.
#include <windows.h>

#include <cstdint>

#include "base/records.h"

namespace {
// Null, small integers (below the 64 KB allocation granularity, so no block starts
// there) and the all-ones value are markers a caller may leave in a pointer field.
bool is_marker(const void* p) {
    const uintptr_t v = reinterpret_cast<uintptr_t>(p);
    return v < 0x10000 || v == UINTPTR_MAX;
}
}  // namespace

void* mem_alloc(size_t size) {
    if (size == 0) size = 1;
    return VirtualAlloc(nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
}

void mem_free(void* p) {
    if (is_marker(p)) return;
    VirtualFree(p, 0, MEM_RELEASE);
}

void mem_free_decommit(void* p) {
    if (is_marker(p)) return;
    MEMORY_BASIC_INFORMATION mbi;
    if (VirtualQuery(p, &mbi, sizeof mbi)) VirtualFree(p, mbi.RegionSize, MEM_DECOMMIT);
    VirtualFree(p, 0, MEM_RELEASE);
}

