#include "cli/format_options.h"

#include <algorithm>

#include "files/file_system.h"

namespace {

// More fields than any record could hold in the memory the program may take.
constexpr qsizetype kMostFields = qsizetype(1) << 40;

// An argument as a message shows it: a line break or a control character in it would garble the
// terminal, so it is escaped as file names in messages are.
QString Shown(const QByteArray& argument)
{
    return QString::fromUtf8(ShownName(argument, ForeignBytes::Escaped));
}

// In quotes too, for a value that may be empty or blank.
QString Quoted(const QByteArray& value)
{
    return u'\'' + Shown(value) + u'\'';
}

// A --column value in double quotes, written as CSV writes a field (each quote inside doubled),
// is always a heading name, so a heading of digits can be chosen too. Returns the name, or
// nothing when the quotes are not so written.
std::optional<QByteArray> QuotedName(const QByteArray& value)
{
    if (value.size() < 2 || !value.endsWith('"'))
        return std::nullopt;
    QByteArray name;
    const qsizetype end = value.size() - 1;
    for (qsizetype i = 1; i < end; ++i) {
        if (value[i] == '"' && (i + 1 == end || value[++i] != '"'))
            return std::nullopt;
        name += value[i];
    }
    return name;
}

}  // namespace

bool IsFormatCommand(const QList<QByteArray>& arguments)
{
    for (const QByteArray& argument : arguments) {
        if (argument == "--")
            return false;
        if (argument == "--format")
            return true;
    }
    return false;
}

FormatOptions ParseFormatOptions(const QList<QByteArray>& arguments)
{
    FormatOptions options;
    const auto usage = [&](const QString& problem) {
        options.action = FormatOptions::Action::Usage;
        options.problem = problem;
        return options;
    };
    bool outputGiven = false;
    bool optionsEnded = false;
    int ruleOptions = 0;
    bool delimiterGiven = false;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QByteArray& argument = arguments[i];
        if (optionsEnded || argument == "-" || !argument.startsWith('-')) {
            options.inputs << argument;
            continue;
        }
        if (argument == "--") {
            optionsEnded = true;
            continue;
        }
        if (argument == "--format")
            continue;
        if (argument == "--lines") {
            options.lines = true;
            continue;
        }
        if (argument == "--tidy") {
            options.tidy = true;
            continue;
        }
        if (argument == "--unique") {
            options.unique = true;
            continue;
        }
        if (argument == "--help" || argument == "-h") {
            options.action = FormatOptions::Action::Help;
            return options;
        }
        if (argument == "--version" || argument == "-v") {
            options.action = FormatOptions::Action::Version;
            return options;
        }
        // The options that take a value, as "--name VALUE" or "--name=VALUE".
        const qsizetype equals = argument.indexOf('=');
        const QByteArray name = equals < 0 ? argument : argument.left(equals);
        if (name != "--rules" && name != "--rule" && name != "--output" && name != "--column"
            && name != "--delimiter")
            return usage(QStringLiteral("unknown option %1").arg(Shown(argument)));
        QByteArray value;
        if (equals >= 0)
            value = argument.mid(equals + 1);
        else if (i + 1 < arguments.size())
            value = arguments[++i];
        else
            return usage(QStringLiteral("option %1 needs a value").arg(Shown(name)));
        if (name == "--column") {
            if (options.column)
                return usage(QStringLiteral("--column given twice"));
            if (value.isEmpty())
                return usage(QStringLiteral("--column needs a number from 1 or a name"));
            if (value.startsWith('"')) {
                const std::optional<QByteArray> quoted = QuotedName(value);
                if (!quoted)
                    return usage(QStringLiteral("--column takes a name in quotes as CSV writes it, "
                                                "each quote inside doubled, not %1")
                                     .arg(Quoted(value)));
                if (quoted->isEmpty())
                    return usage(
                        QStringLiteral("--column takes a name of one character or more, not \"\""));
                options.column = ColumnChoice{0, *quoted};
            } else {
                // Digits alone are a field number, however many ("02" is 2); anything else,
                // " 2" and "+2" included, is a name.
                const bool number = std::all_of(value.begin(), value.end(),
                                                [](char c) { return c >= '0' && c <= '9'; });
                bool fits = false;
                const qsizetype n = number ? value.toLongLong(&fits) : 0;
                if (number && (!fits || n < 1 || n > kMostFields))
                    return usage(QStringLiteral("--column counts fields from 1 to %1, not %2")
                                     .arg(kMostFields)
                                     .arg(Shown(value)));
                options.column = number ? ColumnChoice{n, {}} : ColumnChoice{0, value};
            }
        } else if (name == "--delimiter") {
            if (delimiterGiven)
                return usage(QStringLiteral("--delimiter given twice"));
            if (value.size() != 1 || static_cast<unsigned char>(value[0]) >= 0x80 || value == "\""
                || value == "\r" || value == "\n")
                return usage(QStringLiteral("--delimiter takes one ASCII character other than a "
                                            "quote or a line break, not %1")
                                 .arg(Quoted(value)));
            options.delimiter = value[0];
            delimiterGiven = true;
        } else if (name == "--rules") {
            if (value.isEmpty())
                return usage(QStringLiteral("option --rules needs a file"));
            options.rules.push_back({true, value, 0});
        } else if (name == "--rule") {
            if (!value.contains('='))
                return usage(
                    QStringLiteral("--rule takes LENGTH=PATTERN, not %1").arg(Shown(value)));
            options.rules.push_back({false, value, ++ruleOptions});
        } else {
            if (outputGiven)
                return usage(QStringLiteral("--output given twice"));
            outputGiven = true;
            if (value.isEmpty())
                return usage(QStringLiteral("--output needs a file name"));
            options.output = value == "-" ? QByteArray() : value;
        }
    }
    if (options.column && options.lines)
        return usage(QStringLiteral("--column writes CSV and --lines writes lines: choose one"));
    if (delimiterGiven && !options.column)
        return usage(QStringLiteral("--delimiter needs --column"));
    if (options.inputs.isEmpty())
        options.inputs << QByteArrayLiteral("-");
    // Standard input can be read once: as the rules or as numbers, not both.
    for (const FormatOptions::RuleSource& source : options.rules)
        if (source.file && source.text == "-" && options.inputs.contains("-"))
            return usage(QStringLiteral("standard input cannot hold both the rules (--rules -) "
                                        "and the numbers; name the numbers' file"));
    return options;
}

