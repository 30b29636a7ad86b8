// Memory layer, POSIX build: whole-page anonymous mappings (zero-filled). A small
// header in front of each block records the mapping's length for munmap.
#include <sys/mman.h>

#include <cstdint>

#include "imaging.h"

namespace {
constexpr size_t kHeader = 64;  // keeps the caller's block 64-byte aligned
constexpr size_t kHugeThreshold = 4u << 20;
}  // namespace

void* mem_alloc(size_t size) {
    if (size > (SIZE_MAX >> 1)) return nullptr;
    const size_t total = size + kHeader;
    void* base = mmap(nullptr, total, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (base == MAP_FAILED) return nullptr;
#ifdef MADV_HUGEPAGE
    // Page faults on large fresh buffers cost more than the decoding that fills them.
    if (total >= kHugeThreshold) madvise(base, total, MADV_HUGEPAGE);
#endif
    *static_cast<size_t*>(base) = total;
    return static_cast<uint8_t*>(base) + kHeader;
}

void mem_free(void* p) {
    if (!p || p == reinterpret_cast<void*>(UINTPTR_MAX)) return;
    uint8_t* base = static_cast<uint8_t*>(p) - kHeader;
    munmap(base, *reinterpret_cast<size_t*>(base));
}

void mem_free_decommit(void* p) {
    if (!p || p == reinterpret_cast<void*>(UINTPTR_MAX)) return;
    uint8_t* base = static_cast<uint8_t*>(p) - kHeader;
    const size_t total = *reinterpret_cast<size_t*>(base);
    madvise(base, total, MADV_DONTNEED);
    munmap(base, total);
}

bool mem_is_readable(const void* p) {
    // Small integers and the all-ones value are markers, not buffers.
    const uintptr_t v = reinterpret_cast<uintptr_t>(p);
    return v >= 0x10000 && v != UINTPTR_MAX;
}
