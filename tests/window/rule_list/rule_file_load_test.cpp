#include "support/file_helpers.h"
#include "support/form_fixture.h"
#include "support/locations.h"

#include <QApplication>
#include <QDropEvent>
#include <QHeaderView>
#include <QMimeData>
#include <QScrollBar>
#include <QUrl>

#include <sys/stat.h>

#include <memory>

namespace {

class RuleFileLoad : public FormTest {
protected:
    // The rules as "length|pattern".
    QStringList ruleRows()
    {
        QStringList out;
        for (qsizetype row = 0; row < rules().count(); ++row)
            out << rules().text(row) + QLatin1Char('|') + rules().subItem(row, 1);
        return out;
    }
    // Drags the data over a part of the rule list; returns whether a drop would be taken.
    static bool dragOver(QWidget* target, QMimeData* data)
    {
        QDragEnterEvent enter(QPoint(2, 2), Qt::CopyAction | Qt::MoveAction, data, Qt::LeftButton,
                              Qt::NoModifier);
        QApplication::sendEvent(target, &enter);
        QDragMoveEvent move(QPoint(3, 3), Qt::CopyAction | Qt::MoveAction, data, Qt::LeftButton,
                            Qt::NoModifier);
        QApplication::sendEvent(target, &move);
        return enter.isAccepted() && move.isAccepted() && move.dropAction() != Qt::IgnoreAction;
    }
    // Drops the files on the rule list (its rows unless told otherwise); returns how many rules
    // the list had gained when the drop itself returned.
    qsizetype drop(const QStringList& paths, QWidget* target = nullptr)
    {
        if (target == nullptr)
            target = form->ListView2->viewport();
        QMimeData data;
        QList<QUrl> urls;
        for (const QString& path : paths)
            urls << QUrl::fromLocalFile(path);
        data.setUrls(urls);
        EXPECT_TRUE(dragOver(target, &data));
        QDropEvent event(QPointF(3, 3), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        const qsizetype before = rules().count();
        QApplication::sendEvent(target, &event);
        EXPECT_TRUE(event.isAccepted());
        const qsizetype duringTheDrop = rules().count() - before;
        QCoreApplication::sendPostedEvents(form.get(), QEvent::MetaCall);
        EXPECT_EQ(form->pointer(), Form1::Pointer::Default);
        EXPECT_TRUE(desktop.scriptDone());
        return duringTheDrop;
    }
};

// Rules typed in, saved by "Save Results As Text File", the list cleared, the file dropped:
// the same rules come back in the same order with the same texts.
TEST_F(RuleFileLoad, RulesSavedAsTextComeBackWhenTheFileIsDropped)
{
    const QString path = work.filePath("rules.txt");
    const QStringList typed[] = {
        {" 10", " (xxx) xxx-xxxx"},
        {"7", QString::fromUtf8("xxx\u2013xxxx \u00e9")},
        {"2.5", "x"},
        {"12", "+xx xxx xxx xxx xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx"},
        {"0000000000000000000000000000000000000000011", "x-x"},
    };
    QStringList expected;
    for (const QStringList& rule : typed) {
        desktop.expectInput(QStringLiteral("Enter length of phone: "),
                            QStringLiteral("Input Length"), QString(), rule[0]);
        desktop.expectInput(QStringLiteral("Enter phone format: "), QStringLiteral("Input Format"),
                            QStringLiteral("xxx-xxxx"), rule[1]);
        form->PushButton13->click();
        expected << rule.join(QLatin1Char('|'));
    }
    form->PushButton10->click();  // sample rules: 10 and 7 again, without the duplicate test
    expected << "10|xxx-xxx-xxxx"
             << "7|xxx/xxxx";
    ASSERT_EQ(ruleRows(), expected);

    expectSaveDialog(path);
    form->PushButton6->click();
    form->PushButton15->click();
    ASSERT_EQ(rules().count(), 0);

    EXPECT_EQ(drop({path}), 0);  // read from the event loop, once the drop has returned
    EXPECT_EQ(ruleRows(), expected);
    EXPECT_EQ(rules().rowCount(), expected.size());
    // Dropped again, the file's rules follow the ones there.
    drop({path});
    EXPECT_EQ(ruleRows(), expected + expected);
}

// What each file of a drop gives: its rules in file order after the rules already there, and
// one box when the file had lines that were not rules or could not be read.
TEST_F(RuleFileLoad, EachFileAddsItsRulesAndIsReportedLikeAPhoneNumberFile)
{
    const QString twoBad = file("two bad.txt", "abc\tx\n10\txxx-xxxx\r\nnothing\n\n");
    const QString oneBad = file("one bad.txt", "7\t\n8\tx/x\n");
    const QString good = file("good.txt", "9\tx.x\n");
    const QString fifo = work.filePath("fifo");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const QString folder = work.path();
    const QString missing = work.filePath("missing.txt");

    struct Case {
        const char* name;
        QStringList paths;
        std::function<void()> boxes;
        QStringList added;
    };
    const Case cases[] = {
        {"good", {good}, [] {}, {"9|x.x"}},
        {"two lines not rules",
         {twoBad},
         [&] {
             desktop.expectInfo("2 lines of " + twoBad
                                + " were not rules and were skipped: lines 1 and 3.");
         },
         {"10|xxx-xxxx"}},
        {"one line not a rule, then a good file",
         {oneBad, good},
         [&] {
             desktop.expectInfo("1 line of " + oneBad
                                + " was not a rule and was skipped: line 1 (no pattern after "
                                  "the TAB).");
         },
         {"8|x/x", "9|x.x"}},
        {"missing",
         {missing, good},
         [&] {
             desktop.expectInfo("No rules could be read from " + missing
                                + ": No such file or directory.");
         },
         {"9|x.x"}},
        {"folder and special file: a box for each, naming it",
         {folder, fifo, good},
         [&] {
             desktop.expectInfo("No rules could be read from " + folder + ": Is a directory.");
             desktop.expectInfo(
                 "No rules could be read from " + fifo
                 + ": Not a regular file (the window reads no pipe, device or socket).");
         },
         {"9|x.x"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        form->PushButton15->click();
        addRule(QStringLiteral("1"), QStringLiteral("x"));
        c.boxes();
        drop(c.paths);
        EXPECT_EQ(ruleRows(), QStringList{"1|x"} + c.added);
    }
}

// Like the phone list, the whole rule list takes the drop: rows, header and scroll bars; text
// and web addresses are refused.
TEST_F(RuleFileLoad, TheWholeListTakesFilesAndNothingElse)
{
    const QString path = file("r.txt", "10\txxx\n");
    ListView* list = form->ListView2;
    for (QWidget* target :
         {list->viewport(), list->horizontalHeader()->viewport(),
          static_cast<QWidget*>(list->horizontalHeader()),
          static_cast<QWidget*>(list->verticalScrollBar()), static_cast<QWidget*>(list)}) {
        form->PushButton15->click();
        drop({path}, target);
        EXPECT_EQ(ruleRows(), QStringList{"10|xxx"}) << target->metaObject()->className();
    }
    QMimeData text;
    text.setText(QStringLiteral("10\txxx"));
    EXPECT_FALSE(dragOver(list->viewport(), &text));
    QMimeData web;
    web.setUrls({QUrl(QStringLiteral("https://www.dialwright.example/rules.txt"))});
    EXPECT_FALSE(dragOver(list->viewport(), &web));
    EXPECT_EQ(rules().count(), 1);
    EXPECT_EQ(phones().count(), 0);  // the phone list is not involved
}

}  // namespace
