#pragma once

#include <QString>

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
        std::vector<std::size_t> placeAt;  // where each place stands in utf8
    };
    const Pattern* patternFor(std::string_view text, qsizetype length) const;

    // The size of the text laid into the pattern, and the laying itself; returns the end.
    static std::size_t laidSize(std::string_view digits, const Pattern& pattern);
    static char* layInto(char* at, std::string_view digits, const Pattern& pattern);

    // The text as the rules leave it: the text itself, or it laid into scratch.
    std::string_view apply(std::string_view text, qsizetype length, std::string& scratch) const;

private:
    std::vector<Pattern> patterns_;
    // For each length up to the longest rule's: the first rule with that length, or none.
    std::vector<const Pattern*> firstFit_;
};
