#pragma once

#include "core/country_rule.h"
#include "core/laid_pattern.h"

#include <QString>

#include <optional>
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
// before it starts. A row whose first cell names a region is a country rule: it fits a valid
// number of its country, and the rules are then tried in their order, each kind as it reads.
class NumberFormat {
public:
    explicit NumberFormat(const std::vector<RuleText>& rules);

    // Whether any rule is a country rule: only length rules leave patternFor the whole answer.
    bool hasCountryRules() const { return !ordered_.empty(); }

    // For length rules alone: the pattern the text is laid into (a plain string of ASCII
    // digits whose length a rule fits, the rule's pattern having digit places), or nullptr
    // when it stays as it is. length counts UTF-16 units, as the lists count characters.
    using Pattern = LaidPattern;
    const Pattern* patternFor(std::string_view text, qsizetype length) const
    {
        if (length < 0 || static_cast<std::size_t>(length) >= firstFit_.size())
            return nullptr;
        const Pattern* pattern = firstFit_[static_cast<std::size_t>(length)];
        return pattern != nullptr && LaidPattern::AllDigits(text) ? pattern : nullptr;
    }

    // The text as the rules leave it: the text itself, or it laid into scratch. asWritten is
    // the text before it was tidied, when it was: country rules read a number as it was
    // written, "+" and all, and length rules the digits tidying left.
    std::string_view apply(std::string_view text, qsizetype length, std::string& scratch,
                           std::string_view asWritten = {}) const;

    // The key that tells a number read by a country rule from every other, into key: its E.164
    // form and extension, which begins with the "+" no other kind of key begins with. False
    // when no country rule reads the text.
    bool countryKey(std::string_view text, std::string& key) const;

private:
    // A rule in the list's order, when country rules are among them.
    struct Entry {
        std::optional<CountryRule> country;
        std::optional<int> length;
        const Pattern* pattern = nullptr;
    };

    std::vector<Pattern> patterns_;
    std::vector<Entry> ordered_;
    // For each length up to the longest rule's: the pattern of the first rule with that length,
    // or none when there is no such rule or its pattern has no places.
    std::vector<const Pattern*> firstFit_;
};
