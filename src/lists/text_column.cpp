#include "lists/text_column.h"

#include "lists/text_checks.h"

#include <algorithm>
#include <functional>
#include <limits>

namespace {

// Where a text lies in the buffer, when it is a view of the buffer itself: its offset, so it can
// be found again after the buffer has grown and moved. -1 for any other text.
template <class Char> qsizetype OffsetIn(const RawArray<Char>& buffer, const void* text)
{
    const auto* at = static_cast<const Char*>(text);
    const std::less<const Char*> before;
    if (buffer.size() == 0 || before(at, buffer.data())
        || !before(at, buffer.data() + buffer.size()))
        return -1;
    return at - buffer.data();
}

}  // namespace

QString TextColumn::at(qsizetype row) const
{
    QString text;
    read(row, text);
    return text;
}

void TextColumn::read(qsizetype row, QString& into) const
{
    into.resize(0);  // keeps the storage, unlike clear()
    appendTo(into, row);
}

void TextColumn::appendTo(QString& out, qsizetype row) const
{
    visit(row, [&out](auto text) { out.append(text); });
}

void TextColumn::roomForEnd(qsizetype end)
{
    if (!longEnds_ && end > kLongestShortEnd) {
        RawArray<quint64> wider;
        wider.reserve(ends32_.size() + 1);
        for (qsizetype i = 0; i < ends32_.size(); ++i)
            wider.push(ends32_[i]);
        ends64_.swap(wider);
        ends32_.clear();
        longEnds_ = true;
    }
    if (longEnds_)
        ends64_.makeRoom(1);
    else
        ends32_.makeRoom(1);
}

void TextColumn::pushEnd(qsizetype end)
{
    if (longEnds_)
        ends64_.push(static_cast<quint64>(end));
    else
        ends32_.push(static_cast<quint32>(end));
    ++rows_;
}

void TextColumn::widen(qsizetype more)
{
    RawArray<char16_t> wider;
    wider.reserve(narrowText_.size() + std::max(more, narrowText_.size() / 2 + 16));
    char16_t* out = wider.grow(narrowText_.size());
    for (qsizetype i = 0; i < narrowText_.size(); ++i)
        out[i] = static_cast<unsigned char>(narrowText_[i]);
    wideText_.swap(wider);
    narrowText_.clear();
    wide_ = true;
}

void TextColumn::append(QStringView text)
{
    const qsizetype size = text.size();
    roomForEnd(characters() + size);
    if (!wide_ && !FitsEightBits(text))
        widen(size);
    if (wide_) {
        const qsizetype own = OffsetIn(wideText_, text.utf16());
        wideText_.makeRoom(size);
        const char16_t* from = own < 0 ? text.utf16() : wideText_.data() + own;
        std::copy(from, from + size, wideText_.grow(size));
    } else {
        char* const out = narrowText_.grow(size);
        const char16_t* const from = text.utf16();
        for (qsizetype i = 0; i < size; ++i)
            out[i] = static_cast<char>(from[i]);
    }
    pushEnd(characters());
}

void TextColumn::appendOtherwise(QLatin1StringView text)
{
    const qsizetype size = text.size();
    roomForEnd(characters() + size);
    if (wide_) {
        char16_t* out = wideText_.grow(size);
        for (const char c : text)
            *out++ = static_cast<unsigned char>(c);
    } else if (size > 0) {
        const qsizetype own = OffsetIn(narrowText_, text.data());
        narrowText_.makeRoom(size);
        const char* from = own < 0 ? text.data() : narrowText_.data() + own;
        std::memmove(narrowText_.grow(size), from, static_cast<size_t>(size));
    }
    pushEnd(characters());
}

void TextColumn::reserve(qsizetype moreRows, qsizetype moreCharacters)
{
    if (longEnds_)
        ends64_.reserve(rows_ + moreRows);
    else
        ends32_.reserve(rows_ + moreRows);
    if (wide_)
        wideText_.reserve(wideText_.size() + moreCharacters);
    else
        narrowText_.reserve(narrowText_.size() + moreCharacters);
}

void TextColumn::prepareRoom(qsizetype characters, const std::function<void()>& between)
{
    if (wide_)
        PrepareRoom(wideText_, characters, between);
    else
        PrepareRoom(narrowText_, characters, between);
}

