#pragma once

#include "app/engine/formatting_rules.h"
#include "input/line_reader.h"

#include <QByteArray>
#include <QString>

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
// writer. A rule whose length cannot be converted, or is not above zero, never fits; the
// command refuses such rules before it starts.
class FormattingPass final : public LineSink {
public:
    FormattingPass(const std::vector<RuleText>& rules, ResultWriter& writer);

    void bytesLine(std::string_view text, qsizetype length) override;

private:
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
    ResultWriter& writer_;
};
