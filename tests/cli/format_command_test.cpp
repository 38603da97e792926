#include "program.h"
#include "support/file_helpers.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include <map>

namespace {

const QStringList kSampleRules = {"--rule", "10=xxx-xxx-xxxx", "--rule", "7=xxx/xxxx"};

struct CommandCase {
    const char* name;
    QStringList arguments;  // "{dir}" stands for the case's own folder
    QByteArray input;       // standard input
    std::map<QString, QByteArray> files;
    int exitCode;
    QByteArray out;
    QByteArray err;
    // The file named by --output, when one is: its expected bytes (null: it must not exist).
    QString outputName = {};
    QByteArray outputBytes = {};
};

const std::vector<CommandCase>& Cases()
{
    static const std::vector<CommandCase> cases = {
        {"SampleRulesOnAFileGiveTheCommaDelimitedForm",
         kSampleRules + QStringList{"{dir}/list.txt"},
         {},
         {{"list.txt", "6034343563\r\n7173933292\r\n7978118\r\n"}},
         0,
         "603-434-3563,\r\n717-393-3292,\r\n797/8118\r\n",
         {}},
        {"StandardInputWhenNoFileIsNamedAndLinesEndInLf",
         kSampleRules + QStringList{"--lines"},
         "0123456789\n555-1234\nabcdefg\n0000000",
         {},
         0,
         "012-345-6789\n555-1234\nabcdefg\n000/0000\n",
         {}},
        {"DashIsStandardInputAmongFilesInOrder",
         kSampleRules + QStringList{"{dir}/a.txt", "-", "{dir}/b.txt"},
         "7978118",
         {{"a.txt", "6034343563"}, {"b.txt", "x\r\n"}},
         0,
         "603-434-3563,\r\n797/8118,\r\nx\r\n",
         {}},
        {"RuleFilesAndRuleOptionsApplyInCommandLineOrder",
         {"--format", "--rule", "7=xxx xxxx", "--rules", "{dir}/rules.txt", "--rule=10=x",
          "--lines", "{dir}/list.txt"},
         {},
         {{"rules.txt", "If length of phone number is this\tthen format like this\r\n"
                        "10                               \txxx-xxx-xxxx\r\n"
                        "7\txxx/xxxx\r\n"
                        "not a rule\r\n"
                        "11\t(x) xxx-xxx-xxxx\r\n"},
          {"list.txt", "6034343563\n7978118\n16034343563"}},
         0,
         "603-434-3563\n797 8118\n(1) 603-434-3563\n",
         "dialwright: {dir}/rules.txt: skipped 1 line that is not a rule: line 4 (no TAB between "
         "the length and the pattern)\n"},
        {"AMissingRuleFileStopsBeforeAnythingIsWritten",
         {"--format", "--rules", "{dir}/missing.txt", "--output", "{dir}/out.txt"},
         "7978118",
         {},
         1,
         {},
         "dialwright: {dir}/missing.txt: No such file or directory\n",
         "out.txt",
         QByteArray()},
        {"FirstFittingRuleWinsAndALengthSplitsAtTheFirstEquals",
         {"--format", "--rule=3=x=x=x", "--rule", "3=xxx!", "--rule", " 2.5 =(xx)", "--lines"},
         "123\n45",
         {},
         0,
         "1=2=3\n(45)\n",
         {}},
        {"EncodingsAsTheLoaderReadsThem",
         {"--format", "--lines", "--rule", "4=x-xxx", "{dir}/utf16.txt", "{dir}/ansi.txt",
          "{dir}/utf8.txt"},
         {},
         {{"utf16.txt", QByteArray("\xFF\xFE\x31\x00\x32\x00\x33\x00\x34\x00\x0D\x00\x0A\x00"
                                   "\xE9\x00",
                                   16)},
          {"ansi.txt", "caf\xE9\r\n\x80 5\r\n"},
          {"utf8.txt", "\xEF\xBB\xBF"
                       "5678\ncaf\xC3\xA9"}},
         0,
         "1-234\n\xC3\xA9\ncaf\xC3\xA9\n\xE2\x82\xAC 5\n5-678\ncaf\xC3\xA9\n",
         {}},
        {"AMissingFileIsReportedAndTheOthersAreStillFormatted",
         kSampleRules + QStringList{"{dir}/missing.txt", "{dir}/list.txt"},
         {},
         {{"list.txt", "7978118"}},
         1,
         "797/8118\r\n",
         "dialwright: {dir}/missing.txt: No such file or directory\n"},
        {"AFolderCannotBeRead",
         kSampleRules + QStringList{"{dir}"},
         {},
         {},
         1,
         {},
         "dialwright: {dir}: Is a directory\n"},
        {"RulesThatCanNeverFitAreRefusedBeforeAnyOutput",
         {"--format", "--rule", "3=xxx-", "--rule", "abc=x", "--rule", "40000=x", "--rule",
          "4=x.xxx", "--lines", "--output", "{dir}/out.txt"},
         "123\n4567\n8901",
         {},
         2,
         {},
         "dialwright: --rule 2: unknown region \"abc\"\n"
         "dialwright: --rule 3: length \"40000\": Overflow\n",
         "out.txt",
         QByteArray()},
        {"EmptyInputGivesNoBytes", kSampleRules, {}, {}, 0, {}, {}},
        {"TidyLaysOutNumbersWrittenWithPunctuationAndLeavesTheRest",
         {"--format", "--tidy", "--lines", "--rule", "10=xxx-xxx-xxxx", "--rule",
          "11=+x xxx-xxx-xxxx"},
         "(603) 434-3563\n+1 603.434.3563\n1-800-FLOWERS\n603-434-3563 ext 5\n\n",
         {},
         0,
         "603-434-3563\n+1 603-434-3563\n1-800-FLOWERS\n603-434-3563 ext 5\n\n",
         {}},
        {"UniqueWritesTheFirstOfEachNumberInAnyLayout",
         {"--format", "--unique", "--lines", "--rule", "10=xxx-xxx-xxxx"},
         "(603) 434-3563\n6034343563\nabc\nabc\n603.434.3563\n7978118\n",
         {},
         0,
         "(603) 434-3563\nabc\n7978118\n",
         {}},
        {"OutputFileTakesTheResults",
         kSampleRules + QStringList{"--output", "{dir}/out.txt", "-"},
         "7978118\n",
         {},
         0,
         {},
         {},
         "out.txt",
         "797/8118,\r\n\r\n"},
        {"OutputThroughALinkKeepsTheLink",
         kSampleRules + QStringList{"--output={dir}/link.txt", "--lines"},
         "6034343563",
         {},
         0,
         {},
         {},
         "link.txt",
         "603-434-3563\n"},
        {"OutputInAMissingFolderFailsAndLeavesNothing",
         kSampleRules + QStringList{"--output", "{dir}/none/out.txt"},
         "7978118",
         {},
         1,
         {},
         "dialwright: {dir}/none/out.txt: No such file or directory\n",
         "none/out.txt",
         QByteArray()},
        {"RuleWithoutEqualsIsAUsageError",
         {"--format", "--rule", "10"},
         {},
         {},
         2,
         {},
         "dialwright: --rule takes LENGTH=PATTERN, not 10\n"
         "Usage: dialwright [OPTION]... [FILE]...\n"
         "Try 'dialwright --help' for more information.\n"},
        {"UnknownOptionIsAUsageError",
         {"--format", "--colour"},
         {},
         {},
         2,
         {},
         "dialwright: unknown option --colour\n"
         "Usage: dialwright [OPTION]... [FILE]...\n"
         "Try 'dialwright --help' for more information.\n"},
        {"OptionWithoutItsValueIsAUsageError",
         {"--format", "--output"},
         {},
         {},
         2,
         {},
         "dialwright: option --output needs a value\n"
         "Usage: dialwright [OPTION]... [FILE]...\n"
         "Try 'dialwright --help' for more information.\n"},
        {"OutputTwiceIsAUsageError",
         {"--format", "--output", "a", "--output", "b"},
         {},
         {},
         2,
         {},
         "dialwright: --output given twice\n"
         "Usage: dialwright [OPTION]... [FILE]...\n"
         "Try 'dialwright --help' for more information.\n"},
        {"AfterTwoDashesEverythingIsAFile",
         kSampleRules + QStringList{"--lines", "--", "--lines"},
         {},
         {},
         1,
         {},
         "dialwright: --lines: No such file or directory\n"},
    };
    return cases;
}

class FormatCommand : public ::testing::TestWithParam<CommandCase> {};

QByteArray InFolder(QByteArray text, const QString& folder)
{
    return text.replace("{dir}", folder.toUtf8());
}

TEST_P(FormatCommand, WritesWhatItShouldAndExitsAsItShould)
{
    const CommandCase& c = GetParam();
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    for (const auto& [name, bytes] : c.files)
        WriteBytes(dir.filePath(name), bytes);
    // The link's target is a file of its own beside it.
    WriteBytes(dir.filePath(QStringLiteral("target.txt")), "old");
    ASSERT_TRUE(QFile::link(dir.filePath(QStringLiteral("target.txt")),
                            dir.filePath(QStringLiteral("link.txt"))));
    QStringList arguments{QStringLiteral("--format")};
    for (QString argument : c.arguments)
        arguments << argument.replace(QLatin1String("{dir}"), dir.path());
    if (c.arguments.first() == QLatin1String("--format"))
        arguments.removeFirst();
    // The command runs from the folder, so a relative --output would land there too.
    const ProgramRun run = RunProgram(arguments, c.input);
    EXPECT_FALSE(run.crashed);
    EXPECT_EQ(run.exitCode, c.exitCode);
    EXPECT_EQ(run.out, c.out);
    EXPECT_EQ(run.err, InFolder(c.err, dir.path()));
    if (!c.outputName.isEmpty()) {
        const QString output = dir.filePath(c.outputName);
        if (c.outputBytes.isNull()) {
            EXPECT_FALSE(QFileInfo::exists(output));
        } else {
            EXPECT_EQ(ReadBytes(output), c.outputBytes);
        }
        if (c.outputName == QLatin1String("link.txt")) {
            EXPECT_TRUE(QFileInfo(output).isSymLink());
            EXPECT_EQ(ReadBytes(dir.filePath(QStringLiteral("target.txt"))), c.outputBytes);
        }
    }
    // Nothing is left beside the output: no temporary file.
    EXPECT_EQ(QDir(dir.path(), QStringLiteral(".*"), QDir::NoSort, QDir::Hidden | QDir::Files)
                  .entryList(),
              QStringList());
}

INSTANTIATE_TEST_SUITE_P(Table, FormatCommand, ::testing::ValuesIn(Cases()),
                         [](const auto& each) { return std::string(each.param.name); });

struct StatusCase {
    const char* name;
    QStringList arguments;
    QString standardOutput;  // a file, or empty to take what is written
    int exitCode;            // -1: ended by a signal
    QByteArray err;
    QByteArray outContains = {};
};

class FormatStatus : public ::testing::TestWithParam<StatusCase> {};

// Standard output that cannot be written fails the command, --help and --version included;
// and the window itself, run in the same place, shows that this place has no display to give.
TEST_P(FormatStatus, ExitsAsItShould)
{
    const StatusCase& c = GetParam();
    const ProgramRun run = RunProgram(c.arguments, "6034343563\r\n", c.standardOutput);
    if (c.exitCode < 0) {
        EXPECT_TRUE(run.crashed);
    } else {
        EXPECT_FALSE(run.crashed);
        EXPECT_EQ(run.exitCode, c.exitCode);
    }
    EXPECT_EQ(run.err.left(c.err.size()), c.err);
    EXPECT_TRUE(run.out.contains(c.outContains)) << run.out.toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Table, FormatStatus,
    ::testing::Values(
        StatusCase{"FullDiskFailsTheFormatting",
                   {"--format"},
                   "/dev/full",
                   1,
                   "dialwright: standard output: No space left on device\n"},
        StatusCase{"FullDiskFailsTheHelp",
                   {"--help"},
                   "/dev/full",
                   1,
                   "dialwright: standard output: No space left on device\n"},
        StatusCase{"FullDiskFailsTheVersion",
                   {"--format", "--version"},
                   "/dev/full",
                   1,
                   "dialwright: standard output: No space left on device\n"},
        StatusCase{"HelpDescribesFormatting",
                   {"--format", "--help"},
                   {},
                   0,
                   "",
                   "dialwright --format [--rules FILE]... [--rule LENGTH=PATTERN|CC=LAYOUT]..."},
        StatusCase{
            "WithoutFormatTheWindowStartsAGuiApplicationThatCannotStartHere", {}, {}, -1, ""}),
    [](const auto& each) { return std::string(each.param.name); });

}  // namespace
