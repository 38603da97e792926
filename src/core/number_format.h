#pragma once

#include "core/laid_pattern.h"

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
    using Pattern = LaidPattern;
    const Pattern* patternFor(std::string_view text, qsizetype length) const
    {
        if (length < 0 || static_cast<std::size_t>(length) >= firstFit_.size())
            return nullptr;
        const Pattern* pattern = firstFit_[static_cast<std::size_t>(length)];
        return pattern != nullptr && LaidPattern::AllDigits(text) ? pattern : nullptr;
    }

    // The text as the rules leave it: the text itself, or it laid into scratch.
    std::string_view apply(std::string_view text, qsizetype length, std::string& scratch) const;

private:
    std::vector<Pattern> patterns_;
    // For each length up to the longest rule's: the pattern of the first rule with that length,
    // or none when there is no such rule or its pattern has no places.
    std::vector<const Pattern*> firstFit_;
};
