#include "cli/rule_sources.h"

#include "cli/output_targets.h"
#include "cli/standard_output.h"
#include "core/country_rule.h"
#include "core/formatting_rules.h"
#include "files/load_room.h"
#include "files/rule_file.h"
#include "lists/memory_room.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <new>
#include <sys/stat.h>
#include <unistd.h>

namespace {

struct RulesUnread {
    int error;
};

// All the bytes of a rule file, a regular file or a stream alike.
QByteArray ReadAll(const QByteArray& name, bool (*keepGoing)())
{
    const bool standardInput = name == "-";
    int fd = STDIN_FILENO;
    if (!standardInput) {
        fd = OpenUninterrupted(name, O_RDONLY, keepGoing);
        if (fd < 0)
            throw RulesUnread{errno};
    }
    const auto close = [&] {
        if (!standardInput)
            ::close(fd);
    };
    struct stat info {};
    if (::fstat(fd, &info) == 0 && S_ISDIR(info.st_mode)) {
        close();
        throw RulesUnread{EISDIR};
    }
    QByteArray bytes;
    constexpr qsizetype kBlock = qsizetype(1) << 16;
    for (;;) {
        // Rule files are small; one that is not must not take the memory the program needs.
        if (bytes.size() > (qsizetype(64) << 20) && !StillFits(bytes.size() * 4, MemoryRoomNow())) {
            close();
            throw RulesUnread{ENOMEM};
        }
        const qsizetype at = bytes.size();
        bytes.resize(at + kBlock);
        const ssize_t got = ::read(fd, bytes.data() + at, kBlock);
        if (got < 0) {
            const int error = errno;
            bytes.truncate(at);
            if (error == EINTR && keepGoing())
                continue;
            close();
            throw RulesUnread{error};
        }
        bytes.truncate(at + got);
        if (got == 0)
            break;
    }
    close();
    return bytes;
}

// A name for the stream standard input is (/dev/stdin, /proc/self/fd/0): read once, it cannot
// give both the rules and the numbers. A regular file can be read twice.
bool NamesStandardInputStream(const QByteArray& name)
{
    struct stat named {};
    struct stat input {};
    return name != "-" && ::stat(name.constData(), &named) == 0
           && ::fstat(STDIN_FILENO, &input) == 0 && !S_ISREG(input.st_mode)
           && named.st_dev == input.st_dev && named.st_ino == input.st_ino;
}

QByteArray Reason(int error)
{
    return error == ENOMEM ? QByteArrayLiteral("Out of memory")
                           : QByteArray::fromStdString(SystemReason(error));
}

// Letters alone, or a "+": meant as a country rule's region, even when no region has that name.
bool MeantAsRegion(const QString& length)
{
    return !length.isEmpty() && std::all_of(length.begin(), length.end(), [](QChar c) {
        return c == QLatin1Char('+') || (c.unicode() < 0x80 && c.isLetter());
    });
}

// Why a rule can never fit a number, or nothing when it can.
std::optional<QString> NeverFits(const QString& length, const QString& pattern)
{
    if (MeantAsRegion(length)) {
        if (CountryRule::fromCells(length, pattern).rule)
            return std::nullopt;
        if (!CountryRule::fromCells(length, u"e164").rule)
            return QStringLiteral("unknown region \"%1\"").arg(length);
        return QStringLiteral("unknown layout \"%1\"")
            .arg(QString::fromUtf8(ShownName(pattern.toUtf8(), ForeignBytes::Escaped)));
    }
    const FormattingRules::Rule rule = FormattingRules::make(length, pattern);
    if (!rule.length)
        return ErrorDescription(rule.lengthError);
    if (*rule.length <= 0)
        return QStringLiteral("no number has %1 characters").arg(*rule.length);
    return std::nullopt;
}

}  // namespace

ReadRulesOutcome ReadCommandLineRules(const FormatOptions& options, bool (*keepGoing)())
{
    ReadRulesOutcome outcome;
    QList<QByteArray> unfit;
    const auto check = [&](const QByteArray& where, const QString& length, const QString& pattern) {
        if (const std::optional<QString> why = NeverFits(length, pattern))
            unfit << where + ": "
                         + (MeantAsRegion(length)
                                ? why->toUtf8()
                                : "length \"" + ShownName(length.toUtf8(), ForeignBytes::Escaped)
                                      + "\": " + why->toUtf8());
        outcome.rules.push_back({length, pattern});
    };
    for (const FormatOptions::RuleSource& source : options.rules) {
        if (!source.file) {
            const QString text = QString::fromLocal8Bit(source.text);
            const qsizetype equals = text.indexOf(QLatin1Char('='));
            check("--rule " + QByteArray::number(source.ordinal), text.left(equals),
                  text.mid(equals + 1));
            continue;
        }
        const QByteArray shown = InputName(source.text);
        if (NamesStandardInputStream(source.text) && options.inputs.contains("-")) {
            Complain("standard input cannot hold both the rules (--rules " + shown
                     + ") and the numbers; name the numbers' file");
            outcome.exitStatus = 2;
            return outcome;
        }
        RuleFile::Contents contents;
        try {
            contents = RuleFile::Parse(ReadAll(source.text, keepGoing));
        } catch (const RulesUnread& failure) {
            Complain(shown + ": " + Reason(failure.error));
            outcome.exitStatus = 1;
            return outcome;
        } catch (const std::bad_alloc&) {
            Complain(shown + ": Out of memory");
            outcome.exitStatus = 1;
            return outcome;
        }
        if (contents.skippedLines > 0)
            Complain(shown + ": skipped " + QByteArray::number(contents.skippedLines)
                     + (contents.skippedLines == 1 ? " line that is not a rule: "
                                                   : " lines that are not rules: ")
                     + RuleFile::SkippedLinesText(contents).toUtf8());
        for (qsizetype i = 0; i < contents.rules.size(); ++i)
            check(shown + ':' + QByteArray::number(contents.ruleLines[i]), contents.rules[i].length,
                  contents.rules[i].pattern);
    }
    for (const QByteArray& message : std::as_const(unfit))
        Complain(message);
    if (!unfit.isEmpty())
        outcome.exitStatus = 2;
    return outcome;
}
