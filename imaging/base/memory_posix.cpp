// Memory layer, POSIX build: whole-page anonymous mappings (zero-filled). A small
// header in front of each block records the mapping for munmap. Large blocks are
// placed on 2 MB boundaries and sized in 2 MB steps so the kernel can back them with
// transparent huge pages: page faults on a fresh buffer otherwise cost more than the
// decoding that fills it.
#include <sys/mman.h>

#include <cstdint>

#include "base/records.h"

namespace {
constexpr size_t kHeader = 64;  // keeps the caller's block 64-byte aligned
constexpr size_t kHugePage = 2u << 20;
constexpr size_t kHugeThreshold = 4u << 20;

struct BlockHeader {
    void* base;    // start of the mapping
    size_t length; // length of the mapping
};

size_t round_up(size_t n, size_t step) { return (n + step - 1) / step * step; }

void* map_block(size_t total) {
    if (total < kHugeThreshold) {
        void* base = mmap(nullptr, total, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (base == MAP_FAILED) return nullptr;
        *static_cast<BlockHeader*>(base) = {base, total};
        return base;
    }
    // Map one huge page more than needed, then give back the unaligned ends.
    const size_t length = round_up(total, kHugePage);
    uint8_t* raw = static_cast<uint8_t*>(
        mmap(nullptr, length + kHugePage, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0));
    if (raw == MAP_FAILED) return nullptr;
    uint8_t* base = reinterpret_cast<uint8_t*>(round_up(reinterpret_cast<uintptr_t>(raw), kHugePage));
    if (base > raw) munmap(raw, (size_t)(base - raw));
    uint8_t* end = raw + length + kHugePage;
    if (end > base + length) munmap(base + length, (size_t)(end - (base + length)));
#ifdef MADV_HUGEPAGE
    madvise(base, length, MADV_HUGEPAGE);
#endif
    *reinterpret_cast<BlockHeader*>(base) = {base, length};
    return base;
}

// Null, small integers (below the 64 KB that no allocation starts under) and the
// all-ones value are markers a caller may leave in a pointer field, not blocks.
bool is_marker(const void* p) {
    const uintptr_t v = reinterpret_cast<uintptr_t>(p);
    return v < 0x10000 || v == UINTPTR_MAX;
}

BlockHeader* header_of(void* p) { return reinterpret_cast<BlockHeader*>(static_cast<uint8_t*>(p) - kHeader); }
}  // namespace

void* mem_alloc(size_t size) {
    if (size > (SIZE_MAX >> 2)) return nullptr;
    void* base = map_block(size + kHeader);
    return base ? static_cast<uint8_t*>(base) + kHeader : nullptr;
}

void mem_free(void* p) {
    if (is_marker(p)) return;
    const BlockHeader h = *header_of(p);
    munmap(h.base, h.length);
}

void mem_free_decommit(void* p) {
    if (is_marker(p)) return;
    const BlockHeader h = *header_of(p);
    madvise(h.base, h.length, MADV_DONTNEED);
    munmap(h.base, h.length);
}

