#include "core/program_text.h"

#include "core/country_rule.h"

QString HelpText()
{
    return QStringLiteral(
        "Usage: dialwright [OPTION]... [FILE]...\n"
        "Rewrite lists of telephone numbers into one uniform layout.\n"
        "\n"
        "Each FILE is a text file of phone numbers, one per line, loaded into the phone list\n"
        "at start in the order given, as \"Load Phone Numbers From File\" loads it. Files that\n"
        "do not exist are named on standard error and listed in one box.\n"
        "\n"
        "  --rules FILE     load format rules from FILE before the window shows: one rule\n"
        "                   a line, the length, a TAB, the pattern, as \"Save Results As\n"
        "                   Text File\" writes them; may be given more than once\n"
        "  -h, --help       show this help and exit\n"
        "  -v, --version    show the version and exit\n"
        "  --               the arguments that follow are files, even when they start with -\n"
        "\n"
        "In the window, Ctrl+Z undoes the last change to the lists, and Ctrl+Shift+Z or\n"
        "Ctrl+Y redoes it. Results that no rule changed are drawn faint and in italics;\n"
        "their tool tip says why.\n"
        "\n"
        "Qt's own options, such as -platform and -style, are accepted before --.\n"
        "See dialwright(1) for the rules, the patterns and the file formats.\n");
}

QString VersionText()
{
    // Country rules are only as current as the numbering plans the library was released with.
    return QStringLiteral("dialwright " DIALWRIGHT_VERSION "\n"
                          "Country rules: the numbering plans of libphonenumber %1\n")
        .arg(CountryDataVersion());
}

QString UsageText(const QString& problem)
{
    return QStringLiteral("dialwright: %1\nUsage: dialwright [OPTION]... [FILE]...\n"
                          "Try 'dialwright --help' for more information.\n")
        .arg(problem);
}
