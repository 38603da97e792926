#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include "files/csv_column.h"

#include <optional>
#include <vector>

// The command line of formatting without a window:
//   dialwright --format [--rules FILE]... [--rule LENGTH=PATTERN]... [--output FILE]
//              [--lines | --column N|NAME [--delimiter C]] [--tidy] [--unique] [FILE|-]...
// Names of files stay the bytes they were given as: a Linux file name need not be valid UTF-8.
struct FormatOptions {
    enum class Action { Run, Help, Version, Usage };
    // A rule file, or one rule as LENGTH=PATTERN; rules apply in command-line order.
    struct RuleSource {
        bool file = false;
        QByteArray text;  // the file's name, or the rule as given
        int ordinal = 0;  // for a rule: which --rule it is, from 1
    };

    Action action = Action::Run;
    std::vector<RuleSource> rules;
    QByteArray output;  // empty: standard output
    bool lines = false;
    bool tidy = false;
    bool unique = false;
    // --column: the input is CSV and this field of every record is formatted.
    std::optional<ColumnChoice> column;
    char delimiter = ',';
    QList<QByteArray> inputs;  // "-" is standard input
    QString problem;           // for Usage
};

// True when the arguments ask for formatting without a window (--format among the options).
bool IsFormatCommand(const QList<QByteArray>& arguments);

FormatOptions ParseFormatOptions(const QList<QByteArray>& arguments);

// The help text's part on formatting without a window.
QString FormatHelpText();
