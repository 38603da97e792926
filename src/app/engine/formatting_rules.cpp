#include "app/engine/formatting_rules.h"

#include "app/engine/decimal_number.h"
#include "app/lists/list_model.h"

#include <algorithm>

QString DigitPlaces(const QString& rulePattern)
{
    QString pattern = rulePattern;
    pattern.replace(QLatin1Char('x'), QLatin1Char('#'), Qt::CaseSensitive);
    return pattern;
}

void FormattingRules::reload(const ListModel& rules)
{
    rules_.clear();
    rules_.reserve(static_cast<size_t>(rules.count()));
    for (qsizetype row = 0; row < rules.count(); ++row)
        rules_.push_back(make(rules.text(row), rules.subItem(row, 1)));
    revision_ = rules.revision();
}

FormattingRules::Rule FormattingRules::make(QStringView lengthText, const QString& rulePattern)
{
    Rule rule;
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
