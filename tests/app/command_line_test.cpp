#include "app/command_line.h"
#include "support/file_helpers.h"
#include "support/form_fixture.h"

namespace {

struct LineCase {
    QStringList arguments;
    CommandLine::Action action;
    QStringList files;
};

TEST(CommandLineTest, FilesInOrderHelpVersionAndQtsOwnOptions)
{
    using Action = CommandLine::Action;
    const LineCase cases[] = {
        {{}, Action::Run, {}},
        {{"b.txt", "a.txt"}, Action::Run, {"b.txt", "a.txt"}},
        {{"--help", "x"}, Action::Help, {}},
        {{"a.txt", "-h"}, Action::Help, {"a.txt"}},
        {{"--version"}, Action::Version, {}},
        {{"-v"}, Action::Version, {}},
        {{"--bogus"}, Action::Usage, {}},
        {{"-x", "a.txt"}, Action::Usage, {}},
        {{"-style"}, Action::Usage, {}},  // a Qt option without its value
        {{"-platform", "offscreen", "-reverse", "--style=fusion", "a.txt"}, Action::Run, {"a.txt"}},
        {{"--", "-h", "--version"}, Action::Run, {"-h", "--version"}},
        {{"-"}, Action::Run, {"-"}},
    };
    for (const LineCase& c : cases) {
        const CommandLine line = ParseCommandLine(c.arguments);
        EXPECT_EQ(line.action, c.action) << c.arguments.join(' ').toStdString();
        EXPECT_EQ(line.files, c.files) << c.arguments.join(' ').toStdString();
        EXPECT_EQ(line.problem.isEmpty(), c.action != Action::Usage);
    }
}

TEST(CommandLineTest, RuleFilesInOrderBesideThePhoneNumberFiles)
{
    const struct {
        QStringList arguments;
        QStringList ruleFiles;
        QStringList files;
        bool usage;
    } cases[] = {
        {{"--rules", "r.txt"}, {"r.txt"}, {}, false},
        {{"a.txt", "--rules", "b.txt", "--rules=c.txt", "d.txt"},
         {"b.txt", "c.txt"},
         {"a.txt", "d.txt"},
         false},
        {{"--rules", "-odd name.txt"}, {"-odd name.txt"}, {}, false},
        {{"--", "--rules", "x.txt"}, {}, {"--rules", "x.txt"}, false},
        {{"a.txt", "--rules"}, {}, {"a.txt"}, true},
        {{"--rules="}, {}, {}, true},
    };
    for (const auto& c : cases) {
        const CommandLine line = ParseCommandLine(c.arguments);
        const std::string shown = c.arguments.join(' ').toStdString();
        EXPECT_EQ(line.ruleFiles, c.ruleFiles) << shown;
        EXPECT_EQ(line.files, c.files) << shown;
        EXPECT_EQ(line.action == CommandLine::Action::Usage, c.usage) << shown;
    }
}

class CommandLineFiles : public FormTest {};

// Files named on the command line load as a selection of several in the open dialog does:
// in order, and a missing one gets the same "File not found".
TEST_F(CommandLineFiles, LoadInOrderAndAMissingFileIsReported)
{
    QTemporaryDir work;
    WriteBytes(work.filePath("first.txt"), "1\r\n2\r\n");
    WriteBytes(work.filePath("second.txt"), QByteArray("\xff\xfe"
                                                       "3\0\r\0\n\0",
                                                       8));
    desktop.expectInfo(QStringLiteral("File not found"));
    form->LoadPhoneNumberFiles(
        {work.filePath("second.txt"), work.filePath("missing.txt"), work.filePath("first.txt")});
    EXPECT_EQ(texts(phones()), (QStringList{"3", "1", "2"}));
    EXPECT_EQ(form->pointer(), Form1::Pointer::Default);
}

}  // namespace
