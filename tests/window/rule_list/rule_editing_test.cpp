#include "support/form_fixture.h"
#include "support/locations.h"

#include <QTest>

namespace {

class RuleEditing : public FormTest {
protected:
    void expectLength(const QString& answer)
    {
        desktop.expectInput(QStringLiteral("Enter length of phone: "),
                            QStringLiteral("Input Length"), QString(), answer);
    }
    void expectPattern(const QString& answer)
    {
        desktop.expectInput(QStringLiteral("Enter phone format: "), QStringLiteral("Input Format"),
                            QStringLiteral("xxx-xxxx"), answer);
    }
    // The rules as "length|pattern".
    QStringList ruleRows()
    {
        QStringList out;
        for (qsizetype row = 0; row < rules().count(); ++row)
            out << rules().text(row) + QLatin1Char('|') + rules().subItem(row, 1);
        return out;
    }
    void doubleClickRules()
    {
        form->show();
        // What a user's double-click delivers: a click, then the double-click.
        QTest::mouseClick(form->ListView2->viewport(), Qt::LeftButton, {}, QPoint(20, 80));
        QTest::mouseDClick(form->ListView2->viewport(), Qt::LeftButton, {}, QPoint(20, 80));
    }
};

TEST_F(RuleEditing, AddsTheLengthAndPatternExactlyAsTyped)
{
    expectLength(QStringLiteral(" 10 "));
    expectPattern(QStringLiteral(" (xxx) xxx-xxxx "));
    form->PushButton13_Click();
    expectLength(QStringLiteral("10"));  // the blanks made " 10 " a different text
    expectPattern(QStringLiteral("xxx-xxxx"));
    form->PushButton13_Click();
    expectLength(QStringLiteral("2.5"));
    expectPattern(QStringLiteral("\t"));  // only spaces count as blank
    form->PushButton13->click();
    EXPECT_EQ(ruleRows(), (QStringList{" 10 | (xxx) xxx-xxxx ", "10|xxx-xxxx", "2.5|\t"}));
}

TEST_F(RuleEditing, CancelledOrRejectedAnswersEndSilently)
{
    expectLength(QString());  // cancelled: no second box
    form->PushButton13_Click();
    for (const char* notNumeric : {"abc", "12a", "1,000", "&H10", "   "}) {
        expectLength(QString::fromLatin1(notNumeric));
        form->PushButton13_Click();
    }
    expectLength(QStringLiteral("7"));
    expectPattern(QStringLiteral("   "));  // blank pattern: the length goes too
    form->PushButton13_Click();
    expectLength(QStringLiteral("7"));
    expectPattern(QString());  // cancelled second box
    form->PushButton13_Click();
    EXPECT_EQ(rules().count(), 0);
    EXPECT_TRUE(desktop.scriptDone());
}

TEST_F(RuleEditing, DuplicateLengthTextIsRefusedWithAMessage)
{
    form->PushButton11_Click();
    form->PushButton11_Click();
    expectLength(QStringLiteral("10"));
    desktop.expectInfo(QStringLiteral("Inputted length is already in the list."));
    form->PushButton13_Click();
    // Texts are compared exactly: these are new lengths.
    for (const char* other : {"07", "7.0", " 7", "-5", "0"}) {
        expectLength(QString::fromLatin1(other));
        expectPattern(QStringLiteral("x"));
        form->PushButton13_Click();
    }
    EXPECT_EQ(rules().count(), 9);
}

TEST_F(RuleEditing, DuplicateTestHasNoRowLimit)
{
    for (int i = 0; i < 40000; ++i)
        rules().appendDeferred(QString::number(i + 100));
    rules().flushAppends();
    EXPECT_TRUE(form->IsLengthInRuleList(QStringLiteral("40099")));
    EXPECT_FALSE(form->IsLengthInRuleList(QStringLiteral("40100")));
    expectLength(QStringLiteral("40100"));
    expectPattern(QStringLiteral("xxx"));
    form->PushButton13_Click();
    expectLength(QStringLiteral("40100"));
    desktop.expectInfo(QStringLiteral("Inputted length is already in the list."));
    form->PushButton13_Click();
    EXPECT_EQ(rules().count(), 40001);
}

TEST_F(RuleEditing, DeleteSelectedRemovesOnlyTheSelectedRule)
{
    form->PushButton14_Click();  // empty list: nothing happens
    form->PushButton11_Click();
    addRule(QStringLiteral("11"), QStringLiteral("x"));
    form->PushButton14_Click();  // rows, none selected: nothing happens
    EXPECT_EQ(rules().count(), 3);
    form->ListView2->select(1);
    form->PushButton14->click();
    EXPECT_EQ(ruleRows(), (QStringList{"10|xxx-xxx-xxxx", "11|x"}));
    EXPECT_TRUE(desktop.shown().empty());
}

TEST_F(RuleEditing, ClearListEmptiesOnlyTheRuleList)
{
    form->PushButton15_Click();
    form->PushButton11_Click();
    results().append(QStringLiteral("r"));
    form->PushButton15->click();
    EXPECT_EQ(rules().count(), 0);
    EXPECT_EQ(phones().count(), 3);
    EXPECT_EQ(results().count(), 1);
    EXPECT_TRUE(desktop.shown().empty());
}

TEST_F(RuleEditing, DoubleClickRemovesTheSelectedRuleUnlessBusy)
{
    form->PushButton11_Click();
    doubleClickRules();  // nothing selected
    EXPECT_EQ(rules().count(), 2);
    form->ListView2->select(0);
    form->setPointer(Form1::Pointer::Hourglass);
    doubleClickRules();
    EXPECT_EQ(rules().count(), 2);
    form->setPointer(Form1::Pointer::Default);
    form->ListView2->select(0);
    doubleClickRules();  // below the rows: still acts on the selected rule
    EXPECT_EQ(ruleRows(), (QStringList{"7|xxx/xxxx"}));
}

TEST_F(RuleEditing, AddedRuleIsUsedByTheNextRun)
{
    expectLength(QStringLiteral("11"));
    expectPattern(QStringLiteral("x (xxx) xxx-xxxx"));
    form->PushButton13_Click();
    phones().append(QStringLiteral("16034343563"));
    desktop.expectInfo(QStringLiteral("Done."));
    form->PushButton7_Click();
    EXPECT_EQ(texts(results()), (QStringList{"1 (603) 434-3563"}));
}

}  // namespace
