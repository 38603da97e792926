// Long operations whose list changes under them: a copy or a save either finishes whole or
// fails visibly and leaves the clipboard or the old file as it was.

#include "support/copy_messages.h"
#include "support/file_helpers.h"
#include "support/form_fixture.h"
#include "support/locations.h"

#include <QDir>

#include <functional>

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
        expectSaveDialog(target());
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
    desktop.trySetClipboardText(QByteArrayLiteral("what the clipboard held"));
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

// A line far longer than the writer's chunk is written a chunk at a time, with window events
// between. A change made while such a line is partly written must neither mix the row nor cut
// the file short: the file holds whole the rows the save counted, or the save fails visibly and
// the old file stays.
enum class Change { ListCleared, RowAppended };

struct LongRowCase {
    const char* name;
    Operation operation;
    bool longRowLast;  // else a short row follows it
    Change change;
    int step;  // the step reported, or 0 when the file is saved whole
};

class LongRowChangedWhileWritten : public ListChangedUnderAnOperation,
                                   public ::testing::WithParamInterface<LongRowCase> {
protected:
    // Millions of UTF-16 units, with two-byte characters and surrogate pairs throughout, so
    // slices and blocks of any length fall inside characters somewhere.
    static QString LongText()
    {
        const QString piece = QStringLiteral("0123456789\u00e9") + QString::fromUcs4(U"\U0001F600");
        return piece.repeated(270'000);
    }

    // Whether the temporary file ends inside the line after the first `lines` ones.
    bool writingLineAfter(int lines) const
    {
        for (const QString& name : filesInWork()) {
            if (name == QStringLiteral("keep.txt"))
                continue;
            const QByteArray text = ReadBytes(work.filePath(name));
            return !text.isEmpty() && !text.endsWith('\n') && text.count("\r\n") == lines;
        }
        return false;
    }
};

TEST_P(LongRowChangedWhileWritten, LeavesTheCountedRowsWholeOrTheOldFile)
{
    const LongRowCase c = GetParam();
    const QString longText = LongText();
    ListModel& list = c.operation == Operation::CommaSave ? results() : rules();
    const QStringList texts = c.longRowLast
                                  ? QStringList{QStringLiteral("a"), longText}
                                  : QStringList{QStringLiteral("a"), longText, QStringLiteral("b")};
    for (const QString& text : texts) {
        if (c.operation == Operation::CommaSave)
            list.append(text);
        else
            addRule(QString::number(text.size()), text);
    }
    WriteBytes(target(), kOldFile);
    // The aligned text has its captions' line before the rows.
    const int linesBefore = c.operation == Operation::CommaSave ? 1 : 2;
    bool changed = false;
    std::function<void()> watch = [&] {
        if (!writingLineAfter(linesBefore)) {
            desktop.onYield(desktop.yields() + 1, watch);
            return;
        }
        changed = true;
        if (c.change == Change::RowAppended)
            list.append(QStringLiteral("appended"));
        else if (c.operation == Operation::CommaSave)
            form->PushButton9->click();  // the result list's "Clear List"
        else
            form->PushButton15->click();  // the rule list's "Clear List"
    };
    desktop.onYield(desktop.yields() + 1, watch);
    expectSaveBoxes(c.operation);
    if (c.step != 0)
        desktop.expectErrorReport(
            QStringLiteral("Subscript out of range"),
            c.operation == Operation::CommaSave ? kCommaWriter : kAlignedWriter, c.step);
    press(c.operation);
    EXPECT_TRUE(changed) << "no window events while the long row was written";
    EXPECT_TRUE(desktop.scriptDone());
    EXPECT_EQ(filesInWork(), QStringList{"keep.txt"});  // no temporary file left beside it
    if (c.step != 0)
        EXPECT_EQ(ReadBytes(target()), kOldFile);
    else
        EXPECT_EQ(ReadBytes(target()), "a,\r\n" + longText.toUtf8() + "\r\n");
}

INSTANTIATE_TEST_SUITE_P(
    ChangedMidLine, LongRowChangedWhileWritten,
    ::testing::Values(LongRowCase{"CommaSaveListCleared", Operation::CommaSave, false,
                                  Change::ListCleared, 154},
                      // The long row was the last when its line was made: no comma.
                      LongRowCase{"CommaSaveRowAppendedAfterTheLastRow", Operation::CommaSave, true,
                                  Change::RowAppended, 0},
                      LongRowCase{"AlignedSaveListCleared", Operation::AlignedSave, false,
                                  Change::ListCleared, 188}),
    [](const ::testing::TestParamInfo<LongRowCase>& param) { return param.param.name; });

// Two long rows of the same length exchanged at each yield of a comma save in turn, until its
// lines are being written, while the first is read a slice at a time: every line written is
// one row's whole text as it stood at one moment, never the start of one and the rest of the
// other.
TEST_F(LongRowChangedWhileWritten, RowsExchangedAtAnyYieldLeaveEachLineWhole)
{
    const QString first = QStringLiteral("0123456789\u00e9").repeated(390'000);
    const QString second = QStringLiteral("9876543210\u00e8").repeated(390'000);
    const QByteArray firstLine = first.toUtf8();
    const QByteArray secondLine = second.toUtf8();
    const QList<QByteArray> wholeFiles = {"a,\r\n" + firstLine + ",\r\n" + secondLine + "\r\n",
                                          "a,\r\n" + secondLine + ",\r\n" + firstLine + "\r\n",
                                          "a,\r\n" + firstLine + ",\r\n" + firstLine + "\r\n"};
    // Yields 1 and 2 come before each row; the long rows' own begin at 3.
    for (int yield = 3;; ++yield) {
        SCOPED_TRACE(yield);
        results().clear();
        for (const QString& text : {QStringLiteral("a"), first, second})
            results().append(text);
        WriteBytes(target(), kOldFile);
        bool exchanged = false;
        bool writing = false;
        desktop.onYield(desktop.yields() + yield, [&] {
            results().swapTexts(1, 2);
            exchanged = true;
            for (const QString& name : filesInWork())
                writing = writing
                          || (name != QStringLiteral("keep.txt")
                              && !ReadBytes(work.filePath(name)).isEmpty());
        });
        expectSaveBoxes(Operation::CommaSave);
        press(Operation::CommaSave);
        ASSERT_TRUE(desktop.scriptDone());
        ASSERT_TRUE(exchanged) << "the save ended before it wrote";
        EXPECT_TRUE(wholeFiles.contains(ReadBytes(target())));
        EXPECT_EQ(filesInWork(), QStringList{"keep.txt"});
        // Once lines are being written, the first long row is the save's own copy.
        if (writing)
            break;
    }
}

}  // namespace
