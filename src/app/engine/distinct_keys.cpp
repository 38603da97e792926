#include "app/engine/distinct_keys.h"

#include <QHashFunctions>

#include <algorithm>
#include <cstring>

namespace {

constexpr std::size_t kChunkBytes = std::size_t(1) << 24;
// A slot: the place of its key plus one in the low bits, the top of the key's hash above.
constexpr int kPlaceBits = 40;
constexpr quint64 kPlaceMask = (quint64(1) << kPlaceBits) - 1;

quint64 HashOf(std::string_view key)
{
    return qHash(QByteArrayView(key.data(), static_cast<qsizetype>(key.size())), 0x5eed);
}

quint64 Tag(quint64 hash)
{
    return (hash >> kPlaceBits) << kPlaceBits;
}

}  // namespace

DistinctKeys::DistinctKeys() : chunkUsed_(kChunkBytes) {}

DistinctKeys::~DistinctKeys() = default;

// Each key after its length: one byte below 255, else 255 and four bytes.
constexpr unsigned char kLongKey = 255;

std::string_view DistinctKeys::keyAt(quint64 place) const
{
    const char* at = chunks_[place / kChunkBytes].get() + place % kChunkBytes;
    const auto length = static_cast<unsigned char>(*at);
    if (length != kLongKey)
        return {at + 1, length};
    quint32 longLength = 0;
    std::memcpy(&longLength, at + 1, sizeof longLength);
    return {at + 1 + sizeof longLength, longLength};
}

quint64 DistinctKeys::store(std::string_view key)
{
    const bool isLong = key.size() >= kLongKey;
    const std::size_t need = key.size() + (isLong ? 1 + sizeof(quint32) : 1);
    // A key longer than a chunk gets a chunk of its own, and the next key a new one.
    if (chunkUsed_ + need > kChunkBytes) {
        chunks_.push_back(std::make_unique<char[]>(std::max(kChunkBytes, need)));
        chunkUsed_ = 0;
    }
    const quint64 place = (chunks_.size() - 1) * kChunkBytes + chunkUsed_;
    char* at = chunks_.back().get() + chunkUsed_;
    *at++ = static_cast<char>(isLong ? kLongKey : key.size());
    if (isLong) {
        const auto longLength = static_cast<quint32>(key.size());
        std::memcpy(at, &longLength, sizeof longLength);
        at += sizeof longLength;
    }
    if (!key.empty())
        std::memcpy(at, key.data(), key.size());
    chunkUsed_ += need;
    return place;
}

bool DistinctKeys::insert(std::string_view key)
{
    if (static_cast<std::size_t>(count_ + 1) * 4 > slots_.size() * 3)
        grow();
    const quint64 hash = HashOf(key);
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t at = hash & mask;; at = (at + 1) & mask) {
        const quint64 slot = slots_[at];
        if (slot == 0) {
            slots_[at] = Tag(hash) | (store(key) + 1);
            ++count_;
            return true;
        }
        if ((slot & ~kPlaceMask) == Tag(hash) && keyAt((slot & kPlaceMask) - 1) == key)
            return false;
    }
}

void DistinctKeys::grow()
{
    std::vector<quint64> old(slots_.empty() ? 1024 : slots_.size() * 2, 0);
    old.swap(slots_);
    const std::size_t mask = slots_.size() - 1;
    for (const quint64 slot : old) {
        if (slot == 0)
            continue;
        std::size_t at = HashOf(keyAt((slot & kPlaceMask) - 1)) & mask;
        while (slots_[at] != 0)
            at = (at + 1) & mask;
        slots_[at] = slot;
    }
}

qsizetype DistinctKeys::bytes() const
{
    const std::size_t held = chunks_.size() * kChunkBytes + slots_.capacity() * sizeof(quint64);
    return static_cast<qsizetype>(held);
}
