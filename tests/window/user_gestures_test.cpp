#include "support/form_fixture.h"
#include "support/input_box_helpers.h"
#include "window/desktop/open_result.h"
#include "window/desktop/qt_desktop.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QFileDialog>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QTimer>

#include <functional>

#include <sys/stat.h>

namespace {

const QString kLoadClick = QStringLiteral("in Tessaline2021/08/31.Form1.PushButton3_Click ");

class UserGestures : public FormTest {
public:
    using FormTest::desktop;
    using FormTest::expectSaveDialog;
    using FormTest::file;
    using FormTest::form;
    using FormTest::phones;
    using FormTest::results;
    using FormTest::work;

    void SetUp() override
    {
        FormTest::SetUp();
        showActive();
    }

    QWidget* viewport() { return form->ListView1->viewport(); }
    QPoint centre(int row) { return form->ListView1->visualRect(phones().index(row, 0)).center(); }

    void fill(const QStringList& texts)
    {
        for (const QString& text : texts)
            phones().append(text);
    }
    void press(Qt::MouseButton button, int row)
    {
        QTest::mousePress(viewport(), button, {}, centre(row));
        // The platform asks for the menu at a right press, as the desktop does on Linux.
        if (button == Qt::RightButton) {
            QContextMenuEvent asked(QContextMenuEvent::Mouse, centre(row),
                                    viewport()->mapToGlobal(centre(row)));
            QApplication::sendEvent(viewport(), &asked);
        }
    }
    // A right press and its release at points of any part of the window, the platform's menu
    // event between them, as the desktop sends it on Linux; and moves with the button held.
    void rightPress(QWidget* on, QPoint at)
    {
        QTest::mousePress(on, Qt::RightButton, {}, at);
        QContextMenuEvent asked(QContextMenuEvent::Mouse, at, on->mapToGlobal(at));
        QApplication::sendEvent(on, &asked);
    }
    void rightRelease(QWidget* on, QPoint at)
    {
        if (QWidget* popup = QApplication::activePopupWidget()) {
            QTest::mouseRelease(popup, Qt::RightButton, {},
                                popup->mapFromGlobal(on->mapToGlobal(at)));
            return;
        }
        QTest::mouseRelease(on, Qt::RightButton, {}, at);
    }
    QWidget* heading() { return form->ListView1->horizontalHeader()->viewport(); }
    // Moves with the button held: to the popup that has the pointer, if one is open.
    void moveTo(int row) { QTest::mouseMove(viewport(), centre(row)); }
    void release(Qt::MouseButton button, int row)
    {
        QWidget* under = viewport();
        QPoint at = centre(row);
        if (QWidget* popup = QApplication::activePopupWidget()) {
            at = popup->mapFromGlobal(viewport()->mapToGlobal(at));
            under = popup;
        }
        QTest::mouseRelease(under, button, {}, at);
    }
    void undo() { QTest::keyClick(form.get(), Qt::Key_Z, Qt::ControlModifier); }

    // The phone list, and the menu when one is open (it is closed then).
    QString seen()
    {
        QString shown = texts(phones()).join(QLatin1Char(','));
        if (QWidget* popup = QApplication::activePopupWidget()) {
            shown += popup == form->PhoneListMenu ? QStringLiteral(" + the menu")
                                                  : QStringLiteral(" + a popup");
            popup->close();
        }
        return shown;
    }

