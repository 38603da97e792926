#include "app/command_line.h"

#include <algorithm>
#include <array>

namespace {

// Qt's own options, as QGuiApplication and QApplication read them (with one dash or two).
constexpr std::array kQtOptionsWithValue = {
    "platform",      "platformpluginpath",
    "platformtheme", "plugin",
    "qmljsdebugger", "qwindowgeometry",
    "geometry",      "qwindowtitle",
    "title",         "qwindowicon",
    "icon",          "name",
    "display",       "style",
    "stylesheet",    "session",
    "visual",        "ncols",
    "cmap",          "fn",
    "font",          "bg",
    "background",    "fg",
    "foreground",    "btn",
    "button",        "im",
    "inputstyle",
};
constexpr std::array kQtFlags = {
    "reverse", "widgetcount", "nograb", "dograb", "sync", "testability", "qwindowsfocus",
};

bool Among(const auto& names, const QString& name)
{
    return std::any_of(names.begin(), names.end(),
                       [&](const char* each) { return name == QLatin1String(each); });
}

}  // namespace

CommandLine ParseCommandLine(const QStringList& arguments)
{
    CommandLine line;
    bool options = true;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (!options || !argument.startsWith(QLatin1Char('-')) || argument == QLatin1String("-")) {
            line.files << argument;
            continue;
        }
        if (argument == QLatin1String("--")) {
            options = false;
            continue;
        }
        if (argument == QLatin1String("--help") || argument == QLatin1String("-h")) {
            line.action = CommandLine::Action::Help;
            return line;
        }
        if (argument == QLatin1String("--version") || argument == QLatin1String("-v")) {
            line.action = CommandLine::Action::Version;
            return line;
        }
        QString name = argument.mid(argument.startsWith(QLatin1String("--")) ? 2 : 1);
        const qsizetype equals = name.indexOf(QLatin1Char('='));
        if (equals >= 0)
            name.truncate(equals);
        if (Among(kQtFlags, name))
            continue;
        if (Among(kQtOptionsWithValue, name)) {
            if (equals < 0 && ++i >= arguments.size()) {
                line.action = CommandLine::Action::Usage;
                line.problem = QStringLiteral("option %1 needs a value").arg(argument);
                return line;
            }
            continue;
        }
        line.action = CommandLine::Action::Usage;
        line.problem = QStringLiteral("unknown option %1").arg(argument);
        return line;
    }
    return line;
}

QString HelpText()
{
    return QStringLiteral(
        "Usage: dialwright [OPTION]... [FILE]...\n"
        "Rewrite lists of telephone numbers into one uniform layout.\n"
        "\n"
        "Each FILE is a text file of phone numbers, one per line, loaded into the phone list\n"
        "at start in the order given, as \"Load Phone Numbers From File\" loads it.\n"
        "\n"
        "In the window, Ctrl+Z undoes the last change to the lists, and Ctrl+Shift+Z or\n"
        "Ctrl+Y redoes it. Results that no rule changed are drawn faint and in italics;\n"
        "their tool tip says why.\n"
        "\n"
        "  -h, --help       show this help and exit\n"
        "  -v, --version    show the version and exit\n"
        "  --               the arguments that follow are files, even when they start with -\n"
        "\n"
        "Qt's own options, such as -platform and -style, are accepted as well.\n"
        "See dialwright(1) for the rules, the patterns and the file formats.\n");
}

QString VersionText()
{
    return QStringLiteral("dialwright " DIALWRIGHT_VERSION "\n");
}

QString UsageText(const QString& problem)
{
    return QStringLiteral("dialwright: %1\nUsage: dialwright [OPTION]... [FILE]...\n"
                          "Try 'dialwright --help' for more information.\n")
        .arg(problem);
}
