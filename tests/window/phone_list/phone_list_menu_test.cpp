#include "support/form_fixture.h"

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QMenu>
#include <QTest>

#include <functional>

namespace {

enum class Opened { RightClick, MenuKey, ShiftF10 };
enum class Item { Tidy, RemoveDuplicates };

class PhoneListMenu : public FormTest {
protected:
    void SetUp() override
    {
        FormTest::SetUp();
        form->show();
        form->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    }

    void fill(const QStringList& texts)
    {
        for (const QString& text : texts)
            phones().append(text);
    }
    QWidget* viewport() { return form->ListView1->viewport(); }
    QPoint centre(int row) { return form->ListView1->visualRect(phones().index(row, 0)).center(); }

    // Opens the phone list's menu as the user does; returns it, shown.
    QMenu* open(Opened how)
    {
        switch (how) {
        case Opened::RightClick: {
            // The platform follows a right press with the menu's event; the release, where the
            // press was, opens the menu.
            const QPoint at = centre(0);
            QTest::mousePress(viewport(), Qt::RightButton, {}, at);
            QContextMenuEvent event(QContextMenuEvent::Mouse, at, viewport()->mapToGlobal(at));
            QApplication::sendEvent(viewport(), &event);
            QTest::mouseRelease(viewport(), Qt::RightButton, {}, at);
            break;
        }
        case Opened::MenuKey: QTest::keyClick(form->ListView1, Qt::Key_Menu); break;
        case Opened::ShiftF10:
            QTest::keyClick(form->ListView1, Qt::Key_F10, Qt::ShiftModifier);
            break;
        }
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        EXPECT_EQ(menu, form->PhoneListMenu);
        return menu;
    }

    // Picks the item: with the mouse after a right-click, with the keys after a key.
    void choose(QMenu& menu, Opened how, Item item)
    {
        QAction* action = item == Item::Tidy ? form->mnuTidyNumbers : form->mnuRemoveDuplicates;
        ASSERT_TRUE(menu.actions().contains(action));
        if (how == Opened::RightClick) {
            QTest::mouseClick(&menu, Qt::LeftButton, {}, menu.actionGeometry(action).center());
            return;
        }
        for (qsizetype i = 0; i <= menu.actions().indexOf(action); ++i)
            QTest::keyClick(&menu, Qt::Key_Down);
        QTest::keyClick(&menu, Qt::Key_Return);
    }

