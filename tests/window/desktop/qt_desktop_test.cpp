#include "support/input_box_helpers.h"
#include "window/desktop/open_result.h"
#include "window/desktop/paste_limit.h"
#include "window/desktop/qt_desktop.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QInputDialog>
#include <QLineEdit>
#include <QLocale>
#include <QMessageBox>
#include <QMimeData>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

TEST(OpenResult, OneFileIsItsFullPathSeveralAreTheFolderThenEachName)
{
    EXPECT_EQ(ComposeOpenResult({QStringLiteral("/home/u/list.txt")}).text,
              QStringLiteral("/home/u/list.txt"));
    EXPECT_EQ(ComposeOpenResult({}).text, QString());
    const OpenFileResult several =
        ComposeOpenResult({QStringLiteral("/home/u/b.txt"), QStringLiteral("/home/u/a.txt")});
    EXPECT_EQ(several.text, QStringLiteral("/home/u") + QChar(u'\0') + QStringLiteral("b.txt")
                                + QChar(u'\0') + QStringLiteral("a.txt"));
    EXPECT_FALSE(several.selectionTooLong);
}

TEST(OpenResult, FilesFromSeveralFoldersAreNamedFromTheRoot)
{
    const OpenFileResult mixed =
        ComposeOpenResult({QStringLiteral("/home/u/a.txt"), QStringLiteral("/srv/b.txt")});
    EXPECT_EQ(mixed.text.split(QChar(u'\0')), (QStringList{"/", "home/u/a.txt", "srv/b.txt"}));
}

TEST(OpenResult, MoreThan30000CharactersIsTheSelectionTooLongFailure)
{
    // The folder "/f" (2), then names of 9 characters, each after a NUL: 2 + 10 n characters.
    const auto names = [](int count) {
        QStringList paths;
        for (int i = 0; i < count; ++i)
            paths << QStringLiteral("/f/%1.txt").arg(i, 5, 10, QLatin1Char('0'));
        return paths;
    };
    const OpenFileResult fits = ComposeOpenResult(names(2999));
    EXPECT_EQ(fits.text.size(), 29992);
    EXPECT_FALSE(fits.selectionTooLong);
    const OpenFileResult tooLong = ComposeOpenResult(names(3000));
    EXPECT_TRUE(tooLong.selectionTooLong);
    EXPECT_TRUE(tooLong.text.isEmpty());
}

TEST(QtDesktopText, ClassicFilterBecomesQtNameFilters)
{
    EXPECT_EQ(
        QtDesktop::qtNameFilters(QStringLiteral("Text Files (*.txt)|*.txt|All Files (*.*)|*.*|")),
        (QStringList{"Text Files (*.txt)", "All Files (*)"}));
    EXPECT_EQ(QtDesktop::qtNameFilters(QStringLiteral("Lists|*.txt;*.csv|")),
              (QStringList{"Lists (*.txt *.csv)"}));
}

TEST(QtDesktopText, LineBreaksShowAsLineBreaks)
{
    EXPECT_EQ(QtDesktop::displayText(QStringLiteral("a\r\nb\r\rc")), QStringLiteral("a\nb\n\nc"));
}

// The input box's field once the box is up; null, the box closed, when it has none.
QLineEdit* InputField()
{
    auto* box = qobject_cast<QInputDialog*>(QApplication::activeModalWidget());
    auto* field = box == nullptr ? nullptr : box->findChild<QLineEdit*>();
    if (field == nullptr && box != nullptr)
        box->reject();
    return field;
}

struct InputCase {
    const char* name;
    QString defaultText;
    QString pasted;  // put on the clipboard and pasted with Ctrl+V
};

