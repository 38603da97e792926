#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include "core/program_text.h"

// The program's command line: phone-number files to load at start, --help and --version, and
// Qt's own options (-platform, -style, …), which are left for Qt.
struct CommandLine {
    enum class Action { Run, Help, Version, Usage };
    Action action = Action::Run;
    // The files to load, in the order given, as the bytes given: a Linux file name need not be
    // valid UTF-8, and no text decoding could carry every name through unchanged.
    QList<QByteArray> files;
    // How many of the arguments after the program's name Qt may read: those before "--", so a
    // file named "-display" is never taken for Qt's option.
    int qtArgumentCount = 0;
    // The rule files to load (--rules FILE), in the order given, as the bytes given.
    QList<QByteArray> ruleFiles;
    // For Usage: what was wrong.
    QString problem;
};

// Reads the arguments after the program's name. "--" ends the options.
CommandLine ParseCommandLine(const QList<QByteArray>& arguments);

// A file named on the command line that could not be found, and why (an errno value).
struct MissingFile {
    QByteArray name;
    int error = 0;
};

// Files named on the command line that could not be found are reported once: the box lists the
// first few and counts the rest; standard error gets one line for each.
QString MissingFilesMessage(const QList<MissingFile>& missing);
QByteArray MissingFilesErrorLines(const QList<MissingFile>& missing);
