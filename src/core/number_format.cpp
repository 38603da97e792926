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
    for (const RuleText& text : rules) {
        const FormattingRules::Rule rule = FormattingRules::make(text.length, text.pattern);
        patterns_.emplace_back(rule.pattern.toUtf8().toStdString());
        lengths.push_back(rule.length);
        if (rule.length)
            longest = std::max(longest, *rule.length);
    }
    firstFit_.assign(static_cast<std::size_t>(longest) + 1, nullptr);
    for (std::size_t k = rules.size(); k-- > 0;)
        if (lengths[k] && *lengths[k] >= 0)
            firstFit_[static_cast<std::size_t>(*lengths[k])] =
                patterns_[k].places() > 0 ? &patterns_[k] : nullptr;
}

std::string_view NumberFormat::apply(std::string_view text, qsizetype length,
                                     std::string& scratch) const
{
    const Pattern* pattern = patternFor(text, length);
    if (pattern == nullptr)
        return text;
    scratch.resize(pattern->laidSize(text) + LaidPattern::kSlack);
    const char* end = pattern->layInto(scratch.data(), text);
    return {scratch.data(), static_cast<std::size_t>(end - scratch.data())};
}
