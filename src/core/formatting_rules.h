#pragma once

// Room core: digit patterns, rule lengths and rule matching.

#include "core/app_error.h"
#include "core/country_rule.h"
#include "core/laid_pattern.h"

#include <QString>

#include <optional>
#include <vector>

// The rule list as the formatting run reads it: each rule's length converted once and its
// pattern with every lowercase "x" turned into "#". The copy is remade whenever the rule list
// has changed, so a change made while the run yields takes effect at the next phone item.
class FormattingRules {
public:
    struct Rule {
        std::optional<int> length;  // none when the length text cannot be converted
        ErrorCode lengthError = ErrorCode::TypeMismatch;
        QString pattern;
        // Whether the pattern has a place for a digit: decided once, not for every number.
        bool hasPlaces = false;
        // The pattern in Latin-1, when every character of it fits, ready for eight-bit lists.
        std::optional<LaidPattern> narrowPattern;
        // A row whose first cell names a region reads numbers by that country's plan instead;
        // it has no length then.
        std::optional<CountryRule> country;
    };

    // Brings the copy up to date with the rule list (any list that counts its changes in a
    // revision: the one list model) and returns the rules in list order.
    template <class List> const std::vector<Rule>& read(const List& rules)
    {
        if (revision_ != rules.revision()) {
            rules_.clear();
            rules_.reserve(static_cast<std::size_t>(rules.count()));
            for (qsizetype row = 0; row < rules.count(); ++row)
                rules_.push_back(make(rules.text(row), rules.subItem(row, 1)));
            revision_ = rules.revision();
        }
        return rules_;
    }

    // One rule from its length text and its pattern as written (with "x" for the digits), or
    // from a region and a layout.
    static Rule make(QStringView lengthText, const QString& rulePattern);

private:
    std::vector<Rule> rules_;
    std::optional<quint64> revision_;
};

// The pattern handed to ApplyDigitPattern: every lowercase "x" becomes "#", case-sensitive.
QString DigitPlaces(const QString& rulePattern);