QString FormatHelpText()
{
    return QStringLiteral(
        "\n"
        "Without a window:\n"
        "  dialwright --format [--rules FILE]... [--rule LENGTH=PATTERN|CC=LAYOUT]...\n"
        "                      [--output FILE]\n"
        "                      [--lines | --column N|NAME [--delimiter C]] [--tidy] [--unique]\n"
        "                      [FILE|-]...\n"
        "Formats the phone numbers of each FILE in order (standard input when there is none,\n"
        "and for -) as \"Start Formatting Phone Numbers\" does, reading the files as \"Load\n"
        "Phone Numbers From File\" does, and writes the results as \"Save As Comma Delimited\"\n"
        "writes them. It needs no display and reads and writes in blocks, so lists of any size\n"
        "take little memory.\n"
        "\n"
        "  --rules FILE           the rules of a file as \"Save Results As Text File\" writes\n"
        "                         them (one rule a line: the length, a TAB, the pattern); a\n"
        "                         pipe, a FIFO or - (standard input) is read as a stream\n"
        "  --rule LENGTH=PATTERN  one rule: a number of LENGTH characters is laid into PATTERN,\n"
        "                         each x taking a digit; split at the first =\n"
        "  --rule CC=LAYOUT       a country rule: a valid number of region CC (US, GB, DE, ...;\n"
        "                         + for any written with its calling code), read by its plan,\n"
        "                         in LAYOUT: e164, international, national, rfc3966, or a\n"
        "                         pattern taking the national number's digits; an extension\n"
        "                         is kept; --unique then compares such numbers by E.164\n"
        "  --output FILE          write to FILE, which is replaced only once every input was\n"
        "                         read and every result written (links, owner and attributes\n"
        "                         kept); a device or a FIFO is written straight into; - is\n"
        "                         standard output, the default\n"
        "  --lines                one result a line ending in LF, for other line tools, instead\n"
        "                         of the comma-delimited form (a comma after every result but\n"
        "                         the last, CR LF line ends); a final LF ends the last line\n"
        "  --tidy                 a number written with punctuation ((603) 434-3563, +1 603\n"
        "                         434 3563, full-width or other digits) becomes its digits\n"
        "                         before it is formatted; letters and extensions stay as they are\n"
        "  --unique               write only the first of each number, in any layout; holds\n"
        "                         the distinct numbers in memory, about 30 bytes each\n"
        "  --column N|NAME        the input is CSV: format field N (from 1), or the field the\n"
        "                         heading names, of every record and write the CSV back with\n"
        "                         every other byte as it was, in the input's own encoding (its\n"
        "                         byte-order mark, UTF-8 or Windows-1252 record by record,\n"
        "                         UTF-16); a NAME in double quotes, each quote inside doubled\n"
        "                         as CSV writes it ('\"2023\"'), is always a name, even one of\n"
        "                         digits\n"
        "  --delimiter C          the CSV's delimiter, such as ; (default ,)\n"
        "Each line of an input is decoded on its own: UTF-8 where it is valid UTF-8, otherwise\n"
        "Windows-1252 (UTF-16 by its byte-order mark).\n"
        "Rules apply in the order given; the first that fits a number is used (a length rule\n"
        "fits by length). A rule that can never fit is refused before anything is written.\n"
        "Exit status: 0 when all went well, 1 when an input could not be read or the output\n"
        "could not be written, 2 for a command line that cannot be read or a rule that can\n"
        "never fit, 128+N when signal N ended it.\n"
        "\n"
        "Example: dialwright --format --rule 10=xxx-xxx-xxxx --rule 7=xxx/xxxx --lines < "
        "list.txt\n");
}
