#pragma once

#include "app/engine/formatting_rules.h"
#include "batch/phone_line_reader.h"

#include <QByteArray>
#include <QString>

#include <functional>
#include <string>
#include <vector>

class ResultWriter;

// A rule as it was given: its length text and its pattern with "x" for the digits.
struct RuleText {
    QString length;
    QString pattern;
};

// The formatting run over phone items as they stream past: each is laid into the pattern of
// the first rule whose length equals its length, or passed on unchanged, and handed to the
// writer. A rule whose length cannot be converted is reported once, when an item first reaches
// it, with the run's own words, and never fits.
class FormattingPass final : public PhoneLineSink {
public:
    // report receives the number of the rule (from 1), its length text and the failure.
    using Report = std::function<void(qsizetype rule, const QString& length, const QString& why)>;

    FormattingPass(const std::vector<RuleText>& rules, ResultWriter& writer, Report report);

    void phoneLine(std::string_view text, qsizetype length) override;

private:
    std::vector<RuleText> texts_;
    std::vector<FormattingRules::Rule> rules_;
    // The patterns in UTF-8: "#" is one byte and never part of another character, so the
    // digits are laid into the bytes as they are.
    struct Pattern {
        std::string utf8;
        qsizetype places = 0;
        qsizetype size() const { return static_cast<qsizetype>(utf8.size()); }
    };
    std::vector<Pattern> patterns_;
    // For each length up to the longest rule's: the first rule with that length, or the count.
    std::vector<qsizetype> firstFit_;
    // The rules that never fit, in order, and how many of them have been reported.
    std::vector<qsizetype> unfit_;
    std::size_t reported_ = 0;
    ResultWriter& writer_;
    Report report_;
};
