#include "app/lists/text_column.h"

#include <algorithm>
#include <limits>

namespace {

bool FitsEightBits(QStringView text)
{
    return std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 0x100; });
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

void TextColumn::pushEnd(qsizetype end)
{
    if (!longEnds_ && end > std::numeric_limits<quint32>::max()) {
        ends64_.reserve(ends32_.size() + 1);
        for (qsizetype i = 0; i < ends32_.size(); ++i)
            ends64_.push(ends32_[i]);
        ends32_.clear();
        longEnds_ = true;
    }
    if (longEnds_)
        ends64_.push(static_cast<quint64>(end));
    else
        ends32_.push(static_cast<quint32>(end));
    ++rows_;
}

void TextColumn::widen()
{
    wideText_.reserve(narrowText_.size() + narrowText_.size() / 2 + 16);
    char16_t* out = wideText_.grow(narrowText_.size());
    for (qsizetype i = 0; i < narrowText_.size(); ++i)
        out[i] = static_cast<unsigned char>(narrowText_[i]);
    narrowText_.clear();
    wide_ = true;
}

void TextColumn::append(QStringView text)
{
    if (!wide_ && !FitsEightBits(text))
        widen();
    if (wide_) {
        std::copy(text.utf16(), text.utf16() + text.size(), wideText_.grow(text.size()));
    } else {
        char* out = narrowText_.grow(text.size());
        for (const QChar c : text)
            *out++ = static_cast<char>(c.unicode());
    }
    pushEnd(characters());
}

void TextColumn::append(QLatin1StringView text)
{
    if (wide_) {
        char16_t* out = wideText_.grow(text.size());
        for (const char c : text)
            *out++ = static_cast<unsigned char>(c);
    } else if (!text.isEmpty()) {
        std::memcpy(narrowText_.grow(text.size()), text.data(), static_cast<size_t>(text.size()));
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

void TextColumn::shiftEnds(qsizetype from, qsizetype to, qsizetype delta)
{
    if (delta == 0)
        return;
    for (qsizetype row = from; row < to; ++row) {
        if (longEnds_)
            ends64_[row] = static_cast<quint64>(static_cast<qint64>(ends64_[row]) + delta);
        else
            ends32_[row] = static_cast<quint32>(static_cast<qint64>(ends32_[row]) + delta);
    }
}

void TextColumn::splice(qsizetype from, qsizetype to, QStringView text)
{
    if (!wide_ && !FitsEightBits(text))
        widen();
    const qsizetype delta = text.size() - (to - from);
    const auto place = [&](auto& buffer, auto convert) {
        if (delta > 0)
            buffer.open(to, delta);
        else if (delta < 0)
            buffer.erase(to + delta, -delta);
        for (qsizetype i = 0; i < text.size(); ++i)
            buffer[from + i] = convert(text[i]);
    };
    if (wide_)
        place(wideText_, [](QChar c) { return static_cast<char16_t>(c.unicode()); });
    else
        place(narrowText_, [](QChar c) { return static_cast<char>(c.unicode()); });
}

void TextColumn::set(qsizetype row, QStringView text)
{
    const qsizetype from = start(row);
    const qsizetype to = end(row);
    splice(from, to, text);
    shiftEnds(row, rows_, text.size() - (to - from));
}

void TextColumn::swap(qsizetype a, qsizetype b)
{
    if (a == b)
        return;
    if (a > b)
        std::swap(a, b);
    // Rewrites the span from row a to row b: b's text, the rows between, a's text.
    const QString first = at(a);
    const QString last = at(b);
    QString span = last;
    const qsizetype middleFrom = end(a);
    const qsizetype middleTo = start(b);
    if (wide_)
        span.append(QStringView(wideText_.data() + middleFrom, middleTo - middleFrom));
    else
        span.append(QLatin1StringView(narrowText_.data() + middleFrom, middleTo - middleFrom));
    span.append(first);
    splice(start(a), end(b), span);
    shiftEnds(a, b, last.size() - first.size());
}

void TextColumn::remove(qsizetype row)
{
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
    ends64_.reserve(ends32_.size());
    for (qsizetype i = 0; i < ends32_.size(); ++i)
        ends64_.push(ends32_[i]);
    ends32_.clear();
    longEnds_ = true;
}

TextColumn TextColumn::slice(qsizetype from, qsizetype to) const
{
    TextColumn part;
    if (from >= to)
        return part;
    const qsizetype first = start(from);
    const qsizetype size = end(to - 1) - first;
    part.wide_ = wide_;
    if (wide_)
        std::copy(wideText_.data() + first, wideText_.data() + first + size,
                  part.wideText_.grow(size));
    else if (size > 0)
        std::memcpy(part.narrowText_.grow(size), narrowText_.data() + first,
                    static_cast<size_t>(size));
    part.allowEndsUpTo(size);
    for (qsizetype row = from; row < to; ++row)
        part.pushEnd(end(row) - first);
    return part;
}

void TextColumn::eraseRows(qsizetype from, qsizetype to)
{
    if (from >= to)
        return;
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
    if (!wide_ && rows.wide_)
        widen();
    const qsizetype first = start(at);
    const qsizetype size = rows.characters();
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
    allowEndsUpTo(characters());
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
    return narrowText_.size() + wideText_.size() * qsizetype(sizeof(char16_t))
           + ends32_.size() * qsizetype(sizeof(quint32))
           + ends64_.size() * qsizetype(sizeof(quint64));
}
