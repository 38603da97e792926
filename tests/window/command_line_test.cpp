#include "support/file_helpers.h"
#include "support/form_fixture.h"
#include "window/command_line.h"

#include <QLocale>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

struct LineCase {
    QList<QByteArray> arguments;
    CommandLine::Action action;
    QList<QByteArray> files;
    int qtArgumentCount;  // of the arguments, those Qt may read
};

TEST(CommandLineTest, FilesInOrderHelpVersionAndQtsOwnOptions)
{
    using Action = CommandLine::Action;
    const LineCase cases[] = {
        {{}, Action::Run, {}, 0},
        {{"b.txt", "a.txt"}, Action::Run, {"b.txt", "a.txt"}, 2},
        {{"--help", "x"}, Action::Help, {}, 2},
        {{"a.txt", "-h"}, Action::Help, {"a.txt"}, 2},
        {{"--version"}, Action::Version, {}, 1},
        {{"-v"}, Action::Version, {}, 1},
        {{"--bogus"}, Action::Usage, {}, 1},
        {{"--help=now"}, Action::Usage, {}, 1},
        {{"-x", "a.txt"}, Action::Usage, {}, 2},
        {{"-style"}, Action::Usage, {}, 1},  // a Qt option without its value
        {{"-platform", "offscreen", "-reverse", "--style=fusion", "a.txt"},
         Action::Run,
         {"a.txt"},
         5},
        {{"--", "-h", "--version"}, Action::Run, {"-h", "--version"}, 0},
        // After "--" Qt's options are names of files, and Qt is not shown them.
        {{"-style", "fusion", "a.txt", "--", "-display", "nosuch", "-platform", "offscreen"},
         Action::Run,
         {"a.txt", "-display", "nosuch", "-platform", "offscreen"},
         3},
        {{"a", "--", "b", "--", "c"}, Action::Run, {"a", "b", "--", "c"}, 1},
        {{"-"}, Action::Run, {"-"}, 1},
        // A name that is not UTF-8 stays byte for byte.
        {{"caf\xe9.txt", "--", "\xff-"}, Action::Run, {"caf\xe9.txt", "\xff-"}, 1},
    };
    for (const LineCase& c : cases) {
        const CommandLine line = ParseCommandLine(c.arguments);
        const std::string shown = c.arguments.join(' ').toStdString();
        EXPECT_EQ(line.action, c.action) << shown;
        EXPECT_EQ(line.files, c.files) << shown;
        EXPECT_EQ(line.problem.isEmpty(), c.action != Action::Usage) << shown;
        EXPECT_EQ(line.qtArgumentCount, c.qtArgumentCount) << shown;
    }
}

TEST(CommandLineTest, RuleFilesInOrderBesideThePhoneNumberFiles)
{
    const struct {
        QList<QByteArray> arguments;
        QList<QByteArray> ruleFiles;
        QList<QByteArray> files;
        bool usage;
    } cases[] = {
        {{"--rules", "r.txt"}, {"r.txt"}, {}, false},
        {{"a.txt", "--rules", "b.txt", "--rules=c.txt", "d.txt"},
         {"b.txt", "c.txt"},
         {"a.txt", "d.txt"},
         false},
        {{"--rules", "-odd name.txt"}, {"-odd name.txt"}, {}, false},
        {{"--rules", "r\xe9\n.txt"}, {"r\xe9\n.txt"}, {}, false},
        {{"--", "--rules", "x.txt"}, {}, {"--rules", "x.txt"}, false},
        {{"a.txt", "--rules"}, {}, {"a.txt"}, true},
        {{"--rules="}, {}, {}, true},
    };
    for (const auto& c : cases) {
        const CommandLine line = ParseCommandLine(c.arguments);
        const std::string shown = QByteArrayList(c.arguments).join(' ').toStdString();
        EXPECT_EQ(line.ruleFiles, c.ruleFiles) << shown;
        EXPECT_EQ(line.files, c.files) << shown;
        EXPECT_EQ(line.action == CommandLine::Action::Usage, c.usage) << shown;
    }
}

// A file whose name is these bytes, whatever they decode to.
void WriteByName(const QByteArray& name, const QByteArray& bytes)
{
    std::FILE* file = std::fopen(name.constData(), "wb");
    ASSERT_NE(file, nullptr) << name.toStdString();
    ASSERT_EQ(std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), file),
              static_cast<size_t>(bytes.size()));
    ASSERT_EQ(std::fclose(file), 0);
}

class CommandLineFiles : public FormTest {};

// Files named on the command line load as a selection of several in the open dialog does, in
// order, also under a name that is not UTF-8. Those that cannot be found are reported once: one
// box naming the first twenty and counting the rest, one line each on standard error.
TEST_F(CommandLineFiles, LoadInOrderAndReportTheMissingOnceByName)
{
    const QByteArray folder = QFile::encodeName(work.path()) + '/';
    WriteBytes(work.filePath("first.txt"), "1\r\n2\r\n");
    WriteBytes(work.filePath("second.txt"), QByteArray("\xff\xfe"
                                                       "3\0\r\0\n\0",
                                                       8));
    WriteByName(folder + "caf\xe9.txt", "7978118\n");

    const QByteArray controlName = folder + "gone\xe9\n.txt";
    const QByteArray longName = folder + QByteArray(300, 'n');
    QList<QByteArray> names{folder + "second.txt", controlName, folder + "caf\xe9.txt",
                            folder + "first.txt/under", longName};
    for (int i = 0; i < 10000; ++i)
        names << folder + "missing-" + QByteArray::number(i);
    names << folder + "first.txt";

    const QList<MissingFile> missing = form->LoadPhoneNumberFiles(names);
    EXPECT_EQ(texts(phones()), (QStringList{"3", "7978118", "", "1", "2"}));
    EXPECT_EQ(form->pointer(), Form1::Pointer::Default);
    ASSERT_EQ(missing.size(), 10003);
    EXPECT_EQ(missing[0].name, controlName);
    EXPECT_EQ(missing[0].error, ENOENT);
    EXPECT_EQ(missing[1].error, ENOTDIR);
    EXPECT_EQ(missing[10002].name, folder + "missing-9999");

    const QString shownFolder = work.path() + QLatin1Char('/');
    QString box = QStringLiteral("File not found:\n") + shownFolder
                  + QStringLiteral("gone\uFFFD\uFFFD.txt\n") + shownFolder
                  + QStringLiteral("first.txt/under\n");
    const QString shownLong = QString::fromLatin1(longName);
    box += shownLong.left(59) + QChar(u'…') + shownLong.right(59);
    for (int i = 0; i < 17; ++i)
        box += QLatin1Char('\n') + shownFolder + QStringLiteral("missing-%1").arg(i);
    box += QStringLiteral("\nand %1 more").arg(QLocale().toString(9983));
    desktop.expectInfo(box);
    form->ReportMissingFiles(missing);
    form->ReportMissingFiles({});  // nothing missing: no box

    const QList<QByteArray> lines = MissingFilesErrorLines(missing).split('\n');
    ASSERT_EQ(lines.size(), 10004);
    const QByteArray notFound = std::strerror(ENOENT);
    EXPECT_EQ(lines[0], "dialwright: " + folder + "gone\xe9\\n.txt: " + notFound);
    EXPECT_EQ(lines[1], "dialwright: " + folder + "first.txt/under: " + std::strerror(ENOTDIR));
    EXPECT_EQ(lines[10002], "dialwright: " + folder + "missing-9999: " + notFound);
    EXPECT_EQ(lines[10003], "");
}

}  // namespace
