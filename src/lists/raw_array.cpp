#include "lists/raw_array.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <sys/mman.h>
#include <unistd.h>

namespace {

constexpr size_t kMappedBytes = size_t(1) << 20;
// Tables this big or bigger ask for huge pages: two of them at least.
constexpr size_t kHugeTable = size_t(4) << 20;

bool Mapped(size_t bytes)
{
    return bytes >= kMappedBytes;
}

void* Map(size_t bytes)
{
    void* block =
        ::mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    return block == MAP_FAILED ? nullptr : block;
}

}  // namespace

namespace RawBlock {

void* Grow(void* block, size_t oldBytes, size_t newBytes)
{
    if (!Mapped(newBytes))
        return std::realloc(block, newBytes);
    void* grown = nullptr;
    if (block != nullptr && Mapped(oldBytes)) {
        grown = ::mremap(block, oldBytes, newBytes, MREMAP_MAYMOVE);
        if (grown == MAP_FAILED)
            return nullptr;
    } else {
        grown = Map(newBytes);
        if (grown == nullptr)
            return nullptr;
        if (block != nullptr) {
            std::memcpy(grown, block, std::min(oldBytes, newBytes));
            std::free(block);
        }
    }
    return grown;
}

bool Populate(void* block, size_t blockBytes, size_t from, size_t to)
{
#ifdef MADV_POPULATE_WRITE
    // A mapped block starts on a page and owns its last one whole: the span is widened to pages.
    if (!Mapped(blockBytes))
        return false;
    static const auto kPage = static_cast<size_t>(::sysconf(_SC_PAGESIZE));
    const size_t first = from / kPage * kPage;
    const size_t last =
        std::min((to + kPage - 1) / kPage * kPage, (blockBytes + kPage - 1) / kPage * kPage);
    return ::madvise(static_cast<char*>(block) + first, last - first, MADV_POPULATE_WRITE) == 0;
#else
    (void)block;
    (void)blockBytes;
    (void)from;
    (void)to;
    return false;
#endif
}

void* Zeroed(size_t bytes)
{
    if (!Mapped(bytes))
        return std::calloc(bytes, 1);
    void* block = Map(bytes);
    // A table read and written at random places gains from huge pages twice over: a few dozen
    // faults instead of thousands, and far fewer misses of the address cache.
    if (block != nullptr && bytes >= kHugeTable)
        ::madvise(block, bytes, MADV_HUGEPAGE);
    return block;
}

void Free(void* block, size_t bytes)
{
    if (block == nullptr)
        return;
    if (Mapped(bytes))
        ::munmap(block, bytes);
    else
        std::free(block);
}

}  // namespace RawBlock
