#pragma once

#include <QtGlobal>

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <functional>
#include <new>
#include <type_traits>
#include <utility>

// Blocks for RawArray. A block of a megabyte or more is mapped from the kernel directly: it
// grows by remapping its pages, never by copying them (the C library's allocator would copy a
// block of up to 32 MB once it has raised its threshold for mapping), and is given back at once.
// A list's block asks for no huge pages, leaving their use to the system's setting: a list is
// written from its start to its end, and on a virtual machine a fresh huge page can cost the host
// far more to back than as many small ones. A zeroed table (Zeroed) asks for huge pages, as it is
// read and written at random.
namespace RawBlock {
// A block of newBytes, more than oldBytes, that starts with the old block's bytes; the old block
// is gone then. nullptr when there is no memory for it, and the old block is as it was.
void* Grow(void* block, size_t oldBytes, size_t newBytes);
void Free(void* block, size_t bytes);
// Has the system hand over the pages under bytes [from, to) of a block of blockBytes, as writing
// them would, without changing what they hold; false when it cannot (a block of the C library's,
// an old kernel), and nothing was done.
bool Populate(void* block, size_t blockBytes, size_t from, size_t to);
// A block of that many zero bytes; nullptr when there is no memory for it. A large block's pages
// are the kernel's zero pages until written, so taking it costs nothing until it is used.
void* Zeroed(size_t bytes);
}  // namespace RawBlock

// A growable array of plain values in one block (RawBlock): a list of ten million rows grows
// without a long pause.
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
    ~RawArray() { RawBlock::Free(data_, bytes(capacity_)); }

    qsizetype size() const { return size_; }
    // The values the block has room for: what it holds in memory.
    qsizetype capacity() const { return capacity_; }
    // How many more values fit without growing.
    qsizetype room() const { return capacity_ - size_; }
    T* data() { return data_; }
    const T* data() const { return data_; }
    T& operator[](qsizetype i) { return data_[i]; }
    const T& operator[](qsizetype i) const { return data_[i]; }

    void reserve(qsizetype wanted)
    {
        if (wanted <= capacity_)
            return;
        void* grown = RawBlock::Grow(data_, bytes(capacity_), bytes(wanted));
        if (grown == nullptr)
            throw std::bad_alloc();
        data_ = static_cast<T*>(grown);
        capacity_ = wanted;
    }
    // Has the pages under the room past the end, from..to values beyond it (as far as there is
    // room and it was not touched before), handed over by the system, or writes zeros over them,
    // so that they are the program's before a long copy lands in them.
    void touchRoom(qsizetype from, qsizetype to)
    {
        const qsizetype begin = std::max(size_ + from, touched_);
        const qsizetype end = std::min(size_ + to, capacity_);
        if (end > begin) {
            if (!RawBlock::Populate(data_, bytes(capacity_), bytes(begin), bytes(end)))
                std::memset(static_cast<void*>(data_ + begin), 0, bytes(end - begin));
            touched_ = end;
        }
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
        RawBlock::Free(data_, bytes(capacity_));
        data_ = nullptr;
        size_ = capacity_ = touched_ = 0;
    }
    void swap(RawArray& other) noexcept
    {
        std::swap(data_, other.data_);
        std::swap(size_, other.size_);
        std::swap(capacity_, other.capacity_);
        std::swap(touched_, other.touched_);
    }

private:
    static size_t bytes(qsizetype count) { return static_cast<size_t>(count) * sizeof(T); }

    T* data_ = nullptr;
    qsizetype size_ = 0;
    qsizetype capacity_ = 0;
    // The room up to here was touched by touchRoom; it moves with the block when it grows.
    qsizetype touched_ = 0;
};

// Makes room for that many more values and has the system hand over its pages a few megabytes
// at a time, calling between() after each slice but the last: a copy of tens of megabytes then
// lands in memory that is already the program's, and takes a fraction of the time. Whatever
// between() does to the array, the room is only ever written past its end. Without the memory
// nothing is done; the copy itself will say so.
// The memory long work takes or touches between two chances for window events: a few
// milliseconds' worth.
inline constexpr qsizetype kSliceBytes = qsizetype(4) << 20;

template <class T>
void PrepareRoom(RawArray<T>& array, qsizetype more, const std::function<void()>& between)
{
    constexpr qsizetype kSlice = kSliceBytes / qsizetype(sizeof(T));
    try {
        array.reserve(array.size() + more);
    } catch (const std::bad_alloc&) {
        return;
    }
    for (qsizetype done = 0; done < more; done += kSlice) {
        if (done > 0)
            between();
        array.touchRoom(done, std::min(more, done + kSlice));
    }
}
