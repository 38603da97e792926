#include "support/file_helpers.h"
#include "support/form_fixture.h"
#include "support/locations.h"
#include "window/result_list/save_list.h"

#include <QDir>

namespace {

const QByteArray kHeading = "If length of phone number is this\tthen format like this\t\r\n";

class AlignedSave : public FormTest {
protected:
    QString path(const QString& name) const { return work.filePath(name); }

    void save(const QString& file)
    {
        expectSaveDialog(file);
        form->PushButton6->click();
    }
    static QByteArray spaces(int n) { return QByteArray(n, ' '); }
};

TEST_F(AlignedSave, SampleRulesGiveTheThreeWorkedLines)
{
    form->PushButton11_Click();
    results().append(QStringLiteral("a result that is not written"));
    save(path("rules.txt"));
    EXPECT_EQ(ReadBytes(path("rules.txt")), kHeading + "10" + spaces(31) + "\txxx-xxx-xxxx"
                                                + spaces(9) + "\t\r\n" + "7" + spaces(32)
                                                + "\txxx/xxxx" + spaces(13) + "\t\r\n");
    EXPECT_EQ(form->pointer(), Form1::Pointer::Arrow);
}

TEST_F(AlignedSave, EmptyRuleListGivesTheHeadingLineAlone)
{
    save(path("empty"));
    EXPECT_EQ(ReadBytes(path("empty")), kHeading);
}

TEST_F(AlignedSave, LongCellsWidenTheirColumnAndNothingIsTrimmed)
{
    addRule(QStringLiteral("  7"), QStringLiteral("(xxx) xxx-xxxx ext. xxxxx"));  // 25 characters
    addRule(QStringLiteral("10"), QStringLiteral("xxx"));
    save(path("wide.txt"));
    EXPECT_EQ(ReadBytes(path("wide.txt")),
              "If length of phone number is this\tthen format like this" + spaces(4) + "\t\r\n"
                  + "  7" + spaces(30) + "\t(xxx) xxx-xxxx ext. xxxxx\t\r\n" + "10" + spaces(31)
                  + "\txxx" + spaces(22) + "\t\r\n");
}

TEST_F(AlignedSave, OverwriteQuestionComesBeforeTheHourglass)
{
    WriteBytes(path("old.txt"), "old");
    std::vector<Form1::Pointer> pointers;
    desktop.setOnBox([&] { pointers.push_back(form->pointer()); });
    expectSaveDialog(path("old.txt"));
    desktop.expectMessage(QStringLiteral("Are you sure you wish to overwrite ") + path("old.txt")
                              + QStringLiteral(" ?"),
                          QStringLiteral("Dialwright"), MsgIcon::None, MsgButtons::YesNo,
                          MsgResult::No);
    form->PushButton6_Click();
    EXPECT_EQ(ReadBytes(path("old.txt")), "old");
    EXPECT_EQ(pointers,
              (std::vector<Form1::Pointer>{Form1::Pointer::Default, Form1::Pointer::Default}));
    EXPECT_EQ(form->pointer(), Form1::Pointer::Default);  // No: the pointer was never touched

    expectSaveDialog(path("old.txt"));
    desktop.expectMessage(QStringLiteral("Are you sure you wish to overwrite ") + path("old.txt")
                              + QStringLiteral(" ?"),
                          QStringLiteral("Dialwright"), MsgIcon::None, MsgButtons::YesNo,
                          MsgResult::Yes);
    form->PushButton6_Click();
    EXPECT_EQ(ReadBytes(path("old.txt")), kHeading);
    desktop.setOnBox(nullptr);
}

TEST_F(AlignedSave, CreationFailureIsReportedOnceAndTheArrowReturns)
{
    form->PushButton11_Click();
    expectSaveDialog(path("no/such/folder.txt"));
    desktop.expectErrorReport(QStringLiteral("Path not found"), kAlignedWriter, 156);
    form->PushButton6_Click();
    EXPECT_EQ(form->pointer(), Form1::Pointer::Arrow);
}

TEST_F(AlignedSave, CancelledDialogWritesNothing)
{
    expectSaveDialog(QString());
    form->PushButton6_Click();
    EXPECT_TRUE(QDir(work.path()).isEmpty());
}

// The writer needs no window: a desktop, a pacer and any list.
TEST(AlignedWriter, WorksOnAnyListAndCountsCharactersNotCodeUnits)
{
    ScriptedDesktop desktop;
    QTemporaryDir work;
    ListModel list;
    list.addColumn(QStringLiteral("A"));
    list.addColumn(QStringLiteral("Bee"));
    list.addColumn(QStringLiteral("C"));
    for (const char* text : {"one", "two", "three"})
        list.append(QString::fromUtf8(text));
    list.setSubItem(0, 2, QStringLiteral("z"));
    // One emoji is one character wide, though it takes two UTF-16 units.
    list.setSubItem(1, 1, QString::fromUtf8("\xf0\x9f\x93\x9e"));
    Pacer pacer(desktop, {&list});
    const QString file = work.filePath(QStringLiteral("any.txt"));
    SaveList::SaveListviewProperlySpaced(desktop, pacer, list, file);
    EXPECT_EQ(ReadBytes(file),
              "A    \tBee\tC\t\r\none  \t   \tz\t\r\ntwo  \t\xf0\x9f\x93\x9e  \t \t\r\n"
              "three\t   \t \t\r\n");
    EXPECT_GT(desktop.yields(), 0);
}

}  // namespace
