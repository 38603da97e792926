#include "core/formatting_rules.h"

#include "core/decimal_number.h"

#include <algorithm>

QString DigitPlaces(const QString& rulePattern)
{
    QString pattern = rulePattern;
    pattern.replace(QLatin1Char('x'), QLatin1Char('#'), Qt::CaseSensitive);
    return pattern;
}

FormattingRules::Rule FormattingRules::make(QStringView lengthText, const QString& rulePattern)
{
    Rule rule;
    if (CountryRule::looksLikeRegion(lengthText))
        rule.country = CountryRule::fromCells(lengthText, rulePattern).rule;
    try {
        rule.length = RuleLengthValue(lengthText);
    } catch (const AppError& error) {
        rule.lengthError = error.code();
    }
    rule.pattern = DigitPlaces(rulePattern);
    rule.hasPlaces = rule.pattern.contains(QLatin1Char('#'));
    if (std::all_of(rule.pattern.begin(), rule.pattern.end(),
                    [](QChar c) { return c.unicode() < 0x100; }))
        rule.narrowPattern.emplace(rule.pattern.toLatin1().toStdString());
    return rule;
}
