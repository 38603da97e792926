#include "support/copy_messages.h"
#include "support/form_fixture.h"
#include "window/result_list/clipboard.h"

namespace {

// The clipboard is handed UTF-8; read back, it must be the very text.
QString Aligned(const ListModel& list)
{
    return QString::fromUtf8(Main::BuildAlignedText(list, [] {}));
}

TEST(AlignedText, OneColumnLinesLoseOnlyTheirTrailingSpaces)
{
    ListModel list;
    list.addColumn(QStringLiteral("Result(s)"));
    // Latin-1 beyond ASCII is stored a byte a character, yet takes two bytes in UTF-8.
    for (const char* text : {"555-0101", "(555) 0102", "  lead and trail  ", "", "Zo\xeb \xb7 555"})
        list.append(QString::fromLatin1(text));
    EXPECT_EQ(Aligned(list), QString::fromUtf8("555-0101\r\n(555) 0102\r\n  lead and trail\r\n\r\n"
                                               "Zo\xc3\xab \xc2\xb7 555\r\n"));
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
    desktop.trySetClipboardText(QByteArrayLiteral("before"));
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

struct LongResultCase {
    const char* name;
    qsizetype shortRows;
    qsizetype longAt;
    qsizetype longSize;
};

class CopyLongResult : public FormTest, public ::testing::WithParamInterface<LongResultCase> {};

// The copy makes room for what it writes, not for every row as long as the longest.
TEST_P(CopyLongResult, IsCopiedWholeAndConfirmed)
{
    const LongResultCase& c = GetParam();
    desktop.setYieldEveryRow(false);
    QString expected;
    for (qsizetype row = 0; row <= c.shortRows; ++row) {
        const QString text =
            row == c.longAt ? QString(c.longSize, QLatin1Char('7'))
                            : QStringLiteral("555-%1").arg(row % 10000, 4, 10, QLatin1Char('0'));
        results().appendDeferred(text);
        expected += text + QStringLiteral("\r\n");
    }
    results().flushAppends();
    desktop.expectInfo(kCopied);
    form->PushButton8->click();
    EXPECT_TRUE(desktop.scriptDone());
    EXPECT_EQ(desktop.clipboardText().size(), expected.size());
    EXPECT_TRUE(desktop.clipboardText() == expected);
}

INSTANTIATE_TEST_SUITE_P(
    Copy, CopyLongResult,
    ::testing::Values(
        LongResultCase{"MillionCharactersAmongTwoHundredThousand", 200000, 0, 1000000},
        LongResultCase{"HundredKilobyteLineAmongThreeHundredThousand", 300000, 150000, 100000}),
    [](const auto& param) { return std::string(param.param.name); });

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
