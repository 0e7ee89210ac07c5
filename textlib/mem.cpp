// Allocation with a test seam that makes a chosen allocation fail.
#include "textlib/mem.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

// Not under AddressSanitizer, which would not see past a mapped block's end.
#if defined(__linux__) && !defined(__SANITIZE_ADDRESS__)
#if defined(__has_feature)
#if !__has_feature(address_sanitizer)
#define MEM_MAPS_LARGE_BLOCKS 1
#endif
#else
#define MEM_MAPS_LARGE_BLOCKS 1
#endif
#endif
#if MEM_MAPS_LARGE_BLOCKS
#include <sys/mman.h>
#endif

namespace {
int64_t allocCount = 0; // allocations since the seam was last set
int64_t failAt = 0;     // 0: off; otherwise the allocation number that fails
bool failAfter = false; // every allocation from failAt on fails
size_t liveBytes = 0;   // bytes in blocks not yet freed
size_t peakBytes = 0;   // the most liveBytes has been since the seam was last set
// Each block carries its size in front of it, and where it was mapped on its
// own the start of that mapping (else null), padded so that the block keeps
// the alignment malloc gives.
const size_t HEADER = 16;

struct Header {
    size_t size;
    char* mapped;
};

#if MEM_MAPS_LARGE_BLOCKS
// A block of a megabyte or more (a whole map, a graphic) gets a mapping of its
// own, aligned to 2 MB and advised into huge pages: filling a full 2 MB map
// then takes one page fault instead of five hundred, which on a virtual
// machine is a good share of a whole job. The mapping comes zero-filled.
const size_t LARGE = size_t{1} << 20;
const size_t HUGE_PAGE = size_t{2} << 20;

size_t InHugePages(size_t size) {
    return (size + HUGE_PAGE - 1) / HUGE_PAGE * HUGE_PAGE;
}

// The block's huge pages, and room before them for the header and alignment.
size_t MappedLength(size_t size) {
    return HUGE_PAGE + InHugePages(size);
}

char* MapLarge(size_t size, char** mapped) {
    if (size > SIZE_MAX - 2 * HUGE_PAGE) return nullptr;
    void* start = mmap(nullptr, MappedLength(size), PROT_READ | PROT_WRITE,
                       MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (start == MAP_FAILED) return nullptr;
    *mapped = static_cast<char*>(start);
    const uintptr_t first = reinterpret_cast<uintptr_t>(*mapped) + HEADER;
    char* block = reinterpret_cast<char*>((first + HUGE_PAGE - 1) & ~uintptr_t{HUGE_PAGE - 1});
    madvise(block, InHugePages(size), MADV_HUGEPAGE);
    return block;
}
#endif

// Returns the block for size bytes with its header written; zeroed tells
// whether the memory is known to be zero already.
char* NewBlock(size_t size, bool* zeroed) {
    Header header = {size, nullptr};
    char* block = nullptr;
#if MEM_MAPS_LARGE_BLOCKS
    if (size >= LARGE) block = MapLarge(size, &header.mapped);
#endif
    *zeroed = block != nullptr;
    if (!block) {
        if (size > SIZE_MAX - HEADER) return nullptr;
        char* start = static_cast<char*>(std::malloc(size + HEADER));
        if (!start) return nullptr;
        block = start + HEADER;
    }
    std::memcpy(block - HEADER, &header, sizeof header);
    liveBytes += size;
    if (liveBytes > peakBytes) peakBytes = liveBytes;
    return block;
}

void* Alloc(size_t size, bool zero) {
    ++allocCount;
    if (failAt > 0 && (allocCount == failAt || (failAfter && allocCount > failAt))) return nullptr;
    bool zeroed;
    char* block = NewBlock(size, &zeroed);
    if (block && zero && !zeroed) std::memset(block, 0, size);
    return block;
}
} // namespace

static_assert(sizeof(Header) <= HEADER, "the header fits in front of the block");

void* Mem_Alloc(size_t size) {
    return Alloc(size, false);
}

void* Mem_AllocZero(size_t size) {
    return Alloc(size, true);
}

void Mem_Free(void* block) {
    if (!block) return;
    char* start = static_cast<char*>(block) - HEADER;
    Header header;
    std::memcpy(&header, start, sizeof header);
    liveBytes -= header.size;
#if MEM_MAPS_LARGE_BLOCKS
    if (header.mapped) {
        munmap(header.mapped, MappedLength(header.size));
        return;
    }
#endif
    std::free(start);
}

void Mem_FailNth(int64_t nth, bool failAllAfter) {
    allocCount = 0;
    peakBytes = liveBytes;
    failAt = nth > 0 ? nth : 0;
    failAfter = failAllAfter;
}

int64_t Mem_AllocCount() {
    return allocCount;
}

size_t Mem_PeakBytes() {
    return peakBytes;
}

bool Mem_GrowBlock(void** items, int32_t* capacity, int32_t count, int64_t need, size_t size,
                   int32_t first, int32_t limit) {
    if (need <= *capacity) return true;
    if (need > limit) return false;
    int64_t next = *capacity > 0 ? *capacity : first;
    while (next < need)
        next *= 2;
    if (next > limit) next = limit;
    if (static_cast<uint64_t>(next) > SIZE_MAX / size) return false; // a 32-bit size would wrap
    void* block = Mem_Alloc(size * static_cast<size_t>(next));
    if (!block) return false;
    if (count > 0) std::memcpy(block, *items, size * static_cast<size_t>(count));
    Mem_Free(*items);
    *items = block;
    *capacity = static_cast<int32_t>(next);
    return true;
}
