#pragma once

#include <QStringView>
#include <QtGlobal>

#include <cstring>
#include <type_traits>

// Checks over texts of any length, a machine word at a time: a row of fifty megabytes is
// looked through in a few milliseconds. And where such a text may be cut into pieces.

// Every bit set anywhere among the characters: whole words first, then the last few characters
// in the low bits, so that a mask of the bits that must stay clear in every character tells.
template <class Char> quint64 BitsOf(const Char* at, qsizetype size)
{
    constexpr qsizetype kPerWord = sizeof(quint64) / sizeof(Char);
    quint64 bits = 0;
    qsizetype i = 0;
    for (; size - i >= kPerWord; i += kPerWord) {
        quint64 word = 0;
        std::memcpy(&word, at + i, sizeof word);
        bits |= word;
    }
    for (; i < size; ++i)
        bits |= static_cast<std::make_unsigned_t<Char>>(at[i]);
    return bits;
}

// Where a piece of at most `units` UTF-16 units from `from` on ends without cutting a surrogate
// pair in two; a piece holds at least one unit.
inline qsizetype PieceEnd(QStringView text, qsizetype from, qsizetype units)
{
    qsizetype end = text.size() - from > units ? from + units : text.size();
    if (end < text.size() && end - 1 > from && text[end - 1].isHighSurrogate())
        --end;
    return end;
}

// Whether every byte is below 128.
inline bool IsAscii(const char* at, qsizetype size)
{
    return (BitsOf(at, size) & 0x8080808080808080ULL) == 0;
}

// Whether every character fits in eight bits.
inline bool FitsEightBits(QStringView text)
{
    return (BitsOf(text.utf16(), text.size()) & 0xFF00FF00FF00FF00ULL) == 0;
}
