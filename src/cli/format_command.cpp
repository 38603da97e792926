#include "cli/format_command.h"

#include "cli/format_options.h"
#include "cli/formatting_pass.h"
#include "cli/output_targets.h"
#include "cli/pipelined_pass.h"
#include "cli/progress_line.h"
#include "cli/rule_sources.h"
#include "cli/standard_output.h"
#include "cli/stop_signals.h"
#include "core/number_format.h"
#include "core/program_text.h"
#include "files/csv_column.h"
#include "files/file_system.h"
#include "files/line_reader.h"
#include "files/load_room.h"
#include "files/result_writer.h"
#include "files/text_cleaning.h"
#include "lists/memory_room.h"

#include <QScopeGuard>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <memory>
#include <new>
#include <optional>
#include <poll.h>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace {

// Why the reading of an input ended early.
struct ReadStopped {};  // a signal asked to stop
struct ReadFailed {
    int error;
};

// Reads with the system's calls, going on after interruptions until a signal asks to stop.
template <class Read> qsizetype Uninterrupted(const Read& read)
{
    for (;;) {
        const ssize_t got = read();
        if (got >= 0)
            return static_cast<qsizetype>(got);
        if (errno != EINTR)
            throw ReadFailed{errno};
        if (!StopSignals::KeepGoing())
            throw ReadStopped{};
    }
}

// A line's bytes are held while it is gathered (twice over while its storage grows), then
// copied for its result; the room is looked at again each time the line has grown by a step.
constexpr qint64 kCopiesOfALine = 3;
constexpr qsizetype kGuardStep = qsizetype(16) << 20;

// Formats one input into the pass; false when it could not be read whole (it has been
// reported). A stop by a signal is not reported: the caller acts on it.
bool FormatInput(const QByteArray& input, PipelinedPass& pass, LineReader::Form form,
                 bool finalLfEndsLine, const OutputTarget& target)
{
    const bool standardInput = input == "-";
    const QByteArray name = InputName(input);
    int fd = STDIN_FILENO;
    if (!standardInput) {
        fd = OpenUninterrupted(input, O_RDONLY, StopSignals::KeepGoing);
        if (fd < 0) {
            if (StopSignals::KeepGoing())
                Complain(name + ": " + QByteArray::fromStdString(SystemReason(errno)));
            return false;
        }
    }
    const auto closed = qScopeGuard([&] {
        if (!standardInput)
            ::close(fd);
    });
    struct stat info {};
    const bool file = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
    // Reading the file the results are being added to would never end.
    struct stat written {};
    if (file && target.descriptor() >= 0 && ::fstat(target.descriptor(), &written) == 0
        && written.st_dev == info.st_dev && written.st_ino == info.st_ino) {
        Complain(name + ": input file is output file");
        return false;
    }
    // A file named by standard input may stand at an offset; reading begins there.
    const off_t start = file ? ::lseek(fd, 0, SEEK_CUR) : 0;
    ProgressLine progress(name, file ? info.st_size - start : -1, target.descriptor());
    qint64 done = 0;
    const auto counted = [&](qint64 reached) {
        done = reached;
        progress.update(done);
        if (!StopSignals::KeepGoing())
            throw ReadStopped{};
    };
    std::unique_ptr<LineReader> reader;
    if (file)
        reader = std::make_unique<LineReader>(
            [&](qint64 offset, char* into, qsizetype size) {
                const qsizetype got = Uninterrupted(
                    [&] { return ::pread(fd, into, static_cast<size_t>(size), start + offset); });
                counted(offset + got);
                return got;
            },
            pass, form);
    else
        reader = std::make_unique<LineReader>(
            [&](char* into, qsizetype size) {
                // A stream that pauses first sees the results of what it gave so far.
                pollfd ready{fd, POLLIN, 0};
                if (::poll(&ready, 1, 0) == 0) {
                    pass.drain();
                    // A signal taken meanwhile is not left waiting behind a read that blocks.
                    if (!StopSignals::KeepGoing())
                        throw ReadStopped{};
                }
                const qsizetype got =
                    Uninterrupted([&] { return ::read(fd, into, static_cast<size_t>(size)); });
                counted(done + got);
                return got;
            },
            pass, form);
    reader->finalLfEndsLine = finalLfEndsLine;
    // Stops before a line that never ends outgrows the memory the program may still take.
    qsizetype nextGuard = kGuardStep;
    reader->onOpenLine = [&](qsizetype open) {
        if (open < nextGuard)
            return;
        nextGuard = open + kGuardStep;
        if (!StillFits(open * kCopiesOfALine, MemoryRoomNow()))
            throw std::bad_alloc();
    };
    QByteArray problem;
    try {
        reader->run();
        return true;
    } catch (const ReadStopped&) {
        return false;
    } catch (const ReadFailed& failure) {
        problem = QByteArray::fromStdString(SystemReason(failure.error));
    } catch (const std::bad_alloc&) {
        problem = "line " + QByteArray::number(reader->lines() + 1) + ": Out of memory";
    } catch (const LineOutOfMemory& failure) {
        problem = "line " + QByteArray::number(failure.line) + ": Out of memory";
    }
    if (StopSignals::KeepGoing())
        Complain(name + ": " + problem);
    return false;
}

