#include "app/desktop/open_result.h"
#include "app/desktop/qt_desktop.h"

#include <QApplication>
#include <QClipboard>
#include <QInputDialog>
#include <QLineEdit>
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
            auto* box = qobject_cast<QInputDialog*>(QApplication::activeModalWidget());
            auto* field = box == nullptr ? nullptr : box->findChild<QLineEdit*>();
            if (field == nullptr) {
                if (box != nullptr)
                    box->reject();
                return;
            }
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

}  // namespace
