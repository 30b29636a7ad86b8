// Memory layer, Windows builds: VirtualAlloc/VirtualFree of committed pages.
#include <windows.h>

#include <cstdint>

#include "base/records.h"

void* mem_alloc(size_t size) {
    if (size == 0) size = 1;
    return VirtualAlloc(nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
}

void mem_free(void* p) {
    if (!p || p == reinterpret_cast<void*>(UINTPTR_MAX)) return;
    VirtualFree(p, 0, MEM_RELEASE);
}

void mem_free_decommit(void* p) {
    if (!p || p == reinterpret_cast<void*>(UINTPTR_MAX)) return;
    MEMORY_BASIC_INFORMATION mbi;
    if (VirtualQuery(p, &mbi, sizeof mbi)) VirtualFree(p, mbi.RegionSize, MEM_DECOMMIT);
    VirtualFree(p, 0, MEM_RELEASE);
}

bool mem_is_readable(const void* p) {
    if (!p || p == reinterpret_cast<void*>(UINTPTR_MAX)) return false;
    MEMORY_BASIC_INFORMATION mbi;
    if (!VirtualQuery(p, &mbi, sizeof mbi)) return false;
    if (mbi.State != MEM_COMMIT) return false;
    const DWORD readable = PAGE_READONLY | PAGE_READWRITE | PAGE_WRITECOPY | PAGE_EXECUTE_READ |
                           PAGE_EXECUTE_READWRITE | PAGE_EXECUTE_WRITECOPY;
    return (mbi.Protect & readable) && !(mbi.Protect & PAGE_GUARD);
}
