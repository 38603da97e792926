#include "window/command_line.h"

#include "files/file_system.h"

#include <QLocale>

#include <algorithm>
#include <array>
#include <cstring>

namespace {

using Action = CommandLine::Action;

// The program's own options. Each entry says what the option does to the command line; a new
// option is one more row (with takesValue, its value is the argument after it or after "=").
struct Option {
    const char* shortName;  // nullptr when there is none
    const char* longName;
    bool takesValue;
    void (*apply)(CommandLine& line, const QByteArray& value);
};

constexpr std::array kOptions = {
    Option{"-h", "--help", false,
           [](CommandLine& line, const QByteArray&) { line.action = Action::Help; }},
    Option{"-v", "--version", false,
           [](CommandLine& line, const QByteArray&) { line.action = Action::Version; }},
    Option{nullptr, "--rules", true,
           [](CommandLine& line, const QByteArray& value) {
               if (value.isEmpty()) {
                   line.action = Action::Usage;
                   line.problem = QStringLiteral("option --rules needs a file");
                   return;
               }
               line.ruleFiles << value;
           }},
};

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

const Option* FindOption(const QByteArray& spelled)
{
    for (const Option& option : kOptions)
        if (spelled == option.longName
            || (option.shortName != nullptr && spelled == option.shortName))
            return &option;
    return nullptr;
}

bool Among(const auto& names, const QByteArray& name)
{
    return std::any_of(names.begin(), names.end(), [&](const char* each) { return name == each; });
}

QString Shown(const QByteArray& argument)
{
    return QString::fromLocal8Bit(argument);
}

CommandLine Usage(CommandLine line, const QString& problem)
{
    line.action = Action::Usage;
    line.problem = problem;
    return line;
}

}  // namespace

CommandLine ParseCommandLine(const QList<QByteArray>& arguments)
{
    CommandLine line;
    line.qtArgumentCount = static_cast<int>(arguments.size());
    bool options = true;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QByteArray& argument = arguments[i];
        if (!options || !argument.startsWith('-') || argument == "-") {
            line.files << argument;
            continue;
        }
        if (argument == "--") {
            options = false;
            line.qtArgumentCount = static_cast<int>(i);
            continue;
        }
        const qsizetype equals = argument.indexOf('=');
        const QByteArray spelled = equals < 0 ? argument : argument.left(equals);
        if (const Option* own = FindOption(spelled)) {
            QByteArray value;
            if (own->takesValue) {
                if (equals >= 0)
                    value = argument.mid(equals + 1);
                else if (++i < arguments.size())
                    value = arguments[i];
                else
                    return Usage(line,
                                 QStringLiteral("option %1 needs a value").arg(Shown(argument)));
            } else if (equals >= 0) {
                return Usage(line, QStringLiteral("option %1 takes no value").arg(Shown(spelled)));
            }
            own->apply(line, value);
            // Help, version and a usage error answer at once, whatever follows.
            if (line.action != Action::Run)
                return line;
            continue;
        }
        const QByteArray name = spelled.mid(spelled.startsWith("--") ? 2 : 1);
        if (Among(kQtFlags, name))
            continue;
        if (Among(kQtOptionsWithValue, name)) {
            if (equals < 0 && ++i >= arguments.size())
                return Usage(line, QStringLiteral("option %1 needs a value").arg(Shown(argument)));
            continue;
        }
        return Usage(line, QStringLiteral("unknown option %1").arg(Shown(argument)));
    }
    return line;
}

namespace {

// A box stays readable however many names there are, and however long each is.
constexpr qsizetype kNamesInBox = 20;
constexpr qsizetype kLongestNameInBox = 120;

// A name as a box can show it: bytes that are not UTF-8 become U+FFFD, control characters
// (a line break would split the name) too, and a very long name keeps its two ends.
QString NameForBox(const QByteArray& name)
{
    QString shown = QString::fromLocal8Bit(name);
    for (QChar& c : shown)
        if (c.category() == QChar::Other_Control)
            c = QChar::ReplacementCharacter;
    if (shown.size() > kLongestNameInBox) {
        const qsizetype half = (kLongestNameInBox - 1) / 2;
        shown = shown.left(half) + QChar(u'…') + shown.right(half);
    }
    return shown;
}

}  // namespace

QString MissingFilesMessage(const QList<MissingFile>& missing)
{
    QString text = QStringLiteral("File not found");
    if (missing.isEmpty())
        return text;
    text += QLatin1Char(':');
    for (qsizetype i = 0; i < missing.size() && i < kNamesInBox; ++i)
        text += QLatin1Char('\n') + NameForBox(missing[i].name);
    if (missing.size() > kNamesInBox)
        text += QStringLiteral("\nand %1 more")
                    .arg(QLocale().toString(static_cast<qlonglong>(missing.size() - kNamesInBox)));
    return text;
}

QByteArray MissingFilesErrorLines(const QList<MissingFile>& missing)
{
    QByteArray lines;
    for (const MissingFile& file : missing) {
        lines += "dialwright: " + ShownName(file.name) + ": " + std::strerror(file.error) + '\n';
    }
    return lines;
}
