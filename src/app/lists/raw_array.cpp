#include "app/lists/raw_array.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <sys/mman.h>

namespace {

constexpr size_t kMappedBytes = size_t(1) << 20;

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

void* Zeroed(size_t bytes)
{
    if (!Mapped(bytes))
        return std::calloc(bytes, 1);
    void* block = Map(bytes);
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
