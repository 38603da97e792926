#pragma once

#include <QtGlobal>

#include <memory>
#include <string_view>
#include <vector>

// The keys seen so far, each held once: a set that costs the key's bytes, its length (one
// byte for a short key) and one slot of eight bytes in a table at most three quarters full, about
// eleven to twenty-two bytes a key beside the key itself, far less than a node-based set of
// strings. A slot holds where its key lies and part of the key's hash, so a search reads
// another key only when that part matches.
class DistinctKeys {
public:
    DistinctKeys();
    ~DistinctKeys();
    DistinctKeys(const DistinctKeys&) = delete;
    DistinctKeys& operator=(const DistinctKeys&) = delete;

    // True when the key had not been seen, and holds it from now on.
    bool insert(std::string_view key);
    qsizetype size() const { return count_; }
    // The bytes held, for a caller that watches its memory.
    qsizetype bytes() const;

private:
    std::string_view keyAt(quint64 place) const;
    quint64 store(std::string_view key);
    void grow();

    // Keys are stored in chunks that never move, each key whole in one chunk.
    std::vector<std::unique_ptr<char[]>> chunks_;
    std::size_t chunkUsed_;
    std::vector<quint64> slots_;  // 0: empty; else the hash's top bits and the place plus one
    qsizetype count_ = 0;
};
