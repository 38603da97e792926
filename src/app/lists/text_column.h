#pragma once

#include <QLatin1StringView>
#include <QString>
#include <QStringView>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>
#include <type_traits>
#include <unordered_map>

// A growable array of plain values in one malloc'd block. Large blocks grow by realloc, which
// the C library does by remapping pages rather than copying, so a list of ten million rows
// grows without a long pause.
template <class T> class RawArray {
    static_assert(std::is_trivially_copyable_v<T>);

public:
    RawArray() = default;
    RawArray(const RawArray&) = delete;
    RawArray& operator=(const RawArray&) = delete;
    RawArray(RawArray&& other) noexcept { swap(other); }
    RawArray& operator=(RawArray&& other) noexcept
    {
        RawArray(std::move(other)).swap(*this);
        return *this;
    }
    ~RawArray() { std::free(data_); }

    qsizetype size() const { return size_; }
    T* data() { return data_; }
    const T* data() const { return data_; }
    T& operator[](qsizetype i) { return data_[i]; }
    const T& operator[](qsizetype i) const { return data_[i]; }

    void reserve(qsizetype wanted)
    {
        if (wanted <= capacity_)
            return;
        void* grown = std::realloc(data_, static_cast<size_t>(wanted) * sizeof(T));
        if (grown == nullptr)
            throw std::bad_alloc();
        data_ = static_cast<T*>(grown);
        capacity_ = wanted;
    }
    // Room for more, growing by half again at least, so appends stay linear.
    void makeRoom(qsizetype more)
    {
        if (size_ + more > capacity_)
            reserve(std::max(size_ + more, capacity_ + capacity_ / 2 + 16));
    }
    void push(T value)
    {
        makeRoom(1);
        data_[size_++] = value;
    }
    T* grow(qsizetype more)
    {
        makeRoom(more);
        T* at = data_ + size_;
        size_ += more;
        return at;
    }
    // Removes [at, at + count) and moves the rest down.
    void erase(qsizetype at, qsizetype count)
    {
        if (count == 0)
            return;
        std::memmove(data_ + at, data_ + at + count,
                     static_cast<size_t>(size_ - at - count) * sizeof(T));
        size_ -= count;
    }
    // Makes [at, at + count) a gap of unset values, moving the rest up.
    void open(qsizetype at, qsizetype count)
    {
        if (count == 0)
            return;
        grow(count);
        std::memmove(data_ + at + count, data_ + at,
                     static_cast<size_t>(size_ - count - at) * sizeof(T));
    }
    // Forgets everything from size on.
    void truncate(qsizetype size) { size_ = std::min(size_, size); }
    void clear()
    {
        std::free(data_);
        data_ = nullptr;
        size_ = capacity_ = 0;
    }
    void swap(RawArray& other) noexcept
    {
        std::swap(data_, other.data_);
        std::swap(size_, other.size_);
        std::swap(capacity_, other.capacity_);
    }

private:
    T* data_ = nullptr;
    qsizetype size_ = 0;
    qsizetype capacity_ = 0;
};

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
    void append(QLatin1StringView text);
    // Room for that many more rows and characters in all, taken in one step.
    void reserve(qsizetype moreRows, qsizetype moreCharacters);

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
    // The memory the column holds for its texts and row ends, in bytes.
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
