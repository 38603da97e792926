#include "app/engine/distinct_keys.h"

#include <QHashFunctions>

#include <cstring>
#include <new>

namespace {

std::size_t HashOf(std::string_view key)
{
    return qHash(QByteArrayView(key.data(), static_cast<qsizetype>(key.size())));
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
    if (static_cast<std::size_t>(count_ + 1) * 2 > slotCount_)
        grow();
    const std::size_t mask = slotCount_ - 1;
    for (std::size_t at = HashOf(key) & mask;; at = (at + 1) & mask) {
        if (slots_[at] == 0) {
            const auto length = static_cast<quint32>(key.size());
            slots_[at] = arena_.size() + 1;
            arena_.append(reinterpret_cast<const char*>(&length), sizeof length);
            arena_.append(key);
            ++count_;
            return true;
        }
        if (keyAt(slots_[at] - 1) == key)
            return false;
    }
}

void DistinctKeys::grow()
{
    rehash(slotCount_ == 0 ? 16 : slotCount_ * 2);
}

void DistinctKeys::rehash(std::size_t slots)
{
    // calloc: a large table comes from the kernel already zero, its pages taken as keys land in
    // them, rather than all written over before the first key goes in.
    std::unique_ptr<quint64[], FreeSlots> table(
        static_cast<quint64*>(std::calloc(slots, sizeof(quint64))));
    if (!table)
        throw std::bad_alloc();
    const std::size_t mask = slots - 1;
    for (std::size_t i = 0; i < slotCount_; ++i) {
        const quint64 slot = slots_[i];
        if (slot == 0)
            continue;
        std::size_t at = HashOf(keyAt(slot - 1)) & mask;
        while (table[at] != 0)
            at = (at + 1) & mask;
        table[at] = slot;
    }
    slots_ = std::move(table);
    slotCount_ = slots;
}

void DistinctKeys::reserve(qsizetype keys, qsizetype keyBytes)
{
    if (keys <= 0)
        return;
    arena_.reserve(arena_.size() + static_cast<std::size_t>(keyBytes)
                   + static_cast<std::size_t>(keys) * sizeof(quint32));
    std::size_t slots = 16;
    while (slots < static_cast<std::size_t>(count_ + keys) * 2)
        slots *= 2;
    if (slots > slotCount_)
        rehash(slots);
}

qsizetype DistinctKeys::bytes() const
{
    return static_cast<qsizetype>(arena_.capacity() + slotCount_ * sizeof(quint64));
}