void TextColumn::shiftEnds(qsizetype from, qsizetype to, qsizetype delta)
{
    if (delta == 0)
        return;
    for (qsizetype place = from; place < to; ++place) {
        if (longEnds_)
            ends64_[place] = static_cast<quint64>(static_cast<qint64>(ends64_[place]) + delta);
        else
            ends32_[place] = static_cast<quint32>(static_cast<qint64>(ends32_[place]) + delta);
    }
}

void TextColumn::swap(qsizetype a, qsizetype b)
{
    if (a == b)
        return;
    const qsizetype placeA = placeOf(a);
    const qsizetype placeB = placeOf(b);
    const qsizetype fromA = start(placeA);
    const qsizetype fromB = start(placeB);
    const qsizetype size = end(placeA) - fromA;
    if (size == end(placeB) - fromB) {
        // Texts of one length (most phone numbers) change places character by character.
        const auto exchange = [&](auto& buffer) {
            std::swap_ranges(buffer.data() + fromA, buffer.data() + fromA + size,
                             buffer.data() + fromB);
        };
        if (wide_)
            exchange(wideText_);
        else
            exchange(narrowText_);
        return;
    }
    // Entries for both rows first, holding what they hold now: if that fails, nothing changed.
    moved_.try_emplace(a, placeA);
    moved_.try_emplace(b, placeB);
    moved_[a] = placeB;
    moved_[b] = placeA;
    if (placeB == a)
        moved_.erase(a);
    if (placeA == b)
        moved_.erase(b);
}

void TextColumn::exchangePlaces(qsizetype a, qsizetype b)
{
    const qsizetype low = std::min(a, b);
    const qsizetype high = std::max(a, b);
    const qsizetype from = start(low);
    const qsizetype lowSize = end(low) - from;
    const qsizetype highSize = end(high) - start(high);
    // The span low text, middle, high text becomes high text, middle, low text in place: the
    // whole span reversed, then each of the three parts reversed back.
    const auto turn = [&](auto& buffer) {
        auto* first = buffer.data() + from;
        auto* last = buffer.data() + end(high);
        std::reverse(first, last);
        std::reverse(first, first + highSize);
        std::reverse(first + highSize, last - lowSize);
        std::reverse(last - lowSize, last);
    };
    if (wide_)
        turn(wideText_);
    else
        turn(narrowText_);
    shiftEnds(low, high, highSize - lowSize);
}

void TextColumn::remove(qsizetype row)
{
    if (!moved_.empty()) {
        // What leaves must be the row's own place, or every row between it and the place of
        // its text would need an entry. So its text goes home first, and the row that held its
        // place takes the place its text leaves. The table after the removal is made before
        // anything changes, so running out of memory leaves the column as it was.
        const qsizetype place = placeOf(row);
        qsizetype guest = row;
        for (const auto& [moving, at] : moved_)
            if (at == row)
                guest = moving;
        std::unordered_map<qsizetype, qsizetype> renumbered;
        renumbered.reserve(moved_.size());
        for (const auto& [moving, at] : moved_) {
            if (moving == row)
                continue;
            const qsizetype target = moving == guest ? place : at;
            const qsizetype newRow = moving > row ? moving - 1 : moving;
            const qsizetype newPlace = target > row ? target - 1 : target;
            if (newRow != newPlace)
                renumbered.emplace(newRow, newPlace);
        }
        if (place != row)
            exchangePlaces(row, place);
        moved_.swap(renumbered);
    }
    const qsizetype from = start(row);
    const qsizetype size = end(row) - from;
    if (wide_)
        wideText_.erase(from, size);
    else
        narrowText_.erase(from, size);
    if (longEnds_)
        ends64_.erase(row, 1);
    else
        ends32_.erase(row, 1);
    --rows_;
    shiftEnds(row, rows_, -size);
}

void TextColumn::clear()
{
    *this = TextColumn();
}

void TextColumn::allowEndsUpTo(qsizetype end)
{
    if (longEnds_ || end <= std::numeric_limits<quint32>::max())
        return;
    RawArray<quint64> wider;
    wider.reserve(ends32_.size());
    for (qsizetype i = 0; i < ends32_.size(); ++i)
        wider.push(ends32_[i]);
    ends64_.swap(wider);
    ends32_.clear();
    longEnds_ = true;
}

