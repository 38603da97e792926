#include "batch/formatting_pass.h"

#include "app/engine/digit_pattern.h"
#include "batch/result_writer.h"

#include <algorithm>

FormattingPass::FormattingPass(const std::vector<RuleText>& rules, ResultWriter& writer)
    : writer_(writer)
{
    std::vector<std::optional<int>> lengths;
    lengths.reserve(rules.size());
    patterns_.reserve(rules.size());
    int longest = 0;
    for (const RuleText& text : rules) {
        const FormattingRules::Rule rule = FormattingRules::make(text.length, text.pattern);
        const QByteArray utf8 = rule.pattern.toUtf8();
        patterns_.push_back({utf8.toStdString(), utf8.count('#')});
        lengths.push_back(rule.length);
        if (rule.length)
            longest = std::max(longest, *rule.length);
    }
    const auto count = static_cast<qsizetype>(rules.size());
    firstFit_.assign(static_cast<std::size_t>(longest) + 1, count);
    for (qsizetype k = count - 1; k >= 0; --k) {
        const std::optional<int>& length = lengths[static_cast<std::size_t>(k)];
        if (length && *length >= 0)
            firstFit_[static_cast<std::size_t>(*length)] = k;
    }
}

void FormattingPass::bytesLine(std::string_view text, qsizetype length)
{
    const auto count = static_cast<qsizetype>(patterns_.size());
    const qsizetype fit = length < static_cast<qsizetype>(firstFit_.size())
                              ? firstFit_[static_cast<std::size_t>(length)]
                              : count;
    if (fit == count) {
        writer_.add(text);
        return;
    }
    const Pattern& pattern = patterns_[static_cast<std::size_t>(fit)];
    const bool number = !text.empty() && std::all_of(text.begin(), text.end(), [](char c) {
        return c >= '0' && c <= '9';
    });
    if (!number || pattern.places == 0) {
        writer_.add(text);
        return;
    }
    const auto digits = static_cast<qsizetype>(text.size());
    char* at = writer_.beginResult(
        static_cast<std::size_t>(LaidSize(digits, pattern.size(), pattern.places)));
    writer_.endResult(LayDigitsInto(at, text, pattern.utf8, pattern.places));
}
