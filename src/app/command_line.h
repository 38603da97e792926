#pragma once

#include <QString>
#include <QStringList>

// The program's command line: phone-number files to load at start, --help and --version, and
// Qt's own options (-platform, -style, …), which are left for Qt.
struct CommandLine {
    enum class Action { Run, Help, Version, Usage };
    Action action = Action::Run;
    // The files to load, in the order given.
    QStringList files;
    // The rule files to load (--rules FILE), in the order given.
    QStringList ruleFiles;
    // For Usage: what was wrong.
    QString problem;
};

// Reads the arguments after the program's name. "--" ends the options.
CommandLine ParseCommandLine(const QStringList& arguments);

QString HelpText();
QString VersionText();
// A short usage message for a command line that could not be read.
QString UsageText(const QString& problem);
