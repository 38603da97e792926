// Fuzzes the rule-file reader: whatever the bytes, every rule it gives has a length that
// passes the length test and a pattern that is not blank, no more rules and skipped lines than
// lines, and the rules it gives, written out again in the aligned layout, read back the same.

#include "core/decimal_number.h"
#include "files/rule_file.h"
#include "files/text_lines.h"
#include "require.h"

#include <QString>

#include <algorithm>
#include <cstdint>
#include <cstdlib>

namespace {

bool CleanCell(const QString& cell)
{
    return !cell.contains(QLatin1Char('\t')) && !cell.contains(QLatin1Char('\r'))
           && !cell.contains(QLatin1Char('\n')) && !cell.endsWith(QLatin1Char(' '));
}

// The rule list's aligned layout: every cell padded to its column's width, then a TAB.
QByteArray Aligned(const QList<RuleFile::Rule>& rules)
{
    const QString captions[2] = {QStringLiteral("If length of phone number is this"),
                                 QStringLiteral("then format like this")};
    qsizetype widths[2] = {captions[0].size(), captions[1].size()};
    for (const RuleFile::Rule& rule : rules) {
        widths[0] = std::max(widths[0], rule.length.size());
        widths[1] = std::max(widths[1], rule.pattern.size());
    }
    const auto line = [&](const QString& first, const QString& second) {
        return first.leftJustified(widths[0]) + QLatin1Char('\t') + second.leftJustified(widths[1])
               + QStringLiteral("\t\r\n");
    };
    QString text = line(captions[0], captions[1]);
    for (const RuleFile::Rule& rule : rules)
        text += line(rule.length, rule.pattern);
    return text.toUtf8();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const RuleFile::Contents contents = RuleFile::Parse(bytes);
    Require(!contents.error.has_value());

    qsizetype lines = 0;
    ForEachFileLine(bytes, [&](QStringView) { ++lines; });
    Require(contents.rules.size() + contents.skippedLines <= lines);
    for (const RuleFile::Rule& rule : contents.rules) {
        Require(IsNumeric(rule.length) && CleanCell(rule.length));
        Require(!rule.pattern.isEmpty() && CleanCell(rule.pattern));
    }

    // Rules read are rules kept: saved and read again, nothing changes and nothing is skipped.
    // A length whose text is the heading's caption cannot be one: it is not a number.
    const RuleFile::Contents again = RuleFile::Parse(Aligned(contents.rules));
    Require(again.rules == contents.rules);
    Require(again.skippedLines == 0);
    return 0;
}