// Waits for the input's last lines to go through the pass; false when they fail it (a failure
// of an input that failed already is not told twice).
bool EndInput(PipelinedPass& pipeline, const QByteArray& input, bool read)
{
    QByteArray problem;
    try {
        pipeline.endInput();
        return true;
    } catch (const LineOutOfMemory& failure) {
        problem = "line " + QByteArray::number(failure.line) + ": Out of memory";
    }
    if (read)
        Complain(InputName(input) + ": " + problem);
    return false;
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
    // Set once the results are in place, and how they were put there.
    bool complete = false;
    bool rewroteInPlace = false;
    bool inputFailed = false;
    try {
        const std::unique_ptr<OutputTarget> target =
            OpenOutput(options.output, StopSignals::KeepGoing);
        const NumberFormat format(rules.rules);
        // In a CSV file a record is left out only for a number seen before: an empty field
        // must not take the other fields of its record with it.
        TextCleaning cleaning(options.tidy, options.unique, options.column.has_value());
        if (format.hasCountryRules())
            cleaning.compareByCountry(&format);
        // A terminal is shown each result as it comes; anywhere else the formatting runs on a
        // second core beside the reading, where there is room for it (at ten million numbers,
        // with a core free, it takes about a third off: 598 to 424 ms plain, 1,062 to 722
        // --tidy, 2,184 to 1,496 --column). Without room for a second thread and its batches,
        // this thread does it all.
        const bool terminal = options.output.isEmpty() && ::isatty(STDOUT_FILENO) == 1;
        std::optional<PipelinedPass> pipeline;
        try {
            if (!terminal && StillFits(PipelinedPass::footprint(), MemoryRoomNow()))
                pipeline.emplace(*target);
        } catch (const std::bad_alloc&) {
        } catch (const std::system_error&) {
        }
        if (!pipeline)
            pipeline.emplace(*target, PipelinedPass::Where::ThisThread);
        ResultWriter writer(options.lines ? ResultWriter::Form::Lines
                                          : ResultWriter::Form::CommaDelimited,
                            pipeline->output(), terminal);
        FormattingPass lines(format, cleaning, writer);
        std::optional<CsvColumnPass> csv;
        if (options.column)
            csv.emplace(format, cleaning, pipeline->output(), *options.column, options.delimiter,
                        terminal);
        pipeline->start(csv ? static_cast<LineSink&>(*csv) : lines);
        // The formatting thread stops before the passes it runs go.
        const auto stopped = qScopeGuard([&] { pipeline->stop(); });
        for (const QByteArray& input : options.inputs) {
            // A CSV record ends where its last line does; a final LF adds no record.
            bool read =
                FormatInput(input, *pipeline, csv ? LineReader::Form::Raw : LineReader::Form::Utf8,
                            options.lines || csv, *target);
            // Stopped by a signal: the passes are left as they are (the formatting thread may
            // still be in one), and the program ends as the signal would.
            if (!StopSignals::KeepGoing())
                break;
            read = EndInput(*pipeline, input, read) && read;
            if (csv) {
                const QByteArray problem = csv->endInput(read);
                if (!problem.isEmpty() && read && StopSignals::KeepGoing()) {
                    Complain(InputName(input) + ": " + problem);
                    read = false;
                }
                if (const QByteArray warning = csv->takeWarning(); !warning.isEmpty() && read)
                    Complain(InputName(input) + ": " + warning);
            }
            inputFailed = !read || inputFailed;
            // A file is not replaced by less than every input gives.
            if (!StopSignals::KeepGoing() || (inputFailed && !target->keepsPartial()))
                break;
        }
        // Standard output and devices keep what the inputs that were read gave, ended as a
        // whole list is; a file takes the results only when all were read.
        if (StopSignals::KeepGoing() && (!inputFailed || target->keepsPartial())) {
            if (csv)
                csv->finish();
            else
                writer.finish();
            complete = !inputFailed;
            rewroteInPlace = target->rewroteInPlace();
        }
    } catch (const OutputFailure& failure) {
        if (StopSignals::KeepGoing())
            Complain(outputName + ": " + QByteArray::fromStdString(failure.reason));
        inputFailed = true;
    } catch (const std::bad_alloc&) {
        Complain(QByteArrayLiteral("Out of memory"));
        inputFailed = true;
    } catch (const LineOutOfMemory&) {
        Complain(QByteArrayLiteral("Out of memory"));
        inputFailed = true;
    }
    // Once a finished file is renamed in, a signal changes nothing: the results are in place.
    // One that came during a rewrite in place let it finish whole, and then ends the program
    // as it would have, so a script does not carry on as if nothing had happened.
    if (complete && (StopSignals::KeepGoing() || !rewroteInPlace))
        return 0;
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
