#include "files/rule_file.h"
#include "support/form_fixture.h"
#include "support/locations.h"

#include <functional>
#include <new>

namespace {

class FormattingRun : public FormTest {
protected:
    void loadSampleData()
    {
        for (const char* phone : {"6034343563", "7173933292", "7978118"})
            phones().append(QString::fromLatin1(phone));
        addRule(QStringLiteral("10"), QStringLiteral("xxx-xxx-xxxx"));
        addRule(QStringLiteral("7"), QStringLiteral("xxx/xxxx"));
    }

    void run()
    {
        form->PushButton7_Click();
        EXPECT_FALSE(form->formattingBusy());
    }
};

TEST_F(FormattingRun, SampleDataGivesTheWorkedExampleThenDone)
{
    loadSampleData();
    desktop.expectInfo(QStringLiteral("Done."));
    run();
    EXPECT_EQ(texts(results()), (QStringList{"603-434-3563", "717-393-3292", "797/8118"}));
    EXPECT_EQ(results().rowCount(), 3);  // every result is announced to the view
    EXPECT_EQ(form->pointer(), Form1::Pointer::Default);
    // The run reads the phone list and the rules and never changes them.
    EXPECT_EQ(texts(phones()), (QStringList{"6034343563", "7173933292", "7978118"}));
    EXPECT_EQ(rules().count(), 2);
}

TEST_F(FormattingRun, FurtherCasesUnderTheTwoSampleRules)
{
    addRule(QStringLiteral("10"), QStringLiteral("xxx-xxx-xxxx"));
    addRule(QStringLiteral("7"), QStringLiteral("xxx/xxxx"));
    for (const char* phone : {"0123456789", "555-1234", "abcdefg", "0000000", "", "797 811"})
        phones().append(QString::fromLatin1(phone));
    desktop.expectInfo(QStringLiteral("Done."));
    run();
    EXPECT_EQ(texts(results()),
              (QStringList{"012-345-6789", "555-1234", "abcdefg", "000/0000", "", "797 811"}));
}

TEST_F(FormattingRun, SurplusAndMissingDigitsFollowTheLeftmostPlace)
{
    addRule(QStringLiteral("11"), QStringLiteral("(xxx) xxx-xxxx"));
    addRule(QStringLiteral("7"), QStringLiteral("(xxx) xxx-xxxx"));
    phones().append(QStringLiteral("16034343563"));
    phones().append(QStringLiteral("7978118"));
    desktop.expectInfo(QStringLiteral("Done."));
    run();
    EXPECT_EQ(texts(results()), (QStringList{"(1603) 434-3563", "() 797-8118"}));
}

TEST_F(FormattingRun, EmptyPhoneListSaysNoFilesAddedAndChangesNothing)
{
    addRule(QStringLiteral("7"), QStringLiteral("xxx/xxxx"));
    results().append(QStringLiteral("earlier"));
    form->setPointer(Form1::Pointer::Arrow);
    desktop.expectInfo(QStringLiteral("No files added."));
    run();
    EXPECT_EQ(texts(results()), (QStringList{"earlier"}));
    EXPECT_EQ(form->pointer(), Form1::Pointer::Arrow);
    EXPECT_EQ(desktop.yields(), 0);
}

TEST_F(FormattingRun, EmptyRuleListCopiesEveryTextUnchanged)
{
    phones().append(QStringLiteral("6034343563"));
    phones().append(QStringLiteral("x y"));
    desktop.expectInfo(QStringLiteral("Done."));
    run();
    EXPECT_EQ(texts(results()), (QStringList{"6034343563", "x y"}));
}

TEST_F(FormattingRun, FirstFittingRuleWinsAmongEqualValues)
{
    addRule(QStringLiteral("7"), QStringLiteral("xxx/xxxx"));
    addRule(QStringLiteral("07"), QStringLiteral("xxx.xxxx"));
    addRule(QStringLiteral(" 7.0 "), QStringLiteral("xxx-xxxx"));
    phones().append(QStringLiteral("7978118"));
    desktop.expectInfo(QStringLiteral("Done."));
    run();
    EXPECT_EQ(texts(results()), (QStringList{"797/8118"}));
}

TEST_F(FormattingRun, UppercaseXIsNoDigitPlace)
{
    addRule(QStringLiteral("7"), QStringLiteral("XXX/XXXX"));
    addRule(QStringLiteral("4"), QStringLiteral("Xx-xX"));
    phones().append(QStringLiteral("7978118"));
    phones().append(QStringLiteral("1234"));
    desktop.expectInfo(QStringLiteral("Done."));
    run();
    // A pattern without digit places leaves the number as it was.
    EXPECT_EQ(texts(results()), (QStringList{"7978118", "X123-4X"}));
}

TEST_F(FormattingRun, RuleLengthsAreReadAsRoundedNumbers)
{
    addRule(QStringLiteral("10.5"), QStringLiteral("xxxxx-xxxxx"));     // 10
    addRule(QStringLiteral("11.5"), QStringLiteral("x-xxx-xxx-xxxx"));  // 12
    addRule(QStringLiteral(" 7 "), QStringLiteral("xxx/xxxx"));
    phones().append(QStringLiteral("6034343563"));
    phones().append(QStringLiteral("160343435631"));
    phones().append(QStringLiteral("7978118"));
    desktop.expectInfo(QStringLiteral("Done."));
    run();
    EXPECT_EQ(texts(results()), (QStringList{"60343-43563", "16-034-343-5631", "797/8118"}));
}

TEST_F(FormattingRun, UnreadableRuleLengthCostsOneReportPerRunAndNeverFits)
{
    addRule(QStringLiteral("abc"), QStringLiteral("xxx"));
    addRule(QStringLiteral("99999"), QStringLiteral("xxx"));
    addRule(QStringLiteral("3"), QStringLiteral("x.x.x"));
    for (int i = 0; i < 50; ++i)
        phones().append(QStringLiteral("123"));
    desktop.expectErrorReport(QStringLiteral("Type mismatch"), kRunClick, 116);
    desktop.expectErrorReport(QStringLiteral("Overflow"), kRunClick, 116);
    desktop.expectInfo(QStringLiteral("Done."));
    run();
    ASSERT_EQ(results().count(), 50);
    EXPECT_EQ(results().text(49), QStringLiteral("1.2.3"));
}

TEST_F(FormattingRun, HourglassShowsAtEveryItemAndTheDefaultPointerReturns)
{
    loadSampleData();
    std::vector<Form1::Pointer> seen;
    for (int n = 1; n <= 3; ++n)
        desktop.onYield(n, [&] {
            seen.push_back(form->pointer());
            // A save that finished during the yield puts the arrow back; the run restores the
            // hourglass at the next item.
            form->setPointer(Form1::Pointer::Arrow);
        });
    desktop.expectInfo(QStringLiteral("Done."));
    run();
    EXPECT_EQ(desktop.yields(), 3);
    EXPECT_EQ(seen, (std::vector<Form1::Pointer>{Form1::Pointer::Default, Form1::Pointer::Hourglass,
                                                 Form1::Pointer::Hourglass}));
    EXPECT_EQ(form->pointer(), Form1::Pointer::Default);
}

TEST_F(FormattingRun, ASecondClickDuringARunDoesNothingAndShowsNothing)
{
    loadSampleData();
    bool busyDuringRun = false;
    desktop.onYield(2, [&] {
        busyDuringRun = form->formattingBusy();
        form->PushButton7->click();
    });
    desktop.expectInfo(QStringLiteral("Done."));
    run();
    EXPECT_TRUE(busyDuringRun);
    EXPECT_EQ(results().count(), 3);
    EXPECT_EQ(desktop.shown().size(), 1u);
}

TEST_F(FormattingRun, RunningTwiceAppendsTwice)
{
    loadSampleData();
    desktop.expectInfo(QStringLiteral("Done."));
    desktop.expectInfo(QStringLiteral("Done."));
    run();
    run();
    EXPECT_EQ(texts(results()), (QStringList{"603-434-3563", "717-393-3292", "797/8118",
                                             "603-434-3563", "717-393-3292", "797/8118"}));
}

TEST_F(FormattingRun, EmptyPhoneTextStaysEmptyEvenWithARuleOfLengthZero)
{
    addRule(QStringLiteral("0"), QStringLiteral("xxx"));
    phones().append(QString());
    desktop.expectInfo(QStringLiteral("Done."));
    run();
    EXPECT_EQ(texts(results()), (QStringList{""}));
}

TEST_F(FormattingRun, RuleChangesDuringARunTakeEffectAtTheNextItem)
{
    loadSampleData();
    // Before the second item: the ten-digit rule goes, a new one for seven digits comes last.
    desktop.onYield(2, [&] {
        rules().removeAt(0);
        addRule(QStringLiteral("10"), QStringLiteral("(xxx) xxx-xxxx"));
    });
    desktop.onYield(3, [&] { rules().removeAt(0); });
    desktop.expectInfo(QStringLiteral("Done."));
    run();
    EXPECT_EQ(texts(results()), (QStringList{"603-434-3563", "(717) 393-3292", "7978118"}));
}

TEST_F(FormattingRun, ItemsThatLeftTheListDuringARunAreSkipped)
{
    loadSampleData();
    phones().append(QStringLiteral("1234567"));
    desktop.onYield(2, [&] { phones().removeAt(3); });
    desktop.onYield(3, [&] { form->PushButton4->click(); });  // "Clear List" holds back while busy
    desktop.expectInfo(QStringLiteral("Done."));
    run();
    EXPECT_EQ(texts(results()), (QStringList{"603-434-3563", "717-393-3292", "797/8118"}));

    results().clear();
    desktop.onYield(desktop.yields() + 2, [&] { phones().clear(); });
    desktop.expectInfo(QStringLiteral("Done."));
    run();
    EXPECT_EQ(texts(results()), (QStringList{"603-434-3563"}));
}

TEST_F(FormattingRun, ResultsClearedDuringARunKeepOnlyLaterItems)
{
    loadSampleData();
    desktop.onYield(3, [&] { form->ListView3->items().clear(); });
    desktop.expectInfo(QStringLiteral("Done."));
    run();
    EXPECT_EQ(texts(results()), (QStringList{"797/8118"}));
    EXPECT_EQ(results().rowCount(), 1);
}

// A box shown during an item lets queued calls run; a drop of a path with characters beyond
// eight bits then moves the phone list to wider storage and frees the old. The item under way
// must still be formatted from its own text.
TEST_F(FormattingRun, AWiderTextAddedWhileAReportShowsLeavesTheItemUnderWayWhole)
{
    addRule(QStringLiteral("abc"), QStringLiteral("xxx"));
    addRule(QStringLiteral("10"), QStringLiteral("xxx-xxx-xxxx"));
    addRule(QStringLiteral("7"), QStringLiteral("xxx/xxxx"));
    phones().append(QStringLiteral("6034343563"));
    phones().append(QStringLiteral("7978118"));
    // Whatever the widening freed is handed out again and overwritten, so a run that still
    // read it would format the wrong text (under AddressSanitizer the read itself fails).
    std::vector<std::string> reused;
    desktop.setOnBox([&] {
        if (phones().texts().wide())
            return;
        phones().append(QString::fromUtf8("/home/\xce\xb1/list.txt"));
        for (size_t size = 1; size <= 256; ++size)
            reused.emplace_back(size, 'Z');
    });
    desktop.expectErrorReport(QStringLiteral("Type mismatch"), kRunClick, 116);
    desktop.expectInfo(QStringLiteral("Done."));
    run();
    ASSERT_TRUE(phones().texts().wide());
    EXPECT_EQ(texts(results()), (QStringList{"603-434-3563", "797/8118"}));
}

// Once an item is appended the run yields, and the phone list may then move to wider storage
// and free the old; a report that shows before the next item is read (whatever failed at that
// step: here the yield itself) must not touch the appended text's old view of the list. The
// first item fits no rule, so nothing but the append ends its view.
TEST_F(FormattingRun, AReportAfterAYieldThatWidenedTheListReadsNothingOfTheOldList)
{
    addRule(QStringLiteral("10"), QStringLiteral("xxx-xxx-xxxx"));
    phones().append(QStringLiteral("not a number"));
    phones().append(QStringLiteral("6034343563"));
    // Whatever the widening freed is handed out again and overwritten; under AddressSanitizer a
    // read of it fails the run.
    std::vector<std::string> reused;
    // Yield 2 comes after the first item's append, before the second item is read.
    desktop.onYield(2, [&] {
        phones().append(QString::fromUtf8("/home/\xce\xb1/list.txt"));
        for (size_t size = 1; size <= 256; ++size)
            reused.emplace_back(size, 'Z');
        throw std::bad_alloc();
    });
    desktop.expectErrorReport(QStringLiteral("Out of memory"), kRunClick, 108);
    desktop.expectInfo(QStringLiteral("Done."));
    run();
    ASSERT_TRUE(phones().texts().wide());
    EXPECT_EQ(texts(results()), (QStringList{"not a number", "603-434-3563"}));
}

// A row of millions of characters has the memory of its copies taken in slices, with window
// events between; whatever changes meanwhile, the row and the items after it come out whole.
TEST_F(FormattingRun, ARowOfMillionsYieldsWhileItsRoomIsTakenAndComesOutWhole)
{
    const QString longRow(qsizetype{5} << 20, u'7');
    struct Case {
        const char* name;
        std::function<void(ListModel& phones, ListModel& results)> meanwhile;
        QStringList results;
    };
    const Case cases[] = {
        {"NothingChanges", [](ListModel&, ListModel&) {}, {"603-434-3563", longRow, "797/8118"}},
        {"ResultsCleared",
         [](ListModel&, ListModel& results) { results.clear(); },
         {longRow, "797/8118"}},
        {"PhonesCleared", [](ListModel& phones, ListModel&) { phones.clear(); }, {"603-434-3563"}},
        {"PhonesWidened",
         [](ListModel& phones, ListModel&) { phones.append(QString::fromUtf8("\xce\xb1")); },
         {"603-434-3563", longRow, "797/8118"}},
    };
    addRule(QStringLiteral("10"), QStringLiteral("xxx-xxx-xxxx"));
    addRule(QStringLiteral("7"), QStringLiteral("xxx/xxxx"));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        phones().clear();
        results().clear();
        for (const QString& phone :
             {QStringLiteral("6034343563"), longRow, QStringLiteral("7978118")})
            phones().append(phone);
        // Yield 1 comes before the first item, 2 before the long one, 3 while its room is taken.
        const int before = desktop.yields();
        desktop.onYield(before + 3, [&] { c.meanwhile(phones(), results()); });
        desktop.expectInfo(QStringLiteral("Done."));
        run();
        EXPECT_GE(desktop.yields() - before, 4);
        EXPECT_EQ(texts(results()), c.results);
    }
}