    // The names typed into the real load dialog, shown in the test's folder, and Return.
    OpenFileResult typeIntoLoadDialog(const QString& typed)
    {
        const QString before = QDir::currentPath();
        QDir::setCurrent(work.path());
        QtDesktop real;
        QString qtBox;
        QObject owner;
        // A box Qt's dialog shows of its own is answered, so that a refusal cannot hang the
        // test; what it said is part of what the user met.
        AcceptEachMessageBox(&owner, qtBox);
        QTimer::singleShot(0, [&] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            auto* field = dialog == nullptr ? nullptr : dialog->findChild<QLineEdit*>();
            if (field == nullptr)
                return;
            // Typed, so the field has the focus: the dialog's choice in its list then leaves the
            // typed text alone.
            dialog->activateWindow();
            if (!QTest::qWaitForWindowActive(dialog))
                return;
            field->setFocus();
            field->setText(typed);
            QTest::keyClick(field, Qt::Key_Return);
            // A dialog still open after Return kept the user there.
            if (dialog->isVisible())
                dialog->reject();
        });
        OpenFileResult result = real.openFileDialog(loadDialog());
        QDir::setCurrent(before);
        if (!qtBox.isEmpty())
            result.text = QStringLiteral("Qt's own box: ") + qtBox;
        return result;
    }
    // "Load Phone Numbers From File" with the dialog's answer, and the boxes that follow.
    void load(const OpenFileResult& chosen, const std::function<void()>& boxes)
    {
        expectLoadDialog(chosen);
        boxes();
        form->PushButton3_Click();
    }
};

struct GestureCase {
    const char* name;
    std::function<QString(UserGestures&)> act;  // the user's gestures; what the window shows
    QString expected;
};

