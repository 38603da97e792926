#include "support/form_fixture.h"
#include "support/input_box_helpers.h"
#include "window/desktop/paste_limit.h"
#include "window/desktop/qt_desktop.h"

#include <QApplication>
#include <QClipboard>
#include <QHelpEvent>
#include <QInputDialog>
#include <QLineEdit>
#include <QLocale>
#include <QMessageBox>
#include <QMimeData>
#include <QTimer>
#include <QToolTip>

#include <functional>

namespace {

const QString kListTip = QStringLiteral("Double-click item to remove it. Move | line to right and "
                                        "out of window to reveal full names.");

// English as the United States write it, whatever the machine's locale; the default comes back
// at the end.
class EnglishLocale {
public:
    EnglishLocale() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }
    ~EnglishLocale() { QLocale::setDefault(saved_); }
    EnglishLocale(const EnglishLocale&) = delete;
    EnglishLocale& operator=(const EnglishLocale&) = delete;
    EnglishLocale(EnglishLocale&&) = delete;
    EnglishLocale& operator=(EnglishLocale&&) = delete;

private:
    QLocale saved_;
};

// The text put into the real input box by Ctrl+V or by a drop; what came of it: the box that
// refused it, word for word, or "taken whole".
QString PutIntoInputBox(const QString& text, bool drop)
{
    if (!drop)
        QGuiApplication::clipboard()->setText(text);
    QtDesktop desktop;
    QString told;
    // Runs inside the box's own event loop, once the box is up.
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QInputDialog*>(QApplication::activeModalWidget());
        auto* field = box == nullptr ? nullptr : box->findChild<QLineEdit*>();
        if (field == nullptr) {
            if (box != nullptr)
                box->reject();
            return;
        }
        // The refusal's box, answered as soon as it is up, however deep the paste.
        AcceptEachMessageBox(field, told);
        if (drop) {
            DropText(field, text);
        } else {
            QTest::keyClick(field, Qt::Key_V, Qt::ControlModifier);
        }
        QTest::keyClick(field, Qt::Key_Return);
    });
    const QString answer = desktop.inputBox(QStringLiteral("Enter phone number or numbers: "),
                                            QStringLiteral("Add Phone Number"), QString());
    if (!told.isEmpty())
        return answer.isEmpty() ? told : told + QStringLiteral(", yet some went in");
    // Compared whole, without printing a million characters on a failure.
    return answer == text ? QStringLiteral("taken whole")
                          : QStringLiteral("%1 of %2 UTF-16 units went in")
                                .arg(answer.size())
                                .arg(text.size());
}

struct ToldCase {
    const char* name;
    std::function<QString()> told;  // acts, and returns what the window said
    QString expected;
    bool box;  // said in a box of the scripted desktop, which expects it word for word
};

