#include "support/form_fixture.h"

namespace {

using Help = FormTest;

TEST_F(Help, ShowsTheSameMessageEachTimeAndTouchesNoList)
{
    const QString message = QStringLiteral(
        "Please use https://www.dialwright.example/phone-extractor if you need to extract phones "
        "numbers from a complex text file. You can use the results to load a list of phone "
        "numbers into this software.");
    form->PushButton11_Click();
    desktop.expectInfo(message);
    desktop.expectInfo(message);
    form->PushButton5->click();
    form->PushButton5_Click();
    EXPECT_EQ(phones().count(), 3);
    EXPECT_EQ(rules().count(), 2);
    EXPECT_EQ(results().count(), 0);
}

TEST_F(Help, AnswersEvenDuringAFormattingRun)
{
    form->PushButton11_Click();
    desktop.onYield(2, [&] { form->PushButton5->click(); });
    desktop.expectInfo(QStringLiteral(
        "Please use https://www.dialwright.example/phone-extractor if you need to extract phones "
        "numbers from a complex text file. You can use the results to load a list of phone "
        "numbers into this software."));
    desktop.expectInfo(QStringLiteral("Done."));
    form->PushButton7_Click();
    EXPECT_EQ(results().count(), 3);
}

}  // namespace