// Gestures on the window as a user makes them: the right button moves a number as the left
// does and opens the menu only when it stays put; a drag moves a number during a save; undo
// waits while a number is held; every name typed into the load dialog reaches the loader, which
// reports each missing or unreadable file on its own.
TEST_F(UserGestures, TheWindowDoesWhatTheGestureAsks)
{
    const QStringList punctuated{"(603) 434-3563", "(212) 555-0101", "(415) 555-0199",
                                 "(617) 555-0142"};
    const QString moved = QStringLiteral("(212) 555-0101,(603) 434-3563,(415) 555-0199,"
                                         "(617) 555-0142");
    const GestureCase cases[] = {
        {"a right-button drag moves the number and opens no menu",
         [&](UserGestures& t) {
             t.fill(punctuated);
             t.press(Qt::RightButton, 0);
             t.moveTo(1);
             t.release(Qt::RightButton, 1);
             return t.seen();
         },
         moved},
        {"a right-click that stays put opens the menu at the release",
         [&](UserGestures& t) {
             t.fill(punctuated);
             t.press(Qt::RightButton, 0);
             t.release(Qt::RightButton, 0);
             return t.seen();
         },
         punctuated.join(QLatin1Char(',')) + QStringLiteral(" + the menu")},
        {"a right-button drag a few pixels over the next row moves the number, no menu",
         [&](UserGestures& t) {
             t.fill(punctuated);
             const QRect first = t.form->ListView1->visualRect(t.phones().index(0, 0));
             const QPoint from(first.center().x(), first.bottom() - 1);
             const QPoint to(from.x(), first.bottom() + 3);
             t.rightPress(t.viewport(), from);
             QTest::mouseMove(t.viewport(), to);
             t.rightRelease(t.viewport(), to);
             return t.seen();
         },
         moved},
        {"a right-click on the heading opens the menu at its release",
         [&](UserGestures& t) {
             t.fill(punctuated);
             const QPoint at(30, t.heading()->height() / 2);
             t.rightPress(t.heading(), at);
             t.rightRelease(t.heading(), at);
             return t.seen();
         },
         punctuated.join(QLatin1Char(',')) + QStringLiteral(" + the menu")},
        {"a right-button drag from the heading onto the rows runs no item",
         [&](UserGestures& t) {
             t.fill(punctuated);
             const QPoint at(30, t.heading()->height() / 2);
             t.rightPress(t.heading(), at);
             const QPoint below =
                 t.heading()->mapFromGlobal(t.viewport()->mapToGlobal(t.centre(0)));
             QTest::mouseMove(t.heading(), below);
             t.rightRelease(t.heading(), below);
             return t.seen();
         },
         punctuated.join(QLatin1Char(','))},
        {"a drag during a save moves the number, and the save is whole",
         [&](UserGestures& t) {
             t.fill(punctuated);
             for (int i = 0; i < 50; ++i)
                 t.results().append(QString::number(i));
             const QString out = t.work.filePath(QStringLiteral("out.txt"));
             t.expectSaveDialog(out);
             t.desktop.onInput(t.desktop.yields() + 2, [&t] {
                 t.press(Qt::LeftButton, 0);
                 t.moveTo(1);
                 t.release(Qt::LeftButton, 1);
             });
             t.form->PushButton2_Click();
             QStringList numbers;
             for (int i = 0; i < 50; ++i)
                 numbers << QString::number(i);
             const QByteArray saved = ReadBytes(out);
             const bool whole = saved == numbers.join(QStringLiteral(",\r\n")).toUtf8() + "\r\n";
             return t.seen() + (whole ? QString() : QString::fromUtf8(" + the file: " + saved));
         },
         moved},
        {"Ctrl+Z while a number is held changes nothing, and the held number keeps moving",
         [&](UserGestures& t) {
             t.fill({"a", "b", "c", "d"});
             t.press(Qt::LeftButton, 0);
             t.moveTo(1);
             t.undo();
             t.moveTo(2);
             t.release(Qt::LeftButton, 2);
             return t.seen();
         },
         QStringLiteral("b,c,a,d")},
        {"a typed missing name gets the program's own words",
         [&](UserGestures& t) {
             const OpenFileResult chosen = t.typeIntoLoadDialog(QStringLiteral("gone.txt"));
             t.load(chosen, [&t] { t.desktop.expectInfo(QStringLiteral("File not found")); });
             return chosen.text.startsWith(QStringLiteral("Qt's")) ? chosen.text : t.seen();
         },
         QString()},
        {"of two typed names the missing one is reported and the other loads",
         [&](UserGestures& t) {
             t.file(QStringLiteral("lf.txt"), "6034343563\n2125550101");
             const OpenFileResult chosen =
                 t.typeIntoLoadDialog(QStringLiteral("\"gone.txt\" \"lf.txt\""));
             t.load(chosen, [&t] { t.desktop.expectInfo(QStringLiteral("File not found")); });
             return chosen.text.startsWith(QStringLiteral("Qt's")) ? chosen.text : t.seen();
         },
         QStringLiteral("6034343563,2125550101")},
        {"names holding quotes, typed alone or among others, load those files",
         [&](UserGestures& t) {
             t.file(QStringLiteral(R"(a"b.txt)"), "4444444");
             t.file(QStringLiteral("b.txt"), "3333333");
             t.file(QStringLiteral("real.txt"), "5555555");
             QString shown;
             for (const char* typed : {R"(a"b.txt)", R"("a"b.txt" "real.txt")"}) {
                 const OpenFileResult chosen = t.typeIntoLoadDialog(QString::fromUtf8(typed));
                 if (chosen.text.startsWith(QStringLiteral("Qt's")))
                     return chosen.text;
                 t.load(chosen, [] {});
             }
             return t.seen();
         },
         QStringLiteral("4444444,4444444,5555555")},
        {"two unreadable files get a report each",
         [&](UserGestures& t) {
             for (const char* name : {"one", "two"})
                 if (::mkfifo(QFile::encodeName(t.work.filePath(QLatin1String(name))).constData(),
                              0600)
                     != 0)
                     return QStringLiteral("no fifo");
             t.load(ComposeOpenResult({t.work.filePath(QStringLiteral("one")),
                                       t.work.filePath(QStringLiteral("two"))}),
                    [&t] {
                        for (int i = 0; i < 2; ++i)
                            t.desktop.expectErrorReport(QStringLiteral("Path/File access error"),
                                                        kLoadClick, 134);
                    });
             return t.seen();
         },
         QString()},
    };
    for (const GestureCase& c : cases) {
        SCOPED_TRACE(c.name);
        TearDown();
        SetUp();
        EXPECT_EQ(c.act(*this), c.expected);
        EXPECT_TRUE(desktop.scriptDone());
    }
}

}  // namespace