// What the window says in its tool tips and boxes: a marked result's tool tip keeps the list's
// own first, the input box counts characters and says how the text came, and counts in the
// boxes group their digits as the locale does.
TEST_F(FormTest, TheWindowsWordsKeepTheListsTipCountCharactersAndGroupDigits)
{
    const EnglishLocale english;
    const QString emoji = QString::fromUtf8("\xf0\x9f\x93\x9e");  // one character, two units
    const auto refused = [](const char* how, const char* would) {
        return QStringLiteral("Nothing was %1: this box holds at most 1,000,000 characters, and "
                              "the text would make it %2.\n\nLoad long lists of numbers from a "
                              "file instead.")
            .arg(QLatin1String(how), QLatin1String(would));
    };
    const auto lastBox = [this] {
        return desktop.shown().empty() ? QString() : desktop.shown().back().text;
    };
    // The tool tip the result list shows over a row, after a formatting run.
    const auto resultTip = [this](const QString& phone) {
        addRule(QStringLiteral("7"), QStringLiteral("xxx/xxxx"));
        phones().append(phone);
        desktop.expectInfo(QStringLiteral("Done."));
        form->PushButton7_Click();
        form->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(form.get()));
        QWidget* viewport = form->ListView3->viewport();
        const QPoint at = form->ListView3->visualRect(results().index(0, 0)).center();
        QHelpEvent help(QEvent::ToolTip, at, viewport->mapToGlobal(at));
        QApplication::sendEvent(viewport, &help);
        QString tip = QToolTip::text();
        QToolTip::hideText();
        return tip;
    };
    const auto fill = [this](qsizetype count, const QString& text) {
        for (qsizetype i = 0; i < count; ++i)
            phones().append(text);
    };
    const auto missingFiles = [this](int count) {
        QList<QByteArray> names;
        for (int i = 0; i < count; ++i)
            names << QFile::encodeName(work.filePath(QStringLiteral("missing-%1").arg(i)));
        form->ReportMissingFiles(form->LoadPhoneNumberFiles(names));
    };
    QString missingBox = QStringLiteral("File not found:");
    for (int i = 0; i < 20; ++i)
        missingBox += QLatin1Char('\n') + work.filePath(QStringLiteral("missing-%1").arg(i));
    missingBox += QStringLiteral("\nand 1,005 more");
    QByteArray notRules;
    for (int i = 0; i < 1011; ++i)
        notRules += "7\t\n";
    const QString ruleFile = file(QStringLiteral("not rules.txt"), notRules);

    const ToldCase cases[] = {
        {"a result with no rule of its length", [&] { return resultTip(QStringLiteral("555-12")); },
         kListTip + QStringLiteral("\nNo rule for 6 characters: copied unchanged"), false},
        {"a result that is no number", [&] { return resultTip(QStringLiteral("555-123")); },
         kListTip + QStringLiteral("\nNot a number: copied unchanged"), false},
        {"600,000 emoji pasted are 600,000 characters",
         [&] { return PutIntoInputBox(QString(emoji).repeated(600'000), false); },
         QStringLiteral("taken whole"), false},
        {"a paste too long is counted in characters",
         [&] { return PutIntoInputBox(QString(emoji).repeated(1'000'001), false); },
         refused("pasted", "1,000,001"), false},
        {"a drop too long says it was dropped",
         [&] { return PutIntoInputBox(QString(1'000'001, QLatin1Char('7')), true); },
         refused("dropped", "1,000,001"), false},
        {"Tidy Numbers' report",
         [&] {
             fill(1234, QStringLiteral("(603) 434-3563"));
             fill(1000, QStringLiteral("call home"));
             form->mnuTidyNumbers->trigger();
             return lastBox();
         },
         QStringLiteral("Tidied 1,234 numbers; 1,000 texts were left as they were: 1,000 "
                        "holding letters."),
         true},
        {"Remove Duplicate Numbers' report",
         [&] {
             fill(1501, QStringLiteral("6034343563"));
             form->mnuRemoveDuplicates->trigger();
             return lastBox();
         },
         QStringLiteral("Removed 1,500 duplicate numbers."), true},
        {"a rule file's skipped lines",
         [&] {
             form->AddRulesFromFile(QFile::encodeName(ruleFile));
             return lastBox();
         },
         QStringLiteral("1,011 lines of %1 were not rules and were skipped: lines 1, 2, 3, 4, 5, "
                        "6, 7, 8, 9, 10 and 1,001 more (no pattern after the TAB).")
             .arg(ruleFile),
         true},
        {"files named on the command line that are missing",
         [&] {
             missingFiles(1025);
             return lastBox();
         },
         missingBox, true},
    };
    for (const ToldCase& c : cases) {
        SCOPED_TRACE(c.name);
        TearDown();
        SetUp();
        if (c.box)
            desktop.expectInfo(c.expected);
        EXPECT_EQ(c.told(), c.expected);
        EXPECT_TRUE(desktop.scriptDone());
    }
}

}  // namespace