    void undo() { QTest::keyClick(form.get(), Qt::Key_Z, Qt::ControlModifier); }
    void redo() { QTest::keyClick(form.get(), Qt::Key_Y, Qt::ControlModifier); }
};

struct MenuCase {
    const char* name;
    Opened how;
    Item item;
    QStringList phones;
    QStringList after;  // the list as the item leaves it; one step to undo when it changed
    QString box;
};

TEST_F(PhoneListMenu, EachItemRewritesTheWholeListAsOneStepAndSaysWhatItDid)
{
    const MenuCase cases[] = {
        {"tidy, every reason to leave a text",
         Opened::RightClick,
         Item::Tidy,
         {"(603) 434-3563", "+1 603.434.3563", "1-800-FLOWERS", "603-434-3563 ext. 12", "",
          "603*434", "6034343563", "\u0666\u0660\u0663"},
         {"6034343563", "16034343563", "1-800-FLOWERS", "603-434-3563 ext. 12", "", "603*434",
          "6034343563", "603"},
         "Tidied 3 numbers; 4 texts were left as they were: 1 holding letters, 1 with an "
         "extension, 1 empty, 1 with other characters."},
        {"tidy, Latin-1 beyond ASCII",
         Opened::MenuKey,
         Item::Tidy,
         {"603\u00a0434\u00a03563", "caf\u00e9"},
         {"6034343563", "caf\u00e9"},
         "Tidied 1 number; 1 text was left as it was: 1 holding letters."},
        {"tidy, nothing to do",
         Opened::ShiftF10,
         Item::Tidy,
         {"6034343563", "7978118"},
         {"6034343563", "7978118"},
         "No numbers needed tidying."},
        {"duplicates across layouts",
         Opened::ShiftF10,
         Item::RemoveDuplicates,
         {"(603) 434-3563", "abc", "603.434.3563", "6034343563", "ABC", "abc", "16034343563", "",
          "", "\uff16\uff10\uff13\uff14\uff13\uff14\uff13\uff15\uff16\uff13"},
         {"(603) 434-3563", "abc", "ABC", "16034343563", ""},
         "Removed 5 duplicate numbers."},
        {"one duplicate",
         Opened::RightClick,
         Item::RemoveDuplicates,
         {"7978118", "797-8118"},
         {"7978118"},
         "Removed 1 duplicate number."},
        {"no duplicates",
         Opened::MenuKey,
         Item::RemoveDuplicates,
         {"7978118", "17978118"},
         {"7978118", "17978118"},
         "No duplicate numbers were found."},
    };
    for (const MenuCase& c : cases) {
        SCOPED_TRACE(c.name);
        TearDown();
        SetUp();
        fill(c.phones);
        QMenu* menu = open(c.how);
        ASSERT_NE(menu, nullptr);
        desktop.expectInfo(c.box);
        choose(*menu, c.how, c.item);
        EXPECT_TRUE(desktop.scriptDone());
        EXPECT_EQ(texts(phones()), c.after);
        EXPECT_FALSE(form->isBusy());
        const bool changed = c.after != c.phones;
        ASSERT_EQ(form->history().undoableSteps(), changed ? 1u : 0u);
        if (!changed)
            continue;
        undo();
        EXPECT_EQ(texts(phones()), c.phones);
        redo();
        EXPECT_EQ(texts(phones()), c.after);
        // The press that opened the menu began no move: moving over the list moves nothing.
        QTest::mouseMove(viewport(), centre(0));
        QTest::mouseMove(viewport(), centre(1));
        EXPECT_EQ(texts(phones()), c.after);
    }
}

struct DuringCase {
    const char* name;
    Item item;
    // What happens during the item's second yield: a queued call runs there, the user's input
    // waits for the item's end.
    bool input;
    std::function<void(Form1&, ScriptedDesktop&)> meanwhile;
    QStringList after;
    QStringList afterUndo;
    QString box;
};

// While the list is rewritten, clicks and keys wait for the end; the paths of a drop made just
// before may still arrive, and then the item gives up and says so, leaving the list as the drop
// made it. During a run the items do nothing: the run reads the numbers in place.
TEST_F(PhoneListMenu, ItemsHoldBackDuringARunAndGiveUpWhenTheListChangesUnderThem)
{
    const QStringList phonesBefore{"(603) 434-3563", "603.434.3563"};
    const DuringCase cases[] = {
        {"a drop's paths arrive during a tidy",
         Item::Tidy,
         false,
         [](Form1& form, ScriptedDesktop&) {
             form.AddDroppedPaths({QStringLiteral("/dropped/file.txt")});
         },
         {"(603) 434-3563", "603.434.3563", "/dropped/file.txt"},
         phonesBefore,
         "The phone list changed while it was being tidied, so nothing was tidied. Please try "
         "again."},
        {"a drop's paths arrive while duplicates are looked for",
         Item::RemoveDuplicates,
         false,
         [](Form1& form, ScriptedDesktop&) {
             form.AddDroppedPaths({QStringLiteral("/dropped/file.txt")});
         },
         {"(603) 434-3563", "603.434.3563", "/dropped/file.txt"},
         phonesBefore,
         "The phone list changed while duplicates were being looked for, so none were removed. "
         "Please try again."},
        {"a number typed during a tidy lands after it",
         Item::Tidy,
         true,
         [](Form1& form, ScriptedDesktop& desktop) {
             desktop.expectInput(QStringLiteral("Enter phone number or numbers (use commas): "),
                                 QStringLiteral("Add Phone Number"), QString(),
                                 QStringLiteral("(111) 222-3333"));
             QTest::mouseClick(form.PushButton1, Qt::LeftButton);
         },
         {"6034343563", "6034343563", "(111) 222-3333"},
         {"6034343563", "6034343563"},
         "Tidied 2 numbers."},
    };
    for (const DuringCase& c : cases) {
        SCOPED_TRACE(c.name);
        TearDown();
        SetUp();
        fill(phonesBefore);
        QAction* action = c.item == Item::Tidy ? form->mnuTidyNumbers : form->mnuRemoveDuplicates;
        desktop.expectInfo(c.box);
        const auto meanwhile = [&] { c.meanwhile(*form, desktop); };
        if (c.input)
            desktop.onInput(desktop.yields() + 2, meanwhile);
        else
            desktop.onYield(desktop.yields() + 2, meanwhile);
        action->trigger();
        desktop.deliverWaitingInput();
        EXPECT_EQ(texts(phones()), c.after);
        undo();
        EXPECT_EQ(texts(phones()), c.afterUndo);
        EXPECT_TRUE(desktop.scriptDone());
    }

    // During a run.
    TearDown();
    SetUp();
    addRule(QStringLiteral("10"), QStringLiteral("xxx-xxx-xxxx"));
    fill({"6034343563", "(603) 434-3563", "603.434.3563"});
    // At its first yield, before its first result.
    desktop.onInput(desktop.yields() + 1, [this] {
        form->mnuTidyNumbers->trigger();
        form->mnuRemoveDuplicates->trigger();
    });
    desktop.expectInfo(QStringLiteral("Done."));
    form->PushButton7_Click();
    EXPECT_EQ(texts(phones()), (QStringList{"6034343563", "(603) 434-3563", "603.434.3563"}));
    EXPECT_EQ(texts(results()), (QStringList{"603-434-3563", "(603) 434-3563", "603.434.3563"}));
    EXPECT_EQ(form->history().undoableSteps(), 1u);
    EXPECT_TRUE(desktop.scriptDone());
}

}  // namespace
