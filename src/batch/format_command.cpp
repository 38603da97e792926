#include "batch/format_command.h"

#include "app/command_line.h"
#include "app/desktop/file_system.h"
#include "batch/format_options.h"
#include "batch/formatting_pass.h"
#include "batch/output_targets.h"
#include "batch/phone_line_reader.h"
#include "batch/progress_line.h"
#include "batch/result_writer.h"
#include "batch/rule_sources.h"
#include "batch/standard_output.h"
#include "batch/stop_signals.h"

#include <cerrno>
#include <fcntl.h>
#include <new>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QByteArray InputName(const QByteArray& input)
{
    return input == "-" ? QByteArrayLiteral("standard input") : ShownName(input);
}

// What went wrong with an input, after its name.
QByteArray ReadProblem(const PhoneLineReader& reader, int error)
{
    if (reader.spoolFailed()) {
        const QByteArray folder = ShownName(TemporaryFolder());
        return (qEnvironmentVariableIsEmpty("TMPDIR") ? folder : "$TMPDIR (" + folder + ')') + ": "
               + QByteArray::fromStdString(SystemReason(error));
    }
    if (reader.failedLine() > 0)
        return "line " + QByteArray::number(reader.failedLine()) + ": Out of memory";
    return QByteArray::fromStdString(SystemReason(error));
}

// Formats one input into the pass; false when it could not be read whole (it has been
// reported). A stop by a signal is not reported: the caller acts on it.
bool FormatInput(const QByteArray& input, FormattingPass& pass, bool finalLfEndsLine)
{
    const bool standardInput = input == "-";
    const QByteArray name = InputName(input);
    int fd = STDIN_FILENO;
    if (!standardInput) {
        do
            fd = ::open(input.constData(), O_RDONLY | O_CLOEXEC | O_NOCTTY);
        while (fd < 0 && errno == EINTR && StopSignals::KeepGoing());
        if (fd < 0) {
            if (StopSignals::KeepGoing())
                Complain(name + ": " + QByteArray::fromStdString(SystemReason(errno)));
            return false;
        }
    }
    struct stat info {};
    const qint64 total = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) ? info.st_size : -1;
    int error = 0;
    {
        ProgressLine progress(name, total);
        PhoneLineReader reader(fd, pass);
        reader.finalLfEndsLine = finalLfEndsLine;
        reader.onBlock = [&](qint64 done) {
            progress.update(done);
            return StopSignals::KeepGoing();
        };
        error = reader.run();
        if (error != 0 && StopSignals::KeepGoing())
            Complain(name + ": " + ReadProblem(reader, error));
    }
    if (!standardInput)
        ::close(fd);
    return error == 0;
}

int Format(const FormatOptions& options)
{
    StopSignals::Install();
    const ReadRulesOutcome rules = ReadCommandLineRules(options, StopSignals::KeepGoing);
    StopSignals::EndAsStopped();
    if (rules.exitStatus != 0)
        return rules.exitStatus;
    const QByteArray outputName =
        options.output.isEmpty() ? QByteArrayLiteral("standard output") : ShownName(options.output);
    // Set once the results are in place: a signal after that changes nothing.
    bool complete = false;
    bool inputFailed = false;
    try {
        const std::unique_ptr<OutputTarget> target =
            OpenOutput(options.output, StopSignals::KeepGoing);
        ResultWriter writer(options.lines ? ResultWriter::Form::Lines
                                          : ResultWriter::Form::CommaDelimited,
                            *target, options.output.isEmpty() && ::isatty(STDOUT_FILENO) == 1);
        FormattingPass pass(rules.rules, writer);
        for (const QByteArray& input : options.inputs) {
            inputFailed = !FormatInput(input, pass, options.lines) || inputFailed;
            // A file is not replaced by less than every input gives.
            if (!StopSignals::KeepGoing() || (inputFailed && !target->keepsPartial()))
                break;
        }
        // Standard output and devices keep what the inputs that were read gave, ended as a
        // whole list is; a file takes the results only when all were read.
        if (StopSignals::KeepGoing() && (!inputFailed || target->keepsPartial())) {
            writer.finish();
            complete = !inputFailed;
        }
    } catch (const OutputFailure& failure) {
        if (StopSignals::KeepGoing())
            Complain(outputName + ": " + QByteArray::fromStdString(failure.reason));
        inputFailed = true;
    } catch (const std::bad_alloc&) {
        Complain(QByteArrayLiteral("Out of memory"));
        inputFailed = true;
    }
    if (complete)
        return 0;
    // Ends the way the signal would have ended it, the output file as it was.
    StopSignals::EndAsStopped();
    return 1;
}

}  // namespace

int RunFormatCommand(const QList<QByteArray>& arguments)
{
    const FormatOptions options = ParseFormatOptions(arguments);
    switch (options.action) {
    case FormatOptions::Action::Help: return PrintToStandardOutput(HelpText() + FormatHelpText());
    case FormatOptions::Action::Version: return PrintToStandardOutput(VersionText());
    case FormatOptions::Action::Usage: {
        const QByteArray usage = UsageText(options.problem).toLocal8Bit();
        WriteAll(STDERR_FILENO, {usage.constData(), std::size_t(usage.size())});
        return 2;
    }
    case FormatOptions::Action::Run: break;
    }
    return Format(options);
}