void TextColumn::settle()
{
    if (moved_.empty())
        return;
    // Built aside and swapped in, so running out of memory leaves the column as it was.
    TextColumn ordered = slice(0, rows_);
    *this = std::move(ordered);
}

TextColumn TextColumn::slice(qsizetype from, qsizetype to) const
{
    TextColumn part;
    if (from >= to)
        return part;
    part.wide_ = wide_;
    if (!moved_.empty()) {
        // Some rows sit in other places: copied one by one, in row order.
        qsizetype size = 0;
        for (qsizetype row = from; row < to; ++row) {
            const qsizetype place = placeOf(row);
            size += end(place) - start(place);
        }
        part.reserve(to - from, size);
        for (qsizetype row = from; row < to; ++row)
            visit(row, [&part](auto text) { part.append(text); });
        return part;
    }
    const qsizetype first = start(from);
    const qsizetype size = end(to - 1) - first;
    part.allowEndsUpTo(size);
    part.reserve(to - from, size);
    if (wide_)
        std::copy(wideText_.data() + first, wideText_.data() + first + size,
                  part.wideText_.grow(size));
    else if (size > 0)
        std::memcpy(part.narrowText_.grow(size), narrowText_.data() + first,
                    static_cast<size_t>(size));
    for (qsizetype row = from; row < to; ++row)
        part.pushEnd(end(row) - first);
    return part;
}

void TextColumn::eraseRows(qsizetype from, qsizetype to)
{
    if (from >= to)
        return;
    settle();
    const qsizetype first = start(from);
    const qsizetype size = end(to - 1) - first;
    if (wide_)
        wideText_.erase(first, size);
    else
        narrowText_.erase(first, size);
    if (longEnds_)
        ends64_.erase(from, to - from);
    else
        ends32_.erase(from, to - from);
    rows_ -= to - from;
    shiftEnds(from, rows_, -size);
}

void TextColumn::insertRows(qsizetype at, const TextColumn& rows)
{
    if (rows.rows_ == 0)
        return;
    if (!rows.moved_.empty()) {
        insertRows(at, rows.slice(0, rows.rows_));
        return;
    }
    settle();
    const qsizetype size = rows.characters();
    // Every allocation comes first; after them nothing can fail, so a failure leaves the rows
    // as they were (at most held in a wider form).
    allowEndsUpTo(characters() + size);
    if (longEnds_)
        ends64_.reserve(rows_ + rows.rows_);
    else
        ends32_.reserve(rows_ + rows.rows_);
    if (!wide_ && rows.wide_)
        widen(size);
    if (wide_)
        wideText_.reserve(wideText_.size() + size);
    else
        narrowText_.reserve(narrowText_.size() + size);

    const qsizetype first = start(at);
    if (wide_) {
        wideText_.open(first, size);
        char16_t* out = wideText_.data() + first;
        if (rows.wide_)
            std::copy(rows.wideText_.data(), rows.wideText_.data() + size, out);
        else
            for (qsizetype i = 0; i < size; ++i)
                out[i] = static_cast<unsigned char>(rows.narrowText_[i]);
    } else if (size > 0) {
        narrowText_.open(first, size);
        std::memcpy(narrowText_.data() + first, rows.narrowText_.data(), static_cast<size_t>(size));
    }
    const auto place = [&](auto& ends) {
        ends.open(at, rows.rows_);
        for (qsizetype i = 0; i < rows.rows_; ++i)
            ends[at + i] =
                static_cast<std::remove_reference_t<decltype(ends[0])>>(first + rows.end(i));
    };
    if (longEnds_)
        place(ends64_);
    else
        place(ends32_);
    rows_ += rows.rows_;
    shiftEnds(at + rows.rows_, rows_, size);
}

qsizetype TextColumn::bytes() const
{
    // A table entry is a node of two numbers and the allocator's own words beside them.
    constexpr qsizetype kMovedEntry =
        2 * qsizetype(sizeof(qsizetype)) + 4 * qsizetype(sizeof(void*));
    return narrowText_.capacity() + wideText_.capacity() * qsizetype(sizeof(char16_t))
           + ends32_.capacity() * qsizetype(sizeof(quint32))
           + ends64_.capacity() * qsizetype(sizeof(quint64))
           + static_cast<qsizetype>(moved_.size()) * kMovedEntry
           + static_cast<qsizetype>(moved_.bucket_count() * sizeof(void*));
}