// The real input box, answered by keys: whatever is pasted comes back whole, however long.
TEST(QtDesktopInputBox, TakesAPasteWholeHoweverLong)
{
    QStringList numbers;
    for (int i = 0; i < 3500; ++i)
        numbers << QString::number(6034340000LL + i);
    const QString longList = numbers.join(QLatin1Char(','));
    ASSERT_EQ(longList.size(), 38499);
    const InputCase cases[] = {
        {"a few numbers", QString(), QStringLiteral("6034343563, 7978118")},
        {"3,500 numbers", QString(), longList},
        {"one number past the line edit's usual end", QString(),
         QString(32766, QLatin1Char('1')) + QStringLiteral(",6034343563")},
        {"a long default text, then a paste", longList, QStringLiteral(",7978118")},
    };
    for (const InputCase& c : cases) {
        QGuiApplication::clipboard()->setText(c.pasted);
        QtDesktop desktop;
        bool answered = false;
        // Runs inside the box's own event loop, once the box is up.
        QTimer::singleShot(0, [&] {
            QLineEdit* field = InputField();
            if (field == nullptr)
                return;
            field->end(false);
            if (!c.pasted.isEmpty())
                QTest::keyClick(field, Qt::Key_V, Qt::ControlModifier);
            QTest::keyClick(field, Qt::Key_Return);
            answered = true;
        });
        const QString answer =
            desktop.inputBox(QStringLiteral("Enter phone number or numbers (use commas): "),
                             QStringLiteral("Add Phone Number"), c.defaultText);
        EXPECT_TRUE(answered) << c.name;
        EXPECT_EQ(answer.size(), c.defaultText.size() + c.pasted.size()) << c.name;
        // Compared whole, without printing tens of thousands of characters on a failure.
        EXPECT_TRUE(answer == c.defaultText + c.pasted)
            << c.name << ": ends " << answer.right(12).toStdString();
    }
}

enum class Way { CtrlV, ShiftInsert, Menu, Drop };

struct LimitCase {
    const char* name;
    Way way;
    qsizetype defaultSize;
    bool selectAll;  // the default text selected first, so the paste replaces it
    qsizetype pastedSize;
    bool taken;
};

// A paste or a drop that would make the box's text too long to lay out is kept out whole and
// told in a box; one that fits, up to the last character, goes in whole.
TEST(QtDesktopInputBox, APasteTooLongToLayOutIsRefusedWholeAndTold)
{
    const qsizetype most = PasteLimit::kMostCharacters;
    const LimitCase cases[] = {
        {"Ctrl+V of one character too many", Way::CtrlV, 0, false, most + 1, false},
        {"Shift+Insert of a copied long list", Way::ShiftInsert, 0, false, 42 * most, false},
        {"the context menu's Paste onto a text", Way::Menu, 600000, false, most, false},
        {"the context menu's Paste that fits", Way::Menu, 5, false, 10, true},
        {"a drop onto a long default text", Way::Drop, most - 5, false, 6, false},
        {"Ctrl+V up to the last character", Way::CtrlV, 10, false, most - 10, true},
        {"Ctrl+V over a selection it replaces", Way::CtrlV, most, true, 20, true},
    };
    for (const LimitCase& c : cases) {
        const QString defaultText(c.defaultSize, QLatin1Char('5'));
        const QString pasted(c.pastedSize, QLatin1Char('7'));
        QGuiApplication::clipboard()->setText(pasted);
        QtDesktop desktop;
        QString told;
        QTimer::singleShot(0, [&] {
            QLineEdit* field = InputField();
            if (field == nullptr)
                return;
            // The refusal's box, answered as soon as it is up, however deep the paste.
            AcceptEachMessageBox(field, told);
            if (c.selectAll)
                field->selectAll();
            else
                field->end(false);
            if (c.way == Way::CtrlV) {
                QTest::keyClick(field, Qt::Key_V, Qt::ControlModifier);
            } else if (c.way == Way::ShiftInsert) {
                QTest::keyClick(field, Qt::Key_Insert, Qt::ShiftModifier);
            } else if (c.way == Way::Menu) {
                // The menu's Paste chosen once the menu is up; the menu is closed either way.
                QTimer::singleShot(0, [&] {
                    QWidget* menu = QApplication::activePopupWidget();
                    if (menu == nullptr)
                        return;
                    for (QAction* action : menu->actions())
                        if (action->text().startsWith(QStringLiteral("&Paste")))
                            action->trigger();
                    menu->close();
                });
                QContextMenuEvent event(QContextMenuEvent::Mouse, field->rect().center(),
                                        field->mapToGlobal(field->rect().center()));
                QApplication::sendEvent(field, &event);
            } else {
                DropText(field, pasted);
            }
            QTest::keyClick(field, Qt::Key_Return);
        });
        const QString answer = desktop.inputBox(QStringLiteral("Enter phone number or numbers: "),
                                                QStringLiteral("Add Phone Number"), defaultText);
        const QString expected = !c.taken      ? defaultText
                                 : c.selectAll ? pasted
                                               : defaultText + pasted;
        EXPECT_EQ(answer.size(), expected.size()) << c.name;
        EXPECT_TRUE(answer == expected) << c.name;
        EXPECT_EQ(told.isEmpty(), c.taken) << c.name << ": " << told.toStdString();
        if (!c.taken)
            EXPECT_TRUE(told.contains(QLocale().toString(c.defaultSize + c.pastedSize)))
                << told.toStdString();
    }
}

}  // namespace
