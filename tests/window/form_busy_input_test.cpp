#include "support/form_fixture.h"

#include <QTest>

#include <functional>

namespace {

enum class During { Run, Load };

class BusyInput;

struct BusyCase {
    const char* name;
    During during;
    // The user's input, made in the middle of the operation.
    std::function<void(BusyInput&)> input;
    QStringList phones;
    QStringList results;
    // After one Ctrl+Z once the operation has ended.
    QStringList phonesUndone;
    QStringList resultsUndone;
};

// What a drag, the result list's "Clear List" and Ctrl+Z do when they are made while a run
// appends results (nothing: they are dropped) and while a file loads (they wait for its end).
class BusyInput : public FormTest {
public:
    using FormTest::form;

    void SetUp() override
    {
        FormTest::SetUp();
        ASSERT_TRUE(work.isValid());
        showActive();
    }

    void drag(int from, int to)
    {
        QWidget* viewport = form->ListView1->viewport();
        QTest::mousePress(viewport, Qt::LeftButton, {}, centre(from));
        QTest::mouseMove(viewport, centre(to));
        QTest::mouseRelease(viewport, Qt::LeftButton, {}, centre(to));
    }
    void clearResults() { QTest::mouseClick(form->PushButton9, Qt::LeftButton); }
    void undo() { QTest::keyClick(form.get(), Qt::Key_Z, Qt::ControlModifier); }

    void typeNumbers(const QString& answer)
    {
        desktop.expectInput(QStringLiteral("Enter phone number or numbers (use commas): "),
                            QStringLiteral("Add Phone Number"), QString(), answer);
        form->PushButton1_Click();
    }
    void run()
    {
        desktop.expectInfo(QStringLiteral("Done."));
        form->PushButton7_Click();
    }

private:
    QPoint centre(int row) { return form->ListView1->visualRect(phones().index(row, 0)).center(); }
};

TEST_F(BusyInput, DuringARunNothingMovesAndDuringALoadEverythingWaits)
{
    const QStringList three{"1111111111", "2222222222", "3333333"};
    const QStringList formatted{"111-111-1111", "222-222-2222", "333-3333"};
    const QStringList loaded{"5555555", "1111111111", "2222222222", "3333333"};
    const BusyCase cases[] = {
        {"a drag during a run",
         During::Run,
         [](BusyInput& t) { t.drag(0, 2); },
         three,
         formatted,
         three,
         {}},
        {"Clear List of the results during a run",
         During::Run,
         [](BusyInput& t) { t.clearResults(); },
         three,
         formatted,
         three,
         {}},
        {"Ctrl+Z during a run",
         During::Run,
         [](BusyInput& t) { t.undo(); },
         three,
         formatted,
         three,
         {}},
        {"a drag during a load",
         During::Load,
         [](BusyInput& t) { t.drag(0, 1); },
         {"1111111111", "5555555", "2222222222", "3333333"},
         {"555-5555"},
         loaded,
         {"555-5555"}},
        {"Clear List of the results during a load",
         During::Load,
         [](BusyInput& t) { t.clearResults(); },
         loaded,
         {},
         loaded,
         {"555-5555"}},
        {"Ctrl+Z during a load",
         During::Load,
         [](BusyInput& t) { t.undo(); },
         {"5555555"},
         {"555-5555"},
         {"5555555"},
         {}},
    };
    for (const BusyCase& c : cases) {
        SCOPED_TRACE(c.name);
        TearDown();
        SetUp();
        addRule(QStringLiteral("10"), QStringLiteral("xxx-xxx-xxxx"));
        addRule(QStringLiteral("7"), QStringLiteral("xxx-xxxx"));
        if (c.during == During::Run) {
            typeNumbers(three.join(QLatin1Char(',')));
            // After the first number's result, before the second's.
            desktop.onInput(desktop.yields() + 2, [&] { c.input(*this); });
            run();
        } else {
            typeNumbers(QStringLiteral("5555555"));
            run();
            const QString path =
                file(QStringLiteral("three.txt"), "1111111111\n2222222222\n3333333");
            desktop.onInput(desktop.yields() + 1, [&] { c.input(*this); });
            const int before = desktop.yields();
            form->LoadPhoneNumberFiles({QFile::encodeName(path)});
            ASSERT_GT(desktop.yields(), before) << "the load never yielded";
            desktop.deliverWaitingInput();
        }
        EXPECT_EQ(texts(phones()), c.phones);
        EXPECT_EQ(texts(results()), c.results);
        undo();
        EXPECT_EQ(texts(phones()), c.phonesUndone);
        EXPECT_EQ(texts(results()), c.resultsUndone);
        EXPECT_TRUE(desktop.scriptDone());
    }
}

}  // namespace
