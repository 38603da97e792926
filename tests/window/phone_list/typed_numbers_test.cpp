#include "support/form_fixture.h"

namespace {

class TypedNumbers : public FormTest {
protected:
    void type(const QString& answer)
    {
        desktop.expectInput(QStringLiteral("Enter phone number or numbers (use commas): "),
                            QStringLiteral("Add Phone Number"), QString(), answer);
        form->PushButton1_Click();
    }
};

TEST_F(TypedNumbers, EachCommaSeparatedPartBecomesOneItem)
{
    type(QStringLiteral("6034343563,7173933292"));
    EXPECT_EQ(texts(phones()), (QStringList{"6034343563", "7173933292"}));
}

TEST_F(TypedNumbers, OnlySpacesAtTheEndsOfEachPartGo)
{
    type(QStringLiteral(" 7978118  "));
    type(QStringLiteral(" (603) 434-3563 ,\t717 393\t"));
    EXPECT_EQ(texts(phones()), (QStringList{"7978118", "(603) 434-3563", "\t717 393\t"}));
}

TEST_F(TypedNumbers, EmptyPartsAreKept)
{
    type(QStringLiteral("7978118,,6034343563,"));
    type(QStringLiteral("   "));
    type(QStringLiteral(","));
    EXPECT_EQ(texts(phones()), (QStringList{"7978118", "", "6034343563", "", "", "", ""}));
}

TEST_F(TypedNumbers, CancellingChangesNothing)
{
    phones().append(QStringLiteral("keep"));
    type(QString());
    EXPECT_EQ(texts(phones()), (QStringList{"keep"}));
}

TEST_F(TypedNumbers, SampleDataAppendsThreeNumbersAndTwoRulesEachPress)
{
    phones().append(QStringLiteral("first"));
    form->PushButton11->click();
    form->PushButton10->click();
    EXPECT_EQ(texts(phones()), (QStringList{"first", "6034343563", "7173933292", "7978118",
                                            "6034343563", "7173933292", "7978118"}));
    ASSERT_EQ(rules().count(), 4);
    for (qsizetype row : {0, 2}) {
        EXPECT_EQ(rules().text(row), QStringLiteral("10"));
        EXPECT_EQ(rules().subItem(row, 1), QStringLiteral("xxx-xxx-xxxx"));
        EXPECT_EQ(rules().text(row + 1), QStringLiteral("7"));
        EXPECT_EQ(rules().subItem(row + 1, 1), QStringLiteral("xxx/xxxx"));
    }
    EXPECT_TRUE(desktop.shown().empty());
}

TEST_F(TypedNumbers, SampleDataThenStartGivesTheWorkedExample)
{
    form->PushButton10->click();
    desktop.expectInfo(QStringLiteral("Done."));
    form->PushButton7->click();
    EXPECT_EQ(texts(results()), (QStringList{"603-434-3563", "717-393-3292", "797/8118"}));
}

TEST_F(TypedNumbers, ClearListEmptiesThePhoneListUnlessBusy)
{
    form->PushButton4_Click();  // already empty
    form->PushButton11_Click();
    results().append(QStringLiteral("r"));
    form->setPointer(Form1::Pointer::Hourglass);
    form->PushButton4->click();
    EXPECT_EQ(phones().count(), 3);
    form->setPointer(Form1::Pointer::Default);
    form->PushButton4->click();
    EXPECT_EQ(phones().count(), 0);
    EXPECT_EQ(rules().count(), 2);
    EXPECT_EQ(results().count(), 1);
}

}  // namespace
