#include "core/number_format.h"

#include "core/digit_pattern.h"
#include "core/formatting_rules.h"

#include <QByteArray>

#include <algorithm>
#include <optional>

NumberFormat::NumberFormat(const std::vector<RuleText>& rules)
{
    std::vector<std::optional<int>> lengths;
    lengths.reserve(rules.size());
    patterns_.reserve(rules.size());
    int longest = 0;
    std::vector<std::optional<CountryRule>> countries;
    countries.reserve(rules.size());
    for (const RuleText& text : rules) {
        const FormattingRules::Rule rule = FormattingRules::make(text.length, text.pattern);
        patterns_.emplace_back(rule.pattern.toUtf8().toStdString());
        countries.push_back(rule.country);
        lengths.push_back(rule.country ? std::nullopt : rule.length);
        if (lengths.back())
            longest = std::max(longest, *lengths.back());
    }
    if (std::any_of(countries.begin(), countries.end(),
                    [](const auto& c) { return c.has_value(); })) {
        ordered_.reserve(rules.size());
        for (std::size_t k = 0; k < rules.size(); ++k)
            ordered_.push_back(
                {countries[k], lengths[k], patterns_[k].places() > 0 ? &patterns_[k] : nullptr});
    }
    firstFit_.assign(static_cast<std::size_t>(longest) + 1, nullptr);
    for (std::size_t k = rules.size(); k-- > 0;)
        if (lengths[k] && *lengths[k] >= 0)
            firstFit_[static_cast<std::size_t>(*lengths[k])] =
                patterns_[k].places() > 0 ? &patterns_[k] : nullptr;
}

std::string_view NumberFormat::apply(std::string_view text, qsizetype length, std::string& scratch,
                                     std::string_view asWritten) const
{
    if (asWritten.data() == nullptr)
        asWritten = text;
    const Pattern* pattern = nullptr;
    if (!hasCountryRules()) {
        pattern = patternFor(text, length);
    } else {
        for (const Entry& entry : ordered_) {
            if (entry.country) {
                CountryOutcome outcome = ApplyCountryRule(*entry.country, asWritten);
                if (outcome.kind != CountryOutcome::Kind::Fitted)
                    continue;
                scratch = std::move(outcome.out);
                return scratch;
            }
            if (entry.length && *entry.length == length) {
                // The first rule of the length decides, as without country rules.
                if (entry.pattern != nullptr && LaidPattern::AllDigits(text))
                    pattern = entry.pattern;
                break;
            }
        }
    }
    if (pattern == nullptr)
        return text;
    scratch.resize(pattern->laidSize(text) + LaidPattern::kSlack);
    const char* end = pattern->layInto(scratch.data(), text);
    return {scratch.data(), static_cast<std::size_t>(end - scratch.data())};
}

bool NumberFormat::countryKey(std::string_view text, std::string& key) const
{
    for (const Entry& entry : ordered_) {
        if (!entry.country)
            continue;
        CountryOutcome outcome = ApplyCountryRule(*entry.country, text, WithKey::Yes);
        if (outcome.kind == CountryOutcome::Kind::Fitted) {
            key = std::move(outcome.key);
            return true;
        }
    }
    return false;
}