// Lengths count characters: a character beyond the Basic Multilingual Plane is one, though it
// takes two UTF-16 units. A text that fits the first rule never reaches the unreadable second
// one, whose report would show.
TEST_F(FormattingRun, LengthsCountCharactersNotCodeUnits)
{
    struct Case {
        const char* name;
        const char* phone;  // UTF-8
        const char* length;
    };
    const Case cases[] = {
        {"eight_bit", "caf\xc3\xa9", "4"},
        {"one_pair", "\xf0\x9f\x93\x9e 12", "4"},
        {"only_pairs", "\xf0\x9f\x93\x9e\xf0\x9f\x93\x9e\xf0\x9f\x93\x9e", "3"},
        {"pair_and_wide", "\xf0\x9f\x93\x9e\xce\xb1", "2"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        phones().clear();
        rules().clear();
        results().clear();
        addRule(QString::fromLatin1(c.length), QStringLiteral("xxx"));
        addRule(QStringLiteral("abc"), QStringLiteral("xxx"));
        phones().append(QString::fromUtf8(c.phone));
        desktop.expectInfo(QStringLiteral("Done."));
        run();
        EXPECT_TRUE(desktop.scriptDone());
        EXPECT_EQ(texts(results()), QStringList{QString::fromUtf8(c.phone)});
    }
}

}  // namespace

