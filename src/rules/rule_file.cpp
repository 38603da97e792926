#include "rules/rule_file.h"

#include "app/desktop/file_system.h"
#include "app/engine/decimal_number.h"
#include "input/text_lines.h"

#include <QStringView>

#include <algorithm>

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

enum class LineKind { Rule, Ignored, NotARule };

LineKind ReadLine(QStringView line, Rule& rule)
{
    if (IsBlank(line))
        return LineKind::Ignored;
    const qsizetype tab = line.indexOf(QLatin1Char('\t'));
    if (tab < 0)
        return LineKind::NotARule;
    const QStringView length = WithoutTrailingSpaces(line.first(tab));
    QStringView rest = line.sliced(tab + 1);
    const qsizetype next = rest.indexOf(QLatin1Char('\t'));
    const QStringView pattern = WithoutTrailingSpaces(next < 0 ? rest : rest.first(next));
    // Past the pattern only the aligned save's closing TAB may follow: a further TAB starts a
    // cell that no rule has.
    if (next >= 0 && next + 1 < rest.size())
        return LineKind::NotARule;
    if (length == kLengthCaption && pattern == kPatternCaption)
        return LineKind::Ignored;
    // Only spaces count as blank, as in the pattern input box; padding is gone already.
    if (pattern.isEmpty() || !IsNumeric(length))
        return LineKind::NotARule;
    rule.length = length.toString();
    rule.pattern = pattern.toString();
    return LineKind::Rule;
}

}  // namespace

Contents Parse(const QByteArray& bytes)
{
    Contents contents;
    ForEachFileLine(bytes, [&](QStringView line) {
        Rule rule;
        switch (ReadLine(line, rule)) {
        case LineKind::Rule: contents.rules.append(std::move(rule)); break;
        case LineKind::NotARule: ++contents.skippedLines; break;
        case LineKind::Ignored: break;
        }
    });
    return contents;
}

Contents Read(const QString& path)
{
    if (!FileExists(path)) {
        Contents missing;
        missing.error = AppError(ErrorCode::FileNotFound);
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

}  // namespace RuleFile
