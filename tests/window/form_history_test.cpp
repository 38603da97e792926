#include "support/file_helpers.h"
#include "support/form_fixture.h"
#include "support/lists_seen.h"

#include <QDir>
#include <QFile>
#include <QTest>

#include <functional>

namespace {

using Lists = ListsSeen;

// The cases below drive the window from outside the fixture, so its parts are public.
class History : public FormTest {
public:
    using FormTest::desktop;
    using FormTest::expectLoadDialog;
    using FormTest::file;
    using FormTest::form;
    using FormTest::phones;
    using FormTest::work;

protected:
    void SetUp() override
    {
        FormTest::SetUp();
        ASSERT_TRUE(work.isValid());
        showActive();
    }

    Lists lists() { return ListsSeen::Of(*form); }

public:
    void undo() { QTest::keyClick(form.get(), Qt::Key_Z, Qt::ControlModifier); }
    void redoShiftZ()
    {
        QTest::keyClick(form.get(), Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    }
    void redoY() { QTest::keyClick(form.get(), Qt::Key_Y, Qt::ControlModifier); }

    void sampleRules()
    {
        addRule(QStringLiteral("10"), QStringLiteral("xxx-xxx-xxxx"));
        addRule(QStringLiteral("7"), QStringLiteral("xxx/xxxx"));
    }
    void run()
    {
        desktop.expectInfo(QStringLiteral("Done."));
        form->PushButton7_Click();
    }
    QPoint centre(int row) { return form->ListView1->visualRect(phones().index(row, 0)).center(); }
};

struct StepCase {
    const char* name;
    // Lists as they stand before the step; these changes are not the one undone.
    std::function<void(History&)> before;
    // The user's action: one step.
    std::function<void(History&)> step;
};

// Each kind of step, made through its handler: Ctrl+Z brings back the lists as they were
// before it, Ctrl+Shift+Z and Ctrl+Y put them back as it left them, and again.
TEST_F(History, EachKindOfStepIsUndoneAndRedoneWhole)
{
    const auto somePhones = [](History& t) {
        for (const char* text : {"6034343563", "abc", "7978118"})
            t.phones().append(QString::fromLatin1(text));
    };
    const StepCase cases[] = {
        {"numbers typed", somePhones,
         [](History& t) {
             t.desktop.expectInput(QStringLiteral("Enter phone number or numbers (use commas): "),
                                   QStringLiteral("Add Phone Number"), QString(),
                                   QStringLiteral(" 555, ,\u260e 1"));
             t.form->PushButton1_Click();
         }},
        {"numbers loaded from two files", somePhones,
         [](History& t) {
             t.file(QStringLiteral("a.txt"), "111\r\n222\r\n");
             t.file(QStringLiteral("b.txt"), "\xe2\x98\x8e 333\n");
             t.expectLoadDialog({t.work.path() + QChar(u'\0') + QStringLiteral("a.txt")
                                     + QChar(u'\0') + QStringLiteral("b.txt"),
                                 false});
             t.form->PushButton3_Click();
         }},
        {"numbers from the command line",
         {},
         [](History& t) {
             t.form->LoadPhoneNumberFiles(
                 {QFile::encodeName(t.file(QStringLiteral("c.txt"), "1\n2\n3"))});
         }},
        {"rules loaded from two files", somePhones,
         [](History& t) {
             t.form->LoadRuleFiles(
                 {QFile::encodeName(t.file(QStringLiteral("r.txt"), "10\txxx-xxx-xxxx\n")),
                  QFile::encodeName(t.file(QStringLiteral("s.txt"), "7\txxx-xxxx\n"))});
         }},
        {"a folder and a file dropped", somePhones,
         [](History& t) {
             QDir(t.work.path()).mkdir(QStringLiteral("in"));
             t.file(QStringLiteral("in/x.txt"), "");
             t.form->AddDroppedPaths(
                 {t.work.filePath(QStringLiteral("in")), QStringLiteral("/dropped/file.txt")});
         }},
        {"sample data: numbers and rules", somePhones,
         [](History& t) { t.form->PushButton11_Click(); }},
        {"a number removed by the Delete key", somePhones,
         [](History& t) {
             t.form->ListView1->select(1);
             QTest::keyClick(t.form->ListView1, Qt::Key_Delete);
         }},
        {"the first number removed by a double-click", somePhones,
         [](History& t) {
             t.form->ListView1->select(0);
             t.form->ListView1_DblClick();
         }},
        {"a number moved two rows down in one drag", somePhones,
         [](History& t) {
             QWidget* viewport = t.form->ListView1->viewport();
             QTest::mousePress(viewport, Qt::LeftButton, {}, t.centre(0));
             QTest::mouseMove(viewport, t.centre(1));
             QTest::mouseMove(viewport, t.centre(2));
             QTest::mouseRelease(viewport, Qt::LeftButton, {}, t.centre(2));
         }},
        {"the numbers cleared", somePhones, [](History& t) { t.form->PushButton4_Click(); }},
        {"a rule added", [](History& t) { t.sampleRules(); },
         [](History& t) {
             t.desktop.expectInput(QStringLiteral("Enter length of phone: "),
                                   QStringLiteral("Input Length"), QString(), QStringLiteral("8"));
             t.desktop.expectInput(QStringLiteral("Enter phone format: "),
                                   QStringLiteral("Input Format"), QStringLiteral("xxx-xxxx"),
                                   QStringLiteral(" xx-xx-xx-xx "));
             t.form->PushButton13_Click();
         }},
        {"a rule deleted", [](History& t) { t.sampleRules(); },
         [](History& t) {
             t.form->ListView2->select(0);
             t.form->PushButton14_Click();
         }},
        {"a rule removed by a double-click", [](History& t) { t.sampleRules(); },
         [](History& t) {
             t.form->ListView2->select(1);
             t.form->ListView2_DblClick();
         }},
        {"the rules cleared", [](History& t) { t.sampleRules(); },
         [](History& t) { t.form->PushButton15_Click(); }},
        {"a second run's results",
         [&](History& t) {
             somePhones(t);
             t.sampleRules();
             t.run();
         },
         [](History& t) { t.run(); }},
        {"the results cleared",
         [&](History& t) {
             somePhones(t);
             t.sampleRules();
             t.run();
         },
         [](History& t) { t.form->PushButton9_Click(); }},
    };
    for (const StepCase& c : cases) {
        SCOPED_TRACE(c.name);
        TearDown();
        SetUp();
        if (c.before)
            c.before(*this);
        const Lists before = lists();
        c.step(*this);
        const Lists after = lists();
        ASSERT_NE(after, before);
        ASSERT_TRUE(form->history().canUndo());
        undo();
        EXPECT_EQ(lists(), before);
        redoShiftZ();
        EXPECT_EQ(lists(), after);
        undo();
        EXPECT_EQ(lists(), before);
        redoY();
        EXPECT_EQ(lists(), after);
        EXPECT_TRUE(desktop.scriptDone());
    }
}

// Steps undo in the reverse order they were made. The results' Clear List clicked while a run is
// under way does nothing, so the run's results stay whole and one step.
TEST_F(History, StepsUndoInReverseOrderAfterAClearClickedDuringARun)
{
    sampleRules();
    for (const char* text : {"6034343563", "7978118", "555"})
        phones().append(QString::fromLatin1(text));
    const Lists start = lists();
    desktop.onYield(2, [this] { form->PushButton9_Click(); });
    run();
    const Lists afterRun = lists();
    EXPECT_EQ(afterRun.results, (QStringList{"603-434-3563#0", "797/8118#0", "555#1"}));
    form->PushButton4_Click();
    const Lists end = lists();
    std::vector<Lists> seen;
    while (form->history().canUndo()) {
        undo();
        seen.push_back(lists());
    }
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0], afterRun);
    EXPECT_EQ(seen[1], start);
    for (size_t i = 0; i < 2; ++i)
        redoY();
    EXPECT_EQ(lists(), end);
}

