#pragma once

#include <QtGlobal>

#include <string>
#include <string_view>
#include <vector>

// The keys seen so far, each held once: a set that costs the key's bytes plus about twenty
// bytes a key (its length and an open-addressed slot of eight bytes, the table at most half
// full), far less than a node-based set of strings.
class DistinctKeys {
public:
    // True when the key had not been seen, and holds it from now on.
    bool insert(std::string_view key);
    qsizetype size() const { return count_; }
    // The bytes held, for a caller that watches its memory.
    qsizetype bytes() const;

private:
    std::string_view keyAt(quint64 offset) const;
    void grow();

    std::string arena_;           // each key after its length in four bytes
    std::vector<quint64> slots_;  // an arena offset plus one; 0 is empty
    qsizetype count_ = 0;
};
