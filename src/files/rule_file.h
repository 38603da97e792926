#pragma once

#include "core/app_error.h"

#include <QByteArray>
#include <QList>
#include <QLocale>
#include <QString>

#include <optional>

// Rules read back from a text file: one rule a line, the length, a TAB, the pattern. That is
// the shape "Save Results As Text File" writes the rule list in, and easy to write by hand.
// Nothing here needs a window, so a program without one can read rule files too.
namespace RuleFile {

struct Rule {
    QString length;   // as in the file, leading blanks kept
    QString pattern;  // as in the file, without the spaces that ended its cell
    friend bool operator==(const Rule&, const Rule&) = default;
};

struct Contents {
    // The rules in file order, and the number of the line each came from (from 1).
    QList<Rule> rules;
    QList<qsizetype> ruleLines;
    // Lines that held something but were not rules. The heading line and blank lines are not
    // counted.
    qsizetype skippedLines = 0;
    // The numbers of the first few of them, and why they were skipped when one reason holds
    // for all ("a space where the TAB should be"); empty when the reasons differ.
    QList<qsizetype> firstSkipped;
    QString skipReason;
    // Why the file could not be read (FileNotFound when there is no such file); rules and
    // skippedLines are then empty.
    std::optional<AppError> error;
};

// The rules of a file's bytes, decoded and split into lines as phone-number files are. Cells
// end at TAB; spaces at the end of a cell are the padding of the aligned save and are dropped.
// A line is a rule when its first cell passes the numeric test of the length input box and
// its second cell holds more than spaces; nothing but the TAB that closes the second cell may
// follow it. A line equal to the
// two column captions is the heading.
Contents Parse(const QByteArray& bytes);

// Reads and parses a regular file, named by its bytes. Failures to find or read it are returned
// in error, not thrown.
Contents Read(const QByteArray& path);

// How many skipped lines' numbers are kept and named.
inline constexpr qsizetype kSkippedLinesNamed = 10;

// The skipped lines of a file as a message names them: "lines 3, 7 and 9", the first ten and
// then "and N more", with the reason when one holds for all; empty when none were skipped.
// N is written as the locale writes counts: the command line's plain, the window's grouped.
QString SkippedLinesText(const Contents& contents, const QLocale& locale = QLocale::c());

}  // namespace RuleFile
