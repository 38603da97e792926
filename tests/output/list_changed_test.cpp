// Long operations whose list changes under them: a copy or a save either finishes whole or
// fails visibly and leaves the clipboard or the old file as it was.

#include "support/copy_messages.h"
#include "support/file_helpers.h"
#include "support/form_fixture.h"
#include "support/locations.h"

#include <QDir>

namespace {

const QByteArray kOldFile = "the old file\r\n";

enum class Operation { Copy, CommaSave, AlignedSave };
enum class Moment { First, Middle, Last };

std::string Name(Operation operation)
{
    switch (operation) {
    case Operation::Copy: return "Copy";
    case Operation::CommaSave: return "CommaSave";
    case Operation::AlignedSave: return "AlignedSave";
    }
    return "?";
}

std::string Name(Moment moment)
{
    switch (moment) {
    case Moment::First: return "First";
    case Moment::Middle: return "Middle";
    case Moment::Last: return "Last";
    }
    return "?";
}

class ListChangedUnderAnOperation : public FormTest {
protected:
    QString target() const { return work.filePath(QStringLiteral("keep.txt")); }

    // Scripts the boxes a save shows before it writes: the dialog and the overwrite question.
    void expectSaveBoxes(Operation operation)
    {
        if (operation == Operation::Copy)
            return;
        FileDialogSettings settings;
        settings.title = QStringLiteral("Save");
        settings.filter = QStringLiteral("Text Files (*.txt)|*.txt|All Files (*.*)|*.*|");
        settings.fileName = form->dialogFileName();
        desktop.expectSaveFile(settings, target());
        desktop.expectMessage(
            QStringLiteral("Are you sure you wish to overwrite ") + target() + QStringLiteral(" ?"),
            QStringLiteral("Dialwright"), MsgIcon::None, MsgButtons::YesNo, MsgResult::Yes);
    }
    void press(Operation operation)
    {
        switch (operation) {
        case Operation::Copy: form->PushButton8->click(); break;
        case Operation::CommaSave: form->PushButton2->click(); break;
        case Operation::AlignedSave: form->PushButton6->click(); break;
        }
    }

