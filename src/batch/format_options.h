#pragma once

#include <QString>
#include <QStringList>

#include <vector>

// The command line of formatting without a window:
//   dialwright --format [--rules FILE]... [--rule LENGTH=PATTERN]... [--output FILE] [--lines]
//              [FILE|-]...
struct FormatOptions {
    enum class Action { Run, Help, Version, Usage };
    // A rule file, or one rule as LENGTH=PATTERN; rules apply in command-line order.
    struct RuleSource {
        bool file = false;
        QString text;
    };

    Action action = Action::Run;
    std::vector<RuleSource> rules;
    QString output;  // empty: standard output
    bool lines = false;
    QStringList inputs;  // "-" is standard input
    QString problem;     // for Usage
};

// True when the arguments ask for formatting without a window (--format among the options).
bool IsFormatCommand(const QStringList& arguments);

FormatOptions ParseFormatOptions(const QStringList& arguments);

// The help text's part on formatting without a window.
QString FormatHelpText();
