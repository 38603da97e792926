#include "lists/distinct_keys.h"

#include <cstring>
#include <functional>
#include <new>

namespace {

// Linear probing needs every bit of the hash to vary: Qt's byte-array hash (CRC32 where the
// processor has it) gives numbers written one after another hashes that crowd together.
std::size_t HashOf(std::string_view key)
{
    return std::hash<std::string_view>{}(key);
}

// A slot: the offset in its low 40 bits (an arena of up to a terabyte), the hash's top 24
// bits above.
constexpr int kOffsetBits = 40;
constexpr quint64 kOffsetMask = (quint64(1) << kOffsetBits) - 1;

quint64 TagOf(std::size_t hash)
{
    return static_cast<quint64>(hash) >> kOffsetBits << kOffsetBits;
}

}  // namespace

std::string_view DistinctKeys::keyAt(quint64 offset) const
{
    quint32 length = 0;
    std::memcpy(&length, arena_.data() + offset, sizeof length);
    return {arena_.data() + offset + sizeof length, length};
}

bool DistinctKeys::insert(std::string_view key)
{
    if (static_cast<std::size_t>(count_ + 1) * 4 > slotCount_ * 3)
        grow();
    const std::size_t hash = HashOf(key);
    const quint64 tag = TagOf(hash);
    const std::size_t mask = slotCount_ - 1;
    for (std::size_t at = hash & mask;; at = (at + 1) & mask) {
        const quint64 slot = slots_[at];
        if (slot == 0) {
            const auto length = static_cast<quint32>(key.size());
            const auto offset = static_cast<quint64>(arena_.size());
            if (offset + 1 > kOffsetMask)
                throw std::bad_alloc();
            char* const into = arena_.grow(static_cast<qsizetype>(sizeof length)
                                           + static_cast<qsizetype>(key.size()));
            std::memcpy(into, &length, sizeof length);
            std::memcpy(into + sizeof length, key.data(), key.size());
            slots_[at] = tag | (offset + 1);
            ++count_;
            return true;
        }
        if ((slot & ~kOffsetMask) == tag && keyAt((slot & kOffsetMask) - 1) == key)
            return false;
    }
}

void DistinctKeys::grow()
{
    rehash(slotCount_ == 0 ? 16 : slotCount_ * 2);
}

void DistinctKeys::rehash(std::size_t slots)
{
    // A large table comes from the kernel already zero, its pages taken as keys land in them,
    // rather than all written over before the first key goes in.
    std::unique_ptr<quint64[], FreeSlots> table(
        static_cast<quint64*>(RawBlock::Zeroed(slots * sizeof(quint64))), FreeSlots(slots));
    if (!table)
        throw std::bad_alloc();
    const std::size_t mask = slots - 1;
    for (std::size_t i = 0; i < slotCount_; ++i) {
        const quint64 slot = slots_[i];
        if (slot == 0)
            continue;
        std::size_t at = HashOf(keyAt((slot & kOffsetMask) - 1)) & mask;
        while (table[at] != 0)
            at = (at + 1) & mask;
        table[at] = slot;
    }
    slots_ = std::move(table);
    slotCount_ = slots;
}

void DistinctKeys::reserve(qsizetype keys, qsizetype keyBytes, const std::function<void()>& between)
{
    if (keys <= 0)
        return;
    arena_.reserve(arena_.size() + keyBytes + keys * static_cast<qsizetype>(sizeof(quint32)));
    std::size_t slots = 16;
    while (slots * 3 < static_cast<std::size_t>(count_ + keys) * 4)
        slots *= 2;
    if (slots <= slotCount_)
        return;
    rehash(slots);
    if (!between)
        return;
    // A write to each page makes it the program's; each slot keeps what it holds.
    constexpr std::size_t kPage = 4096;
    constexpr auto kSlice = static_cast<std::size_t>(kSliceBytes);
    volatile char* const table = reinterpret_cast<char*>(slots_.get());
    const std::size_t bytes = slotCount_ * sizeof(quint64);
    for (std::size_t at = 0; at < bytes; at += kPage) {
        table[at] = table[at];
        if ((at + kPage) % kSlice == 0 && at + kPage < bytes)
            between();
    }
}

qsizetype DistinctKeys::bytes() const
{
    return arena_.capacity() + static_cast<qsizetype>(slotCount_ * sizeof(quint64));
}
