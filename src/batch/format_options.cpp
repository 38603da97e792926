#include "batch/format_options.h"

namespace {

QString Shown(const QByteArray& argument)
{
    return QString::fromLocal8Bit(argument);
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
        if (name != "--rules" && name != "--rule" && name != "--output")
            return usage(QStringLiteral("unknown option %1").arg(Shown(argument)));
        QByteArray value;
        if (equals >= 0)
            value = argument.mid(equals + 1);
        else if (i + 1 < arguments.size())
            value = arguments[++i];
        else
            return usage(QStringLiteral("option %1 needs a value").arg(Shown(name)));
        if (name == "--rules") {
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
        "  dialwright --format [--rules FILE]... [--rule LENGTH=PATTERN]... [--output FILE]\n"
        "                      [--lines] [FILE|-]...\n"
        "Formats the phone numbers of each FILE in order (standard input when there is none,\n"
        "and for -) as \"Start Formatting Phone Numbers\" does, reading the files as \"Load\n"
        "Phone Numbers From File\" does, and writes the results as \"Save As Comma Delimited\"\n"
        "writes them. It needs no display and reads and writes in blocks, so lists of any size\n"
        "take little memory.\n"
        "\n"
        "  --rules FILE           the rules of a file as \"Save Results As Text File\" writes\n"
        "                         them (one rule a line: the length, a TAB, the pattern)\n"
        "  --rule LENGTH=PATTERN  one rule: a number of LENGTH characters is laid into PATTERN,\n"
        "                         each x taking a digit; split at the first =\n"
        "  --output FILE          write to FILE, which is replaced only once the results are\n"
        "                         complete (links, owner and attributes kept); - is standard\n"
        "                         output, the default\n"
        "  --lines                one result a line ending in LF, for other line tools, instead\n"
        "                         of the comma-delimited form (a comma after every result but\n"
        "                         the last, CR LF line ends)\n"
        "Rules apply in the order given; the first whose length fits a number is used.\n"
        "Exit status: 0 when all went well, 1 when an input could not be read or the output\n"
        "could not be written, 2 for a command line that cannot be read.\n"
        "\n"
        "Example: dialwright --format --rule 10=xxx-xxx-xxxx --rule 7=xxx/xxxx --lines < "
        "list.txt\n");
}