    QStringList filesInWork() const
    {
        return QDir(work.path()).entryList(QDir::Files | QDir::Hidden | QDir::System);
    }
};

struct ClearCase {
    Operation operation;
    Moment moment;
    int step;  // the step its writer (or the copy's button) reports
};

class ListClearedMidOperation : public ListChangedUnderAnOperation,
                                public ::testing::WithParamInterface<ClearCase> {};

TEST_P(ListClearedMidOperation, IsReportedOnceAndLeavesTheTargetAsItWas)
{
    const ClearCase c = GetParam();
    for (const char* text : {"603-434-3563", "717-393-3292", "797/8118", "555-0101"}) {
        results().append(QString::fromLatin1(text));
        addRule(QString::number(results().count()), QString::fromLatin1(text));
    }
    // A whole run first, to learn how many times the operation yields.
    WriteBytes(target(), kOldFile);
    expectSaveBoxes(c.operation);
    if (c.operation == Operation::Copy)
        desktop.expectInfo(kCopied);
    const int before = desktop.yields();
    press(c.operation);
    const int yields = desktop.yields() - before;
    ASSERT_GT(yields, 2);

    WriteBytes(target(), kOldFile);
    desktop.trySetClipboardText(QStringLiteral("what the clipboard held"));
    const int at = c.moment == Moment::First ? 1 : c.moment == Moment::Middle ? yields / 2 : yields;
    desktop.onYield(desktop.yields() + at, [&] {
        if (c.operation == Operation::AlignedSave)
            form->PushButton15->click();  // the rule list's "Clear List"
        else
            form->PushButton9->click();  // the result list's "Clear List"
    });
    expectSaveBoxes(c.operation);
    switch (c.operation) {
    case Operation::Copy:
        desktop.expectErrorReport(QStringLiteral("Subscript out of range"), kCopyClick, c.step);
        desktop.expectInfo(kNotCopied);
        break;
    case Operation::CommaSave:
        desktop.expectErrorReport(QStringLiteral("Subscript out of range"), kCommaWriter, c.step);
        break;
    case Operation::AlignedSave:
        desktop.expectErrorReport(QStringLiteral("Subscript out of range"), kAlignedWriter, c.step);
        break;
    }
    press(c.operation);
    EXPECT_TRUE(desktop.scriptDone());
    EXPECT_EQ(desktop.clipboardText(), QStringLiteral("what the clipboard held"));
    EXPECT_EQ(ReadBytes(target()), kOldFile);
    EXPECT_EQ(filesInWork(), QStringList{"keep.txt"});  // no temporary file left beside it
}

INSTANTIATE_TEST_SUITE_P(
    AtTheFirstAMiddleAndTheLastYield, ListClearedMidOperation,
    ::testing::Values(ClearCase{Operation::Copy, Moment::First, 106},
                      ClearCase{Operation::Copy, Moment::Middle, 106},
                      ClearCase{Operation::Copy, Moment::Last, 106},
                      ClearCase{Operation::CommaSave, Moment::First, 154},
                      ClearCase{Operation::CommaSave, Moment::Middle, 154},
                      ClearCase{Operation::CommaSave, Moment::Last, 154},
                      ClearCase{Operation::AlignedSave, Moment::First, 124},   // measuring
                      ClearCase{Operation::AlignedSave, Moment::Middle, 188},  // before a row
                      ClearCase{Operation::AlignedSave, Moment::Last, 194}),   // before a cell
    [](const ::testing::TestParamInfo<ClearCase>& param) {
        return Name(param.param.operation) + "ClearedAtThe" + Name(param.param.moment) + "Yield";
    });

struct RunCase {
    Operation operation;
    QByteArray written;
};

class RunEndingDuringASave : public ListChangedUnderAnOperation,
                             public ::testing::WithParamInterface<RunCase> {};

// A formatting run that starts and ends while a save yields appends results and puts the
// pointer back; the save keeps the hourglass, so the phone list's removals still hold back,
// and it writes the rows it counted, with no report.
TEST_P(RunEndingDuringASave, KeepsTheBusyStateAndWritesTheCountedRows)
{
    WriteBytes(target(), kOldFile);
    form->PushButton11_Click();  // three sample numbers and the two sample rules
    results().append(QStringLiteral("a"));
    results().append(QStringLiteral("b"));
    form->ListView1->select(0);
    bool busyAfterTheRun = false;
    desktop.onYield(1, [&] {
        desktop.expectInfo(QStringLiteral("Done."));
        form->PushButton7->click();
        EXPECT_EQ(form->pointer(), Form1::Pointer::Default);
        desktop.onYield(desktop.yields() + 1, [&] {
            busyAfterTheRun = form->isBusy();
            form->PushButton4->click();  // the phone list's "Clear List"
            form->ListView1_KeyDown(Form1::kDeleteKeyCode, Qt::NoModifier);
        });
    });
    expectSaveBoxes(GetParam().operation);
    press(GetParam().operation);
    EXPECT_TRUE(busyAfterTheRun);
    EXPECT_EQ(phones().count(), 3);
    EXPECT_EQ(results().count(), 5);
    EXPECT_EQ(ReadBytes(target()), GetParam().written);
    EXPECT_EQ(form->pointer(), Form1::Pointer::Arrow);
}

INSTANTIATE_TEST_SUITE_P(
    BothSaves, RunEndingDuringASave,
    ::testing::Values(
        // The comma test reads the row count afresh, so the last counted row keeps its comma.
        RunCase{Operation::CommaSave, "a,\r\nb,\r\n"},
        RunCase{Operation::AlignedSave,
                "If length of phone number is this\tthen format like this\t\r\n10"
                    + QByteArray(31, ' ') + "\txxx-xxx-xxxx" + QByteArray(9, ' ') + "\t\r\n7"
                    + QByteArray(32, ' ') + "\txxx/xxxx" + QByteArray(13, ' ') + "\t\r\n"}),
    [](const ::testing::TestParamInfo<RunCase>& param) { return Name(param.param.operation); });

}  // namespace
