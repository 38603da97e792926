#include "app/engine/distinct_keys.h"

#include <QHashFunctions>

#include <cstring>

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
    if (static_cast<std::size_t>(count_ + 1) * 2 > slots_.size())
        grow();
    const std::size_t mask = slots_.size() - 1;
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
    std::vector<quint64> old(slots_.empty() ? 16 : slots_.size() * 2, 0);
    old.swap(slots_);
    const std::size_t mask = slots_.size() - 1;
    for (const quint64 slot : old) {
        if (slot == 0)
            continue;
        std::size_t at = HashOf(keyAt(slot - 1)) & mask;
        while (slots_[at] != 0)
            at = (at + 1) & mask;
        slots_[at] = slot;
    }
}

qsizetype DistinctKeys::bytes() const
{
    return static_cast<qsizetype>(arena_.capacity() + slots_.capacity() * sizeof(quint64));
}
