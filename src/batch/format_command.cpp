#include "batch/format_command.h"

#include "app/command_line.h"
#include "app/errors/app_error.h"
#include "batch/format_options.h"
#include "batch/formatting_pass.h"
#include "batch/phone_line_reader.h"
#include "batch/progress_line.h"
#include "batch/result_writer.h"
#include "batch/standard_output.h"
#include "output/text_file_writer.h"
#include "rules/rule_file.h"

#include <QFile>

#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace {

volatile std::sig_atomic_t stopSignal = 0;

extern "C" void RequestStop(int signal)
{
    stopSignal = signal;
}

bool KeepGoing()
{
    return stopSignal == 0;
}

// An interrupt, hang-up or termination stops the reading and writing at the next block, so the
// output file is left as it was; no restart, so a blocked read or write returns at once.
void CatchStopSignals()
{
    struct sigaction action {};
    action.sa_handler = RequestStop;
    sigemptyset(&action.sa_mask);
    for (const int signal : {SIGINT, SIGTERM, SIGHUP})
        sigaction(signal, &action, nullptr);
    // A reader that went away ends the program quietly, as it ends other tools in a pipeline.
    std::signal(SIGPIPE, SIG_DFL);
    // A file-size limit fails the write with an error instead of ending the program.
    std::signal(SIGXFSZ, SIG_IGN);
}

QString SystemMessage(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

class StandardOutputTarget final : public OutputTarget {
public:
    void write(std::string_view bytes) override
    {
        if (const int error = WriteAll(STDOUT_FILENO, bytes, KeepGoing); error != 0)
            throw OutputFailure{SystemMessage(error).toStdString()};
    }
    void finish() override {}
};

// The same writer as the window's saves: the file is replaced only once it is complete.
class FileTarget final : public OutputTarget {
public:
    explicit FileTarget(const QString& path) : file_(path)
    {
        guard([&] { file_.create(); });
    }
    void write(std::string_view bytes) override
    {
        guard([&] { file_.writeUtf8(bytes); });
    }
    void finish() override
    {
        guard([&] { file_.commit(); });
    }

private:
    template <class Work> static void guard(Work&& work)
    {
        try {
            work();
        } catch (const AppError& error) {
            throw OutputFailure{error.description().toStdString()};
        }
    }

    TextFileWriter file_;
};

// The rules in command-line order; nothing when a rule file cannot be read (it is reported).
std::optional<std::vector<RuleText>> ReadRules(const FormatOptions& options)
{
    std::vector<RuleText> rules;
    for (const FormatOptions::RuleSource& source : options.rules) {
        if (!source.file) {
            const qsizetype equals = source.text.indexOf(QLatin1Char('='));
            rules.push_back({source.text.left(equals), source.text.mid(equals + 1)});
            continue;
        }
        const RuleFile::Contents contents = RuleFile::Read(source.text);
        if (contents.error) {
            Complain(QStringLiteral("%1: %2").arg(source.text, contents.error->description()));
            return std::nullopt;
        }
        if (contents.skippedLines > 0)
            Complain(contents.skippedLines == 1
                         ? QStringLiteral("%1: skipped 1 line that is not a rule").arg(source.text)
                         : QStringLiteral("%1: skipped %2 lines that are not rules")
                               .arg(source.text)
                               .arg(contents.skippedLines));
        for (const RuleFile::Rule& rule : contents.rules)
            rules.push_back({rule.length, rule.pattern});
    }
    return rules;
}

// Formats one input into the pass; false when it could not be read (it has been reported).
bool FormatInput(const QString& input, FormattingPass& pass)
{
    const bool standardInput = input == QLatin1String("-");
    const QString name = standardInput ? QStringLiteral("standard input") : input;
    const int fd = standardInput ? STDIN_FILENO
                                 : ::open(QFile::encodeName(input).constData(),
                                          O_RDONLY | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        Complain(QStringLiteral("%1: %2").arg(name, SystemMessage(errno)));
        return false;
    }
    struct stat info {};
    const qint64 total = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) ? info.st_size : -1;
    int error = 0;
    {
        ProgressLine progress(name, total);
        PhoneLineReader reader(fd, pass);
        reader.onBlock = [&](qint64 done) {
            progress.update(done);
            return KeepGoing();
        };
        error = reader.run();
    }
    if (!standardInput)
        ::close(fd);
    if (error == 0 || !KeepGoing())
        return true;
    Complain(QStringLiteral("%1: %2").arg(name, SystemMessage(error)));
    return false;
}

int Format(const FormatOptions& options)
{
    const std::optional<std::vector<RuleText>> rules = ReadRules(options);
    if (!rules)
        return 1;
    const QString outputName =
        options.output.isEmpty() ? QStringLiteral("standard output") : options.output;
    CatchStopSignals();
    bool inputFailed = false;
    try {
        std::unique_ptr<OutputTarget> target;
        if (options.output.isEmpty())
            target = std::make_unique<StandardOutputTarget>();
        else
            target = std::make_unique<FileTarget>(options.output);
        ResultWriter writer(options.lines ? ResultWriter::Form::Lines
                                          : ResultWriter::Form::CommaDelimited,
                            *target);
        FormattingPass pass(
            *rules, writer, [](qsizetype rule, const QString& length, const QString& why) {
                Complain(QStringLiteral("rule %1 (length \"%2\"): %3").arg(rule).arg(length, why));
            });
        for (const QString& input : options.inputs) {
            inputFailed = !FormatInput(input, pass) || inputFailed;
            if (!KeepGoing())
                break;
        }
        if (KeepGoing())
            writer.finish();
    } catch (const OutputFailure& failure) {
        if (KeepGoing()) {
            Complain(
                QStringLiteral("%1: %2").arg(outputName, QString::fromStdString(failure.reason)));
            return 1;
        }
    }
    if (!KeepGoing()) {
        // Ends the way the signal would have ended it, the output file as it was.
        std::signal(stopSignal, SIG_DFL);
        std::raise(stopSignal);
        return 1;
    }
    return inputFailed ? 1 : 0;
}

}  // namespace

int RunFormatCommand(const QStringList& arguments)
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