namespace {

// Country rules come from a rule file among length rules, lay numbers out by their country's
// plan in the rules' order, and are saved back as lines that read as the same rules.
TEST_F(FormattingRun, CountryRulesFromARuleFileTakeTheirTurnAndSaveBackAsTheyCame)
{
    const QString rulesIn = file(QStringLiteral("rules.txt"),
                                 "gb\tnational\n7\txxx/xxxx\n+\tinternational\nUS\te164\n");
    form->AddRulesFromFile(QFile::encodeName(rulesIn));
    for (const char* phone : {"(603) 434-3563", "+44 (0)20 7946 0958", "7978118", "+49 30 1234567",
                              "603.434.3563 ext. 12", "6034343563", "call home"})
        phones().append(QString::fromLatin1(phone));
    desktop.expectInfo(QStringLiteral("Done."));
    run();
    EXPECT_EQ(texts(results()),
              (QStringList{"+16034343563", "020 7946 0958", "797/8118", "+49 30 1234567",
                           "+16034343563;ext=12", "+16034343563", "call home"}));
    EXPECT_EQ(results().mark(6), RowMark::NoRule);
    EXPECT_EQ(results().mark(0), RowMark::None);

    const QString saved = work.filePath(QStringLiteral("saved.txt"));
    expectSaveDialog(saved);
    form->PushButton6_Click();
    const RuleFile::Contents back = RuleFile::Read(QFile::encodeName(saved));
    ASSERT_FALSE(back.error.has_value());
    EXPECT_EQ(back.skippedLines, 0);
    QStringList rows;
    for (const RuleFile::Rule& rule : back.rules)
        rows << rule.length + QLatin1Char('|') + rule.pattern;
    EXPECT_EQ(rows, (QStringList{"gb|national", "7|xxx/xxxx", "+|international", "US|e164"}));
}

}  // namespace
