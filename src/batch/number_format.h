#pragma once

#include <QString>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

// A rule as it was given: its length text and its pattern with "x" for the digits.
struct RuleText {
    QString length;
    QString pattern;
};

// The rules as formatting without a window applies them to UTF-8 texts: a text is laid into
// the pattern of the first rule whose length equals its length, or stays as it is. A rule whose
// length cannot be converted, or is not above zero, never fits; the command refuses such rules
// before it starts.
class NumberFormat {
public:
    explicit NumberFormat(const std::vector<RuleText>& rules);

    // The pattern the text is laid into (a plain string of ASCII digits whose length a rule
    // fits, the rule's pattern having digit places), or nullptr when it stays as it is.
    // length counts UTF-16 units, as the lists count characters.
    struct Pattern {
        std::string utf8;  // "#" for each digit place: one byte, never part of another character
        qsizetype places = 0;
        // A short pattern with as many places as digits is laid whole: its bytes, padded to the
        // size the layer writes at once, and where each place stands.
        bool laidWhole = false;
        std::array<char, 32> padded{};
        std::array<std::uint8_t, 32> shortPlaceAt{};
        // Where the processor can shuffle bytes, a pattern of at most sixteen bytes with four to
        // sixteen places is laid by one shuffle: where each of its bytes comes from among the
        // digits as they are loaded (0x80: none), and its own bytes.
        bool shuffled = false;
        std::array<std::uint8_t, 16> from{};
        std::array<char, 16> own{};
    };
    const Pattern* patternFor(std::string_view text, qsizetype length) const
    {
        if (length < 0 || static_cast<std::size_t>(length) >= firstFit_.size() || text.empty())
            return nullptr;
        const Pattern* pattern = firstFit_[static_cast<std::size_t>(length)];
        return pattern != nullptr && AllDigits(text) ? pattern : nullptr;
    }

    // Bytes that layInto may write past the end of what it lays.
    static constexpr std::size_t kSlack = 32;
    // The size of the text laid into the pattern, and the laying itself; returns the end.
    static std::size_t laidSize(std::string_view digits, const Pattern& pattern)
    {
        return static_cast<qsizetype>(digits.size()) == pattern.places
                   ? pattern.utf8.size()
                   : laidSizeOtherwise(digits, pattern);
    }
    static char* layInto(char* at, std::string_view digits, const Pattern& pattern)
    {
        if (!pattern.laidWhole || static_cast<qsizetype>(digits.size()) != pattern.places)
            return layOtherwise(at, digits, pattern);
        if (pattern.shuffled)
            return layShuffled(at, digits, pattern);
        std::memcpy(at, pattern.padded.data(), pattern.padded.size());
        for (std::size_t k = 0; k < digits.size(); ++k)
            at[pattern.shortPlaceAt[k]] = digits[k];
        return at + pattern.utf8.size();
    }

    // The text as the rules leave it: the text itself, or it laid into scratch.
    std::string_view apply(std::string_view text, qsizetype length, std::string& scratch) const;

private:
    // Whether every byte is an ASCII digit, eight at a time: in a word, a byte below '0' borrows
    // and one above '9' carries into its top bit, as every byte above 127 has it already; what
    // a borrow or a carry does to the next byte no longer matters.
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
                return std::all_of(at, at + left, [](char c) { return c >= '0' && c <= '9'; });
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
    static std::size_t laidSizeOtherwise(std::string_view digits, const Pattern& pattern);
    static char* layOtherwise(char* at, std::string_view digits, const Pattern& pattern);
    static char* layShuffled(char* at, std::string_view digits, const Pattern& pattern);

    std::vector<Pattern> patterns_;
    // For each length up to the longest rule's: the pattern of the first rule with that length,
    // or none when there is no such rule or its pattern has no places.
    std::vector<const Pattern*> firstFit_;
};