// A number typed while a dropped folder's files are still being added comes between them in the
// list, and its step between theirs: undoing goes back through all three steps to the start.
TEST_F(History, ANumberTypedWhileADropAddsFilesIsAStepBetweenTheDropsRows)
{
    QDir(work.path()).mkdir(QStringLiteral("in"));
    for (int i = 0; i < 4; ++i)
        file(QStringLiteral("in/%1.txt").arg(i), "");
    bool typed = false;
    std::function<void()> watch = [&] {
        if (phones().count() < 2) {
            desktop.onYield(desktop.yields() + 1, watch);
            return;
        }
        desktop.expectInput(QStringLiteral("Enter phone number or numbers (use commas): "),
                            QStringLiteral("Add Phone Number"), QString(),
                            QStringLiteral("6034343563"));
        form->PushButton1_Click();
        typed = true;
    };
    desktop.onYield(desktop.yields() + 1, watch);
    form->AddDroppedPaths({work.filePath(QStringLiteral("in"))});
    ASSERT_TRUE(typed);
    const Lists end = lists();
    ASSERT_EQ(end.phones.size(), 5);
    const qsizetype number = end.phones.indexOf(QStringLiteral("6034343563"));
    ASSERT_TRUE(number > 0 && number < 4) << number;
    std::vector<Lists> seen;
    while (form->history().canUndo()) {
        undo();
        seen.push_back(lists());
    }
    ASSERT_EQ(seen.size(), 3u);
    EXPECT_EQ(seen[0].phones, end.phones.first(number + 1));
    EXPECT_EQ(seen[1].phones, end.phones.first(number));
    EXPECT_EQ(lists(), Lists{});
    while (form->history().canRedo())
        redoY();
    EXPECT_EQ(lists(), end);
}

// While an operation shows the hourglass the keys change nothing; afterwards they do.
TEST_F(History, KeysDoNothingWhileAnOperationIsUnderWay)
{
    form->PushButton11_Click();
    const Lists filled = lists();
    form->setPointer(Form1::Pointer::Hourglass);
    undo();
    EXPECT_EQ(lists(), filled);
    form->setPointer(Form1::Pointer::Default);
    undo();
    EXPECT_EQ(lists(), Lists{});
    form->setPointer(Form1::Pointer::Hourglass);
    redoY();
    EXPECT_EQ(lists(), Lists{});
}

}  // namespace
