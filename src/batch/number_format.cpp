#include "batch/number_format.h"

#include "app/engine/digit_pattern.h"
#include "app/engine/formatting_rules.h"

#include <QByteArray>

#include <algorithm>

NumberFormat::NumberFormat(const std::vector<RuleText>& rules)
{
    std::vector<std::optional<int>> lengths;
    lengths.reserve(rules.size());
    patterns_.reserve(rules.size());
    int longest = 0;
    for (const RuleText& text : rules) {
        const FormattingRules::Rule rule = FormattingRules::make(text.length, text.pattern);
        const QByteArray utf8 = rule.pattern.toUtf8();
        Pattern pattern{utf8.toStdString(), utf8.count('#'), {}};
        for (std::size_t at = 0; at < pattern.utf8.size(); ++at)
            if (pattern.utf8[at] == '#')
                pattern.placeAt.push_back(at);
        pattern.laidWhole = pattern.utf8.size() <= pattern.padded.size();
        if (pattern.laidWhole) {
            std::copy(pattern.utf8.begin(), pattern.utf8.end(), pattern.padded.begin());
            std::copy(pattern.placeAt.begin(), pattern.placeAt.end(), pattern.shortPlaceAt.begin());
        }
        patterns_.push_back(std::move(pattern));
        lengths.push_back(rule.length);
        if (rule.length)
            longest = std::max(longest, *rule.length);
    }
    firstFit_.assign(static_cast<std::size_t>(longest) + 1, nullptr);
    for (std::size_t k = rules.size(); k-- > 0;)
        if (lengths[k] && *lengths[k] >= 0)
            firstFit_[static_cast<std::size_t>(*lengths[k])] =
                patterns_[k].places > 0 ? &patterns_[k] : nullptr;
}

std::size_t NumberFormat::laidSizeOtherwise(std::string_view digits, const Pattern& pattern)
{
    return static_cast<std::size_t>(LaidSize(static_cast<qsizetype>(digits.size()),
                                             static_cast<qsizetype>(pattern.utf8.size()),
                                             pattern.places));
}

char* NumberFormat::layOtherwise(char* at, std::string_view digits, const Pattern& pattern)
{
    // As many digits as places, as a rule's own length mostly gives: the pattern, each place
    // then taking its digit in order.
    if (static_cast<qsizetype>(digits.size()) == pattern.places) {
        std::copy(pattern.utf8.begin(), pattern.utf8.end(), at);
        for (std::size_t k = 0; k < digits.size(); ++k)
            at[pattern.placeAt[k]] = digits[k];
        return at + pattern.utf8.size();
    }
    return LayDigitsInto(at, digits, pattern.utf8, pattern.places);
}

std::string_view NumberFormat::apply(std::string_view text, qsizetype length,
                                     std::string& scratch) const
{
    const Pattern* pattern = patternFor(text, length);
    if (pattern == nullptr)
        return text;
    scratch.resize(laidSize(text, *pattern) + kSlack);
    const char* end = layInto(scratch.data(), text, *pattern);
    return {scratch.data(), static_cast<std::size_t>(end - scratch.data())};
}
