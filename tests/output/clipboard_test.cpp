#include "output/clipboard.h"
#include "support/copy_messages.h"
#include "support/form_fixture.h"

namespace {

QString Aligned(const ListModel& list)
{
    return Main::BuildAlignedText(list, [] {});
}

TEST(AlignedText, OneColumnLinesLoseOnlyTheirTrailingSpaces)
{
    ListModel list;
    list.addColumn(QStringLiteral("Result(s)"));
    for (const char* text : {"555-0101", "(555) 0102", "  lead and trail  ", ""})
        list.append(QString::fromLatin1(text));
    EXPECT_EQ(Aligned(list), QStringLiteral("555-0101\r\n(555) 0102\r\n  lead and trail\r\n\r\n"));
}

TEST(AlignedText, ColumnsArePaddedToTheirWidestCellInCharactersAndTabSeparated)
{
    ListModel list;
    list.addColumn(QStringLiteral("a long caption is not counted"));
    list.addColumn(QStringLiteral("B"));
    list.append(QStringLiteral("ab"));
    list.setSubItem(0, 1, QStringLiteral("x"));
    list.append(QStringLiteral("abcd"));
    // An emoji is one character: its row needs three spaces to reach four characters.
    list.append(QString::fromUtf8("\xf0\x9f\x93\x9e"));
    list.setSubItem(2, 1, QStringLiteral("y "));
    EXPECT_EQ(Aligned(list), QString::fromUtf8("ab  \tx\r\nabcd\t\r\n\xf0\x9f\x93\x9e   \ty\r\n"));
}

TEST(AlignedText, EmptyListGivesNoText)
{
    ListModel list;
    list.addColumn(QStringLiteral("Result(s)"));
    EXPECT_EQ(Aligned(list), QString());
}

class CopyResults : public FormTest {};

TEST_F(CopyResults, CopiesTheResultsThenConfirms)
{
    form->PushButton11_Click();
    desktop.expectInfo(QStringLiteral("Done."));
    form->PushButton7_Click();
    desktop.expectInfo(kCopied);
    form->PushButton8->click();
    EXPECT_EQ(desktop.clipboardText(),
              QStringLiteral("603-434-3563\r\n717-393-3292\r\n797/8118\r\n"));
    EXPECT_EQ(desktop.clearAttempts(), 1);
    EXPECT_EQ(desktop.setAttempts(), 1);
    EXPECT_EQ(form->pointer(), Form1::Pointer::Default);
}

TEST_F(CopyResults, EmptyListLeavesTheClipboardAloneAndStillConfirms)
{
    desktop.trySetClipboardText(QStringLiteral("before"));
    desktop.expectInfo(kCopied);
    form->PushButton8_Click();
    EXPECT_EQ(desktop.clipboardText(), QStringLiteral("before"));
    EXPECT_EQ(desktop.clearAttempts(), 0);
}

TEST_F(CopyResults, BusyClipboardIsRetriedUntilItIsFree)
{
    results().append(QStringLiteral("555-0101 "));
    desktop.setClipboardRefusals(3, 7);
    desktop.expectInfo(kCopied);
    form->PushButton8_Click();
    EXPECT_EQ(desktop.clearAttempts(), 4);
    EXPECT_EQ(desktop.setAttempts(), 8);
    EXPECT_EQ(desktop.clipboardText(), QStringLiteral("555-0101\r\n"));
}

TEST_F(CopyResults, ClipboardNeverFreeIsNotReportedAsASuccess)
{
    results().append(QStringLiteral("555-0101"));
    desktop.setClipboardRefusals(5000, 5000);
    desktop.expectInfo(kNotCopied);
    form->PushButton8_Click();
    EXPECT_EQ(desktop.clearAttempts(), 1000);
    EXPECT_EQ(desktop.setAttempts(), 1000);
    EXPECT_EQ(desktop.clipboardText(), QString());
}

TEST_F(CopyResults, ClearListEmptiesOnlyTheResults)
{
    form->PushButton9_Click();  // already empty: nothing shown
    form->PushButton11_Click();
    results().append(QStringLiteral("r"));
    form->PushButton9->click();
    EXPECT_EQ(results().count(), 0);
    EXPECT_EQ(phones().count(), 3);
    EXPECT_EQ(rules().count(), 2);
    EXPECT_TRUE(desktop.shown().empty());
}

}  // namespace
