#include "files/rule_file.h"

#include "core/country_rule.h"
#include "core/decimal_number.h"
#include "files/file_system.h"
#include "files/text_lines.h"

#include <QStringList>
#include <QStringView>

#include <algorithm>
#include <optional>

namespace RuleFile {

namespace {

// The rule list's column captions, as the aligned save writes them on its first line.
constexpr QStringView kLengthCaption = u"If length of phone number is this";
constexpr QStringView kPatternCaption = u"then format like this";

QStringView WithoutTrailingSpaces(QStringView cell)
{
    qsizetype end = cell.size();
    while (end > 0 && cell[end - 1] == QLatin1Char(' '))
        --end;
    return cell.first(end);
}

bool IsBlank(QStringView line)
{
    return std::all_of(line.begin(), line.end(),
                       [](QChar c) { return c == QLatin1Char(' ') || c == QLatin1Char('\t'); });
}

// What a line is; every kind after Ignored is a reason for skipping it.
enum class LineKind {
    Rule,
    Ignored,
    SpaceForTab,
    NoTab,
    NotANumber,
    NoPattern,
    TextAfter,
    NoCountryRule
};

QString Reason(LineKind kind)
{
    switch (kind) {
    case LineKind::SpaceForTab: return QStringLiteral("a space where the TAB should be");
    case LineKind::NoTab: return QStringLiteral("no TAB between the length and the pattern");
    case LineKind::NotANumber: return QStringLiteral("a length that is not a number");
    case LineKind::NoPattern: return QStringLiteral("no pattern after the TAB");
    case LineKind::TextAfter: return QStringLiteral("more after the pattern's closing TAB");
    case LineKind::NoCountryRule:
        return QStringLiteral("a region or layout the country rules do not know");
    case LineKind::Rule:
    case LineKind::Ignored: break;
    }
    return {};
}

LineKind ReadLine(QStringView line, Rule& rule)
{
    if (IsBlank(line))
        return LineKind::Ignored;
    const qsizetype tab = line.indexOf(QLatin1Char('\t'));
    if (tab < 0) {
        // "10 xxx-xxxx": a number, then a space, then more.
        const QStringView trimmed = line.trimmed();
        const qsizetype space = trimmed.indexOf(QLatin1Char(' '));
        return space > 0 && IsNumeric(trimmed.first(space)) ? LineKind::SpaceForTab
                                                            : LineKind::NoTab;
    }
    const QStringView length = WithoutTrailingSpaces(line.first(tab));
    QStringView rest = line.sliced(tab + 1);
    const qsizetype next = rest.indexOf(QLatin1Char('\t'));
    const QStringView pattern = WithoutTrailingSpaces(next < 0 ? rest : rest.first(next));
    // Past the pattern only the aligned save's closing TAB may follow: a further TAB starts a
    // cell that no rule has.
    if (next >= 0 && next + 1 < rest.size())
        return LineKind::TextAfter;
    if (length == kLengthCaption && pattern == kPatternCaption)
        return LineKind::Ignored;
    // A country rule: a region or "+", then a layout ("GB<TAB>national").
    if (CountryRule::looksLikeRegion(length)) {
        if (!CountryRule::fromCells(length, pattern).rule)
            return LineKind::NoCountryRule;
        rule.length = length.toString();
        rule.pattern = pattern.toString();
        return LineKind::Rule;
    }
    if (!IsNumeric(length))
        return LineKind::NotANumber;
    // Only spaces count as blank, as in the pattern input box; padding is gone already.
    if (pattern.isEmpty())
        return LineKind::NoPattern;
    rule.length = length.toString();
    rule.pattern = pattern.toString();
    return LineKind::Rule;
}

}  // namespace

Contents Parse(const QByteArray& bytes)
{
    Contents contents;
    qsizetype number = 0;
    std::optional<LineKind> reason;
    bool oneReason = true;
    ForEachFileLine(bytes, [&](QStringView line) {
        ++number;
        Rule rule;
        const LineKind kind = ReadLine(line, rule);
        if (kind == LineKind::Rule) {
            contents.rules.append(std::move(rule));
            contents.ruleLines.append(number);
            return;
        }
        if (kind == LineKind::Ignored)
            return;
        if (contents.skippedLines++ < kSkippedLinesNamed)
            contents.firstSkipped.append(number);
        oneReason = oneReason && (!reason || *reason == kind);
        reason = kind;
    });
    if (reason && oneReason)
        contents.skipReason = Reason(*reason);
    return contents;
}

Contents Read(const QByteArray& path)
{
    if (const int error = FileLookupError(path); error != 0) {
        Contents missing;
        missing.error = AppError::fromErrno(error);
        return missing;
    }
    QByteArray bytes;
    try {
        bytes = ReadWholeFile(path);
    } catch (const AppError& error) {
        Contents unreadable;
        unreadable.error = error;
        return unreadable;
    }
    return Parse(bytes);
}

QString SkippedLinesText(const Contents& contents, const QLocale& locale)
{
    if (contents.skippedLines == 0)
        return {};
    QStringList numbers;
    numbers.reserve(contents.firstSkipped.size());
    for (const qsizetype line : contents.firstSkipped)
        numbers << QString::number(line);
    const qsizetype more = contents.skippedLines - contents.firstSkipped.size();
    QString text = numbers.size() == 1 ? QStringLiteral("line ") : QStringLiteral("lines ");
    if (more > 0)
        text += numbers.join(QStringLiteral(", "))
                + QStringLiteral(" and %1 more").arg(locale.toString(static_cast<qlonglong>(more)));
    else if (numbers.size() == 1)
        text += numbers.first();
    else
        text += numbers.mid(0, numbers.size() - 1).join(QStringLiteral(", "))
                + QStringLiteral(" and ") + numbers.last();
    if (!contents.skipReason.isEmpty())
        text += QStringLiteral(" (%1)").arg(contents.skipReason);
    return text;
}

}  // namespace RuleFile
