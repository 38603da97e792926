#pragma once

#include "lists/raw_array.h"

#include <QLatin1StringView>
#include <QString>
#include <QStringView>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <limits>
#include <new>
#include <type_traits>
#include <unordered_map>

// A column of texts stored end to end in one buffer with the end of each row beside it: a
// fraction of the memory of one QString per row. While every character fits in eight bits the
// buffer holds one byte a character; the first wider character turns it into UTF-16 once.
//
// The buffer is a row of places, one a row, in the order the rows were appended. Exchanging
// two rows of different lengths exchanges their places instead of moving every character
// between them; the few rows whose text is not in their own place are looked up in a table.
//
// A failed append (out of memory) leaves the column exactly as it was. Views of the column's
// own rows may be appended.
class TextColumn {
public:
    qsizetype count() const { return rows_; }
    bool wide() const { return wide_; }
    // All the characters of all the rows.
    qsizetype characters() const { return wide_ ? wideText_.size() : narrowText_.size(); }

    QString at(qsizetype row) const;
    // Replaces the text with the row's, reusing its storage when it can.
    void read(qsizetype row, QString& into) const;
    void appendTo(QString& out, qsizetype row) const;
    // The row's length as stored (Latin-1 characters or UTF-16 units).
    qsizetype units(qsizetype row) const
    {
        const qsizetype place = placeOf(row);
        return end(place) - start(place);
    }
    // The row as stored, while the column is not wide.
    QLatin1StringView narrow(qsizetype row) const
    {
        const qsizetype place = placeOf(row);
        const qsizetype from = start(place);
        return {narrowText_.data() + from, end(place) - from};
    }
    // Calls f with a QLatin1StringView or a QStringView of the row.
    template <class F> decltype(auto) visit(qsizetype row, F&& f) const
    {
        const qsizetype place = placeOf(row);
        const qsizetype from = start(place);
        const qsizetype size = end(place) - from;
        if (wide_)
            return f(QStringView(wideText_.data() + from, size));
        return f(QLatin1StringView(narrowText_.data() + from, size));
    }

    void append(QStringView text);
    void append(QLatin1StringView text)
    {
        // The usual case, kept short for loops of millions of rows: an eight-bit row into an
        // eight-bit column that has room for it and its end. With room, nothing moves, so the
        // text may be one of the column's own rows.
        const qsizetype size = text.size();
        if (!wide_ && !longEnds_ && narrowText_.room() >= size && ends32_.room() >= 1
            && narrowText_.size() + size <= kLongestShortEnd) {
            if (size > 0)
                std::memmove(narrowText_.grow(size), text.data(), static_cast<size_t>(size));
            ends32_.push(static_cast<quint32>(narrowText_.size()));
            ++rows_;
            return;
        }
        appendOtherwise(text);
    }
    // Room for that many more rows and characters in all, taken in one step.
    void reserve(qsizetype moreRows, qsizetype moreCharacters);
    // Room for a row of that many characters, its pages taken a slice at a time (PrepareRoom).
    void prepareRoom(qsizetype characters, const std::function<void()>& between);

    // Exchanges the texts of two rows; costs what the two rows hold, whatever lies between.
    void swap(qsizetype a, qsizetype b);
    void remove(qsizetype row);
    void clear();

    // The rows [from, to) as a column of their own, copied in one pass.
    TextColumn slice(qsizetype from, qsizetype to) const;
    // Removes the rows [from, to) and moves the rest up. A failure leaves the column as it was.
    void eraseRows(qsizetype from, qsizetype to);
    // Puts the rows of another column before row `at` (at the end when at is count()). A failure
    // leaves the column as it was.
    void insertRows(qsizetype at, const TextColumn& rows);
    // The memory the column holds, in bytes: the room its buffers have, used or not.
    qsizetype bytes() const;

private:
    qsizetype placeOf(qsizetype row) const
    {
        if (moved_.empty())
            return row;
        const auto found = moved_.find(row);
        return found == moved_.end() ? row : found->second;
    }
    qsizetype start(qsizetype place) const { return place == 0 ? 0 : end(place - 1); }
    qsizetype end(qsizetype place) const
    {
        return longEnds_ ? static_cast<qsizetype>(ends64_[place])
                         : static_cast<qsizetype>(ends32_[place]);
    }
    // Makes sure that the end of one more row, at that character, can be stored without
    // allocating; the characters come after, so a failure leaves no text without a row.
    void roomForEnd(qsizetype end);
    void appendOtherwise(QLatin1StringView text);
    static constexpr qsizetype kLongestShortEnd = std::numeric_limits<quint32>::max();
    void pushEnd(qsizetype end);
    // Adds delta to the ends of the places [from, to).
    void shiftEnds(qsizetype from, qsizetype to, qsizetype delta);
    // Exchanges the texts held by two places, moving the characters between them.
    void exchangePlaces(qsizetype a, qsizetype b);
    // Turns the buffer into UTF-16, with room for that many more characters.
    void widen(qsizetype more);
    // Switches to eight-byte row ends before the buffer passes what four bytes can hold.
    void allowEndsUpTo(qsizetype end);
    // Puts every row's text back in its own place, so that rows and places agree again.
    void settle();

    RawArray<char> narrowText_;
    RawArray<char16_t> wideText_;
    // Row ends take four bytes each until the buffer passes four billion characters.
    RawArray<quint32> ends32_;
    RawArray<quint64> ends64_;
    // Rows whose text sits in another row's place: row, place.
    std::unordered_map<qsizetype, qsizetype> moved_;
    qsizetype rows_ = 0;
    bool wide_ = false;
    bool longEnds_ = false;
};
