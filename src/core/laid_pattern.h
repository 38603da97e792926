#pragma once

#include <QtGlobal>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

// A digit pattern made ready for laying many numbers into it, byte by byte: its bytes are
// eight-bit (Latin-1) or UTF-8 text in which "#" marks a digit place ("#" is never part of
// another UTF-8 character). Laying gives what ApplyDigitPattern gives, only faster: a short
// pattern with as many places as the number has digits is laid whole.
class LaidPattern {
public:
    explicit LaidPattern(std::string bytes);

    const std::string& bytes() const { return bytes_; }
    qsizetype places() const { return places_; }

    // Whether every byte is an ASCII digit (false for no bytes), eight at a time: in a word, a
    // byte below '0' borrows and one above '9' carries into its top bit, as every byte above 127
    // has it already; what a borrow or a carry does to the next byte no longer matters.
    static bool AllDigits(std::string_view text)
    {
        constexpr std::uint64_t kOnes = 0x0101010101010101ULL;
        const auto outside = [](std::uint64_t word) {
            return ((word - kOnes * '0') | (word + kOnes * (0x7F - '9')) | word) & (kOnes * 0x80);
        };
        const char* at = text.data();
        std::size_t left = text.size();
        std::uint64_t word = 0;
        if (left < 8) {
            // Four bytes from each end, overlapping: no call to copy a few bytes.
            if (left < 4)
                return left > 0
                       && std::all_of(at, at + left, [](char c) { return c >= '0' && c <= '9'; });
            std::uint32_t head = 0;
            std::uint32_t tail = 0;
            std::memcpy(&head, at, 4);
            std::memcpy(&tail, at + left - 4, 4);
            return outside(head | (std::uint64_t(tail) << 32)) == 0;
        }
        std::uint64_t found = 0;
        for (; left > 8; left -= 8, at += 8) {
            std::memcpy(&word, at, 8);
            found |= outside(word);
        }
        // The last eight, overlapping what was looked at already.
        std::memcpy(&word, at + left - 8, 8);
        return (found | outside(word)) == 0;
    }

    // Bytes that layInto may write past the end of what it lays.
    static constexpr std::size_t kSlack = 32;
    // The size of the digits (a plain digit string) laid into the pattern, which has places.
    std::size_t laidSize(std::string_view digits) const
    {
        return static_cast<qsizetype>(digits.size()) == places_ ? bytes_.size()
                                                                : laidSizeOtherwise(digits);
    }
    // Lays the digits at `at`, which has room for laidSize and kSlack more; returns the end.
    char* layInto(char* at, std::string_view digits) const
    {
        if (!laidWhole_ || static_cast<qsizetype>(digits.size()) != places_)
            return layOtherwise(at, digits);
        std::memcpy(at, padded_.data(), padded_.size());
        for (std::size_t k = 0; k < digits.size(); ++k)
            at[placeAt_[k]] = digits[k];
        return at + bytes_.size();
    }

private:
    std::size_t laidSizeOtherwise(std::string_view digits) const;
    char* layOtherwise(char* at, std::string_view digits) const;

    std::string bytes_;
    qsizetype places_ = 0;
    // A pattern of at most 32 bytes is laid whole when the number has as many digits as it has
    // places: its bytes, padded to the size written at once, and where each place stands.
    bool laidWhole_ = false;
    std::array<char, 32> padded_{};
    std::array<std::uint8_t, 32> placeAt_{};
};
