#include "support/file_helpers.h"
#include "support/form_fixture.h"
#include "support/locations.h"
#include "window/result_list/save_comma.h"

#include <QDir>

#include <csignal>
#include <sys/resource.h>

namespace {

class CommaSave : public FormTest {
protected:
    QString path(const QString& name) const { return work.filePath(name); }

    void expectDialog(const QString& answer, const QString& startName = QString())
    {
        FileDialogSettings settings;
        settings.title = QStringLiteral("Save");
        settings.filter = QStringLiteral("Text Files (*.txt)|*.txt|All Files (*.*)|*.*|");
        settings.fileName = startName;
        desktop.expectSaveFile(settings, answer);
    }
    void expectOverwrite(const QString& file, MsgResult answer)
    {
        desktop.expectMessage(
            QStringLiteral("Are you sure you wish to overwrite ") + file + QStringLiteral(" ?"),
            QStringLiteral("Dialwright"), MsgIcon::None, MsgButtons::YesNo, answer);
    }
    void save(const QString& file)
    {
        expectDialog(file, form->dialogFileName());
        form->PushButton2->click();
    }
};

TEST_F(CommaSave, ResultsAreJoinedByCommasAcrossLineEnds)
{
    for (const char* result : {"603-434-3563", "717-393-3292", "797/8118"})
        results().append(QString::fromLatin1(result));
    save(path("out.txt"));
    EXPECT_EQ(ReadBytes(path("out.txt")), "603-434-3563,\r\n717-393-3292,\r\n797/8118\r\n");
    EXPECT_EQ(form->pointer(), Form1::Pointer::Arrow);
}

TEST_F(CommaSave, OneResultHasNoCommaAndAnEmptyListGivesZeroBytes)
{
    save(path("empty"));  // no extension is added
    EXPECT_TRUE(QFile::exists(path("empty")));
    EXPECT_EQ(ReadBytes(path("empty")), QByteArray());
    results().append(QStringLiteral("555-0101"));
    save(path("one.txt"));
    EXPECT_EQ(ReadBytes(path("one.txt")), "555-0101\r\n");
}

TEST_F(CommaSave, CellsAreWrittenAsTheyStandInUtf8)
{
    for (const char* result : {" a, \"b\" ", "", "Zoë ☎ 5"})
        results().append(QString::fromUtf8(result));
    save(path("cells.txt"));
    EXPECT_EQ(ReadBytes(path("cells.txt")),
              QByteArray(" a, \"b\" ,\r\n,\r\nZo\xc3\xab \xe2\x98\x8e 5\r\n"));
    // Texts of eight-bit characters are held as Latin-1 and encoded on the way out.
    results().clear();
    results().append(QString::fromUtf8("Zoë \u00a0\u00ff"));
    ASSERT_FALSE(results().texts().wide());
    save(path("latin.txt"));
    EXPECT_EQ(ReadBytes(path("latin.txt")), QByteArray("Zo\xc3\xab \xc2\xa0\xc3\xbf\r\n"));
}

// The writer needs no window: a desktop, a pacer and any list.
TEST(CommaWriter, SeveralColumnsGetAHeadingLineEndingInAComma)
{
    ScriptedDesktop desktop;
    QTemporaryDir work;
    ListModel list;
    list.addColumn(QStringLiteral("A"));
    list.addColumn(QStringLiteral("B"));
    for (const char* text : {"603-434-3563", "717-393-3292", "797/8118"})
        list.append(QString::fromLatin1(text));
    list.setSubItem(1, 1, QStringLiteral("x,y"));
    Pacer pacer(desktop, {&list});
    const QString title = QStringLiteral("Dialwright");
    SaveComma::SaveListviewAsCommaDelimToFile(desktop, pacer, title, list,
                                              work.filePath(QStringLiteral("two.csv")));
    EXPECT_EQ(ReadBytes(work.filePath(QStringLiteral("two.csv"))),
              "A,B,\r\n603-434-3563,\r\n717-393-3292,x,y\r\n797/8118,\r\n");
    ListModel empty;
    empty.addColumn(QStringLiteral("A"));
    empty.addColumn(QStringLiteral("B"));
    SaveComma::SaveListviewAsCommaDelimToFile(desktop, pacer, title, empty,
                                              work.filePath(QStringLiteral("heading.csv")));
    EXPECT_EQ(ReadBytes(work.filePath(QStringLiteral("heading.csv"))), "A,B,\r\n");
}

TEST_F(CommaSave, OverwriteQuestionComesUnderTheHourglass)
{
    WriteBytes(path("old.txt"), "old contents that are longer\r\n");
    results().append(QStringLiteral("new"));
    expectDialog(path("old.txt"));
    expectOverwrite(path("old.txt"), MsgResult::No);
    std::vector<Form1::Pointer> pointers;
    desktop.setOnBox([&] { pointers.push_back(form->pointer()); });
    form->PushButton2_Click();
    EXPECT_EQ(ReadBytes(path("old.txt")), "old contents that are longer\r\n");
    EXPECT_EQ(pointers,
              (std::vector<Form1::Pointer>{Form1::Pointer::Default, Form1::Pointer::Hourglass}));
    EXPECT_EQ(form->pointer(), Form1::Pointer::Arrow);
    desktop.setOnBox(nullptr);

    expectDialog(path("old.txt"), path("old.txt"));  // the dialog starts from the last name
    expectOverwrite(path("old.txt"), MsgResult::Yes);
    form->PushButton2_Click();
    EXPECT_EQ(ReadBytes(path("old.txt")), "new\r\n");
    EXPECT_EQ(QDir(work.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"old.txt"});
}

TEST_F(CommaSave, CancelledDialogWritesNothing)
{
    results().append(QStringLiteral("r"));
    expectDialog(QString());
    form->PushButton2_Click();
    EXPECT_TRUE(QDir(work.path()).isEmpty());
    EXPECT_EQ(form->pointer(), Form1::Pointer::Default);
}

TEST_F(CommaSave, FileThatCannotBeCreatedIsReportedOnce)
{
    for (int i = 0; i < 20; ++i)
        results().append(QString::number(i));
    expectDialog(path("missing/out.txt"));
    desktop.expectErrorReport(QStringLiteral("Path not found"), kCommaWriter, 120);
    form->PushButton2_Click();
    // A folder given as the file name.
    ASSERT_TRUE(QDir(work.path()).mkdir(QStringLiteral("folder")));
    expectDialog(path("folder"), path("missing/out.txt"));
    expectOverwrite(path("folder"), MsgResult::Yes);
    desktop.expectErrorReport(QStringLiteral("Path/File access error"), kCommaWriter, 120);
    form->PushButton2_Click();
    EXPECT_EQ(form->pointer(), Form1::Pointer::Arrow);
}

TEST_F(CommaSave, ANameTheFileSystemRefusesIsReportedOnce)
{
    results().append(QStringLiteral("r"));
    const QString tooLong = path(QString(300, QLatin1Char('n')));
    expectDialog(tooLong);
    desktop.expectErrorReport(QStringLiteral("Bad file name or number"), kCommaWriter, 120);
    form->PushButton2_Click();
    EXPECT_TRUE(QDir(work.path()).isEmpty());
}

TEST_F(CommaSave, FullDiskLeavesTheOldFileAsItWas)
{
    WriteBytes(path("keep.txt"), "the old results\r\n");
    for (int i = 0; i < 200000; ++i)
        results().appendDeferred(QStringLiteral("603-434-3563"));
    results().flushAppends();
    expectDialog(path("keep.txt"));
    expectOverwrite(path("keep.txt"), MsgResult::Yes);
    desktop.expectErrorReport(QStringLiteral("Disk full"), kCommaWriter, 172);

    // RLIMIT_FSIZE refuses large writes for root too.
    const auto previous = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit saved {};
    getrlimit(RLIMIT_FSIZE, &saved);
    struct rlimit small = saved;
    small.rlim_cur = rlim_t{64} * 1024;
    setrlimit(RLIMIT_FSIZE, &small);
    form->PushButton2_Click();
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previous);

    EXPECT_EQ(ReadBytes(path("keep.txt")), "the old results\r\n");
    EXPECT_EQ(QDir(work.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"keep.txt"});
}

TEST_F(CommaSave, RuleListDoubleClickHoldsBackDuringTheSave)
{
    form->PushButton11_Click();
    results().append(QStringLiteral("a"));
    form->ListView2->select(0);
    desktop.onYield(1, [&] { form->ListView2_DblClick(); });
    save(path("busy.txt"));
    EXPECT_EQ(rules().count(), 2);
}

}  // namespace
