#include "batch/formatting_pass.h"

#include "app/engine/digit_pattern.h"
#include "batch/result_writer.h"

#include <algorithm>

FormattingPass::FormattingPass(const std::vector<RuleText>& rules, ResultWriter& writer,
                               Report report)
    : texts_(rules), writer_(writer), report_(std::move(report))
{
    int longest = 0;
    for (const RuleText& text : rules) {
        FormattingRules::Rule rule = FormattingRules::make(text.length, text.pattern);
        const QByteArray utf8 = rule.pattern.toUtf8();
        patterns_.push_back({utf8.toStdString(), utf8.count('#')});
        if (!rule.length)
            unfit_.push_back(static_cast<qsizetype>(rules_.size()));
        else
            longest = std::max(longest, *rule.length);
        rules_.push_back(std::move(rule));
    }
    const auto count = static_cast<qsizetype>(rules_.size());
    firstFit_.assign(static_cast<std::size_t>(longest) + 1, count);
    for (qsizetype k = count - 1; k >= 0; --k) {
        const std::optional<int>& length = rules_[static_cast<std::size_t>(k)].length;
        if (length && *length >= 0)
            firstFit_[static_cast<std::size_t>(*length)] = k;
    }
}

void FormattingPass::phoneLine(std::string_view text, qsizetype length)
{
    const auto count = static_cast<qsizetype>(rules_.size());
    const qsizetype fit = length < static_cast<qsizetype>(firstFit_.size())
                              ? firstFit_[static_cast<std::size_t>(length)]
                              : count;
    // Every rule before the one that fits has been looked at.
    while (reported_ < unfit_.size() && unfit_[reported_] < fit) {
        const auto k = static_cast<std::size_t>(unfit_[reported_++]);
        report_(static_cast<qsizetype>(k) + 1, texts_[k].length,
                ErrorDescription(rules_[k].lengthError));
    }
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
