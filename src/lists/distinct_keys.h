#pragma once

#include "lists/raw_array.h"

#include <QtGlobal>

#include <functional>
#include <memory>
#include <string_view>

// Gives a table of slots back as RawBlock took it.
class FreeSlots {
public:
    FreeSlots() = default;
    explicit FreeSlots(std::size_t count) : count_(count) {}
    void operator()(quint64* slots) const { RawBlock::Free(slots, count_ * sizeof *slots); }

private:
    std::size_t count_ = 0;
};

// The keys seen so far, each held once: a set that costs the key's bytes plus about fifteen to
// twenty-five bytes a key (its length and an open-addressed slot of eight bytes, the table at
// most three quarters full), far less than a node-based set of strings.
class DistinctKeys {
public:
    // True when the key had not been seen, and holds it from now on.
    bool insert(std::string_view key);
    qsizetype size() const { return count_; }
    // The bytes held, for a caller that watches its memory.
    qsizetype bytes() const;
    // Room for that many more keys of that many bytes in all, taken at once: a caller that
    // knows how many keys are coming (the rows of a list) never waits for the table to be laid
    // out again halfway through. The table's pages are the system's until a key lands in them;
    // with between, they are taken now, a slice at a time with between() after each, since keys
    // land all over the table and the first few hundred would otherwise wait for all of them.
    void reserve(qsizetype keys, qsizetype keyBytes, const std::function<void()>& between = {});

private:
    std::string_view keyAt(quint64 offset) const;
    void grow();
    // Lays the keys out again in a table of that many slots (a power of two).
    void rehash(std::size_t slots);

    // Each key after its length in four bytes. Its blocks grow without being copied.
    RawArray<char> arena_;
    // Each slot holds a key's arena offset plus one in its low bits (0 is empty) and the top bits
    // of the key's hash above them, so most keys that only share a slot's neighbourhood are told
    // apart without reading the arena.
    std::unique_ptr<quint64[], FreeSlots> slots_;
    std::size_t slotCount_ = 0;
    qsizetype count_ = 0;
};
