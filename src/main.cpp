// The program's entry point: the one place that sees both the window and formatting without a
// window, and chooses between them.

#include "app/command_line.h"
#include "app/run_window.h"
#include "batch/format_command.h"
#include "batch/format_options.h"
#include "batch/standard_output.h"

#include <QByteArray>
#include <QList>

#include <cstdio>

int main(int argc, char* argv[])
{
    // The arguments as the bytes they are: a file's name need not be valid UTF-8.
    QList<QByteArray> arguments;
    arguments.reserve(argc);
    for (int i = 1; i < argc; ++i)
        arguments << QByteArray(argv[i]);
    // Formatting without a window needs no display: it branches off before any application
    // object exists.
    if (IsFormatCommand(arguments))
        return RunFormatCommand(arguments);
    const CommandLine line = ParseCommandLine(arguments);
    switch (line.action) {
    case CommandLine::Action::Help: return PrintToStandardOutput(HelpText() + FormatHelpText());
    case CommandLine::Action::Version: return PrintToStandardOutput(VersionText());
    case CommandLine::Action::Usage:
        std::fputs(qPrintable(UsageText(line.problem)), stderr);
        return 2;
    case CommandLine::Action::Run: break;
    }
    return RunWindow(argc, argv, line);
}
