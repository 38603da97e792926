// The program's entry point: the one place that sees both the window and formatting without a
// window, and chooses between them.

#include "cli/format_command.h"
#include "cli/format_options.h"
#include "cli/standard_output.h"
#include "window/command_line.h"
#include "window/run_window.h"

#include <QByteArray>
#include <QList>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>

namespace {

// A standard descriptor closed when the program starts (<&-, >&-) is taken by a descriptor
// that refuses its use, so it fails as a closed one does ("Bad file descriptor") and no file
// the program opens (a save's temporary file) can take its number and be read or written as
// standard input or output.
void ReserveStandardDescriptors()
{
    for (int fd = 0; fd <= 2; ++fd) {
        if (::fcntl(fd, F_GETFD) != -1 || errno != EBADF)
            continue;
        // Write-only for input, read-only for output: every use fails.
        const int reserved = ::open("/dev/null", (fd == 0 ? O_WRONLY : O_RDONLY) | O_CLOEXEC);
        if (reserved != fd && reserved >= 0)
            ::close(reserved);
    }
}

}  // namespace

int main(int argc, char* argv[])
{
    ReserveStandardDescriptors();
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
