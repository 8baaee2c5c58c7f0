#include "book/PageBuffer.h"

#include <sys/mman.h>

#include <cstdlib>

namespace tresslin::detail {

namespace {
// Below this, ordinary heap memory; above, a mapping of our own that can grow in place.
constexpr std::size_t kMapThreshold = 1 << 20;

void adviseHuge(void* p, std::size_t bytes) {
#ifdef MADV_HUGEPAGE
    // Populating a large buffer with huge pages takes far fewer page faults.
    if (bytes >= (2u << 20)) madvise(p, bytes, MADV_HUGEPAGE);
#else
    (void)p;
    (void)bytes;
#endif
}

void* mapAnonymous(std::size_t bytes) {
    void* p = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (p == MAP_FAILED) return nullptr;
    adviseHuge(p, bytes);
    return p;
}
}  // namespace

void* pageAllocate(std::size_t bytes) {
    if (bytes == 0) bytes = 1;
    if (bytes >= kMapThreshold) return mapAnonymous(bytes);
    return std::malloc(bytes);
}

void* pageReallocate(void* p, std::size_t oldBytes, std::size_t newBytes) {
    if (newBytes == 0) newBytes = 1;
    const bool wasMapped = oldBytes >= kMapThreshold;
    const bool willMap = newBytes >= kMapThreshold;
    if (wasMapped && willMap) {
        void* q = mremap(p, oldBytes, newBytes, MREMAP_MAYMOVE);
        if (q == MAP_FAILED) return nullptr;
        if (newBytes > oldBytes) adviseHuge(q, newBytes);
        return q;
    }
    if (!wasMapped && !willMap) return std::realloc(p, newBytes);
    void* q = pageAllocate(newBytes);
    if (!q) return nullptr;
    std::memcpy(q, p, oldBytes < newBytes ? oldBytes : newBytes);
    pageRelease(p, oldBytes);
    return q;
}

void pageRelease(void* p, std::size_t bytes) {
    if (!p) return;
    if (bytes >= kMapThreshold)
        munmap(p, bytes);
    else
        std::free(p);
}

}  // namespace tresslin::detail
